// TSmoothShow: the frames' rectangles and outline as pure functions, and
// one real run over a window: hidden while the frame moves, its own
// outline back at the end, the finish events in order.

#include "controls/smooth_show.h"
#include "support/test_main.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <memory>

using smooth_show::MinLocation;

namespace {
// An opaque child, as the mixers' strips are: it repaints only when asked
// itself.
struct ShowPaints : QWidget {
    explicit ShowPaints(QWidget* parent) : QWidget(parent) { setAutoFillBackground(true); }
    int paints = 0;
    void paintEvent(QPaintEvent*) override { ++paints; }
};
}  // namespace

class TestSmoothShow : public QObject {
    Q_OBJECT
private slots:
    void progressAccelerates() {
        QList<int> seen{0};
        while (seen.back() < 100) seen << smooth_show::NextProgress(seen.back());
        QCOMPARE(seen, QList<int>({0, 2, 5, 9, 15, 24, 38, 59, 90, 100}));
    }

    void frameRect_data() {
        QTest::addColumn<int>("progress");
        QTest::addColumn<QRect>("from");
        QTest::addColumn<QRect>("to");
        QTest::addColumn<QRect>("expected");
        const QRect point(960, 540, 0, 0), window(100, 200, 241, 127);
        QTest::newRow("start") << 0 << point << window << point;
        QTest::newRow("end") << 100 << point << window << window;
        // 960 − 860·59/100 = 960 − 507 (truncated toward zero), 241·59/100 = 142
        QTest::newRow("growing") << 59 << point << window << QRect(453, 340, 142, 74);
        QTest::newRow("shrinking") << 59 << window << point << QRect(607, 400, 99, 53);
        QTest::newRow("far apart, no overflow")
            << 50 << QRect(-2000000000, 0, 0, 0) << QRect(2000000000, 0, 0, 0) << QRect(0, 0, 0, 0);
        QTest::newRow("progress past the end is the end") << 150 << point << window << window;
    }
    void frameRect() {
        QFETCH(int, progress);
        QFETCH(QRect, from);
        QFETCH(QRect, to);
        QFETCH(QRect, expected);
        QCOMPARE(smooth_show::FrameRect(progress, from, to), expected);
    }

    void smallRect_data() {
        QTest::addColumn<MinLocation>("where");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("centre") << MinLocation::mlCenter << QRect(960, 540, 0, 0);
        QTest::newRow("top left") << MinLocation::mlTopLeft << QRect(0, 0, 0, 0);
        QTest::newRow("top right") << MinLocation::mlTopRight << QRect(1920, 0, 0, 0);
        QTest::newRow("bottom left") << MinLocation::mlBottomLeft << QRect(0, 1080, 0, 0);
        QTest::newRow("bottom right") << MinLocation::mlBottomRight << QRect(1920, 1080, 0, 0);
        QTest::newRow("custom") << MinLocation::mlCustom << QRect(5, 6, 27, 27);
    }
    void smallRect() {
        QFETCH(MinLocation, where);
        QFETCH(QRect, expected);
        QCOMPARE(smooth_show::SmallRect(where, QRect(0, 0, 1920, 1080), QRect(5, 6, 27, 27)), expected);
    }

