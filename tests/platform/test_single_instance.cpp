// The single-instance guard between real processes.

#include "platform/single_instance.h"
#include "support/test_main.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace {

QString holderPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/guard_holder"); }

QByteArray startHolder(QProcess& p, const QString& name) {
    p.start(holderPath(), {name});
    if (!p.waitForStarted(10000) || !p.waitForReadyRead(10000)) return {};
    return p.readLine().trimmed();
}

}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondCopyIsRefusedUntilTheFirstDies() {
        const QString name = QStringLiteral("TavloTest-") + QUuid::createUuid().toString(QUuid::Id128);
        QProcess first;
        QCOMPARE(startHolder(first, name), QByteArray("held"));
        {
            SingleInstanceGuard here(name);
            QVERIFY(here.alreadyRunning());
        }
        QProcess second;
        QCOMPARE(startHolder(second, name), QByteArray("busy"));
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);

        // A killed holder never blocks the next start.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        SingleInstanceGuard after(name);
        QVERIFY(!after.alreadyRunning());
        QProcess third;
        QCOMPARE(startHolder(third, name), QByteArray("busy"));
        third.waitForFinished(10000);
    }

    void releasedWhenTheGuardEnds() {
        const QString name = QStringLiteral("TavloTest-") + QUuid::createUuid().toString(QUuid::Id128);
        {
            SingleInstanceGuard a(name);
            QVERIFY(!a.alreadyRunning());
        }
        SingleInstanceGuard b(name);
        QVERIFY(!b.alreadyRunning());
    }

    void aFailedCheckCountsAsRunning() {
        // The lock file cannot be made where its folder is a plain file.
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("runtime")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(blocker.fileName() + QStringLiteral("/sub")));
        qputenv("TMPDIR", QFile::encodeName(blocker.fileName()));
        SingleInstanceGuard g(QStringLiteral("Tavlo"));
        qputenv("XDG_RUNTIME_DIR", old);
        qunsetenv("TMPDIR");
        QVERIFY(g.alreadyRunning());
    }
};

TAVLO_TEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
