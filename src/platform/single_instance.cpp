#include "platform/single_instance.h"

#include "platform/runtime_dir.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
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
