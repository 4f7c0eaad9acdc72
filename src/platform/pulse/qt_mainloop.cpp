#include "platform/pulse/qt_mainloop.h"

#include <pulse/timeval.h>

#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>

#include <algorithm>
#include <cerrno>

// The three event kinds libpulse asks for. They are freed in two steps: a
// free marks the event dead (it may be inside its own callback) and the
// memory goes at the next collect.
//
// libpulse frees and makes anew the event of its socket after every read,
// many times a second while a meter runs, within one of our callbacks: an
// event freed there keeps its notifiers until the callback has returned, and
// a new event on the same descriptor meanwhile takes them over, so the event
// loop's list of descriptors (whose every change wakes the loop once more)
// stays as it was. What is still dead then is no longer watched (its
// descriptor may be closed), and goes at the next collect.
struct pa_io_event {
    QtPulseMainloop* loop = nullptr;
    int fd = -1;
    pa_io_event_flags_t events = PA_IO_EVENT_NULL;
    pa_io_event_cb_t cb = nullptr;
    void* userdata = nullptr;
    pa_io_event_destroy_cb_t destroy = nullptr;
    bool dead = false;
    std::unique_ptr<QSocketNotifier> read;  // made when first wanted
    std::unique_ptr<QSocketNotifier> write;

    void enable(pa_io_event_flags_t flags) {
        events = flags;
        watch(read, QSocketNotifier::Read, flags & (PA_IO_EVENT_INPUT | PA_IO_EVENT_HANGUP | PA_IO_EVENT_ERROR));
        watch(write, QSocketNotifier::Write, flags & PA_IO_EVENT_OUTPUT);
    }
    void watch(std::unique_ptr<QSocketNotifier>& n, QSocketNotifier::Type type, bool on) {
        if (!n) {
            if (!on) return;
            n = std::make_unique<QSocketNotifier>(fd, type);
            const pa_io_event_flags_t what = type == QSocketNotifier::Read ? PA_IO_EVENT_INPUT : PA_IO_EVENT_OUTPUT;
            QObject::connect(n.get(), &QSocketNotifier::activated, loop, [this, what] { fire(what); });
        }
        n->setEnabled(on);
    }
    void fire(pa_io_event_flags_t what) {
        if (dead || !(events & what)) return;
        loop->dispatch([&] { cb(loop->api(), this, fd, what, userdata); });
    }
};

struct pa_time_event {
    QtPulseMainloop* loop = nullptr;
    timeval when{};
    bool enabled = false;
    pa_time_event_cb_t cb = nullptr;
    void* userdata = nullptr;
    pa_time_event_destroy_cb_t destroy = nullptr;
    bool dead = false;
    std::unique_ptr<QTimer> timer;

    void arm(const timeval* tv) {
        enabled = tv != nullptr && !dead;
        if (!enabled) {
            timer->stop();
            return;
        }
        when = *tv;
        timer->start(static_cast<int>(std::min<pa_usec_t>(msUntil(), 24u * 3600 * 1000)));
    }
    // Whole milliseconds until it is due, rounded up (0 when due).
    pa_usec_t msUntil() const {
        timeval now{};
        pa_gettimeofday(&now);
        if (pa_timeval_cmp(&when, &now) <= 0) return 0;
        return (pa_timeval_diff(&when, &now) + 999) / 1000;
    }
    void fire() {
        if (dead || !enabled) return;
        enabled = false;
        timer->stop();
        const timeval at = when;
        loop->dispatch([&] { cb(loop->api(), this, &at, userdata); });
    }
};

struct pa_defer_event {
    QtPulseMainloop* loop = nullptr;
    bool enabled = true;
    pa_defer_event_cb_t cb = nullptr;
    void* userdata = nullptr;
    pa_defer_event_destroy_cb_t destroy = nullptr;
    bool dead = false;
};

// The table libpulse calls through; each entry finds its loop in userdata.
struct QtPulseMainloop::Callbacks {
    static QtPulseMainloop* loopOf(pa_mainloop_api* a) { return static_cast<QtPulseMainloop*>(a->userdata); }

