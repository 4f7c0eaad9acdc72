// The mapping from a PulseAudio (or PipeWire's PulseAudio) server to mixer
// devices.
//
// Devices: one per sink. Device 0 is the server's default sink, the others
// follow by sink index. szPname is the sink's description (cut to 31
// characters); wMid is 0xFFFF (MM_UNMAPPED), wPid the sink's index,
// vDriverVersion libpulse's version (major in the high byte). The sink
// auto_null (the server's "Dummy Output", there only while no real output
// is) is a device like the others, marked as a stand-in (isStandIn).
//
// Destination 0, speakers (DST_SPEAKERS), "Master": VOLUME (the
// sink's volume, one value per channel), MUTE, and a PEAKMETER read from a
// peak-detecting record stream on the sink's monitor source.
// Its source lines (SRC_WAVEOUT): the application streams playing to the
// sink (sink inputs), by index, named by their application (else by the
// stream's own name): VOLUME, MUTE, and a PEAKMETER from a monitor stream of
// that one sink input. A stream without a volume of its own (passthrough)
// has a disabled VOLUME.
//
// Destination 1, wave-in (DST_WAVEIN), "Recording", when the server has a
// source that is not a monitor: VOLUME, MUTE and PEAKMETER of the default
// source, and a single-choice MUX with one item per such source (by index,
// at most 30) whose set item is the default source; writing an item makes
// that source the default (with none set, nothing changes). The same
// devices share this destination. Its source lines are those sources
// (SRC_MICROPHONE, SRC_LINE or SRC_DIGITAL by their description), each
// with its own VOLUME and no MUTE, so that a recording strip's select
// button picks the source through the list and never mutes a microphone.
//
// Levels: the server's volume runs linearly from PA_VOLUME_MUTED to
// PA_VOLUME_NORM (100 %) onto 0..65535; above 100 % reads 65535. A written
// level that shows the same read-out (level div 655, at most 99) as the
// channel shows now leaves that channel as it is, and a write that changes
// nothing is not sent: the windows write every strip back as they read it
// (99 as 64845 on the other channel), which would otherwise pull 100 % down
// to 99 % and a volume above 100 % down to 100 %. Such a volume changes only
// when its fader moves. More than two channels show
// as two: left is the loudest channel on the left side (front, rear, side,
// top), right the loudest on the right; a write scales each side's
// channels in proportion, and channels on neither side (centre, LFE, mono)
// follow the louder side. MUTE, the meters and the list are UNIFORM.
//
// Meters: the server reports peaks from 0.0 to 1.0 (full scale) and more;
// the meter value is peak × 18000 / 0.891, at most 32767, so that -1 dBFS
// (0.891) reads 18000, where the VU window starts counting over-peaks.
// Both channels read the same (one peak per stream).

#include "platform/pulse/pulse_mapping.h"

#include "platform/pulse/pulse_object.h"

#include <pulse/version.h>

#include <algorithm>
#include <cmath>

const PulseSource* PulseServerState::sourceNamed(const std::string& name) const {
    for (const auto& [index, s] : sources)
        if (s.name == name) return &s;
    return nullptr;
}

const PulseSink* PulseServerState::sinkNamed(const std::string& name) const {
    for (const auto& [index, s] : sinks)
        if (s.name == name) return &s;
    return nullptr;
}

