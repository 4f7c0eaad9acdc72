#include "platform/pulse/pulse_driver.h"

#include "platform/pulse/qt_mainloop.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

Q_LOGGING_CATEGORY(lcPulse, "tavlo.pulse", QtInfoMsg)

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReconnectMs = 1000;
constexpr auto kMeterStale = std::chrono::milliseconds(300);  // no data since (at least): the meter reads 0
constexpr auto kDrainBound = std::chrono::milliseconds(500);  // writes still sent at the end

std::string objectKey(const char* kind, std::uint32_t index) { return std::string(kind) + ':' + std::to_string(index); }

PulseLevels levelsFrom(const pa_cvolume& volume, const pa_channel_map& map, int mute, bool hasVolume = true) {
    PulseLevels l;
    l.volume = volume;
    l.map = map;
    l.mute = mute != 0;
    l.hasVolume = hasVolume && volume.channels > 0;
    return l;
}

// What a destination looks like to the windows (lines, names, channels,
// controls, items) and what its controls stand for on the server. A change
// here is a line change; values are not part of it.
std::string signatureOf(const DriverDestination& dest, const PulseMapping& mapping) {
    std::string s;
    auto line = [&](const DriverLine& l) {
        s += std::to_string(l.info.dwLineID) + '/' + l.info.szName + '/' + std::to_string(l.info.cChannels) + '[';
        for (const auto& c : l.controls) {
            const PulseBinding& b = mapping.bindings.at(c.info.dwControlID);
            s += std::to_string(c.info.dwControlID) + ',' + std::to_string(c.info.fdwControl) + ',' +
                 std::to_string(static_cast<int>(b.kind)) + ',' + std::to_string(b.index) + ',';
            for (const auto& item : c.items) s += item + ';';
        }
        s += ']';
    };
    line(dest.line);
    for (const auto& src : dest.sources) line(src);
    if (dest.line.info.dwComponentType == MIXERLINE_COMPONENTTYPE_DST_WAVEIN)
        for (std::uint32_t index : mapping.recordSources) s += '#' + std::to_string(index);
    return s;
}

bool isPeak(PulseBinding::Kind k) {
    using Kind = PulseBinding::Kind;
    return k == Kind::SinkPeak || k == Kind::InputPeak || k == Kind::RecordPeak;
}

}  // namespace

struct PulseDriver::Meter {
    PulseDriver* driver = nullptr;
    pa_stream* stream = nullptr;
    std::string source;                             // the server's source it records from
    std::uint32_t monitorInput = PA_INVALID_INDEX;  // for a stream's meter: that stream
    std::uint32_t sink = PA_INVALID_INDEX;          // for a stream's meter: the sink it was playing to
    DeviceKey reader = 0;                           // the device last read through
    float peak = 0.0f;
    Clock::time_point lastData{};
    Clock::time_point lastRead{};
    DWORD reported = 0;  // the value last reported (0 for silence)
    bool failed = false;
};

// libpulse's callbacks; userdata is the driver (or the meter).
class PulseDriver::Callbacks {
public:
    static void contextState(pa_context*, void* self) { static_cast<PulseDriver*>(self)->onContextState(); }

    static void subscription(pa_context*, pa_subscription_event_type_t t, std::uint32_t index, void* self) {
        static_cast<PulseDriver*>(self)->onEvent(static_cast<unsigned>(t), index);
    }

    static void takeServer(PulseDriver* d, const pa_server_info* i) {
        if (!i) return;
        d->state_.defaultSink = i->default_sink_name ? i->default_sink_name : "";
        d->state_.defaultSource = i->default_source_name ? i->default_source_name : "";
    }
    static void serverListed(pa_context*, const pa_server_info* i, void* self) {
        auto* d = static_cast<PulseDriver*>(self);
        takeServer(d, i);
        d->loadDone();
    }
    static void serverChanged(pa_context*, const pa_server_info* i, void* self) {
        auto* d = static_cast<PulseDriver*>(self);
        takeServer(d, i);
        d->scheduleUpdate();
    }

