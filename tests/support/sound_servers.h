#pragma once
// A private sound server for a whole session, of either kind a desktop
// runs: PulseAudio, or PipeWire with its PulseAudio server (and the session
// bus and session manager it needs). Both are reached through their
// PulseAudio socket in a folder of their own, and changed the way other
// programs change them: pactl, and players started and stopped.
//
// The session starts with the sink "speakers" ("Speakers") and the source
// "mic"; sinks and sources added later are null devices too.

#include "support/pulse_server.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>
#include <csignal>
#include <memory>
#include <optional>
#include <vector>

class SoundServer {
public:
    // "pulseaudio" or "pipewire"; null when that server is not installed.
    static std::unique_ptr<SoundServer> make(const QString& kind) {
        const QStringList needs = kind == QLatin1String("pipewire")
                                      ? QStringList{"pipewire", "pipewire-pulse", "wireplumber", "dbus-daemon", "pactl"}
                                      : QStringList{"pulseaudio", "pactl"};
        for (const QString& program : needs)
            if (QStandardPaths::findExecutable(program).isEmpty()) return nullptr;
        return std::unique_ptr<SoundServer>(new SoundServer(kind == QLatin1String("pipewire")));
    }

    ~SoundServer() { stop(); }

    bool start(QString* why) {
        if (!dir_.isValid()) return *why = QStringLiteral("no temporary folder"), false;
        if (pipewire_) {
            if (busAddress_.isEmpty() && !startBus(why)) return false;
            launch({"pipewire"});
            // The session manager gives up when PipeWire is not listening yet.
            if (!PulseServer::pipeWireListens(dir_.filePath(QStringLiteral("pipewire-0"))))
                return *why = QStringLiteral("pipewire does not listen"), false;
            launch({"wireplumber"});
            launch({"pipewire-pulse"});
        } else {
            launch({"pulseaudio", "-n", "--daemonize=no", "--log-level=error", "--exit-idle-time=-1", "--disallow-exit",
                    "--use-pid-file=no", "--disable-shm=yes", "-L",
                    QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket())});
        }
        QDeadlineTimer deadline(20000);
        while (!pactl({QStringLiteral("info")})) {
            if (deadline.hasExpired()) return *why = QStringLiteral("the sound server does not answer"), false;
            QTest::qWait(50);
        }
        if (!addSink(QStringLiteral("speakers"), QStringLiteral("Speakers"))) return *why = lastError_, false;
        // PipeWire's session manager takes a moment to publish the new sink
        // and the default device's store: "Not supported" until then.
        while (!pactl({"set-default-sink", "speakers"})) {
            if (deadline.hasExpired()) return *why = lastError_, false;
            QTest::qWait(50);
        }
        if (!addSource(QStringLiteral("mic"))) return *why = lastError_, false;
        return true;
    }

    const QString& lastError() const { return lastError_; }

    void stop() {
        players_.clear();
        // The session manager and the server go before their bus.
        while (!servers_.empty()) servers_.pop_back();
    }

    // Killed and started again, as an upgrade does: every device comes back
    // as new.
    bool restart() {
        stop();
        QString why;
        return start(&why);
    }

    void useFromThisProcess() const {
        qputenv("PULSE_SERVER", server().toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", dir_.path().toLocal8Bit());
    }

    QString server() const { return QStringLiteral("unix:") + socket(); }

    std::optional<QString> pactl(const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral("pactl"), args);
        if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            lastError_ =
                QStringLiteral("pactl %1: %2")
                    .arg(args.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
            return std::nullopt;
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    // The sinks' names, in the server's order.
    QStringList sinks() const { return names(QStringLiteral("sinks")); }

    bool addSink(const QString& name, const QString& description = {}) {
        const QString text = description.isEmpty() ? name : description;
        return pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=%1").arg(name),
                      QStringLiteral("sink_properties='device.description=\"%1\"'").arg(text)})
            .has_value();
    }
    bool removeSink(const QString& name) { return unloadModuleOf(QStringLiteral("sinks"), name); }
    // Another sink than the first and the default one, if any.
    bool removeOneSink() {
        const QStringList all = sinks();
        const QString current = pactl({"get-default-sink"}).value_or(QString()).trimmed();
        for (int i = int(all.size()) - 1; i > 0; --i)
            if (all[i] != current) return removeSink(all[i]);
        return false;
    }
    bool addSource(const QString& name) {
        // PipeWire's PulseAudio server has no null source: a null node made
        // a source does the same.
        if (pipewire_)
            return pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=%1").arg(name),
                          "media.class=Audio/Source/Virtual", QStringLiteral("device.description=%1").arg(name)})
                .has_value();
        return pactl({"load-module", "module-null-source", QStringLiteral("source_name=%1").arg(name),
                      QStringLiteral("description=%1").arg(name)})
            .has_value();
    }

    // A player of silence that runs until stopped: a stream with a strip,
    // and a meter at rest.
    bool playSilence(const QString& sink, const QString& name) {
        auto p = process();
        p->start(QStringLiteral("pacat"), {"--playback", QStringLiteral("--device=%1").arg(sink), "--raw",
                                           QStringLiteral("--property=application.name=%1").arg(name), "/dev/zero"});
        if (!p->waitForStarted(5000)) return false;
        players_.emplace_back(std::move(p));
        return true;
    }
    void stopOnePlayer() {
        if (!players_.empty()) players_.erase(players_.begin());
    }

