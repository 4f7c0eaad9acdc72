#pragma once
// One open ALSA control device: its simple mixer, the model built from it,
// and its change events, read through QSocketNotifier on the UI thread.

#include "platform/alsa/alsa_handles.h"
#include "platform/alsa/alsa_mapping.h"

#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

class QSocketNotifier;

Q_DECLARE_LOGGING_CATEGORY(lcAlsa)

class AlsaDevice : public QObject {
    Q_OBJECT
public:
    // Opens an ALSA control device ("hw:0", "pulse", …); null with *error set
    // when it cannot be opened or read.
    static std::unique_ptr<AlsaDevice> open(const QString& name, QString* error);
    ~AlsaDevice() override;

    struct Key {  // only open() makes devices
    private:
        friend class AlsaDevice;
        Key() = default;
    };
    AlsaDevice(Key, QString name);

    const QString& name() const { return name_; }
    // Null once the device is gone.
    const DeviceModel* model() const { return gone_ ? nullptr : &mapping_.model; }
    bool gone() const { return gone_; }

    bool read(DWORD controlId, std::span<DWORD> values);
    bool write(DWORD controlId, std::span<const DWORD> values);

signals:
    // A control's values changed outside this process.
    void controlChanged(DWORD controlId);
    // The element set changed and the model was rebuilt.
    void rebuilt();
    // The device went away (unplugged, or its control device failed).
    void lost();

private:
    // The binding of a control that can be read or written now with this
    // many values, or null.
    const ControlBinding* usableBinding(DWORD controlId, std::size_t valueCount) const;
    bool start(QString* error);
    void watch();
    void onReadable();
    // Handles pending card events. ownControl is a control this process
    // just wrote: its change is not reported.
    void handleEvents(DWORD ownControl);
    void rebuild();
    // Takes a freshly built mapping. A changed tree replaces the model and
    // is announced, or when that is not allowed now, rebuilt again later.
    void adopt(AlsaMapping next, bool mayAnnounce, DWORD quietControl);
    void resync();
    void lose();
    void refreshKnownValues(DWORD quietControl, bool report);
    void hookElements();
    static int mixerEvent(snd_mixer_t* mixer, unsigned mask, snd_mixer_elem_t* elem);
    static int elemEvent(snd_mixer_elem_t* elem, unsigned mask);
    void noteEvent(unsigned mask);

    QString name_;
    AlsaMixerPtr mixer_;
    CardIdentity card_;
    IdRegistry ids_;
    AlsaMapping mapping_;
    std::unordered_map<DWORD, std::vector<DWORD>> known_;  // last values seen, by control id
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
    bool valuesChanged_ = false;
    bool structureChanged_ = false;
    bool stale_ = false;  // element set changed; bindings unusable until rebuilt
    bool gone_ = false;
    bool closing_ = false;
};
