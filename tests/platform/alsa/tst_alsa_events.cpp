// Changes that reach the program through the event loop: from the
// hardware, from another program (another ALSA handle, amixer), changes of
// the card itself (elements added or removed, the card gone or failing),
// and cards plugged in and removed.

#include "mixer/audio_mixer.h"
#include "platform/alsa/alsa_driver.h"
#include "support/test_main.h"
#include "test_cards.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace testcard;
using Values = std::vector<DWORD>;
using Raw = std::vector<long>;

namespace {

constexpr DWORD kVolumeType = MIXERCONTROL_CONTROLTYPE_VOLUME;
constexpr DWORD kMuteType = MIXERCONTROL_CONTROLTYPE_MUTE;
constexpr DWORD kMux = MIXERCONTROL_CONTROLTYPE_MUX;
constexpr int kEventTimeout = 10000;

// Runs amixer on a test card; its output, or a null string when it failed.
QString amixer(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("amixer"), QStringList{QStringLiteral("-D"), deviceName("ac97")} + args);
    if (!p.waitForFinished(kEventTimeout) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("amixer %s: %s", qPrintable(args.join(' ')), p.readAllStandardError().constData());
        return {};
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

}  // namespace

class TestAlsaEvents : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void hardwareChangeNotifiesTheControlsItChanged();
    void recordSourceChangeNotifiesTheList();
    void everyHandleOnTheCardIsNotified();
    void ownWriteIsNotifiedOnceBySomeoneElse();
    void writeByOneProgramReachesAnother();
    void amixerSeesOurWrites();
    void ourHandlesSeeAmixerWrites();
    void addedElementRebuildsTheModel();
    void removedElementRebuildsTheModel();
    void inactiveElementDisablesItsControls();
    void cardWhoseStateDisappearsIsGone();
    void failingCardRefusesWrites();
    void cardWhoseEventsFailIsGone();
    void cardsPluggedInAndRemovedAreFollowed();

private:
    std::unique_ptr<TestCards> cards_;
    std::unique_ptr<OpenCard> card_;
};

void TestAlsaEvents::init() {
    cards_ = std::make_unique<TestCards>();
    QVERIFY(cards_->isValid());
    card_ = std::make_unique<OpenCard>();
    QVERIFY(card_->open(*cards_, "ac97"));
}

void TestAlsaEvents::cleanup() {
    card_.reset();
    cards_.reset();
}

void TestAlsaEvents::hardwareChangeNotifiesTheControlsItChanged() {
    const DriverLine& pcm = *sourceNamed(card_->play(), "PCM");
    QVERIFY(card_->state->set("PCM Playback Volume", {3, 4}));
    QTRY_COMPARE_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(pcm, kVolumeType)), 1,
                              kEventTimeout);
    QCOMPARE(card_->notes.notes.front().handle, card_->handle);
    // The mute of the same element did not change: no word about it.
    QCOMPARE(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(pcm, kMuteType)), 0);
    QCOMPARE(card_->get(pcm, kVolumeType), (Values{6342, 8456}));  // 3 and 4 of 31

    QVERIFY(card_->state->set("Master Playback Switch", {0}));
    QTRY_COMPARE_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(card_->play().line, kMuteType)), 1,
                              kEventTimeout);
    QCOMPARE(card_->get(card_->play().line, kMuteType), Values{1});
    QCOMPARE(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(card_->play().line, kVolumeType)), 0);
}

void TestAlsaEvents::recordSourceChangeNotifiesTheList() {
    const DWORD mux = card_->id(card_->rec().line, kMux);
    QVERIFY(card_->state->set("Capture Source", {7, 7}));  // Phone
    QTRY_COMPARE_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, mux), 1, kEventTimeout);
    QCOMPARE(card_->get(card_->rec().line, kMux), (Values{0, 0, 0, 0, 1, 0, 0, 0}));
    // Only the list changed; the source lines' own controls did not.
    for (const auto& n : card_->notes.notes) QCOMPARE(n.id, mux);
}

