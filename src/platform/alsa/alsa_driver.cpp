#include "platform/alsa/alsa_driver.h"

#include "platform/alsa/alsa_device.h"

AlsaDriver::AlsaDriver() = default;
AlsaDriver::~AlsaDriver() = default;

void AlsaDriver::addDevice(std::unique_ptr<AlsaDevice> device) {
    const DeviceKey key = nextKey_++;
    connect(device.get(), &AlsaDevice::controlChanged, this, [this, key](DWORD id) { emit controlChanged(key, id); });
    connect(device.get(), &AlsaDevice::rebuilt, this, [this, key] { onRebuilt(key); });
    connect(device.get(), &AlsaDevice::lost, this, [this, key] { onLost(key); });
    devices_.push_back(Entry{key, std::move(device)});
    emit devicesChanged();
}

int AlsaDriver::deviceCount() const { return static_cast<int>(devices_.size()); }

DeviceKey AlsaDriver::deviceKey(int index) const {
    return index >= 0 && index < deviceCount() ? devices_[static_cast<std::size_t>(index)].key : 0;
}

AlsaDevice* AlsaDriver::find(DeviceKey key) const {
    for (const auto& e : devices_)
        if (e.key == key) return e.device.get();
    return nullptr;
}

const DeviceModel* AlsaDriver::model(DeviceKey key) const {
    const AlsaDevice* d = find(key);
    return d ? d->model() : nullptr;
}

bool AlsaDriver::readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) {
    AlsaDevice* d = find(key);
    return d && d->read(controlId, values);
}

bool AlsaDriver::writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) {
    AlsaDevice* d = find(key);
    return d && d->write(controlId, values);
}

void AlsaDriver::onLost(DeviceKey key) {
    auto it = std::find_if(devices_.begin(), devices_.end(), [key](const Entry& e) { return e.key == key; });
    if (it == devices_.end()) return;
    // The device is in the middle of its own signal: it goes later.
    it->device.release()->deleteLater();
    devices_.erase(it);
    emit devicesChanged();
}

void AlsaDriver::onRebuilt(DeviceKey key) {
    emit devicesChanged();
    // Every destination's line set may have changed.
    if (const DeviceModel* m = model(key))
        for (const auto& dest : m->destinations) emit lineChanged(key, dest.line.info.dwLineID);
}

std::unique_ptr<MixerDriver> makeAlsaDriver(const QStringList& deviceNames, QString* error) {
    auto driver = std::make_unique<AlsaDriver>();
    if (deviceNames.isEmpty()) {
        int card = -1;
        while (snd_card_next(&card) >= 0 && card >= 0) {
            QString why;
            if (auto device = AlsaDevice::open(QStringLiteral("hw:%1").arg(card), &why))
                driver->addDevice(std::move(device));
            else
                qCWarning(lcAlsa).noquote() << why;
        }
        return driver;
    }
    for (const QString& name : deviceNames) {
        auto device = AlsaDevice::open(name.trimmed(), error);
        if (!device) return nullptr;
        driver->addDevice(std::move(device));
    }
    return driver;
}
