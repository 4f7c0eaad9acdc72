#include "platform/pulse/pulse_writes.h"

#include "platform/pulse/pulse_connection.h"
#include "platform/pulse/pulse_log.h"
#include "platform/pulse/pulse_mirror.h"

#include <pulse/error.h>
#include <pulse/introspect.h>

#include <algorithm>

namespace {

using Kind = PulseBinding::Kind;

bool isMute(Kind k) { return k == Kind::SinkMute || k == Kind::InputMute || k == Kind::RecordMute; }

// The object whose levels a control stands for: the recording line's are
// the default source's.
std::optional<PulseObject> targetOf(const PulseServerState& state, const PulseBinding& b) {
    switch (b.kind) {
        case Kind::SinkVolume:
        case Kind::SinkMute:
            return PulseObject::sink(b.index);
        case Kind::InputVolume:
        case Kind::InputMute:
            return PulseObject::input(b.index);
        case Kind::SourceVolume:
            return PulseObject::source(b.index);
        case Kind::RecordVolume:
        case Kind::RecordMute:
            if (const PulseSource* s = pulse_map::defaultSource(state)) return PulseObject::source(s->index);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

pa_operation* sendMute(pa_context* c, PulseObject o, bool mute, pa_context_success_cb_t done, void* self) {
    switch (o.kind) {
        case PulseObject::Kind::Sink:
            return pa_context_set_sink_mute_by_index(c, o.index, mute, done, self);
        case PulseObject::Kind::Input:
            return pa_context_set_sink_input_mute(c, o.index, mute, done, self);
        case PulseObject::Kind::Source:
            return pa_context_set_source_mute_by_index(c, o.index, mute, done, self);
    }
    return nullptr;
}

pa_operation* sendVolume(pa_context* c, PulseObject o, const pa_cvolume& v, pa_context_success_cb_t done, void* self) {
    switch (o.kind) {
        case PulseObject::Kind::Sink:
            return pa_context_set_sink_volume_by_index(c, o.index, &v, done, self);
        case PulseObject::Kind::Input:
            return pa_context_set_sink_input_volume(c, o.index, &v, done, self);
        case PulseObject::Kind::Source:
            return pa_context_set_source_volume_by_index(c, o.index, &v, done, self);
    }
    return nullptr;
}

}  // namespace

struct PulseWrites::Callbacks {
    static void written(pa_context* c, int success, void* self) {
        if (!success) qCInfo(lcPulse) << "the server refused a change:" << pa_strerror(pa_context_errno(c));
        static_cast<PulseWrites*>(self)->finished(success != 0);
    }
};

PulseWrites::PulseWrites(PulseConnection& connection, PulseMirror& mirror, QObject* parent)
    : QObject(parent), connection_(connection), mirror_(mirror) {}

PulseWrites::Result PulseWrites::write(const PulseMapping& mapping, const PulseBinding& binding,
                                       std::span<const DWORD> values) {
    if (!connection_.context() || values.empty()) return Result::Failed;
    const std::vector<DWORD> now = pulse_map::valuesOf(mirror_.state(), mapping, binding);
    if (now.empty()) return Result::Failed;
    bool same = true;
    for (std::size_t i = 0; i < values.size(); ++i) same = same && values[i] == now[std::min(i, now.size() - 1)];
    if (same) return Result::Unchanged;
    return binding.kind == Kind::RecordChoice ? writeChoice(mapping, values) : writeLevels(binding, values);
}

PulseWrites::Result PulseWrites::writeLevels(const PulseBinding& binding, std::span<const DWORD> values) {
    const std::optional<PulseObject> object = targetOf(mirror_.state(), binding);
    PulseLevels* levels = object ? mirror_.levelsOf(*object) : nullptr;
    if (!levels) return Result::Failed;
    PulseLevels next = *levels;
    pa_operation* op = nullptr;
    if (isMute(binding.kind)) {
        next.mute = values[0] != 0;
        op = sendMute(connection_.context(), *object, next.mute, &Callbacks::written, this);
    } else {
        // A volume that is the server's alone (a passthrough stream) is not
        // ours to write; a write that changes no channel is not sent.
        if (!next.hasVolume) return Result::Failed;
        const std::optional<pa_cvolume> volume = pulse_map::volumeAfterWrite(next.volume, next.map, values);
        if (!volume) return Result::Unchanged;
        next.volume = *volume;
        op = sendVolume(connection_.context(), *object, next.volume, &Callbacks::written, this);
    }
    if (!sent(op)) return Result::Failed;
    sending(*object, std::exchange(*levels, next), std::nullopt);
    return Result::Sent;
}

PulseWrites::Result PulseWrites::writeChoice(const PulseMapping& mapping, std::span<const DWORD> values) {
    // The first item set becomes the default; none set changes nothing.
    const auto& items = mapping.recordSources;
    std::size_t pick = 0;
    while (pick < values.size() && pick < items.size() && values[pick] == 0) ++pick;
    if (pick >= values.size() || pick >= items.size()) return Result::Unchanged;
    PulseServerState& state = mirror_.state();
    auto it = state.sources.find(items[pick]);
    if (it == state.sources.end()) return Result::Failed;
    const PulseSource& chosen = it->second;
    if (!sent(pa_context_set_default_source(connection_.context(), chosen.name.c_str(), &Callbacks::written, this)))
        return Result::Failed;
    sending(PulseObject::source(chosen.index), std::nullopt, std::exchange(state.defaultSource, chosen.name));
    return Result::Sent;
}

void PulseWrites::sending(PulseObject object, std::optional<PulseLevels> levelsBefore,
                          std::optional<std::string> defaultSourceBefore) {
    mirror_.hold(object);
    writes_.push_back({object, std::move(levelsBefore), std::move(defaultSourceBefore)});
}

void PulseWrites::finished(bool success) {
    if (writes_.empty()) return;
    const Write done = std::move(writes_.front());
    writes_.pop_front();
    const bool more =
        std::any_of(writes_.begin(), writes_.end(), [&](const Write& w) { return w.object == done.object; });
    if (!success && !more) {
        // What the server refused never happened.
        PulseLevels* levels = mirror_.levelsOf(done.object);
        if (levels && done.levelsBefore) *levels = *done.levelsBefore;
        if (done.defaultSourceBefore) mirror_.state().defaultSource = *done.defaultSourceBefore;
        emit refused();
    }
    if (writes_.empty()) mirror_.askAgain();
}
