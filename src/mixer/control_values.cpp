// The value operations of TAudioMixer: level pairs, mute and source-list
// states, meters and single control values of a line.

#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"

#include <array>

namespace {

constexpr DWORD kLevelBuffer = 31;  // values the level, mute and list paths can hold
constexpr DWORD kMeterBuffer = 10;
constexpr int kHighestListIndex = static_cast<int>(kLevelBuffer) - 1;

bool isMultiple(const MIXERCONTROL& c) { return (c.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) != 0; }
bool isDisabled(const MIXERCONTROL& c) { return (c.fdwControl & MIXERCONTROL_CONTROLF_DISABLED) != 0; }
bool isSourceList(const MIXERCONTROL& c) {
    return c.dwControlType == MIXERCONTROL_CONTROLTYPE_MIXER || c.dwControlType == MIXERCONTROL_CONTROLTYPE_MUX;
}
// One value for a uniform control, else one per channel of the line.
DWORD channelsFor(const MIXERCONTROL& c, const MIXERLINE& line) {
    return (c.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line.cChannels;
}
DWORD itemsFor(const MIXERCONTROL& c) { return isMultiple(c) ? c.cMultipleItems : 0; }
DWORD valueCount(DWORD channels, DWORD items) { return channels * (items ? items : 1); }

MIXERCONTROLDETAILS details(const MIXERCONTROL& c, DWORD channels, DWORD items, DWORD* buffer) {
    MIXERCONTROLDETAILS d{};
    d.cbStruct = sizeof(MIXERCONTROLDETAILS);
    d.dwControlID = c.dwControlID;
    d.cChannels = channels;
    d.cMultipleItems = items;
    d.cbDetails = sizeof(DWORD);
    d.paDetails = buffer;
    return d;
}

}  // namespace

// A device that went away has no lines to work on.
bool TAudioMixer::findLine(int Dest, int Conn, Line& line) const {
    if (deviceGone_) return false;
    line = lineAt(Dest, Conn);
    return line.info != nullptr;
}

// Reads the destination's first source list into buffer. Only connection
// indices the buffer can address are accepted, and only lists that fit it.
bool TAudioMixer::readList(const TMixerDestination& dest, int Conn, DWORD* buffer, const MIXERCONTROL** list) {
    if (Conn < 0 || Conn > kHighestListIndex) return false;
    for (int i = 0; i < dest.Controls.Count(); ++i) {
        const MIXERCONTROL& c = dest.Controls.Items(i);
        if (!isSourceList(c)) continue;
        const DWORD channels = channelsFor(c, dest.LineInfo);
        const DWORD items = itemsFor(c);
        if (valueCount(channels, items) > kLevelBuffer) return false;
        *list = &c;
        auto d = details(c, channels, items, buffer);
        return service_.mixerGetControlDetailsA(mixerHandle_, &d, MIXER_GETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
    }
    return false;
}

std::optional<LineLevels> TAudioMixer::GetLineLevels(int Dest, int Conn) {
    Line line;
    if (!findLine(Dest, Conn, line)) return std::nullopt;
    LineLevels v;
    for (int i = 0; i < line.controls->Count() && (v.Left == -1 || v.Mute == -1); ++i) {
        const MIXERCONTROL& c = line.controls->Items(i);
        const bool volume = c.dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME && v.Left == -1;
        const bool mute = c.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE && v.Mute == -1;
        if ((!volume && !mute) || isMultiple(c)) continue;
        if (isDisabled(c)) {
            (volume ? v.VolDisabled : v.MuteDisabled) = true;
            continue;
        }
        const DWORD channels = channelsFor(c, *line.info);
        if (channels > kLevelBuffer) continue;
        std::array<DWORD, kLevelBuffer> buffer{};
        auto d = details(c, channels, 0, buffer.data());
        if (service_.mixerGetControlDetailsA(mixerHandle_, &d, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
            continue;
        if (volume) {
            v.VolDisabled = false;
            v.Left = static_cast<int>(buffer[0]);
            if (channels >= 2) {
                v.Right = static_cast<int>(buffer[1]);
                v.Stereo = true;
            }
        } else {
            v.MuteDisabled = false;
            v.Mute = buffer[0] != 0 ? 1 : 0;
        }
    }
    if (v.Mute == -1 && Conn != -1) {
        std::array<DWORD, kLevelBuffer> buffer{};
        const MIXERCONTROL* list = nullptr;
        if (readList(*line.destination, Conn, buffer.data(), &list)) v.Mute = static_cast<int>(buffer[Conn]);
    }
    if (v.Left == -1) v.VolDisabled = true;
    if (v.Mute == -1) v.MuteDisabled = true;
    return v;
}

bool TAudioMixer::SetLineLevels(int Dest, int Conn, int Left, int Right, int Mute) {
    Line line;
    if (!findLine(Dest, Conn, line)) return false;
    bool written = true;  // every write made was taken
    bool levelPending = Left != -1;
    bool mutePending = Mute != -1;
    for (int i = 0; i < line.controls->Count() && (levelPending || mutePending); ++i) {
        const MIXERCONTROL& c = line.controls->Items(i);
        // A disabled control is not written, as it is not read: the device
        // would refuse it, and the result tells of real refusals only.
        if (isMultiple(c) || isDisabled(c)) continue;
        const bool volume = c.dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME && Left != -1;
        const bool mute = c.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE && Mute != -1;
        if (!volume && !mute) continue;
        const DWORD channels = channelsFor(c, *line.info);
        if (channels > kLevelBuffer) continue;
        std::array<DWORD, kLevelBuffer> buffer{};
        if (volume) {
            buffer[0] = static_cast<DWORD>(Left);
            buffer[1] = static_cast<DWORD>(Right == -1 ? Left : Right);
            levelPending = false;
        } else {
            buffer[0] = static_cast<DWORD>(Mute);
            mutePending = false;
        }
        auto d = details(c, channels, 0, buffer.data());
        if (service_.mixerSetControlDetails(mixerHandle_, &d, MIXER_SETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
            written = false;
    }
    if (mutePending && Conn != -1) {
        std::array<DWORD, kLevelBuffer> buffer{};
        const MIXERCONTROL* list = nullptr;
        readList(*line.destination, Conn, buffer.data(), &list);
        if (list) {
            if (list->dwControlType == MIXERCONTROL_CONTROLTYPE_MUX)
                for (DWORD k = 0; k < list->cMultipleItems && k < kLevelBuffer; ++k) buffer[k] = 0;
            buffer[Conn] = static_cast<DWORD>(Mute);
            auto d = details(*list, channelsFor(*list, line.destination->LineInfo), itemsFor(*list), buffer.data());
            if (service_.mixerSetControlDetails(mixerHandle_, &d, MIXER_SETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
                written = false;
        }
    }
    return written;
}

bool TAudioMixer::GetLineMute(int Dest, int Conn, bool& Muted) {
    Muted = false;
    Line line;
    if (!findLine(Dest, Conn, line)) return false;
    MIXERCONTROL mute{};
    MIXERLINECONTROLS query{};
    query.cbStruct = sizeof(MIXERLINECONTROLS);
    query.dwLineID = line.info->dwLineID;
    query.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    query.cControls = 1;
    query.cbmxctrl = sizeof(MIXERCONTROL);
    query.pamxctrl = &mute;
    if (service_.mixerGetLineControlsA(mixerHandle_, &query, MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR) {
        DWORD value = 0;
        auto d = details(mute, 1, 0, &value);
        if (service_.mixerGetControlDetailsA(mixerHandle_, &d, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
            return false;
        Muted = value == 1;
        return true;
    }
    if (Conn == -1) return false;
    std::array<DWORD, kLevelBuffer> buffer{};
    const MIXERCONTROL* list = nullptr;
    readList(*line.destination, Conn, buffer.data(), &list);
    if (!list) return false;
    Muted = buffer[Conn] != 0;
    return true;
}

bool TAudioMixer::GetLineMeter(int Dest, int Conn, int& Left, int& Right) {
    Left = 0;
    Right = 0;
    Line line;
    if (!findLine(Dest, Conn, line)) return false;
    for (int i = 0; i < line.controls->Count(); ++i) {
        const MIXERCONTROL& c = line.controls->Items(i);
        if (!isMeterType(c.dwControlType)) continue;
        const DWORD channels = line.info->cChannels;
        const DWORD items = itemsFor(c);
        if (valueCount(channels, items) > kMeterBuffer) return false;
        std::array<DWORD, kMeterBuffer> buffer{};
        auto d = details(c, channels, items, buffer.data());
        if (service_.mixerGetControlDetailsA(mixerHandle_, &d, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
            return false;
        Left = static_cast<int>(buffer[0]);
        Right = channels == 2 ? static_cast<int>(buffer[1]) : Left;
        return true;
    }
    return false;
}

int TAudioMixer::GetControlValue(int Dest, int Conn, int Index) {
    Line line;
    DWORD value = 0;
    if (!findLine(Dest, Conn, line) || Index < 0 || Index >= line.controls->Count()) return 0;
    auto d = details(line.controls->Items(Index), 1, 0, &value);
    service_.mixerGetControlDetailsA(mixerHandle_, &d, MIXER_GETCONTROLDETAILSF_VALUE);
    return static_cast<int>(value);
}

bool TAudioMixer::SetControlValue(int Dest, int Conn, int Index, int Value) {
    Line line;
    if (!findLine(Dest, Conn, line) || Index < 0 || Index >= line.controls->Count()) return false;
    DWORD value = static_cast<DWORD>(Value);
    auto d = details(line.controls->Items(Index), 1, 0, &value);
    return service_.mixerSetControlDetails(mixerHandle_, &d, MIXER_SETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
}
