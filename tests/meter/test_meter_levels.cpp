// What a peak reading shows: level, face, lamps, held lamp, over-peak, and
// the log entry's text.

#include "meter/meter_levels.h"
#include "support/test_main.h"

#include <QtTest>

#include <limits>

class TestMeterLevels : public QObject {
    Q_OBJECT
private slots:
    void levelFaceOverPeak_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("face");
        QTest::addColumn<bool>("over");
        QTest::newRow("silence") << qint64(0) << 0 << 0 << false;
        QTest::newRow("just below a step") << qint64(1999) << 0 << 0 << false;
        QTest::newRow("one step") << qint64(2000) << 1 << 1 << false;
        QTest::newRow("17999: no over-peak") << qint64(17999) << 8 << 8 << false;
        QTest::newRow("18000: over-peak") << qint64(18000) << 9 << 9 << true;
        QTest::newRow("negative reads as its size") << qint64(-18000) << 9 << 9 << true;
        QTest::newRow("12 shows full scale") << qint64(24000) << 12 << 10 << true;
        QTest::newRow("16-bit top") << qint64(32767) << 16 << 10 << true;
        QTest::newRow("capped at 40") << qint64(100000) << 40 << 10 << true;
        QTest::newRow("INT_MIN word") << qint64(std::numeric_limits<int>::min()) << 40 << 10 << true;
    }
    void levelFaceOverPeak() {
        QFETCH(qint64, value);
        QFETCH(int, level);
        QFETCH(int, face);
        QFETCH(bool, over);
        QCOMPARE(vu::meterLevel(value), level);
        QCOMPARE(vu::faceFor(level), face);
        QCOMPARE(vu::isOverPeak(level), over);
        QCOMPARE(vu::needleAngle(face), -50.0 + 10.0 * face);
    }

    void lamps_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("hold");
        QTest::addColumn<QString>("lit");  // lamp 1 first
        QTest::newRow("dark") << 0 << 0 << "0000000000";
        QTest::newRow("bar of 3") << 3 << 0 << "1110000000";
        QTest::newRow("bar and held 7") << 3 << 7 << "1110001000";
        QTest::newRow("held inside the bar") << 5 << 2 << "1111100000";
        QTest::newRow("held 9") << 2 << 9 << "1100000010";
        QTest::newRow("held above 9 lights the top") << 0 << 12 << "0000000001";
        QTest::newRow("level 12: all") << 12 << 0 << "1111111111";
    }
    void lamps() {
        QFETCH(int, level);
        QFETCH(int, hold);
        QFETCH(QString, lit);
        QString shown;
        for (int lamp = 1; lamp <= vu::kLampCount; ++lamp) shown += vu::lampLit(lamp, level, hold) ? '1' : '0';
        QCOMPARE(shown, lit);
    }

    void hold_data() {
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("restart");
        QTest::newRow("lower reading keeps the hold") << 5 << 3 << 5 << false;
        QTest::newRow("equal reading restarts") << 5 << 5 << 5 << true;
        QTest::newRow("higher reading takes over") << 3 << 9 << 9 << true;
        // Nothing held, nothing to let go: silence runs no release timer.
        QTest::newRow("silence over nothing held") << 0 << 0 << 0 << false;
    }
    void hold() {
        QFETCH(int, held);
        QFETCH(int, level);
        QFETCH(int, after);
        QFETCH(bool, restart);
        const vu::Hold h = vu::holdAfter(held, level);
        QCOMPARE(h.level, after);
        QCOMPARE(h.restart, restart);
    }

    void logLimit() {
        QVERIFY(vu::logsOverPeak(0));
        QVERIFY(vu::logsOverPeak(99));
        QVERIFY(!vu::logsOverPeak(100));
    }

    void overPeakEntry_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QChar>("side");
        QTest::addColumn<QString>("entry");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("en_US, no time zone") << us << QChar('L') << "L 9 at 3/4/24 1:02:03 PM";
        QTest::newRow("de_DE") << de << QChar('R') << "R 9 at 04.03.24 13:02:03";
    }
    void overPeakEntry() {
        QFETCH(QLocale, locale);
        QFETCH(QChar, side);
        QFETCH(QString, entry);
        const QDateTime at(QDate(2024, 3, 4), QTime(13, 2, 3));
        // Newer locale data puts a narrow space before "PM".
        QCOMPARE(vu::overPeakEntry(side, 9, at, locale).replace(QChar(0x202F), QLatin1Char(' ')), entry);
    }

    void entryIsCutAt40() {
        // A locale's long formats can outgrow the entry: it keeps 40 characters.
        const QDateTime at(QDate(2024, 3, 4), QTime(13, 2, 3));
        for (const QLocale& l : {QLocale(QLocale::Tamil, QLocale::India), QLocale(QLocale::Arabic, QLocale::Egypt),
                                 QLocale(QLocale::English, QLocale::UnitedStates)}) {
            const QString e = vu::overPeakEntry(QLatin1Char('L'), 40, at, l);
            QVERIFY2(e.size() <= vu::kEntryLength, qPrintable(e));
            QVERIFY(e.startsWith(QStringLiteral("L 40 at ")));
        }
    }

    void clockTitle() {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QDateTime at(QDate(2024, 3, 4), QTime(13, 2, 3));
        QCOMPARE(vu::clockTitle(QStringLiteral("Wave"), at, us),
                 QStringLiteral("Wave  Monday, March 4, 2024  13:02:03"));
    }
};

TAVLO_TEST_APPLESS_MAIN(TestMeterLevels)
#include "test_meter_levels.moc"