namespace pulse_map {

namespace {

constexpr WORD kUnmappedId = 0xFFFF;
// The windows' read-out step and highest read-out (kept equal to mixer/levels.h).
constexpr DWORD kLevelsPerReadout = 655;
constexpr DWORD kTopReadout = 99;

DWORD readoutOf(DWORD level) { return std::min(level / kLevelsPerReadout, kTopReadout); }
constexpr DWORD kTargetWaveOut = 1;
constexpr DWORD kTargetWaveIn = 2;

enum class Side { Left, Right, Middle };

Side sideOf(pa_channel_position_t p) {
    switch (p) {
        case PA_CHANNEL_POSITION_FRONT_LEFT:
        case PA_CHANNEL_POSITION_REAR_LEFT:
        case PA_CHANNEL_POSITION_SIDE_LEFT:
        case PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
        case PA_CHANNEL_POSITION_TOP_FRONT_LEFT:
        case PA_CHANNEL_POSITION_TOP_REAR_LEFT:
            return Side::Left;
        case PA_CHANNEL_POSITION_FRONT_RIGHT:
        case PA_CHANNEL_POSITION_REAR_RIGHT:
        case PA_CHANNEL_POSITION_SIDE_RIGHT:
        case PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
        case PA_CHANNEL_POSITION_TOP_FRONT_RIGHT:
        case PA_CHANNEL_POSITION_TOP_REAR_RIGHT:
            return Side::Right;
        default:
            return Side::Middle;
    }
}

// A channel map that does not fit the volume counts as all middle.
Side sideAt(const pa_channel_map& map, unsigned channel, unsigned channels) {
    if (map.channels != channels || channel >= map.channels) return Side::Middle;
    return sideOf(map.map[channel]);
}

struct SideMax {
    pa_volume_t left = 0, right = 0, all = 0;
    bool hasLeft = false, hasRight = false;
};

SideMax sideMax(const pa_cvolume& v, const pa_channel_map& map) {
    SideMax m;
    for (unsigned c = 0; c < v.channels; ++c) {
        const pa_volume_t x = v.values[c];
        m.all = std::max(m.all, x);
        switch (sideAt(map, c, v.channels)) {
            case Side::Left:
                m.left = std::max(m.left, x);
                m.hasLeft = true;
                break;
            case Side::Right:
                m.right = std::max(m.right, x);
                m.hasRight = true;
                break;
            case Side::Middle:
                break;
        }
    }
    if (!m.hasLeft) m.left = m.all;
    if (!m.hasRight) m.right = m.all;
    return m;
}

pa_volume_t scaled(pa_volume_t old, pa_volume_t ref, pa_volume_t target) {
    if (ref == 0) return target;
    const std::uint64_t v = (std::uint64_t{old} * target + ref / 2) / ref;
    return static_cast<pa_volume_t>(std::min<std::uint64_t>(v, PA_VOLUME_MAX));
}

DWORD sourceTypeFor(const std::string& description) {
    std::string d = description;
    std::transform(d.begin(), d.end(), d.begin(), [](unsigned char c) { return std::tolower(c); });
    if (d.find("line") != std::string::npos) return MIXERLINE_COMPONENTTYPE_SRC_LINE;
    if (d.find("digital") != std::string::npos || d.find("s/pdif") != std::string::npos ||
        d.find("iec958") != std::string::npos)
        return MIXERLINE_COMPONENTTYPE_SRC_DIGITAL;
    return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
}

class Builder {
public:
    Builder(const PulseServerState& state, const PulseSink& sink, IdRegistry& ids, PulseMapping& out)
        : state_(state), sink_(sink), ids_(ids), out_(out) {
        MIXERCAPS& caps = out_.model.caps;
        caps.wMid = kUnmappedId;
        caps.wPid = static_cast<WORD>(std::min<std::uint32_t>(sink.index, kUnmappedId));
        caps.vDriverVersion = (PA_MAJOR << 8) | PA_MINOR;
        copyName(caps.szPname, sink.description.empty() ? sink.name : sink.description);
    }

    void build() {
        ids_.line("dst:speakers");
        ids_.line("dst:wavein");
        buildSpeakers();
        buildWaveIn();
        out_.model.finalize();
    }

private:
    DriverLine newLine(const std::string& key, DWORD type, const std::string& name, DWORD channels, DWORD target) {
        return newDriverLine(ids_.line(key), type, name, channels, target, out_.model.caps);
    }

