// The panel as the strips use it: a switch whose colour and bevel are its
// state, press and release events with the sender, a click only over it.

#include "controls/panel.h"
#include "support/test_main.h"

#include <QtTest>

namespace {

struct Recorder {
    QStringList events;
    void Attach(TPanel& panel) {
        panel.OnMouseDown = [this](TPanel* s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            events << QStringLiteral("down %1 %2 %3,%4").arg(s->objectName()).arg(int(b)).arg(x).arg(y);
        };
        panel.OnMouseUp = [this](TPanel* s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            events << QStringLiteral("up %1 %2 %3,%4").arg(s->objectName()).arg(int(b)).arg(x).arg(y);
        };
        panel.OnClick = [this](TPanel* s) { events << QStringLiteral("click %1").arg(s->objectName()); };
    }
};

// Counts the paints a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

class TestPanel : public QObject {
    Q_OBJECT
private slots:
    void startsSilverAndRaised();
    void bevelAndColourArePainted();
    void repaintsOnlyOnChange();
    void pressReleaseAndClickCarryTheSender();
    void noClickWhenReleasedOutsideOrWithOtherButton();
    void doubleClickPressesTwice();
    void handlersReachTheStateAsProperties();
};

void TestPanel::startsSilverAndRaised() {
    TPanel panel;
    QCOMPARE(panel.Color(), QColor(192, 192, 192));
    QCOMPARE(panel.Bevel(), TPanel::BevelKind::Raised);
    QCOMPARE(panel.Tag(), 0);
    QVERIFY(panel.Caption().isEmpty());
}

void TestPanel::bevelAndColourArePainted() {
    TPanel panel;
    panel.resize(30, 11);
    panel.SetColor(QColor(255, 0, 0));
    QImage image = panel.grab().toImage();
    QCOMPARE(image.pixelColor(15, 5), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(0, 0), QColor(255, 255, 255));
    QCOMPARE(image.pixelColor(29, 10), QColor(128, 128, 128));

    panel.SetBevel(TPanel::BevelKind::Lowered);
    image = panel.grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(128, 128, 128));
    QCOMPARE(image.pixelColor(29, 10), QColor(255, 255, 255));

    panel.SetBevel(TPanel::BevelKind::None);
    image = panel.grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(255, 0, 0));

    // A caption draws dark text over the middle.
    panel.resize(60, 20);
    panel.SetColor(QColor(0, 255, 0));
    const QImage blank = panel.grab().toImage();
    panel.SetCaption(QStringLiteral("mute"));
    QVERIFY(panel.grab().toImage() != blank);
}

void TestPanel::repaintsOnlyOnChange() {
    TPanel panel;
    panel.resize(30, 11);
    panel.SetCaption(QStringLiteral("L+R"));
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QCoreApplication::processEvents();
    PaintCounter counter;
    panel.installEventFilter(&counter);
    panel.SetColor(QColor(192, 192, 192));
    panel.SetBevel(TPanel::BevelKind::Raised);
    panel.SetCaption(QStringLiteral("L+R"));
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 0);
    panel.SetBevel(TPanel::BevelKind::Lowered);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 1);
    panel.SetCaption(QStringLiteral("L|R"));
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 2);
}

void TestPanel::pressReleaseAndClickCarryTheSender() {
    TPanel panel;
    panel.setObjectName(QStringLiteral("mut1"));
    panel.resize(30, 11);
    Recorder rec;
    rec.Attach(panel);
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(3, 4));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(5, 6));
    QCOMPARE(rec.events, (QStringList{"down mut1 1 3,4", "up mut1 1 5,6", "click mut1"}));
}

void TestPanel::noClickWhenReleasedOutsideOrWithOtherButton() {
    // Through the window, so the release reaches the pressed panel by Qt's
    // grab although the pointer left it.
    QWidget window;
    window.resize(100, 60);
    TPanel panel(&window);
    panel.setObjectName(QStringLiteral("sol2"));
    panel.setGeometry(10, 10, 30, 11);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Recorder rec;
    rec.Attach(panel);
    QWindow* w = window.windowHandle();
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(15, 15));
    QTest::mouseMove(w, QPoint(80, 50));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(80, 50));
    QCOMPARE(rec.events, (QStringList{"down sol2 1 5,5", "up sol2 1 70,40"}));

    rec.events.clear();
    QTest::mousePress(w, Qt::RightButton, {}, QPoint(15, 15));
    QTest::mouseRelease(w, Qt::RightButton, {}, QPoint(15, 15));
    QCOMPARE(rec.events, (QStringList{"down sol2 2 5,5", "up sol2 2 5,5"}));
}

void TestPanel::doubleClickPressesTwice() {
    // A mute button clicked twice quickly must toggle twice.
    QWidget window;
    window.resize(100, 60);
    TPanel panel(&window);
    panel.setGeometry(10, 10, 30, 11);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int presses = 0;
    panel.OnMouseDown = [&](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++presses; };
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(15, 15));
    QCOMPARE(presses, 2);
}

void TestPanel::handlersReachTheStateAsProperties() {
    TPanel panel;
    QVERIFY(panel.setProperty("Tag", 7));
    QVERIFY(panel.setProperty("Caption", QStringLiteral("L+R")));
    QVERIFY(panel.setProperty("Bevel", QVariant::fromValue(TPanel::BevelKind::Lowered)));
    QCOMPARE(panel.Tag(), 7);
    QCOMPARE(panel.Caption(), QStringLiteral("L+R"));
    QCOMPARE(panel.Bevel(), TPanel::BevelKind::Lowered);
}

TAVLO_TEST_MAIN(TestPanel)
#include "test_panel.moc"
