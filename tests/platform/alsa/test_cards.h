#pragma once
// Test support: a private set of test cards for each test, direct access to
// a card's state as the hardware would change it, and lookups in a device
// model.

#include "platform/device_model.h"
#include "platform/mixer_service.h"
#include "test_card_profiles.h"
#include "test_card_state.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <initializer_list>
#include <string_view>
#include <vector>

namespace testcard {

// Points the test cards' configuration at a fresh folder, so every test
// starts from the profiles' start values. The configuration itself is named
// by ALSA_CONFIG_PATH (set by CTest).
class TestCards {
public:
    TestCards();
    ~TestCards();
    TestCards(const TestCards&) = delete;
    TestCards& operator=(const TestCards&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString statePath(std::string_view profile) const;
    QString dir() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// ALSA device name of a profile's card: "tavlo_ac97", …
QString deviceName(std::string_view profile);

// A card's state changed from outside alsa-lib, as the hardware changes it.
class CardState {
public:
    CardState(const QString& path, std::string_view profile);
    bool isOpen() const { return file_.isOpen(); }
    bool set(std::string_view elem, std::initializer_list<long> values);
    std::vector<long> get(std::string_view elem) const;
    bool setPresent(std::string_view elem, bool present);
    bool setActive(std::string_view elem, bool active);
    // Value reads and writes fail with these errors (0: they work).
    bool setFaults(int readErrno, int writeErrno);

private:
    int find(std::string_view elem) const;
    StateFile file_;
};

// Lookups in a device model.
const DriverDestination* destinationOfType(const DeviceModel& model, DWORD componentType);
const DriverLine* sourceNamed(const DriverDestination& dest, std::string_view name);
int sourceIndex(const DriverDestination& dest, std::string_view name);
const DriverControl* controlOfType(const DriverLine& line, DWORD controlType);
QStringList controlNames(const DriverLine& line);
QStringList sourceNames(const DriverDestination& dest);
QStringList itemNames(const DriverControl& control);

// A control's whole value vector through the service, in the layout the
// program uses (one channel when uniform, items within a channel).
MMRESULT getValues(MixerService& service, HMIXER handle, const DriverLine& line, const DriverControl& control,
                   std::vector<DWORD>* values);
MMRESULT setValues(MixerService& service, HMIXER handle, const DriverLine& line, const DriverControl& control,
                   std::vector<DWORD> values);

// Collects the notifications the service posts to a handle's window.
class NotifyRecorder : public QObject {
public:
    struct Note {
        UINT message;
        HMIXER handle;
        DWORD id;
    };
    std::vector<Note> notes;
    int count(UINT message, DWORD id) const;
    // Delivers what is already posted, without waiting for anything new.
    void flush();

protected:
    bool event(QEvent* e) override;
};

// One test card opened through a mixer service over the ALSA driver, with a
// handle whose notifications are recorded, and the card's state as the
// hardware sees it.
struct OpenCard {
    std::unique_ptr<MixerService> service;
    HMIXER handle = 0;
    NotifyRecorder notes;
    std::unique_ptr<CardState> state;

    bool open(const TestCards& cards, const char* profile);
    MixerDriver& driver() { return service->driver(); }
    // The device's current model; null once it is gone.
    const DeviceModel* model() { return driver().model(driver().deviceKey(0)); }
    const DriverDestination& play() { return *destinationOfType(*model(), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS); }
    const DriverDestination& rec() { return *destinationOfType(*model(), MIXERLINE_COMPONENTTYPE_DST_WAVEIN); }

    // Values of the line's first control of a type; empty when that fails.
    std::vector<DWORD> get(const DriverLine& line, DWORD type);
    MMRESULT set(const DriverLine& line, DWORD type, std::vector<DWORD> values);
    DWORD id(const DriverLine& line, DWORD type);
};

}  // namespace testcard

// Readable failure messages for value vectors.
namespace QTest {
template <>
inline char* toString(const std::vector<long>& v) {
    QByteArray text = "{";
    for (std::size_t i = 0; i < v.size(); ++i) text += (i ? ", " : "") + QByteArray::number(qlonglong(v[i]));
    return qstrdup(text + "}");
}
template <>
inline char* toString(const std::vector<DWORD>& v) {
    QByteArray text = "{";
    for (std::size_t i = 0; i < v.size(); ++i) text += (i ? ", " : "") + QByteArray::number(v[i]);
    return qstrdup(text + "}");
}
}  // namespace QTest
