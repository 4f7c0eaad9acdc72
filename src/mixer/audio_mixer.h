#pragma once
// TAudioMixer: one open mixer device and its line and control tree, the
// value operations on its lines, and the device's change notifications
// turned into two events.

#include "mixer/mixer_lists.h"
#include "platform/mmsystem.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class MixerService;

// Sender, the reporting device's handle, the line or control id.
using TMixerChange = std::function<void(TAudioMixer* Sender, int MixerH, int ID)>;

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

    int MixerId() const { return mixerId_; }
    // Reopens: the old tree is thrown away even for the same value.
    void SetMixerId(int Value);
    void CloseMixer();

    TMixerChange OnLineChange;
    TMixerChange OnControlChange;
    // TEMPORARY until the live-card work lands.
    std::function<void(TAudioMixer*)> OnDevicesChange;
    void SetIgnoreEchoes(bool v) { ignoreEchoes_ = v; }
    bool IgnoreEchoes() const { return ignoreEchoes_; }
    bool DeviceGone() const { return false; }

    int MixerCount() const { return mixerCount_; }
    HMIXER MixerHandle() const { return mixerHandle_; }
    const MIXERCAPS& MixerCaps() const { return mixerCaps_; }
    // Null while no device is open.
    TMixerDestinations* Destinations() const { return destinations_.get(); }
    MixerService& Service() const { return service_; }

    // Value operations; a line is (Dest, Conn), Conn -1 for the destination.
    bool GetLineLevels(int Dest, int Conn, int& Left, int& Right, int& Mute, bool& Stereo, bool& VolDisabled,
                       bool& MuteDisabled);
    bool SetLineLevels(int Dest, int Conn, int Left, int Right, int Mute);
    bool GetLineMute(int Dest, int Conn, bool& Muted);
    bool GetLineMeter(int Dest, int Conn, int& Left, int& Right);
    int GetControlValue(int Dest, int Conn, int Index);
    bool SetControlValue(int Dest, int Conn, int Index, int Value);

protected:
    bool event(QEvent* e) override;

private:
    struct Line {
        const MIXERLINE* info = nullptr;
        const TMixerControls* controls = nullptr;
        const TMixerDestination* destination = nullptr;
    };
    bool findLine(int Dest, int Conn, Line& line) const;
    bool readList(const TMixerDestination& dest, int Conn, DWORD* buffer, const MIXERCONTROL** list);

    MixerService& service_;
    int mixerCount_ = 0;
    int mixerId_ = -1;
    HMIXER mixerHandle_ = 0;
    MIXERCAPS mixerCaps_{};
    std::unique_ptr<TMixerDestinations> destinations_;
    qint32 driverVersion_ = 0;
    quint16 productId_ = 0;
    qint32 numberOfLine_ = 0;
    QString manufacturer_;
    QString productName_;
    bool ignoreEchoes_ = false;
};