    // The first load's lists end with a count-down; answers about one
    // object update at once.
    template <typename Info, void (*Take)(PulseDriver*, const Info*)>
    static void listed(pa_context*, const Info* i, int eol, void* self) {
        auto* d = static_cast<PulseDriver*>(self);
        if (eol)
            d->loadDone();
        else
            Take(d, i);
    }
    template <typename Info, void (*Take)(PulseDriver*, const Info*)>
    static void changed(pa_context*, const Info* i, int eol, void* self) {
        auto* d = static_cast<PulseDriver*>(self);
        if (eol || !i) return;
        Take(d, i);
        d->answered(keyOf(i));
        d->scheduleUpdate();
    }
    static std::string keyOf(const pa_sink_info* i) { return objectKey("sink", i->index); }
    static std::string keyOf(const pa_sink_input_info* i) { return objectKey("input", i->index); }
    static std::string keyOf(const pa_source_info* i) { return objectKey("source", i->index); }

    static void takeSink(PulseDriver* d, const pa_sink_info* i) {
        PulseSink s;
        s.index = i->index;
        s.name = i->name ? i->name : "";
        s.description = i->description ? i->description : s.name;
        s.monitorSource = i->monitor_source_name ? i->monitor_source_name : "";
        s.levels = levelsFrom(i->volume, i->channel_map, i->mute);
        auto old = d->state_.sinks.find(i->index);
        if (old != d->state_.sinks.end() && d->keepOwnLevels(objectKey("sink", i->index)))
            s.levels = old->second.levels;
        d->state_.sinks[i->index] = std::move(s);
    }

    static void takeInput(PulseDriver* d, const pa_sink_input_info* i) {
        PulseInput in;
        in.index = i->index;
        in.sink = i->sink;
        const char* app = i->proplist ? pa_proplist_gets(i->proplist, PA_PROP_APPLICATION_NAME) : nullptr;
        in.name = app && *app ? app : (i->name ? i->name : "Stream");
        in.levels = levelsFrom(i->volume, i->channel_map, i->mute, i->has_volume != 0);
        auto old = d->state_.inputs.find(i->index);
        if (old != d->state_.inputs.end() && d->keepOwnLevels(objectKey("input", i->index)))
            in.levels = old->second.levels;
        d->state_.inputs[i->index] = std::move(in);
    }

    static void takeSource(PulseDriver* d, const pa_source_info* i) {
        PulseSource s;
        s.index = i->index;
        s.name = i->name ? i->name : "";
        s.description = i->description ? i->description : s.name;
        s.monitor = i->monitor_of_sink != PA_INVALID_INDEX;
        s.levels = levelsFrom(i->volume, i->channel_map, i->mute);
        auto old = d->state_.sources.find(i->index);
        if (old != d->state_.sources.end() && d->keepOwnLevels(objectKey("source", i->index)))
            s.levels = old->second.levels;
        d->state_.sources[i->index] = std::move(s);
    }

    static constexpr auto sinkListed = &listed<pa_sink_info, &takeSink>;
    static constexpr auto sinkChanged = &changed<pa_sink_info, &takeSink>;
    static constexpr auto inputListed = &listed<pa_sink_input_info, &takeInput>;
    static constexpr auto inputChanged = &changed<pa_sink_input_info, &takeInput>;
    static constexpr auto sourceListed = &listed<pa_source_info, &takeSource>;
    static constexpr auto sourceChanged = &changed<pa_source_info, &takeSource>;

    static void written(pa_context*, int success, void* self) {
        auto* d = static_cast<PulseDriver*>(self);
        if (!success) qCInfo(lcPulse) << "the server refused a change:" << pa_strerror(pa_context_errno(d->context_));
        d->writeFinished(success != 0);
    }

    static void meterRead(pa_stream* s, std::size_t, void* meter) {
        auto* m = static_cast<Meter*>(meter);
        const void* data = nullptr;
        std::size_t bytes = 0;
        while (pa_stream_readable_size(s) > 0) {
            if (pa_stream_peek(s, &data, &bytes) < 0 || bytes == 0) return;
            if (data) {  // null: a hole in the stream, nothing to measure
                const auto* peaks = static_cast<const float*>(data);
                float top = 0.0f;
                for (std::size_t k = 0; k < bytes / sizeof(float); ++k) top = std::max(top, std::fabs(peaks[k]));
                m->peak = top;
                m->lastData = Clock::now();
                m->driver->meterData(*m);
            }
            pa_stream_drop(s);
        }
    }

