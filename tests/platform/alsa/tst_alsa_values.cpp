// Control values through the mixer service down to the test card's
// elements and back: levels, switches, mutes and record-source lists.

#include "platform/alsa/alsa_driver.h"
#include "support/test_main.h"
#include "test_cards.h"

#include <QTest>

#include <cstdlib>

using namespace testcard;
using Values = std::vector<DWORD>;
using Raw = std::vector<long>;

namespace {

constexpr DWORD kVolume = MIXERCONTROL_CONTROLTYPE_VOLUME;
constexpr DWORD kMute = MIXERCONTROL_CONTROLTYPE_MUTE;

}  // namespace

class TestAlsaValues : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void levelsReachTheCardAndComeBack_data();
    void levelsReachTheCardAndComeBack();
    void everyRawValueSurvivesAWriteBack();
    void wideNegativeRangeNeverDrifts();
    void monoAndUniformControlsTakeOneValue();
    void mutesAndSwitches();
    void switchesPerChannelActAsOne();
    void captureLevels();
    void exclusiveRecordSource();
    void stereoRecordSourceReadsTheLeftChoice();
    void enumeratedRecordSource();
    void independentCaptureSwitches();
    void recordSourceWithoutLevelRefusesWrites();

private:
    std::unique_ptr<TestCards> cards_;
    std::unique_ptr<OpenCard> card_;
};

void TestAlsaValues::init() {
    cards_ = std::make_unique<TestCards>();
    QVERIFY(cards_->isValid());
    card_ = std::make_unique<OpenCard>();
}

void TestAlsaValues::cleanup() {
    card_.reset();
    cards_.reset();
}

void TestAlsaValues::levelsReachTheCardAndComeBack_data() {
    QTest::addColumn<uint>("left");
    QTest::addColumn<uint>("right");
    QTest::addColumn<long>("rawLeft");
    QTest::addColumn<long>("rawRight");
    QTest::addColumn<uint>("readLeft");
    QTest::addColumn<uint>("readRight");
    // Master runs 0..31: one step is 65535 / 31 = 2114.03.
    QTest::newRow("bottom") << 0u << 0u << 0L << 0L << 0u << 0u;
    QTest::newRow("top") << 65535u << 65535u << 31L << 31L << 65535u << 65535u;
    QTest::newRow("ends apart") << 65535u << 0u << 31L << 0L << 65535u << 0u;
    QTest::newRow("between") << 30000u << 40000u << 14L << 19L << 29596u << 40167u;
    // 655 is read-out 1, which no step of 0..31 shows: the next step up, never 0.
    QTest::newRow("read-outs 0 and 1") << 654u << 655u << 0L << 1L << 0u << 2114u;
    QTest::newRow("read-out 99") << 64845u << 64845u << 31L << 31L << 65535u << 65535u;
}

