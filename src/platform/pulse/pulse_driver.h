#pragma once
// The PulseAudio back end (PipeWire's PulseAudio interface too): one
// device per sink, the application streams as its source lines, live peak
// meters. Everything runs on the UI thread through QtPulseMainloop.
// The mapping is described in pulse_mapping.cpp.

#include "platform/mixer_driver.h"
#include "platform/pulse/pulse_mapping.h"

#include <QLoggingCategory>
#include <QString>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct pa_context;
struct pa_stream;
class QtPulseMainloop;
class QTimer;

Q_DECLARE_LOGGING_CATEGORY(lcPulse)

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
        return loaded_ ? SoundServerState::Running : SoundServerState::Stopped;
    }
    // The server's "Dummy Output" (its null sink auto_null), there only while
    // no real output is.
    bool isStandIn(DeviceKey key) const override;
    // Peaks come from the server at the rate asked for (at most kMeterRate a
    // second); a batch that moves a meter is reported, and so is a meter
    // falling silent.
    bool reportsMeters() const override { return true; }
    void setMeterInterval(std::chrono::milliseconds interval) override;
    static constexpr std::uint32_t kMeterRate = 25;

    // For tests and diagnostics.
    bool connected() const { return loaded_; }
    int meterStreams() const { return static_cast<int>(meters_.size()); }
    std::uint32_t meterRate() const { return meterRate_; }
    // How long a meter nobody reads keeps its stream; the one last read
    // through a device keeps it for good (a silent meter is not read until
    // it moves, and only its stream can say that it does).
    static constexpr std::chrono::milliseconds kMeterIdle{3000};

private:
    struct Device {
        DeviceKey key = 0;
        std::uint32_t sink = 0;
        IdRegistry ids;
        PulseMapping mapping;
        std::vector<std::string> signatures;        // per destination
        std::map<DWORD, std::vector<DWORD>> known;  // values last reported, by control
    };
    struct Meter;
    class Callbacks;

    PulseDriver();
    // Connects and waits at most `bound` for the first device list.
    static std::unique_ptr<PulseDriver> connectWithin(std::chrono::milliseconds bound, QString* error);
    bool startContext(QString* error);
    void onContextState();
    void dropConnection();
    void loadAll();
    void loadDone();
    void onEvent(unsigned type, std::uint32_t index);
    // Brings the devices, their trees and the reported values in line with
    // the server's state, and says what changed. After a write of this
    // process, the controls standing for what was written are not reported
    // (the service echoes the write); others that changed with it are (the
    // recording line follows the source chosen for it).
    void update(const PulseBinding* written = nullptr);
    Device* find(DeviceKey key) const;
    // Keeps the levels of an object with writes in flight (their answers
    // would show older values) and notes it for a fresh look afterwards.
    bool keepOwnLevels(const std::string& object) const { return writing_.count(object) != 0; }
    void noteWrite(const std::string& object);
    // Asks the server about an object ("sink:3"), at most one question at a time.
    void ask(const std::string& object);
    void answered(const std::string& object);
    void query(const std::string& object);
    void scheduleUpdate();
    void writeFinished(bool success);
    DWORD meterValue(DeviceKey reader, const PulseBinding& binding);
    Meter* openMeter(const std::string& key, const std::string& source, std::uint32_t monitorInput);
    bool connectMeter(Meter& meter);
    std::chrono::milliseconds meterStale() const;
    void meterData(Meter& meter);
    void sendMeterReports();
    void reapMeters();
    void closeMeter(Meter& meter);

    std::unique_ptr<QtPulseMainloop> loop_;
    pa_context* context_ = nullptr;
    bool failed_ = false;
    bool loaded_ = false;
    bool started_ = false;  // start-up is over: failures are handled from the event loop
    int pendingLoads_ = 0;
    PulseServerState state_;
    std::vector<std::unique_ptr<Device>> devices_;
    DeviceKey nextKey_ = 1;
    // Writes on their way, in the order sent (the server answers in that
    // order): what each changed, to be put back should the server refuse it.
    struct Write {
        std::string object;
        std::optional<PulseLevels> levelsBefore;
        std::optional<std::string> defaultSourceBefore;
    };
    std::deque<Write> writes_;
    std::set<std::string> writing_;
    std::map<std::string, bool> asking_;  // questions on their way; true: changed again meanwhile
    bool updatePosted_ = false;
    bool runningSaid_ = false;  // the devices' listeners know the server runs
    std::map<std::string, std::unique_ptr<Meter>> meters_;
    std::uint32_t meterRate_ = kMeterRate;
    std::set<DeviceKey> reportsDue_;             // devices with new peaks, reported once per turn
    std::map<DeviceKey, std::string> followed_;  // the meter last read through each device
    QTimer* reconnect_ = nullptr;
    QTimer* reaper_ = nullptr;
};
