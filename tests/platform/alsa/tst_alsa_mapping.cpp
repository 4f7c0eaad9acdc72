// How each test card's elements become mixer lines and controls, and which
// devices the driver opens.

#include "platform/alsa/alsa_driver.h"
#include "support/test_main.h"
#include "test_cards.h"

#include <QTest>

#include <alsa/asoundlib.h>

#include <set>

using namespace testcard;

namespace {

QList<uint> controlTypes(const DriverLine& line) {
    QList<uint> out;
    for (const auto& c : line.controls) out << c.info.dwControlType;
    return out;
}

QList<uint> sourceTypes(const DriverDestination& dest) {
    QList<uint> out;
    for (const auto& s : dest.sources) out << s.info.dwComponentType;
    return out;
}

bool isUniform(const DriverControl& c) { return c.info.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM; }
bool isDisabled(const DriverControl& c) { return c.info.fdwControl & MIXERCONTROL_CONTROLF_DISABLED; }

}  // namespace

class TestAlsaMapping : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ac97Card();
    void hdaCard();
    void independentCaptureSwitches();
    void everyCardKeepsTheGeneralRules_data();
    void everyCardKeepsTheGeneralRules();
    void sameElementsGiveSameIds();
    void namedDevicesInTheirOrder();
    void unusableNamedDeviceIsAnError();
    void withoutNamesEveryCardIsOpened();

private:
    const DeviceModel* open(const char* profile);
    std::unique_ptr<TestCards> cards_;
    std::unique_ptr<MixerDriver> driver_;
};

void TestAlsaMapping::init() {
    cards_ = std::make_unique<TestCards>();
    QVERIFY(cards_->isValid());
}

void TestAlsaMapping::cleanup() {
    driver_.reset();
    cards_.reset();
}

const DeviceModel* TestAlsaMapping::open(const char* profile) {
    QString error;
    driver_ = makeAlsaDriver({deviceName(profile)}, &error);
    if (!driver_) {
        qWarning("%s", qPrintable(error));
        return nullptr;
    }
    return driver_->deviceCount() == 1 ? driver_->model(driver_->deviceKey(0)) : nullptr;
}

