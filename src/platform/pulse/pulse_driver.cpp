#include "platform/pulse/pulse_driver.h"

#include "platform/pulse/pulse_connection.h"
#include "platform/pulse/pulse_devices.h"
#include "platform/pulse/pulse_mirror.h"
#include "platform/pulse/pulse_writes.h"

#include <algorithm>

Q_LOGGING_CATEGORY(lcPulse, "tavlo.pulse", QtInfoMsg)

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kDrainBound = std::chrono::milliseconds(500);  // writes still sent at the end
}  // namespace

PulseDriver::PulseDriver()
    : connection_(std::make_unique<PulseConnection>()),
      mirror_(std::make_unique<PulseMirror>(*connection_)),
      devices_(std::make_unique<PulseDevices>()),
      writes_(std::make_unique<PulseWrites>(*connection_, *mirror_)),
      meters_(std::make_unique<PulseMeters>(*connection_, mirror_->state())) {
    connect(connection_.get(), &PulseConnection::ready, mirror_.get(), &PulseMirror::load);
    connect(connection_.get(), &PulseConnection::lost, this, &PulseDriver::dropConnection);
    connect(mirror_.get(), &PulseMirror::changed, this, [this](PulseMirror::When when) {
        if (when == PulseMirror::When::Now)
            update();
        else
            scheduleUpdate();
    });
    connect(writes_.get(), &PulseWrites::refused, this, &PulseDriver::scheduleUpdate);
    connect(meters_.get(), &PulseMeters::moved, this, [this](DeviceKey key) {
        if (devices_->find(key)) emit metersChanged(key);
    });
}

std::unique_ptr<PulseDriver> PulseDriver::connectWithin(std::chrono::milliseconds bound, QString* error) {
    std::unique_ptr<PulseDriver> d(new PulseDriver);
    if (!d->connection_->connectToServer(error)) return d;
    // Start-up: the windows are not there yet and want the first list.
    d->connection_->runUntil(Clock::now() + bound, [&d] { return d->connected() || d->connection_->failed(); });
    if (!d->connected() && error)
        *error = d->connection_->failed()
                     ? QStringLiteral("no PulseAudio or PipeWire server answers (%1)").arg(d->connection_->errorText())
                     : QStringLiteral("the sound server did not answer within %1 ms").arg(bound.count());
    return d;
}

std::unique_ptr<PulseDriver> PulseDriver::open(std::chrono::milliseconds bound, QString* error) {
    auto d = connectWithin(bound, error);
    if (!d->connected()) return nullptr;
    d->connection_->setStarted();
    qCDebug(lcPulse) << "connected:" << d->devices_->count() << "sinks," << d->mirror_->state().inputs.size()
                     << "streams," << d->mirror_->state().sources.size() << "sources";
    return d;
}

std::unique_ptr<PulseDriver> PulseDriver::follow(std::chrono::milliseconds bound) {
    QString why;
    auto d = connectWithin(bound, &why);
    d->connection_->setStarted();
    if (d->connected()) return d;
    qCDebug(lcPulse).noquote() << why << "- waiting for it";
    if (!d->connection_->context())
        d->connection_->retryLater();
    else if (d->connection_->failed())
        d->dropConnection();
    // Else still on its way: it answers from the event loop.
    return d;
}

PulseDriver::~PulseDriver() {
    // Changes just made are still sent (a command-line tool ends right after).
    if (connection_->context() && connected() && writes_->inFlight())
        connection_->runUntil(Clock::now() + kDrainBound, [this] { return !writes_->inFlight(); });
    meters_->clear();
}

bool PulseDriver::connected() const { return mirror_->loaded(); }

void PulseDriver::dropConnection() {
    if (!connection_->context() || !connection_->failed()) return;
    if (connected()) qCInfo(lcPulse) << "the sound server is gone:" << connection_->errorText();
    meters_->clear();
    connection_->release();
    writes_->clear();
    mirror_->clear();
    const bool had = devices_->clear();
    // Its devices go, and the listeners learn that the server stopped (also
    // when it had none).
    if (std::exchange(runningSaid_, false) || had) emit devicesChanged();
    connection_->retryLater();
}

void PulseDriver::update(const PulseBinding* written) {
    if (!connected()) return;
    const PulseDevices::Changes changes = devices_->update(mirror_->state(), written);
    meters_->stateChanged();
    // A server that has just answered is news even without devices.
    if (changes.devices || !std::exchange(runningSaid_, true)) {
        qCDebug(lcPulse) << "devices now:" << devices_->count();
        emit devicesChanged();
    }
    for (const auto& [key, id] : changes.lines) {
        qCDebug(lcPulse) << "lines of" << id << "on device" << key << "changed";
        emit lineChanged(key, id);
    }
    for (const auto& [key, id] : changes.controls) {
        qCDebug(lcPulse) << "control" << id << "of device" << key << "changed";
        emit controlChanged(key, id);
    }
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

int PulseDriver::deviceCount() const { return devices_->count(); }

DeviceKey PulseDriver::deviceKey(int index) const { return devices_->keyAt(index); }

const DeviceModel* PulseDriver::model(DeviceKey key) const {
    const PulseDevices::Device* d = devices_->find(key);
    return d ? &d->mapping.model : nullptr;
}

bool PulseDriver::readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) {
    PulseDevices::Device* d = devices_->find(key);
    if (!d || values.empty()) return false;
    auto b = d->mapping.bindings.find(controlId);
    if (b == d->mapping.bindings.end()) return false;
    if (isPeak(b->second.kind)) {
        std::fill(values.begin(), values.end(), connected() ? meters_->read(key, b->second) : 0);
        return true;
    }
    std::vector<DWORD> now = pulse_map::valuesOf(mirror_->state(), d->mapping, b->second);
    if (now.empty()) return false;
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = now[std::min(i, now.size() - 1)];
    d->known[controlId] = std::move(now);
    return true;
}

bool PulseDriver::writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) {
    const PulseDevices::Device* d = devices_->find(key);
    if (!d || !connected()) return false;
    auto b = d->mapping.bindings.find(controlId);
    if (b == d->mapping.bindings.end() || isPeak(b->second.kind)) return false;
    const PulseBinding binding = b->second;
    switch (writes_->write(d->mapping, binding, values)) {
        case PulseWrites::Result::Failed:
            return false;
        case PulseWrites::Result::Unchanged:
            return true;
        case PulseWrites::Result::Sent:
            update(&binding);
            return true;
    }
    return false;
}

bool PulseDriver::isStandIn(DeviceKey key) const {
    const PulseDevices::Device* d = devices_->find(key);
    const auto& sinks = mirror_->state().sinks;
    const auto sink = d ? sinks.find(d->sink) : sinks.end();
    return sink != sinks.end() && sink->second.name == "auto_null";
}

void PulseDriver::setMeterInterval(std::chrono::milliseconds interval) { meters_->setInterval(interval); }
