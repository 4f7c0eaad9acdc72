// The tray icon, driven as the tray drives it: by the underlying Qt icon's
// activated() signal, or on a StatusNotifier host by the host's calls over a
// private session bus.

#include "controls/status_notifier_item.h"
#include "controls/tray_icon.h"
#include "controls/tray_pictures.h"
#include "support/test_main.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QMenu>
#include <QPointer>
#include <QThread>
#include <QWheelEvent>
#include <QWidget>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QList<QSystemTrayIcon::ActivationReason>)

namespace {

struct TrayFixture {
    TTrayIconF icon;
    QStringList events;
    QIcon sounding = TrayPictureIcon(TrayPicture::soundyesi);
    QIcon muted = TrayPictureIcon(TrayPicture::soundnoi);

    TrayFixture() {
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

// The desktop shell's StatusNotifierWatcher, in a thread of its own: the
// icon waits for its answer whether a host is there.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
public:
    bool IsStatusNotifierHostRegistered() const { return true; }
public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service) { emit itemRegistered(service); }
signals:
    void itemRegistered(const QString& service);
};

struct WatcherThread {
    QPointer<FakeWatcher> watcher = new FakeWatcher;  // deleted in its thread as the thread ends
    QThread thread;
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("watcher"));
    WatcherThread() {
        watcher->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, watcher, &QObject::deleteLater);
        thread.start();
    }
    // In the watcher's thread: the bus hangs its helpers on the object.
    bool registerOnBus() {
        bool done = false;
        QMetaObject::invokeMethod(
            watcher.data(),
            [&] {
                done = bus.registerObject(
                           QStringLiteral("/StatusNotifierWatcher"), watcher.data(),
                           QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties) &&
                       bus.registerService(QString::fromLatin1(TStatusNotifierItem::kWatcher));
            },
            Qt::BlockingQueuedConnection);
        return done;
    }
    // The watcher goes before its connection: the bus follows it until then.
    ~WatcherThread() {
        QMetaObject::invokeMethod(
            watcher.data(), [this] { bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher")); },
            Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    }
};

// What the host calls on an item; the item answers from this thread, so
// the loop runs meanwhile.
QDBusMessage CallItem(const QString& service, const QString& method, const QVariantList& args,
                      const QString& interface = QStringLiteral("org.kde.StatusNotifierItem")) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"), interface, method);
    call.setArguments(args);
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    QDeadlineTimer deadline(5000);
    while (!pending.isFinished() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pending.reply();
}

QVariant ItemProperty(const QString& service, const QString& name) {
    const QDBusMessage reply =
        CallItem(service, QStringLiteral("Get"), {QStringLiteral("org.kde.StatusNotifierItem"), name},
                 QStringLiteral("org.freedesktop.DBus.Properties"));
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

// The picture of the given size a host reads, as #AARRGGBB pixels.
QImage HostPicture(const QString& service, int size) {
    const auto pixmaps = qdbus_cast<QList<SniPixmap>>(ItemProperty(service, QStringLiteral("IconPixmap")));
    for (const SniPixmap& p : pixmaps) {
        if (p.width != size || p.height != size || p.argb.size() != size * size * 4) continue;
        QImage image(size, size, QImage::Format_ARGB32);
        const auto* b = reinterpret_cast<const uchar*>(p.argb.constData());
        for (int i = 0; i < size * size; ++i, b += 4) image.setPixel(i % size, i / size, qRgba(b[1], b[2], b[3], b[0]));
        return image;
    }
    return {};
}

class WheelRecorder : public QObject {
public:
    QList<QPoint> deltas;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        deltas << static_cast<QWheelEvent*>(event)->angleDelta();
        return true;
    }
};

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
    void statusNotifierHostGetsTheWheel();
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
    TrayFixture f;
    f.icon.SetActive(true);
    for (auto r : reasons) f.activate(r);
    QCOMPARE(f.events, expected);
}

void TestTrayIcon::rightClickPopsMenuFirst() {
    TrayFixture f;
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
    TrayFixture f;
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
    TrayFixture f;
    f.icon.SetActive(true);
    f.icon.SetToolTip(tip);
    QCOMPARE(f.icon.ToolTip(), kept);
    QCOMPARE(f.icon.Tray()->toolTip(), kept);
}