    DriverControl& addControl(DriverLine& line, const std::string& key, DWORD type, const std::string& name,
                              PulseBinding binding, bool enabled = true) {
        DriverControl c;
        c.info.dwControlID = ids_.control(key);
        c.info.dwControlType = type;
        // Only levels keep a value per channel.
        if (line.info.cChannels > 1 && type != MIXERCONTROL_CONTROLTYPE_VOLUME)
            c.info.fdwControl |= MIXERCONTROL_CONTROLF_UNIFORM;
        if (!enabled) c.info.fdwControl |= MIXERCONTROL_CONTROLF_DISABLED;
        copyName(c.info.szShortName, name);
        copyName(c.info.szName, name);
        c.info.Bounds.dwMinimum = 0;
        if (type == MIXERCONTROL_CONTROLTYPE_VOLUME) {
            c.info.Bounds.dwMaximum = kLevelTop;
            c.info.Metrics.cSteps = kLevelTop;
        } else if (isMeterType(type)) {
            c.info.Bounds.dwMaximum = kMeterTop;
        } else {
            c.info.Bounds.dwMaximum = 1;
        }
        out_.bindings[c.info.dwControlID] = binding;
        line.controls.push_back(std::move(c));
        return line.controls.back();
    }

    using Kind = PulseBinding::Kind;

    void buildSpeakers() {
        const std::string key = "dst:speakers";
        DriverDestination dest;
        dest.line = newLine(key, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Master", lineChannels(sink_.levels.volume),
                            kTargetWaveOut);
        addControl(dest.line, key + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, "Volume",
                   {Kind::SinkVolume, sink_.index});
        addControl(dest.line, key + "/mute", MIXERCONTROL_CONTROLTYPE_MUTE, "Mute", {Kind::SinkMute, sink_.index});
        addControl(dest.line, key + "/peak", MIXERCONTROL_CONTROLTYPE_PEAKMETER, "Peak", {Kind::SinkPeak, sink_.index});
        for (const auto& [index, input] : state_.inputs) {
            if (input.sink != sink_.index) continue;
            const std::string lineKey = PulseObject::input(index).toString();
            DriverLine line = newLine(lineKey, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, input.name,
                                      input.levels.hasVolume ? lineChannels(input.levels.volume) : 1, 0);
            addControl(line, lineKey + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, "Volume", {Kind::InputVolume, index},
                       input.levels.hasVolume);
            addControl(line, lineKey + "/mute", MIXERCONTROL_CONTROLTYPE_MUTE, "Mute", {Kind::InputMute, index});
            addControl(line, lineKey + "/peak", MIXERCONTROL_CONTROLTYPE_PEAKMETER, "Peak", {Kind::InputPeak, index});
            dest.sources.push_back(std::move(line));
        }
        out_.model.destinations.push_back(std::move(dest));
    }

    void buildWaveIn() {
        out_.recordSources = recordSources(state_);
        if (out_.recordSources.empty()) return;
        const PulseSource* current = defaultSource(state_);
        const std::string key = "dst:wavein";
        DriverDestination dest;
        dest.line = newLine(key, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Recording",
                            current ? lineChannels(current->levels.volume) : 2, kTargetWaveIn);
        addControl(dest.line, key + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, "Recording Volume",
                   {Kind::RecordVolume, PA_INVALID_INDEX}, current != nullptr);
        addControl(dest.line, key + "/mute", MIXERCONTROL_CONTROLTYPE_MUTE, "Recording Mute",
                   {Kind::RecordMute, PA_INVALID_INDEX}, current != nullptr);
        addControl(dest.line, key + "/peak", MIXERCONTROL_CONTROLTYPE_PEAKMETER, "Recording Peak",
                   {Kind::RecordPeak, PA_INVALID_INDEX}, current != nullptr);
        std::vector<std::string> items;
        for (std::uint32_t index : out_.recordSources) {
            const PulseSource& s = state_.sources.at(index);
            const std::string name = s.description.empty() ? s.name : s.description;
            const std::string lineKey = "source:" + s.name;
            DriverLine line =
                newLine(lineKey, sourceTypeFor(name), name, s.levels.hasVolume ? lineChannels(s.levels.volume) : 1, 0);
            addControl(line, lineKey + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, name + " Volume",
                       {Kind::SourceVolume, index}, s.levels.hasVolume);
            dest.sources.push_back(std::move(line));
            items.push_back(name);
        }
        DriverControl& mux = addControl(dest.line, key + "/mux", MIXERCONTROL_CONTROLTYPE_MUX, "Recording Source",
                                        {Kind::RecordChoice, PA_INVALID_INDEX});
        mux.items = std::move(items);
        for (const auto& src : dest.sources) mux.itemParams.push_back(src.info.dwLineID);
        out_.model.destinations.push_back(std::move(dest));
    }

