#pragma once
// TAudioMixer: one open mixer device and its line and control tree, the
// value operations on its lines, the device's change notifications turned
// into two events, and the coming and going of devices.

#include "mixer/mixer_lists.h"
#include "platform/mmsystem.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class MixerService;

// What GetLineLevels reads of a line. -1 stands for a control the line does
// not have (or that is disabled).
struct LineLevels {
    int Left = -1;
    int Right = -1;
    int Mute = -1;  // the mute control's state, else the source's place in its destination's list
    bool Stereo = false;
    bool VolDisabled = false;
    bool MuteDisabled = false;
};

// Sender, the reporting device's handle, the line or control id.
using TMixerChange = std::function<void(TAudioMixer* Sender, int MixerH, int ID)>;
using TMixerDevicesChange = std::function<void(TAudioMixer* Sender)>;

class TAudioMixer : public QObject {
    Q_OBJECT
public:
    // Opens device 0 when there is one.
    TAudioMixer(MixerService& service, QObject* owner = nullptr);
    ~TAudioMixer() override;

    // Read-only properties of the open (or last opened) device.
    qint32 DriverVersion() const { return driverVersion_; }
    quint16 ProductId() const { return productId_; }
    qint32 NumberOfLine() const { return numberOfLine_; }
    const QString& Manufacturer() const { return manufacturer_; }
    const QString& ProductName() const { return productName_; }

    // MixerId, MixerCount and DeviceGone answer for the set of devices the
    // service last announced, even asked before this object's own turn to
    // hear of it (another object's OnDevicesChange runs first).
    int MixerId() {
        followDevices();
        return mixerId_;
    }
    // Reopens: the old tree is thrown away even for the same value.
    void SetMixerId(int Value);
    void CloseMixer();
    // Reads the open device's tree again. A line change (a stream or a
    // source coming or going) rebuilds the device's tree, and the binding
    // that answers it must see the new one; until then the old tree stays,
    // so that the strips' indices keep meaning the lines they were bound to.
    void RereadTree();

    TMixerChange OnLineChange;
    TMixerChange OnControlChange;
    // Called once devices came or went (cards plugged in or removed), with
    // MixerCount and MixerId already current and DeviceGone telling whether
    // the open device was among those that went.
    TMixerDevicesChange OnDevicesChange;

    // Echoes are the notifications of this process's own writes, made
    // through any mixer object. Ignored, they never reach OnControlChange;
    // changes from other programs and the hardware still do.
    void SetIgnoreEchoes(bool Value) { ignoreEchoes_ = Value; }
    bool IgnoreEchoes() const { return ignoreEchoes_; }

    // The open device went away: MixerId is -1, the tree stays as it was
    // (indices into it stay valid) and every value operation fails. The
    // next SetMixerId or CloseMixer clears it.
    bool DeviceGone() {
        followDevices();
        return deviceGone_;
    }

    // Kept current as devices come and go.
    int MixerCount() {
        followDevices();
        return mixerCount_;
    }
    HMIXER MixerHandle() const { return mixerHandle_; }
    const MIXERCAPS& MixerCaps() const { return mixerCaps_; }
    // Null while no device is open.
    TMixerDestinations* Destinations() const { return destinations_.get(); }
    MixerService& Service() const { return service_; }
    // Lookups in the tree read last, by index: null (or 0 sources) for a
    // destination or line it does not have. They answer for the tree also
    // once the device went, as the windows' indices do.
    const TMixerDestination* Destination(int Dest) const;
    const MIXERLINE* DestinationLine(int Dest) const;
    int SourceCount(int Dest) const;
    // The line (Dest, Conn), Conn -1 for the destination itself.
    const MIXERLINE* LineInfoAt(int Dest, int Conn) const;
    const TMixerControls* ControlsAt(int Dest, int Conn) const;
    // The destination's name ("" for none), and its name followed by its
    // sources' in connection order (none for a missing destination).
    QString DestinationName(int Dest) const;
    QStringList LineNames(int Dest) const;
    // Whether devices going is part of ordinary use for the back end (a
    // sound server's outputs) rather than a card pulled out.
    bool DeviceLossIsRoutine() const;

    // Value operations; a line is (Dest, Conn), Conn -1 for the destination.
    // All fail (false, 0) for a missing line and once the device is gone.
    std::optional<LineLevels> GetLineLevels(int Dest, int Conn);
    // Also false when the device refuses any of the writes it makes
    // (disabled controls are not written).
    bool SetLineLevels(int Dest, int Conn, int Left, int Right, int Mute);
    bool GetLineMute(int Dest, int Conn, bool& Muted);
    bool GetLineMeter(int Dest, int Conn, int& Left, int& Right);
    int GetControlValue(int Dest, int Conn, int Index);
    // False when the line or control is missing or the device refuses.
    bool SetControlValue(int Dest, int Conn, int Index, int Value);

protected:
    bool event(QEvent* e) override;

private:
    struct Line {
        const MIXERLINE* info = nullptr;
        const TMixerControls* controls = nullptr;
        const TMixerDestination* destination = nullptr;
    };
    Line lineAt(int Dest, int Conn) const;  // nulls for a line it does not have
    bool findLine(int Dest, int Conn, Line& line) const;
    void devicesChanged();
    // Brings the count, the open device's index and DeviceGone in line with
    // the set the service last announced, once per announcement.
    void followDevices();
    bool readList(const TMixerDestination& dest, int Conn, DWORD* buffer, const MIXERCONTROL** list);

    MixerService& service_;
    int mixerCount_ = 0;
    int mixerId_ = -1;
    HMIXER mixerHandle_ = 0;
    bool ignoreEchoes_ = false;
    bool deviceGone_ = false;
    std::uint64_t openedTree_ = 0;       // the service's tree version when opened
    std::uint64_t followedDevices_ = 0;  // the service's announcement last followed
    MIXERCAPS mixerCaps_{};
    std::unique_ptr<TMixerDestinations> destinations_;
    qint32 driverVersion_ = 0;
    quint16 productId_ = 0;
    qint32 numberOfLine_ = 0;
    QString manufacturer_;
    QString productName_;
};
