#include "platform/pulse/pulse_mirror.h"

#include "platform/pulse/pulse_connection.h"
#include "platform/pulse/pulse_log.h"

#include <pulse/introspect.h>

namespace {

PulseLevels levelsFrom(const pa_cvolume& volume, const pa_channel_map& map, int mute, bool hasVolume = true) {
    PulseLevels l;
    l.volume = volume;
    l.map = map;
    l.mute = mute != 0;
    l.hasVolume = hasVolume && volume.channels > 0;
    return l;
}

const char* text(const char* s, const char* otherwise = "") { return s ? s : otherwise; }

PulseSink sinkFrom(const pa_sink_info& i) {
    PulseSink s;
    s.index = i.index;
    s.name = text(i.name);
    s.description = text(i.description, s.name.c_str());
    s.monitorSource = text(i.monitor_source_name);
    s.levels = levelsFrom(i.volume, i.channel_map, i.mute);
    return s;
}

PulseInput inputFrom(const pa_sink_input_info& i) {
    PulseInput in;
    in.index = i.index;
    in.sink = i.sink;
    const char* app = i.proplist ? pa_proplist_gets(i.proplist, PA_PROP_APPLICATION_NAME) : nullptr;
    in.name = app && *app ? app : text(i.name, "Stream");
    in.levels = levelsFrom(i.volume, i.channel_map, i.mute, i.has_volume != 0);
    in.corked = i.corked != 0;
    return in;
}

PulseSource sourceFrom(const pa_source_info& i) {
    PulseSource s;
    s.index = i.index;
    s.name = text(i.name);
    s.description = text(i.description, s.name.c_str());
    s.monitor = i.monitor_of_sink != PA_INVALID_INDEX;
    s.levels = levelsFrom(i.volume, i.channel_map, i.mute);
    return s;
}

// Where each kind is kept, what it is made from, and what names it.
PulseObject objectOf(const pa_sink_info& i) { return PulseObject::sink(i.index); }
PulseObject objectOf(const pa_sink_input_info& i) { return PulseObject::input(i.index); }
PulseObject objectOf(const pa_source_info& i) { return PulseObject::source(i.index); }
PulseSink made(const pa_sink_info& i) { return sinkFrom(i); }
PulseInput made(const pa_sink_input_info& i) { return inputFrom(i); }
PulseSource made(const pa_source_info& i) { return sourceFrom(i); }
std::map<std::uint32_t, PulseSink>& listOf(PulseServerState& s, const pa_sink_info&) { return s.sinks; }
std::map<std::uint32_t, PulseInput>& listOf(PulseServerState& s, const pa_sink_input_info&) { return s.inputs; }
std::map<std::uint32_t, PulseSource>& listOf(PulseServerState& s, const pa_source_info&) { return s.sources; }

}  // namespace

// libpulse's callbacks; userdata is the mirror.
struct PulseMirror::Callbacks {
    template <typename Info>
    static void take(PulseMirror* m, const Info& i) {
        auto next = made(i);
        auto& list = listOf(m->state_, i);
        auto old = list.find(i.index);
        if (old != list.end() && m->keepsLevels(objectOf(i))) next.levels = old->second.levels;
        list[i.index] = std::move(next);
    }

    // The first load's lists end with a count-down; answers about one
    // object are taken in this turn's update.
    template <typename Info>
    static void listed(pa_context*, const Info* i, int eol, void* self) {
        auto* m = static_cast<PulseMirror*>(self);
        if (eol)
            m->loadDone();
        else if (i)
            take(m, *i);
    }
    template <typename Info>
    static void changed(pa_context*, const Info* i, int eol, void* self) {
        auto* m = static_cast<PulseMirror*>(self);
        if (eol || !i) return;
        take(m, *i);
        m->answered(objectOf(*i));
        emit m->changed(When::ThisTurn);
    }

