#pragma once
// Follows the sound server for a program that may start before it, and may
// see it stop: while the server runs, its devices; while it does not (not
// started yet, or stopped for longer than a restart takes), the fallback's
// devices (the ALSA cards), or none. Moving from one to the other comes to
// the rest of the program as devices going and coming, with the server's
// state telling why (soundServerState). Device keys carry the back end's
// turn, so that a device of the one left never passes for one of the other.

#include "platform/mixer_driver.h"

#include <chrono>
#include <functional>
#include <memory>

class QTimer;

class ServerFollower : public MixerDriver {
    Q_OBJECT
public:
    using Fallback = std::function<std::unique_ptr<MixerDriver>()>;
    // `server` waits for its server itself and says through devicesChanged
    // when it starts or stops. `fallback` makes the driver shown while it
    // does not run; `grace` is how long a server that stopped has to come
    // back before the fallback's devices are shown.
    ServerFollower(std::unique_ptr<MixerDriver> server, Fallback fallback, std::chrono::milliseconds grace);
    ~ServerFollower() override;

    int deviceCount() const override;
    DeviceKey deviceKey(int index) const override;
    const DeviceModel* model(DeviceKey key) const override;
    bool readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) override;
    bool writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) override;
    // Devices come and go with the server, whichever back end shows them.
    bool deviceLossIsRoutine() const override { return true; }
    SoundServerState soundServerState() const override { return server_->soundServerState(); }
    bool isStandIn(DeviceKey key) const override;
    bool reportsMeters() const override { return active().reportsMeters(); }
    void setMeterInterval(std::chrono::milliseconds interval) override;

    // For tests and diagnostics: whether the server's devices are the ones shown.
    bool showsServer() const { return showingServer_; }

private:
    MixerDriver& active() const { return showingServer_ || !fallback_ ? *server_ : *fallback_; }
    // The inner key of a device of the back end shown now; 0 for any other.
    DeviceKey inner(DeviceKey key) const;
    DeviceKey outer(DeviceKey key) const;
    void serverDevicesChanged();
    void showServer();
    void showFallback();
    void connectDriver(MixerDriver& driver);

    std::unique_ptr<MixerDriver> server_;
    std::unique_ptr<MixerDriver> fallback_;
    Fallback makeFallback_;
    QTimer* grace_ = nullptr;
    bool showingServer_ = false;
    DeviceKey turn_ = 1;  // goes up each time the back end shown changes
    std::chrono::milliseconds meterInterval_{0};
};
