// Saving the configuration file on a real file system, and what a save leaves
// behind when it fails.

#include "config/config_file.h"
#include "config_test_home.h"
#include "support/test_main.h"
#include "write_faults.h"

#include <QtTest>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace {

ChannelBoxes boxesFrom(const QByteArray& pattern) {
    ChannelBoxes boxes{};
    for (int k = 0; k < kChannelBoxCount; ++k) boxes[k] = pattern.at(k) != '0';
    return boxes;
}

// The values of the example: the last two recording boxes unchecked and the
// magnet off.
ConfigValues exampleValues() {
    ConfigValues v;
    v.firstLine = QStringLiteral("Tavlo 1.0");
    v.channelBoxes = boxesFrom(QByteArray(21, '1') + "00");
    v.options = {false, true, true, true, true};
    v.form1Left = 106;
    v.form1Top = 269;
    v.recLeft = 214;
    v.recTop = 442;
    return v;
}

const QByteArray kExampleBytes(
    "Tavlo 1.0\r\n111111111111111111111"
    "00\r\n01111\r\n106\r\n269\r\n214\r\n442\r\n");

std::optional<int> applied(int v) { return v ? std::optional<int>(v) : std::nullopt; }

}  // namespace

class ConfigSaveTest : public QObject {
    Q_OBJECT

    ConfigTestHome home_;

