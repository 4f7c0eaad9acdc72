// The program's mixer model over the ALSA driver on the AC97 test card:
// the value operations the windows use, end to end down to the card.

#include "mixer/audio_mixer.h"
#include "mixer/levels.h"
#include "platform/alsa/alsa_driver.h"
#include "support/test_main.h"
#include "test_cards.h"

#include <QTest>

using namespace testcard;
using Raw = std::vector<long>;

namespace {

constexpr int kMixerTimeout = 10000;

// The destination the windows would choose by component type.
int destinationIndex(TAudioMixer& mixer, DWORD type) {
    for (int d = 0; d < mixer.Destinations()->Count(); ++d)
        if (mixer.Destinations()->Items(d)->LineInfo.dwComponentType == type) return d;
    return -1;
}

int connectionIndex(TAudioMixer& mixer, int dest, const char* name) {
    const auto& conns = mixer.Destinations()->Items(dest)->Connections;
    for (int c = 0; c < conns.Count(); ++c)
        if (qstrcmp(conns.Items(c)->LineInfo.szName, name) == 0) return c;
    return -1;
}

int controlIndex(const TMixerControls& controls, DWORD type) {
    for (int i = 0; i < controls.Count(); ++i)
        if (controls.Items(i).dwControlType == type) return i;
    return -1;
}

struct MixerLevels {
    int left = -2, right = -2, mute = -2;
    bool stereo = false, volDisabled = false, muteDisabled = false;
};

MixerLevels mixerLevels(TAudioMixer& mixer, int dest, int conn) {
    MixerLevels l;
    const std::optional<LineLevels> v = mixer.GetLineLevels(dest, conn);
    if (!v) {
        l.left = -3;
        return l;
    }
    l = {v->Left, v->Right, v->Mute, v->Stereo, v->VolDisabled, v->MuteDisabled};
    return l;
}

}  // namespace

class TestAlsaAudioMixer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void playbackLevelsAndMute();
    void readOutsNeverDrift();
    void refreshesNeverLowerSmallRanges_data();
    void refreshesNeverLowerSmallRanges();
    void masterAndMonoLines();
    void recordSourceSelection();
    void toneControlsAndExtraSwitches();
    void noMeters();
    void everyOpenMixerHearsOfChanges();

private:
    std::unique_ptr<TestCards> cards_;
    std::unique_ptr<MixerService> service_;
    std::unique_ptr<CardState> state_;
    std::unique_ptr<TAudioMixer> mixer_;
    int play_ = -1, rec_ = -1;
};

