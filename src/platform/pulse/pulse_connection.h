#pragma once
// The connection to the sound server: a libpulse context on the Qt event
// loop, connected without ever starting a server, subscribed to sinks,
// streams, sources and the server itself. While no server answers it tries
// again once a second, from the event loop.

#include "platform/pulse/pulse_handles.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class QtPulseMainloop;
class QTimer;

class PulseConnection : public QObject {
    Q_OBJECT
public:
    explicit PulseConnection(QObject* parent = nullptr);
    ~PulseConnection() override;

    // Makes a context and starts connecting; false, with *error set, when
    // that fails at once. ready() or lost() follows.
    bool connectToServer(QString* error);
    // Another try in a second, and each second after until one starts.
    void retryLater();
    // Gives the context back.
    void release();

    pa_context* context() const { return context_.get(); }
    bool failed() const { return failed_; }
    // What libpulse says of the last error.
    QString errorText() const;

    // Start-up is over: a failure is said through lost(), from the event
    // loop. Before, the caller looks at failed().
    void setStarted() { started_ = true; }
    bool started() const { return started_; }

    // Runs the events without the Qt event loop until done() or the
    // deadline (see QtPulseMainloop::runUntil).
    bool runUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done);

signals:
    // Connected and subscribed: time to load what the server holds.
    void ready();
    // The server says something changed (pa_subscription_event_type_t).
    void event(unsigned type, std::uint32_t index);
    // The connection failed or ended.
    void lost();

private:
    struct Callbacks;
    void onState();

    std::unique_ptr<QtPulseMainloop> loop_;  // outlives the context
    PulseContextPtr context_;
    QTimer* retry_ = nullptr;
    bool failed_ = false;
    bool started_ = false;
};
