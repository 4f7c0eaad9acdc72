// Smoke test against a real PulseAudio server through ALSA's pulse plugin:
// the test runs its own server with a null sink on a private socket.

#include "platform/alsa/alsa_driver.h"
#include "support/pulse_server.h"
#include "support/test_main.h"
#include "test_cards.h"

#include <QRegularExpression>
#include <QTest>

using namespace testcard;
using Values = std::vector<DWORD>;

constexpr int kServerTimeout = PulseServer::kTimeout;

class TestAlsaPulse : public QObject {
    Q_OBJECT
private slots:
    void masterAndCaptureFollowTheServer();
};

void TestAlsaPulse::masterAndCaptureFollowTheServer() {
    if (!PulseServer::installed())
        QSKIP("pulseaudio is not installed (Debian packages pulseaudio, pulseaudio-utils, libasound2-plugins)");
    PulseServer pulse;
    QString why;
    QVERIFY2(pulse.start(&why), qPrintable(why));
    QVERIFY2(pulse.pactl({"set-default-sink", "fake"}), qPrintable(pulse.lastError()));
    QVERIFY2(pulse.pactl({"set-default-source", "fakemic"}), qPrintable(pulse.lastError()));
    QVERIFY2(pulse.pactl({"set-sink-volume", "fake", "50%"}), qPrintable(pulse.lastError()));

    // This process reaches the server through ALSA's pulse plugin.
    pulse.useFromThisProcess();
    QString error;
    auto driver = makeAlsaDriver({QStringLiteral("pulse")}, &error);
    QVERIFY2(driver, qPrintable(error));
    MixerService service(std::move(driver));
    NotifyRecorder notes;
    HMIXER handle = 0;
    QCOMPARE(service.mixerOpen(&handle, 0, &notes, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    const DeviceModel& model = *service.driver().model(service.driver().deviceKey(0));
    QCOMPARE(QString::fromLatin1(model.caps.szPname), QStringLiteral("PulseAudio"));

    const DriverDestination* play = destinationOfType(model, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    QVERIFY(play);
    QCOMPARE(QString::fromLatin1(play->line.info.szName), QStringLiteral("Master"));
    const DriverControl* volume = controlOfType(play->line, MIXERCONTROL_CONTROLTYPE_VOLUME);
    const DriverControl* mute = controlOfType(play->line, MIXERCONTROL_CONTROLTYPE_MUTE);
    QVERIFY(volume && mute);
    const DriverDestination* rec = destinationOfType(model, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    QVERIFY(rec);
    QCOMPARE(QString::fromLatin1(rec->line.info.szName), QStringLiteral("Capture"));
    QVERIFY(controlOfType(rec->line, MIXERCONTROL_CONTROLTYPE_VOLUME));

    Values v;
    QCOMPARE(getValues(service, handle, play->line, *volume, &v), MMSYSERR_NOERROR);
    QVERIFY2(std::abs(int(v[0]) - 32768) <= 2, qPrintable(QString::number(v[0])));

    // Another program turns the sink down: the mixer hears of it.
    QVERIFY2(pulse.pactl({"set-sink-volume", "fake", "25%"}), qPrintable(pulse.lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(notes.count(MM_MIXM_CONTROL_CHANGE, volume->info.dwControlID) >= 1, kServerTimeout);
    QCOMPARE(getValues(service, handle, play->line, *volume, &v), MMSYSERR_NOERROR);
    QVERIFY2(std::abs(int(v[0]) - 16384) <= 2, qPrintable(QString::number(v[0])));

    QVERIFY2(pulse.pactl({"set-sink-mute", "fake", "1"}), qPrintable(pulse.lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(notes.count(MM_MIXM_CONTROL_CHANGE, mute->info.dwControlID) >= 1, kServerTimeout);
    QCOMPARE(getValues(service, handle, play->line, *mute, &v), MMSYSERR_NOERROR);
    QCOMPARE(v[0], DWORD(1));

    // And the server follows the mixer.
    const Values loudest(controlValueCount(volume->info, play->line.info.cChannels), 65535);
    QCOMPARE(setValues(service, handle, play->line, *volume, loudest), MMSYSERR_NOERROR);
    const QRegularExpression full(QStringLiteral("/\\s+100%\\s+/"));
    QTRY_VERIFY_WITH_TIMEOUT(full.match(pulse.pactl({"get-sink-volume", "fake"}).value_or(QString())).hasMatch(),
                             kServerTimeout);
}

TAVLO_TEST_GUILESS_MAIN(TestAlsaPulse)
#include "tst_alsa_pulse.moc"
