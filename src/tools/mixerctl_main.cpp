#include "platform/driver_factory.h"
#include "platform/mixer_service.h"
#include "tools/mixerctl.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Answered without a sound back end: none may be running.
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty() &&
        (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") || args[0] == QLatin1String("help"))) {
        out << mixerCtlUsage();
        return 0;
    }
    if (!args.isEmpty() && args[0] == QLatin1String("--version")) {
        out << "tavlo-mixerctl " << TAVLO_VERSION << '\n';
        return 0;
    }
    if (!args.isEmpty() && args[0].startsWith(QLatin1Char('-')) && args[0] != QLatin1String("-d") &&
        args[0] != QLatin1String("--device")) {
        err << "tavlo-mixerctl: unknown option \"" << args[0] << "\"; try \"tavlo-mixerctl --help\"\n";
        return 2;
    }
    QString error;
    auto driver = makeMixerDriver(mixerSelectionFromEnvironment(), &error);
    if (!driver) {
        err << "tavlo-mixerctl: " << error << '\n';
        return 2;
    }
    MixerService service(std::move(driver));
    const int status = runMixerCtl(service, args, out, err);
    if (status >= 0) return status;
    return QCoreApplication::exec();
}