    // A stream closed before the server had made it: libpulse refuses to
    // disconnect it until it is made, and the server would go on sending.
    static void closeWhenMade(pa_stream* s, void*) {
        switch (pa_stream_get_state(s)) {
            case PA_STREAM_READY:
                pa_stream_disconnect(s);
                break;
            case PA_STREAM_FAILED:
            case PA_STREAM_TERMINATED:
                pa_stream_set_state_callback(s, nullptr, nullptr);
                pa_stream_unref(s);
                break;
            default:
                break;
        }
    }

    static void meterState(pa_stream* s, void* meter) {
        const pa_stream_state_t st = pa_stream_get_state(s);
        if (st == PA_STREAM_FAILED || st == PA_STREAM_TERMINATED) static_cast<Meter*>(meter)->failed = true;
    }
};

PulseDriver::PulseDriver() : loop_(std::make_unique<QtPulseMainloop>()) {
    reconnect_ = new QTimer(this);
    reconnect_->setSingleShot(true);
    reconnect_->setInterval(kReconnectMs);
    connect(reconnect_, &QTimer::timeout, this, [this] {
        QString why;
        if (!startContext(&why)) reconnect_->start();
    });
    reaper_ = new QTimer(this);
    reaper_->setInterval(1000);
    connect(reaper_, &QTimer::timeout, this, &PulseDriver::reapMeters);
}

std::unique_ptr<PulseDriver> PulseDriver::connectWithin(std::chrono::milliseconds bound, QString* error) {
    std::unique_ptr<PulseDriver> d(new PulseDriver);
    if (!d->startContext(error)) return d;
    // Start-up: the windows are not there yet and want the first list.
    d->loop_->runUntil(Clock::now() + bound, [&d] { return d->loaded_ || d->failed_; });
    if (!d->loaded_ && error) {
        const int code = d->context_ ? pa_context_errno(d->context_) : PA_ERR_UNKNOWN;
        *error = d->failed_ ? QStringLiteral("no PulseAudio or PipeWire server answers (%1)")
                                  .arg(QString::fromLocal8Bit(pa_strerror(code)))
                            : QStringLiteral("the sound server did not answer within %1 ms").arg(bound.count());
    }
    return d;
}

std::unique_ptr<PulseDriver> PulseDriver::open(std::chrono::milliseconds bound, QString* error) {
    auto d = connectWithin(bound, error);
    if (!d->loaded_) return nullptr;
    d->started_ = true;
    qCDebug(lcPulse) << "connected:" << d->devices_.size() << "sinks," << d->state_.inputs.size() << "streams,"
                     << d->state_.sources.size() << "sources";
    return d;
}

std::unique_ptr<PulseDriver> PulseDriver::follow(std::chrono::milliseconds bound) {
    QString why;
    auto d = connectWithin(bound, &why);
    d->started_ = true;
    if (d->loaded_) return d;
    qCDebug(lcPulse).noquote() << why << "- waiting for it";
    if (!d->context_)
        d->reconnect_->start();
    else if (d->failed_)
        d->dropConnection();
    // Else still on its way: it answers from the event loop.
    return d;
}

PulseDriver::~PulseDriver() {
    // Changes just made are still sent (a command-line tool ends right after).
    if (context_ && loaded_ && !writes_.empty())
        loop_->runUntil(Clock::now() + kDrainBound, [this] { return writes_.empty(); });
    for (auto& [key, meter] : meters_) closeMeter(*meter);
    meters_.clear();
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    loop_.reset();
}

bool PulseDriver::startContext(QString* error) {
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tavlo");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "org.varnel.tavlo");
    context_ = pa_context_new_with_proplist(loop_->api(), "Tavlo", props);
    pa_proplist_free(props);
    if (!context_) {
        if (error) *error = QStringLiteral("cannot make a PulseAudio context");
        return false;
    }
    failed_ = false;
    pa_context_set_state_callback(context_, &Callbacks::contextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        if (error)
            *error = QStringLiteral("no PulseAudio or PipeWire server answers (%1)")
                         .arg(QString::fromLocal8Bit(pa_strerror(pa_context_errno(context_))));
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_unref(context_);
        context_ = nullptr;
        return false;
    }
    return true;
}

void PulseDriver::onContextState() {
    switch (pa_context_get_state(context_)) {
        case PA_CONTEXT_READY:
            pa_context_set_subscribe_callback(context_, &Callbacks::subscription, this);
            pa_operation_unref(pa_context_subscribe(
                context_,
                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SINK_INPUT |
                                                    PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER),
                nullptr, nullptr));
            loadAll();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            failed_ = true;
            // Not from inside libpulse's own call; at start-up the caller looks.
            if (started_) QMetaObject::invokeMethod(this, &PulseDriver::dropConnection, Qt::QueuedConnection);
            break;
        default:
            break;
    }
}

