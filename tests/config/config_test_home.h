#pragma once
// A private configuration home for one test program: XDG_CONFIG_HOME points
// into a temporary folder, so reads and saves touch real files there only.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

class ConfigTestHome {
public:
    // `sub` may name a folder that does not exist yet.
    explicit ConfigTestHome(const QString& sub = QStringLiteral("xdg")) : home_(dir_.filePath(sub)) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_));
    }
    bool isValid() const { return dir_.isValid(); }
    QString home() const { return home_; }
    QString folder() const { return home_ + QStringLiteral("/Tavlo by Varnel Prototyping"); }
    QString file() const { return folder() + QStringLiteral("/Tavlo.ini"); }

    // Back to an empty temporary folder: no configuration home at all.
    bool clear() const { return QDir(home_).exists() ? QDir(home_).removeRecursively() : true; }

    bool writeFile(const QByteArray& bytes) const {
        if (!QDir().mkpath(folder())) return false;
        QFile f(file());
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }
    QByteArray fileBytes() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    QString home_;
};
