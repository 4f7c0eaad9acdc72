// Reading the configuration file from a real file in a private config home.

#include "config/config_file.h"
#include "config_test_home.h"
#include "support/test_main.h"

#include <QtTest>

#include <sys/stat.h>

#include <limits>

namespace {

// "1"/"0" pattern of the 23 boxes as read.
QByteArray pattern(const ChannelBoxes& boxes) {
    QByteArray p;
    for (bool on : boxes) p += on ? '1' : '0';
    return p;
}

QByteArray optionPattern(const ConfigOptions& o) {
    QByteArray p;
    for (bool on : {o.magnet, o.GreenSilver1, o.BlackPlay1, o.BlackRec1, o.anim}) p += on ? '1' : '0';
    return p;
}

const QByteArray kAllBoxes(kChannelBoxCount, '1');

}  // namespace

class ConfigReadTest : public QObject {
    Q_OBJECT

    ConfigTestHome home_;

    // Writes `bytes` as the file and reads it back; the read must succeed.
    ConfigFileContents readBack(const QByteArray& bytes) {
        [&] { QVERIFY(home_.writeFile(bytes)); }();
        const ConfigReadResult r = readConfigFile();
        [&] { QCOMPARE(r.status, ConfigReadResult::Status::Read); }();
        return r.contents;
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        QCOMPARE(configFilePath(), home_.file());
    }
    void init() { QVERIFY(home_.clear()); }

    // --- what is there to read -------------------------------------------

    void missingFileReadsNothing() {
        const ConfigReadResult r = readConfigFile();
        QCOMPARE(r.status, ConfigReadResult::Status::NotFound);
        QVERIFY(!r.error);
    }

    // An empty file is read: every line empty, unlike a missing file.
    void emptyFileReadsAsEmptyLines() {
        const ConfigFileContents c = readBack({});
        QCOMPARE(c.firstLine, QString());
        QCOMPARE(pattern(c.channelBoxes), kAllBoxes);
        QCOMPARE(optionPattern(c.options), QByteArray("11110"));
        QCOMPARE(c.form1, StoredPosition{});
        QCOMPARE(c.rec, StoredPosition{});
    }

    void fileOfOnlyTheFirstLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF") << QByteArray("Tavlo settings\r\n");
        QTest::newRow("LF") << QByteArray("Tavlo settings\n");
        QTest::newRow("no line end") << QByteArray("Tavlo settings");
    }
    // All boxes checked, the first four options on, animation off, no
    // position applied.
    void fileOfOnlyTheFirstLine() {
        QFETCH(QByteArray, bytes);
        const ConfigFileContents c = readBack(bytes);
        QCOMPARE(c.firstLine, QStringLiteral("Tavlo settings"));
        QCOMPARE(pattern(c.channelBoxes), kAllBoxes);
        QCOMPARE(optionPattern(c.options), QByteArray("11110"));
        QVERIFY(!c.form1.left && !c.form1.top && !c.rec.left && !c.rec.top);
    }

    void notARegularFileFailsWithoutBlocking_data() {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("folder") << false;
        QTest::newRow("named pipe") << true;  // opening it would wait for a writer
    }
    void notARegularFileFailsWithoutBlocking() {
        QFETCH(bool, fifo);
        QVERIFY(QDir().mkpath(home_.folder()));
        if (fifo)
            QCOMPARE(::mkfifo(QFile::encodeName(home_.file()).constData(), 0600), 0);
        else
            QVERIFY(QDir().mkpath(home_.file()));
        const ConfigReadResult r = readConfigFile();
        QCOMPARE(r.status, ConfigReadResult::Status::Failed);
        QVERIFY(r.error);
        QCOMPARE(r.error->path, home_.file());
        QVERIFY(!r.error->reason.isEmpty());
        QVERIFY(r.error->message().contains(home_.file()));
    }

    // --- line by line ------------------------------------------------------

    // Line 1 is carried byte for byte: blanks, high bytes, NULs, a lone CR.
    void firstLineIsKeptVerbatim_data() {
        QTest::addColumn<QByteArray>("ending");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
    }
    void firstLineIsKeptVerbatim() {
        QFETCH(QByteArray, ending);
        static constexpr char raw[] = "  \t;Tavlo\xe9\xff\x80 mid\rline\0end  ";
        const QByteArray first(raw, sizeof raw - 1);
        const ConfigFileContents c = readBack(first + ending + "1" + ending);
        QCOMPARE(c.firstLine.toLatin1(), first);
    }

    void channelBoxes_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("boxes");
        QTest::newRow("all zeros hide every strip and the tone strip")
            << QByteArray(kChannelBoxCount, '0') << QByteArray(kChannelBoxCount, '0');
        QTest::newRow("empty") << QByteArray() << kAllBoxes;
        QTest::newRow("short: the missing ones are checked") << QByteArray("00") << "00" + kAllBoxes.left(21);
        QTest::newRow("anything but 0 checks")
            << QByteArray("0x 2\xff-0", 7) + QByteArray(16, '9') << "0111110" + QByteArray(16, '1');
        QTest::newRow("NUL checks") << QByteArray(
                                           "\0"
                                           "0",
                                           2)
                                    << "10" + kAllBoxes.left(21);
        QTest::newRow("characters past 23 are ignored") << QByteArray(kChannelBoxCount, '1') + "000" << kAllBoxes;
    }
    void channelBoxes() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, boxes);
        QCOMPARE(pattern(readBack("first\r\n" + line + "\r\n11111\r\n").channelBoxes), boxes);
    }

    // Character 13 carries BWCCCheckBox22, not the last one.
    void boxOrderPutsPlaybackStrip12BeforeTheRecordingBoxes() {
        QByteArray line(kChannelBoxCount, '1');
        line[12] = '0';
        const ChannelBoxes boxes = readBack("\r\n" + line + "\r\n").channelBoxes;
        for (int k = 0; k < kChannelBoxCount; ++k)
            QCOMPARE(boxes[k], QByteArray(kChannelBoxNames[k]) != "BWCCCheckBox22");
        QCOMPARE(QByteArray(kChannelBoxNames[0]), QByteArray("tuch"));
        QCOMPARE(QByteArray(kChannelBoxNames[13]), QByteArray("BWCCCheckBox12"));
        QCOMPARE(QByteArray(kChannelBoxNames[22]), QByteArray("BWCCCheckBox21"));
    }

    // Four flags are on unless "0"; animation is on only for exactly "1".
    void optionFlags_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("options");
        QTest::newRow("all 1") << QByteArray("11111") << QByteArray("11111");
        QTest::newRow("all 0") << QByteArray("00000") << QByteArray("00000");
        QTest::newRow("fifth is 2") << QByteArray("11112") << QByteArray("11110");
        QTest::newRow("four 2 and a 0") << QByteArray("22220") << QByteArray("11110");
        QTest::newRow("only the fifth 1") << QByteArray("00001") << QByteArray("00001");
        QTest::newRow("blank and letters") << QByteArray(
                                                  " aZ\xff"
                                                  "1")
                                           << QByteArray("11111");
        QTest::newRow("short") << QByteArray("0") << QByteArray("01110");
        QTest::newRow("empty") << QByteArray() << QByteArray("11110");
        QTest::newRow("longer") << QByteArray("101011111") << QByteArray("10101");
    }
    void optionFlags() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, options);
        QCOMPARE(optionPattern(readBack("\r\n\r\n" + line + "\r\n").options), options);
    }

    // The same text on all four position lines; only rec Left (line 6) is
    // trimmed first. -1 stands for "not applied".
    void positionLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("untrimmed");
        QTest::addColumn<int>("trimmed");
        constexpr int no = -1;
        QTest::newRow("plain") << QByteArray("106") << 106 << 106;
        QTest::newRow("negative") << QByteArray("-120") << -120 << -120;
        QTest::newRow("zero") << QByteArray("0") << no << no;
        QTest::newRow("minus zero") << QByteArray("-0") << no << no;
        QTest::newRow("plus sign") << QByteArray("+5") << 5 << 5;
        QTest::newRow("leading zeros") << QByteArray("000000000000000000000106") << 106 << 106;
        QTest::newRow("leading blanks") << QByteArray("  106") << 106 << 106;
        QTest::newRow("leading tab") << QByteArray("\t106") << 106 << 106;
        QTest::newRow("trailing blank") << QByteArray("106 ") << no << 106;
        QTest::newRow("trailing tab") << QByteArray("106\t") << no << 106;
        QTest::newRow("trailing NUL") << QByteArray("106\0", 4) << no << 106;
        QTest::newRow("blanks around") << QByteArray(" -7 ") << no << -7;
        QTest::newRow("blank inside") << QByteArray("1 06") << no << no;
        QTest::newRow("letter after") << QByteArray("12a") << no << no;
        QTest::newRow("letter before") << QByteArray("a12") << no << no;
        QTest::newRow("hex") << QByteArray("0x10") << no << no;
        QTest::newRow("sign only") << QByteArray("-") << no << no;
        QTest::newRow("blank only") << QByteArray(" ") << no << no;
        QTest::newRow("empty") << QByteArray() << no << no;
        QTest::newRow("int max") << QByteArray("2147483647") << std::numeric_limits<int>::max()
                                 << std::numeric_limits<int>::max();
        QTest::newRow("int min") << QByteArray("-2147483648") << std::numeric_limits<int>::min()
                                 << std::numeric_limits<int>::min();
        QTest::newRow("int max + 1") << QByteArray("2147483648") << no << no;
        QTest::newRow("int min - 1") << QByteArray("-2147483649") << no << no;
        QTest::newRow("wraps to 106 in 32 bits") << QByteArray("4294967402") << no << no;
        QTest::newRow("many digits") << QByteArray(5000, '9') << no << no;
    }
    void positionLines() {
        QFETCH(QByteArray, text);
        QFETCH(int, untrimmed);
        QFETCH(int, trimmed);
        auto expected = [](int v) { return v == -1 ? std::optional<int>() : std::optional<int>(v); };
        const ConfigFileContents c =
            readBack("\r\n\r\n\r\n" + text + "\r\n" + text + "\r\n" + text + "\r\n" + text + "\r\n");
        QCOMPARE(c.form1.left, expected(untrimmed));
        QCOMPARE(c.form1.top, expected(untrimmed));
        QCOMPARE(c.rec.left, expected(trimmed));
        QCOMPARE(c.rec.top, expected(untrimmed));
    }

    void missingPositionLinesAreNotApplied() {
        const ConfigFileContents c = readBack("\r\n\r\n\r\n106\r\n269");
        QCOMPARE(c.form1, (StoredPosition{106, 269}));
        QCOMPARE(c.rec, StoredPosition{});
    }

    // --- whole files -------------------------------------------------------

    void exampleFile() {
        const ConfigFileContents c = readBack(
            "Tavlo 1.0\r\n111111111111111111111"
            "00\r\n01111\r\n106\r\n269\r\n214\r\n442\r\n");
        QCOMPARE(c.firstLine, QStringLiteral("Tavlo 1.0"));
        QCOMPARE(pattern(c.channelBoxes), QByteArray(21, '1') + "00");
        QCOMPARE(optionPattern(c.options), QByteArray("01111"));
        QCOMPARE(c.form1, (StoredPosition{106, 269}));
        QCOMPARE(c.rec, (StoredPosition{214, 442}));
    }

    // CR LF, LF, a mix and a missing last line end all read alike; a CR is
    // part of the line end only right before LF or the end of the file.
    void lineEndings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF") << QByteArray("Top\r\n0101\r\n01010\r\n-5\r\n6\r\n 7 \r\n8\r\n");
        QTest::newRow("LF") << QByteArray("Top\n0101\n01010\n-5\n6\n 7 \n8\n");
        QTest::newRow("mixed") << QByteArray("Top\n0101\r\n01010\n-5\r\n6\n 7 \r\n8");
        QTest::newRow("no last line end, trailing CR") << QByteArray("Top\n0101\n01010\n-5\n6\n 7 \n8\r");
        QTest::newRow("lines past seven") << QByteArray("Top\n0101\n01010\n-5\n6\n 7 \n8\n0\n0\n\n");
    }
    void lineEndings() {
        QFETCH(QByteArray, bytes);
        const ConfigFileContents c = readBack(bytes);
        QCOMPARE(c.firstLine, QStringLiteral("Top"));
        QCOMPARE(pattern(c.channelBoxes), "0101" + kAllBoxes.left(19));
        QCOMPARE(optionPattern(c.options), QByteArray("01010"));
        QCOMPARE(c.form1, (StoredPosition{-5, 6}));
        QCOMPARE(c.rec, (StoredPosition{7, 8}));
    }

    // A CR left over before CR LF stays in the line and spoils a number.
    void strayCarriageReturnIsPartOfTheLine() {
        const ConfigFileContents c = readBack("\r\r\n\r\n\r\n106\r\r\n269\r\n 214\r\r\n");
        QCOMPARE(c.firstLine, QStringLiteral("\r"));
        QCOMPARE(c.form1, (StoredPosition{std::nullopt, 269}));
        QCOMPARE(c.rec.left, std::optional<int>(214));  // trimmed away on line 6
    }

    // --- malformed and oversized input --------------------------------------

    // Random bytes of every value, with and without line ends: never more than
    // a line's cap per line, and what the flags read follows the rules.
    void binaryBytes() {
        QRandomGenerator gen(20250522);
        for (int round = 0; round < 50; ++round) {
            QByteArray bytes(int(gen.bounded(3 * kConfigMaxLineBytes)), Qt::Uninitialized);
            for (char& b : bytes) b = char(gen.bounded(256));
            const ConfigFileContents c = readBack(bytes);
            QVERIFY(c.firstLine.size() <= kConfigMaxLineBytes);
            const QByteArray first = bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n'));
            QVERIFY(first.startsWith(c.firstLine.toLatin1()));
        }
    }

    void onlyNuls() {
        const ConfigFileContents c = readBack(QByteArray(1000, '\0'));
        QCOMPARE(c.firstLine, QString(1000, QChar(0)));
        QCOMPARE(pattern(c.channelBoxes), kAllBoxes);
        QCOMPARE(optionPattern(c.options), QByteArray("11110"));
    }

    // One line of many megabytes: cut to the line cap, the rest missing.
    void enormousSingleLine() {
        const ConfigFileContents c = readBack(QByteArray(16 * 1024 * 1024, '7'));
        QCOMPARE(c.firstLine, QString(kConfigMaxLineBytes, u'7'));
        QCOMPARE(pattern(c.channelBoxes), kAllBoxes);
        QCOMPARE(c.form1, StoredPosition{});
    }

    // A line over the cap is cut, but the lines after it are still found.
    void overlongLineKeepsTheFollowingLines() {
        const ConfigFileContents c = readBack(QByteArray(3 * kConfigMaxLineBytes, 'a') + "\r\n0\r\n0\r\n" +
                                              QByteArray(5000, ' ') + "106\r\n269\r\n214\r\n442\r\n");
        QCOMPARE(c.firstLine, QString(kConfigMaxLineBytes, u'a'));
        QCOMPARE(pattern(c.channelBoxes), "0" + kAllBoxes.left(22));
        QCOMPARE(optionPattern(c.options), QByteArray("01110"));
        QVERIFY(!c.form1.left);  // the blanks fill the kept part; the digits were cut off
        QCOMPARE(c.form1.top, std::optional<int>(269));
        QCOMPARE(c.rec, (StoredPosition{214, 442}));
    }

    // Nothing past the read cap is looked at; those lines count as missing.
    void linesPastTheReadCapAreMissing() {
        const QByteArray padding(kConfigMaxReadBytes - 2, 'p');
        const ConfigFileContents c = readBack(padding + "\r\n0000\r\n00000\r\n106\r\n");
        QCOMPARE(c.firstLine.size(), kConfigMaxLineBytes);
        QCOMPARE(pattern(c.channelBoxes), kAllBoxes);
        QCOMPARE(optionPattern(c.options), QByteArray("11110"));
        QCOMPARE(c.form1, StoredPosition{});
    }
};

TAVLO_TEST_GUILESS_MAIN(ConfigReadTest)
#include "test_config_read.moc"