void PulseDriver::dropConnection() {
    if (!context_ || !failed_) return;
    if (loaded_) qCInfo(lcPulse) << "the sound server is gone:" << pa_strerror(pa_context_errno(context_));
    for (auto& [key, meter] : meters_) closeMeter(*meter);
    meters_.clear();
    followed_.clear();
    reaper_->stop();
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_unref(context_);
    context_ = nullptr;
    loaded_ = false;
    pendingLoads_ = 0;
    writes_.clear();
    writing_.clear();
    asking_.clear();
    state_ = {};
    const bool had = !devices_.empty();
    devices_.clear();
    // Its devices go, and the listeners learn that the server stopped (also
    // when it had none).
    if (std::exchange(runningSaid_, false) || had) emit devicesChanged();
    reconnect_->start();
}

void PulseDriver::loadAll() {
    state_ = {};
    pendingLoads_ = 4;
    pa_operation_unref(pa_context_get_server_info(context_, Callbacks::serverListed, this));
    pa_operation_unref(pa_context_get_sink_info_list(context_, Callbacks::sinkListed, this));
    pa_operation_unref(pa_context_get_sink_input_info_list(context_, Callbacks::inputListed, this));
    pa_operation_unref(pa_context_get_source_info_list(context_, Callbacks::sourceListed, this));
}

void PulseDriver::loadDone() {
    if (pendingLoads_ == 0 || --pendingLoads_ > 0) return;
    if (!loaded_ && started_) qCInfo(lcPulse) << "the sound server answers";
    loaded_ = true;
    update();
}

void PulseDriver::onEvent(unsigned type, std::uint32_t index) {
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        pa_operation_unref(pa_context_get_server_info(context_, Callbacks::serverChanged, this));
        return;
    }
    const char* kind = facility == PA_SUBSCRIPTION_EVENT_SINK         ? "sink"
                       : facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT ? "input"
                       : facility == PA_SUBSCRIPTION_EVENT_SOURCE     ? "source"
                                                                      : nullptr;
    if (!kind) return;
    const std::string object = objectKey(kind, index);
    if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_REMOVE) {
        ask(object);
        return;
    }
    asking_.erase(object);
    if (facility == PA_SUBSCRIPTION_EVENT_SINK)
        state_.sinks.erase(index);
    else if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT)
        state_.inputs.erase(index);
    else
        state_.sources.erase(index);
    update();
}

void PulseDriver::update(const PulseBinding* written) {
    if (!loaded_ || pendingLoads_ > 0) return;
    std::vector<DeviceKey> before;
    for (const auto& d : devices_) before.push_back(d->key);

    std::vector<std::unique_ptr<Device>> next;
    std::vector<std::pair<DeviceKey, DWORD>> lineChanges;
    std::vector<std::pair<DeviceKey, DWORD>> controlChanges;
    for (std::uint32_t sink : pulse_map::sinkOrder(state_)) {
        auto it =
            std::find_if(devices_.begin(), devices_.end(), [sink](const auto& d) { return d && d->sink == sink; });
        const bool fresh = it == devices_.end();
        std::unique_ptr<Device> d;
        if (fresh) {
            d = std::make_unique<Device>();
            d->key = nextKey_++;
            d->sink = sink;
        } else {
            d = std::move(*it);
        }
        PulseMapping mapping = pulse_map::buildMapping(state_, sink, d->ids);
        std::vector<std::string> signatures;
        signatures.push_back(mapping.model.caps.szPname);
        for (const auto& dest : mapping.model.destinations) signatures.push_back(signatureOf(dest, mapping));
        if (fresh || signatures != d->signatures) {
            if (!fresh) {
                // Destinations whose lines changed, and those that came or went.
                std::set<DWORD> ids;
                auto note = [&](const DeviceModel& m, const std::vector<std::string>& sig, const DeviceModel& other,
                                const std::vector<std::string>& otherSig) {
                    for (std::size_t i = 0; i < m.destinations.size(); ++i) {
                        const bool same = i < other.destinations.size() && i + 1 < otherSig.size() &&
                                          sig[i + 1] == otherSig[i + 1] && sig[0] == otherSig[0];
                        if (!same) ids.insert(m.destinations[i].line.info.dwLineID);
                    }
                };
                note(mapping.model, signatures, d->mapping.model, d->signatures);
                note(d->mapping.model, d->signatures, mapping.model, signatures);
                for (DWORD id : ids) lineChanges.emplace_back(d->key, id);
            }
            d->mapping = std::move(mapping);
            d->signatures = std::move(signatures);
        }
        for (const auto& [id, binding] : d->mapping.bindings) {
            if (isPeak(binding.kind)) continue;
            std::vector<DWORD> now = pulse_map::valuesOf(state_, d->mapping, binding);
            auto& seen = d->known[id];
            if (seen == now) continue;
            const bool echoed = written && binding.kind == written->kind && binding.index == written->index;
            if (!seen.empty() && !fresh && !echoed) controlChanges.emplace_back(d->key, id);
            seen = std::move(now);
        }
        next.push_back(std::move(d));
    }
    devices_ = std::move(next);

    std::vector<DeviceKey> after;
    for (const auto& d : devices_) after.push_back(d->key);
    // A server that has just answered is news even without devices.
    if (before != after || !std::exchange(runningSaid_, true)) {
        qCDebug(lcPulse) << "devices now:" << after.size();
        emit devicesChanged();
    }
    for (const auto& [key, id] : lineChanges) {
        qCDebug(lcPulse) << "lines of" << id << "on device" << key << "changed";
        emit lineChanged(key, id);
    }
    for (const auto& [key, id] : controlChanges) {
        qCDebug(lcPulse) << "control" << id << "of device" << key << "changed";
        emit controlChanged(key, id);
    }
}