    void frameRegion_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("border");
        QTest::addColumn<int>("area");  // pixels covered
        QTest::newRow("one pixel frame") << QSize(10, 8) << 1 << 80 - 8 * 6;
        QTest::newRow("three pixel frame") << QSize(20, 10) << 3 << 200 - 14 * 4;
        QTest::newRow("border fills it") << QSize(6, 6) << 3 << 36;
        QTest::newRow("a point") << QSize(0, 0) << 1 << 0;
        QTest::newRow("no border") << QSize(10, 10) << 0 << 0;
    }
    void frameRegion() {
        QFETCH(QSize, size);
        QFETCH(int, border);
        QFETCH(int, area);
        const QRegion r = smooth_show::FrameRegion(size, border);
        int covered = 0;
        for (const QRect& rect : r) covered += rect.width() * rect.height();
        QCOMPARE(covered, area);
        if (area) QVERIFY(r.contains(QPoint(0, 0)) && r.contains(QPoint(size.width() - 1, size.height() - 1)));
    }

    void runsOverItsWindow_data() {
        QTest::addColumn<bool>("reverse");
        QTest::newRow("show") << false;
        QTest::newRow("hide") << true;
    }
    void runsOverItsWindow() {
        QFETCH(bool, reverse);
        QWidget window;
        window.setGeometry(300, 200, 120, 80);
        const QRegion ownOutline(0, 0, 60, 80);
        window.setMask(ownOutline);
        auto* child = new ShowPaints(&window);
        child->setGeometry(10, 10, 40, 40);
        int paintsAtFinish = -1;
        TSmoothShow s(&window);
        QCOMPARE(s.Control(), &window);
        s.SetDelay(1);
        s.SetColor(QColor(128, 255, 128));
        s.SetBorderWidth(2);
        s.SetReverse(reverse);
        s.SetEnabled(true);
        QStringList events;
        QRect lastFrame;
        s.OnFinishing = [&](TSmoothShow* sender) {
            QCOMPARE(sender, &s);
            QVERIFY(s.FrameWindow());
            lastFrame = s.FrameWindow()->geometry();
            QCOMPARE(s.FrameWindow()->palette().color(QPalette::Window), QColor(128, 255, 128));
            events << "finishing";
        };
        s.OnFinish = [&](TSmoothShow*) {
            QVERIFY(!s.FrameWindow() && !s.Running());
            QCOMPARE(window.mask(), ownOutline);
            paintsAtFinish = child->paints;
            events << "finish";
            s.SetEnabled(false);
        };
        window.show();
        s.Execute();
        QVERIFY(s.Running());
        QCOMPARE(s.Executed(), 1);
        // Hidden while the frame moves: an outline outside the window.
        QVERIFY(!window.mask().isEmpty());
        QVERIFY(!window.mask().intersects(window.rect()));
        s.Execute();  // ignored while running
        QCOMPARE(s.Executed(), 1);
        s.SetControl(nullptr);  // ignored too
        QCOMPARE(s.Control(), &window);
        QTRY_VERIFY(!s.Running());
        QCOMPARE(events, QStringList({"finishing", "finish"}));
        QCOMPARE(s.Progress(), 100);
        // What the window drew behind the outline was clipped away: with the
        // outline gone every widget in it draws again, the opaque ones too.
        QTRY_VERIFY(child->paints > paintsAtFinish);
        // The last frame is the small rectangle for a hide, the window's bounds for a show.
        const QRect centre = smooth_show::SmallRect(MinLocation::mlCenter, window.screen()->geometry(), {});
        if (reverse)
            QCOMPARE(lastFrame.topLeft(), centre.topLeft());
        else
            QCOMPARE(lastFrame, QRect(window.mapToGlobal(QPoint(0, 0)), window.size()));
        QVERIFY(!s.Enabled());
    }

    void doesNothingDisabledOrWithoutControl() {
        QWidget window;
        const QRegion ownOutline(0, 0, 5, 5);
        window.setMask(ownOutline);
        TSmoothShow s(&window);
        s.Execute();  // off by default
        QVERIFY(!s.Running());
        QCOMPARE(s.Executed(), 0);
        QCOMPARE(window.mask(), ownOutline);
        TSmoothShow loose;
        loose.SetEnabled(true);
        loose.Execute();
        QCOMPARE(loose.Executed(), 0);
    }

    void windowGoneMidRun() {
        auto window = std::make_unique<QWidget>();
        TSmoothShow s;
        s.SetControl(window.get());
        s.SetDelay(1);
        s.SetEnabled(true);
        s.Execute();
        window.reset();
        QCOMPARE(s.Control(), nullptr);
        QTRY_VERIFY(!s.Running());
    }
};

TAVLO_TEST_MAIN(TestSmoothShow)
#include "test_smooth_show.moc"
