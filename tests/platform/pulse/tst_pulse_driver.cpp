// The PulseAudio driver: the level, channel and meter rules as functions,
// then the driver against a real server with null sinks, a null source and
// paplay for streams and sound.

#include "platform/driver_factory.h"
#include "platform/pulse/pulse_driver.h"
#include "platform/pulse/pulse_handles.h"
#include "platform/pulse/pulse_mapping.h"
#include "platform/pulse/pulse_object.h"
#include "platform/pulse/qt_mainloop.h"

#include <pulse/timeval.h>
#include "platform/server_follower.h"
#include "platform/sim/sim_driver.h"
#include "support/pulse_server.h"
#include "support/test_main.h"
#include "test_cards.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <cstring>
#include <unordered_set>

using namespace testcard;
using namespace std::chrono_literals;
using Values = std::vector<DWORD>;

namespace {

constexpr int kTimeout = PulseServer::kTimeout;

QString sinkVolume(const PulseServer& pulse, const QString& sink) {
    return pulse.pactl({"get-sink-volume", sink}).value_or(QString());
}

// The server's record streams (each meter's, and any other).
int recordStreams(const PulseServer& pulse) {
    const auto list = pulse.pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("source-outputs")});
    return list ? int(list->count(QLatin1Char('\n'))) : -1;
}
// What a sink has rendered ahead, as the server says (-1: not found).
qint64 sinkLatencyUs(const PulseServer& pulse, const char* sink) {
    const auto list = pulse.pactl({QStringLiteral("list"), QStringLiteral("sinks")});
    if (!list) return -1;
    const qsizetype at = list->indexOf(QStringLiteral("Name: %1\n").arg(QLatin1String(sink)));
    const qsizetype latency = at < 0 ? -1 : list->indexOf(QStringLiteral("Latency: "), at);
    return latency < 0 ? -1 : list->mid(latency + 9).section(QLatin1Char(' '), 0, 0).toLongLong();
}
int corkedRecordStreams(const PulseServer& pulse) {
    const auto list = pulse.pactl({QStringLiteral("list"), QStringLiteral("source-outputs")});
    return list ? int(list->count(QStringLiteral("Corked: yes"))) : -1;
}

// A client of this test's own on the Qt event loop: a tone player that
// starts paused (corked), as a media player does, and record streams let go.
class TestClient {
public:
    bool connect() {
        context_.reset(pa_context_new(loop_.api(), "Test client"));
        if (!context_ || pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        return QTest::qWaitFor([this] { return pa_context_get_state(context_.get()) == PA_CONTEXT_READY; }, kTimeout);
    }
    bool playPaused(const char* sink) {
        const pa_sample_spec format{PA_SAMPLE_S16NE, 44100, 2};
        player_.reset(pa_stream_new(context_.get(), "Paused tone", &format, nullptr));
        if (!player_) return false;
        pa_stream_set_write_callback(player_.get(), &TestClient::tone, this);
        // A player's usual buffer (paplay's 2 s would keep the sound from the
        // monitor for as long when the meter opens after it starts).
        pa_buffer_attr attr;
        std::memset(&attr, 0xff, sizeof attr);
        attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(100000, &format));
        return pa_stream_connect_playback(
                   player_.get(), sink, &attr,
                   static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY), nullptr,
                   nullptr) == 0;
    }
    void pause(bool paused) { sent(pa_stream_cork(player_.get(), paused ? 1 : 0, nullptr, nullptr)); }
    PulseStreamPtr record(const char* source) {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, 25, 1};
        PulseStreamPtr s(pa_stream_new(context_.get(), "Record", &format, nullptr));
        if (s && pa_stream_connect_record(s.get(), source, nullptr, PA_STREAM_NOFLAGS) < 0) s.reset();
        return s;
    }

private:
    // A half-scale square wave: peaks of 0.5.
    static void tone(pa_stream* s, std::size_t bytes, void* self) {
        auto* c = static_cast<TestClient*>(self);
        std::vector<std::int16_t> samples(bytes / sizeof(std::int16_t));
        for (auto& v : samples) v = (c->phase_++ / 200) % 2 ? 16384 : -16384;
        pa_stream_write(s, samples.data(), samples.size() * sizeof(std::int16_t), nullptr, 0, PA_SEEK_RELATIVE);
    }

    QtPulseMainloop loop_;
    PulseContextPtr context_;
    PulseStreamPtr player_;
    std::uint64_t phase_ = 0;
};

}  // namespace

class TestPulseDriver : public QObject {
    Q_OBJECT
private slots:
    void levelsRoundTripAndStopAtFullScale();
    void aWriteBackKeepsWhatItShows();
    void moreThanTwoChannelsShowAsTwo_data();
    void moreThanTwoChannelsShowAsTwo();
    void peaksBecomeMeterValues_data();
    void peaksBecomeMeterValues();
    void serverObjectsAreKeyedByKindAndIndex();

    void init();
    void cleanup();
    void aServerStartedLaterIsWaitedFor();
    void aServerThatStopsGivesWayToTheCards();
    void sinksStreamsAndSourcesMap();
    void volumesAndMuteGoBothWays();
    void aVolumeAbove100PercentSurvivesItsReadBack();
    void recordingSourceIsChosenThroughTheList();
    void streamsComeAndGoWithTheirMeters();
    void metersSleepWhileNothingPlays_data();
    void metersSleepWhileNothingPlays();
    void aStreamLetGoIsClosedEvenWhileBeingMade();
    void serverGoneAndBack();

private:
    bool startServer();
    // The driver on this server inside a service, with a handle on device 0.
    bool openService();
    const DeviceModel& model(int index = 0) { return *driver_->model(driver_->deviceKey(index)); }
    // A line's meter as read through the service (99999: the read failed).
    DWORD meter(const DriverLine& line);

