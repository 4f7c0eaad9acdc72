#pragma once
// The single-instance guard: a named lock per user session. The kernel
// releases it when the holder dies, so a crashed or killed copy never
// blocks the next start.

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

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

// The running copy's doorbell: a second start rings it, and the running
// copy brings its windows up (without a tray it may have no other way
// back). A named pipe in the runtime folder, watched through the event
// loop; only the copy holding the guard listens.
class InstanceBell : public QObject {
    Q_OBJECT
public:
    explicit InstanceBell(const QString& name, QObject* parent = nullptr);
    ~InstanceBell() override;
    bool listening() const { return readFd_ >= 0; }
    // True when a running copy was there to hear it.
    static bool ring(const QString& name);
    static QString path(const QString& name);

signals:
    void rung();

private:
    void drain();
    int readFd_ = -1;
    int keepFd_ = -1;  // our own writer, so the pipe never reads as closed
    std::unique_ptr<QSocketNotifier> notifier_;
};
