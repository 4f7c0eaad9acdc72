#pragma once
// The ALSA back end: real sound cards through alsa-lib's mixer.

#include "platform/mixer_driver.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class AlsaDevice;
class ControlFolderWatch;

// A sound card as the system lists it: the folder entry that stands for it
// ("controlC1") and the ALSA device opened for it ("hw:1").
struct AlsaCard {
    QString entry;
    QString device;
};
// The cards present now, in the order they are shown.
using AlsaCardLister = std::function<std::vector<AlsaCard>()>;

class AlsaDriver : public MixerDriver {
    Q_OBJECT
public:
    AlsaDriver();
    ~AlsaDriver() override;

    void addDevice(std::unique_ptr<AlsaDevice> device);
    // Opens the cards the lister names and follows them from then on:
    // whenever control entries of the folder change, the cards are listed
    // again; new ones are added as new devices, those gone are dropped.
    void followCards(const QString& folder, AlsaCardLister lister);

    int deviceCount() const override;
    DeviceKey deviceKey(int index) const override;
    const DeviceModel* model(DeviceKey key) const override;
    bool readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) override;
    bool writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) override;

private:
    struct Entry {
        DeviceKey key = 0;
        std::unique_ptr<AlsaDevice> device;
        QString card;  // the folder entry of a followed card
    };
    AlsaDevice* find(DeviceKey key) const;
    void take(std::unique_ptr<AlsaDevice> device, QString card);
    void onLost(DeviceKey key);
    void onRebuilt(DeviceKey key);
    // Brings the devices in line with the cards listed now; removed names
    // entries that went meanwhile (their number may already be another card's).
    void rescan(const QStringList& removed);

    std::vector<Entry> devices_;
    DeviceKey nextKey_ = 1;
    AlsaCardLister lister_;
    std::unique_ptr<ControlFolderWatch> watch_;
};

// The system's cards: controlC<N> in /dev/snd, opened as hw:<N>.
inline constexpr const char* kSoundDeviceFolder = "/dev/snd";
std::vector<AlsaCard> systemAlsaCards();
// A driver that follows the cards a lister names, watching the folder.
std::unique_ptr<AlsaDriver> makeFollowingAlsaDriver(const QString& folder, AlsaCardLister lister);

// With no names, every ALSA card in card order (opened as hw:N; a card that
// cannot be opened is left out), following cards plugged in and removed
// later; otherwise exactly the named control devices in that order, fixed.
// Null with *error set when a named device cannot be used.
std::unique_ptr<MixerDriver> makeAlsaDriver(const QStringList& deviceNames, QString* error);