    std::unique_ptr<PulseServer> pulse_;
    std::unique_ptr<MixerService> service_;
    PulseDriver* driver_ = nullptr;
    std::unique_ptr<NotifyRecorder> notes_;
    HMIXER handle_ = 0;
};

void TestPulseDriver::levelsRoundTripAndStopAtFullScale() {
    for (DWORD level = 0; level <= 65535; ++level)
        QCOMPARE(pulse_map::levelFromVolume(pulse_map::volumeFromLevel(level)), level);
    QCOMPARE(pulse_map::volumeFromLevel(0), PA_VOLUME_MUTED);
    QCOMPARE(pulse_map::volumeFromLevel(65535), PA_VOLUME_NORM);
    QCOMPARE(pulse_map::volumeFromLevel(70000), PA_VOLUME_NORM);
    QCOMPARE(pulse_map::levelFromVolume(PA_VOLUME_NORM / 2), DWORD(32768));
    QCOMPARE(pulse_map::levelFromVolume(PA_VOLUME_NORM + 1), DWORD(65535));
    QCOMPARE(pulse_map::levelFromVolume(PA_VOLUME_MAX), DWORD(65535));
}

void TestPulseDriver::aWriteBackKeepsWhatItShows() {
    constexpr pa_volume_t N = PA_VOLUME_NORM;
    pa_channel_map map{};
    pa_channel_map_init_stereo(&map);
    pa_cvolume loud{};
    pa_cvolume_set(&loud, 2, N * 3 / 2);
    // 99 and 99-as-64845 both show 99: nothing is sent.
    QVERIFY(!pulse_map::volumeAfterWrite(loud, map, Values{65535, 64845}));
    QVERIFY(!pulse_map::volumeAfterWrite(loud, map, Values{65535}));
    // One fader moves: only its channel changes.
    auto moved = pulse_map::volumeAfterWrite(loud, map, Values{65535, 32750});
    QVERIFY(moved);
    QCOMPARE(moved->values[0], N * 3 / 2);
    QCOMPARE(moved->values[1], pulse_map::volumeFromLevel(32750));
    // Within the read-out a level already shows, the volume stays.
    pa_cvolume half{};
    pa_cvolume_set(&half, 2, N / 2);  // 32768, read-out 50
    QVERIFY(!pulse_map::volumeAfterWrite(half, map, Values{50 * 655, 50 * 655}));
    QVERIFY(pulse_map::volumeAfterWrite(half, map, Values{49 * 655, 50 * 655}));
}

void TestPulseDriver::moreThanTwoChannelsShowAsTwo_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<std::vector<pa_volume_t>>("before");
    QTest::addColumn<Values>("read");
    QTest::addColumn<Values>("written");
    QTest::addColumn<std::vector<pa_volume_t>>("after");
    constexpr pa_volume_t N = PA_VOLUME_NORM;
    // Channels: front-left, front-right, rear-left, rear-right, front-center, lfe.
    QTest::newRow("5.1 halves each side")
        << "front-left,front-right,rear-left,rear-right,front-center,lfe"
        << std::vector<pa_volume_t>{N, N / 2, N / 2, N / 4, N, N} << Values{65535, 32768} << Values{32768, 16384}
        << std::vector<pa_volume_t>{N / 2, N / 4, N / 4, N / 8, N / 2, N / 2};
    QTest::newRow("a rear louder than the front leads its side")
        << "front-left,front-right,rear-left,rear-right" << std::vector<pa_volume_t>{N / 4, N / 4, N / 2, N / 2}
        << Values{32768, 32768} << Values{65535, 65535} << std::vector<pa_volume_t>{N / 2, N / 2, N, N};
    QTest::newRow("silent side comes up to the level")
        << "front-left,front-right,front-center" << std::vector<pa_volume_t>{0, N, N} << Values{0, 65535}
        << Values{32768, 65535} << std::vector<pa_volume_t>{N / 2, N, N};
    QTest::newRow("only the middle: the left level for all")
        << "front-center,lfe" << std::vector<pa_volume_t>{N, N / 2} << Values{65535, 65535} << Values{32768, 0}
        << std::vector<pa_volume_t>{N / 2, N / 4};
    QTest::newRow("mono") << "mono" << std::vector<pa_volume_t>{N / 2} << Values{32768} << Values{65535}
                          << std::vector<pa_volume_t>{N};
}

void TestPulseDriver::moreThanTwoChannelsShowAsTwo() {
    QFETCH(QString, layout);
    QFETCH(std::vector<pa_volume_t>, before);
    QFETCH(Values, read);
    QFETCH(Values, written);
    QFETCH(std::vector<pa_volume_t>, after);
    pa_channel_map map{};
    QVERIFY(pa_channel_map_parse(&map, layout.toLatin1().constData()));
    pa_cvolume v{};
    v.channels = static_cast<uint8_t>(before.size());
    std::copy(before.begin(), before.end(), v.values);
    QCOMPARE(pulse_map::levelsOf(v, map), read);
    const pa_cvolume w = pulse_map::withLevels(v, map, written);
    QCOMPARE(int(w.channels), int(after.size()));
    for (std::size_t c = 0; c < after.size(); ++c)
        QVERIFY2(std::abs(int(w.values[c]) - int(after[c])) <= 1,
                 qPrintable(QStringLiteral("channel %1: %2, not %3").arg(c).arg(w.values[c]).arg(after[c])));
}

void TestPulseDriver::peaksBecomeMeterValues_data() {
    QTest::addColumn<float>("peak");
    QTest::addColumn<DWORD>("value");
    QTest::newRow("silence") << 0.0f << DWORD(0);
    QTest::newRow("-1 dBFS is the first over-peak") << 0.891f << DWORD(18000);
    QTest::newRow("just under -1 dBFS") << 0.8909f << DWORD(17998);
    QTest::newRow("full scale") << 1.0f << DWORD(20202);
    QTest::newRow("clipped far over") << 2.0f << DWORD(32767);
    QTest::newRow("not a number") << std::nanf("") << DWORD(0);
    QTest::newRow("negative") << -0.5f << DWORD(0);
}