void TestAlsaMapping::ac97Card() {
    const DeviceModel* model = open("ac97");
    QVERIFY(model);
    QCOMPARE(QString::fromLatin1(model->caps.szPname), QStringLiteral("Tavlo Test AC97"));
    QCOMPARE(model->caps.wMid, WORD(0xFFFF));  // no registered manufacturer
    QCOMPARE(model->caps.wPid, WORD(0xFFFF));  // a plugin has no card number
    QCOMPARE(model->caps.cDestinations, DWORD(2));

    const DriverDestination& play = model->destinations[0];
    QCOMPARE(play.line.info.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    QCOMPARE(QString::fromLatin1(play.line.info.szName), QStringLiteral("Master"));
    QCOMPARE(play.line.info.cChannels, DWORD(2));
    QCOMPARE(controlTypes(play.line),
             (QList<uint>{MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLTYPE_MUTE, MIXERCONTROL_CONTROLTYPE_BASS,
                          MIXERCONTROL_CONTROLTYPE_TREBLE, MIXERCONTROL_CONTROLTYPE_ONOFF}));
    QVERIFY(!isUniform(play.line.controls[0]));                                     // stereo volume
    QVERIFY(isUniform(play.line.controls[1]));                                      // mono switch on a stereo line
    QVERIFY(isUniform(play.line.controls[2]) && isUniform(play.line.controls[3]));  // mono tone controls
    QCOMPARE(QString::fromLatin1(play.line.controls[4].info.szName), QStringLiteral("External Amplifier"));

    QCOMPARE(sourceNames(play), (QStringList{"PCM", "Line", "CD", "Mic"}));
    QCOMPARE(sourceTypes(play),
             (QList<uint>{MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_COMPONENTTYPE_SRC_LINE,
                          MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE}));
    const DriverLine* mic = sourceNamed(play, "Mic");
    QCOMPARE(mic->info.cChannels, DWORD(1));
    QCOMPARE(controlTypes(*mic), (QList<uint>{MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLTYPE_MUTE,
                                              MIXERCONTROL_CONTROLTYPE_ONOFF}));
    // The boost switch belongs to the Mic strip and is named by what it does.
    QCOMPARE(QString::fromLatin1(mic->controls[2].info.szName), QStringLiteral("Boost (+20dB)"));
    QCOMPARE(controlTypes(*sourceNamed(play, "PCM")),
             (QList<uint>{MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLTYPE_MUTE}));

    const DriverDestination& rec = model->destinations[1];
    QCOMPARE(rec.line.info.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    QCOMPARE(controlTypes(rec.line), (QList<uint>{MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLTYPE_MUTE,
                                                  MIXERCONTROL_CONTROLTYPE_MUX}));
    const DriverControl& mux = rec.line.controls[2];
    QVERIFY(isUniform(mux));
    QVERIFY(mux.info.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE);
    // alsa-lib's element order, the same in the list and in the source lines.
    const QStringList inputs{"Line", "CD", "Mic", "Video", "Phone", "Aux", "Mix", "Mix Mono"};
    QCOMPARE(itemNames(mux), inputs);
    QCOMPARE(sourceNames(rec), inputs);
    QCOMPARE(mux.info.cMultipleItems, DWORD(inputs.size()));
    QCOMPARE(sourceTypes(rec).mid(0, 5),
             (QList<uint>{MIXERLINE_COMPONENTTYPE_SRC_LINE, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC,
                          MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED,
                          MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE}));
    // AC97 inputs have no capture level of their own: one disabled level
    // each, so the recording strip has a control and no mute of its own.
    for (const auto& src : rec.sources) {
        QCOMPARE(controlTypes(src), QList<uint>{MIXERCONTROL_CONTROLTYPE_VOLUME});
        QVERIFY(isDisabled(src.controls[0]));
    }
}

void TestAlsaMapping::hdaCard() {
    const DeviceModel* model = open("hda");
    QVERIFY(model);
    const DriverDestination* play = destinationOfType(*model, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    QVERIFY(play);
    QCOMPARE(play->line.info.cChannels, DWORD(1));  // mono Master
    QCOMPARE(controlTypes(play->line), (QList<uint>{MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLTYPE_MUTE}));
    QVERIFY(!isUniform(play->line.controls[0]));  // one channel needs no flag

    // Headphone and Front feed nothing: their type is undefined, never a
    // destination's. The input boosts belong to the recording side.
    QCOMPARE(sourceNames(*play), (QStringList{"Headphone", "PCM", "Front", "Beep"}));
    QCOMPARE(sourceTypes(*play),
             (QList<uint>{MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                          MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED, MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER}));
    const DriverLine* headphone = sourceNamed(*play, "Headphone");
    // A switch per channel on the card, one mute for the line.
    QCOMPARE(headphone->controls[1].info.dwControlType, MIXERCONTROL_CONTROLTYPE_MUTE);
    QVERIFY(isUniform(headphone->controls[1]));
    QCOMPARE(controlTypes(*sourceNamed(*play, "PCM")), QList<uint>{MIXERCONTROL_CONTROLTYPE_VOLUME});

    const DriverDestination* rec = destinationOfType(*model, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    QVERIFY(rec);
    QCOMPARE(rec->line.info.cChannels, DWORD(2));
    const DriverControl* mux = controlOfType(rec->line, MIXERCONTROL_CONTROLTYPE_MUX);
    QVERIFY(mux);
    QCOMPARE(QString::fromLatin1(mux->info.szName), QStringLiteral("Input Source"));
    QCOMPARE(itemNames(*mux), (QStringList{"Rear Mic", "Front Mic", "Line"}));
    QCOMPARE(sourceNames(*rec), itemNames(*mux));
    // An input with a boost gain records at that level; Line has none.
    const DriverLine* rearMic = sourceNamed(*rec, "Rear Mic");
    QCOMPARE(rearMic->info.dwComponentType, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    QCOMPARE(rearMic->info.cChannels, DWORD(2));
    QVERIFY(!isDisabled(rearMic->controls[0]));
    QCOMPARE(rearMic->controls[0].info.Metrics.cSteps, DWORD(3));
    QVERIFY(isDisabled(sourceNamed(*rec, "Line")->controls[0]));

    // An enumeration that chooses no input is not shown anywhere.
    for (const auto& d : model->destinations) {
        QVERIFY(!controlNames(d.line).contains(QStringLiteral("Auto-Mute Mode")));
        QVERIFY(!sourceNames(d).contains(QStringLiteral("Auto-Mute Mode")));
    }
}

void TestAlsaMapping::independentCaptureSwitches() {
    const DeviceModel* model = open("mixsw");
    QVERIFY(model);
    const DriverDestination* play = destinationOfType(*model, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    QCOMPARE(controlTypes(play->line), (QList<uint>{MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLTYPE_MUTE,
                                                    MIXERCONTROL_CONTROLTYPE_LOUDNESS}));
    QCOMPARE(sourceNames(*play), (QStringList{"PCM", "Synth"}));
    QCOMPARE(sourceNamed(*play, "Synth")->info.dwComponentType, MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER);

    const DriverDestination* rec = destinationOfType(*model, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    QVERIFY(rec);
    QVERIFY(!controlOfType(rec->line, MIXERCONTROL_CONTROLTYPE_MUX));
    const DriverControl* mixer = controlOfType(rec->line, MIXERCONTROL_CONTROLTYPE_MIXER);
    QVERIFY(mixer);
    QCOMPARE(itemNames(*mixer), (QStringList{"Line", "CD", "Mic"}));
    QCOMPARE(sourceNames(*rec), itemNames(*mixer));
    const DriverLine* mic = sourceNamed(*rec, "Mic");
    QCOMPARE(mic->info.cChannels, DWORD(1));
    QVERIFY(!isDisabled(mic->controls[0]));  // its own capture gain
    QCOMPARE(mic->controls[0].info.Metrics.cSteps, DWORD(40));
}

void TestAlsaMapping::everyCardKeepsTheGeneralRules_data() {
    QTest::addColumn<QString>("profile");
    QTest::newRow("ac97") << "ac97";
    QTest::newRow("hda") << "hda";
    QTest::newRow("mixsw") << "mixsw";
}

void TestAlsaMapping::everyCardKeepsTheGeneralRules() {
    QFETCH(QString, profile);
    const DeviceModel* model = open(qPrintable(profile));
    QVERIFY(model);
    QCOMPARE(model->destinations[0].line.info.dwComponentType, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    std::set<DWORD> lineIds, controlIds;
    auto checkLine = [&](const DriverLine& line, bool source) {
        QVERIFY(lineIds.insert(line.info.dwLineID).second);
        if (source) {
            QVERIFY(line.info.dwComponentType >= MIXERLINE_COMPONENTTYPE_SRC_FIRST);
            QVERIFY(line.info.dwComponentType <= MIXERLINE_COMPONENTTYPE_SRC_LAST);
        }
        QVERIFY(line.info.cChannels == 1 || line.info.cChannels == 2);
        QVERIFY(!line.controls.empty());
        for (const auto& c : line.controls) {
            QVERIFY(controlIds.insert(c.info.dwControlID).second);
            // Switches take one value for the whole line, however the card keeps them.
            if (isSwitchType(c.info.dwControlType) && line.info.cChannels > 1) QVERIFY2(isUniform(c), c.info.szName);
            QVERIFY2(!isMeterType(c.info.dwControlType), c.info.szName);  // ALSA has no peak meters
            if (isUnsignedUnits(c.info.dwControlType)) {
                QCOMPARE(c.info.Bounds.dwMinimum, DWORD(0));
                QCOMPARE(c.info.Bounds.dwMaximum, DWORD(65535));
            } else {
                QCOMPARE(c.info.Bounds.dwMaximum, DWORD(1));
            }
            // Every value read works and stays within its bounds.
            std::vector<DWORD> values(controlValueCount(c.info, line.info.cChannels));
            QVERIFY2(driver_->readValues(driver_->deviceKey(0), c.info.dwControlID, values), c.info.szName);
            for (DWORD v : values) QVERIFY2(v <= c.info.Bounds.dwMaximum, c.info.szName);
        }
        // The program reads a line's first level and first mute; a second of
        // either would never be seen.
        QVERIFY(std::count_if(line.controls.begin(), line.controls.end(), [](const DriverControl& c) {
                    return c.info.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE;
                }) <= 1);
    };
    for (const auto& d : model->destinations) {
        checkLine(d.line, false);
        for (const auto& s : d.sources) checkLine(s, true);
    }
    // Recording sources have no mute of their own, so their select state is
    // their item of the destination's list.
    if (const DriverDestination* rec = destinationOfType(*model, MIXERLINE_COMPONENTTYPE_DST_WAVEIN)) {
        for (const auto& s : rec->sources) QVERIFY(!controlOfType(s, MIXERCONTROL_CONTROLTYPE_MUTE));
        const DriverControl& list = rec->line.controls.back();
        QVERIFY(isListType(list.info.dwControlType));
        QCOMPARE(list.itemParams.size(), rec->sources.size());
        for (std::size_t i = 0; i < rec->sources.size(); ++i)
            QCOMPARE(list.itemParams[i], rec->sources[i].info.dwLineID);
    }
}

void TestAlsaMapping::sameElementsGiveSameIds() {
    const DeviceModel* first = open("ac97");
    QVERIFY(first);
    QString error;
    auto other = makeAlsaDriver({deviceName("ac97")}, &error);
    QVERIFY2(other, qPrintable(error));
    const DeviceModel* second = other->model(other->deviceKey(0));
    QCOMPARE(second->destinations.size(), first->destinations.size());
    for (std::size_t d = 0; d < first->destinations.size(); ++d) {
        const auto& a = first->destinations[d];
        const auto& b = second->destinations[d];
        QCOMPARE(b.line.info.dwLineID, a.line.info.dwLineID);
        QCOMPARE(b.sources.size(), a.sources.size());
        for (std::size_t s = 0; s < a.sources.size(); ++s) {
            QCOMPARE(b.sources[s].info.dwLineID, a.sources[s].info.dwLineID);
            for (std::size_t c = 0; c < a.sources[s].controls.size(); ++c)
                QCOMPARE(b.sources[s].controls[c].info.dwControlID, a.sources[s].controls[c].info.dwControlID);
        }
    }
}

void TestAlsaMapping::namedDevicesInTheirOrder() {
    QString error;
    driver_ = makeAlsaDriver({deviceName("mixsw"), deviceName("ac97"), deviceName("hda")}, &error);
    QVERIFY2(driver_, qPrintable(error));
    QCOMPARE(driver_->deviceCount(), 3);
    QStringList names;
    std::set<DeviceKey> keys;
    for (int i = 0; i < 3; ++i) {
        keys.insert(driver_->deviceKey(i));
        names << QString::fromLatin1(driver_->model(driver_->deviceKey(i))->caps.szPname);
    }
    QCOMPARE(names, (QStringList{"Tavlo Test Mixing Capture", "Tavlo Test AC97", "Tavlo Test HDA"}));
    QCOMPARE(keys.size(), std::size_t(3));
    QVERIFY(!driver_->model(0));
    QVERIFY(!driver_->model(*keys.rbegin() + 1));
}

void TestAlsaMapping::unusableNamedDeviceIsAnError() {
    QString error;
    QVERIFY(!makeAlsaDriver({deviceName("ac97"), QStringLiteral("tavlo_no_such_card")}, &error));
    QVERIFY2(error.contains(QStringLiteral("tavlo_no_such_card")), qPrintable(error));

    // A card whose control device fails from the start cannot be used either.
    error.clear();
    CardState state(cards_->statePath("hda"), "hda");
    QVERIFY(state.setFaults(EIO, EIO));
    QVERIFY(!makeAlsaDriver({deviceName("hda")}, &error));
    QVERIFY2(error.contains(QStringLiteral("tavlo_hda")), qPrintable(error));
}

void TestAlsaMapping::withoutNamesEveryCardIsOpened() {
    // This machine's kernel cards, whatever they are (none on a test machine).
    int cards = 0;
    for (int card = -1; snd_card_next(&card) >= 0 && card >= 0;) ++cards;
    QString error;
    driver_ = makeAlsaDriver({}, &error);
    QVERIFY2(driver_, qPrintable(error));
    QCOMPARE(driver_->deviceCount(), cards);
    for (int i = 0; i < cards; ++i) QVERIFY(driver_->model(driver_->deviceKey(i)));
}

TAVLO_TEST_GUILESS_MAIN(TestAlsaMapping)
#include "tst_alsa_mapping.moc"
