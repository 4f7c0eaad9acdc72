#pragma once
// What the sound server holds, as this program keeps it, and how it becomes
// mixer devices, lines and controls. The rules are in pulse_mapping.cpp.

#include "platform/device_model.h"
#include "platform/id_registry.h"

#include <pulse/channelmap.h>
#include <pulse/def.h>
#include <pulse/volume.h>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

struct PulseLevels {
    pa_cvolume volume{};
    pa_channel_map map{};
    bool mute = false;
    bool hasVolume = true;
};

struct PulseSink {
    std::uint32_t index = PA_INVALID_INDEX;
    std::string name, description, monitorSource;
    PulseLevels levels;
};

struct PulseInput {  // an application's stream playing to a sink
    std::uint32_t index = PA_INVALID_INDEX;
    std::uint32_t sink = PA_INVALID_INDEX;
    std::string name;
    PulseLevels levels;
    bool corked = false;  // paused by its application: it plays nothing
};

struct PulseSource {
    std::uint32_t index = PA_INVALID_INDEX;
    std::string name, description;
    bool monitor = false;
    PulseLevels levels;
};

struct PulseServerState {
    std::map<std::uint32_t, PulseSink> sinks;
    std::map<std::uint32_t, PulseInput> inputs;
    std::map<std::uint32_t, PulseSource> sources;
    std::string defaultSink, defaultSource;

    const PulseSource* sourceNamed(const std::string& name) const;
    const PulseSink* sinkNamed(const std::string& name) const;
};

// What a control stands for on the server.
struct PulseBinding {
    enum class Kind {
        SinkVolume,
        SinkMute,
        SinkPeak,
        InputVolume,
        InputMute,
        InputPeak,
        SourceVolume,  // a record source line's own level
        RecordVolume,  // the wave-in destination: the default source
        RecordMute,
        RecordPeak,
        RecordChoice,  // which record source is the default
    };
    Kind kind = Kind::SinkVolume;
    std::uint32_t index = PA_INVALID_INDEX;  // the sink, stream or source (none for the Record kinds)
};

struct PulseMapping {
    DeviceModel model;  // finalized
    std::unordered_map<DWORD, PulseBinding> bindings;
    std::vector<std::uint32_t> recordSources;  // the choice's items, in item order
};

namespace pulse_map {

inline constexpr DWORD kLevelTop = 65535;
inline constexpr DWORD kMeterTop = 32767;
inline constexpr int kMaxRecordSources = 30;

DWORD levelFromVolume(pa_volume_t volume);
pa_volume_t volumeFromLevel(DWORD level);
// 1 for a one-channel volume, else 2.
DWORD lineChannels(const pa_cvolume& volume);
// The line's one or two levels: each side is its loudest channel; channels
// on neither side count for both when a side has none.
std::vector<DWORD> levelsOf(const pa_cvolume& volume, const pa_channel_map& map);
// The volume after writing one or two levels: every channel of a side keeps
// its proportion to that side's loudest, the middle ones follow the louder
// side.
pa_cvolume withLevels(const pa_cvolume& old, const pa_channel_map& map, std::span<const DWORD> levels);
// What writing one or two levels does to a volume: a channel whose written
// level shows the read-out it shows now (level div 655, at most 99) keeps its
// volume, so that a strip written back as it was read changes nothing (a
// volume above 100 % stays). Nothing when no channel changes.
std::optional<pa_cvolume> volumeAfterWrite(const pa_cvolume& old, const pa_channel_map& map,
                                           std::span<const DWORD> levels);
// A peak (1.0 = full scale) as a meter value: -1 dBFS reads 18000, the first
// value the meters count as an over-peak.
DWORD meterFromPeak(float peak);

// Sinks in device order: the default first, then by index.
std::vector<std::uint32_t> sinkOrder(const PulseServerState& state);
// Sources that can be recorded: not monitors, by index, at most 30.
std::vector<std::uint32_t> recordSources(const PulseServerState& state);
// The default source when it is known, else null.
const PulseSource* defaultSource(const PulseServerState& state);

PulseMapping buildMapping(const PulseServerState& state, std::uint32_t sink, IdRegistry& ids);

// The values of a control in the service's layout; meters are the caller's.
// Empty when the object it stands for is gone.
std::vector<DWORD> valuesOf(const PulseServerState& state, const PulseMapping& mapping, const PulseBinding& binding);

}  // namespace pulse_map