void TestPulseDriver::peaksBecomeMeterValues() {
    QFETCH(float, peak);
    QFETCH(DWORD, value);
    QCOMPARE(pulse_map::meterFromPeak(peak), value);
}

void TestPulseDriver::serverObjectsAreKeyedByKindAndIndex() {
    // The server's events name the object by its kind and index: the same
    // index of another kind is another object.
    QVERIFY(PulseObject::ofEvent(PA_SUBSCRIPTION_EVENT_SINK_INPUT | PA_SUBSCRIPTION_EVENT_CHANGE, 3) ==
            PulseObject::input(3));
    QVERIFY(PulseObject::ofEvent(PA_SUBSCRIPTION_EVENT_SINK | PA_SUBSCRIPTION_EVENT_REMOVE, 3) == PulseObject::sink(3));
    QVERIFY(PulseObject::ofEvent(PA_SUBSCRIPTION_EVENT_SOURCE | PA_SUBSCRIPTION_EVENT_NEW, 3) ==
            PulseObject::source(3));
    QVERIFY(!PulseObject::ofEvent(PA_SUBSCRIPTION_EVENT_CLIENT | PA_SUBSCRIPTION_EVENT_NEW, 3));
    QVERIFY(PulseObject::sink(3) != PulseObject::input(3));
    const std::unordered_set<PulseObject> hashed{PulseObject::sink(3), PulseObject::input(3), PulseObject::source(3),
                                                 PulseObject::sink(3), PulseObject::sink(4)};
    QCOMPARE(hashed.size(), std::size_t(4));
    // A stream's line is registered by this name: its ids must not change.
    QCOMPARE(PulseObject::input(7).toString(), std::string("input:7"));
    QCOMPARE(PulseObject::source(0).toString(), std::string("source:0"));
}

// --- against a real server ---------------------------------------------------------

void TestPulseDriver::init() {
    if (QByteArray(QTest::currentTestFunction()).endsWith("_data")) return;
    pulse_ = std::make_unique<PulseServer>();
    notes_ = std::make_unique<NotifyRecorder>();
}

void TestPulseDriver::cleanup() {
    service_.reset();
    driver_ = nullptr;
    notes_.reset();
    pulse_.reset();
}

bool TestPulseDriver::startServer() {
    if (!PulseServer::installed()) return false;
    QString why;
    if (!pulse_->start(&why)) qFatal("%s", qPrintable(why));
    pulse_->useFromThisProcess();
    return true;
}

bool TestPulseDriver::openService() {
    QString error;
    auto d = PulseDriver::open(1000ms, &error);
    if (!d) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    driver_ = d.get();
    service_ = std::make_unique<MixerService>(std::move(d));
    return service_->mixerOpen(&handle_, 0, notes_.get(), 0, CALLBACK_WINDOW) == MMSYSERR_NOERROR;
}

DWORD TestPulseDriver::meter(const DriverLine& line) {
    Values v;
    if (getValues(*service_, handle_, line, *controlOfType(line, MIXERCONTROL_CONTROLTYPE_PEAKMETER), &v) !=
        MMSYSERR_NOERROR)
        return DWORD(99999);
    return v[0];
}

#define NEED_SERVER()                                                                                            \
    do {                                                                                                         \
        if (!startServer()) QSKIP("pulseaudio is not installed (Debian packages pulseaudio, pulseaudio-utils)"); \
    } while (0)

void TestPulseDriver::aServerStartedLaterIsWaitedFor() {
    if (!PulseServer::installed()) QSKIP("pulseaudio is not installed (Debian packages pulseaudio, pulseaudio-utils)");
    pulse_->useFromThisProcess();  // a server that has not started yet
    const auto start = std::chrono::steady_clock::now();
    QString error;
    QVERIFY(!PulseDriver::open(1000ms, &error));
    QVERIFY2(error.contains(QStringLiteral("server")), qPrintable(error));
    QVERIFY(std::chrono::steady_clock::now() - start < 1500ms);
    // Chosen, or with nothing chosen: the program starts all the same, with
    // no devices of the server (nothing chosen: the cards, if any) until it
    // comes.
    auto chosen = makeMixerDriver(QStringLiteral("pulse"), &error);
    auto automatic = makeMixerDriver(QString(), &error);
    QVERIFY(chosen && automatic);
    QCOMPARE(chosen->deviceCount(), 0);
    for (const auto* d : {chosen.get(), automatic.get()}) {
        QCOMPARE(d->soundServerState(), SoundServerState::Stopped);
        QVERIFY(d->deviceLossIsRoutine());
    }
    QSignalSpy chosenChanges(chosen.get(), &MixerDriver::devicesChanged);
    QSignalSpy automaticChanges(automatic.get(), &MixerDriver::devicesChanged);
    QString why;
    QVERIFY2(pulse_->start(&why), qPrintable(why));
    for (const auto& [d, changes] :
         {std::pair(chosen.get(), &chosenChanges), std::pair(automatic.get(), &automaticChanges)}) {
        QTRY_COMPARE_WITH_TIMEOUT(d->soundServerState(), SoundServerState::Running, kTimeout);
        QCOMPARE(d->deviceCount(), 1);
        QCOMPARE(QString::fromLatin1(d->model(d->deviceKey(0))->caps.szPname), QStringLiteral("Fake"));
        QVERIFY(!changes->isEmpty());
    }
}

