// The meter poll over two simulated cards whose meters read different
// constants: the scan's list, metering the chosen line of the card in use
// only, the 10 ms throttle; updates on a card's reports where it makes
// them, else the timer that runs every 10 ms while a meter shows and slowly
// while none does.

#include "app/meter_poll.h"
#include "controls/picture.h"
#include "meter/vu_panel.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "play/form1.h"
#include "strips/channel_strip.h"
#include "strips/mini_meter.h"
#include "strips/shared_state.h"
#include "support/sim_fixture.h"
#include "support/test_main.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

namespace {

QByteArray meter(int value) {
    if (value < 0) return R"({"type":"peakmeter","meter":{"signal":"list","values":[[20000],[4000]]}})";
    return QByteArray(R"({"type":"peakmeter","meter":{"signal":"constant","value":)") + QByteArray::number(value) +
           "}}";
}

// Card 0: the speakers line reads 4000 (level 2), its stereo source
// "Wave" 20000 (level 10), its mono source "Mic" 18000 (level 9), "CD" has
// no meter. Card 1: the speakers line reads 16000 (level 8); its source
// has no meter. A negative speakersA: that meter moves (20000, 4000, ...).
QByteArray twoCards(int speakersA = 4000) {
    return QByteArray(R"({"devices":[
      {"name":"Card A","destinations":[{"type":"speakers","channels":2,"name":"Speakers A",
        "controls":[{"type":"volume","values":[40000,40000]},)") +
           meter(speakersA) + R"(],
        "sources":[
          {"type":"waveout","channels":2,"name":"Wave","controls":[{"type":"volume","values":[1,1]},)" +
           meter(20000) + R"(]},
          {"type":"microphone","channels":1,"name":"Mic","controls":[{"type":"volume","values":1},)" +
           meter(18000) + R"(]},
          {"type":"compactdisc","channels":2,"name":"CD","controls":[{"type":"volume","values":[1,1]}]}]}]},
      {"name":"Card B","destinations":[{"type":"speakers","channels":2,"name":"Speakers B",
        "controls":[{"type":"volume","values":[30000,30000]},)" +
           meter(16000) + R"(],
        "sources":[{"type":"waveout","channels":2,"name":"Wave B","controls":[{"type":"volume","values":[1,1]}]}]}]}]})";
}

struct Rig {
    SimFixture sim;
    SharedState state;
    TForm1 play{state, *sim.service};
    TForm2 vu{state};
    MeterPoll poll{state, *play.Mixer, *play.strips().front(), vu};
    std::int64_t now = 1000;

    explicit Rig(const QByteArray& cards = twoCards()) : sim(cards) {
        state.StartingUp = false;
        poll.SetTickSource([this] { return now; });
    }
    // One pass that the throttle lets through.
    void pass() {
        now += MeterPoll::kThrottleMs;
        poll.UpdateMeters();
    }
    QImage masterFace(const char* name) const {
        return play.findChild<TPicture*>(QString::fromLatin1(name))->Picture().toImage();
    }
};

using Row = std::tuple<int, int, int>;  // card, destination, source

QList<Row> rowsOf(const MeterPoll& poll) {
    QList<Row> rows;
    for (const MeterListRow& r : poll.MeterList()) rows << Row{r.card, r.dest, r.source};
    return rows;
}

}  // namespace

class TestMeterPoll : public QObject {
    Q_OBJECT
private slots:
    void scanListsMeteredLinesAndReplacesThem() {
        Rig r;
        r.poll.button2Click();
        const QList<Row> expected{{0, 0, -1}, {0, 0, 0}, {0, 0, 1}, {1, 0, -1}};
        QCOMPARE(rowsOf(r.poll), expected);
        QCOMPARE(r.poll.MeterList()[1].caption, QStringLiteral("Wave"));
        QCOMPARE(r.poll.MeterMixers(1)->MixerId(), 1);
        QVERIFY(!r.poll.MeterMixers(2));
        r.poll.button2Click();  // the tray icon's scan
        QCOMPARE(rowsOf(r.poll), expected);

        // One update logs one over-peak per channel, however many scans ran.
        r.state.MeterSourceIndex = 0;
        r.pass();
        QCOMPARE(r.state.OverPeakCount, 2);
    }

