#pragma once
// A private sound server for a whole session, of either kind a desktop
// runs: PulseAudio, or PipeWire with its PulseAudio server (and the session
// bus and session manager it needs), changed the way other programs change
// them: pactl, and players started and stopped.
//
// The session starts with the sink "speakers" ("Speakers") and the source
// "mic"; sinks and sources added later are null devices too.

#include "support/pulse_server.h"

#include <QDeadlineTimer>
#include <QTest>

#include <memory>

class SoundServer : public PulseServer {
public:
    // "pulseaudio" or "pipewire"; null when that server is not installed.
    static std::unique_ptr<SoundServer> make(const QString& kind) {
        const bool pipeWire = kind == QLatin1String("pipewire");
        if (pipeWire ? !pipeWireInstalled()
                     : !installed() || QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty())
            return nullptr;
        return std::unique_ptr<SoundServer>(new SoundServer(pipeWire));
    }

    bool start(QString* why) {
        if (!(pipeWire() ? startPipeWire(why) : PulseServer::start(why, false))) return false;
        if (!addSink(QStringLiteral("speakers"), QStringLiteral("Speakers"))) return *why = lastError(), false;
        // PipeWire's session manager takes a moment to publish the new sink
        // and the default device's store: "Not supported" until then.
        QDeadlineTimer deadline(kTimeout);
        while (!pactl({"set-default-sink", "speakers"})) {
            if (deadline.hasExpired()) return *why = lastError(), false;
            QTest::qWait(50);
        }
        if (!addSource(QStringLiteral("mic"))) return *why = lastError(), false;
        return true;
    }

    void stop() {
        stopPlaying();
        PulseServer::stop();
    }

    // Killed and started again, as an upgrade does: every device comes back
    // as new.
    bool restart() {
        stop();
        QString why;
        return start(&why);
    }

    // The program under test is a client of this server (its settings stay
    // in the session's home).
    void useFromThisProcess() const {
        qputenv("PULSE_SERVER", server().toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", home().toLocal8Bit());
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
        if (pipeWire())
            return pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=%1").arg(name),
                          "media.class=Audio/Source/Virtual", QStringLiteral("device.description=%1").arg(name)})
                .has_value();
        return pactl({"load-module", "module-null-source", QStringLiteral("source_name=%1").arg(name),
                      QStringLiteral("description=%1").arg(name)})
            .has_value();
    }

private:
    explicit SoundServer(bool pipeWire) : PulseServer(pipeWire) {}

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
};
