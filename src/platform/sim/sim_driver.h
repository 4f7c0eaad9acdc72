#pragma once
// A simulated sound back end: devices described in JSON, values kept in
// memory, meters that follow a signal, and faults on request. It is the
// test bed and the "demo" card.

#include "platform/mixer_driver.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

// How a meter control's value moves.
struct MeterSignal {
    enum class Kind { Constant, Sine, List };
    Kind kind = Kind::Constant;
    DWORD value = 0;                        // Constant
    DWORD minimum = 0, maximum = 0;         // Sine
    double periodMs = 1000.0;               // Sine
    std::vector<std::vector<DWORD>> steps;  // List: one entry per read, cycled; each per channel or one for all
};

// One simulated device: its tree, its start values and its meters.
struct SimDevice {
    DeviceModel model;
    std::vector<std::vector<DWORD>> startValues;     // per control, in controlOrder
    std::vector<DWORD> controlOrder;                 // control ids in tree order
    std::vector<std::optional<MeterSignal>> meters;  // per control, in controlOrder
};

class SimDriver : public MixerDriver {
    Q_OBJECT
public:
    SimDriver();
    ~SimDriver() override;

    // Parses a card description; on error returns null and sets *error to
    // one line saying what is wrong and where.
    static std::unique_ptr<SimDriver> fromJson(const QByteArray& json, QString* error);
    static std::unique_ptr<SimDriver> fromFile(const QString& path, QString* error);
    // The built-in demonstration cards.
    static std::unique_ptr<SimDriver> demo();
    static QByteArray demoJson();

    int deviceCount() const override;
    DeviceKey deviceKey(int index) const override;
    const DeviceModel* model(DeviceKey key) const override;
    bool readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) override;
    bool writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) override;
    // Moving meters (a signal or a list) are reported every kMeterPeriod,
    // or every interval when that is longer: the rate at which a sound
    // server sends peaks. Constant meters never move.
    bool reportsMeters() const override { return meterReports_; }
    void setMeterInterval(std::chrono::milliseconds interval) override;
    static constexpr std::chrono::milliseconds kMeterPeriod{40};

    // Test and demo hooks.
    // Meters that must be polled, as those of a driver that cannot tell
    // when they move.
    void setMeterReports(bool on);
    // How often moving meters are reported now; zero while they are not.
    std::chrono::milliseconds meterPeriod() const;
    // Adds a device at an index (appended when out of range); returns its index.
    int addDevice(SimDevice device, int at = -1);
    void removeDevice(int index);
    // Changes a control as another program would: the value changes and the
    // notification follows through the event loop. False if no such control.
    bool changeExternally(int device, DWORD controlId, const std::vector<DWORD>& values);
    void raiseLineChange(int device, DWORD lineId);
    // Current stored values of a control (layout as in readValues), empty if none.
    std::vector<DWORD> values(int device, DWORD controlId) const;
    // Number of value writes that reached the device (to see writes happen or not).
    int writeCount(int device) const;

    // Keeps the control values in a file shared with every other process
    // that uses the same file, as a real card's values are: a write here is
    // seen there as a change from outside, and the other way round. Values
    // already in the file win over the start values. False if the file
    // cannot be used (the driver then keeps its values to itself).
    bool shareValuesThrough(const QString& path);

private:
    struct Device;
    struct SharedFile;
    Device* find(DeviceKey key) const;
    // Writes one control's values (or, with no control, every control the
    // file does not hold yet) into the shared file.
    void saveShared(const Device* device, DWORD controlId);
    void loadShared(bool notify);
    void updateMeterClock();
    void reportMeters();
    std::vector<std::unique_ptr<Device>> devices_;
    DeviceKey nextKey_ = 1;
    std::unique_ptr<SharedFile> shared_;
    bool meterReports_ = true;
    std::chrono::milliseconds meterInterval_{0};
    QTimer* meterClock_ = nullptr;
};

// Parser of card descriptions (also used by tests directly).
std::optional<std::vector<SimDevice>> parseSimCards(const QByteArray& json, QString* error);