    static void takeServer(PulseMirror* m, const pa_server_info* i) {
        if (!i) return;
        m->state_.defaultSink = text(i->default_sink_name);
        m->state_.defaultSource = text(i->default_source_name);
    }
    static void serverListed(pa_context*, const pa_server_info* i, void* self) {
        auto* m = static_cast<PulseMirror*>(self);
        takeServer(m, i);
        m->loadDone();
    }
    static void serverChanged(pa_context*, const pa_server_info* i, void* self) {
        auto* m = static_cast<PulseMirror*>(self);
        takeServer(m, i);
        emit m->changed(When::ThisTurn);
    }
};

PulseMirror::PulseMirror(PulseConnection& connection, QObject* parent) : QObject(parent), connection_(connection) {
    connect(&connection_, &PulseConnection::event, this, &PulseMirror::onEvent);
}

PulseLevels* PulseMirror::levelsOf(PulseObject object) {
    auto find = [&](auto& list) -> PulseLevels* {
        auto it = list.find(object.index);
        return it == list.end() ? nullptr : &it->second.levels;
    };
    switch (object.kind) {
        case PulseObject::Kind::Sink:
            return find(state_.sinks);
        case PulseObject::Kind::Input:
            return find(state_.inputs);
        case PulseObject::Kind::Source:
            return find(state_.sources);
    }
    return nullptr;
}

void PulseMirror::load() {
    pa_context* c = connection_.context();
    state_ = {};
    pendingLoads_ = 4;
    sent(pa_context_get_server_info(c, Callbacks::serverListed, this));
    sent(pa_context_get_sink_info_list(c, Callbacks::listed<pa_sink_info>, this));
    sent(pa_context_get_sink_input_info_list(c, Callbacks::listed<pa_sink_input_info>, this));
    sent(pa_context_get_source_info_list(c, Callbacks::listed<pa_source_info>, this));
}

void PulseMirror::clear() {
    loaded_ = false;
    pendingLoads_ = 0;
    asking_.clear();
    held_.clear();
    state_ = {};
}

void PulseMirror::askAgain() {
    if (!connection_.context()) return;
    for (PulseObject object : std::exchange(held_, {})) ask(object);
}

void PulseMirror::loadDone() {
    if (pendingLoads_ == 0 || --pendingLoads_ > 0) return;
    if (!loaded_ && connection_.started()) qCInfo(lcPulse) << "the sound server answers";
    loaded_ = true;
    emit changed(When::Now);
}

void PulseMirror::onEvent(unsigned type, std::uint32_t index) {
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER) {
        sent(pa_context_get_server_info(connection_.context(), Callbacks::serverChanged, this));
        return;
    }
    const std::optional<PulseObject> object = PulseObject::ofEvent(type, index);
    if (!object) return;
    if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_REMOVE) {
        ask(*object);
        return;
    }
    asking_.erase(*object);
    switch (object->kind) {
        case PulseObject::Kind::Sink:
            state_.sinks.erase(index);
            break;
        case PulseObject::Kind::Input:
            state_.inputs.erase(index);
            break;
        case PulseObject::Kind::Source:
            state_.sources.erase(index);
            break;
    }
    emit changed(When::Now);
}

void PulseMirror::ask(PulseObject object) {
    auto [it, fresh] = asking_.try_emplace(object, false);
    if (!fresh) {
        it->second = true;
        return;
    }
    query(object);
}

void PulseMirror::answered(PulseObject object) {
    auto it = asking_.find(object);
    if (it == asking_.end()) return;
    if (!it->second) {
        asking_.erase(it);
        return;
    }
    it->second = false;
    query(object);
}

void PulseMirror::query(PulseObject object) {
    pa_context* c = connection_.context();
    if (!c) return;
    switch (object.kind) {
        case PulseObject::Kind::Sink:
            sent(pa_context_get_sink_info_by_index(c, object.index, Callbacks::changed<pa_sink_info>, this));
            break;
        case PulseObject::Kind::Input:
            sent(pa_context_get_sink_input_info(c, object.index, Callbacks::changed<pa_sink_input_info>, this));
            break;
        case PulseObject::Kind::Source:
            sent(pa_context_get_source_info_by_index(c, object.index, Callbacks::changed<pa_source_info>, this));
            break;
    }
}
