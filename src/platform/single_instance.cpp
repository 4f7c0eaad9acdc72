#include "platform/single_instance.h"

#include "platform/runtime_dir.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

QString SingleInstanceGuard::lockPath(const QString& name) { return runtimeFilePath(name + QStringLiteral(".lock")); }

SingleInstanceGuard::SingleInstanceGuard(const QString& name) {
    const QByteArray path = QFile::encodeName(lockPath(name));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;  // cannot check: count it as a copy already running
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

QString InstanceBell::path(const QString& name) { return runtimeFilePath(name + QStringLiteral(".bell")); }

InstanceBell::InstanceBell(const QString& name, QObject* parent) : QObject(parent) {
    const QByteArray p = QFile::encodeName(path(name));
    // A pipe left by a copy that died is replaced: the guard is ours now.
    ::unlink(p.constData());
    if (::mkfifo(p.constData(), 0600) != 0) return;
    readFd_ = ::open(p.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (readFd_ < 0) return;
    keepFd_ = ::open(p.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &InstanceBell::drain);
}

InstanceBell::~InstanceBell() {
    notifier_.reset();
    if (keepFd_ >= 0) ::close(keepFd_);
    if (readFd_ >= 0) ::close(readFd_);
}

void InstanceBell::drain() {
    char buffer[64];
    bool heard = false;
    while (::read(readFd_, buffer, sizeof buffer) > 0) heard = true;
    if (heard) emit rung();
}

bool InstanceBell::ring(const QString& name) {
    const QByteArray p = QFile::encodeName(path(name));
    // Without a reader the open fails (ENXIO): nobody is listening.
    const int fd = ::open(p.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool pipe = ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode);
    const bool written = pipe && ::write(fd, "!", 1) == 1;
    ::close(fd);
    return written;
}