int PulseDriver::deviceCount() const { return static_cast<int>(devices_.size()); }

DeviceKey PulseDriver::deviceKey(int index) const {
    return index >= 0 && index < deviceCount() ? devices_[static_cast<std::size_t>(index)]->key : 0;
}

PulseDriver::Device* PulseDriver::find(DeviceKey key) const {
    for (const auto& d : devices_)
        if (d->key == key) return d.get();
    return nullptr;
}

const DeviceModel* PulseDriver::model(DeviceKey key) const {
    const Device* d = find(key);
    return d ? &d->mapping.model : nullptr;
}

bool PulseDriver::readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) {
    Device* d = find(key);
    if (!d || values.empty()) return false;
    auto b = d->mapping.bindings.find(controlId);
    if (b == d->mapping.bindings.end()) return false;
    if (isPeak(b->second.kind)) {
        std::fill(values.begin(), values.end(), meterValue(key, b->second));
        return true;
    }
    std::vector<DWORD> now = pulse_map::valuesOf(state_, d->mapping, b->second);
    if (now.empty()) return false;
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = now[std::min(i, now.size() - 1)];
    d->known[controlId] = std::move(now);
    return true;
}

bool PulseDriver::isStandIn(DeviceKey key) const {
    const Device* d = find(key);
    const auto sink = d ? state_.sinks.find(d->sink) : state_.sinks.end();
    return sink != state_.sinks.end() && sink->second.name == "auto_null";
}

void PulseDriver::noteWrite(const std::string& object) { writing_.insert(object); }

void PulseDriver::writeFinished(bool success) {
    if (writes_.empty()) return;
    const Write done = std::move(writes_.front());
    writes_.pop_front();
    const bool more =
        std::any_of(writes_.begin(), writes_.end(), [&](const Write& w) { return w.object == done.object; });
    if (!success && !more) {
        // What the server refused never happened: the value goes back (a
        // later write to the same object would have replaced it), and the
        // windows hear of it as of any change.
        const auto colon = done.object.find(':');
        const auto index = static_cast<std::uint32_t>(std::stoul(done.object.substr(colon + 1)));
        PulseLevels* levels = nullptr;
        if (done.object.starts_with("sink:") && state_.sinks.count(index)) levels = &state_.sinks[index].levels;
        if (done.object.starts_with("input:") && state_.inputs.count(index)) levels = &state_.inputs[index].levels;
        if (done.object.starts_with("source:") && state_.sources.count(index)) levels = &state_.sources[index].levels;
        if (levels && done.levelsBefore) *levels = *done.levelsBefore;
        if (done.defaultSourceBefore) state_.defaultSource = *done.defaultSourceBefore;
        scheduleUpdate();
    }
    if (!writes_.empty() || !context_) return;
    // Answers that came meanwhile were set aside; look again now.
    for (const std::string& object : std::exchange(writing_, {})) ask(object);
}

