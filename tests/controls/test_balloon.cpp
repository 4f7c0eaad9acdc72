// Balloon hints: the width and placement rules, the three behaviours, the
// application-wide hints through toolTip(), and the balloon's pixels.

#include "controls/balloon.h"
#include "controls/level_balloon.h"
#include "support/test_main.h"

#include <QApplication>
#include <QtTest>

#include <climits>
#include <memory>

namespace {

const QRect kScreen(0, 0, 1024, 768);
const QColor kFill(255, 255, 225);
const QColor kBorder(0, 0, 128);

// Counts the paints a widget receives.
class BalloonPaints : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

QPoint screenCentre() { return QGuiApplication::primaryScreen()->geometry().center(); }

}  // namespace

class TestBalloon : public QObject {
    Q_OBJECT
private slots:
    void widthRules_data();
    void widthRules();
    void placement_data();
    void placement();
    void pixels_data();
    void pixels();
    void noShowMouseDownAndRegions_data();
    void noShowMouseDownAndRegions();
    void hideOnPaintAndPress_data();
    void hideOnPaintAndPress();
    void hintsComeFromToolTips_data();
    void hintsComeFromToolTips();
    void remainingInstanceKeepsHinting();
    void levelBalloon();
};

void TestBalloon::widthRules_data() {
    QTest::addColumn<int>("maxWidth");
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<int>("cursorX");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("textWidth");
    QTest::addColumn<QSize>("window");  // for a text as wide as allowed, 13 high
    QTest::newRow("-4 on 1024: 256 with the margins") << -4 << 1024 << 512 << 8 << 215 << QSize(256, 59);
    QTest::newRow("-1: the whole screen from its edge") << -1 << 1024 << 0 << 8 << 983 << QSize(1024, 59);
    QTest::newRow("pixels, cursor in the middle: half the screen") << 1000 << 1024 << 512 << 8 << 471 << QSize(512, 59);
    QTest::newRow("pixels, cursor near the left: the wider side") << 1000 << 1024 << 100 << 0 << 891 << QSize(924, 51);
    QTest::newRow("deep shadow never asks for a negative width") << 20 << 1024 << 512 << 255 << 1 << QSize(289, 306);
    QTest::newRow("one word: at least 59 wide") << 0 << 1024 << 512 << 8 << 1 << QSize(59, 59);
    QTest::newRow("the most negative value") << INT_MIN << 1024 << 512 << 8 << 1 << QSize(59, 59);
}

void TestBalloon::widthRules() {
    QFETCH(int, maxWidth);
    QFETCH(int, screenWidth);
    QFETCH(int, cursorX);
    QFETCH(int, depth);
    QFETCH(int, textWidth);
    QFETCH(QSize, window);
    const QRect screen(0, 0, screenWidth, 768);
    const int width = BalloonTextWidth(BalloonMaxWidth(maxWidth, screenWidth), cursorX, screen, depth);
    QCOMPARE(width, textWidth);
    QCOMPARE(BalloonWindowSize(QSize(width, 13), depth), window);
}

void TestBalloon::placement_data() {
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<int>("position");
    QTest::addColumn<QRect>("rect");  // for a 100 x 50 balloon
    QTest::addColumn<int>("orientation");
    const QPoint open(500, 400);
    QTest::newRow("above left") << open << kScreen << int(bpAboveLeft) << QRect(400, 350, 100, 50) << int(bpAboveLeft);
    QTest::newRow("above right") << open << kScreen << int(bpAboveRight) << QRect(500, 350, 100, 50)
                                 << int(bpAboveRight);
    QTest::newRow("below left") << open << kScreen << int(bpBelowLeft) << QRect(400, 400, 100, 50) << int(bpBelowLeft);
    QTest::newRow("below right, off the hot spot")
        << open << kScreen << int(bpBelowRight) << QRect(501, 401, 100, 50) << int(bpBelowRight);
    QTest::newRow("top edge: above right goes below right")
        << QPoint(500, 20) << kScreen << int(bpAboveRight) << QRect(501, 21, 100, 50) << int(bpBelowRight);
    QTest::newRow("bottom edge: below left goes above left")
        << QPoint(500, 750) << kScreen << int(bpBelowLeft) << QRect(400, 700, 100, 50) << int(bpAboveLeft);
    QTest::newRow("right edge: above right goes above left")
        << QPoint(1000, 400) << kScreen << int(bpAboveRight) << QRect(900, 350, 100, 50) << int(bpAboveLeft);
    QTest::newRow("left edge: below left goes below right")
        << QPoint(30, 400) << kScreen << int(bpBelowLeft) << QRect(31, 401, 100, 50) << int(bpBelowRight);
    QTest::newRow("top right corner: both flip")
        << QPoint(1000, 10) << kScreen << int(bpAboveRight) << QRect(900, 10, 100, 50) << int(bpBelowLeft);
    QTest::newRow("touching the right edge stays")
        << QPoint(924, 400) << kScreen << int(bpAboveRight) << QRect(924, 350, 100, 50) << int(bpAboveRight);
    QTest::newRow("second screen: its own left edge")
        << QPoint(1040, 500) << QRect(1024, 0, 1280, 1024) << int(bpAboveLeft) << QRect(1040, 450, 100, 50)
        << int(bpAboveRight);
}

