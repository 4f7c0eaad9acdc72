#include "platform/alsa/card_watch.h"

#include "platform/alsa/alsa_device.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

constexpr std::uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

}  // namespace

ControlFolderWatch::ControlFolderWatch(QString folder, QObject* parent)
    : QObject(parent), folder_(QDir::cleanPath(std::move(folder))) {}

ControlFolderWatch::~ControlFolderWatch() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
}

bool ControlFolderWatch::isControlEntry(const QString& name) {
    static const QLatin1String prefix("controlC");
    if (!name.startsWith(prefix) || name.size() == prefix.size()) return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i)
        if (!name[i].isDigit()) return false;
    return true;
}

bool ControlFolderWatch::start(QString* error) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        if (error) *error = QStringLiteral("cannot watch %1 for sound cards: %2").arg(folder_, errnoText());
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &ControlFolderWatch::onReadable);
    return watchFolder(error);
}

// Watches the folder, or while it does not exist its parent for it to appear.
bool ControlFolderWatch::watchFolder(QString* error) {
    const int wd = ::inotify_add_watch(fd_, QFile::encodeName(folder_).constData(),
                                       kEntryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    if (wd >= 0) {
        folderWatch_ = wd;
        if (parentWatch_ >= 0) ::inotify_rm_watch(fd_, std::exchange(parentWatch_, -1));
        return true;
    }
    const QString parent = QFileInfo(folder_).path();
    if (errno == ENOENT && parentWatch_ < 0) {
        parentWatch_ =
            ::inotify_add_watch(fd_, QFile::encodeName(parent).constData(), IN_CREATE | IN_MOVED_TO | IN_ONLYDIR);
        if (parentWatch_ >= 0) return true;
    }
    if (parentWatch_ >= 0) return true;
    if (error) *error = QStringLiteral("cannot watch %1 for sound cards: %2").arg(folder_, errnoText());
    return false;
}

void ControlFolderWatch::onReadable() {
    alignas(inotify_event) char buffer[4096];
    const QString folderName = QFileInfo(folder_).fileName();
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            const QString name = e->len ? QFile::decodeName(e->name) : QString();
            if (e->mask & IN_Q_OVERFLOW) {
                note();  // events were lost: look at everything again
            } else if (e->wd == parentWatch_ && name == folderName) {
                QString why;
                if (!watchFolder(&why)) qCInfo(lcAlsa).noquote() << why;
                note();  // it may hold entries already
            } else if (e->wd == folderWatch_ && (e->mask & kFolderGone)) {
                folderWatch_ = -1;
                QString why;
                if (!watchFolder(&why)) qCInfo(lcAlsa).noquote() << why;
                note();  // every card went with it
            } else if (e->wd == folderWatch_ && isControlEntry(name)) {
                note((e->mask & (IN_DELETE | IN_MOVED_FROM)) ? name : QString());
            }
        }
    }
}

// Gathers what happened in this turn of the event loop into one report.
void ControlFolderWatch::note(const QString& removedEntry) {
    if (!removedEntry.isEmpty() && !removed_.contains(removedEntry)) removed_ << removedEntry;
    if (std::exchange(pending_, true)) return;
    QTimer::singleShot(0, this, [this] {
        pending_ = false;
        emit changed(std::exchange(removed_, {}));
    });
}