void TestAlsaValues::levelsReachTheCardAndComeBack() {
    QFETCH(uint, left);
    QFETCH(uint, right);
    QFETCH(long, rawLeft);
    QFETCH(long, rawRight);
    QFETCH(uint, readLeft);
    QFETCH(uint, readRight);
    QVERIFY(card_->open(*cards_, "ac97"));
    const DriverLine& master = card_->play().line;
    QCOMPARE(card_->set(master, kVolume, {left, right}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Master Playback Volume"), (Raw{rawLeft, rawRight}));
    const Values read = card_->get(master, kVolume);
    QCOMPARE(read, (Values{readLeft, readRight}));
    // Writing back what was read changes nothing on the card.
    QCOMPARE(card_->set(master, kVolume, read), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Master Playback Volume"), (Raw{rawLeft, rawRight}));
    QCOMPARE(card_->get(master, kVolume), read);
}

// The hardware moves PCM through its whole range; each value read by the
// program and written straight back stays where the hardware put it.
void TestAlsaValues::everyRawValueSurvivesAWriteBack() {
    QVERIFY(card_->open(*cards_, "ac97"));
    const DriverLine& pcm = *sourceNamed(card_->play(), "PCM");
    const DWORD id = card_->id(pcm, kVolume);
    for (long raw = 0; raw <= 31; ++raw) {
        card_->notes.notes.clear();
        QVERIFY(card_->state->set("PCM Playback Volume", {raw, 31 - raw}));
        if (raw != 24)  // the start value: no change, no event
            QTRY_VERIFY_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, id) > 0, 10000);
        const Values read = card_->get(pcm, kVolume);
        QCOMPARE(read.size(), std::size_t(2));
        QCOMPARE(card_->set(pcm, kVolume, read), MMSYSERR_NOERROR);
        QCOMPARE(card_->state->get("PCM Playback Volume"), (Raw{raw, 31 - raw}));
    }
}

void TestAlsaValues::wideNegativeRangeNeverDrifts() {
    QVERIFY(card_->open(*cards_, "mixsw"));
    const DriverLine& synth = *sourceNamed(card_->play(), "Synth");
    QCOMPARE(card_->set(synth, kVolume, {0, 65535}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Synth Playback Volume"), (Raw{-20000, 100000}));
    // 32768 of 65535 over -20000..100000: 40000 and 40001 both read back as
    // 32768; the lower one is taken.
    QCOMPARE(card_->set(synth, kVolume, {32768, 32768}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Synth Playback Volume"), (Raw{40000, 40000}));

    // Values the hardware sets between two levels: a read-write cycle moves
    // the card at most once, onto a value that then stays.
    for (long raw : {-19999L, -1L, 0L, 1L, 33333L, 99999L}) {
        const DWORD id = card_->id(synth, kVolume);
        card_->notes.notes.clear();
        QVERIFY(card_->state->set("Synth Playback Volume", {raw}));
        QTRY_VERIFY_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, id) > 0, 10000);
        const Values first = card_->get(synth, kVolume);
        QCOMPARE(card_->set(synth, kVolume, first), MMSYSERR_NOERROR);
        const Raw settled = card_->state->get("Synth Playback Volume");
        QVERIFY(std::abs(settled[0] - raw) <= 1);  // one level spans 1.83 raw steps
        QCOMPARE(card_->get(synth, kVolume), first);
        QCOMPARE(card_->set(synth, kVolume, first), MMSYSERR_NOERROR);
        QCOMPARE(card_->state->get("Synth Playback Volume"), settled);
        // The windows write back at read-out resolution: a value showing that
        // read-out already stays exactly as it was set.
        const DWORD shown = std::min<DWORD>(first[0] / 655 * 655, 65535);
        QCOMPARE(card_->set(synth, kVolume, {shown, shown}), MMSYSERR_NOERROR);
        QCOMPARE(card_->state->get("Synth Playback Volume")[0], raw);
    }
}

void TestAlsaValues::monoAndUniformControlsTakeOneValue() {
    QVERIFY(card_->open(*cards_, "ac97"));
    const DriverLine& mic = *sourceNamed(card_->play(), "Mic");
    QCOMPARE(card_->set(mic, kVolume, {65535}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Mic Playback Volume"), Raw{31});
    QCOMPARE(card_->get(mic, kVolume), Values{65535});

    // Bass is mono on a stereo line: the program's one-value access.
    const DriverLine& master = card_->play().line;
    QCOMPARE(card_->set(master, MIXERCONTROL_CONTROLTYPE_BASS, {65535}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Tone Control - Bass"), Raw{15});
    QCOMPARE(card_->set(master, MIXERCONTROL_CONTROLTYPE_TREBLE, {0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Tone Control - Treble"), Raw{0});
    QCOMPARE(card_->get(master, MIXERCONTROL_CONTROLTYPE_BASS), Values{65535});
}

void TestAlsaValues::mutesAndSwitches() {
    QVERIFY(card_->open(*cards_, "hda"));
    const DriverLine& master = card_->play().line;
    QCOMPARE(card_->get(master, kMute), Values{0});
    QCOMPARE(card_->set(master, kMute, {1}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Master Playback Switch"), Raw{0});  // muted = switch off
    QCOMPARE(card_->get(master, kMute), Values{1});

    // Extra switches are plain on/off, not inverted.
    OpenCard ac97;
    QVERIFY(ac97.open(*cards_, "ac97"));
    const DriverLine& mic = *sourceNamed(ac97.play(), "Mic");
    QCOMPARE(ac97.set(mic, MIXERCONTROL_CONTROLTYPE_ONOFF, {1}), MMSYSERR_NOERROR);
    QCOMPARE(ac97.state->get("Mic Boost (+20dB) Switch"), Raw{1});
    QCOMPARE(ac97.set(ac97.play().line, MIXERCONTROL_CONTROLTYPE_ONOFF, {0}), MMSYSERR_NOERROR);
    QCOMPARE(ac97.state->get("External Amplifier Playback Switch"), Raw{0});
    // A stereo mute that is one switch on the card (AC97's mono switches).
    QCOMPARE(ac97.set(ac97.play().line, kMute, {1}), MMSYSERR_NOERROR);
    QCOMPARE(ac97.state->get("Master Playback Switch"), Raw{0});
}

// HDA keeps a switch per channel; the line has one mute. Pressing it
// switches both sides, and a card left with one side off shows muted.
void TestAlsaValues::switchesPerChannelActAsOne() {
    QVERIFY(card_->open(*cards_, "hda"));
    const DriverLine& headphone = *sourceNamed(card_->play(), "Headphone");
    const DWORD id = card_->id(headphone, kMute);
    QCOMPARE(card_->set(headphone, kMute, {1}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Headphone Playback Switch"), (Raw{0, 0}));
    QCOMPARE(card_->get(headphone, kMute), Values{1});
    QCOMPARE(card_->set(headphone, kMute, {0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Headphone Playback Switch"), (Raw{1, 1}));
    QCOMPARE(card_->get(headphone, kMute), Values{0});

    for (const Raw& sides : {Raw{0, 1}, Raw{1, 0}}) {
        card_->notes.notes.clear();
        QVERIFY(card_->state->set("Headphone Playback Switch", {sides[0], sides[1]}));
        QTRY_VERIFY_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, id) > 0, 10000);
        QCOMPARE(card_->get(headphone, kMute), Values{1});
        QCOMPARE(card_->set(headphone, kMute, {0}), MMSYSERR_NOERROR);  // one unmute press
        QCOMPARE(card_->state->get("Headphone Playback Switch"), (Raw{1, 1}));
    }

    // The recording side's mute too.
    QCOMPARE(card_->set(card_->rec().line, kMute, {1}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Capture Switch"), (Raw{0, 0}));

    // An extra switch kept per channel is on only when every channel is.
    OpenCard mixsw;
    QVERIFY(mixsw.open(*cards_, "mixsw"));
    const DriverLine& speakers = mixsw.play().line;
    const DWORD loudness = MIXERCONTROL_CONTROLTYPE_LOUDNESS;
    QCOMPARE(mixsw.get(speakers, loudness), Values{0});
    QCOMPARE(mixsw.set(speakers, loudness, {1}), MMSYSERR_NOERROR);
    QCOMPARE(mixsw.state->get("Loudness Playback Switch"), (Raw{1, 1}));
    QCOMPARE(mixsw.get(speakers, loudness), Values{1});
    QVERIFY(mixsw.state->set("Loudness Playback Switch", {1, 0}));
    QTRY_VERIFY_WITH_TIMEOUT(mixsw.notes.count(MM_MIXM_CONTROL_CHANGE, mixsw.id(speakers, loudness)) > 0, 10000);
    QCOMPARE(mixsw.get(speakers, loudness), Values{0});
    QCOMPARE(mixsw.set(speakers, loudness, {1}), MMSYSERR_NOERROR);
    QCOMPARE(mixsw.state->get("Loudness Playback Switch"), (Raw{1, 1}));
}

void TestAlsaValues::captureLevels() {
    QVERIFY(card_->open(*cards_, "hda"));
    QCOMPARE(card_->set(card_->rec().line, kVolume, {65535, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Capture Volume"), (Raw{63, 0}));
    // An input's boost is its recording level.
    const DriverLine& rearMic = *sourceNamed(card_->rec(), "Rear Mic");
    QCOMPARE(card_->set(rearMic, kVolume, {65535, 21845}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Rear Mic Boost Volume"), (Raw{3, 1}));
}

void TestAlsaValues::exclusiveRecordSource() {
    QVERIFY(card_->open(*cards_, "ac97"));
    const DriverLine& rec = card_->rec().line;
    const DWORD mux = MIXERCONTROL_CONTROLTYPE_MUX;
    // Items: Line, CD, Mic, Video, Phone, Aux, Mix, Mix Mono. The card starts on Mic.
    QCOMPARE(card_->get(rec, mux), (Values{0, 0, 1, 0, 0, 0, 0, 0}));

    QCOMPARE(card_->set(rec, mux, {0, 1, 0, 0, 0, 0, 0, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Capture Source"), (Raw{1, 1}));  // CD in AC97's item order
    // Read at once, the previous choice is already off.
    QCOMPARE(card_->get(rec, mux), (Values{0, 1, 0, 0, 0, 0, 0, 0}));

    // Nothing chosen: the card keeps recording what it did.
    QCOMPARE(card_->set(rec, mux, {0, 0, 0, 0, 0, 0, 0, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Capture Source"), (Raw{1, 1}));
    QCOMPARE(card_->get(rec, mux), (Values{0, 1, 0, 0, 0, 0, 0, 0}));

    // Several chosen: the first one counts.
    QCOMPARE(card_->set(rec, mux, {1, 0, 1, 0, 0, 0, 0, 1}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Capture Source"), (Raw{4, 4}));  // Line
    QCOMPARE(card_->get(rec, mux), (Values{1, 0, 0, 0, 0, 0, 0, 0}));
}

void TestAlsaValues::stereoRecordSourceReadsTheLeftChoice() {
    QVERIFY(card_->open(*cards_, "ac97"));
    const DriverLine& rec = card_->rec().line;
    const DWORD mux = MIXERCONTROL_CONTROLTYPE_MUX;
    // The hardware records Phone on the left, CD on the right.
    QVERIFY(card_->state->set("Capture Source", {7, 1}));
    QTRY_VERIFY_WITH_TIMEOUT(card_->notes.count(MM_MIXM_CONTROL_CHANGE, card_->id(rec, mux)) > 0, 10000);
    QCOMPARE(card_->get(rec, mux), (Values{0, 0, 0, 0, 1, 0, 0, 0}));
    // Choosing an input sets both channels.
    QCOMPARE(card_->set(rec, mux, {0, 0, 1, 0, 0, 0, 0, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Capture Source"), (Raw{0, 0}));
}

void TestAlsaValues::enumeratedRecordSource() {
    QVERIFY(card_->open(*cards_, "hda"));
    const DriverLine& rec = card_->rec().line;
    const DWORD mux = MIXERCONTROL_CONTROLTYPE_MUX;
    QCOMPARE(card_->get(rec, mux), (Values{0, 1, 0}));  // Front Mic
    QCOMPARE(card_->set(rec, mux, {0, 0, 1}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Input Source"), (Raw{2, 2}));
    QCOMPARE(card_->get(rec, mux), (Values{0, 0, 1}));
    QCOMPARE(card_->set(rec, mux, {0, 0, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Input Source"), (Raw{2, 2}));
    QCOMPARE(card_->set(rec, mux, {1, 1, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Input Source"), (Raw{0, 0}));
}

void TestAlsaValues::independentCaptureSwitches() {
    QVERIFY(card_->open(*cards_, "mixsw"));
    const DriverLine& rec = card_->rec().line;
    const DWORD list = MIXERCONTROL_CONTROLTYPE_MIXER;
    QCOMPARE(card_->get(rec, list), (Values{0, 1, 1}));  // Line, CD, Mic
    QCOMPARE(card_->set(rec, list, {1, 0, 1}), MMSYSERR_NOERROR);
    QCOMPARE(card_->state->get("Line Capture Switch"), (Raw{1, 1}));
    QCOMPARE(card_->state->get("CD Capture Switch"), (Raw{0, 0}));
    QCOMPARE(card_->state->get("Mic Capture Switch"), Raw{1});
    QCOMPARE(card_->get(rec, list), (Values{1, 0, 1}));
    // Unlike a single choice, every input may be off.
    QCOMPARE(card_->set(rec, list, {0, 0, 0}), MMSYSERR_NOERROR);
    QCOMPARE(card_->get(rec, list), (Values{0, 0, 0}));
    QCOMPARE(card_->state->get("Mic Capture Switch"), Raw{0});
}

void TestAlsaValues::recordSourceWithoutLevelRefusesWrites() {
    QVERIFY(card_->open(*cards_, "ac97"));
    const DriverLine& cd = *sourceNamed(card_->rec(), "CD");
    QCOMPARE(card_->get(cd, kVolume), Values{0});
    card_->notes.flush();
    card_->notes.notes.clear();
    QCOMPARE(card_->set(cd, kVolume, {40000}), MMSYSERR_ERROR);
    card_->notes.flush();
    QCOMPARE(card_->notes.notes.size(), std::size_t(0));  // a failed write tells nobody
    QCOMPARE(card_->state->get("CD Playback Volume"), (Raw{16, 12}));
}

TAVLO_TEST_GUILESS_MAIN(TestAlsaValues)
#include "tst_alsa_values.moc"
