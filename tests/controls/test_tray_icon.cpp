// The tray icon, driven as the tray drives it: by the underlying Qt icon's
// activated() signal.

#include "controls/tray_icon.h"
#include "controls/tray_pictures.h"
#include "support/test_main.h"

#include <QMenu>
#include <QWidget>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QList<QSystemTrayIcon::ActivationReason>)

namespace {

struct Fixture {
    TTrayIconF icon;
    QStringList events;
    QIcon sounding = TrayPictureIcon(TrayPicture::soundyesi);
    QIcon muted = TrayPictureIcon(TrayPicture::soundnoi);

    Fixture() {
        icon.setObjectName(QStringLiteral("TrayIconF1"));
        icon.SetIcon(sounding);
        icon.OnClick = [this](TTrayIconF* s) { events << QStringLiteral("click %1").arg(s->objectName()); };
        icon.OnDblClick = [this](TTrayIconF* s) { events << QStringLiteral("dbl %1").arg(s->objectName()); };
        icon.OnRightClick = [this](TTrayIconF* s, Qt::MouseButton b, Qt::KeyboardModifiers k, int, int) {
            events << QStringLiteral("right %1 %2 %3").arg(s->objectName()).arg(int(b)).arg(int(k));
        };
    }
    void activate(QSystemTrayIcon::ActivationReason reason) { emit icon.Tray()->activated(reason); }
    qint64 shown() const { return icon.Tray()->icon().cacheKey(); }
};

// Lets the event loop run until the icon's picture changes (timer ticks
// come one per pass, so no frame is skipped).
qint64 NextPicture(const TTrayIconF& icon) {
    const qint64 before = icon.Icon().cacheKey();
    QDeadlineTimer deadline(5000);
    while (icon.Icon().cacheKey() == before && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return icon.Icon().cacheKey();
}

}  // namespace

class TestTrayIcon : public QObject {
    Q_OBJECT
private slots:
    void clicks_data();
    void clicks();
    void rightClickPopsMenuFirst();
    void hostMenuLeavesTheMenuToTheHost();
    void toolTipKeepsFirst62_data();
    void toolTipKeepsFirst62();
    void sameIconSendsNothing();
    void activeShowsAndHides();
    void animationCyclesFramesAndRestores();
    void animateStaysOff_data();
    void animateStaysOff();
    void minimiseHidesIntoTray_data();
    void minimiseHidesIntoTray();
};

void TestTrayIcon::clicks_data() {
    using R = QSystemTrayIcon;
    QTest::addColumn<QList<QSystemTrayIcon::ActivationReason>>("reasons");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("single") << QList{R::Trigger} << QStringList{"click TrayIconF1"};
    // Qt reports a double click as Trigger, DoubleClick: the release after
    // the double click comes as a second click.
    QTest::newRow("double") << QList{R::Trigger, R::DoubleClick}
                            << QStringList{"click TrayIconF1", "dbl TrayIconF1", "click TrayIconF1"};
    QTest::newRow("middle as double") << QList{R::MiddleClick}
                                      << QStringList{"click TrayIconF1", "dbl TrayIconF1", "click TrayIconF1"};
    QTest::newRow("right") << QList{R::Context} << QStringList{"right TrayIconF1 2 0"};
    QTest::newRow("unknown") << QList{R::Unknown} << QStringList{};
}

void TestTrayIcon::clicks() {
    QFETCH(QList<QSystemTrayIcon::ActivationReason>, reasons);
    QFETCH(QStringList, expected);
    Fixture f;
    f.icon.SetActive(true);
    for (auto r : reasons) f.activate(r);
    QCOMPARE(f.events, expected);
}

void TestTrayIcon::rightClickPopsMenuFirst() {
    Fixture f;
    QMenu menu;
    menu.addAction(QStringLiteral("OK, close the menu..."));
    f.icon.SetPopupMenu(&menu);
    bool shownAtEvent = false;
    f.icon.OnRightClick = [&](TTrayIconF*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        shownAtEvent = menu.isVisible();
    };
    f.icon.SetActive(true);
    f.activate(QSystemTrayIcon::Context);
    QVERIFY(shownAtEvent);
    QCOMPARE(f.icon.Tray()->contextMenu(), nullptr);
    menu.close();
}

void TestTrayIcon::hostMenuLeavesTheMenuToTheHost() {
    Fixture f;
    QMenu menu;
    menu.addAction(QStringLiteral("OK, close the menu..."));
    f.icon.SetHostMenu(true);
    f.icon.SetPopupMenu(&menu);
    QCOMPARE(f.icon.Tray()->contextMenu(), &menu);
    f.icon.SetActive(true);
    f.activate(QSystemTrayIcon::Context);
    QVERIFY(!menu.isVisible());
    QCOMPARE(f.events, QStringList{"right TrayIconF1 2 0"});
    f.icon.SetHostMenu(false);
    QCOMPARE(f.icon.Tray()->contextMenu(), nullptr);
}

void TestTrayIcon::toolTipKeepsFirst62_data() {
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("kept");
    const QString tip62 = QStringLiteral("Right-click show the menu, Click to show/hide the play and rec");
    QTest::newRow("70 cut") << tip62 + QStringLiteral(" mixers.") << tip62;
    QTest::newRow("62 whole") << tip62 << tip62;
    QTest::newRow("empty") << QString() << QString();
    // A character of two code units across the cut is dropped whole.
    const QString a61 = QString(61, QLatin1Char('a'));
    QTest::newRow("split pair") << a61 + QString::fromUtf8("\xF0\x9F\x94\x8A") + QStringLiteral("bc") << a61;
}

void TestTrayIcon::toolTipKeepsFirst62() {
    QFETCH(QString, tip);
    QFETCH(QString, kept);
    Fixture f;
    f.icon.SetActive(true);
    f.icon.SetToolTip(tip);
    QCOMPARE(f.icon.ToolTip(), kept);
    QCOMPARE(f.icon.Tray()->toolTip(), kept);
}

void TestTrayIcon::sameIconSendsNothing() {
    Fixture f;
    f.icon.SetActive(true);
    QCOMPARE(f.shown(), f.sounding.cacheKey());
    // Change what the tray shows behind the component's back: a send would
    // put the component's icon back.
    f.icon.Tray()->setIcon(f.muted);
    const QIcon copy = f.sounding;
    f.icon.SetIcon(copy);
    QCOMPARE(f.shown(), f.muted.cacheKey());
    f.icon.SetIcon(TrayPictureIcon(TrayPicture::soundyesno));
    QCOMPARE(f.shown(), f.icon.Icon().cacheKey());
    QVERIFY(f.shown() != f.muted.cacheKey());
}

void TestTrayIcon::activeShowsAndHides() {
    Fixture f;
    f.icon.SetToolTip(QStringLiteral("Click to show/hide the VU..."));
    QVERIFY(!f.icon.Tray()->isVisible());
    // Inactive: nothing reaches the tray.
    QCOMPARE(f.icon.Tray()->toolTip(), QString());
    f.icon.SetActive(true);
    QVERIFY(f.icon.Tray()->isVisible());
    QCOMPARE(f.icon.Tray()->toolTip(), QStringLiteral("Click to show/hide the VU..."));
    f.icon.SetActive(false);
    QVERIFY(!f.icon.Tray()->isVisible());
    f.icon.SetIcon(f.muted);
    QCOMPARE(f.shown(), f.sounding.cacheKey());
}

void TestTrayIcon::animationCyclesFramesAndRestores() {
    Fixture f;
    QCOMPARE(f.icon.AnimateInterval(), 100);
    f.icon.SetAnimateInterval(0);
    QCOMPARE(f.icon.AnimateInterval(), 100);
    f.icon.SetAnimateInterval(20);
    const QList<QIcon> frames = {TrayPictureIcon(TrayPicture::vui), TrayPictureIcon(TrayPicture::reci),
                                 TrayPictureIcon(TrayPicture::recplay)};
    f.icon.SetImages(frames);
    f.icon.SetActive(true);
    f.icon.SetAnimate(true);
    QVERIFY(f.icon.Animate());
    // The first frame shown is image 1, then 2, then round to 0.
    QCOMPARE(NextPicture(f.icon), frames[1].cacheKey());
    QCOMPARE(f.shown(), frames[1].cacheKey());
    QCOMPARE(NextPicture(f.icon), frames[2].cacheKey());
    QCOMPARE(NextPicture(f.icon), frames[0].cacheKey());
    f.icon.SetAnimate(false);
    QCOMPARE(f.icon.Icon().cacheKey(), f.sounding.cacheKey());
    QCOMPARE(f.shown(), f.sounding.cacheKey());
    // Taking the frames away stops a running animation.
    f.icon.SetAnimate(true);
    f.icon.SetImages({});
    QVERIFY(!f.icon.Animate());
}

void TestTrayIcon::animateStaysOff_data() {
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("frames");
    QTest::newRow("no images") << true << 0;
    QTest::newRow("inactive") << false << 2;
}

void TestTrayIcon::animateStaysOff() {
    QFETCH(bool, active);
    QFETCH(int, frames);
    Fixture f;
    QList<QIcon> images;
    for (int i = 0; i < frames; ++i) images << TrayPictureIcon(i ? TrayPicture::vui : TrayPicture::vuino);
    f.icon.SetImages(images);
    f.icon.SetActive(active);
    f.icon.SetAnimate(true);
    QVERIFY(!f.icon.Animate());
}

void TestTrayIcon::minimiseHidesIntoTray_data() {
    QTest::addColumn<bool>("alreadyActive");
    QTest::newRow("inactive icon hides the application") << false;
    QTest::newRow("active icon changes nothing") << true;
}

void TestTrayIcon::minimiseHidesIntoTray() {
    QFETCH(bool, alreadyActive);
    QWidget playback, recording;
    playback.show();
    recording.show();
    const QIcon picture = TrayPictureIcon(TrayPicture::reci);
    TTrayIconF hider;  // keeps the default double click
    hider.SetIcon(picture);
    hider.SetMinimizeApp(true);
    hider.SetActive(alreadyActive);
    TTrayIconF other;  // hooks the same minimise, does not hide
    other.SetIcon(picture);

    recording.showMinimized();
    QCoreApplication::processEvents();
    QVERIFY(!other.Active());
    QVERIFY(hider.Active());
    QCOMPARE(playback.isVisible(), alreadyActive);
    QCOMPARE(recording.isVisible(), alreadyActive);
    if (alreadyActive) return;

    emit hider.Tray()->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(playback.isVisible());
    QVERIFY(recording.isVisible());
    QVERIFY(!recording.isMinimized());
    QVERIFY(!hider.Active());
}

TAVLO_TEST_MAIN(TestTrayIcon)
#include "test_tray_icon.moc"