void PulseDriver::ask(const std::string& object) {
    // One question per object on its way: changes meanwhile (a storm of
    // them from another program) are answered by one more question once
    // the answer lands.
    auto [it, fresh] = asking_.try_emplace(object, false);
    if (!fresh) {
        it->second = true;
        return;
    }
    query(object);
}

void PulseDriver::answered(const std::string& object) {
    auto it = asking_.find(object);
    if (it == asking_.end()) return;
    if (!it->second) {
        asking_.erase(it);
        return;
    }
    it->second = false;
    query(object);
}

void PulseDriver::query(const std::string& object) {
    if (!context_) return;
    const auto colon = object.find(':');
    const std::string kind = object.substr(0, colon);
    const auto index = static_cast<std::uint32_t>(std::stoul(object.substr(colon + 1)));
    if (kind == "sink")
        pa_operation_unref(pa_context_get_sink_info_by_index(context_, index, Callbacks::sinkChanged, this));
    else if (kind == "input")
        pa_operation_unref(pa_context_get_sink_input_info(context_, index, Callbacks::inputChanged, this));
    else
        pa_operation_unref(pa_context_get_source_info_by_index(context_, index, Callbacks::sourceChanged, this));
}

void PulseDriver::scheduleUpdate() {
    // Answers that land in one turn of the event loop rebuild the trees once.
    if (std::exchange(updatePosted_, true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            updatePosted_ = false;
            update();
        },
        Qt::QueuedConnection);
}

bool PulseDriver::writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) {
    Device* d = find(key);
    if (!d || !context_ || !loaded_ || values.empty()) return false;
    auto b = d->mapping.bindings.find(controlId);
    if (b == d->mapping.bindings.end() || isPeak(b->second.kind)) return false;
    const PulseBinding binding = b->second;
    const std::vector<DWORD> now = pulse_map::valuesOf(state_, d->mapping, binding);
    if (now.empty()) return false;
    // A value written back as it was read is not sent (see the mapping's
    // rules for levels).
    bool same = true;
    for (std::size_t i = 0; i < values.size(); ++i) same = same && values[i] == now[std::min(i, now.size() - 1)];
    if (same) return true;

    // What the write changes is worked out on a copy and kept only once the
    // request is on its way: a refused one leaves the kept state as it was.
    using Kind = PulseBinding::Kind;
    PulseLevels* levels = nullptr;  // the written object's levels as kept
    std::string object;
    switch (binding.kind) {
        case Kind::SinkVolume:
        case Kind::SinkMute:
            levels = &state_.sinks.at(binding.index).levels;
            object = objectKey("sink", binding.index);
            break;
        case Kind::InputVolume:
        case Kind::InputMute:
            levels = &state_.inputs.at(binding.index).levels;
            object = objectKey("input", binding.index);
            break;
        case Kind::SourceVolume:
        case Kind::RecordVolume:
        case Kind::RecordMute: {
            const PulseSource* record = pulse_map::defaultSource(state_);
            const std::uint32_t index = binding.kind == Kind::SourceVolume ? binding.index
                                        : record                           ? record->index
                                                                           : PA_INVALID_INDEX;
            auto it = state_.sources.find(index);
            if (it == state_.sources.end()) return false;
            levels = &it->second.levels;
            object = objectKey("source", index);
            break;
        }
        case Kind::RecordChoice:
            break;
        default:
            return false;
    }
    const auto index = static_cast<std::uint32_t>(object.empty() ? 0 : std::stoul(object.substr(object.find(':') + 1)));
    Write write{object, levels ? std::optional(*levels) : std::nullopt, std::nullopt};
    PulseLevels next = levels ? *levels : PulseLevels{};
    pa_operation* op = nullptr;
    if (binding.kind == Kind::SinkMute || binding.kind == Kind::InputMute || binding.kind == Kind::RecordMute) {
        next.mute = values[0] != 0;
        const int mute = next.mute ? 1 : 0;
        if (binding.kind == Kind::SinkMute)
            op = pa_context_set_sink_mute_by_index(context_, index, mute, &Callbacks::written, this);
        else if (binding.kind == Kind::InputMute)
            op = pa_context_set_sink_input_mute(context_, index, mute, &Callbacks::written, this);
        else
            op = pa_context_set_source_mute_by_index(context_, index, mute, &Callbacks::written, this);
    } else if (binding.kind == Kind::RecordChoice) {
        // The first item set becomes the default; none set changes nothing.
        const auto& items = d->mapping.recordSources;
        std::size_t pick = 0;
        while (pick < values.size() && pick < items.size() && values[pick] == 0) ++pick;
        if (pick >= values.size() || pick >= items.size()) return true;
        auto it = state_.sources.find(items[pick]);
        if (it == state_.sources.end()) return false;
        const PulseSource& chosen = it->second;
        op = pa_context_set_default_source(context_, chosen.name.c_str(), &Callbacks::written, this);
        if (!op) return false;
        write.object = objectKey("source", chosen.index);
        write.defaultSourceBefore = std::exchange(state_.defaultSource, chosen.name);
    } else {
        // A volume that is the server's alone (a passthrough stream) is not
        // ours to write; a write that changes no channel is not sent.
        if (!next.hasVolume) return false;
        const std::optional<pa_cvolume> volume = pulse_map::volumeAfterWrite(next.volume, next.map, values);
        if (!volume) return true;
        next.volume = *volume;
        if (binding.kind == Kind::SinkVolume)
            op = pa_context_set_sink_volume_by_index(context_, index, &next.volume, &Callbacks::written, this);
        else if (binding.kind == Kind::InputVolume)
            op = pa_context_set_sink_input_volume(context_, index, &next.volume, &Callbacks::written, this);
        else
            op = pa_context_set_source_volume_by_index(context_, index, &next.volume, &Callbacks::written, this);
    }
    if (!op) return false;
    pa_operation_unref(op);
    if (levels) *levels = next;
    noteWrite(write.object);
    writes_.push_back(std::move(write));
    update(&binding);
    return true;
}

