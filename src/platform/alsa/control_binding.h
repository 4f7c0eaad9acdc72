#pragma once
// How one control of the device model reaches the ALSA elements behind it,
// and the reading and writing of its value vector.

#include "platform/mmsystem.h"

#include <alsa/asoundlib.h>

#include <span>
#include <vector>

enum class ElemSide { Playback, Capture };

struct ControlBinding {
    enum class Kind {
        Level,       // a volume, raw range mapped to 0..65535
        Switch,      // an on/off switch; inverted for a mute
        NoLevel,     // stands for a level the line does not have: reads 0, refuses writes
        EnumChoice,  // single choice through an enumerated element's items
        SwitchList,  // one capture switch per item (single choice when exclusive)
    };
    Kind kind = Kind::NoLevel;
    snd_mixer_elem_t* elem = nullptr;      // Level, Switch, EnumChoice
    std::vector<snd_mixer_elem_t*> items;  // SwitchList
    ElemSide side = ElemSide::Playback;
    bool invert = false;        // Switch: value 1 means the switch is off (mute)
    bool singleChoice = false;  // SwitchList: exclusive switches
    DWORD channels = 1;         // values kept per item: 1 (uniform or mono) or 2
    long min = 0, max = 0;      // Level: raw range
};

// values.size() is channels for Level/Switch/NoLevel, the item count for lists.
bool readBinding(const ControlBinding& b, std::span<DWORD> values);
bool writeBinding(const ControlBinding& b, std::span<const DWORD> values);