private:
    explicit SoundServer(bool pipewire) : pipewire_(pipewire) {}

    struct Child {
        std::unique_ptr<QProcess> p;
        explicit Child(std::unique_ptr<QProcess> process) : p(std::move(process)) {}
        Child(Child&&) = default;
        Child& operator=(Child&&) = default;
        ~Child() {
            if (!p || p->state() == QProcess::NotRunning) return;
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    };

    QString socket() const {
        return pipewire_ ? dir_.filePath(QStringLiteral("pulse/native")) : dir_.filePath(QStringLiteral("native"));
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH", "XDG_STATE_HOME",
                                "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            env.insert(QString::fromLatin1(var), dir_.path());
        // PipeWire's PulseAudio server puts its socket in pulse/ of the
        // runtime folder unless told another folder.
        if (pipewire_) env.remove(QStringLiteral("PULSE_RUNTIME_PATH"));
        env.insert(QStringLiteral("PULSE_SERVER"), server());
        env.remove(QStringLiteral("DISPLAY"));
        if (!busAddress_.isEmpty()) env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
        return env;
    }

    std::unique_ptr<QProcess> process() const {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment());
        p->setStandardOutputFile(QProcess::nullDevice());
        p->setStandardErrorFile(dir_.filePath(QStringLiteral("servers.log")), QIODevice::Append);
        p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        return p;
    }

    void launch(const QStringList& command) {
        auto p = process();
        p->start(command.front(), command.mid(1));
        p->waitForStarted(5000);
        servers_.emplace_back(std::move(p));
    }

    bool startBus(QString* why) {
        auto p = process();
        p->setStandardOutputFile(QString());
        p->start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1",
                                                 QStringLiteral("--address=unix:path=%1").arg(dir_.filePath("bus"))});
        if (!p->waitForStarted(5000) || !p->waitForReadyRead(5000))
            return *why = QStringLiteral("no session bus"), false;
        busAddress_ = QString::fromLatin1(p->readLine()).trimmed();
        bus_ = std::make_unique<Child>(std::move(p));
        return true;
    }

    QStringList names(const QString& kind) const {
        QStringList out;
        for (const QString& line : pactl({"list", "short", kind}).value_or(QString()).split(QLatin1Char('\n')))
            if (const QStringList f = line.split(QLatin1Char('\t')); f.size() > 1) out << f[1];
        return out;
    }

    // Null devices are modules of their own: unloading the module takes the
    // device away, as unplugging it would.
    bool unloadModuleOf(const QString& kind, const QString& name) {
        for (const QString& line : pactl({"list", "short", kind}).value_or(QString()).split(QLatin1Char('\n'))) {
            const QStringList f = line.split(QLatin1Char('\t'));
            if (f.size() > 2 && f[1] == name) {
                const QString owner = ownerModule(kind, f[0]);
                return !owner.isEmpty() && pactl({"unload-module", owner}).has_value();
            }
        }
        return false;
    }
    QString ownerModule(const QString& kind, const QString& index) const {
        // "Owner Module: N" in the long listing of the device.
        const QString all = pactl({"list", kind}).value_or(QString());
        bool inDevice = false;
        for (const QString& raw : all.split(QLatin1Char('\n'))) {
            const QString line = raw.trimmed();
            if (!raw.startsWith(QLatin1Char('\t')) && !raw.startsWith(QLatin1Char(' ')) && !line.isEmpty())
                inDevice = line.endsWith(QLatin1Char('#') + index);
            if (inDevice && line.startsWith(QLatin1String("Owner Module:")))
                return line.section(QLatin1Char(':'), 1).trimmed();
        }
        return {};
    }

    const bool pipewire_;
    QTemporaryDir dir_;
    QString busAddress_;
    std::unique_ptr<Child> bus_;
    std::vector<Child> servers_;
    std::vector<Child> players_;
    mutable QString lastError_;
};
