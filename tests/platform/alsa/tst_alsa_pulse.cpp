// Smoke test against a real PulseAudio server through ALSA's pulse plugin:
// the test runs its own server with a null sink on a private socket.

#include "platform/alsa/alsa_driver.h"
#include "test_cards.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>
#include <csignal>
#include <optional>

using namespace testcard;
using Values = std::vector<DWORD>;

namespace {

constexpr int kTimeout = 20000;

// A private PulseAudio server with one null sink ("fake") and one null
// source ("fakemic"), stopped when this object goes, and killed by the
// kernel if the test process dies first.
class PulseServer {
public:
    ~PulseServer() { stop(); }

    bool start(QString* why) {
        if (!dir_.isValid()) {
            *why = QStringLiteral("no temporary folder");
            return false;
        }
        socket_ = dir_.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH"})
            env.insert(QString::fromLatin1(var), dir_.path());
        env.insert(QStringLiteral("PULSE_SERVER"), server());
        server_.setProcessEnvironment(env);
        server_.setProcessChannelMode(QProcess::ForwardedChannels);
        server_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        server_.start(QStringLiteral("pulseaudio"),
                      {"-n", "--daemonize=no", "--log-level=error", "--exit-idle-time=-1", "--disallow-exit",
                       "--use-pid-file=no", "--disable-shm=yes", "-L",
                       QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket_), "-L",
                       "module-null-sink sink_name=fake", "-L", "module-null-source source_name=fakemic"});
        if (!server_.waitForStarted(kTimeout)) {
            *why = QStringLiteral("pulseaudio does not start: %1").arg(server_.errorString());
            return false;
        }
        return true;
    }

    void stop() {
        if (server_.state() == QProcess::NotRunning) return;
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished(5000);
        }
    }

    bool running() const { return server_.state() == QProcess::Running; }
    QString server() const { return QStringLiteral("unix:") + socket_; }
    QString home() const { return dir_.path(); }
    const QString& lastError() const { return lastError_; }

    // Runs pactl against this server; its output, or nothing when it failed.
    std::optional<QString> pactl(const QStringList& args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), server());
        env.insert(QStringLiteral("HOME"), dir_.path());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("pactl"), args);
        if (!p.waitForFinished(kTimeout) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            lastError_ = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
            return std::nullopt;
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

private:
    QTemporaryDir dir_;
    QString socket_;
    QProcess server_;
    mutable QString lastError_;
};

}  // namespace

class TestAlsaPulse : public QObject {
    Q_OBJECT
private slots:
    void masterAndCaptureFollowTheServer();
};

void TestAlsaPulse::masterAndCaptureFollowTheServer() {
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
        QSKIP("pulseaudio is not installed (Debian packages pulseaudio, pulseaudio-utils, libasound2-plugins)");
    PulseServer pulse;
    QString why;
    QVERIFY2(pulse.start(&why), qPrintable(why));
    QTRY_VERIFY_WITH_TIMEOUT(pulse.pactl({QStringLiteral("info")}) || !pulse.running(), kTimeout);
    QVERIFY2(pulse.running(), "pulseaudio stopped at start");
    QVERIFY2(pulse.pactl({"set-default-sink", "fake"}), qPrintable(pulse.lastError()));
    QVERIFY2(pulse.pactl({"set-default-source", "fakemic"}), qPrintable(pulse.lastError()));
    QVERIFY2(pulse.pactl({"set-sink-volume", "fake", "50%"}), qPrintable(pulse.lastError()));

    // This process reaches the server through ALSA's pulse plugin.
    qputenv("PULSE_SERVER", pulse.server().toLocal8Bit());
    qputenv("HOME", pulse.home().toLocal8Bit());
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
    QTRY_VERIFY_WITH_TIMEOUT(notes.count(MM_MIXM_CONTROL_CHANGE, volume->info.dwControlID) >= 1, kTimeout);
    QCOMPARE(getValues(service, handle, play->line, *volume, &v), MMSYSERR_NOERROR);
    QVERIFY2(std::abs(int(v[0]) - 16384) <= 2, qPrintable(QString::number(v[0])));

    QVERIFY2(pulse.pactl({"set-sink-mute", "fake", "1"}), qPrintable(pulse.lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(notes.count(MM_MIXM_CONTROL_CHANGE, mute->info.dwControlID) >= 1, kTimeout);
    QCOMPARE(getValues(service, handle, play->line, *mute, &v), MMSYSERR_NOERROR);
    QCOMPARE(v[0], DWORD(1));

    // And the server follows the mixer.
    const Values loudest(controlValueCount(volume->info, play->line.info.cChannels), 65535);
    QCOMPARE(setValues(service, handle, play->line, *volume, loudest), MMSYSERR_NOERROR);
    const QRegularExpression full(QStringLiteral("/\\s+100%\\s+/"));
    QTRY_VERIFY_WITH_TIMEOUT(full.match(pulse.pactl({"get-sink-volume", "fake"}).value_or(QString())).hasMatch(),
                             kTimeout);
}

QTEST_GUILESS_MAIN(TestAlsaPulse)
#include "tst_alsa_pulse.moc"
