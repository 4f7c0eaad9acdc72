#include "platform/sim/sim_driver.h"
#include "platform/sim/sim_device.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <unordered_map>

SimDriver::SimDriver() : meterClock_(new QTimer(this)) {
    connect(meterClock_, &QTimer::timeout, this, &SimDriver::reportMeters);
}
SimDriver::~SimDriver() = default;

std::unique_ptr<SimDriver> SimDriver::fromJson(const QByteArray& json, QString* error) {
    auto cards = parseSimCards(json, error);
    if (!cards) return nullptr;
    auto driver = std::make_unique<SimDriver>();
    for (auto& card : *cards) driver->addDevice(std::move(card));
    return driver;
}

std::unique_ptr<SimDriver> SimDriver::fromFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
        return nullptr;
    }
    QString why;
    auto driver = fromJson(file.readAll(), &why);
    if (!driver && error) *error = QStringLiteral("%1: %2").arg(path, why);
    return driver;
}

std::unique_ptr<SimDriver> SimDriver::demo() {
    QString error;
    auto driver = fromJson(demoJson(), &error);
    Q_ASSERT_X(driver, "SimDriver::demo", qPrintable(error));
    return driver;
}

int SimDriver::deviceCount() const { return static_cast<int>(devices_.size()); }

DeviceKey SimDriver::deviceKey(int index) const {
    return index >= 0 && index < deviceCount() ? devices_[index]->key : 0;
}

SimDriver::Device* SimDriver::find(DeviceKey key) const {
    for (const auto& d : devices_)
        if (d->key == key) return d.get();
    return nullptr;
}

const DeviceModel* SimDriver::model(DeviceKey key) const {
    const Device* d = find(key);
    return d ? &d->model : nullptr;
}

namespace {

void meterReading(const MeterSignal& m, std::size_t& step, qint64 elapsedMs, std::span<DWORD> out) {
    switch (m.kind) {
        case MeterSignal::Kind::Constant:
            std::fill(out.begin(), out.end(), m.value);
            break;
        case MeterSignal::Kind::Sine:
            for (std::size_t ch = 0; ch < out.size(); ++ch) {
                // Channels drift apart a little so the two needles differ.
                const double phase = 2.0 * M_PI * (double(elapsedMs) / m.periodMs) + 0.7 * double(ch);
                const double s = 0.5 * (1.0 + std::sin(phase));
                out[ch] = m.minimum + DWORD(std::lround(s * double(m.maximum - m.minimum)));
            }
            break;
        case MeterSignal::Kind::List: {
            if (m.steps.empty()) {
                std::fill(out.begin(), out.end(), 0);
                break;
            }
            const auto& entry = m.steps[step % m.steps.size()];
            ++step;
            for (std::size_t ch = 0; ch < out.size(); ++ch)
                out[ch] = entry.empty() ? 0 : entry[std::min(ch, entry.size() - 1)];
            break;
        }
    }
}

}  // namespace

bool SimDriver::readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) {
    Device* d = find(key);
    if (!d) return false;
    auto it = d->controls.find(controlId);
    if (it == d->controls.end()) return false;
    auto& c = it->second;
    if (c.meter) {
        meterReading(*c.meter, c.step, d->clock.elapsed(), values);
        return true;
    }
    if (values.size() != c.values.size()) return false;
    std::copy(c.values.begin(), c.values.end(), values.begin());
    return true;
}

bool SimDriver::writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) {
    Device* d = find(key);
    if (!d) return false;
    auto it = d->controls.find(controlId);
    if (it == d->controls.end() || it->second.meter || values.size() != it->second.values.size()) return false;
    std::copy(values.begin(), values.end(), it->second.values.begin());
    ++d->writes;
    saveShared(d, controlId);
    return true;
}

int SimDriver::addDevice(SimDevice device, int at) {
    auto d = std::make_unique<Device>();
    d->key = nextKey_++;
    d->model = std::move(device.model);
    d->model.finalize();
    for (std::size_t i = 0; i < device.controlOrder.size(); ++i) {
        Device::Control c;
        if (i < device.startValues.size()) c.values = std::move(device.startValues[i]);
        if (i < device.meters.size()) c.meter = std::move(device.meters[i]);
        if (c.meter && c.meter->kind != MeterSignal::Kind::Constant) d->movingMeters = true;
        d->controls.emplace(device.controlOrder[i], std::move(c));
    }
    d->clock.start();
    if (at < 0 || at > deviceCount()) at = deviceCount();
    devices_.insert(devices_.begin() + at, std::move(d));
    updateMeterClock();
    emit devicesChanged();
    return at;
}

void SimDriver::removeDevice(int index) {
    if (index < 0 || index >= deviceCount()) return;
    devices_.erase(devices_.begin() + index);
    updateMeterClock();
    emit devicesChanged();
}

bool SimDriver::changeExternally(int device, DWORD controlId, const std::vector<DWORD>& values) {
    Device* d = find(deviceKey(device));
    if (!d) return false;
    auto it = d->controls.find(controlId);
    if (it == d->controls.end() || it->second.meter) return false;
    auto& stored = it->second.values;
    // A single value sets every channel and item, as "set all" would.
    if (values.size() == 1)
        std::fill(stored.begin(), stored.end(), values[0]);
    else if (values.size() == stored.size())
        stored = values;
    else
        return false;
    saveShared(d, controlId);
    emit controlChanged(d->key, controlId);
    return true;
}

void SimDriver::raiseLineChange(int device, DWORD lineId) {
    if (Device* d = find(deviceKey(device))) emit lineChanged(d->key, lineId);
}

std::vector<DWORD> SimDriver::values(int device, DWORD controlId) const {
    const Device* d = find(deviceKey(device));
    if (!d) return {};
    auto it = d->controls.find(controlId);
    return it == d->controls.end() ? std::vector<DWORD>{} : it->second.values;
}

int SimDriver::writeCount(int device) const {
    const Device* d = find(deviceKey(device));
    return d ? d->writes : 0;
}

void SimDriver::setMeterInterval(std::chrono::milliseconds interval) {
    meterInterval_ = interval;
    updateMeterClock();
}

void SimDriver::setMeterReports(bool on) {
    meterReports_ = on;
    updateMeterClock();
}

std::chrono::milliseconds SimDriver::meterPeriod() const {
    return meterClock_->isActive() ? meterClock_->intervalAsDuration() : std::chrono::milliseconds(0);
}

void SimDriver::updateMeterClock() {
    const bool moving = std::any_of(devices_.begin(), devices_.end(), [](const auto& d) { return d->movingMeters; });
    if (!meterReports_ || meterInterval_.count() <= 0 || !moving) {
        meterClock_->stop();
        return;
    }
    const auto period = std::max(meterInterval_, kMeterPeriod);
    if (meterClock_->isActive() && meterClock_->intervalAsDuration() == period) return;
    meterClock_->start(period);
}

void SimDriver::reportMeters() {
    // A listener may read, never add or remove devices, but keys are safe
    // either way.
    std::vector<DeviceKey> moving;
    for (const auto& d : devices_)
        if (d->movingMeters) moving.push_back(d->key);
    for (DeviceKey key : moving) emit metersChanged(key);
}
