#include "platform/pulse/pulse_meters.h"

#include "platform/pulse/pulse_connection.h"
#include "platform/pulse/pulse_log.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStale = std::chrono::milliseconds(300);  // no data since (at least): the meter reads 0
constexpr int kReapMs = 1000;

}  // namespace

struct PulseMeters::Meter {
    PulseMeters* owner = nullptr;
    PulseObject object;
    PulseBinding binding;  // the control last read for it
    DeviceKey reader = 0;  // the device last read through
    PulseStreamPtr stream;
    std::string source;
    std::uint32_t monitorInput = PA_INVALID_INDEX;
    float peak = 0.0f;
    Clock::time_point lastData{};
    Clock::time_point lastRead{};
    DWORD reported = 0;   // the value last reported (0 for silence)
    bool corked = false;  // its stream waits for sound, sending nothing
    bool failed = false;
};

// libpulse's callbacks; userdata is the meter.
struct PulseMeters::Callbacks {
    static void read(pa_stream* s, std::size_t, void* meter) {
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
                m->owner->data(*m);
            }
            pa_stream_drop(s);
        }
    }
    static void state(pa_stream* s, void* meter) {
        const pa_stream_state_t st = pa_stream_get_state(s);
        if (st == PA_STREAM_FAILED || st == PA_STREAM_TERMINATED) static_cast<Meter*>(meter)->failed = true;
    }
};

PulseMeters::PulseMeters(PulseConnection& connection, const PulseServerState& state, QObject* parent)
    : QObject(parent), connection_(connection), state_(state), reaper_(new QTimer(this)) {
    reaper_->setInterval(kReapMs);
    connect(reaper_, &QTimer::timeout, this, &PulseMeters::reap);
}

PulseMeters::~PulseMeters() = default;

int PulseMeters::streams() const {
    return static_cast<int>(std::count_if(meters_.begin(), meters_.end(), [](const auto& m) {
        return m.second->stream != nullptr && !m.second->corked;
    }));
}

int PulseMeters::waitingStreams() const {
    return static_cast<int>(std::count_if(
        meters_.begin(), meters_.end(), [](const auto& m) { return m.second->stream != nullptr && m.second->corked; }));
}

std::optional<PulseMeters::Target> PulseMeters::targetOf(const PulseBinding& binding) const {
    using Kind = PulseBinding::Kind;
    // Not the sink's own state: PipeWire says a sink runs while a monitor
    // stream records from it, this meter's too.
    auto sinkPlays = [this](const PulseSink& sink) {
        return std::any_of(state_.inputs.begin(), state_.inputs.end(),
                           [&](const auto& in) { return in.second.sink == sink.index && !in.second.corked; });
    };
    Target t;
    switch (binding.kind) {
        case Kind::SinkPeak: {
            auto sink = state_.sinks.find(binding.index);
            if (sink == state_.sinks.end()) return std::nullopt;
            t.object = PulseObject::sink(binding.index);
            t.source = sink->second.monitorSource;
            t.plays = sinkPlays(sink->second);
            break;
        }
        case Kind::InputPeak: {
            auto in = state_.inputs.find(binding.index);
            if (in == state_.inputs.end()) return std::nullopt;
            auto sink = state_.sinks.find(in->second.sink);
            if (sink == state_.sinks.end()) return std::nullopt;
            t.object = PulseObject::input(binding.index);
            t.source = sink->second.monitorSource;
            t.monitorInput = binding.index;
            t.plays = !in->second.corked;
            break;
        }
        case Kind::RecordPeak: {
            const PulseSource* s = pulse_map::defaultSource(state_);
            if (!s) return std::nullopt;
            t.object = PulseObject::source(s->index);
            t.source = s->name;
            t.plays = true;
            break;
        }
        default:
            return std::nullopt;
    }
    if (t.source.empty()) return std::nullopt;
    return t;
}

DWORD PulseMeters::read(DeviceKey reader, const PulseBinding& binding) {
    if (!connection_.context()) return 0;
    const std::optional<Target> t = targetOf(binding);
    if (!t) return 0;
    auto& slot = meters_[t->object];
    if (!slot) {
        slot = std::make_unique<Meter>();
        slot->owner = this;
        slot->object = t->object;
        slot->source = t->source;
        slot->monitorInput = t->monitorInput;
    }
    Meter& m = *slot;
    const bool newlyFollowed = !followed(m);
    followed_ = t->object;
    m.binding = binding;
    m.reader = reader;
    const auto now = Clock::now();
    m.lastRead = now;
    // Its stream opens in this turn's refresh, if something plays there.
    if (newlyFollowed || !m.stream) scheduleRefresh();
    if (!t->plays || !m.stream || m.failed || now - m.lastData > stale())
        return 0;  // silence: a suspended sink sends nothing
    return pulse_map::meterFromPeak(m.peak);
}

bool PulseMeters::followed(const Meter& m) const { return followed_ == m.object; }

void PulseMeters::setInterval(std::chrono::milliseconds interval) {
    const std::int64_t ms = interval.count();
    if (ms <= 0) {
        // Nobody reads: no meter is followed, and those read lately go in time.
        followed_.reset();
        scheduleRefresh();
        return;
    }
    // The server measures each peak over 1/rate of a second: a slower reader
    // gets fewer batches and misses no peak.
    const auto rate = static_cast<std::uint32_t>(std::clamp<std::int64_t>(1000 / ms, 1, kRate));
    if (rate == rate_) return;
    rate_ = rate;
    qCDebug(lcPulse) << "meters at" << rate << "peaks a second";
    // Open meters change pace now; each keeps its last peak meanwhile.
    for (auto& [object, meter] : meters_) {
        if (!meter->stream || meter->failed) continue;
        meter->stream.reset();
        open(*meter, meter->corked);  // else the refresh tries again, for the meter followed
    }
    scheduleRefresh();
}