    static pa_io_event* ioNew(pa_mainloop_api* a, int fd, pa_io_event_flags_t events, pa_io_event_cb_t cb,
                              void* userdata) {
        QtPulseMainloop* loop = loopOf(a);
        pa_io_event* e = loop->reusableIo(fd);
        if (!e) {
            loop->io_.push_back(std::make_unique<pa_io_event>());
            e = loop->io_.back().get();
            e->loop = loop;
            e->fd = fd;
        }
        e->cb = cb;
        e->userdata = userdata;
        e->destroy = nullptr;
        e->dead = false;
        e->enable(events);
        return e;
    }
    static void ioEnable(pa_io_event* e, pa_io_event_flags_t events) { e->enable(events); }
    static void ioFree(pa_io_event* e) {
        if (e->dead) return;
        e->dead = true;
        if (!e->loop->dispatching_) e->enable(PA_IO_EVENT_NULL);  // else as the callback returns: see above
        if (e->destroy) e->destroy(e->loop->api(), e, e->userdata);
        e->loop->scheduleCollect();
    }
    static void ioSetDestroy(pa_io_event* e, pa_io_event_destroy_cb_t cb) { e->destroy = cb; }

    static pa_time_event* timeNew(pa_mainloop_api* a, const timeval* tv, pa_time_event_cb_t cb, void* userdata) {
        QtPulseMainloop* loop = loopOf(a);
        auto e = std::make_unique<pa_time_event>();
        e->loop = loop;
        e->cb = cb;
        e->userdata = userdata;
        e->timer = std::make_unique<QTimer>();
        e->timer->setSingleShot(true);
        e->timer->setTimerType(Qt::PreciseTimer);
        pa_time_event* raw = e.get();
        QObject::connect(e->timer.get(), &QTimer::timeout, loop, [raw] { raw->fire(); });
        e->arm(tv);
        loop->time_.push_back(std::move(e));
        return raw;
    }
    static void timeRestart(pa_time_event* e, const timeval* tv) { e->arm(tv); }
    static void timeFree(pa_time_event* e) {
        if (e->dead) return;
        e->dead = true;
        e->enabled = false;
        e->timer->stop();
        if (e->destroy) e->destroy(e->loop->api(), e, e->userdata);
        e->loop->scheduleCollect();
    }
    static void timeSetDestroy(pa_time_event* e, pa_time_event_destroy_cb_t cb) { e->destroy = cb; }

    static pa_defer_event* deferNew(pa_mainloop_api* a, pa_defer_event_cb_t cb, void* userdata) {
        QtPulseMainloop* loop = loopOf(a);
        auto e = std::make_unique<pa_defer_event>();
        e->loop = loop;
        e->cb = cb;
        e->userdata = userdata;
        pa_defer_event* raw = e.get();
        loop->defer_.push_back(std::move(e));
        loop->scheduleDefers();
        return raw;
    }
    static void deferEnable(pa_defer_event* e, int b) {
        e->enabled = b != 0;
        if (e->enabled) e->loop->scheduleDefers();
    }
    static void deferFree(pa_defer_event* e) {
        if (e->dead) return;
        e->dead = true;
        e->enabled = false;
        if (e->destroy) e->destroy(e->loop->api(), e, e->userdata);
        e->loop->scheduleCollect();
    }
    static void deferSetDestroy(pa_defer_event* e, pa_defer_event_destroy_cb_t cb) { e->destroy = cb; }

    static void quit(pa_mainloop_api*, int) {}  // the application's loop is not libpulse's to end
};

QtPulseMainloop::QtPulseMainloop(QObject* parent) : QObject(parent) {
    api_.userdata = this;
    api_.io_new = &Callbacks::ioNew;
    api_.io_enable = &Callbacks::ioEnable;
    api_.io_free = &Callbacks::ioFree;
    api_.io_set_destroy = &Callbacks::ioSetDestroy;
    api_.time_new = &Callbacks::timeNew;
    api_.time_restart = &Callbacks::timeRestart;
    api_.time_free = &Callbacks::timeFree;
    api_.time_set_destroy = &Callbacks::timeSetDestroy;
    api_.defer_new = &Callbacks::deferNew;
    api_.defer_enable = &Callbacks::deferEnable;
    api_.defer_free = &Callbacks::deferFree;
    api_.defer_set_destroy = &Callbacks::deferSetDestroy;
    api_.quit = &Callbacks::quit;
}

// The owner ends its libpulse objects first; what is left is only memory.
QtPulseMainloop::~QtPulseMainloop() {
    destroying_ = true;
    io_.clear();
    time_.clear();
    defer_.clear();
}

int QtPulseMainloop::liveEvents() const {
    auto live = [](const auto& list) {
        return std::count_if(list.begin(), list.end(), [](const auto& e) { return !e->dead; });
    };
    return static_cast<int>(live(io_) + live(time_) + live(defer_));
}

