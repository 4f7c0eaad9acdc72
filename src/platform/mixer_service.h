#pragma once
// The mixer service: the classic mixer function set, implemented once over
// a driver. Handles are per open; notifications are posted through the Qt
// event loop to the callback object of every handle open on the device.

#include "platform/mixer_driver.h"
#include "platform/mmsystem.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The window message a device posts: MM_MIXM_LINE_CHANGE or
// MM_MIXM_CONTROL_CHANGE with (device handle, line or control id).
class MixerNotifyEvent : public QEvent {
public:
    MixerNotifyEvent(UINT message, HMIXER handle, DWORD id, bool echo = false)
        : QEvent(eventType()), message_(message), handle_(handle), id_(id), echo_(echo) {}
    static QEvent::Type eventType();
    UINT message() const { return message_; }
    HMIXER handle() const { return handle_; }
    DWORD id() const { return id_; }
    // True for the notification of a write this process made through the
    // service (on any handle); false for changes the driver reports from
    // outside (another program, the hardware).
    bool echo() const { return echo_; }

private:
    UINT message_;
    HMIXER handle_;
    DWORD id_;
    bool echo_;
};

class MixerService : public QObject {
    Q_OBJECT
public:
    explicit MixerService(std::unique_ptr<MixerDriver> driver, QObject* parent = nullptr);
    ~MixerService() override;

    UINT mixerGetNumDevs() const;
    MMRESULT mixerOpen(HMIXER* phmx, UINT uMxId, QObject* dwCallback, std::uintptr_t dwInstance, DWORD fdwOpen);
    MMRESULT mixerClose(HMIXER hmx);
    // The current index of the device an open handle is on (fdwId
    // MIXER_OBJECTF_HMIXER; MIXER_OBJECTF_MIXER checks an index). Indices
    // shift as other devices come and go. MMSYSERR_INVALHANDLE for a bad or
    // closed handle, MMSYSERR_NODRIVER when its device is gone.
    MMRESULT mixerGetID(HMIXER hmx, UINT* puMxId, DWORD fdwId) const;
    MMRESULT mixerGetDevCapsA(UINT uMxId, MIXERCAPS* pmxcaps, UINT cbmxcaps) const;
    MMRESULT mixerGetLineInfoA(HMIXER hmx, MIXERLINE* pmxl, DWORD fdwInfo) const;
    MMRESULT mixerGetLineControlsA(HMIXER hmx, MIXERLINECONTROLS* pmxlc, DWORD fdwControls) const;
    MMRESULT mixerGetControlDetailsA(HMIXER hmx, MIXERCONTROLDETAILS* pmxcd, DWORD fdwDetails);
    MMRESULT mixerSetControlDetails(HMIXER hmx, MIXERCONTROLDETAILS* pmxcd, DWORD fdwDetails);

    MixerDriver& driver() { return *driver_; }
    // Number of handles currently open (for tests and leak checks).
    int openHandleCount() const;
    // Goes up whenever the driver reports devices or trees changing, at the
    // moment it does: a caller holding what it read of a tree knows it is
    // still current while this stays the same.
    std::uint64_t treeVersion() const { return treeVersion_; }
    // Goes up with each devicesChanged, just before it is emitted: a
    // listener asked before its own turn in that emission can tell that
    // there is a newer set to follow.
    std::uint64_t devicesAnnounced() const { return devicesAnnounced_; }

    // Meters that say when they move (this program's own addition, see
    // MixerDriver): when true, metersChanged tells when to read them.
    bool metersReported() const { return driver_->reportsMeters(); }
    // The sound server behind the devices, where there is one (see
    // MixerDriver): whether it runs now.
    SoundServerState soundServerState() const { return driver_->soundServerState(); }
    // Whether the device at this index only stands in for a real output.
    bool mixerIsStandIn(UINT uMxId) const;
    void setMeterInterval(std::chrono::milliseconds interval) { driver_->setMeterInterval(interval); }

signals:
    // Devices came or went (or a device's tree was rebuilt): from now on
    // mixerGetNumDevs and mixerGetID give the new set. Emitted from the
    // event loop, once for all the changes since the last time, never
    // inside a call to the service: a listener may reopen its devices.
    void devicesChanged();
    // New meter values on the device at this index, as the driver reports them.
    void metersChanged(UINT device);

private:
    struct Handle {
        HMIXER id = 0;
        DeviceKey device = 0;
        QPointer<QObject> callback;
        bool open = false;
    };
    const Handle* findHandle(HMIXER hmx) const;
    const DeviceModel* modelFor(HMIXER hmx, MMRESULT* error) const;
    void post(DeviceKey device, UINT message, DWORD id, bool echo);
    // Logs each device that came or went, once, whoever listens.
    void noteDevices();
    int indexOf(DeviceKey device) const;
    MMRESULT readDetails(const DeviceModel& model, DeviceKey key, MIXERCONTROLDETAILS* pmxcd, DWORD fdwDetails);

    std::unique_ptr<MixerDriver> driver_;
    std::vector<Handle> handles_;  // slot i holds handle i+1; closed slots are reused
    bool devicesChangePending_ = false;
    std::vector<std::pair<DeviceKey, QString>> named_;  // the devices as last seen, by key
    std::uint64_t treeVersion_ = 0;
    std::uint64_t devicesAnnounced_ = 0;
};
