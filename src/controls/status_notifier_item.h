#pragma once
// TStatusNotifierItem: a tray icon as a StatusNotifierItem of its own on the
// session bus, for an icon that needs what Qt's own item drops: the host's
// Scroll (Qt 6.4 answers it with nothing). The host reads the picture and
// the tooltip from here and calls back for a click, a middle click, the
// context menu and the wheel. No menu is exported: the host asks for the
// context menu (ContextMenu) and the program pops up its own.
//
// Each item has a bus connection of its own, named as its bus name
// (org.kde.StatusNotifierItem-PID-tavloN): giving the name back is how a host
// learns that the item went.

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPoint>
#include <QString>

// One picture of an icon: ARGB32, each pixel in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
// A tooltip: an icon (by name or picture), a title and a longer text.
struct SniToolTip {
    QString iconName;
    QList<SniPixmap> pixmaps;
    QString title;
    QString text;
};
Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniToolTip)

QDBusArgument& operator<<(QDBusArgument& arg, const SniPixmap& p);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniPixmap& p);
QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& t);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& t);

// The pictures of an icon as a host takes them: each size the icon has
// (16, 22 and 32 where it has none of its own), one device pixel a pixel.
QList<SniPixmap> SniPixmaps(const QIcon& icon);

class TStatusNotifierItem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(QList<SniPixmap> IconPixmap READ IconPixmap)
    Q_PROPERTY(SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)
public:
    static constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";

    // Whether a host shows StatusNotifierItems on the session bus now: the
    // watcher is there and says a host has registered with it, which is
    // what Qt asks before it shows its icons as items.
    static bool HostAvailable();

    explicit TStatusNotifierItem(QObject* parent = nullptr);
    ~TStatusNotifierItem() override;

    // The item's bus name; empty without a session bus.
    QString Service() const { return service_; }

    // Show takes the bus name and registers with the watcher (again
    // whenever a watcher comes up); Hide gives the name back.
    bool Show();
    void Hide();
    bool IsShown() const { return shown_; }

    // A change is announced to the host (NewIcon, NewToolTip).
    void SetIcon(const QIcon& icon);
    void SetToolTip(const QString& tip);

    // What the host reads.
    QString Category() const { return QStringLiteral("Hardware"); }
    QString Id() const;
    QString Title() const;
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString IconName() const { return QString(); }
    QList<SniPixmap> IconPixmap() const { return pixmaps_; }
    SniToolTip ToolTip() const;
    bool ItemIsMenu() const { return false; }
    QDBusObjectPath Menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }

public slots:
    // What the host calls: x and y are where on the screen.
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    // delta in eighths of a degree (120 a notch), positive up or right;
    // orientation "vertical" or "horizontal".
    Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);

signals:
    // To the host.
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewStatus(const QString& status);

    // To the program.
    void activated(QPoint at);
    void secondaryActivated(QPoint at);
    void contextMenuRequested(QPoint at);
    void scrolled(int delta, bool horizontal);

private:
    void registerWithWatcher();

    QString service_;
    QDBusConnection bus_;
    bool shown_ = false;
    qint64 iconKey_ = 0;
    QList<SniPixmap> pixmaps_;
    QString toolTip_;
};
