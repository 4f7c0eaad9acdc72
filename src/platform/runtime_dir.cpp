#include "platform/runtime_dir.h"

#include <QDir>

#include <unistd.h>

QString runtimeFilePath(const QString& name) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + QLatin1Char('/') + name;
    return QDir::tempPath() + QLatin1Char('/') + QString::number(getuid()) + QLatin1Char('-') + name;
}
