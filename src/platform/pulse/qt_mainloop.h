#pragma once
// libpulse's main loop interface served by the Qt event loop: file
// descriptors through QSocketNotifier, timers and deferred calls through
// QTimer, all on the UI thread. At start-up (before any window exists) the
// same events can also be run by a loop of our own, bounded by a deadline,
// so that the first device list is there when the windows ask for it.

#include <pulse/mainloop-api.h>

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QtPulseMainloop : public QObject {
    Q_OBJECT
public:
    explicit QtPulseMainloop(QObject* parent = nullptr);
    ~QtPulseMainloop() override;

    pa_mainloop_api* api() { return &api_; }

    // Runs the events without the Qt event loop until done() is true or the
    // deadline passes; true when done. Only for start-up and shutdown.
    bool runUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done);

    // Live events, for tests and leak checks.
    int liveEvents() const;

private:
    friend struct pa_io_event;
    friend struct pa_time_event;
    friend struct pa_defer_event;
    struct Callbacks;

    void scheduleDefers();
    void postDefers();
    void runDefers();
    // Runs an event's callback, then the deferred calls it enabled.
    void dispatch(const std::function<void()>& callback);
    // A dead event on fd, not yet collected, to be used again.
    pa_io_event* reusableIo(int fd);
    // Frees the events freed meanwhile, outside any of their callbacks.
    void collect();
    void scheduleCollect();

    pa_mainloop_api api_{};
    std::vector<std::unique_ptr<pa_io_event>> io_;
    std::vector<std::unique_ptr<pa_time_event>> time_;
    std::vector<std::unique_ptr<pa_defer_event>> defer_;
    bool defersScheduled_ = false;
    bool collectScheduled_ = false;
    bool dispatching_ = false;  // in a callback or the deferred calls after it
    bool inCallback_ = false;
    bool destroying_ = false;
};
