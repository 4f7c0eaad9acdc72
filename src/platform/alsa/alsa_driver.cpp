#include "platform/alsa/alsa_driver.h"

namespace {

// Placeholder until the ALSA mapping lands: no devices.
class NoDeviceDriver : public MixerDriver {
public:
    int deviceCount() const override { return 0; }
    DeviceKey deviceKey(int) const override { return 0; }
    const DeviceModel* model(DeviceKey) const override { return nullptr; }
    bool readValues(DeviceKey, DWORD, std::span<DWORD>) override { return false; }
    bool writeValues(DeviceKey, DWORD, std::span<const DWORD>) override { return false; }
};

}  // namespace

std::unique_ptr<MixerDriver> makeAlsaDriver(const QStringList&, QString*) { return std::make_unique<NoDeviceDriver>(); }