// --- meters -------------------------------------------------------------------

DWORD PulseDriver::meterValue(DeviceKey reader, const PulseBinding& binding) {
    using Kind = PulseBinding::Kind;
    if (!context_ || !loaded_) return 0;
    std::string key, source;
    std::uint32_t monitorInput = PA_INVALID_INDEX;
    std::uint32_t sink = PA_INVALID_INDEX;
    switch (binding.kind) {
        case Kind::SinkPeak: {
            auto it = state_.sinks.find(binding.index);
            if (it == state_.sinks.end()) return 0;
            key = objectKey("sink", binding.index);
            source = it->second.monitorSource;
            break;
        }
        case Kind::InputPeak: {
            auto in = state_.inputs.find(binding.index);
            if (in == state_.inputs.end()) return 0;
            auto it = state_.sinks.find(in->second.sink);
            if (it == state_.sinks.end()) return 0;
            key = objectKey("input", binding.index);
            source = it->second.monitorSource;
            monitorInput = binding.index;
            sink = in->second.sink;
            break;
        }
        case Kind::RecordPeak: {
            const PulseSource* s = pulse_map::defaultSource(state_);
            if (!s) return 0;
            key = objectKey("source", s->index);
            source = s->name;
            break;
        }
        default:
            return 0;
    }
    if (source.empty()) return 0;
    auto it = meters_.find(key);
    // One that failed is tried again once the reaper has taken it (at most
    // once a second); a stream moved to another sink is metered there afresh.
    if (it != meters_.end() && it->second->failed) return 0;
    if (it != meters_.end() && it->second->sink != sink) {
        closeMeter(*it->second);
        meters_.erase(it);
        it = meters_.end();
    }
    Meter* m = it != meters_.end() ? it->second.get() : openMeter(key, source, monitorInput);
    if (!m) return 0;
    m->sink = sink;
    m->reader = reader;
    followed_[reader] = key;
    const auto now = Clock::now();
    m->lastRead = now;
    if (now - m->lastData > meterStale()) return 0;  // silence: a suspended sink sends nothing
    return pulse_map::meterFromPeak(m->peak);
}

std::chrono::milliseconds PulseDriver::meterStale() const {
    // Three batches missed at the rate asked for.
    return std::max<std::chrono::milliseconds>(kMeterStale, std::chrono::milliseconds(3000 / meterRate_));
}