void TestAlsaEvents::everyHandleOnTheCardIsNotified() {
    NotifyRecorder second;
    HMIXER other = 0;
    QCOMPARE(card_->service->mixerOpen(&other, 0, &second, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    const DWORD id = card_->id(card_->rec().line, kVolumeType);
    QVERIFY(card_->state->set("Capture Volume", {1, 2}));
    QTRY_COMPARE_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, id), 1, kEventTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(second.count(MM_MIXM_CONTROL_CHANGE, id), 1, kEventTimeout);
    QCOMPARE(second.notes.front().handle, other);
}

// The service tells every handle about a write; the driver must not echo it.
void TestAlsaEvents::ownWriteIsNotifiedOnceBySomeoneElse() {
    const DriverLine& master = card_->play().line;
    const DriverLine& rec = card_->rec().line;
    QCOMPARE(card_->set(master, kVolumeType, {1000, 2000}), MMSYSERR_NOERROR);
    QCOMPARE(card_->set(rec, kMux, {0, 1, 0, 0, 0, 0, 0, 0}), MMSYSERR_NOERROR);  // switches Mic off, CD on
    // A change from outside afterwards marks the point by which any echo
    // of the writes would have arrived.
    const DWORD marker = card_->id(*sourceNamed(card_->play(), "Line"), kVolumeType);
    QVERIFY(card_->state->set("Line Playback Volume", {30}));
    QTRY_COMPARE_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, marker), 1, kEventTimeout);
    QCOMPARE(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(master, kVolumeType)), 1);
    QCOMPARE(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(rec, kMux)), 1);
    QCOMPARE(card_->notes.notes.size(), std::size_t(3));
}

void TestAlsaEvents::writeByOneProgramReachesAnother() {
    OpenCard other;  // its own driver and ALSA handle, as another program has
    QVERIFY(other.open(*cards_, "ac97"));
    const DriverLine& pcm = *sourceNamed(card_->play(), "PCM");
    QCOMPARE(card_->set(pcm, kVolumeType, {65535, 0}), MMSYSERR_NOERROR);
    const DriverLine& otherPcm = *sourceNamed(other.play(), "PCM");
    QTRY_COMPARE_WITH_TIMEOUT(other.notes.count(MM_MIXM_CONTROL_CHANGE, other.id(otherPcm, kVolumeType)), 1,
                              kEventTimeout);
    QCOMPARE(other.id(otherPcm, kVolumeType), card_->id(pcm, kVolumeType));  // same card, same ids
    QCOMPARE(other.get(otherPcm, kVolumeType), (Values{65535, 0}));

    QCOMPARE(card_->set(card_->rec().line, kMux, {0, 0, 0, 0, 0, 1, 0, 0}), MMSYSERR_NOERROR);  // Aux
    QTRY_COMPARE_WITH_TIMEOUT(other.notes.count(MM_MIXM_CONTROL_CHANGE, other.id(other.rec().line, kMux)), 1,
                              kEventTimeout);
    QCOMPARE(other.get(other.rec().line, kMux), (Values{0, 0, 0, 0, 0, 1, 0, 0}));
}

