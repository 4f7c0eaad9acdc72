#pragma once
// The ALSA back end: real sound cards through alsa-lib's mixer.

#include "platform/mixer_driver.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class AlsaDevice;

class AlsaDriver : public MixerDriver {
    Q_OBJECT
public:
    AlsaDriver();
    ~AlsaDriver() override;

    void addDevice(std::unique_ptr<AlsaDevice> device);

    int deviceCount() const override;
    DeviceKey deviceKey(int index) const override;
    const DeviceModel* model(DeviceKey key) const override;
    bool readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) override;
    bool writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) override;

private:
    struct Entry {
        DeviceKey key = 0;
        std::unique_ptr<AlsaDevice> device;
    };
    AlsaDevice* find(DeviceKey key) const;
    void onLost(DeviceKey key);
    void onRebuilt(DeviceKey key);

    std::vector<Entry> devices_;
    DeviceKey nextKey_ = 1;
};

// With no names, every ALSA card in card order (opened as hw:N; a card that
// cannot be opened is left out); otherwise exactly the named control devices
// in that order. Null with *error set when a named device cannot be used.
std::unique_ptr<MixerDriver> makeAlsaDriver(const QStringList& deviceNames, QString* error);