    void metersOnlyTheChosenLineOfTheCardInUse_data() {
        QTest::addColumn<int>("card");
        QTest::addColumn<int>("source");  // MeterSourceIndex
        QTest::addColumn<int>("left");    // level shown, -1: nothing
        QTest::addColumn<int>("right");   // -1: right side untouched
        QTest::newRow("card 0, destination") << 0 << 255 << 2 << 2;
        QTest::newRow("card 1, destination") << 1 << 255 << 8 << 8;
        QTest::newRow("card 0, stereo source") << 0 << 0 << 10 << 10;
        // The first row that reads is the stereo destination's: the mono
        // reading shows on both sides.
        QTest::newRow("card 0, mono source, stereo row") << 0 << 1 << 9 << 9;
        QTest::newRow("card 0, source without meter") << 0 << 2 << -1 << -1;
        QTest::newRow("card 1, source without meter") << 1 << 0 << -1 << -1;
    }
    void metersOnlyTheChosenLineOfTheCardInUse() {
        QFETCH(int, card);
        QFETCH(int, source);
        QFETCH(int, left);
        QFETCH(int, right);
        Rig r;
        r.state.MixerIndex = std::uint8_t(card);
        r.state.MeterDestIndex = 0;
        r.state.MeterSourceIndex = std::uint8_t(source);
        r.poll.button2Click();
        r.vu.ShowForLine(true);
        const QImage rest = r.masterFace("vur1");
        const auto faces = drawMiniMeterFaces();
        for (int i = 0; i < 3; ++i) {
            r.pass();
            QCOMPARE(r.vu.Label1->isVisible(), left < 0);  // "No peak detected..." stays without a reading
            QCOMPARE(r.vu.Label11->text(), QString::number(std::max(left, 0)));
            QCOMPARE(r.vu.Label15->text(), QString::number(std::max(right, 0)));
            // Held peaks follow this line alone, not the largest of the cards.
            QCOMPARE(r.state.LeftPeakHold, std::max(left, 0));
            if (left >= 0) QCOMPARE(r.masterFace("vul1"), faces[std::min(left, 10)].toImage());
            QCOMPARE(r.masterFace("vur1"), right >= 0 ? faces[std::min(right, 10)].toImage() : rest);
        }
        QCOMPARE(r.play.Mixer->MixerId(), card);  // the main mixer object stays on the card in use
    }