void TestTrayIcon::sameIconSendsNothing() {
    TrayFixture f;
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
    TrayFixture f;
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
    TrayFixture f;
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
    TrayFixture f;
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

void TestTrayIcon::statusNotifierHostGetsTheWheel() {
    struct Daemon : QProcess {
        ~Daemon() override {
            kill();
            waitForFinished();
        }
    } daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!daemon.waitForStarted(5000)) QSKIP("dbus-daemon is not installed");
    QVERIFY(daemon.waitForReadyRead(5000));
    // Before anything in this process opens the session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", daemon.readLine().trimmed());
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    QVERIFY(bus);

    TrayFixture f;
    QMenu menu;
    menu.addAction(QStringLiteral("OK, close the menu..."));
    f.icon.SetPopupMenu(&menu);
    f.icon.SetHostMenu(true);  // as on KDE
    f.icon.SetToolTip(QStringLiteral("Volume Control"));
    f.icon.OnRightClick = [&](TTrayIconF*, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        f.events << QStringLiteral("right %1,%2 menu %3").arg(x).arg(y).arg(int(menu.isVisible()));
    };
    WheelRecorder wheel;
    f.icon.Tray()->installEventFilter(&wheel);

    // No watcher: Qt's icon, as always.
    f.icon.SetWantsWheel(true);
    f.icon.SetActive(true);
    QVERIFY(f.icon.Tray()->isVisible());
    QCOMPARE(f.icon.StatusNotifier(), nullptr);

    WatcherThread shell;
    QStringList registered;
    QObject context;
    QObject::connect(shell.watcher, &FakeWatcher::itemRegistered, &context,
                     [&](const QString& service) { registered << service; });
    QVERIFY(shell.registerOnBus());
    f.icon.SetActive(false);
    f.icon.SetActive(true);
    TStatusNotifierItem* item = f.icon.StatusNotifier();
    QVERIFY(item);
    QVERIFY(!f.icon.Tray()->isVisible());
    const QString service = item->Service();
    QVERIFY(
        service.startsWith(QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid())));
    QTRY_COMPARE(registered, QStringList{service});

    // What the host shows: the icon's own pixels, the tooltip, no menu of
    // its own.
    const QImage expected = f.sounding.pixmap(QSize(22, 22), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(HostPicture(service, 22), expected);
    const auto tip = qdbus_cast<SniToolTip>(ItemProperty(service, QStringLiteral("ToolTip")));
    QCOMPARE(tip.title, QStringLiteral("Volume Control"));
    QCOMPARE(ItemProperty(service, QStringLiteral("ItemIsMenu")), QVariant(false));
    QCOMPARE(ItemProperty(service, QStringLiteral("Status")), QVariant(QStringLiteral("Active")));
    QSignalSpy newIcon(item, &TStatusNotifierItem::NewIcon);
    f.icon.SetIcon(f.muted);
    QCOMPARE(newIcon.count(), 1);
    QCOMPARE(HostPicture(service, 22),
             f.muted.pixmap(QSize(22, 22), 1.0).toImage().convertToFormat(QImage::Format_ARGB32));

    // The wheel reaches the QSystemTrayIcon as an XEmbed icon's does.
    CallItem(service, QStringLiteral("Scroll"), {240, QStringLiteral("vertical")});
    CallItem(service, QStringLiteral("Scroll"), {-120, QStringLiteral("Vertical")});
    CallItem(service, QStringLiteral("Scroll"), {120, QStringLiteral("horizontal")});
    QCOMPARE(wheel.deltas, (QList<QPoint>{{0, 240}, {0, -120}, {120, 0}}));

    // Clicks as before; the menu pops up though the host would show menus.
    CallItem(service, QStringLiteral("Activate"), {3, 4});
    CallItem(service, QStringLiteral("SecondaryActivate"), {3, 4});
    CallItem(service, QStringLiteral("ContextMenu"), {10, 20});
    QCOMPARE(f.events, (QStringList{"click TrayIconF1", "click TrayIconF1", "dbl TrayIconF1", "click TrayIconF1",
                                    "right 10,20 menu 1"}));
    menu.close();

    // Hidden, the name goes and the host drops the item; shown, it comes back.
    f.icon.SetActive(false);
    QVERIFY(!bus->isServiceRegistered(service));
    f.icon.SetActive(true);
    QVERIFY(bus->isServiceRegistered(service));
    QTRY_COMPARE(registered.size(), 2);
}

TAVLO_TEST_MAIN(TestTrayIcon)
#include "test_tray_icon.moc"
