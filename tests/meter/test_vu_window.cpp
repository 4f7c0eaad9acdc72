// The VU window on its own: what one update shows, the over-peak log and
// its limit, RESET, the held lamps' release, and its tray icon's clicks.

#include "controls/panel.h"
#include "controls/smooth_show.h"
#include "controls/tray_icon.h"
#include "meter/vu_panel.h"
#include "meter/vu_pictures.h"
#include "meter/vu_window.h"
#include "strips/shared_state.h"
#include "support/test_main.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(std::optional<int>)

namespace {

int faceShown(const TForm2& vu, const TVuPart* side) {
    for (int k = 0; k < int(vu.vuf.size()); ++k)
        if (vu.vuf[k]->Picture().cacheKey() == side->Picture().cacheKey()) return k;
    return -1;
}

QString lampsShown(const std::array<TVuPart*, 10>& lamps) {
    QString s;
    for (const TVuPart* l : lamps) s += l->isHidden() ? '0' : '1';
    return s;
}

// The window's picture at a part's place.
QImage shownAt(const QImage& window, const TVuPart* part) {
    return window.copy(part->geometry()).convertToFormat(QImage::Format_RGB32);
}

QImage rgb(const QPixmap& p) { return p.toImage().convertToFormat(QImage::Format_RGB32); }

// What the panel repainted, in window coordinates.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* panel) : panel_(panel) { panel->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region().translated(panel_->pos());
        return false;
    }

private:
    QWidget* panel_;
};

}  // namespace

class TestVuWindow : public QObject {
    Q_OBJECT
private slots:
    void oneUpdate_data() {
        QTest::addColumn<int>("left");
        QTest::addColumn<std::optional<int>>("right");
        QTest::addColumn<int>("heldLeft");
        QTest::addColumn<int>("faceLeft");
        QTest::addColumn<int>("faceRight");
        QTest::addColumn<QString>("lampsLeft");
        QTest::addColumn<QString>("lampsRight");
        QTest::addColumn<int>("logged");
        QTest::newRow("silence keeps a held lamp") << 0 << std::optional<int>(0) << 4 << 0 << 0 << "0001000000"
                                                   << "0000000000" << 0;
        QTest::newRow("8 and 9: right over-peak") << 8 << std::optional<int>(9) << 0 << 8 << 9 << "1111111100"
                                                  << "1111111110" << 1;
        QTest::newRow("12: full scale, all lamps") << 12 << std::optional<int>(12) << 0 << 10 << 10 << "1111111111"
                                                   << "1111111111" << 2;
        QTest::newRow("one channel: right face at rest") << 9 << std::optional<int>() << 0 << 9 << 0 << "1111111110"
                                                         << "0000000000" << 1;
    }
    void oneUpdate() {
        QFETCH(int, left);
        QFETCH(std::optional<int>, right);
        QFETCH(int, heldLeft);
        QFETCH(int, faceLeft);
        QFETCH(int, faceRight);
        QFETCH(QString, lampsLeft);
        QFETCH(QString, lampsRight);
        QFETCH(int, logged);
        SharedState s;
        s.LeftPeakHold = heldLeft;
        TForm2 vu(s);
        vu.ShowForLine(true);
        vu.vur->SetPicture(vu.vuf[5]->Picture());  // whatever it showed before
        vu.ShowLevels(left, right);
        QVERIFY(vu.Label1->isHidden() && vu.Label2->isHidden());
        QCOMPARE(faceShown(vu, vu.vul), faceLeft);
        QCOMPARE(faceShown(vu, vu.vur), faceRight);
        QCOMPARE(lampsShown(vu.leftLamps), lampsLeft);
        QCOMPARE(lampsShown(vu.rightLamps), lampsRight);
        QCOMPARE(vu.Label11->text(), QString::number(left));
        QCOMPARE(vu.peaklr->isVisible(), left > 8);
        QCOMPARE(vu.peaklr2->isVisible(), right.value_or(0) > 8);
        QCOMPARE(s.OverPeakCount, logged);
        QCOMPARE(vu.ComboBox4->count(), logged);
        QCOMPARE(vu.Label17->text(), QString::number(logged));
        if (logged) QCOMPARE(vu.ComboBox4->currentText(), QLatin1Char(' ') + vu.SpeedButton1->text());

        // The parts by their names, and the picture drawn: each lamp lit or
        // its column's ground, the faces above the numerals.
        const QImage shown = vu.grab().toImage();
        const QImage ground = rgb(vu::lampColumn());
        for (int side = 0; side < 2; ++side) {
            const QString lit = side ? lampsRight : lampsLeft;
            for (int i = 1; i <= 10; ++i) {
                const QString name = QStringLiteral("led%1").arg(side ? 10 * i + 1 : i);
                const auto* lamp = vu.findChild<TVuPart*>(name);
                QVERIFY2(lamp, qPrintable(name));
                QCOMPARE(lamp->isVisible(), lit[i - 1] == '1');
                const QImage expected = lamp->isVisible()
                                            ? rgb(vu::lamp(i)).copy(0, 0, 18, lamp->geometry().height())
                                            : ground.copy(5, lamp->geometry().y() - 23, 18, lamp->geometry().height());
                if (lamp->isVisible() && lamp->geometry().height() == 7) {  // led7's seventh row: the ground
                    QCOMPARE(shownAt(shown, lamp).copy(0, 0, 18, 6), rgb(vu::lamp(i)));
                    continue;
                }
                QCOMPARE(shownAt(shown, lamp), expected);
            }
        }
        const auto* vul = vu.findChild<TVuPart*>(QStringLiteral("vul"));
        const auto* vur = vu.findChild<TVuPart*>(QStringLiteral("vur"));
        QVERIFY(vul && vur && vu.findChild<TVuPart*>(QStringLiteral("Label11")));
        QCOMPARE(shown.copy(43, 25, 173, 60).convertToFormat(QImage::Format_RGB32),
                 rgb(vu::face(faceLeft)).copy(0, 1, 173, 60));
        QCOMPARE(shown.copy(231, 25, 173, 60).convertToFormat(QImage::Format_RGB32),
                 rgb(vu::face(faceRight)).copy(0, 0, 173, 60));
        for (const char* icon : {"peaklr", "peaklr2"}) {
            const auto* p = vu.findChild<TVuPart*>(QLatin1String(icon));
            QVERIFY(p);
            // Lit, the icon's red; out, the face under it.
            QCOMPARE(shown.pixel(p->geometry().center()) == rgb(vu::overPeakIcon()).pixel(16, 16), p->isVisible());
        }
    }

