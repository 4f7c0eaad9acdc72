// The step button: press, release, then a click only when the left button
// goes up over the button. Driven through the window as the user's mouse is,
// so Qt's grab brings the release back to the pressed button.

#include "controls/step_button.h"
#include "support/test_main.h"

#include <QtTest>

namespace {

struct Fixture {
    QWidget window;
    TStepButton* button;
    QStringList events;

    Fixture() : button(new TStepButton(&window)) {
        window.resize(80, 60);
        button->setObjectName(QStringLiteral("SpeedButton2"));
        button->setGeometry(20, 20, 10, 8);
        button->OnMouseDown = [this](TStepButton* s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            events << QStringLiteral("down %1 %2 %3,%4").arg(s->objectName()).arg(int(b)).arg(x).arg(y);
        };
        button->OnMouseUp = [this](TStepButton* s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            events << QStringLiteral("up %1 %2 %3,%4").arg(s->objectName()).arg(int(b)).arg(x).arg(y);
        };
        button->OnClick = [this](TStepButton* s) { events << QStringLiteral("click %1").arg(s->objectName()); };
        window.show();
    }
    QWindow* w() const { return window.windowHandle(); }
};

}  // namespace

class TestStepButton : public QObject {
    Q_OBJECT
private slots:
    void releaseOverButtonClicksAfterRelease();
    void releaseOutsideDoesNotClick();
    void returningBeforeReleaseClicks();
    void otherButtonsNeverClick();
    void clickFromCode();
    void paintsGlyphAndPressedState();
};

void TestStepButton::releaseOverButtonClicksAfterRelease() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QTest::mousePress(f.w(), Qt::LeftButton, {}, QPoint(24, 23));
    QVERIFY(f.button->IsDown());
    QTest::mouseRelease(f.w(), Qt::LeftButton, {}, QPoint(25, 24));
    QVERIFY(!f.button->IsDown());
    QCOMPARE(f.events, (QStringList{"down SpeedButton2 1 4,3", "up SpeedButton2 1 5,4", "click SpeedButton2"}));
}

void TestStepButton::releaseOutsideDoesNotClick() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QTest::mousePress(f.w(), Qt::LeftButton, {}, QPoint(24, 23));
    QTest::mouseMove(f.w(), QPoint(24, 40));
    QVERIFY(!f.button->IsDown());
    QTest::mouseRelease(f.w(), Qt::LeftButton, {}, QPoint(24, 40));
    QCOMPARE(f.events, (QStringList{"down SpeedButton2 1 4,3", "up SpeedButton2 1 4,20"}));
    // Just past the right edge (x 30 is the first pixel outside) is outside.
    f.events.clear();
    QTest::mousePress(f.w(), Qt::LeftButton, {}, QPoint(29, 23));
    QTest::mouseRelease(f.w(), Qt::LeftButton, {}, QPoint(30, 23));
    QCOMPARE(f.events.size(), 2);
}

void TestStepButton::returningBeforeReleaseClicks() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QTest::mousePress(f.w(), Qt::LeftButton, {}, QPoint(24, 23));
    QTest::mouseMove(f.w(), QPoint(60, 50));
    QTest::mouseMove(f.w(), QPoint(21, 21));
    QVERIFY(f.button->IsDown());
    QTest::mouseRelease(f.w(), Qt::LeftButton, {}, QPoint(21, 21));
    QCOMPARE(f.events.last(), QStringLiteral("click SpeedButton2"));
    QCOMPARE(f.events.size(), 3);
}

void TestStepButton::otherButtonsNeverClick() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QTest::mousePress(f.w(), Qt::RightButton, {}, QPoint(24, 23));
    QVERIFY(!f.button->IsDown());
    QTest::mouseRelease(f.w(), Qt::RightButton, {}, QPoint(24, 23));
    QCOMPARE(f.events, (QStringList{"down SpeedButton2 2 4,3", "up SpeedButton2 2 4,3"}));
}

void TestStepButton::clickFromCode() {
    // The repeat timer performs a step by clicking the held button.
    TStepButton button;
    int clicks = 0;
    button.OnClick = [&](TStepButton* s) { clicks += s == &button; };
    button.Click();
    QCOMPARE(clicks, 1);
}

void TestStepButton::paintsGlyphAndPressedState() {
    TStepButton up;
    QCOMPARE(up.size(), QSize(10, 8));
    TStepButton down;
    down.SetGlyph(TStepButton::GlyphKind::Down);
    const QImage upImage = up.grab().toImage();
    const QImage downImage = down.grab().toImage();
    QVERIFY(upImage != downImage);
    // The arrow is dark in the middle of the face; the corner is the bevel.
    QVERIFY(upImage.pixelColor(5, 4).lightness() < 100);
    QCOMPARE(upImage.pixelColor(0, 0), QColor(255, 255, 255));
    QTest::mousePress(&up, Qt::LeftButton, {}, QPoint(5, 4));
    QCOMPARE(up.grab().toImage().pixelColor(0, 0), QColor(128, 128, 128));
    QTest::mouseRelease(&up, Qt::LeftButton, {}, QPoint(5, 4));
}

TAVLO_TEST_MAIN(TestStepButton)
#include "test_step_button.moc"