void TestBalloon::placement() {
    QFETCH(QPoint, cursor);
    QFETCH(QRect, screen);
    QFETCH(int, position);
    QFETCH(QRect, rect);
    QFETCH(int, orientation);
    const BalloonPlacement place = PlaceBalloon(cursor, QSize(100, 50), screen, TBalloonPosition(position));
    QCOMPARE(place.Rect, rect);
    QCOMPARE(int(place.Orientation), orientation);
}

void TestBalloon::pixels_data() {
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("shadowStyle");
    QTest::newRow("above left, shaded") << int(bpAboveLeft) << int(ssShaded);
    QTest::newRow("above right, shaded") << int(bpAboveRight) << int(ssShaded);
    QTest::newRow("below left, shaded") << int(bpBelowLeft) << int(ssShaded);
    QTest::newRow("below right, solid") << int(bpBelowRight) << int(ssSolid);
}

void TestBalloon::pixels() {
    QFETCH(int, orientation);
    QFETCH(int, shadowStyle);
    BalloonLook look;
    look.Fill = kFill;
    look.Border = kBorder;
    look.ShadowDepth = 8;
    look.ShadowStyle = TBalloonShadowStyle(shadowStyle);
    const QSize size(120, 70);
    const auto o = TBalloonPosition(orientation);
    const QImage image = RenderBalloon(look, size, o, QStringLiteral("Hi"));
    QCOMPARE(image.size(), size);
    const BalloonOutline outline = BalloonOutlineFor(size, 8, o);

    // The pointer, outside the body, is filled and reaches its apex.
    const auto& p = outline.Pointer;
    const QPoint centroid = (p[0] + p[1] + p[2]) / 3;
    QVERIFY(!outline.Body.contains(centroid));
    QCOMPARE(image.pixelColor(centroid), kFill);
    const QPoint towardApex = (p[0] + centroid * 2) / 3;
    QCOMPARE(image.pixelColor(towardApex), kFill);
    // Framed with the border colour along the body's edge.
    QCOMPARE(image.pixelColor(outline.Body.center().x(), outline.Body.bottom()), kBorder);
    // Nothing around the balloon.
    QCOMPARE(qAlpha(image.pixel(size.width() - 1, 0)), 0);

    // The shadow beside the body: shaded in a checker, or solid black.
    const int y = outline.Body.center().y();
    for (int x = outline.Body.right() + 1; x <= outline.Body.right() + 8; ++x) {
        const QRgb pixel = image.pixel(x, y);
        const bool black = pixel == qRgba(0, 0, 0, 255);
        const bool clear = qAlpha(pixel) == 0;
        if (shadowStyle == ssSolid || (x + y) % 2 == 0)
            QVERIFY2(black, qPrintable(QStringLiteral("x %1 not black").arg(x)));
        else
            QVERIFY2(clear, qPrintable(QStringLiteral("x %1 not clear").arg(x)));
    }
}

void TestBalloon::noShowMouseDownAndRegions_data() {
    QTest::addColumn<int>("behavior");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("shaped");
    QTest::newRow("all, no button") << kAllBalloonBehaviors << int(Qt::NoButton) << true << true;
    QTest::newRow("all, left down: cancelled") << kAllBalloonBehaviors << int(Qt::LeftButton) << false << false;
    QTest::newRow("all, middle down: cancelled") << kAllBalloonBehaviors << int(Qt::MiddleButton) << false << false;
    QTest::newRow("shows with a button down when allowed")
        << int(bbUseRegions | bbHideOnPaint) << int(Qt::RightButton) << true << true;
    QTest::newRow("without regions: unshaped") << int(bbNoShowMouseDown) << int(Qt::NoButton) << true << false;
}

