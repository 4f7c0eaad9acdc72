#pragma once
// A private PulseAudio server for tests: null sinks and a null source on a
// socket of its own, stopped when the object goes and killed by the kernel
// if the test process dies first. Also plays tones into it. Or PipeWire's
// PulseAudio server in its place (pipewire, wireplumber and pipewire-pulse
// on a session bus of their own), reached the same way.

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <sys/prctl.h>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <memory>
#include <optional>

class PulseServer {
public:
    static constexpr int kTimeout = 20000;

    // Waits (bounded) until PipeWire's socket is there.
    static bool pipeWireListens(const QString& socket) {
        for (int i = 0; i < kTimeout / 20; ++i) {
            if (QFile::exists(socket)) return true;
            QThread::msleep(20);
        }
        return false;
    }

    static bool installed() { return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty(); }
    static bool pipeWireInstalled() {
        for (const char* program : {"pipewire", "wireplumber", "pipewire-pulse", "dbus-daemon", "pactl"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) return false;
        return true;
    }

    PulseServer() = default;
    ~PulseServer() {
        for (auto& p : players_) stopProcess(*p);
        stop();
        if (bus_) stopProcess(*bus_);
    }

    // PipeWire with nothing but its stand-in output ("Dummy Output") until
    // sinks and sources are made; again after stop().
    bool startPipeWire(QString* why) {
        if (!dir_.isValid()) {
            *why = QStringLiteral("no temporary folder");
            return false;
        }
        pipeWire_ = true;
        if (!bus_) {
            bus_ = child();
            bus_->setStandardOutputFile(QString());  // the bus's address comes this way
            bus_->start(QStringLiteral("dbus-daemon"),
                        {"--session", "--nofork", "--print-address=1",
                         QStringLiteral("--address=unix:path=%1").arg(dir_.filePath(QStringLiteral("bus")))});
            if (!bus_->waitForStarted(kTimeout) || !bus_->waitForReadyRead(kTimeout)) {
                *why = QStringLiteral("no session bus");
                return false;
            }
            busAddress_ = QString::fromLatin1(bus_->readLine()).trimmed();
        }
        for (const char* program : {"pipewire", "wireplumber", "pipewire-pulse"}) {
            pipeWireParts_.push_back(child());
            pipeWireParts_.back()->start(QString::fromLatin1(program), {});
            if (!pipeWireParts_.back()->waitForStarted(kTimeout)) {
                *why = QStringLiteral("%1 does not start").arg(QString::fromLatin1(program));
                return false;
            }
            // The session manager gives up when PipeWire is not listening yet,
            // and without it no default device can be chosen.
            if (pipeWireParts_.size() == 1 && !pipeWireListens(dir_.filePath(QStringLiteral("pipewire-0")))) {
                *why = QStringLiteral("pipewire does not listen");
                return false;
            }
        }
        return answers(why);
    }

    // Starts the server with a null sink "fake" and a null source "fakemic"
    // (or no device at all) and waits until it answers.
    bool start(QString* why, bool nullDevices = true) {
        if (!dir_.isValid()) {
            *why = QStringLiteral("no temporary folder");
            return false;
        }
        server_ = std::make_unique<QProcess>();
        server_->setProcessEnvironment(environment());
        server_->setProcessChannelMode(QProcess::ForwardedChannels);
        server_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        QStringList args{"-n",
                         "--daemonize=no",
                         "--log-level=error",
                         "--exit-idle-time=-1",
                         "--disallow-exit",
                         "--use-pid-file=no",
                         "--disable-shm=yes",
                         "-L",
                         QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket())};
        if (nullDevices)
            args << "-L"
                 << "module-null-sink sink_name=fake sink_properties=device.description=Fake"
                 << "-L"
                 << "module-null-source source_name=fakemic";
        server_->start(QStringLiteral("pulseaudio"), args);
        if (!server_->waitForStarted(kTimeout)) {
            *why = QStringLiteral("pulseaudio does not start: %1").arg(server_->errorString());
            return false;
        }
        return answers(why);
    }

    void stop() {
        if (server_) stopProcess(*server_);
        // The session manager and the server's PulseAudio side go first.
        while (!pipeWireParts_.empty()) {
            stopProcess(*pipeWireParts_.back());
            pipeWireParts_.pop_back();
        }
    }

    bool running() const {
        if (pipeWire_)
            return !pipeWireParts_.empty() && std::all_of(pipeWireParts_.begin(), pipeWireParts_.end(),
                                                          [](auto& p) { return p->state() == QProcess::Running; });
        return server_ && server_->state() == QProcess::Running;
    }
    QString server() const { return QStringLiteral("unix:") + socket(); }
    QString home() const { return dir_.path(); }
    const QString& lastError() const { return lastError_; }

    // Makes this process a client of this server.
    void useFromThisProcess() const {
        qputenv("PULSE_SERVER", server().toLocal8Bit());
        qputenv("HOME", home().toLocal8Bit());
    }