void QtPulseMainloop::scheduleDefers() {
    // Inside a callback of ours they run as it returns, as libpulse's own
    // loop runs them before it polls again.
    if (inCallback_) return;
    postDefers();
}

void QtPulseMainloop::postDefers() {
    if (destroying_ || std::exchange(defersScheduled_, true)) return;
    QTimer::singleShot(0, this, &QtPulseMainloop::runDefers);
}

void QtPulseMainloop::runDefers() {
    defersScheduled_ = false;
    // Events added by a callback wait for the next turn.
    const std::size_t n = defer_.size();
    for (std::size_t i = 0; i < n; ++i) {
        pa_defer_event* e = defer_[i].get();
        if (!e->dead && e->enabled) e->cb(&api_, e, e->userdata);
    }
    if (std::any_of(defer_.begin(), defer_.end(), [](const auto& e) { return !e->dead && e->enabled; })) postDefers();
}

void QtPulseMainloop::dispatch(const std::function<void()>& callback) {
    if (dispatching_) {  // a loop of our own may run a timer
        callback();
        return;
    }
    dispatching_ = inCallback_ = true;
    callback();
    inCallback_ = false;
    runDefers();
    dispatching_ = false;
    for (const auto& e : io_)
        if (e->dead) e->enable(PA_IO_EVENT_NULL);
}

pa_io_event* QtPulseMainloop::reusableIo(int fd) {
    for (const auto& e : io_)
        if (e->dead && e->fd == fd) return e.get();
    return nullptr;
}

void QtPulseMainloop::scheduleCollect() {
    if (destroying_ || std::exchange(collectScheduled_, true)) return;
    QTimer::singleShot(0, this, &QtPulseMainloop::collect);
}

void QtPulseMainloop::collect() {
    collectScheduled_ = false;
    auto sweep = [](auto& list) {
        list.erase(std::remove_if(list.begin(), list.end(), [](const auto& e) { return e->dead; }), list.end());
    };
    sweep(io_);
    sweep(time_);
    sweep(defer_);
}

bool QtPulseMainloop::runUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done) {
    using namespace std::chrono;
    std::vector<pollfd> fds;
    std::vector<pa_io_event*> polled;
    while (!done()) {
        const auto now = steady_clock::now();
        if (now >= deadline) return false;
        runDefers();
        if (done()) break;

        fds.clear();
        polled.clear();
        for (const auto& e : io_) {
            if (e->dead || e->events == PA_IO_EVENT_NULL) continue;
            short want = 0;
            if (e->events & PA_IO_EVENT_INPUT) want |= POLLIN;
            if (e->events & PA_IO_EVENT_OUTPUT) want |= POLLOUT;
            fds.push_back({e->fd, want, 0});
            polled.push_back(e.get());
        }
        auto timeout = duration_cast<milliseconds>(deadline - now).count() + 1;
        for (const auto& e : time_)
            if (!e->dead && e->enabled) timeout = std::min<long long>(timeout, static_cast<long long>(e->msUntil()));
        if (std::any_of(defer_.begin(), defer_.end(), [](const auto& e) { return !e->dead && e->enabled; }))
            timeout = 0;
        const int n = ::poll(fds.data(), fds.size(), static_cast<int>(timeout));
        if (n < 0 && errno != EINTR) return false;
        for (std::size_t i = 0; n > 0 && i < fds.size(); ++i) {
            const short r = fds[i].revents;
            if (!r) continue;
            int flags = PA_IO_EVENT_NULL;
            if (r & POLLIN) flags |= PA_IO_EVENT_INPUT;
            if (r & POLLOUT) flags |= PA_IO_EVENT_OUTPUT;
            if (r & POLLHUP) flags |= PA_IO_EVENT_HANGUP;
            if (r & (POLLERR | POLLNVAL)) flags |= PA_IO_EVENT_ERROR;
            pa_io_event* e = polled[i];
            if (!e->dead) e->cb(&api_, e, e->fd, static_cast<pa_io_event_flags_t>(flags), e->userdata);
        }
        const std::size_t timers = time_.size();
        for (std::size_t i = 0; i < timers; ++i) {
            pa_time_event* e = time_[i].get();
            if (!e->dead && e->enabled && e->msUntil() == 0) e->fire();
        }
        collect();
    }
    return true;
}