void TestPulseDriver::aServerThatStopsGivesWayToTheCards() {
    NEED_SERVER();
    ServerFollower follower(
        PulseDriver::follow(1000ms), [] { return SimDriver::demo(); }, 500ms);
    QVERIFY(follower.showsServer());
    QCOMPARE(follower.deviceCount(), 1);
    const DeviceKey sink = follower.deviceKey(0);
    QSignalSpy changes(&follower, &MixerDriver::devicesChanged);
    // Stopped: its devices go at once, and the cards show once it has had
    // time to come back.
    pulse_->stop();
    QTRY_COMPARE_WITH_TIMEOUT(follower.soundServerState(), SoundServerState::Stopped, kTimeout);
    QCOMPARE(follower.deviceCount(), 0);
    QVERIFY(!follower.model(sink));
    QTRY_VERIFY_WITH_TIMEOUT(!follower.showsServer(), kTimeout);
    QCOMPARE(follower.deviceCount(), 2);
    QCOMPARE(QString::fromLatin1(follower.model(follower.deviceKey(0))->caps.szPname),
             QStringLiteral("Tavlo Demo Card"));
    const DeviceKey card = follower.deviceKey(0);
    QVERIFY(card != sink);
    QVERIFY(changes.count() >= 2);
    // Back: the server's devices again, none of them passing for a card.
    QString why;
    QVERIFY2(pulse_->start(&why), qPrintable(why));
    QTRY_VERIFY_WITH_TIMEOUT(follower.showsServer() && follower.deviceCount() == 1, kTimeout);
    QCOMPARE(follower.soundServerState(), SoundServerState::Running);
    QVERIFY(!follower.model(card));
    QVERIFY(follower.deviceKey(0) != sink && follower.deviceKey(0) != card);
    Values v(2);
    const DriverLine& master =
        destinationOfType(*follower.model(follower.deviceKey(0)), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)->line;
    QVERIFY(follower.readValues(follower.deviceKey(0),
                                controlOfType(master, MIXERCONTROL_CONTROLTYPE_VOLUME)->info.dwControlID, v));
    QVERIFY(!follower.readValues(card, 1, v));
}

