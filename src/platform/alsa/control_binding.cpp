#include "platform/alsa/control_binding.h"

#include "platform/alsa/level_scale.h"

#include <algorithm>

namespace {

// Stereo values go to the front pair; a mono element has only its first channel.
snd_mixer_selem_channel_id_t channelAt(std::size_t i) {
    return i == 0 ? SND_MIXER_SCHN_FRONT_LEFT : SND_MIXER_SCHN_FRONT_RIGHT;
}

bool allEqual(std::span<const DWORD> v) {
    return std::adjacent_find(v.begin(), v.end(), std::not_equal_to<>()) == v.end();
}

bool rawLevel(const ControlBinding& b, snd_mixer_selem_channel_id_t ch, long* raw) {
    return (b.side == ElemSide::Playback ? snd_mixer_selem_get_playback_volume(b.elem, ch, raw)
                                         : snd_mixer_selem_get_capture_volume(b.elem, ch, raw)) >= 0;
}

bool readLevel(const ControlBinding& b, std::span<DWORD> values) {
    for (std::size_t ch = 0; ch < values.size(); ++ch) {
        long raw = 0;
        if (!rawLevel(b, channelAt(ch), &raw)) return false;
        values[ch] = levelFromRaw(raw, b.min, b.max);
    }
    return true;
}

// A channel already showing the read-out of the level written keeps its
// value: the windows write back read-out x 655 on every refresh, which
// would otherwise pull a value set elsewhere (or at a finer step) to the
// foot of its read-out.
bool keeps(const ControlBinding& b, snd_mixer_selem_channel_id_t ch, DWORD level) {
    long now = 0;
    return rawLevel(b, ch, &now) && readoutOfLevel(levelFromRaw(now, b.min, b.max)) == readoutOfLevel(level);
}

// Equal values are written at once (one write, every channel of the element);
// differing ones to the front left and right channels.
bool writeLevel(const ControlBinding& b, std::span<const DWORD> values) {
    const bool playback = b.side == ElemSide::Playback;
    if (allEqual(values)) {
        bool unchanged = true;
        for (std::size_t ch = 0; ch < values.size() && unchanged; ++ch) unchanged = keeps(b, channelAt(ch), values[0]);
        if (unchanged) return true;
        const long raw = rawFromLevel(values[0], b.min, b.max);
        return (playback ? snd_mixer_selem_set_playback_volume_all(b.elem, raw)
                         : snd_mixer_selem_set_capture_volume_all(b.elem, raw)) >= 0;
    }
    for (std::size_t ch = 0; ch < values.size(); ++ch) {
        if (keeps(b, channelAt(ch), values[ch])) continue;
        const long raw = rawFromLevel(values[ch], b.min, b.max);
        const int err = playback ? snd_mixer_selem_set_playback_volume(b.elem, channelAt(ch), raw)
                                 : snd_mixer_selem_set_capture_volume(b.elem, channelAt(ch), raw);
        if (err < 0) return false;
    }
    return true;
}

// The channels a switch has apart from the first; none when one switch
// serves them all.
bool hasOwnSwitch(const ControlBinding& b, snd_mixer_selem_channel_id_t ch) {
    if (b.side == ElemSide::Playback)
        return !snd_mixer_selem_has_playback_switch_joined(b.elem) && snd_mixer_selem_has_playback_channel(b.elem, ch);
    return !snd_mixer_selem_has_capture_switch_joined(b.elem) && snd_mixer_selem_has_capture_channel(b.elem, ch);
}

// One value for the whole element: a mute reads 1 when any channel is
// switched off (the line is not fully playing), a plain switch reads 1 only
// when every channel is on.
bool readSwitch(const ControlBinding& b, std::span<DWORD> values) {
    bool anyOff = false;
    for (int ch = SND_MIXER_SCHN_FRONT_LEFT; ch <= SND_MIXER_SCHN_LAST; ++ch) {
        const auto id = static_cast<snd_mixer_selem_channel_id_t>(ch);
        if (ch != SND_MIXER_SCHN_FRONT_LEFT && !hasOwnSwitch(b, id)) continue;
        int on = 0;
        const int err = b.side == ElemSide::Playback ? snd_mixer_selem_get_playback_switch(b.elem, id, &on)
                                                     : snd_mixer_selem_get_capture_switch(b.elem, id, &on);
        if (err < 0) return false;
        anyOff = anyOff || on == 0;
    }
    std::fill(values.begin(), values.end(), (b.invert ? anyOff : !anyOff) ? 1 : 0);
    return true;
}

// A write sets every channel of the element.
bool writeSwitch(const ControlBinding& b, std::span<const DWORD> values) {
    const int on = (values[0] != 0) != b.invert ? 1 : 0;
    return (b.side == ElemSide::Playback ? snd_mixer_selem_set_playback_switch_all(b.elem, on)
                                         : snd_mixer_selem_set_capture_switch_all(b.elem, on)) >= 0;
}

// A list read reports the left (or only) channel's choice: a stereo
// "Capture Source" may record different inputs per channel.
bool readEnumChoice(const ControlBinding& b, std::span<DWORD> values) {
    unsigned chosen = 0;
    if (snd_mixer_selem_get_enum_item(b.elem, SND_MIXER_SCHN_FRONT_LEFT, &chosen) < 0) return false;
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = i == chosen ? 1 : 0;
    return true;
}

// The first chosen item is taken; with none chosen the selection stays as
// it is, since a card always records something (the program clears every
// item before it sets the one it wants).
int firstChosen(std::span<const DWORD> values) {
    auto it = std::find_if(values.begin(), values.end(), [](DWORD v) { return v != 0; });
    return it == values.end() ? -1 : static_cast<int>(it - values.begin());
}

bool writeEnumChoice(const ControlBinding& b, std::span<const DWORD> values) {
    const int chosen = firstChosen(values);
    if (chosen < 0) return true;
    // Every channel records the chosen input; the element's channel count is
    // not published for enumerations, so write until the channels run out.
    if (snd_mixer_selem_set_enum_item(b.elem, SND_MIXER_SCHN_FRONT_LEFT, static_cast<unsigned>(chosen)) < 0)
        return false;
    for (int ch = SND_MIXER_SCHN_FRONT_RIGHT; ch <= SND_MIXER_SCHN_LAST; ++ch) {
        unsigned current = 0;
        const auto id = static_cast<snd_mixer_selem_channel_id_t>(ch);
        if (snd_mixer_selem_get_enum_item(b.elem, id, &current) < 0) break;
        if (current != static_cast<unsigned>(chosen) &&
            snd_mixer_selem_set_enum_item(b.elem, id, static_cast<unsigned>(chosen)) < 0)
            return false;
    }
    return true;
}

bool readSwitchList(const ControlBinding& b, std::span<DWORD> values) {
    for (std::size_t i = 0; i < values.size() && i < b.items.size(); ++i) {
        int on = 0;
        if (snd_mixer_selem_get_capture_switch(b.items[i], SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) return false;
        values[i] = on ? 1 : 0;
    }
    return true;
}

bool writeSwitchList(const ControlBinding& b, std::span<const DWORD> values) {
    if (b.singleChoice) {
        // Switching one exclusive switch on switches the others off; switching
        // one off does nothing on the card, so only the choice is written.
        const int chosen = firstChosen(values);
        if (chosen < 0) return true;
        return snd_mixer_selem_set_capture_switch_all(b.items[static_cast<std::size_t>(chosen)], 1) >= 0;
    }
    for (std::size_t i = 0; i < values.size() && i < b.items.size(); ++i) {
        int on = 0;
        if (snd_mixer_selem_get_capture_switch(b.items[i], SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) return false;
        const int want = values[i] ? 1 : 0;
        if (on != want && snd_mixer_selem_set_capture_switch_all(b.items[i], want) < 0) return false;
    }
    return true;
}

}  // namespace

bool readBinding(const ControlBinding& b, std::span<DWORD> values) {
    switch (b.kind) {
        case ControlBinding::Kind::Level:
            return readLevel(b, values);
        case ControlBinding::Kind::Switch:
            return readSwitch(b, values);
        case ControlBinding::Kind::NoLevel:
            std::fill(values.begin(), values.end(), 0);
            return true;
        case ControlBinding::Kind::EnumChoice:
            return readEnumChoice(b, values);
        case ControlBinding::Kind::SwitchList:
            return readSwitchList(b, values);
    }
    return false;
}

bool writeBinding(const ControlBinding& b, std::span<const DWORD> values) {
    switch (b.kind) {
        case ControlBinding::Kind::Level:
            return writeLevel(b, values);
        case ControlBinding::Kind::Switch:
            return writeSwitch(b, values);
        case ControlBinding::Kind::NoLevel:
            return false;
        case ControlBinding::Kind::EnumChoice:
            return writeEnumChoice(b, values);
        case ControlBinding::Kind::SwitchList:
            return writeSwitchList(b, values);
    }
    return false;
}
