#pragma once
// The binding (Button4Click): which destination is played and which
// recorded, which line each strip of the two mixer windows shows, where the
// strips stand, how wide the windows are, and which control each button of
// a strip drives. It runs from scratch at every initialisation, in the
// steps below.

#include "app/controller_scope.h"

#include <vector>

class ChannelStrip;
class ColourSchemes;
class ConfigApply;
class TAudioMixer;

class StripBinding {
public:
    StripBinding(const ControllerScope& scope, ColourSchemes& schemes, ConfigApply& config)
        : s_(scope), schemes_(schemes), config_(config) {}

    // Button4Click: which line and control feeds which strip of both windows.
    void Button4Click();

private:
    void resetStripsForBinding();
    void findDestinations();
    void bindPlaybackNames();
    void applyChannelBoxes(const std::vector<ChannelStrip*>& strips, bool playback);
    void layOutPlayback();
    void bindRecordingNames();
    void layOutRecording();
    void bindControls();
    void bindLine(TAudioMixer& mixer, int D, int C);

    const ControllerScope& s_;
    ColourSchemes& schemes_;
    ConfigApply& config_;
};