void PulseDriver::setMeterInterval(std::chrono::milliseconds interval) {
    // The server measures each peak over 1/rate of a second: a slower reader
    // gets fewer batches and misses no peak.
    const std::int64_t ms = interval.count();
    const auto rate =
        ms <= 0 ? kMeterRate : static_cast<std::uint32_t>(std::clamp<std::int64_t>(1000 / ms, 1, kMeterRate));
    if (rate == meterRate_) return;
    meterRate_ = rate;
    qCDebug(lcPulse) << "meters at" << rate << "peaks a second";
    // Open meters change pace now; each keeps its last peak meanwhile.
    for (auto& [key, meter] : meters_) {
        if (meter->failed) continue;
        closeMeter(*meter);
        if (!connectMeter(*meter)) meter->failed = true;
    }
}

PulseDriver::Meter* PulseDriver::openMeter(const std::string& key, const std::string& source,
                                           std::uint32_t monitorInput) {
    auto m = std::make_unique<Meter>();
    m->driver = this;
    m->source = source;
    m->monitorInput = monitorInput;
    m->lastRead = Clock::now();
    if (!connectMeter(*m)) return nullptr;
    qCDebug(lcPulse) << "meter on" << source.c_str() << "for" << key.c_str() << "at" << meterRate_ << "a second";
    Meter* raw = m.get();
    meters_[key] = std::move(m);
    if (!reaper_->isActive()) reaper_->start();
    return raw;
}

bool PulseDriver::connectMeter(Meter& m) {
    // One float per batch: its sample rate is the number of peaks a second.
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, meterRate_, 1};
    pa_stream* s = pa_stream_new(context_, "Peak meter", &format, nullptr);
    if (!s) return false;
    m.stream = s;
    pa_stream_set_read_callback(s, &Callbacks::meterRead, &m);
    pa_stream_set_state_callback(s, &Callbacks::meterState, &m);
    if (m.monitorInput != PA_INVALID_INDEX) pa_stream_set_monitor_stream(s, m.monitorInput);
    pa_buffer_attr attr;
    std::memset(&attr, 0xff, sizeof attr);
    attr.fragsize = sizeof(float);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_DONT_MOVE | PA_STREAM_PEAK_DETECT |
                                                      PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND);
    if (pa_stream_connect_record(s, m.source.c_str(), &attr, flags) < 0) {
        closeMeter(m);
        return false;
    }
    return true;
}

void PulseDriver::meterData(Meter& m) {
    // Silence sends zeros all along, a steady tone the same peak: nothing moved.
    const DWORD value = pulse_map::meterFromPeak(m.peak);
    if (value == m.reported || m.reader == 0) return;
    m.reported = value;
    // Reported from the event loop, not from inside libpulse: a reader may
    // open or close meters.
    if (reportsDue_.empty()) QMetaObject::invokeMethod(this, &PulseDriver::sendMeterReports, Qt::QueuedConnection);
    reportsDue_.insert(m.reader);
}

void PulseDriver::sendMeterReports() {
    for (DeviceKey key : std::exchange(reportsDue_, {}))
        if (find(key)) emit metersChanged(key);
}

void PulseDriver::closeMeter(Meter& m) {
    if (!m.stream) return;
    pa_stream* s = std::exchange(m.stream, nullptr);
    pa_stream_set_read_callback(s, nullptr, nullptr);
    if (pa_stream_get_state(s) == PA_STREAM_CREATING) {
        pa_stream_set_state_callback(s, &Callbacks::closeWhenMade, nullptr);  // our reference goes with it
        return;
    }
    pa_stream_set_state_callback(s, nullptr, nullptr);
    if (pa_stream_get_state(s) == PA_STREAM_READY) pa_stream_disconnect(s);
    pa_stream_unref(s);
}

// Meters nobody looks at any more give their streams back.
void PulseDriver::reapMeters() {
    const auto now = Clock::now();
    for (auto it = meters_.begin(); it != meters_.end();) {
        Meter& m = *it->second;
        const auto f = followed_.find(m.reader);
        const bool followed = f != followed_.end() && f->second == it->first;
        if (m.failed || (now - m.lastRead > kMeterIdle && !followed)) {
            closeMeter(m);
            it = meters_.erase(it);
            continue;
        }
        // Sound that stops sends nothing more: its reader hears once.
        if (m.reported != 0 && now - m.lastData > meterStale()) {
            m.reported = 0;
            if (m.reader != 0 && find(m.reader)) emit metersChanged(m.reader);
        }
        ++it;
    }
    if (meters_.empty()) reaper_->stop();
}