void TestAlsaEvents::amixerSeesOurWrites() {
    if (QStandardPaths::findExecutable(QStringLiteral("amixer")).isEmpty())
        QSKIP("amixer (alsa-utils) is not installed");
    QCOMPARE(card_->set(card_->play().line, kVolumeType, {65535, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->set(card_->play().line, kMuteType, {1}), MMSYSERR_NOERROR);
    const QString master = amixer({QStringLiteral("sget"), QStringLiteral("Master")});
    QVERIFY2(master.contains(QStringLiteral("Front Left: Playback 31 [100%] [off]")), qPrintable(master));
    QVERIFY2(master.contains(QStringLiteral("Front Right: Playback 0 [0%] [off]")), qPrintable(master));

    QCOMPARE(card_->set(card_->rec().line, kMux, {0, 1, 0, 0, 0, 0, 0, 0}), MMSYSERR_NOERROR);
    const QString cd = amixer({QStringLiteral("sget"), QStringLiteral("CD")});
    QVERIFY2(cd.contains(QStringLiteral("Front Left: Playback 16 [52%] [off] Capture [on]")), qPrintable(cd));
    const QString mic = amixer({QStringLiteral("sget"), QStringLiteral("Mic")});
    QVERIFY2(mic.contains(QStringLiteral("Front Left: Capture [off]")), qPrintable(mic));
}

void TestAlsaEvents::ourHandlesSeeAmixerWrites() {
    if (QStandardPaths::findExecutable(QStringLiteral("amixer")).isEmpty())
        QSKIP("amixer (alsa-utils) is not installed");
    const DriverLine& pcm = *sourceNamed(card_->play(), "PCM");
    QVERIFY(!amixer({QStringLiteral("sset"), QStringLiteral("PCM"), QStringLiteral("10,20")}).isNull());
    QTRY_VERIFY_WITH_TIMEOUT(card_->get(pcm, kVolumeType) == (Values{21140, 42281}), kEventTimeout);
    QVERIFY(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(pcm, kVolumeType)) >= 1);

    QVERIFY(!amixer({QStringLiteral("sset"), QStringLiteral("Line"), QStringLiteral("cap")}).isNull());
    QTRY_COMPARE_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(card_->rec().line, kMux)), 1,
                              kEventTimeout);
    QCOMPARE(card_->get(card_->rec().line, kMux), (Values{1, 0, 0, 0, 0, 0, 0, 0}));
}