    const PulseServerState& state_;
    const PulseSink& sink_;
    IdRegistry& ids_;
    PulseMapping& out_;
};

std::vector<DWORD> levelValues(const PulseLevels& l) {
    if (!l.hasVolume) return std::vector<DWORD>(1, 0);
    return levelsOf(l.volume, l.map);
}

}  // namespace

DWORD levelFromVolume(pa_volume_t volume) {
    if (volume >= PA_VOLUME_NORM) return kLevelTop;
    return static_cast<DWORD>((std::uint64_t{volume} * kLevelTop + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

pa_volume_t volumeFromLevel(DWORD level) {
    level = std::min(level, kLevelTop);
    return static_cast<pa_volume_t>((std::uint64_t{level} * PA_VOLUME_NORM + kLevelTop / 2) / kLevelTop);
}

DWORD lineChannels(const pa_cvolume& volume) { return volume.channels == 1 ? 1 : 2; }

std::vector<DWORD> levelsOf(const pa_cvolume& volume, const pa_channel_map& map) {
    if (volume.channels == 0) return {0, 0};
    const SideMax m = sideMax(volume, map);
    if (volume.channels == 1) return {levelFromVolume(volume.values[0])};
    return {levelFromVolume(m.left), levelFromVolume(m.right)};
}

namespace {

// Each side's channels scaled to their new loudest volume; the middle ones
// follow the louder side.
pa_cvolume withSideVolumes(const pa_cvolume& old, const pa_channel_map& map, pa_volume_t left, pa_volume_t right) {
    pa_cvolume v = old;
    if (old.channels == 1) {
        v.values[0] = left;
        return v;
    }
    const SideMax m = sideMax(old, map);
    for (unsigned c = 0; c < old.channels; ++c) {
        switch (sideAt(map, c, old.channels)) {
            case Side::Left:
                v.values[c] = scaled(old.values[c], m.left, left);
                break;
            case Side::Right:
                v.values[c] = scaled(old.values[c], m.right, right);
                break;
            case Side::Middle:
                if (m.hasLeft || m.hasRight)
                    v.values[c] = scaled(old.values[c], std::max(m.left, m.right), std::max(left, right));
                else  // no sides at all: the left level stands for every channel
                    v.values[c] = scaled(old.values[c], m.all, left);
                break;
        }
    }
    return v;
}

}  // namespace

pa_cvolume withLevels(const pa_cvolume& old, const pa_channel_map& map, std::span<const DWORD> levels) {
    if (levels.empty() || old.channels == 0) return old;
    const pa_volume_t left = volumeFromLevel(levels[0]);
    return withSideVolumes(old, map, left, levels.size() > 1 ? volumeFromLevel(levels[1]) : left);
}

std::optional<pa_cvolume> volumeAfterWrite(const pa_cvolume& old, const pa_channel_map& map,
                                           std::span<const DWORD> levels) {
    if (levels.empty() || old.channels == 0) return std::nullopt;
    const SideMax m = sideMax(old, map);
    const pa_volume_t now[2] = {old.channels == 1 ? old.values[0] : m.left,
                                old.channels == 1 ? old.values[0] : m.right};
    pa_volume_t next[2];
    bool changed = false;
    for (int side = 0; side < 2; ++side) {
        const DWORD level = levels[std::min<std::size_t>(side, levels.size() - 1)];
        const bool same = readoutOf(level) == readoutOf(levelFromVolume(now[side]));
        next[side] = same ? now[side] : volumeFromLevel(level);
        changed = changed || !same;
    }
    if (!changed) return std::nullopt;
    const pa_cvolume v = withSideVolumes(old, map, next[0], next[1]);
    return pa_cvolume_equal(&v, &old) ? std::nullopt : std::optional(v);
}

DWORD meterFromPeak(float peak) {
    if (!(peak > 0.0f)) return 0;  // also NaN
    const double raw = std::round(static_cast<double>(peak) * 18000.0 / 0.891);
    return raw >= kMeterTop ? kMeterTop : static_cast<DWORD>(raw);
}

std::vector<std::uint32_t> sinkOrder(const PulseServerState& state) {
    std::vector<std::uint32_t> order;
    const PulseSink* def = state.sinkNamed(state.defaultSink);
    if (def) order.push_back(def->index);
    for (const auto& [index, sink] : state.sinks)
        if (&sink != def) order.push_back(index);
    return order;
}

std::vector<std::uint32_t> recordSources(const PulseServerState& state) {
    std::vector<std::uint32_t> list;
    for (const auto& [index, source] : state.sources)
        if (!source.monitor && static_cast<int>(list.size()) < kMaxRecordSources) list.push_back(index);
    return list;
}

const PulseSource* defaultSource(const PulseServerState& state) { return state.sourceNamed(state.defaultSource); }

PulseMapping buildMapping(const PulseServerState& state, std::uint32_t sink, IdRegistry& ids) {
    PulseMapping out;
    Builder(state, state.sinks.at(sink), ids, out).build();
    return out;
}

std::vector<DWORD> valuesOf(const PulseServerState& state, const PulseMapping& mapping, const PulseBinding& b) {
    using Kind = PulseBinding::Kind;
    auto sink = [&]() -> const PulseSink* {
        auto it = state.sinks.find(b.index);
        return it == state.sinks.end() ? nullptr : &it->second;
    };
    auto input = [&]() -> const PulseInput* {
        auto it = state.inputs.find(b.index);
        return it == state.inputs.end() ? nullptr : &it->second;
    };
    switch (b.kind) {
        case Kind::SinkVolume:
            if (const PulseSink* s = sink()) return levelValues(s->levels);
            return {};
        case Kind::SinkMute:
            if (const PulseSink* s = sink()) return {DWORD{s->levels.mute}};
            return {};
        case Kind::InputVolume:
            if (const PulseInput* i = input()) return levelValues(i->levels);
            return {};
        case Kind::InputMute:
            if (const PulseInput* i = input()) return {DWORD{i->levels.mute}};
            return {};
        case Kind::SourceVolume: {
            auto it = state.sources.find(b.index);
            if (it == state.sources.end()) return {};
            return levelValues(it->second.levels);
        }
        case Kind::RecordVolume:
            if (const PulseSource* s = defaultSource(state)) return levelValues(s->levels);
            return {};
        case Kind::RecordMute:
            if (const PulseSource* s = defaultSource(state)) return {DWORD{s->levels.mute}};
            return {};
        case Kind::RecordChoice: {
            const PulseSource* current = defaultSource(state);
            std::vector<DWORD> items;
            for (std::uint32_t index : mapping.recordSources)
                items.push_back(current && current->index == index ? 1 : 0);
            return items;
        }
        case Kind::SinkPeak:
        case Kind::InputPeak:
        case Kind::RecordPeak:
            return {};
    }
    return {};
}

}  // namespace pulse_map
