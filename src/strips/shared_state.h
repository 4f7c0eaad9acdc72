#pragma once
// The state the windows share. One instance lives in the application
// context; the start values are those the process begins with, before any
// window's creation handler runs. The change guard starts idle here; the
// application holds it from its start until the first initialisation ends.

#include "strips/change_guard.h"

#include <QString>

#include <cstdint>

struct SharedState {
    ::ChangeGuard ChangeGuard;  // 0 idle, 1 the program writes, 2 a fader drag
    std::uint8_t MixerIndex = 0;
    std::uint8_t PlayDestIndex = 0;
    std::uint8_t RecDestIndex = 0;
    bool HasTreble = false;
    bool HasBass = false;
    std::uint8_t MeterDestIndex = 0;
    std::uint8_t MeterSourceIndex = 0;  // 255: the destination line itself
    bool SwapLR = false;
    std::uint8_t StepSize = 0;
    bool StartingUp = false;
    bool RecHasMasterLevel = false;
    bool InitDone = false;
    bool FirstBinding = false;
    QString BoundProductName;
    QString VersionText;
    QString ConfigFirstLine;
    bool TracesOff = false;

    std::int32_t RepeatCode = 0;  // which step button is held, 0 none
    std::int32_t DragOffset = 0;  // cursor top minus the mouse's y at the start of a drag

    QString MeterChannelName;
    int OverPeakCount = 0;
    int LeftPeakHold = 0;
    int RightPeakHold = 0;

    int RecMuxIndex = -2;   // control index of the recording MUX, -2 none
    int BindDestIndex = 0;  // the destination being bound
};
