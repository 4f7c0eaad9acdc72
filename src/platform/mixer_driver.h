#pragma once
// The small interface every sound back end implements for the mixer service:
// the devices with their line and control trees, the reading and writing of
// a control's values, and the changes made outside this process.

#include "platform/device_model.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <span>

// Identifies a device for as long as it exists; indices shift when devices
// come and go, keys do not.
using DeviceKey = std::uint64_t;

// Whether the devices are those of a sound server that can stop and start
// while the program runs, and whether it runs now.
enum class SoundServerState { None, Running, Stopped };

class MixerDriver : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MixerDriver() override = default;

    virtual int deviceCount() const = 0;
    // Key of the device at an index (0 .. deviceCount()-1).
    virtual DeviceKey deviceKey(int index) const = 0;
    // The device's current tree, or nullptr once the device is gone. The
    // pointer is valid until the next change of devices or models.
    virtual const DeviceModel* model(DeviceKey key) const = 0;

    // Values of one control in the service's layout: channel by channel
    // (one channel when uniform), item by item within a channel for a
    // multiple control; values.size() == controlValueCount(). False on failure.
    virtual bool readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) = 0;
    // Writes the values (already range-checked by the service). False on failure.
    virtual bool writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) = 0;

    // True where devices come and go in ordinary use (a sound server's
    // outputs: a headset plugged in or out), so that losing the one in use
    // is no reason to stop; false for sound cards.
    virtual bool deviceLossIsRoutine() const { return false; }
    // A sound server's devices go all at once when it stops: said as such,
    // not as outputs lost one by one.
    virtual SoundServerState soundServerState() const { return SoundServerState::None; }
    // A device that only stands in while there is no real one (a sound
    // server's "Dummy Output"): it goes as soon as a real one comes, which is
    // nothing to tell anyone.
    virtual bool isStandIn(DeviceKey) const { return false; }

    // Meters. A driver that knows when its meters move says so through
    // metersChanged, and nobody need read them more often than that; one
    // that does not is read as often as its reader likes.
    virtual bool reportsMeters() const { return false; }
    // How often the reader wants meter values at the most: a driver that
    // measures peaks measures over about this long and reports no more often
    // (it may report less often). Zero: nobody reads meters now.
    virtual void setMeterInterval(std::chrono::milliseconds) {}

signals:
    // A control's value changed outside this process (another program, the
    // hardware). The service's own writes are notified by the service.
    void controlChanged(DeviceKey key, DWORD controlId);
    void lineChanged(DeviceKey key, DWORD lineId);
    // Devices were added or removed, a device's tree was rebuilt, or the
    // sound server stopped or started.
    void devicesChanged();
    // A device's meters have new values (only where reportsMeters()).
    void metersChanged(DeviceKey key);
};
