#pragma once
// The PulseAudio back end (PipeWire's PulseAudio interface too): one
// device per sink, the application streams as its source lines, live peak
// meters. Everything runs on the UI thread through QtPulseMainloop.
// The mapping is described in pulse_mapping.cpp; the parts are the
// connection (pulse_connection), the server's state kept (pulse_mirror),
// the devices made of it (pulse_devices), the writes (pulse_writes) and the
// meters (pulse_meters).

#include "platform/mixer_driver.h"
#include "platform/pulse/pulse_log.h"
#include "platform/pulse/pulse_mapping.h"
#include "platform/pulse/pulse_meters.h"

#include <QString>

#include <chrono>
#include <memory>

class PulseConnection;
class PulseDevices;
class PulseMirror;
class PulseWrites;

class PulseDriver : public MixerDriver {
    Q_OBJECT
public:
    // Connects to the server (never starting one) and loads the first
    // device list, waiting at most `bound`; null with *error set when no
    // server answers by then. From then on everything is asynchronous: a
    // server that goes away takes its devices with it, and they come back
    // when it does.
    static std::unique_ptr<PulseDriver> open(std::chrono::milliseconds bound, QString* error);
    // The same, but a server that does not answer within `bound` is waited
    // for: the driver has no devices until it comes (tried again every
    // second, from the event loop), and then follows it as above.
    static std::unique_ptr<PulseDriver> follow(std::chrono::milliseconds bound);
    ~PulseDriver() override;

    int deviceCount() const override;
    DeviceKey deviceKey(int index) const override;
    const DeviceModel* model(DeviceKey key) const override;
    bool readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) override;
    bool writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) override;
    bool deviceLossIsRoutine() const override { return true; }
    SoundServerState soundServerState() const override {
        return connected() ? SoundServerState::Running : SoundServerState::Stopped;
    }
    // The server's "Dummy Output" (its null sink auto_null), there only while
    // no real output is.
    bool isStandIn(DeviceKey key) const override;
    // Peaks come from the server at the rate asked for (at most kMeterRate a
    // second) while something plays; a batch that moves a meter is reported,
    // and so is a meter falling silent or coming to rest.
    bool reportsMeters() const override { return true; }
    void setMeterInterval(std::chrono::milliseconds interval) override;
    static constexpr std::uint32_t kMeterRate = PulseMeters::kRate;

    // For tests and diagnostics.
    bool connected() const;
    int meterStreams() const { return meters_->streams(); }
    std::uint32_t meterRate() const { return meters_->rate(); }
    // How long a meter nobody reads keeps its stream; the one read last keeps
    // it for good while something plays (a silent meter is not read until it
    // moves, and only its stream can say that it does).
    static constexpr std::chrono::milliseconds kMeterIdle = PulseMeters::kIdle;

private:
    PulseDriver();
    // Connects and waits at most `bound` for the first device list.
    static std::unique_ptr<PulseDriver> connectWithin(std::chrono::milliseconds bound, QString* error);
    void dropConnection();
    // Brings the devices in line with the server's state and says what
    // changed (see PulseDevices::update).
    void update(const PulseBinding* written = nullptr);
    void scheduleUpdate();

    // Destroyed in reverse: the meters' streams and the writes go before
    // the connection.
    std::unique_ptr<PulseConnection> connection_;
    std::unique_ptr<PulseMirror> mirror_;
    std::unique_ptr<PulseDevices> devices_;
    std::unique_ptr<PulseWrites> writes_;
    std::unique_ptr<PulseMeters> meters_;
    bool updatePosted_ = false;
    bool runningSaid_ = false;  // the devices' listeners know the server runs
};
