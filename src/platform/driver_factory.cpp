#include "platform/driver_factory.h"

#include "platform/alsa/alsa_driver.h"
#include "platform/pulse/pulse_driver.h"
#include "platform/runtime_dir.h"
#include "platform/server_follower.h"
#include "platform/sim/sim_driver.h"

#include <QCryptographicHash>
#include <QFileInfo>

std::unique_ptr<MixerDriver> makeMixerDriver(const QString& selection, QString* error) {
    const QString s = selection.trimmed();
    if (s == QLatin1String("demo")) {
        // The demo cards keep their values for the whole session, shared by
        // every program that uses them, as a real card's are.
        auto driver = SimDriver::demo();
        driver->shareValuesThrough(runtimeFilePath(QStringLiteral("tavlo-demo-cards.values")));
        return driver;
    }
    if (s.startsWith(QLatin1String("sim:"))) {
        const QString path = s.mid(4);
        if (path.isEmpty()) {
            if (error)
                *error =
                    QStringLiteral("%1=sim:PATH needs the path of a card description").arg(kMixerSelectionVariable);
            return nullptr;
        }
        auto driver = SimDriver::fromFile(path, error);
        if (driver) {
            const QByteArray id =
                QCryptographicHash::hash(QFileInfo(path).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1)
                    .toHex()
                    .left(12);
            driver->shareValuesThrough(
                runtimeFilePath(QStringLiteral("tavlo-sim-%1.values").arg(QString::fromLatin1(id))));
        }
        return driver;
    }
    // The sound server may start after us (an autostart that wins the race)
    // and may stop and start again: it is waited for and followed.
    if (s == QLatin1String("pulse")) return PulseDriver::follow(kSoundServerBound);
    if (s.isEmpty()) {
        // What a desktop runs; while no sound server runs, the cards.
        return std::make_unique<ServerFollower>(
            PulseDriver::follow(kSoundServerBound), [] { return makeAlsaDriver({}, nullptr); }, kSoundServerGrace);
    }
    if (s == QLatin1String("alsa")) return makeAlsaDriver({}, error);
    if (s.startsWith(QLatin1String("alsa:"))) {
        const QStringList names = s.mid(5).split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (names.isEmpty()) {
            if (error)
                *error = QStringLiteral("%1=alsa:NAME needs at least one device name").arg(kMixerSelectionVariable);
            return nullptr;
        }
        return makeAlsaDriver(names, error);
    }
    if (error)
        *error = QStringLiteral("%1=\"%2\" is not understood; use demo, sim:PATH, pulse, alsa or alsa:NAME")
                     .arg(kMixerSelectionVariable, s);
    return nullptr;
}

QString mixerSelectionFromEnvironment() { return qEnvironmentVariable(kMixerSelectionVariable); }