void TestAlsaAudioMixer::init() {
    cards_ = std::make_unique<TestCards>();
    QVERIFY(cards_->isValid());
    QString error;
    auto driver = makeAlsaDriver({deviceName("ac97")}, &error);
    QVERIFY2(driver, qPrintable(error));
    service_ = std::make_unique<MixerService>(std::move(driver));
    state_ = std::make_unique<CardState>(cards_->statePath("ac97"), "ac97");
    mixer_ = std::make_unique<TAudioMixer>(*service_);
    QCOMPARE(mixer_->MixerId(), 0);
    QCOMPARE(mixer_->ProductName(), QStringLiteral("Tavlo Test AC97"));
    QCOMPARE(mixer_->Manufacturer(), QStringLiteral("65535 = Unknown"));
    play_ = destinationIndex(*mixer_, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    rec_ = destinationIndex(*mixer_, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    QVERIFY(play_ >= 0 && rec_ >= 0);
}

void TestAlsaAudioMixer::cleanup() {
    mixer_.reset();
    service_.reset();
    state_.reset();
    cards_.reset();
}

void TestAlsaAudioMixer::playbackLevelsAndMute() {
    const int pcm = connectionIndex(*mixer_, play_, "PCM");
    QVERIFY(pcm >= 0);
    QVERIFY(mixer_->SetLineLevels(play_, pcm, 30000, 40000, 1));
    QCOMPARE(state_->get("PCM Playback Volume"), (Raw{14, 19}));
    QCOMPARE(state_->get("PCM Playback Switch"), Raw{0});

    MixerLevels l = mixerLevels(*mixer_, play_, pcm);
    QCOMPARE(l.left, 29596);   // 14 of 31
    QCOMPARE(l.right, 40167);  // 19 of 31
    QCOMPARE(l.mute, 1);
    QVERIFY(l.stereo && !l.volDisabled && !l.muteDisabled);
    bool muted = false;
    QVERIFY(mixer_->GetLineMute(play_, pcm, muted));
    QVERIFY(muted);

    // What was read, written back, leaves the card as it is.
    QVERIFY(mixer_->SetLineLevels(play_, pcm, l.left, l.right, l.mute));
    QCOMPARE(state_->get("PCM Playback Volume"), (Raw{14, 19}));
    QVERIFY(mixer_->SetLineLevels(play_, pcm, l.left, -1, 0));  // one level for both sides, unmuted
    QCOMPARE(state_->get("PCM Playback Volume"), (Raw{14, 14}));
    QCOMPARE(state_->get("PCM Playback Switch"), Raw{1});
}

// The windows show levels as read-outs 0..99 and write read-out × 655: a
// read-out written, read back and written again settles at once.
void TestAlsaAudioMixer::readOutsNeverDrift() {
    const int cd = connectionIndex(*mixer_, play_, "CD");
    for (int readout = 0; readout <= kReadoutMax; ++readout) {
        QVERIFY(mixer_->SetLineLevels(play_, cd, levelFromReadout(readout), -1, 0));
        const MixerLevels first = mixerLevels(*mixer_, play_, cd);
        const Raw raw = state_->get("CD Playback Volume");
        const int shown = readoutFromLevel(first.left);
        // Never lower; higher only by the read-outs no step of 0..31 shows.
        QVERIFY2(shown >= readout && shown - readout <= 3,
                 qPrintable(QStringLiteral("%1 shows as %2").arg(readout).arg(shown)));
        QVERIFY(mixer_->SetLineLevels(play_, cd, levelFromReadout(shown), -1, 0));
        QCOMPARE(state_->get("CD Playback Volume"), raw);
        QCOMPARE(readoutFromLevel(mixerLevels(*mixer_, play_, cd).left), shown);
    }
}

void TestAlsaAudioMixer::refreshesNeverLowerSmallRanges_data() {
    QTest::addColumn<QString>("element");
    QTest::addColumn<uint>("destination");
    QTest::addColumn<QString>("source");  // empty: the destination line itself
    QTest::addColumn<long>("start");
    QTest::addColumn<long>("settled");
    const uint play = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    const uint rec = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
    // Values seen falling at every start-up before.
    QTest::newRow("master 53 of 0..87") << "Master Playback Volume" << play << "" << 53L << 53L;
    QTest::newRow("capture 39 of 0..63") << "Capture Volume" << rec << "" << 39L << 39L;
    // 199..201 all show read-out 78: 201, set elsewhere, stays.
    QTest::newRow("pcm 201 of 0..255") << "PCM Playback Volume" << play << "PCM" << 201L << 201L;
    QTest::newRow("headphone 1 of 0..87") << "Headphone Playback Volume" << play << "Headphone" << 1L << 1L;
    QTest::newRow("headphone top") << "Headphone Playback Volume" << play << "Headphone" << 87L << 87L;
}

// The windows read a line, show read-outs and write them back on every
// refresh: on the HDA card's small ranges the card settles on the first
// refresh, never on a lower read-out, and stays there.
void TestAlsaAudioMixer::refreshesNeverLowerSmallRanges() {
    QFETCH(QString, element);
    QFETCH(uint, destination);
    QFETCH(QString, source);
    QFETCH(long, start);
    QFETCH(long, settled);
    const std::string elem = element.toStdString();
    CardState hda(cards_->statePath("hda"), "hda");
    QVERIFY(hda.set(elem, {start}));
    QString error;
    auto driver = makeAlsaDriver({deviceName("hda")}, &error);
    QVERIFY2(driver, qPrintable(error));
    MixerService service(std::move(driver));
    TAudioMixer mixer(service);
    const int dest = destinationIndex(mixer, destination);
    const int conn = source.isEmpty() ? -1 : connectionIndex(mixer, dest, qPrintable(source));
    QVERIFY(dest >= 0 && (source.isEmpty() || conn >= 0));

    int startReadout = -1;
    for (int refresh = 0; refresh < 3; ++refresh) {
        const MixerLevels l = mixerLevels(mixer, dest, conn);
        QVERIFY(l.left >= 0);
        if (refresh == 0) startReadout = readoutFromLevel(l.left);
        QVERIFY(readoutFromLevel(l.left) >= startReadout);
        const int right = l.stereo ? levelFromReadout(readoutFromLevel(l.right)) : -1;
        QVERIFY(mixer.SetLineLevels(dest, conn, levelFromReadout(readoutFromLevel(l.left)), right, l.mute));
        QCOMPARE(hda.get(elem).front(), settled);
        if (l.stereo) QCOMPARE(hda.get(elem).back(), settled);
    }
    QCOMPARE(readoutFromLevel(mixerLevels(mixer, dest, conn).left), startReadout);
}

void TestAlsaAudioMixer::masterAndMonoLines() {
    QVERIFY(mixer_->SetLineLevels(play_, -1, 65535, -1, 1));
    QCOMPARE(state_->get("Master Playback Volume"), (Raw{31, 31}));
    QCOMPARE(state_->get("Master Playback Switch"), Raw{0});
    MixerLevels master = mixerLevels(*mixer_, play_, -1);
    QCOMPARE(master.left, 65535);
    QCOMPARE(master.mute, 1);
    QVERIFY(master.stereo);

    const int mic = connectionIndex(*mixer_, play_, "Mic");
    QVERIFY(mixer_->SetLineLevels(play_, mic, 20000, 50000, 0));
    // 20000 shows read-out 30; 9 of 31 would show 29, 10 of 31 shows 32.
    QCOMPARE(state_->get("Mic Playback Volume"), Raw{10});
    QCOMPARE(state_->get("Mic Playback Switch"), Raw{1});
    const MixerLevels l = mixerLevels(*mixer_, play_, mic);
    QVERIFY(!l.stereo);
    QCOMPARE(l.right, -1);
    QCOMPARE(l.left, 21140);
}

void TestAlsaAudioMixer::recordSourceSelection() {
    const int cd = connectionIndex(*mixer_, rec_, "CD");
    const int mic = connectionIndex(*mixer_, rec_, "Mic");
    QVERIFY(cd >= 0 && mic >= 0);
    bool selected = false;
    QVERIFY(mixer_->GetLineMute(rec_, mic, selected));
    QVERIFY(selected);  // the card starts recording the microphone

    // The select button of the CD strip: its write routine with switch value 1.
    QVERIFY(mixer_->SetLineLevels(rec_, cd, 0, -1, 1));
    QCOMPARE(state_->get("Capture Source"), (Raw{1, 1}));
    QVERIFY(mixer_->GetLineMute(rec_, cd, selected));
    QVERIFY(selected);
    QVERIFY(mixer_->GetLineMute(rec_, mic, selected));
    QVERIFY(!selected);
    const MixerLevels l = mixerLevels(*mixer_, rec_, cd);
    QCOMPARE(l.mute, 1);
    QCOMPARE(l.left, -1);  // no recording level of its own
    QVERIFY(l.volDisabled);
    QCOMPARE(state_->get("CD Playback Volume"), (Raw{16, 12}));  // the strip's level went nowhere

    // Switching the chosen source off leaves the card recording it.
    QVERIFY(mixer_->SetLineLevels(rec_, cd, 0, -1, 0));
    QCOMPARE(state_->get("Capture Source"), (Raw{1, 1}));
    QVERIFY(mixer_->GetLineMute(rec_, cd, selected));
    QVERIFY(selected);

    // The recording master: capture level and its mute.
    QVERIFY(mixer_->SetLineLevels(rec_, -1, 65535, 0, 1));
    QCOMPARE(state_->get("Capture Volume"), (Raw{15, 0}));
    QCOMPARE(state_->get("Capture Switch"), Raw{0});
}

void TestAlsaAudioMixer::toneControlsAndExtraSwitches() {
    const TMixerDestination& play = *mixer_->Destinations()->Items(play_);
    const int bass = controlIndex(play.Controls, MIXERCONTROL_CONTROLTYPE_BASS);
    const int treble = controlIndex(play.Controls, MIXERCONTROL_CONTROLTYPE_TREBLE);
    QVERIFY(bass >= 0 && treble >= 0);
    QCOMPARE(mixer_->GetControlValue(play_, -1, bass), 34952);  // 8 of 15
    mixer_->SetControlValue(play_, -1, bass, 65535);
    mixer_->SetControlValue(play_, -1, treble, 0);
    QCOMPARE(state_->get("Tone Control - Bass"), Raw{15});
    QCOMPARE(state_->get("Tone Control - Treble"), Raw{0});
    QCOMPARE(mixer_->GetControlValue(play_, -1, bass), 65535);

    // Extra switches are the switch-class controls other than the mute.
    const int mic = connectionIndex(*mixer_, play_, "Mic");
    const TMixerControls& micControls = play.Connections.Items(mic)->Controls;
    const int boost = controlIndex(micControls, MIXERCONTROL_CONTROLTYPE_ONOFF);
    QVERIFY(boost >= 0);
    QVERIFY(isSwitchType(micControls.Items(boost).dwControlType));
    mixer_->SetControlValue(play_, mic, boost, 1);
    QCOMPARE(state_->get("Mic Boost (+20dB) Switch"), Raw{1});
    QCOMPARE(mixer_->GetControlValue(play_, mic, boost), 1);
    const int amplifier = controlIndex(play.Controls, MIXERCONTROL_CONTROLTYPE_ONOFF);
    mixer_->SetControlValue(play_, -1, amplifier, 0);
    QCOMPARE(state_->get("External Amplifier Playback Switch"), Raw{0});
}

void TestAlsaAudioMixer::noMeters() {
    int left = 5, right = 5;
    QVERIFY(!mixer_->GetLineMeter(play_, -1, left, right));
    QCOMPARE(left, 0);
    QCOMPARE(right, 0);
    QVERIFY(!mixer_->GetLineMeter(rec_, 0, left, right));
}

void TestAlsaAudioMixer::everyOpenMixerHearsOfChanges() {
    TAudioMixer other(*service_);  // as the playback and recording windows each have one
    struct Heard {
        int handle = 0, id = 0, count = 0;
    } first, second;
    mixer_->OnControlChange = [&](TAudioMixer*, int h, int id) { first = {h, id, first.count + 1}; };
    other.OnControlChange = [&](TAudioMixer*, int h, int id) { second = {h, id, second.count + 1}; };
    const int pcm = connectionIndex(*mixer_, play_, "PCM");
    const int pcmVolume =
        int(mixer_->Destinations()->Items(play_)->Connections.Items(pcm)->Controls.Items(0).dwControlID);

    // Another program (the hardware here) moves PCM.
    QVERIFY(state_->set("PCM Playback Volume", {2, 3}));
    QTRY_COMPARE_WITH_TIMEOUT(first.count, 1, kMixerTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(second.count, 1, kMixerTimeout);
    QCOMPARE(first.id, pcmVolume);
    QCOMPARE(second.id, pcmVolume);
    QCOMPARE(first.handle, int(mixer_->MixerHandle()));
    QCOMPARE(second.handle, int(other.MixerHandle()));
    QCOMPARE(mixerLevels(other, play_, pcm).left, 4228);  // 2 of 31

    // A write through one mixer object reaches both, once.
    QVERIFY(other.SetLineLevels(play_, pcm, 65535, -1, -1));
    QTRY_COMPARE_WITH_TIMEOUT(first.count, 2, kMixerTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(second.count, 2, kMixerTimeout);
    QCOMPARE(mixerLevels(*mixer_, play_, pcm).left, 65535);
}

TAVLO_TEST_GUILESS_MAIN(TestAlsaAudioMixer)
#include "tst_alsa_audio_mixer.moc"
