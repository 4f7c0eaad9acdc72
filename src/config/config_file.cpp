#include "config/config_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kConfigFolder = "Tavlo by Varnel Prototyping";
constexpr const char* kConfigFileName = "Tavlo.ini";

ConfigError failure(ConfigError::Action action, const QString& path, const QString& reason) {
    return ConfigError{action, QDir::toNativeSeparators(path), reason};
}

}  // namespace

QString ConfigError::message() const {
    const QString what = action == Action::Save ? QStringLiteral("Tavlo could not save its configuration to")
                                                : QStringLiteral("Tavlo could not read its configuration from");
    return QStringLiteral("%1 \"%2\": %3.").arg(what, path, reason);
}

QString configFilePath() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) return {};
    return base + u'/' + QLatin1String(kConfigFolder) + u'/' + QLatin1String(kConfigFileName);
}

ConfigReadResult readConfigFile(const QString& path) {
    ConfigReadResult result;
    if (path.isEmpty()) return result;
    const QFileInfo info(path);
    if (!info.exists()) return result;
    result.status = ConfigReadResult::Status::Failed;
    if (!info.isFile()) {
        result.error = failure(ConfigError::Action::Read, path, QStringLiteral("not a regular file"));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = failure(ConfigError::Action::Read, path, file.errorString());
        return result;
    }
    // A sized read keeps memory bounded whatever the file holds.
    const QByteArray bytes = file.read(kConfigMaxReadBytes);
    if (file.error() != QFileDevice::NoError) {
        result.error = failure(ConfigError::Action::Read, path, file.errorString());
        return result;
    }
    result.status = ConfigReadResult::Status::Read;
    result.contents = parseConfig(bytes);
    return result;
}

ConfigSaveResult saveConfigFile(const ConfigValues& values, const QString& path) {
    if (path.isEmpty())
        return {failure(ConfigError::Action::Save, path, QStringLiteral("no configuration folder is known"))};

    // std::filesystem reports why a folder could not be made; QDir only says
    // that it failed.
    std::error_code ec;
    std::filesystem::create_directories(
        std::filesystem::path(QFile::encodeName(QFileInfo(path).absolutePath()).toStdString()), ec);
    if (ec) return {failure(ConfigError::Action::Save, path, QString::fromLocal8Bit(ec.message()))};

    // QSaveFile writes a temporary file in the same folder and renames it over
    // the old one only on commit, so a failure anywhere leaves the old file.
    // Unbuffered, because Qt 6.4's commit() reports success even when the
    // flush of its write buffer failed, and renames a cut-off file into place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {failure(ConfigError::Action::Save, path, file.errorString())};
    const QByteArray bytes = formatConfig(values);
    // A short write is no error by itself; the next one tells why.
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            const QString reason = n < 0 ? file.errorString() : QStringLiteral("nothing could be written");
            file.cancelWriting();
            return {failure(ConfigError::Action::Save, path, reason)};
        }
        done += n;
    }
    // commit() ignores what fsync says; a write error the disk reports only
    // now must still keep the old file.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return {failure(ConfigError::Action::Save, path, reason)};
    }
    if (!file.commit()) return {failure(ConfigError::Action::Save, path, file.errorString())};
    return {};
}