    // Runs pactl against this server; its output, or nothing when it failed.
    std::optional<QString> pactl(const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral("pactl"), args);
        if (!p.waitForFinished(kTimeout) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            lastError_ = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
            return std::nullopt;
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    // Plays a sine at the given amplitude (1.0 = full scale) to a sink with
    // paplay, for `seconds`; the player runs until stopPlaying() or the end.
    bool play(const QString& sink, double amplitude, int seconds, const QString& name = QStringLiteral("Tone")) {
        const QString path = dir_.filePath(QStringLiteral("tone-%1.wav").arg(players_.size()));
        if (!writeTone(path, amplitude, seconds)) return false;
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment());
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        p->start(QStringLiteral("paplay"), {QStringLiteral("--device=%1").arg(sink),
                                            QStringLiteral("--property=application.name=%1").arg(name), path});
        if (!p->waitForStarted(kTimeout)) return false;
        players_.push_back(std::move(p));
        return true;
    }
    // A player of silence that runs until stopped: a stream at rest.
    bool playSilence(const QString& sink, const QString& name) {
        auto p = child();
        p->start(QStringLiteral("pacat"), {"--playback", QStringLiteral("--device=%1").arg(sink), "--raw",
                                           QStringLiteral("--property=application.name=%1").arg(name), "/dev/zero"});
        if (!p->waitForStarted(kTimeout)) return false;
        players_.push_back(std::move(p));
        return true;
    }
    void stopPlaying() {
        for (auto& p : players_) stopProcess(*p);
        players_.clear();
    }
    void stopOnePlayer() {
        if (players_.empty()) return;
        stopProcess(*players_.front());
        players_.erase(players_.begin());
    }

protected:
    bool pipeWire() const { return pipeWire_; }
    // Which server the socket is to be of, known before it starts.
    explicit PulseServer(bool pipeWire) : pipeWire_(pipeWire) {}

private:
    // PipeWire puts its PulseAudio socket under the runtime folder's "pulse".
    QString socket() const {
        return dir_.filePath(pipeWire_ ? QStringLiteral("pulse/native") : QStringLiteral("native"));
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH", "XDG_CONFIG_HOME",
                                "XDG_STATE_HOME", "XDG_DATA_HOME"})
            env.insert(QString::fromLatin1(var), dir_.path());
        env.insert(QStringLiteral("PULSE_SERVER"), server());
        // PipeWire puts its socket under the runtime folder's "pulse".
        if (pipeWire_) env.remove(QStringLiteral("PULSE_RUNTIME_PATH"));
        if (!busAddress_.isEmpty()) env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
        env.remove(QStringLiteral("DISPLAY"));
        return env;
    }

    std::unique_ptr<QProcess> child() const {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment());
        p->setStandardOutputFile(QProcess::nullDevice());
        p->setStandardErrorFile(dir_.filePath(QStringLiteral("servers.log")), QIODevice::Append);
        p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        return p;
    }

    bool answers(QString* why) {
        for (int i = 0; i < 400 && running(); ++i) {
            if (pactl({QStringLiteral("info")})) return true;
            QThread::msleep(50);
        }
        QFile log(dir_.filePath(QStringLiteral("servers.log")));
        const QString said =
            log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(400)) : QString();
        *why = (running() ? QStringLiteral("the sound server does not answer")
                          : QStringLiteral("the sound server stopped at start")) +
               (said.isEmpty() ? QString() : QStringLiteral(": ") + said);
        return false;
    }

    static void stopProcess(QProcess& p) {
        if (p.state() == QProcess::NotRunning) return;
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(5000);
        }
    }

    // A 16-bit stereo 44.1 kHz WAV file of a 440 Hz sine.
    static bool writeTone(const QString& path, double amplitude, int seconds) {
        constexpr quint32 rate = 44100;
        const quint32 frames = rate * static_cast<quint32>(seconds);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return false;
        QDataStream out(&f);
        out.setByteOrder(QDataStream::LittleEndian);
        const quint32 bytes = frames * 4;
        out.writeRawData("RIFF", 4);
        out << quint32(36 + bytes);
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << quint16(1) << quint16(2) << rate << quint32(rate * 4) << quint16(4) << quint16(16);
        out.writeRawData("data", 4);
        out << bytes;
        for (quint32 i = 0; i < frames; ++i) {
            const auto v =
                static_cast<qint16>(std::lround(amplitude * 32767.0 * std::sin(2 * M_PI * 440.0 * i / rate)));
            out << v << v;
        }
        return out.status() == QDataStream::Ok;
    }

    QTemporaryDir dir_;
    std::unique_ptr<QProcess> server_;
    bool pipeWire_ = false;
    std::unique_ptr<QProcess> bus_;
    QString busAddress_;
    std::vector<std::unique_ptr<QProcess>> pipeWireParts_;
    std::vector<std::unique_ptr<QProcess>> players_;
    mutable QString lastError_;
};
