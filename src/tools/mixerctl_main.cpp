#include "platform/driver_factory.h"
#include "platform/mixer_service.h"
#include "tools/mixerctl.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString error;
    auto driver = makeMixerDriver(mixerSelectionFromEnvironment(), &error);
    if (!driver) {
        err << "tavlo-mixerctl: " << error << '\n';
        return 2;
    }
    MixerService service(std::move(driver));
    const int status = runMixerCtl(service, QCoreApplication::arguments().mid(1), out, err);
    if (status >= 0) return status;
    return QCoreApplication::exec();
}
