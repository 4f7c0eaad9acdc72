#pragma once
// Test helpers: ways for a save to fail that bind root too (the tests run as
// root in CI, where a read-only folder alone stops nothing).
//   FileSizeLimit  a write fails halfway with EFBIG (RLIMIT_FSIZE)
//   Unprivileged   the process runs as "nobody" for a while (effective uid)
//   TinyDisk       a small file system of its own (tmpfs in a private mount
//                  namespace), so it can be filled up: ENOSPC

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

// Limits the size of files this process may write, so that a write fails with
// EFBIG even for root; restores the old limit when it goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ok_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // else the write kills us
        rlimit lower = old_;
        lower.rlim_cur = bytes;
        ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
    bool ok_ = false;
};

// As root, runs with the effective user id of "nobody" until it goes, so
// permissions apply again (the real and saved ids stay root, which is how
// the id comes back). As anybody else there is nothing to drop.
class Unprivileged {
public:
    static constexpr uid_t kNobody = 65534;
    Unprivileged() : wasRoot_(::geteuid() == 0) { ok_ = !wasRoot_ || ::seteuid(kNobody) == 0; }
    ~Unprivileged() {
        if (wasRoot_) (void)!::seteuid(0);
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;
    bool ok() const { return ok_; }

private:
    bool wasRoot_;
    bool ok_ = false;
};

// A tmpfs of `bytes` mounted on an existing folder, seen by this process
// only (its own mount namespace, made on first use). Needs root; ok() is
// false where mounting is not allowed. Unmounted when it goes.
class TinyDisk {
public:
    TinyDisk(const QString& folder, int bytes) : folder_(QFile::encodeName(folder)) {
        if (::unshare(CLONE_NEWNS) != 0) return;
        // Keep our mounts from reaching the rest of the system.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return;
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        mounted_ = ::mount("tavlo-test", folder_.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~TinyDisk() {
        if (mounted_) ::umount2(folder_.constData(), MNT_DETACH);
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;
    bool ok() const { return mounted_; }

    // Fills the disk with `file`, then frees `spare` bytes of it again; false
    // if the disk never reported itself full.
    bool fill(const QString& file, off_t spare) const {
        const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return false;
        const QByteArray block(4096, 'x');
        off_t size = 0;
        ssize_t n = 0;
        while ((n = ::write(fd, block.constData(), block.size())) > 0) size += n;
        const bool full = n < 0 && errno == ENOSPC;
        const bool freed = ::ftruncate(fd, size > spare ? size - spare : 0) == 0;
        ::close(fd);
        return full && freed;
    }

private:
    QByteArray folder_;
    bool mounted_ = false;
};