    void rowWalkReadsASelectorFirst_data() {
        QTest::addColumn<int>("items");  // of the selector before the meter
        QTest::newRow("12 sources") << 12;
        QTest::newRow("32 sources") << 32;
    }
    void rowWalkReadsASelectorFirst() {
        // A recording line whose first control selects among many sources:
        // its row reads (all its values), so the meter shows.
        QFETCH(int, items);
        QStringList choice(items, QStringLiteral("0")), names;
        choice[0] = QStringLiteral("1");
        for (int i = 0; i < items; ++i) names << QStringLiteral("\"In %1\"").arg(i);
        Rig r(QByteArray(R"({"devices":[{"name":"Many inputs","destinations":[{"type":"wavein","channels":2,
            "name":"Capture","controls":[{"type":"mux","uniform":true,"items":[)") +
              names.join(QLatin1Char(',')).toLatin1() + R"(],"values":[)" + choice.join(QLatin1Char(',')).toLatin1() +
              R"(]},)" + meter(20000) + R"(],"sources":[]}]}]})");
        r.state.MeterSourceIndex = 255;
        r.poll.button2Click();
        QCOMPARE(r.poll.MeterList().size(), std::size_t(1));
        r.vu.ShowForLine(false);
        r.pass();
        QVERIFY(!r.vu.Label1->isVisible());
        QCOMPARE(r.vu.Label11->text(), QStringLiteral("10"));
        QCOMPARE(r.vu.Label15->text(), QStringLiteral("10"));
    }

    void throttle_data() {
        QTest::addColumn<QList<int>>("ticks");
        QTest::addColumn<QList<int>>("counts");  // over-peaks after each pass, two per update
        QTest::newRow("10 ms apart at least")
            << QList<int>{1000, 1005, 1009, 1010, 1019, 1020, 1500} << QList<int>{2, 2, 2, 4, 4, 6, 8};
        QTest::newRow("first pass after a scan") << QList<int>{10, 10, 19, 20} << QList<int>{2, 2, 2, 4};
    }
    void throttle() {
        QFETCH(QList<int>, ticks);
        QFETCH(QList<int>, counts);
        Rig r;
        r.state.MeterSourceIndex = 0;  // "Wave": 20000 on both channels
        r.poll.button2Click();
        QCOMPARE(r.poll.LastMeterTick(), 0);
        for (int i = 0; i < ticks.size(); ++i) {
            r.now = ticks[i];
            r.poll.UpdateMeters();
            QCOMPARE(r.state.OverPeakCount, counts[i]);
        }
    }

    void reportedMetersUpdateWithTheirReports() {
        using std::chrono::milliseconds;
        // Card 0's meter moves and is reported by the card's own clock; the
        // card in use is card 1, whose meter stands at 16000 (level 8).
        Rig r(twoCards(-1));
        SimDriver& card = *r.sim.driver;
        r.state.MixerIndex = 1;
        r.state.MeterSourceIndex = 255;
        QCOMPARE(card.meterPeriod(), milliseconds(0));
        r.poll.button2Click();
        QVERIFY(!r.poll.Timer()->isActive());
        // Nothing shows a meter: the card is asked for values slowly.
        QCOMPARE(card.meterPeriod(), milliseconds(MeterPoll::kHiddenMs));
        // The scan's own update comes from the event loop.
        QCOMPARE(r.poll.LastMeterTick(), 0);
        QTRY_COMPARE(r.poll.LastMeterTick(), r.now);
        QCOMPARE(r.state.LeftPeakHold, 8);
        // Shown: 10 ms asked for, the meter's own pace given, and the level
        // shown as it is.
        r.vu.show();
        QCOMPARE(card.meterPeriod(), SimDriver::kMeterPeriod);
        QVERIFY(!r.poll.Timer()->isActive());
        r.now += MeterPoll::kThrottleMs;
        QTRY_COMPARE(r.poll.LastMeterTick(), r.now);

        // A report updates at once when the throttle allows, else as soon
        // as it does; a report from another card does not.
        r.now += MeterPoll::kThrottleMs;
        emit card.metersChanged(card.deviceKey(1));
        QCOMPARE(r.poll.LastMeterTick(), r.now);
        const std::int64_t last = r.now;
        r.now += 5;
        emit card.metersChanged(card.deviceKey(1));
        QCOMPARE(r.poll.LastMeterTick(), last);
        r.now += 5;
        QTRY_COMPARE(r.poll.LastMeterTick(), r.now);
        r.now += 50;
        emit card.metersChanged(card.deviceKey(0));
        QTest::qWait(3 * SimDriver::kMeterPeriod.count());  // card 0's clock reports too
        QCOMPARE(r.poll.LastMeterTick(), r.now - 50);

        // A meter that does not move: a held lamp let go is lit again by
        // an update, as the level stays.
        QVERIFY(QMetaObject::invokeMethod(r.vu.Timer2, "timeout"));
        QCOMPARE(r.state.LeftPeakHold, 0);
        QTRY_COMPARE(r.poll.LastMeterTick(), r.now);
        QCOMPARE(r.state.LeftPeakHold, 8);

        r.vu.hide();
        QCOMPARE(card.meterPeriod(), milliseconds(MeterPoll::kHiddenMs));
        card.setMeterReports(false);  // polled from now on
        r.poll.button2Click();
        QVERIFY(r.poll.Timer()->isActive());
        QCOMPARE(card.meterPeriod(), milliseconds(0));
    }

    void silentReportedMeterRunsNoTimer() {
        // A card that reports its meters, the meter at 0, the mini-meter
        // shown: after the level is shown once, nothing is left to wake up.
        Rig r(twoCards(0));
        r.state.MeterSourceIndex = 255;
        r.poll.button2Click();
        r.play.show();
        QTRY_COMPARE(r.poll.LastMeterTick(), r.now);
        QCOMPARE(r.vu.Label11->text(), QStringLiteral("0"));
        QCoreApplication::processEvents();
        for (const QObject* owner : {static_cast<QObject*>(&r.poll), static_cast<QObject*>(&r.vu)})
            for (const QTimer* t : owner->findChildren<QTimer*>())
                QVERIFY2(!t->isActive(), qPrintable(t->objectName()));
    }

    void timerRunsFastOnlyWhileAMeterShows() {
        Rig r;
        r.sim.driver->setMeterReports(false);  // a card that cannot tell when its meters move
        const QTimer* t = r.poll.Timer();
        QCOMPARE(t->interval(), 10);
        r.vu.show();
        QVERIFY(!t->isActive());  // no scan yet
        r.vu.hide();
        r.poll.button2Click();
        // Nothing shows a meter: polled slowly for the held peaks and the log.
        QVERIFY(t->isActive());
        QCOMPARE(t->interval(), MeterPoll::kHiddenMs);
        QVERIFY(MeterPoll::kHiddenMs > MeterPoll::kThrottleMs);
        r.vu.show();
        QCOMPARE(t->interval(), 10);
        QCOMPARE(t->timerType(), Qt::PreciseTimer);
        r.vu.hide();
        QCOMPARE(t->interval(), MeterPoll::kHiddenMs);
        r.play.show();  // the master strip's mini-meter
        QCOMPARE(t->interval(), 10);
        QWidget* master = r.play.findChild<QWidget*>(QStringLiteral("cha0"));
        master->hide();
        QCOMPARE(t->interval(), MeterPoll::kHiddenMs);
        master->show();
        QCOMPARE(t->interval(), 10);
        r.play.hide();
        QCOMPARE(t->interval(), MeterPoll::kHiddenMs);
        QVERIFY(t->isActive());

        // Hidden, over-peaks are still logged.
        r.poll.SetTickSource([] {
            using namespace std::chrono;
            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        });
        r.state.MeterSourceIndex = 0;
        QTRY_VERIFY(r.state.OverPeakCount >= 2);
        QVERIFY(!r.vu.isVisible());

        // Shown, every 10 ms.
        r.vu.show();
        QTRY_VERIFY(r.state.OverPeakCount >= 6);

        // A card without meters has nothing to poll, shown or not.
        Rig silent(R"({"devices":[{"name":"No meters","destinations":[{"type":"speakers","channels":2,"name":"S",
            "controls":[{"type":"volume","values":[40000,40000]}],"sources":[]}]}]})");
        silent.sim.driver->setMeterReports(false);
        silent.poll.button2Click();
        silent.vu.show();
        QVERIFY(!silent.poll.Timer()->isActive());
    }
};

TAVLO_TEST_MAIN(TestMeterPoll)
#include "test_meter_poll.moc"
