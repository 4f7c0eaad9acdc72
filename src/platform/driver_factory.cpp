#include "platform/driver_factory.h"

#include "platform/alsa/alsa_driver.h"
#include "platform/sim/sim_driver.h"

std::unique_ptr<MixerDriver> makeMixerDriver(const QString& selection, QString* error) {
    const QString s = selection.trimmed();
    if (s == QLatin1String("demo")) return SimDriver::demo();
    if (s.startsWith(QLatin1String("sim:"))) {
        const QString path = s.mid(4);
        if (path.isEmpty()) {
            if (error) *error = QStringLiteral("%1=sim:PATH needs the path of a card description").arg(kMixerSelectionVariable);
            return nullptr;
        }
        return SimDriver::fromFile(path, error);
    }
    if (s.isEmpty() || s == QLatin1String("alsa")) return makeAlsaDriver({}, error);
    if (s.startsWith(QLatin1String("alsa:"))) {
        const QStringList names = s.mid(5).split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (names.isEmpty()) {
            if (error) *error = QStringLiteral("%1=alsa:NAME needs at least one device name").arg(kMixerSelectionVariable);
            return nullptr;
        }
        return makeAlsaDriver(names, error);
    }
    if (error)
        *error = QStringLiteral("%1=\"%2\" is not understood; use demo, sim:PATH, alsa or alsa:NAME")
                     .arg(kMixerSelectionVariable, s);
    return nullptr;
}

QString mixerSelectionFromEnvironment() { return qEnvironmentVariable(kMixerSelectionVariable); }