void TestBalloon::noShowMouseDownAndRegions() {
    QFETCH(int, behavior);
    QFETCH(int, buttons);
    QFETCH(bool, shown);
    QFETCH(bool, shaped);
    TBalloonBase settings;
    settings.SetBehavior(behavior);
    TBalloonHintWindow window;
    const QPoint cursor = screenCentre();
    QCOMPARE(window.ActivateHint(QStringLiteral("Mute"), cursor, Qt::MouseButtons(buttons), settings), shown);
    QCOMPARE(window.isVisible(), shown);
    if (!shown) return;
    QCOMPARE(window.Orientation(), bpAboveRight);
    QCOMPARE(window.geometry().bottomLeft(), cursor - QPoint(0, 1));
    QVERIFY(window.width() >= 59);
    QCOMPARE(window.Shape().isEmpty(), !shaped);
    QCOMPARE(window.Watching(), !shaped);
    if (!shaped) return;
    // Cut to what is drawn: the pointer in, the surround out, the shadow's
    // checker half in.
    const BalloonOutline outline = BalloonOutlineFor(window.size(), settings.ShadowDepth(), window.Orientation());
    const auto& p = outline.Pointer;
    QVERIFY(window.Shape().contains((p[0] + p[1] + p[2]) / 3));
    QVERIFY(!window.Shape().contains(QPoint(window.width() - 1, 0)));
    const int y = outline.Body.center().y();
    const int x = outline.Body.right() + 2;
    QCOMPARE(window.Shape().contains(QPoint(x, y)), (x + y) % 2 == 0);
    QCOMPARE(window.Shape().contains(QPoint(x + 1, y)), (x + 1 + y) % 2 == 0);
}

void TestBalloon::hideOnPaintAndPress_data() {
    QTest::addColumn<int>("behavior");
    QTest::addColumn<bool>("pressInstead");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("shaped: a repaint beneath leaves it") << kAllBalloonBehaviors << false << false;
    QTest::newRow("unshaped, hide on paint: a repaint beneath hides it") << int(bbHideOnPaint) << false << true;
    QTest::newRow("unshaped, no hide on paint: a repaint beneath leaves it") << 0 << false << false;
    QTest::newRow("shaped: a press elsewhere is not its business") << kAllBalloonBehaviors << true << false;
    QTest::newRow("unshaped: a press anywhere hides it") << 0 << true << true;
}

void TestBalloon::hideOnPaintAndPress() {
    QFETCH(int, behavior);
    QFETCH(bool, pressInstead);
    QFETCH(bool, hidden);
    QWidget beneath;
    BalloonPaints counter;
    beneath.installEventFilter(&counter);
    beneath.setGeometry(QRect(screenCentre() - QPoint(150, 150), QSize(300, 300)));
    beneath.show();
    QVERIFY(QTest::qWaitForWindowExposed(&beneath));
    TBalloonBase settings;
    settings.SetBehavior(behavior);
    TBalloonHintWindow window;
    QVERIFY(window.ActivateHint(QStringLiteral("Solo"), screenCentre(), Qt::NoButton, settings));
    if (pressInstead) {
        QTest::mouseClick(&beneath, Qt::LeftButton, {}, QPoint(5, 5));
    } else {
        const int before = counter.paints;
        beneath.update();
        QTRY_VERIFY(counter.paints > before);
    }
    QCoreApplication::processEvents();
    QCOMPARE(window.isHidden(), hidden);
}

void TestBalloon::hintsComeFromToolTips_data() {
    QTest::addColumn<QString>("parentTip");
    QTest::addColumn<QString>("childTip");
    QTest::addColumn<QString>("shown");  // empty: no balloon
    QTest::newRow("the hovered widget's own hint") << "Whole strip"
                                                   << "Click to mute"
                                                   << "Click to mute";
    QTest::newRow("a plain child shows its parent's hint") << "Whole strip"
                                                           << ""
                                                           << "Whole strip";
    QTest::newRow("nothing up to the window: none") << ""
                                                    << ""
                                                    << "";
}