void TestAlsaEvents::addedElementRebuildsTheModel() {
    QSignalSpy rebuilt(&card_->driver(), &MixerDriver::devicesChanged);
    const DWORD pcmVolume = card_->id(*sourceNamed(card_->play(), "PCM"), kVolumeType);
    const DWORD speakersLine = card_->play().line.info.dwLineID;
    QVERIFY(sourceNamed(card_->rec(), "Aux"));
    QVERIFY(!sourceNamed(card_->play(), "Aux"));

    // Something plugged into the Aux input: its playback elements appear.
    QVERIFY(card_->state->setPresent("Aux Playback Volume", true));
    QVERIFY(card_->state->setPresent("Aux Playback Switch", true));
    QTRY_VERIFY_WITH_TIMEOUT(
        sourceNamed(card_->play(), "Aux") && sourceNamed(card_->play(), "Aux")->controls.size() == 2, kEventTimeout);
    QVERIFY(rebuilt.count() >= 1);
    // The line's notification is posted: it comes with a later turn of the loop.
    QTRY_VERIFY_WITH_TIMEOUT(card_->notes.count(MM_MIXM_LINE_CHANGE, speakersLine) >= 1, kEventTimeout);
    const DriverLine& aux = *sourceNamed(card_->play(), "Aux");
    QCOMPARE(aux.info.dwComponentType, MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY);
    QCOMPARE(card_->get(aux, kVolumeType), (Values{10570, 10570}));  // 5 of 31
    // What was there keeps its ids, and handles keep working.
    QCOMPARE(card_->id(*sourceNamed(card_->play(), "PCM"), kVolumeType), pcmVolume);
    QCOMPARE(card_->play().line.info.dwLineID, speakersLine);
    QCOMPARE(card_->set(aux, kVolumeType, {65535, 65535}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Aux Playback Volume"), (Raw{31, 31}));
    QVERIFY(sourceNamed(card_->rec(), "Aux"));
}

void TestAlsaEvents::removedElementRebuildsTheModel() {
    const DriverLine& cd = *sourceNamed(card_->play(), "CD");
    MIXERCONTROL cdVolume = controlOfType(cd, kVolumeType)->info;
    const DWORD cdLineId = cd.info.dwLineID;
    const DWORD cdChannels = cd.info.cChannels;
    const DWORD lineVolume = card_->id(*sourceNamed(card_->play(), "Line"), kVolumeType);

    QVERIFY(card_->state->setPresent("CD Playback Volume", false));
    QTRY_VERIFY_WITH_TIMEOUT(!sourceNamed(card_->play(), "CD"), kEventTimeout);
    QCOMPARE(sourceNames(card_->play()), (QStringList{"PCM", "Line", "Mic"}));
    QCOMPARE(card_->id(*sourceNamed(card_->play(), "Line"), kVolumeType), lineVolume);
    QVERIFY(sourceNamed(card_->rec(), "CD"));  // still a recording input

    // A handle that still holds the old records gets errors, not another control.
    DWORD values[2] = {1, 1};
    MIXERCONTROLDETAILS d{sizeof(MIXERCONTROLDETAILS), cdVolume.dwControlID, cdChannels, 0, sizeof(DWORD), values};
    QCOMPARE(card_->service->mixerGetControlDetailsA(card_->handle, &d, MIXER_GETCONTROLDETAILSF_VALUE),
             MIXERR_INVALCONTROL);
    QCOMPARE(card_->service->mixerSetControlDetails(card_->handle, &d, MIXER_SETCONTROLDETAILSF_VALUE),
             MIXERR_INVALCONTROL);
    MIXERLINE line{};
    line.cbStruct = sizeof line;
    line.dwLineID = cdLineId;
    QCOMPARE(card_->service->mixerGetLineInfoA(card_->handle, &line, MIXER_GETLINEINFOF_LINEID), MIXERR_INVALLINE);
}

void TestAlsaEvents::inactiveElementDisablesItsControls() {
    OpenCard hda;
    QVERIFY(hda.open(*cards_, "hda"));
    QSignalSpy rebuilt(&hda.driver(), &MixerDriver::devicesChanged);
    auto disabled = [&](const char* source, DWORD type) {
        const DriverLine* line = sourceNamed(hda.play(), source);
        return line && (controlOfType(*line, type)->info.fdwControl & MIXERCONTROL_CONTROLF_DISABLED) != 0;
    };
    const DWORD volumeId = hda.id(*sourceNamed(hda.play(), "Headphone"), kVolumeType);
    QVERIFY(!disabled("Headphone", kVolumeType));

    // The headphones are unplugged: the codec marks their controls unused.
    QVERIFY(hda.state->setActive("Headphone Playback Volume", false));
    QVERIFY(hda.state->setActive("Headphone Playback Switch", false));
    QTRY_VERIFY_WITH_TIMEOUT(disabled("Headphone", kVolumeType) && disabled("Headphone", kMuteType), kEventTimeout);
    QVERIFY(rebuilt.count() >= 1);
    QVERIFY(!disabled("Front", kVolumeType));
    QCOMPARE(hda.id(*sourceNamed(hda.play(), "Headphone"), kVolumeType), volumeId);

    QVERIFY(hda.state->setActive("Headphone Playback Volume", true));
    QVERIFY(hda.state->setActive("Headphone Playback Switch", true));
    QTRY_VERIFY_WITH_TIMEOUT(!disabled("Headphone", kVolumeType) && !disabled("Headphone", kMuteType), kEventTimeout);
}

void TestAlsaEvents::cardWhoseStateDisappearsIsGone() {
    TAudioMixer mixer(*card_->service);  // the program's model, open on the card
    QCOMPARE(mixer.MixerId(), 0);
    QSignalSpy changed(&card_->driver(), &MixerDriver::devicesChanged);
    const DriverLine master = card_->play().line;

    QVERIFY(QFile::remove(cards_->statePath("ac97")));  // the card is unplugged
    QTRY_COMPARE_WITH_TIMEOUT(card_->driver().deviceCount(), 0, kEventTimeout);
    QVERIFY(changed.count() >= 1);
    QVERIFY(!card_->model());
    QCOMPARE(card_->service->mixerGetNumDevs(), UINT(0));

    // Open handles answer errors.
    Values v;
    QCOMPARE(getValues(*card_->service, card_->handle, master, *controlOfType(master, kVolumeType), &v),
             MMSYSERR_INVALHANDLE);
    QCOMPARE(setValues(*card_->service, card_->handle, master, *controlOfType(master, kVolumeType), {1, 1}),
             MMSYSERR_INVALHANDLE);
    MIXERLINE line{};
    line.cbStruct = sizeof line;
    QCOMPARE(card_->service->mixerGetLineInfoA(card_->handle, &line, MIXER_GETLINEINFOF_DESTINATION),
             MMSYSERR_INVALHANDLE);
    MIXERCAPS caps{};
    QCOMPARE(card_->service->mixerGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_BADDEVICEID);

    // The program's model hears of it, keeps its tree and reads nothing from it.
    QTRY_VERIFY_WITH_TIMEOUT(mixer.DeviceGone(), kEventTimeout);
    QCOMPARE(mixer.MixerId(), -1);
    QCOMPARE(mixer.MixerCount(), 0);
    QVERIFY(mixer.Destinations());
    QVERIFY(!mixer.GetLineLevels(0, -1));
    QVERIFY(!mixer.SetLineLevels(0, 0, 1000, 1000, 0));
    QCOMPARE(card_->service->mixerClose(card_->handle), MMSYSERR_NOERROR);
}

void TestAlsaEvents::failingCardRefusesWrites() {
    const DriverLine& master = card_->play().line;
    QSignalSpy changed(&card_->driver(), &MixerDriver::devicesChanged);
    QVERIFY(card_->state->setFaults(0, EBUSY));  // its controls are locked by someone
    card_->notes.flush();
    card_->notes.notes.clear();
    QCOMPARE(card_->set(master, kVolumeType, {0, 0}), MMSYSERR_ERROR);
    QCOMPARE(card_->set(card_->rec().line, kMux, {0, 0, 0, 0, 0, 0, 1, 0}), MMSYSERR_ERROR);
    card_->notes.flush();
    QCOMPARE(card_->notes.notes.size(), std::size_t(0));  // nothing changed, nobody told
    QCOMPARE(card_->state->get("Master Playback Volume"), (Raw{20, 20}));
    QCOMPARE(card_->state->get("Capture Source"), (Raw{0, 0}));
    // Reads still give what the card holds, not what it refused.
    QCOMPARE(card_->get(master, kVolumeType), (Values{42281, 42281}));
    QCOMPARE(card_->get(card_->rec().line, kMux), (Values{0, 0, 1, 0, 0, 0, 0, 0}));

    QVERIFY(card_->state->setFaults(0, 0));
    QCOMPARE(card_->set(master, kVolumeType, {0, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Master Playback Volume"), (Raw{0, 0}));
    QCOMPARE(changed.count(), 0);  // the card was read again, its tree did not change
}

void TestAlsaEvents::cardWhoseEventsFailIsGone() {
    QSignalSpy changed(&card_->driver(), &MixerDriver::devicesChanged);
    QVERIFY(card_->state->setFaults(EIO, EIO));
    QVERIFY(card_->state->set("PCM Playback Volume", {1}));  // its value can no longer be read
    QTRY_COMPARE_WITH_TIMEOUT(card_->driver().deviceCount(), 0, kEventTimeout);
    QCOMPARE(changed.count(), 1);
    QVERIFY(!card_->model());
}

namespace {

QStringList productNames(MixerService& service) {
    QStringList out;
    for (UINT i = 0; i < service.mixerGetNumDevs(); ++i) {
        MIXERCAPS caps{};
        service.mixerGetDevCapsA(i, &caps, sizeof caps);
        out << QString::fromLatin1(caps.szPname);
    }
    return out;
}

}  // namespace

// A folder plays /dev/snd: the test creates and deletes controlC<N> entries
// as the system does when cards come and go, and the lister maps them to
// the test cards as the system maps them to hw:<N>.
void TestAlsaEvents::cardsPluggedInAndRemovedAreFollowed() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.filePath(QStringLiteral("snd"));  // no sound modules loaded yet
    std::map<QString, QString> devices{{"controlC7", deviceName("ac97")},
                                       {"controlC8", deviceName("hda")},
                                       {"controlC9", deviceName("mixsw")},
                                       {"controlC6", QStringLiteral("tavlo_not_ready")}};
    AlsaCardLister lister = [&] {
        std::vector<AlsaCard> cards;
        for (const QString& entry : QDir(folder).entryList(QDir::Files, QDir::Name))
            if (devices.contains(entry)) cards.push_back({entry, devices[entry]});
        return cards;
    };
    auto plug = [&](const char* entry) { return QFile(folder + '/' + entry).open(QIODevice::WriteOnly); };
    auto unplug = [&](const char* entry) { return QFile::remove(folder + '/' + entry); };

    MixerService service(makeFollowingAlsaDriver(folder, lister));
    QSignalSpy changed(&service.driver(), &MixerDriver::devicesChanged);
    QCOMPARE(service.mixerGetNumDevs(), UINT(0));
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("snd")));
    QVERIFY(plug("controlC7"));
    QTRY_COMPARE_WITH_TIMEOUT(service.mixerGetNumDevs(), UINT(1), kEventTimeout);
    TAudioMixer ac97(service);
    QCOMPARE(ac97.ProductName(), QStringLiteral("Tavlo Test AC97"));
    HMIXER ac97Handle = 0;
    QCOMPARE(service.mixerOpen(&ac97Handle, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    const DeviceKey ac97Key = service.driver().deviceKey(0);

    // A second card, with its other device entries: one rescan.
    changed.clear();
    QVERIFY(plug("controlC8") && plug("pcmC8D0p") && plug("timer"));
    QTRY_COMPARE_WITH_TIMEOUT(service.mixerGetNumDevs(), UINT(2), kEventTimeout);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(productNames(service), (QStringList{"Tavlo Test AC97", "Tavlo Test HDA"}));
    TAudioMixer hda(service);
    hda.SetMixerId(1);
    QCOMPARE(hda.ProductName(), QStringLiteral("Tavlo Test HDA"));

    // One card pulled and another plugged in within one turn: one rescan.
    changed.clear();
    QVERIFY(unplug("controlC7") && plug("controlC9"));
    QTRY_COMPARE_WITH_TIMEOUT(productNames(service), (QStringList{"Tavlo Test HDA", "Tavlo Test Mixing Capture"}),
                              kEventTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(ac97.DeviceGone(), kEventTimeout);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(hda.MixerId(), 0);  // its index followed it
    MIXERLINE line{};
    line.cbStruct = sizeof line;
    QCOMPARE(service.mixerGetLineInfoA(ac97Handle, &line, MIXER_GETLINEINFOF_DESTINATION), MMSYSERR_INVALHANDLE);
    QCOMPARE(service.mixerClose(ac97Handle), MMSYSERR_NOERROR);

    // The same number gone and back in one turn is another card: a new device.
    const DeviceKey hdaKey = service.driver().deviceKey(0);
    QVERIFY(unplug("controlC8") && plug("controlC8"));
    QTRY_VERIFY_WITH_TIMEOUT(hda.DeviceGone(), kEventTimeout);
    QCOMPARE(productNames(service), (QStringList{"Tavlo Test HDA", "Tavlo Test Mixing Capture"}));
    QVERIFY(service.driver().deviceKey(0) != hdaKey);
    // The first card back: listed first again, never under its old key.
    QVERIFY(plug("controlC7"));
    QTRY_COMPARE_WITH_TIMEOUT(service.mixerGetNumDevs(), UINT(3), kEventTimeout);
    QCOMPARE(productNames(service).front(), QStringLiteral("Tavlo Test AC97"));
    QVERIFY(service.driver().deviceKey(0) != ac97Key);

    // A card that cannot be opened yet (plugged in as another is pulled, so
    // the rescan shows) is tried again when its entry changes, as when the
    // system grants access to it.
    QVERIFY(plug("controlC6") && unplug("controlC9"));
    QTRY_COMPARE_WITH_TIMEOUT(service.mixerGetNumDevs(), UINT(2), kEventTimeout);
    devices["controlC6"] = deviceName("ac97");
    QVERIFY(QFile::setPermissions(folder + "/controlC6", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QTRY_COMPARE_WITH_TIMEOUT(service.mixerGetNumDevs(), UINT(3), kEventTimeout);

    // The whole folder gone (sound modules unloaded): every card with it.
    QVERIFY(QDir(folder).removeRecursively());
    QTRY_COMPARE_WITH_TIMEOUT(service.mixerGetNumDevs(), UINT(0), kEventTimeout);
}

TAVLO_TEST_GUILESS_MAIN(TestAlsaEvents)
#include "tst_alsa_events.moc"