void PulseMeters::clear() {
    meters_.clear();
    followed_.reset();
    reportsDue_.clear();
    reaper_->stop();
}

void PulseMeters::scheduleRefresh() {
    if (std::exchange(refreshPosted_, true)) return;
    QMetaObject::invokeMethod(this, &PulseMeters::refresh, Qt::QueuedConnection);
}

void PulseMeters::refresh() {
    refreshPosted_ = false;
    if (!connection_.context()) return;
    const auto now = Clock::now();
    for (auto it = meters_.begin(); it != meters_.end();) {
        Meter& m = *it->second;
        const std::optional<Target> t = targetOf(m.binding);
        const bool wanted = followed(m) || now - m.lastRead <= kIdle;
        // Gone, or another object now (the default source changed), or not read lately.
        if (!t || t->object != m.object || !wanted) {
            rest(m);
            if (followed(m)) followed_.reset();
            it = meters_.erase(it);
            continue;
        }
        // A stream moved to another sink is metered there afresh.
        if (t->source != m.source) {
            m.stream.reset();
            m.corked = false;
            m.source = t->source;
        }
        if (!t->plays) {
            if (followed(m)) {
                wait(m);
                ++it;
            } else {
                rest(m);
                it = meters_.erase(it);
            }
            continue;
        }
        // Only the meter followed gets a new stream; others keep theirs a while.
        if (!followed(m)) {
            ++it;
            continue;
        }
        if (m.corked && m.failed) {  // failed while waiting: the reaper was not running
            m.stream.reset();
            m.failed = false;
        }
        if (m.stream && m.corked) {
            cork(m, false);
            qCDebug(lcPulse) << "meter on" << m.source.c_str() << "wakes";
        } else if (!m.stream && !m.failed && open(m, false)) {
            qCDebug(lcPulse) << "meter on" << m.source.c_str() << "for" << m.object.toString().c_str() << "at" << rate_
                             << "a second";
        }
        ++it;
    }
    const bool open = streams() > 0;
    if (open && !reaper_->isActive()) reaper_->start();
    if (!open) reaper_->stop();
}

bool PulseMeters::open(Meter& m, bool corked) {
    // One float per batch: its sample rate is the number of peaks a second.
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, rate_, 1};
    PulseStreamPtr s(pa_stream_new(connection_.context(), "Peak meter", &format, nullptr));
    if (!s) return false;
    pa_stream_set_read_callback(s.get(), &Callbacks::read, &m);
    pa_stream_set_state_callback(s.get(), &Callbacks::state, &m);
    if (m.monitorInput != PA_INVALID_INDEX) pa_stream_set_monitor_stream(s.get(), m.monitorInput);
    pa_buffer_attr attr;
    std::memset(&attr, 0xff, sizeof attr);
    attr.fragsize = sizeof(float);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_DONT_MOVE | PA_STREAM_PEAK_DETECT |
                                                      PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND |
                                                      (corked ? PA_STREAM_START_CORKED : PA_STREAM_NOFLAGS));
    if (pa_stream_connect_record(s.get(), m.source.c_str(), &attr, flags) < 0) return false;
    m.stream = std::move(s);
    m.corked = corked;
    return true;
}

void PulseMeters::cork(Meter& m, bool corked) {
    if (m.corked == corked) return;
    if (pa_stream_get_state(m.stream.get()) == PA_STREAM_READY &&
        sent(pa_stream_cork(m.stream.get(), corked ? 1 : 0, nullptr, nullptr))) {
        m.corked = corked;
        return;
    }
    // Still being made: made again the way it is wanted.
    m.stream.reset();
    open(m, corked);
}

void PulseMeters::wait(Meter& m) {
    // A corked stream sends nothing and wakes nobody, yet its small latency
    // stays asked of the sink: when sound starts, the sink renders it in
    // small pieces and the first peak comes at once. (A stream opened only
    // then would wait for what the sink had rendered ahead, up to its
    // latency of a second or two.)
    if (m.stream)
        cork(m, true);
    else if (!m.failed)
        open(m, true);
    say(m, 0);
}

void PulseMeters::rest(Meter& m) {
    m.stream.reset();
    m.corked = false;
    m.failed = false;
    say(m, 0);
}

void PulseMeters::data(Meter& m) {
    // Silence sends zeros all along, a steady tone the same peak: nothing moved.
    say(m, pulse_map::meterFromPeak(m.peak));
}

void PulseMeters::say(Meter& m, DWORD value) {
    if (value == m.reported) return;
    m.reported = value;
    report(m.reader);
}

void PulseMeters::report(DeviceKey reader) {
    if (reader == 0) return;
    // Reported from the event loop, not from inside libpulse: a reader may
    // open or close meters.
    if (reportsDue_.empty()) QMetaObject::invokeMethod(this, &PulseMeters::sendReports, Qt::QueuedConnection);
    reportsDue_.insert(reader);
}

void PulseMeters::sendReports() {
    for (DeviceKey reader : std::exchange(reportsDue_, {})) emit moved(reader);
}

std::chrono::milliseconds PulseMeters::stale() const {
    // Three batches missed at the rate asked for.
    return std::max<std::chrono::milliseconds>(kStale, std::chrono::milliseconds(3000 / rate_));
}

// Runs while a stream is open: a failed one is tried again (so at most once
// a second), and sound that stops sending is said once.
void PulseMeters::reap() {
    const auto now = Clock::now();
    for (auto& [object, meter] : meters_) {
        Meter& m = *meter;
        if (m.failed) {
            m.stream.reset();
            m.failed = false;
        }
        if (now - m.lastData > stale()) say(m, 0);
    }
    refresh();
}