void TestBalloon::hintsComeFromToolTips() {
    QFETCH(QString, parentTip);
    QFETCH(QString, childTip);
    QFETCH(QString, shown);
    TBalloonHint hint;
    hint.SetActive(true);
    QWidget top;
    top.setGeometry(QRect(screenCentre() - QPoint(100, 100), QSize(200, 200)));
    QWidget* parent = new QWidget(&top);  // owned by top
    parent->setGeometry(20, 20, 160, 160);
    parent->setToolTip(parentTip);
    QWidget* child = new QWidget(parent);
    child->setGeometry(10, 10, 50, 50);
    child->setToolTip(childTip);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));

    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), child->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(child, &help);
    TBalloonHintWindow* window = hint.HintWindow();
    if (shown.isEmpty()) {
        QVERIFY(!window || window->isHidden());
        return;
    }
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->Text(), shown);
    QCOMPARE(window->geometry().bottomLeft(), child->mapToGlobal(QPoint(5, 4)));
    // A key hides it; the next request shows it again; leaving its widget hides it.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QApplication::sendEvent(&top, &key);
    QVERIFY(window->isHidden());
    QApplication::sendEvent(child, &help);
    QVERIFY(window->isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(childTip.isEmpty() ? parent : child, &leave);
    QVERIFY(window->isHidden());
}

void TestBalloon::remainingInstanceKeepsHinting() {
    QWidget top;
    top.setToolTip(QStringLiteral("Tone"));
    top.setGeometry(QRect(screenCentre(), QSize(50, 50)));
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), top.mapToGlobal(QPoint(5, 5)));

    TBalloonHint first;
    first.SetActive(true);
    auto second = std::make_unique<TBalloonHint>();
    second->SetShadowDepth(0);
    second->SetActive(true);
    QApplication::sendEvent(&top, &help);
    // The latest shows the hints, drawn with its own settings.
    QVERIFY(!first.HintWindow());
    QVERIFY(second->HintWindow()->isVisible());
    const int textHeight = MeasureBalloonText(QStringLiteral("Tone"), second->Look().Font, 500).height();
    QCOMPARE(second->HintWindow()->height(), textHeight + 38);

    second.reset();
    QApplication::sendEvent(&top, &help);
    QVERIFY(first.HintWindow() && first.HintWindow()->isVisible());
    QCOMPARE(first.HintWindow()->Text(), QStringLiteral("Tone"));
    first.SetActive(false);
    QVERIFY(first.HintWindow()->isHidden());
}

// The on-screen level: by a tray icon at the top (below it) or at the
// bottom (above it), in the corner without one; shown again, it changes its
// text in place and keeps its full time; then it goes by itself.
void TestBalloon::levelBalloon() {
    const QRect area(0, 0, 1024, 740);
    const LevelBalloonAnchor top = LevelBalloonAnchorFor(QRect(900, 0, 22, 22), area);
    QCOMPARE(top.Point, QPoint(910, 23));
    QCOMPARE(top.Position, bpBelowLeft);
    const LevelBalloonAnchor bottom = LevelBalloonAnchorFor(QRect(900, 718, 22, 22), area);
    QCOMPARE(bottom.Point, QPoint(910, 716));
    QCOMPARE(bottom.Position, bpAboveLeft);
    const LevelBalloonAnchor none = LevelBalloonAnchorFor(QRect(), area);
    QCOMPARE(none.Point, QPoint(1015, 731));
    QCOMPARE(none.Position, bpAboveLeft);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect icon(screen.right() - 40, screen.top(), 22, 22);
    TLevelBalloon balloon;
    balloon.ShowLevel(QStringLiteral("Master: 70"), icon);
    QVERIFY(balloon.isVisible());
    QVERIFY(balloon.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    QVERIFY(screen.contains(balloon.geometry()));
    QVERIFY(balloon.geometry().top() > icon.bottom());
    QVERIFY(balloon.Orientation() == bpBelowLeft || balloon.Orientation() == bpBelowRight);
    // Its picture is the hint balloon's for that text.
    QCOMPARE(balloon.Picture(),
             RenderBalloon(TBalloonBase().Look(), balloon.size(), balloon.Orientation(), QStringLiteral("Master: 70")));
    QTest::qWait(TLevelBalloon::kShownMs - 500);
    balloon.ShowLevel(QStringLiteral("Master: muted"), icon);
    QCOMPARE(balloon.Text(), QStringLiteral("Master: muted"));
    QTest::qWait(700);
    QVERIFY(balloon.isVisible());  // a repeat starts its time again
    QTRY_VERIFY_WITH_TIMEOUT(!balloon.isVisible(), TLevelBalloon::kShownMs);
}

TAVLO_TEST_MAIN(TestBalloon)
#include "test_balloon.moc"
