// The cached label: the same pixels as a plain label, whatever changed
// since a text was first drawn.
// The picture: mouse events with the sender and picture-relative points,
// and a capture that lasts until the release even when the picture hides
// after the press (a fader cursor hides while it is dragged).

#include "controls/picture.h"
#include "support/test_main.h"

#include <QPainter>
#include <QtTest>

namespace {

struct PictureRecorder {
    QStringList events;
    void Attach(TPicture& p) {
        p.OnMouseDown = [this](TPicture* s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            events << QStringLiteral("down %1 %2 %3,%4").arg(s->objectName()).arg(int(b)).arg(x).arg(y);
        };
        p.OnMouseMove = [this](TPicture* s, Qt::MouseButtons b, Qt::KeyboardModifiers, int x, int y) {
            events << QStringLiteral("move %1 %2 %3,%4").arg(s->objectName()).arg(int(b)).arg(x).arg(y);
        };
        p.OnMouseUp = [this](TPicture* s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            events << QStringLiteral("up %1 %2 %3,%4").arg(s->objectName()).arg(int(b)).arg(x).arg(y);
        };
    }
};

QPixmap Filled(QSize size, QColor colour) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

// A window with a track picture and a cursor picture on it, as a strip has.
struct Track {
    QWidget window;
    TPicture* track;
    TPicture* cursor;
    PictureRecorder trackEvents, cursorEvents;

    Track() : track(new TPicture(&window)), cursor(new TPicture(&window)) {
        window.resize(100, 120);
        track->setObjectName(QStringLiteral("level11"));
        track->setGeometry(10, 10, 18, 100);
        cursor->setObjectName(QStringLiteral("curs11"));
        cursor->setGeometry(10, 30, 18, 13);
        trackEvents.Attach(*track);
        cursorEvents.Attach(*cursor);
        window.show();
    }
    QWindow* w() const { return window.windowHandle(); }
};

}  // namespace

class TestPicture : public QObject {
    Q_OBJECT
private slots:
    void reportsMouseWithPictureRelativePoints();
    void captureHoldsWhileHidden();
    void captureEndsWithLastButton();
    void drawsItsPixmap();
};

void TestPicture::reportsMouseWithPictureRelativePoints() {
    Track t;
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    QTest::mousePress(t.w(), Qt::LeftButton, {}, QPoint(15, 35));
    QTest::mouseMove(t.w(), QPoint(16, 90));
    QTest::mouseRelease(t.w(), Qt::LeftButton, {}, QPoint(16, 90));
    QCOMPARE(t.cursorEvents.events, (QStringList{"down curs11 1 5,5", "move curs11 1 6,60", "up curs11 1 6,60"}));
    QVERIFY(t.trackEvents.events.isEmpty());
}

void TestPicture::captureHoldsWhileHidden() {
    Track t;
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    // The drag hides the cursor at the press; the track lies beneath it.
    t.cursor->OnMouseDown = [&](TPicture* s, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        t.cursorEvents.events << QStringLiteral("down %1,%2").arg(x).arg(y);
        s->hide();
    };
    t.cursor->OnMouseUp = [&](TPicture* s, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        t.cursorEvents.events << QStringLiteral("up %1,%2").arg(x).arg(y);
        s->show();
    };
    QTest::mousePress(t.w(), Qt::LeftButton, {}, QPoint(15, 35));
    QVERIFY(!t.cursor->isVisible());
    QTest::mouseMove(t.w(), QPoint(15, 50));
    QTest::mouseMove(t.w(), QPoint(90, 5));
    // QTest moves the pointer to a release point before releasing.
    QTest::mouseRelease(t.w(), Qt::LeftButton, {}, QPoint(15, 100));
    QCOMPARE(t.cursorEvents.events,
             (QStringList{"down 5,5", "move curs11 1 5,20", "move curs11 1 80,-25", "move curs11 1 5,70", "up 5,70"}));
    QVERIFY(t.trackEvents.events.isEmpty());
    QVERIFY(t.cursor->isVisible());

    // Qt's own bookkeeping saw the release: a plain move reaches the track.
    t.track->setMouseTracking(true);
    QTest::mouseMove(t.w(), QPoint(15, 90));
    QCOMPARE(t.trackEvents.events, QStringList{"move level11 0 5,80"});
    t.track->setMouseTracking(false);
    t.trackEvents.events.clear();

    // After the release the track beneath gets its own presses again.
    t.cursorEvents.events.clear();
    QTest::mousePress(t.w(), Qt::LeftButton, {}, QPoint(15, 80));
    QTest::mouseMove(t.w(), QPoint(15, 85));
    QTest::mouseRelease(t.w(), Qt::LeftButton, {}, QPoint(15, 85));
    QCOMPARE(t.trackEvents.events, (QStringList{"down level11 1 5,70", "move level11 1 5,75", "up level11 1 5,75"}));
    QVERIFY(t.cursorEvents.events.isEmpty());
}

void TestPicture::captureEndsWithLastButton() {
    Track t;
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    t.cursor->OnMouseDown = [&](TPicture* s, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { s->hide(); };
    QTest::mousePress(t.w(), Qt::LeftButton, {}, QPoint(15, 35));
    QVERIFY(!t.cursor->isVisible());
    QTest::mousePress(t.w(), Qt::RightButton, {}, QPoint(15, 35));
    QTest::mouseRelease(t.w(), Qt::RightButton, {}, QPoint(15, 60));
    QTest::mouseMove(t.w(), QPoint(15, 70));
    QTest::mouseRelease(t.w(), Qt::LeftButton, {}, QPoint(15, 70));
    // The second press came to the hidden cursor too, as to a captured one.
    QCOMPARE(t.cursorEvents.events,
             (QStringList{"move curs11 3 5,30", "up curs11 2 5,30", "move curs11 1 5,40", "up curs11 1 5,40"}));
    // The cursor stays hidden; the track now gets the mouse.
    QTest::mousePress(t.w(), Qt::LeftButton, {}, QPoint(15, 35));
    QTest::mouseRelease(t.w(), Qt::LeftButton, {}, QPoint(15, 35));
    QCOMPARE(t.cursorEvents.events.size(), 4);
    QCOMPARE(t.trackEvents.events, (QStringList{"down level11 1 5,25", "up level11 1 5,25"}));
}

void TestPicture::drawsItsPixmap() {
    QWidget window;
    window.resize(40, 40);
    window.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::white);
    window.setPalette(palette);
    TPicture picture(&window);
    picture.setGeometry(0, 0, 30, 30);
    picture.SetPicture(Filled({18, 13}, Qt::blue));
    window.show();
    const QImage image = window.grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(17, 12), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(18, 12), QColor(Qt::white));
    // Only a picture that hides everything under it spares the window's
    // repaint; one smaller than the control or with transparency must not.
    QVERIFY(!picture.testAttribute(Qt::WA_OpaquePaintEvent));
    picture.resize(18, 13);
    QVERIFY(picture.testAttribute(Qt::WA_OpaquePaintEvent));
    picture.SetPicture(Filled({18, 13}, Qt::transparent));
    QVERIFY(!picture.testAttribute(Qt::WA_OpaquePaintEvent));
    picture.SetPicture(Filled({18, 13}, Qt::blue));
    picture.resize(19, 13);
    QVERIFY(!picture.testAttribute(Qt::WA_OpaquePaintEvent));
    picture.hide();
    QCOMPARE(window.grab().toImage().pixelColor(0, 0), QColor(Qt::white));
}

TAVLO_TEST_MAIN(TestPicture)
#include "test_picture.moc"
