#include "controls/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QPixmap>
#include <QTimer>
#include <QtEndian>

namespace {
Q_LOGGING_CATEGORY(lcSni, "tavlo.tray", QtWarningMsg)

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// A bus name no connection of this program uses yet. Qt names the
// connections of its own items -PID-1, -PID-2... as it makes its icons and
// opens them only when one shows: ours must never take one of those.
QString FreeServiceName() {
    for (int n = 1;; ++n) {
        const QString name =
            QStringLiteral("org.kde.StatusNotifierItem-%1-tavlo%2").arg(QCoreApplication::applicationPid()).arg(n);
        if (!QDBusConnection(name).isConnected()) return name;
    }
}

void RegisterTypes() {
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<QList<SniPixmap>>();
    qDBusRegisterMetaType<SniToolTip>();
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& arg, const SniPixmap& p) {
    arg.beginStructure();
    arg << p.width << p.height << p.argb;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniPixmap& p) {
    arg.beginStructure();
    arg >> p.width >> p.height >> p.argb;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& t) {
    arg.beginStructure();
    arg << t.iconName << t.pixmaps << t.title << t.text;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& t) {
    arg.beginStructure();
    arg >> t.iconName >> t.pixmaps >> t.title >> t.text;
    arg.endStructure();
    return arg;
}

QList<SniPixmap> SniPixmaps(const QIcon& icon) {
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) sizes = {QSize(16, 16), QSize(22, 22), QSize(32, 32)};
    QList<SniPixmap> out;
    for (const QSize& size : sizes) {
        const QImage image = icon.pixmap(size, 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull()) continue;
        SniPixmap p{image.width(), image.height(), QByteArray(image.width() * image.height() * 4, Qt::Uninitialized)};
        for (int y = 0; y < image.height(); ++y)
            qToBigEndian<quint32>(image.constScanLine(y), image.width(), p.argb.data() + y * image.width() * 4);
        out.append(p);
    }
    return out;
}

bool TStatusNotifierItem::HostAvailable() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(QString::fromLatin1(kWatcher)).value())
        return false;
    QDBusMessage get =
        QDBusMessage::createMethodCall(QString::fromLatin1(kWatcher), kWatcherPath,
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QString::fromLatin1(kWatcher) << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusReply<QDBusVariant> reply = bus.call(get);
    return reply.isValid() && reply.value().variant().toBool();
}

TStatusNotifierItem::TStatusNotifierItem(QObject* parent)
    : QObject(parent),
      service_(FreeServiceName()),
      bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, service_)) {
    RegisterTypes();
    if (!bus_.isConnected()) {
        qCWarning(lcSni) << "no session bus for a tray item:" << bus_.lastError().message();
        QDBusConnection::disconnectFromBus(service_);
        service_.clear();
        return;
    }
    bus_.registerObject(kItemPath, this,
                        QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties);
    // A watcher that starts again (the desktop's shell restarted) has
    // forgotten the items.
    auto* watcher =
        new QDBusServiceWatcher(QString::fromLatin1(kWatcher), bus_, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (shown_) registerWithWatcher();
    });
}

TStatusNotifierItem::~TStatusNotifierItem() {
    if (service_.isEmpty()) return;
    Hide();
    bus_.unregisterObject(kItemPath);
    // The bus follows this object until it is gone (its destroyed()): the
    // connection closes after that, not under it.
    if (QCoreApplication* app = QCoreApplication::instance())
        QTimer::singleShot(0, app, [name = service_] { QDBusConnection::disconnectFromBus(name); });
}

bool TStatusNotifierItem::Show() {
    if (service_.isEmpty()) return false;
    if (shown_) return true;
    if (!bus_.registerService(service_)) {
        qCWarning(lcSni) << "cannot take" << service_ << bus_.lastError().message();
        return false;
    }
    shown_ = true;
    registerWithWatcher();
    return true;
}

void TStatusNotifierItem::Hide() {
    if (!shown_) return;
    shown_ = false;
    bus_.unregisterService(service_);
}

void TStatusNotifierItem::registerWithWatcher() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kWatcher), kWatcherPath, QString::fromLatin1(kWatcher),
                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << service_;
    // No answer is awaited: the watcher may live in this very thread.
    bus_.send(call);
}

void TStatusNotifierItem::SetIcon(const QIcon& icon) {
    if (icon.cacheKey() == iconKey_) return;
    iconKey_ = icon.cacheKey();
    pixmaps_ = SniPixmaps(icon);
    emit NewIcon();
}

void TStatusNotifierItem::SetToolTip(const QString& tip) {
    if (tip == toolTip_) return;
    toolTip_ = tip;
    emit NewToolTip();
}

QString TStatusNotifierItem::Id() const { return QCoreApplication::applicationName(); }

QString TStatusNotifierItem::Title() const { return QGuiApplication::applicationDisplayName(); }

SniToolTip TStatusNotifierItem::ToolTip() const {
    // The tip is the title; hosts show the text below it, smaller.
    return {QString(), {}, toolTip_, QString()};
}

void TStatusNotifierItem::Activate(int x, int y) { emit activated(QPoint(x, y)); }

void TStatusNotifierItem::SecondaryActivate(int x, int y) { emit secondaryActivated(QPoint(x, y)); }

void TStatusNotifierItem::ContextMenu(int x, int y) { emit contextMenuRequested(QPoint(x, y)); }

void TStatusNotifierItem::Scroll(int delta, const QString& orientation) {
    emit scrolled(delta, orientation.compare(QLatin1String("horizontal"), Qt::CaseInsensitive) == 0);
}
