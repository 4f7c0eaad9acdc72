#include "platform/alsa/alsa_driver.h"

#include "platform/alsa/alsa_device.h"
#include "platform/alsa/card_watch.h"

#include <algorithm>

AlsaDriver::AlsaDriver() = default;

AlsaDriver::~AlsaDriver() {
    watch_.reset();
    devices_.clear();
}

void AlsaDriver::take(std::unique_ptr<AlsaDevice> device, QString card) {
    const DeviceKey key = nextKey_++;
    connect(device.get(), &AlsaDevice::controlChanged, this, [this, key](DWORD id) { emit controlChanged(key, id); });
    connect(device.get(), &AlsaDevice::rebuilt, this, [this, key] { onRebuilt(key); });
    connect(device.get(), &AlsaDevice::lost, this, [this, key] { onLost(key); });
    devices_.push_back(Entry{key, std::move(device), std::move(card)});
}

void AlsaDriver::addDevice(std::unique_ptr<AlsaDevice> device) {
    take(std::move(device), {});
    emit devicesChanged();
}

void AlsaDriver::followCards(const QString& folder, AlsaCardLister lister) {
    lister_ = std::move(lister);
    // Watching starts first, so a card plugged in meanwhile is not missed.
    watch_ = std::make_unique<ControlFolderWatch>(folder);
    connect(watch_.get(), &ControlFolderWatch::changed, this, &AlsaDriver::rescan);
    QString why;
    if (!watch_->start(&why)) {
        qCInfo(lcAlsa).noquote() << why << "- cards plugged in later will not be seen";
        watch_.reset();
    }
    rescan({});
}

void AlsaDriver::rescan(const QStringList& removed) {
    const std::vector<AlsaCard> cards = lister_();
    auto listed = [&](const QString& entry) {
        return std::find_if(cards.begin(), cards.end(), [&](const AlsaCard& c) { return c.entry == entry; });
    };
    bool changed = false;
    for (auto it = devices_.begin(); it != devices_.end();) {
        if (it->card.isEmpty() || (!removed.contains(it->card) && listed(it->card) != cards.end())) {
            ++it;
            continue;
        }
        qCInfo(lcAlsa) << "sound card" << it->device->name() << "removed";
        it = devices_.erase(it);
        changed = true;
    }
    for (const AlsaCard& card : cards) {
        if (std::any_of(devices_.begin(), devices_.end(), [&](const Entry& e) { return e.card == card.entry; }))
            continue;
        // One that cannot be opened yet (its permissions come a moment
        // later) is tried again at the next change.
        QString why;
        auto device = AlsaDevice::open(card.device, &why);
        if (!device) {
            qCWarning(lcAlsa).noquote() << why;
            continue;
        }
        qCInfo(lcAlsa) << "sound card" << card.device << "added";
        take(std::move(device), card.entry);
        changed = true;
    }
    // Shown in the order the system lists them.
    std::stable_sort(devices_.begin(), devices_.end(),
                     [&](const Entry& a, const Entry& b) { return listed(a.card) < listed(b.card); });
    if (changed) emit devicesChanged();
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

std::vector<AlsaCard> systemAlsaCards() {
    std::vector<AlsaCard> cards;
    for (int card = -1; snd_card_next(&card) >= 0 && card >= 0;)
        cards.push_back({QStringLiteral("controlC%1").arg(card), QStringLiteral("hw:%1").arg(card)});
    return cards;
}

std::unique_ptr<AlsaDriver> makeFollowingAlsaDriver(const QString& folder, AlsaCardLister lister) {
    auto driver = std::make_unique<AlsaDriver>();
    driver->followCards(folder, std::move(lister));
    return driver;
}

std::unique_ptr<MixerDriver> makeAlsaDriver(const QStringList& deviceNames, QString* error) {
    if (deviceNames.isEmpty()) return makeFollowingAlsaDriver(QString::fromLatin1(kSoundDeviceFolder), systemAlsaCards);
    auto driver = std::make_unique<AlsaDriver>();
    for (const QString& name : deviceNames) {
        auto device = AlsaDevice::open(name.trimmed(), error);
        if (!device) return nullptr;
        driver->addDevice(std::move(device));
    }
    return driver;
}