void TestPulseDriver::sinksStreamsAndSourcesMap() {
    NEED_SERVER();
    QVERIFY(pulse_->pactl({"load-module", "module-null-sink", "sink_name=second",
                           "sink_properties=device.description=Second", "channels=6", "channel_map=surround-51"}));
    QVERIFY(pulse_->pactl({"set-default-sink", "fake"}));
    QVERIFY(pulse_->pactl({"set-default-source", "fakemic"}));
    QVERIFY(openService());

    // One device per sink, the default first, each named by its description.
    QCOMPARE(driver_->deviceCount(), 2);
    QCOMPARE(QString::fromLatin1(model(0).caps.szPname), QStringLiteral("Fake"));
    QCOMPARE(QString::fromLatin1(model(1).caps.szPname), QStringLiteral("Second"));
    const DriverDestination* play = destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    QVERIFY(play);
    QCOMPARE(controlNames(play->line), (QStringList{"Volume", "Mute", "Peak"}));
    QCOMPARE(play->line.info.cChannels, DWORD(2));
    QVERIFY(play->sources.empty());  // nothing plays yet
    // Six channels show as two.
    const DriverDestination* second = destinationOfType(model(1), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    QCOMPARE(second->line.info.cChannels, DWORD(2));

    // Recording: the sources that are not monitors, chosen through a list;
    // the lines have a level and no mute.
    const DriverDestination* rec = destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    QVERIFY(rec);
    QCOMPARE(controlNames(rec->line),
             (QStringList{"Recording Volume", "Recording Mute", "Recording Peak", "Recording Source"}));
    const DriverControl* mux = controlOfType(rec->line, MIXERCONTROL_CONTROLTYPE_MUX);
    QCOMPARE(itemNames(*mux).size(), 1);
    QCOMPARE(rec->sources.size(), std::size_t(1));
    QVERIFY(!controlOfType(rec->sources[0], MIXERCONTROL_CONTROLTYPE_MUTE));
    QVERIFY(controlOfType(rec->sources[0], MIXERCONTROL_CONTROLTYPE_VOLUME));
    Values v;
    QCOMPARE(getValues(*service_, handle_, rec->line, *mux, &v), MMSYSERR_NOERROR);
    QCOMPARE(v, Values{1});

    // A new default sink is device 0 from then on.
    QSignalSpy devices(&service_->driver(), &MixerDriver::devicesChanged);
    QVERIFY(pulse_->pactl({"set-default-sink", "second"}));
    QTRY_VERIFY_WITH_TIMEOUT(devices.count() >= 1, kTimeout);
    QCOMPARE(QString::fromLatin1(model(0).caps.szPname), QStringLiteral("Second"));
    UINT index = 99;
    QCOMPARE(service_->mixerGetID(handle_, &index, MIXER_OBJECTF_HMIXER), MMSYSERR_NOERROR);
    QCOMPARE(index, UINT(1));  // the handle stays on its sink
}

void TestPulseDriver::volumesAndMuteGoBothWays() {
    NEED_SERVER();
    QVERIFY(pulse_->pactl({"set-sink-volume", "fake", "50%"}));
    QVERIFY(openService());
    const DriverDestination& play = *destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    const DriverControl& volume = *controlOfType(play.line, MIXERCONTROL_CONTROLTYPE_VOLUME);
    const DriverControl& mute = *controlOfType(play.line, MIXERCONTROL_CONTROLTYPE_MUTE);
    Values v;
    QCOMPARE(getValues(*service_, handle_, play.line, volume, &v), MMSYSERR_NOERROR);
    QCOMPARE(v, (Values{32768, 32768}));

    // The server's changes come as control changes.
    QVERIFY(pulse_->pactl({"set-sink-volume", "fake", "25%", "75%"}));
    QTRY_VERIFY_WITH_TIMEOUT(notes_->count(MM_MIXM_CONTROL_CHANGE, volume.info.dwControlID) >= 1, kTimeout);
    QCOMPARE(getValues(*service_, handle_, play.line, volume, &v), MMSYSERR_NOERROR);
    QCOMPARE(v, (Values{16384, 49151}));
    QVERIFY(pulse_->pactl({"set-sink-mute", "fake", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(notes_->count(MM_MIXM_CONTROL_CHANGE, mute.info.dwControlID) >= 1, kTimeout);
    QCOMPARE(getValues(*service_, handle_, play.line, mute, &v), MMSYSERR_NOERROR);
    QCOMPARE(v, Values{1});

    // Ours reach the server, each channel its own, and come back once as
    // the service's echo (the server's answer to them is not reported).
    const int before = notes_->count(MM_MIXM_CONTROL_CHANGE, volume.info.dwControlID);
    QCOMPARE(setValues(*service_, handle_, play.line, volume, {65535, 0}), MMSYSERR_NOERROR);
    QTRY_VERIFY_WITH_TIMEOUT(
        QRegularExpression(QStringLiteral("100%.*\\b0%")).match(sinkVolume(*pulse_, QStringLiteral("fake"))).hasMatch(),
        kTimeout);
    QCOMPARE(setValues(*service_, handle_, play.line, mute, {0}), MMSYSERR_NOERROR);
    QTRY_COMPARE_WITH_TIMEOUT(pulse_->pactl({"get-sink-mute", "fake"}).value_or(QString()).trimmed(),
                              QStringLiteral("Mute: no"), kTimeout);
    QTest::qWait(200);
    QCOMPARE(notes_->count(MM_MIXM_CONTROL_CHANGE, volume.info.dwControlID), before + 1);
    QCOMPARE(getValues(*service_, handle_, play.line, volume, &v), MMSYSERR_NOERROR);
    QCOMPARE(v, (Values{65535, 0}));

    // Bursts of changes from another program (asked about one at a time)
    // each end on their last value.
    for (const auto& [burst, last] : {std::pair(QStringList{"10%", "20%", "30%", "60%"}, 39320u),
                                      std::pair(QStringList{"90%", "40%", "25%"}, 16384u)}) {
        for (const QString& level : burst) QVERIFY(pulse_->pactl({"set-sink-volume", "fake", level}));
        QTRY_VERIFY_WITH_TIMEOUT(getValues(*service_, handle_, play.line, volume, &v) == MMSYSERR_NOERROR &&
                                     v.size() == 2 && v[0] + 1 >= last && v[0] <= last + 1 && v[1] == v[0],
                                 kTimeout);
    }
}

void TestPulseDriver::aVolumeAbove100PercentSurvivesItsReadBack() {
    NEED_SERVER();
    QVERIFY(pulse_->pactl({"set-sink-volume", "fake", "150%"}));
    QVERIFY(openService());
    const DriverDestination& play = *destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    const DriverControl& volume = *controlOfType(play.line, MIXERCONTROL_CONTROLTYPE_VOLUME);
    Values v;
    QCOMPARE(getValues(*service_, handle_, play.line, volume, &v), MMSYSERR_NOERROR);
    QCOMPARE(v, (Values{65535, 65535}));
    // Written back as read: nothing is sent.
    QCOMPARE(setValues(*service_, handle_, play.line, volume, v), MMSYSERR_NOERROR);
    QTest::qWait(300);
    QVERIFY2(sinkVolume(*pulse_, QStringLiteral("fake")).contains(QStringLiteral("150%")),
             qPrintable(sinkVolume(*pulse_, QStringLiteral("fake"))));
    // So is a strip's write-back: 99 on the other channel is written as
    // 64845, which shows the same read-out.
    QCOMPARE(setValues(*service_, handle_, play.line, volume, {64845, 65535}), MMSYSERR_NOERROR);
    QTest::qWait(300);
    QVERIFY2(
        QRegularExpression(QStringLiteral("150%.*150%")).match(sinkVolume(*pulse_, QStringLiteral("fake"))).hasMatch(),
        qPrintable(sinkVolume(*pulse_, QStringLiteral("fake"))));
    // Moving a fader changes its channel only.
    QCOMPARE(setValues(*service_, handle_, play.line, volume, {65535, 32768}), MMSYSERR_NOERROR);
    QTRY_VERIFY_WITH_TIMEOUT(QRegularExpression(QStringLiteral("150%.*\\b50%"))
                                 .match(sinkVolume(*pulse_, QStringLiteral("fake")))
                                 .hasMatch(),
                             kTimeout);
}

void TestPulseDriver::recordingSourceIsChosenThroughTheList() {
    NEED_SERVER();
    const auto module =
        pulse_->pactl({"load-module", "module-null-source", "source_name=linein", "description=Line-In"});
    QVERIFY(module);
    QVERIFY(pulse_->pactl({"set-default-source", "fakemic"}));
    QVERIFY(pulse_->pactl({"set-source-volume", "linein", "40%"}));
    QVERIFY(openService());
    const DriverDestination& rec = *destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    const DriverControl& mux = *controlOfType(rec.line, MIXERCONTROL_CONTROLTYPE_MUX);
    const int line = sourceIndex(rec, "Line-In");
    QVERIFY(line >= 0);
    QCOMPARE(rec.sources[line].info.dwComponentType, MIXERLINE_COMPONENTTYPE_SRC_LINE);
    const DriverControl& lineVolume = *controlOfType(rec.sources[line], MIXERCONTROL_CONTROLTYPE_VOLUME);
    Values v;
    QCOMPARE(getValues(*service_, handle_, rec.sources[line], lineVolume, &v), MMSYSERR_NOERROR);
    QCOMPARE(v[0], pulse_map::levelFromVolume(pulse_map::volumeFromLevel(0) + PA_VOLUME_NORM * 4 / 10));

    // Choosing an item makes it the default source; the recording line's
    // level follows it, and that is a change the windows hear of (the
    // choice itself is the service's echo).
    const DriverControl& recVolume = *controlOfType(rec.line, MIXERCONTROL_CONTROLTYPE_VOLUME);
    const int levelNotes = notes_->count(MM_MIXM_CONTROL_CHANGE, recVolume.info.dwControlID);
    Values pick(itemNames(mux).size(), 0);
    pick[line] = 1;
    QCOMPARE(setValues(*service_, handle_, rec.line, mux, pick), MMSYSERR_NOERROR);
    QTRY_COMPARE_WITH_TIMEOUT(pulse_->pactl({"get-default-source"}).value_or(QString()).trimmed(),
                              QStringLiteral("linein"), kTimeout);
    QCOMPARE(getValues(*service_, handle_, rec.line, recVolume, &v), MMSYSERR_NOERROR);
    QCOMPARE(v[0], DWORD(26214));
    QTRY_VERIFY_WITH_TIMEOUT(notes_->count(MM_MIXM_CONTROL_CHANGE, recVolume.info.dwControlID) > levelNotes, kTimeout);
    // No item set changes nothing.
    QCOMPARE(setValues(*service_, handle_, rec.line, mux, Values(pick.size(), 0)), MMSYSERR_NOERROR);
    QTest::qWait(200);
    QCOMPARE(pulse_->pactl({"get-default-source"}).value_or(QString()).trimmed(), QStringLiteral("linein"));

    // The other way: pactl picks, the list follows.
    const int before = notes_->count(MM_MIXM_CONTROL_CHANGE, mux.info.dwControlID);
    QVERIFY(pulse_->pactl({"set-default-source", "fakemic"}));
    QTRY_VERIFY_WITH_TIMEOUT(notes_->count(MM_MIXM_CONTROL_CHANGE, mux.info.dwControlID) > before, kTimeout);
    QCOMPARE(getValues(*service_, handle_, rec.line, mux, &v), MMSYSERR_NOERROR);
    QCOMPARE(v[line], DWORD(0));
    QCOMPARE(v[sourceIndex(rec, "Null Input")], DWORD(1));

    // The same source made again is another object on the server: the list
    // reaches the new one. (The tree is new after a line change.)
    const DWORD recLine = rec.line.info.dwLineID;
    const int lineChanges = notes_->count(MM_MIXM_LINE_CHANGE, recLine);
    QVERIFY(pulse_->pactl({"unload-module", module->trimmed()}));
    const auto again =
        pulse_->pactl({"load-module", "module-null-source", "source_name=linein", "description=Line-In"});
    QVERIFY(again);
    QTRY_VERIFY_WITH_TIMEOUT(notes_->count(MM_MIXM_LINE_CHANGE, recLine) >= lineChanges + 2, kTimeout);
    auto wavein = [this]() -> const DriverDestination& {
        return *destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    };
    QTRY_COMPARE_WITH_TIMEOUT(sourceNames(wavein()).size(), 2, kTimeout);
    const DriverControl& list = *controlOfType(wavein().line, MIXERCONTROL_CONTROLTYPE_MUX);
    Values choose(2, 0);
    choose[sourceIndex(wavein(), "Line-In")] = 1;
    QCOMPARE(setValues(*service_, handle_, wavein().line, list, choose), MMSYSERR_NOERROR);
    QTRY_COMPARE_WITH_TIMEOUT(pulse_->pactl({"get-default-source"}).value_or(QString()).trimmed(),
                              QStringLiteral("linein"), kTimeout);

    // A choice the server refuses (the source went, and this program has
    // not heard of it yet) leaves the choice as the server has it.
    auto chosen = [&] {
        Values now;
        const DriverControl& c = *controlOfType(wavein().line, MIXERCONTROL_CONTROLTYPE_MUX);
        return getValues(*service_, handle_, wavein().line, c, &now) == MMSYSERR_NOERROR ? now : Values{};
    };
    QVERIFY(pulse_->pactl({"set-default-source", "fakemic"}));
    const int mic = sourceIndex(wavein(), "Null Input");
    QTRY_VERIFY_WITH_TIMEOUT(chosen().size() == 2 && chosen()[mic] == 1, kTimeout);
    const DriverControl& last = *controlOfType(wavein().line, MIXERCONTROL_CONTROLTYPE_MUX);
    QVERIFY(pulse_->pactl({"unload-module", again->trimmed()}));
    QCOMPARE(setValues(*service_, handle_, wavein().line, last, choose), MMSYSERR_NOERROR);
    QTRY_COMPARE_WITH_TIMEOUT(sourceNames(wavein()).size(), 1, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(chosen(), Values{1}, kTimeout);
    QTest::qWait(200);
    QCOMPARE(chosen(), Values{1});
    QCOMPARE(pulse_->pactl({"get-default-source"}).value_or(QString()).trimmed(), QStringLiteral("fakemic"));
}

void TestPulseDriver::streamsComeAndGoWithTheirMeters() {
    NEED_SERVER();
    QVERIFY(openService());
    const DWORD playLineId = destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)->line.info.dwLineID;
    auto play = [this]() -> const DriverDestination& {
        return *destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    };
    // Nothing plays: the sink's meter reads 0, its stream corked. Nobody
    // reads it while it is silent; it is followed all the same, and the
    // sound that starts is reported.
    QCOMPARE(meter(play().line), DWORD(0));
    QTest::qWait(300);
    QCOMPARE(driver_->meterStreams(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(corkedRecordStreams(*pulse_), 1, kTimeout);
    QCOMPARE(recordStreams(*pulse_), 1);
    QTest::qWait(int(PulseDriver::kMeterIdle.count()) + 500);
    QSignalSpy moved(service_.get(), &MixerService::metersChanged);

    // A stream starts: its line comes with a line change.
    QVERIFY(pulse_->play(QStringLiteral("fake"), 0.5, 20, QStringLiteral("Tone player")));
    QTRY_VERIFY_WITH_TIMEOUT(!moved.isEmpty(), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(notes_->count(MM_MIXM_LINE_CHANGE, playLineId) >= 1, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(play().sources.size(), std::size_t(1), kTimeout);
    QCOMPARE(sourceNames(play()), QStringList{QStringLiteral("Tone player")});
    QCOMPARE(play().sources[0].info.dwComponentType, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    // Its own volume, mute and meter; half scale reads about 10100 on both.
    const DriverLine& stream = play().sources[0];
    QCOMPARE(controlNames(stream), (QStringList{"Volume", "Mute", "Peak"}));
    QTRY_VERIFY_WITH_TIMEOUT(meter(play().sources[0]) > 9000 && meter(play().sources[0]) < 11200, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(meter(play().line) > 9000 && meter(play().line) < 11200, kTimeout);
    // A slower reader gets fewer batches, each over its whole time, and the
    // level goes on meanwhile; a steady tone moves nothing, so it is not
    // reported again and again.
    QSignalSpy reports(service_.get(), &MixerService::metersChanged);
    service_->setMeterInterval(250ms);
    QCOMPARE(driver_->meterRate(), 4u);
    QCOMPARE(driver_->meterStreams(), 2);
    QVERIFY(meter(play().line) > 9000);
    QTest::qWait(1500);
    QVERIFY2(reports.count() <= 14, qPrintable(QString::number(reports.count())));
    QVERIFY(meter(play().line) > 9000 && meter(play().line) < 11200);
    service_->setMeterInterval(10ms);
    QCOMPARE(driver_->meterRate(), PulseDriver::kMeterRate);
    // Changes of pace at once close streams the server is still making:
    // none lives on.
    service_->setMeterInterval(500ms);
    service_->setMeterInterval(10ms);
    QTest::qWait(300);
    QTRY_COMPARE_WITH_TIMEOUT(recordStreams(*pulse_), driver_->meterStreams(), kTimeout);
    // The meters show what is heard: a muted stream reads 0, and so does
    // the sink it is alone on.
    const DriverControl& mute = *controlOfType(play().sources[0], MIXERCONTROL_CONTROLTYPE_MUTE);
    reports.clear();
    QCOMPARE(setValues(*service_, handle_, play().sources[0], mute, {1}), MMSYSERR_NOERROR);
    QTRY_COMPARE_WITH_TIMEOUT(meter(play().line), DWORD(0), kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(meter(play().sources[0]), DWORD(0), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!reports.isEmpty(), kTimeout);  // the level that fell is reported
    QCOMPARE(reports.first().at(0).toUInt(), 0u);
    QCOMPARE(setValues(*service_, handle_, play().sources[0], mute, {0}), MMSYSERR_NOERROR);
    QTRY_VERIFY_WITH_TIMEOUT(meter(play().sources[0]) > 9000, kTimeout);

    // It ends: the line goes, and with nothing playing no meter sends
    // peaks; the sink's, followed, waits corked.
    const int changes = notes_->count(MM_MIXM_LINE_CHANGE, playLineId);
    pulse_->stopPlaying();
    QTRY_VERIFY_WITH_TIMEOUT(notes_->count(MM_MIXM_LINE_CHANGE, playLineId) > changes, kTimeout);
    QVERIFY(play().sources.empty());
    QCOMPARE(meter(play().line), DWORD(0));
    QTRY_COMPARE_WITH_TIMEOUT(driver_->meterStreams(), 0, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(recordStreams(*pulse_), 1, kTimeout);
    QCOMPARE(corkedRecordStreams(*pulse_), 1);
}

void TestPulseDriver::metersSleepWhileNothingPlays_data() {
    QTest::addColumn<bool>("pipeWire");
    QTest::newRow("PulseAudio") << false;
    QTest::newRow("PipeWire") << true;  // says a sink runs while its monitor is recorded
}

void TestPulseDriver::metersSleepWhileNothingPlays() {
    QFETCH(bool, pipeWire);
    if (!pipeWire) {
        NEED_SERVER();
    } else {
        if (!PulseServer::pipeWireInstalled())
            QSKIP("PipeWire is not installed (Debian packages pipewire, pipewire-pulse, wireplumber, dbus)");
        QString why;
        QVERIFY2(pulse_->startPipeWire(&why), qPrintable(why));
        pulse_->useFromThisProcess();
        QVERIFY(pulse_->pactl(
            {"load-module", "module-null-sink", "sink_name=fake", "sink_properties=device.description=Fake"}));
    }
    QVERIFY(pulse_->pactl(
        {"load-module", "module-null-sink", "sink_name=second", "sink_properties=device.description=Second"}));
    // (PipeWire makes a sink a moment after the module is loaded.)
    QTRY_VERIFY_WITH_TIMEOUT(pulse_->pactl({"set-default-sink", "fake"}), kTimeout);
    QVERIFY(openService());
    auto play = [this](int device = 0) -> const DriverDestination& {
        return *destinationOfType(model(device), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    };
    TestClient client;
    QVERIFY(client.connect());
    QVERIFY(client.playPaused("fake"));
    QTRY_VERIFY_WITH_TIMEOUT(driver_->deviceCount() == 2 && play().sources.size() == 1, kTimeout);

    // Paused, it plays nothing: no meter sends peaks. Every meter of both
    // sinks is read (as the meter scan does); the one read last, the first
    // sink's, is the one followed, and waits with a corked stream.
    QCOMPARE(meter(play().sources[0]), DWORD(0));
    QCOMPARE(meter(play(1).line), DWORD(0));
    QCOMPARE(meter(play().line), DWORD(0));
    QTest::qWait(300);
    QCOMPARE(driver_->meterStreams(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(recordStreams(*pulse_), 1, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(corkedRecordStreams(*pulse_), 1, kTimeout);

    // It plays: the meter followed wakes at once and its first peak is
    // reported; the other sink, not read since, is not metered at all.
    // The waiting stream keeps the sink's latency small, so that the sink
    // renders sound in small pieces once it comes: the silence it rendered
    // ahead before (up to 2 s for a null sink) runs out here. (PipeWire's
    // sinks do not render ahead so.)
    if (!pipeWire) QTRY_VERIFY_WITH_TIMEOUT(sinkLatencyUs(*pulse_, "fake") < 60000, 5000);
    QSignalSpy moved(service_.get(), &MixerService::metersChanged);
    QElapsedTimer sinceStart;
    sinceStart.start();
    client.pause(false);
    QTRY_VERIFY_WITH_TIMEOUT(!moved.isEmpty(), kTimeout);
    qInfo("first peak reported %lld ms after the stream started", static_cast<long long>(sinceStart.elapsed()));
    QVERIFY(sinceStart.elapsed() < 1000);  // (a meter opened only now waited about 1.5 s for it)
    QCOMPARE(moved.first().at(0).toUInt(), 0u);
    QTRY_VERIFY_WITH_TIMEOUT(meter(play().line) > 0, kTimeout);  // (levels: streamsComeAndGoWithTheirMeters)
    QCOMPARE(driver_->meterStreams(), 1);
    QCOMPARE(recordStreams(*pulse_), 1);
    QTRY_COMPARE_WITH_TIMEOUT(corkedRecordStreams(*pulse_), 0, kTimeout);

    // Paused again: the meter comes to rest at 0, its stream corked, and is
    // said to have moved (its last batches may fall on the way); then nothing.
    moved.clear();
    client.pause(true);
    QTRY_COMPARE_WITH_TIMEOUT(driver_->meterStreams(), 0, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!moved.isEmpty(), kTimeout);
    QCOMPARE(meter(play().line), DWORD(0));
    QTRY_COMPARE_WITH_TIMEOUT(corkedRecordStreams(*pulse_), 1, kTimeout);
    QCOMPARE(recordStreams(*pulse_), 1);
    const int said = int(moved.count());
    QTest::qWait(1500);
    QCOMPARE(int(moved.count()), said);

    // The stream's own meter, followed, sleeps and wakes with it too (the
    // sink's stream goes, as it is no longer followed).
    QCOMPARE(meter(play().sources[0]), DWORD(0));
    client.pause(false);
    QTRY_VERIFY_WITH_TIMEOUT(meter(play().sources[0]) > 0, kTimeout);
    QCOMPARE(driver_->meterStreams(), 1);
    client.pause(true);
    QTRY_COMPARE_WITH_TIMEOUT(driver_->meterStreams(), 0, kTimeout);
    QCOMPARE(meter(play().sources[0]), DWORD(0));
    QTRY_COMPARE_WITH_TIMEOUT(corkedRecordStreams(*pulse_), 1, kTimeout);
}

void TestPulseDriver::aStreamLetGoIsClosedEvenWhileBeingMade() {
    NEED_SERVER();
    TestClient client;
    QVERIFY(client.connect());
    // Let go while the server is still making it, and once made: neither
    // lives on while this client stays connected.
    PulseStreamPtr made = client.record("fakemic");
    QVERIFY(made);
    QTRY_COMPARE_WITH_TIMEOUT(recordStreams(*pulse_), 1, kTimeout);
    QVERIFY(client.record("fakemic"));  // let go at once
    made.reset();
    QTest::qWait(500);
    QTRY_COMPARE_WITH_TIMEOUT(recordStreams(*pulse_), 0, kTimeout);
}

void TestPulseDriver::serverGoneAndBack() {
    NEED_SERVER();
    QVERIFY(openService());
    QSignalSpy devices(&service_->driver(), &MixerDriver::devicesChanged);
    const DriverDestination& play = *destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    Values v;  // a meter runs when the server goes
    QCOMPARE(
        getValues(*service_, handle_, play.line, *controlOfType(play.line, MIXERCONTROL_CONTROLTYPE_PEAKMETER), &v),
        MMSYSERR_NOERROR);
    pulse_->stop();
    QTRY_VERIFY_WITH_TIMEOUT(devices.count() >= 1, kTimeout);
    QCOMPARE(driver_->deviceCount(), 0);
    QCOMPARE(service_->mixerGetNumDevs(), UINT(0));
    UINT index = 0;
    QCOMPARE(service_->mixerGetID(handle_, &index, MIXER_OBJECTF_HMIXER), MMSYSERR_NODRIVER);

    QString why;
    QVERIFY2(pulse_->start(&why), qPrintable(why));
    QTRY_VERIFY_WITH_TIMEOUT(driver_->deviceCount() == 1, kTimeout);
    QVERIFY(devices.count() >= 2);
    QCOMPARE(QString::fromLatin1(model().caps.szPname), QStringLiteral("Fake"));
    HMIXER again = 0;
    QCOMPARE(service_->mixerOpen(&again, 0, notes_.get(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    QVERIFY(pulse_->pactl({"set-sink-volume", "fake", "20%"}));
    const DriverDestination& now = *destinationOfType(model(), MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    const DriverControl& volume = *controlOfType(now.line, MIXERCONTROL_CONTROLTYPE_VOLUME);
    QTRY_VERIFY_WITH_TIMEOUT(notes_->count(MM_MIXM_CONTROL_CHANGE, volume.info.dwControlID) >= 1, kTimeout);
}

TAVLO_TEST_GUILESS_MAIN(TestPulseDriver)
#include "tst_pulse_driver.moc"