    void repaintsOnlyWhatChanged() {
        SharedState s;
        TForm2 vu(s);
        vu.ShowForLine(false);
        QVERIFY(QTest::qWaitForWindowExposed(&vu));
        vu.ShowLevels(3, 5);
        QCoreApplication::processEvents();
        PaintRecorder recorder(vu.VuPanel);
        auto* led7 = vu.findChild<TVuPart*>(QStringLiteral("led7"));
        led7->show();
        QCoreApplication::processEvents();
        QCOMPARE(recorder.painted, QRegion(led7->geometry()));

        led7->hide();
        QCoreApplication::processEvents();

        // One step up on the left: its lamp, and its face with the numeral
        // on it, as much as the meter panel shows of it, sent as one rectangle.
        recorder.painted = QRegion();
        vu.ShowLevels(4, 5);
        QCoreApplication::processEvents();
        const QRect meter(43, 25, 362, 100);
        QCOMPARE(recorder.painted, QRegion(vu.leftLamps[3]->geometry() | (vu.vul->geometry() & meter)));

        // Nothing changed: nothing painted.
        recorder.painted = QRegion();
        vu.ShowLevels(4, 5);
        QCoreApplication::processEvents();
        QVERIFY(recorder.painted.isEmpty());

        // What the screen holds after repaints of parts is the whole picture.
        vu.ShowLevels(9, 2);
        QCoreApplication::processEvents();
        vu.Timer1->stop();
        vu.peaklr->hide();
        vu.ShowLevels(1, 12);
        QCoreApplication::processEvents();
        const QImage onScreen = vu.screen()->grabWindow(vu.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(onScreen, vu.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    void logStopsAtHundredAndResets() {
        SharedState s;
        s.OverPeakCount = 99;
        TForm2 vu(s);
        vu.ShowLevels(9, std::nullopt);
        QCOMPARE(s.OverPeakCount, 100);
        QVERIFY(vu.SpeedButton1->text().startsWith(QStringLiteral("L 9 at ")));
        vu.Timer1->stop();
        vu.peaklr->hide();
        vu.ShowLevels(10, std::nullopt);
        QVERIFY(!vu.peaklr->isHidden());  // the icon still flashes
        QCOMPARE(s.OverPeakCount, 100);
        QCOMPARE(vu.ComboBox4->count(), 1);
        QCOMPARE(vu.Label17->text(), QStringLiteral("100"));

        vu.Button6->click();
        QCOMPARE(s.OverPeakCount, 0);
        QCOMPARE(vu.Label17->text(), QStringLiteral("0"));
        QCOMPARE(vu.ComboBox4->count(), 0);
        QCOMPARE(vu.ComboBox4->currentText(), QStringLiteral(" No Over-peak detected..."));
        QCOMPARE(vu.SpeedButton1->text(), QStringLiteral(" No Over-peak detected..."));
    }

    void logShowsAndDoubleClickClears() {
        SharedState s;
        TForm2 vu(s);
        vu.show();
        vu.ShowLevels(9, 9);
        vu.SpeedButton1->click();
        QVERIFY(vu.ComboBox4->isVisible());
        QTest::mouseDClick(vu.ComboBox4->lineEdit(), Qt::LeftButton);
        QVERIFY(!vu.ComboBox4->isVisible());
        QCOMPARE(s.OverPeakCount, 0);
    }

    void heldLampGoesDarkWithItsColumn() {
        SharedState s;
        TForm2 vu(s);
        vu.Timer2->setInterval(30);  // 5 s in the window
        vu.ShowLevels(7, 7);
        vu.ShowLevels(3, 3);
        QCOMPARE(s.LeftPeakHold, 7);
        QCOMPARE(lampsShown(vu.leftLamps), QStringLiteral("1110001000"));
        QTRY_COMPARE(s.LeftPeakHold, 0);
        QCOMPARE(lampsShown(vu.leftLamps), QStringLiteral("0000000000"));
        QCOMPARE(s.RightPeakHold, 7);  // the right side keeps its own 5 s

        // Silence with nothing held runs no release: a meter at rest wakes
        // nothing up.
        vu.ShowLevels(0, 0);
        QVERIFY(!vu.Timer2->isActive());
        QVERIFY(vu.Timer3->isActive());  // the right side still holds its 7
    }

    void overPeakIconKeepsItsFirstTwoSeconds() {
        SharedState s;
        TForm2 vu(s);
        vu.ShowLevels(9, std::nullopt);
        QVERIFY(vu.Timer1->isActive());
        const int first = vu.Timer1->remainingTime();
        QTest::qWait(40);
        vu.ShowLevels(9, std::nullopt);
        QVERIFY(vu.Timer1->remainingTime() < first);  // not restarted
    }

    void trayClicks() {
        SharedState s;
        s.StartingUp = true;
        TForm2 vu(s);
        TSmoothShow animationSwitch;
        vu.UseAnimationSwitch(&animationSwitch);
        QStringList events;
        connect(&vu, &TForm2::meterScanRequested, [&] { events << (vu.isVisible() ? "scan shown" : "scan hidden"); });
        connect(&vu, &TForm2::magnetStopRequested, [&] { events << "magnet"; });

        vu.TrayIconF1Click();  // the splash phase: nothing
        QVERIFY(events.isEmpty());
        QVERIFY(!vu.isVisible());

        s.StartingUp = false;
        vu.TrayIconF1Click();
        QVERIFY(vu.isVisible());
        QCOMPARE(vu.TrayIconF1->Icon().cacheKey(), vu.vuino.cacheKey());
        QCOMPARE(vu.SmoothShow1->Executed(), 1);
        QVERIFY(!vu.SmoothShow1->Reverse());
        QVERIFY(vu.Timer6->isActive());  // the title clock runs while shown

        animationSwitch.SetTag(1);  // animation off
        vu.TrayIconF1Click();
        QVERIFY(!vu.isVisible());
        QVERIFY(!vu.Timer6->isActive());
        QCOMPARE(vu.TrayIconF1->Icon().cacheKey(), vu.vui.cacheKey());
        QCOMPARE(vu.SmoothShow1->Executed(), 1);
        QCOMPARE(events.mid(0, 2), QStringList({"scan hidden", "magnet"}));
        QVERIFY(events.contains("scan shown"));

        vu.TrayIconF1Click();
        vu.TrayIconF1DblClick();
        QCOMPARE(vu.TrayIconF1->Icon().cacheKey(), vu.vui.cacheKey());
        QTest::mouseClick(vu.corners[3], Qt::LeftButton);  // any "X"
        QVERIFY(!vu.isVisible());
    }

    void clockTitle() {
        SharedState s;
        s.MeterChannelName = QStringLiteral("Wave");
        TForm2 vu(s);
        vu.Timer6Timer();
        QVERIFY(vu.Label14->text().startsWith(QStringLiteral("Wave  ")));
        QVERIFY(QTime::fromString(vu.Label14->text().right(8), QStringLiteral("hh:mm:ss")).isValid());
    }
};

TAVLO_TEST_MAIN(TestVuWindow)
#include "test_vu_window.moc"