    // The old file is still there, byte for byte, and nothing else is left
    // in its folder (no temporary file of the failed save).
    void verifyOnlyOldFile(const QByteArray& old) {
        QCOMPARE(home_.fileBytes(), old);
        QCOMPARE(QDir(home_.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Tavlo.ini")});
    }

    static bool setMode(const QString& path, mode_t mode) {
        return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
    }

    // Different from the example in every line.
    static ConfigValues changedValues() {
        ConfigValues v = exampleValues();
        v.firstLine = QStringLiteral("Tavlo 1.1");
        v.channelBoxes = boxesFrom(QByteArray(kChannelBoxCount, '0'));
        v.options = {true, false, false, false, false};
        v.form1Left = v.form1Top = v.recLeft = v.recTop = 999;
        return v;
    }

    void verifyError(const ConfigSaveResult& r) {
        QVERIFY(!r.ok());
        QCOMPARE(r.error->action, ConfigError::Action::Save);
        QCOMPARE(r.error->path, home_.file());
        QVERIFY(!r.error->reason.isEmpty());
        QVERIFY(r.error->message().contains(home_.file()));
        QVERIFY(r.error->message().contains(r.error->reason));
    }

private slots:
    void initTestCase() { QVERIFY(home_.isValid()); }
    void init() { QVERIFY(home_.clear()); }

    // --- the format --------------------------------------------------------

    // The configuration home does not exist yet: the save makes the folders.
    void exampleIsWrittenByteForByte() {
        QVERIFY(!QFileInfo::exists(home_.home()));
        QVERIFY(saveConfigFile(exampleValues()).ok());
        QCOMPARE(home_.fileBytes(), kExampleBytes);
    }

    void numbersArePlainDecimal() {
        ConfigValues v;
        v.channelBoxes = boxesFrom(QByteArray(kChannelBoxCount, '0'));
        v.options = {false, false, false, false, false};
        v.form1Left = -120;
        v.form1Top = 0;
        v.recLeft = std::numeric_limits<int>::min();
        v.recTop = std::numeric_limits<int>::max();
        QVERIFY(saveConfigFile(v).ok());
        QCOMPARE(home_.fileBytes(), "\r\n" + QByteArray(kChannelBoxCount, '0') +
                                        "\r\n00000\r\n-120\r\n0\r\n-2147483648\r\n2147483647\r\n");
    }

    // Each box and option lands on its own character.
    void eachFlagHasItsPlace() {
        for (int k = 0; k < kChannelBoxCount; ++k) {
            ConfigValues v = exampleValues();
            v.channelBoxes.fill(true);
            v.channelBoxes[k] = false;
            QVERIFY(saveConfigFile(v).ok());
            QByteArray line(kChannelBoxCount, '1');
            line[k] = '0';
            QCOMPARE(home_.fileBytes().split('\n').value(1), line + '\r');
        }
        bool ConfigOptions::*const fields[] = {&ConfigOptions::magnet, &ConfigOptions::GreenSilver1,
                                               &ConfigOptions::BlackPlay1, &ConfigOptions::BlackRec1,
                                               &ConfigOptions::anim};
        for (int k = 0; k < kOptionCount; ++k) {
            ConfigValues v = exampleValues();
            v.options = {false, false, false, false, false};
            v.options.*fields[k] = true;
            QVERIFY(saveConfigFile(v).ok());
            QByteArray line(kOptionCount, '0');
            line[k] = '1';
            QCOMPARE(home_.fileBytes().split('\n').value(2), line + '\r');
        }
    }

    // A line break in the carried line would shift every later line.
    void firstLineStaysOneLine() {
        ConfigValues v = exampleValues();
        v.firstLine = QStringLiteral("one\ntwo");
        QVERIFY(saveConfigFile(v).ok());
        QCOMPARE(home_.fileBytes(), "one" + kExampleBytes.mid(kExampleBytes.indexOf('\r')));
    }

    // --- round trips ---------------------------------------------------------

    void roundTrip_data() {
        QTest::addColumn<QByteArray>("boxes");
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<QList<int>>("positions");
        QTest::newRow("example") << QByteArray(21, '1') + "00" << QByteArray("01111") << QList{106, 269, 214, 442};
        QTest::newRow("all off") << QByteArray(kChannelBoxCount, '0') << QByteArray("00000") << QList{1, 2, 3, 4};
        QTest::newRow("alternating, negative positions")
            << QByteArray("10101010101010101010101") << QByteArray("10101") << QList{-120, -30, -1, -2000};
        QTest::newRow("only strip 12 and the tone strip")
            << "1" + QByteArray(11, '0') + "1" + QByteArray(10, '0') << QByteArray("01010")
            << QList{std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), 5, 6};
        // A window at 0 is saved as 0 and then not restored to it.
        QTest::newRow("zero positions") << QByteArray(kChannelBoxCount, '1') << QByteArray("11111")
                                        << QList{0, 269, 214, 0};
    }
    void roundTrip() {
        QFETCH(QByteArray, boxes);
        QFETCH(QByteArray, options);
        QFETCH(QList<int>, positions);
        ConfigValues v;
        v.firstLine = QStringLiteral("carried \xe9 line");
        v.channelBoxes = boxesFrom(boxes);
        v.options = {options[0] == '1', options[1] == '1', options[2] == '1', options[3] == '1', options[4] == '1'};
        v.form1Left = positions[0];
        v.form1Top = positions[1];
        v.recLeft = positions[2];
        v.recTop = positions[3];
        QVERIFY(saveConfigFile(v).ok());

        const ConfigReadResult r = readConfigFile();
        QCOMPARE(r.status, ConfigReadResult::Status::Read);
        QCOMPARE(r.contents.firstLine, v.firstLine);
        QCOMPARE(r.contents.channelBoxes, v.channelBoxes);
        QCOMPARE(r.contents.options, v.options);
        QCOMPARE(r.contents.form1, (StoredPosition{applied(positions[0]), applied(positions[1])}));
        QCOMPARE(r.contents.rec, (StoredPosition{applied(positions[2]), applied(positions[3])}));
    }

    // A file written by hand (LF, odd first line) is read, saved, read and
    // saved again: the saves are identical and line 1 survives unchanged.
    void savingTwiceGivesIdenticalFiles() {
        const QByteArray first("  ;Tavlo\t\xe9\xff\x01 by hand  ");
        QVERIFY(home_.writeFile(first + "\n1\n0\n-8\n9\n 10 \n11\n"));
        QByteArray previous;
        for (int save = 0; save < 3; ++save) {
            const ConfigReadResult r = readConfigFile();
            QCOMPARE(r.status, ConfigReadResult::Status::Read);
            ConfigValues v;
            v.firstLine = r.contents.firstLine;
            v.channelBoxes = r.contents.channelBoxes;
            v.options = r.contents.options;
            v.form1Left = r.contents.form1.left.value_or(0);
            v.form1Top = r.contents.form1.top.value_or(0);
            v.recLeft = r.contents.rec.left.value_or(0);
            v.recTop = r.contents.rec.top.value_or(0);
            QVERIFY(saveConfigFile(v).ok());
            const QByteArray bytes = home_.fileBytes();
            QVERIFY(bytes.startsWith(first + "\r\n"));
            if (save > 0) QCOMPARE(bytes, previous);
            previous = bytes;
        }
        QCOMPARE(previous, first + "\r\n" + QByteArray(kChannelBoxCount, '1') + "\r\n01110\r\n-8\r\n9\r\n10\r\n11\r\n");
    }

    // --- failed saves --------------------------------------------------------

    // A regular file where the folder should be: the folder cannot be made
    // (root included) and that file is left alone.
    void folderBlockedByAFile() {
        QVERIFY(QDir().mkpath(home_.home()));
        QFile blocker(home_.folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QCOMPARE(blocker.write("keep"), 4);
        blocker.close();

        verifyError(saveConfigFile(exampleValues()));
        QVERIFY(QFileInfo(home_.folder()).isFile());
        QVERIFY(blocker.open(QIODevice::ReadOnly));
        QCOMPARE(blocker.readAll(), QByteArray("keep"));
    }

    // The write itself fails halfway (file size limit, which binds root too):
    // the old file is kept whole and no temporary file is left.
    void failedWriteKeepsTheOldFile() {
        QVERIFY(saveConfigFile(exampleValues()).ok());
        const QByteArray old = home_.fileBytes();
        QCOMPARE(old, kExampleBytes);

        ConfigValues changed = exampleValues();
        changed.firstLine = QString(200, u'x');
        changed.recLeft = 999;
        ConfigSaveResult r;
        {
            FileSizeLimit limit(16);
            QVERIFY(limit.ok());
            r = saveConfigFile(changed);
        }
        verifyError(r);
        verifyOnlyOldFile(old);

        // Once the cause is gone the same save goes through.
        QVERIFY(saveConfigFile(changed).ok());
        QVERIFY(home_.fileBytes().startsWith(QByteArray(200, 'x') + "\r\n"));
    }

    // No write permission in the folder (as root: running as nobody), while
    // the old file itself would take a write: the save never writes in place,
    // so the old file is kept whole.
    void folderWithoutWritePermission() {
        QVERIFY(saveConfigFile(exampleValues()).ok());
        const QByteArray old = home_.fileBytes();
        // Nobody may reach the folder and write the file, but not add to the folder.
        for (const QString& path : {QFileInfo(home_.home()).path(), home_.home()}) QVERIFY(setMode(path, 0755));
        QVERIFY(setMode(home_.folder(), 0555));
        QVERIFY(setMode(home_.file(), 0666));
        ConfigSaveResult r;
        {
            Unprivileged nobody;
            QVERIFY(nobody.ok());
            r = saveConfigFile(changedValues());
        }
        QVERIFY(setMode(home_.folder(), 0755));
        verifyError(r);
        verifyOnlyOldFile(old);
    }

    // The disk fills up halfway through the save (a small file system of its
    // own, one page left where the new file needs two): the old file is kept
    // whole, and the same save goes through once there is room.
    void diskFullKeepsTheOldFile() {
        QVERIFY(QDir().mkpath(home_.home()));
        TinyDisk disk(home_.home(), 64 * 1024);
        if (!disk.ok()) QSKIP("mounting a file system of its own needs root");
        QVERIFY(saveConfigFile(exampleValues()).ok());
        const QByteArray old = home_.fileBytes();
        const QString filler = home_.home() + QStringLiteral("/filler");
        QVERIFY(disk.fill(filler, 4096));

        ConfigValues changed = changedValues();
        changed.firstLine = QString(6000, u'x');
        const ConfigSaveResult r = saveConfigFile(changed);
        verifyError(r);
        QCOMPARE(r.error->reason, QString::fromLocal8Bit(std::strerror(ENOSPC)));
        verifyOnlyOldFile(old);

        QVERIFY(QFile::remove(filler));
        QVERIFY(saveConfigFile(changed).ok());
        QVERIFY(home_.fileBytes().startsWith(QByteArray(6000, 'x') + "\r\n"));
    }

    // A folder in the file's place is not replaced.
    void folderInPlaceOfTheFile() {
        QVERIFY(QDir().mkpath(home_.file() + QStringLiteral("/inside")));
        verifyError(saveConfigFile(exampleValues()));
        QVERIFY(QFileInfo(home_.file() + QStringLiteral("/inside")).isDir());
    }
};

TAVLO_TEST_GUILESS_MAIN(ConfigSaveTest)
#include "test_config_save.moc"
