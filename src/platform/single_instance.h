#pragma once
// The single-instance guard: a named lock per user session. The kernel
// releases it when the holder dies, so a crashed or killed copy never
// blocks the next start.

#include <QString>

class SingleInstanceGuard {
public:
    // Takes the lock named `name` (e.g. "Tavlo"). alreadyRunning() is true
    // when another process holds it or when the check itself failed.
    explicit SingleInstanceGuard(const QString& name);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    bool alreadyRunning() const { return fd_ < 0; }
    // Where the lock lives: the user's runtime folder, else a per-user
    // file in the temporary folder.
    static QString lockPath(const QString& name);

private:
    int fd_ = -1;
};
