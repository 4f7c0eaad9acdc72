#include "test_card_profiles.h"

namespace testcard {

namespace {

ElemDef volume(std::string name, int channels, long min, long max, long left, long right = -1) {
    ElemDef e;
    e.name = std::move(name);
    e.channels = channels;
    e.min = min;
    e.max = max;
    e.start[0] = left;
    e.start[1] = right < 0 && channels > 1 ? left : right;
    return e;
}

ElemDef toggle(std::string name, int channels, long on) {
    ElemDef e;
    e.name = std::move(name);
    e.type = ElemType::Boolean;
    e.channels = channels;
    e.start[0] = e.start[1] = on;
    return e;
}

ElemDef choice(std::string name, int channels, std::vector<std::string> items, long chosen) {
    ElemDef e;
    e.name = std::move(name);
    e.type = ElemType::Enumerated;
    e.channels = channels;
    e.max = static_cast<long>(items.size()) - 1;
    e.items = std::move(items);
    e.start[0] = e.start[1] = chosen;
    return e;
}

ElemDef absent(ElemDef e) {
    e.present = false;
    return e;
}

// An AC97 codec: stereo levels with mono switches, mono tone controls, a
// common "Mic Boost" switch and a stereo "Capture Source" enumeration that
// alsa-lib shows as exclusive capture switches. "Aux" is plugged in later
// by the tests that change the element set.
Profile ac97() {
    return Profile{
        "ac97",
        "Tavlo Test AC97",
        {
            volume("Master Playback Volume", 2, 0, 31, 20),
            toggle("Master Playback Switch", 1, 1),
            volume("Tone Control - Bass", 1, 0, 15, 8),
            volume("Tone Control - Treble", 1, 0, 15, 8),
            volume("PCM Playback Volume", 2, 0, 31, 24),
            toggle("PCM Playback Switch", 1, 1),
            volume("CD Playback Volume", 2, 0, 31, 16, 12),
            toggle("CD Playback Switch", 1, 0),
            volume("Line Playback Volume", 2, 0, 31, 8),
            toggle("Line Playback Switch", 1, 1),
            volume("Mic Playback Volume", 1, 0, 31, 10),
            toggle("Mic Playback Switch", 1, 0),
            toggle("Mic Boost (+20dB) Switch", 1, 0),
            toggle("External Amplifier Playback Switch", 1, 1),
            volume("Capture Volume", 2, 0, 15, 8),
            toggle("Capture Switch", 1, 1),
            choice("Capture Source", 2, {"Mic", "CD", "Video", "Aux", "Line", "Mix", "Mix Mono", "Phone"}, 0),
            absent(volume("Aux Playback Volume", 2, 0, 31, 5)),
            absent(toggle("Aux Playback Switch", 1, 1)),
        }};
}

// An HD-audio codec: mono Master, small level ranges (0..87, 0..255,
// 0..63), switches kept per channel (not joined), an "Input Source"
// enumeration with boost gains per input, and an enumeration that is not
// about capture at all.
Profile hda() {
    return Profile{"hda",
                   "Tavlo Test HDA",
                   {
                       volume("Master Playback Volume", 1, 0, 87, 60),
                       toggle("Master Playback Switch", 1, 1),
                       volume("Headphone Playback Volume", 2, 0, 87, 50),
                       toggle("Headphone Playback Switch", 2, 1),
                       volume("Front Playback Volume", 2, 0, 87, 70),
                       toggle("Front Playback Switch", 2, 1),
                       volume("PCM Playback Volume", 2, 0, 255, 200),
                       volume("Beep Playback Volume", 1, 0, 31, 10),
                       toggle("Beep Playback Switch", 1, 1),
                       volume("Capture Volume", 2, 0, 63, 40),
                       toggle("Capture Switch", 2, 1),
                       choice("Input Source", 2, {"Rear Mic", "Front Mic", "Line"}, 1),
                       volume("Rear Mic Boost Volume", 2, 0, 3, 1),
                       volume("Front Mic Boost Volume", 2, 0, 3, 0),
                       choice("Auto-Mute Mode", 1, {"Disabled", "Enabled"}, 1),
                   }};
}

// A card whose inputs are recorded together: independent capture switches,
// one input with its own capture gain, a level range far wider than the
// mixer's and below zero, and a stand-alone loudness switch per channel.
Profile mixsw() {
    return Profile{"mixsw",
                   "Tavlo Test Mixing Capture",
                   {
                       volume("Master Playback Volume", 2, 0, 100, 75),
                       toggle("Master Playback Switch", 2, 1),
                       volume("PCM Playback Volume", 2, 0, 100, 50),
                       volume("Synth Playback Volume", 2, -20000, 100000, 0),
                       toggle("Synth Playback Switch", 2, 1),
                       toggle("Loudness Playback Switch", 2, 0),
                       volume("Mic Capture Volume", 1, 0, 40, 20),
                       toggle("Mic Capture Switch", 1, 1),
                       toggle("Line Capture Switch", 2, 0),
                       toggle("CD Capture Switch", 2, 1),
                       volume("Capture Volume", 2, 0, 20, 10),
                       toggle("Capture Switch", 2, 1),
                   }};
}

}  // namespace

int Profile::find(std::string_view name, unsigned index) const {
    for (std::size_t i = 0; i < elems.size(); ++i)
        if (elems[i].name == name && elems[i].index == index) return static_cast<int>(i);
    return -1;
}

const std::vector<Profile>& profiles() {
    static const std::vector<Profile> all{ac97(), hda(), mixsw()};
    return all;
}

const Profile* findProfile(std::string_view id) {
    for (const auto& p : profiles())
        if (p.id == id) return &p;
    return nullptr;
}

}  // namespace testcard
