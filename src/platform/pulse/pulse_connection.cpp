#include "platform/pulse/pulse_connection.h"

#include "platform/pulse/qt_mainloop.h"

#include <pulse/error.h>
#include <pulse/subscribe.h>

#include <QTimer>

namespace {
constexpr int kRetryMs = 1000;
}

struct PulseConnection::Callbacks {
    static void state(pa_context*, void* self) { static_cast<PulseConnection*>(self)->onState(); }
    static void subscription(pa_context*, pa_subscription_event_type_t t, std::uint32_t index, void* self) {
        emit static_cast<PulseConnection*>(self)->event(static_cast<unsigned>(t), index);
    }
};

PulseConnection::PulseConnection(QObject* parent)
    : QObject(parent), loop_(std::make_unique<QtPulseMainloop>()), retry_(new QTimer(this)) {
    retry_->setSingleShot(true);
    retry_->setInterval(kRetryMs);
    connect(retry_, &QTimer::timeout, this, [this] {
        QString why;
        if (!connectToServer(&why)) retry_->start();
    });
}

PulseConnection::~PulseConnection() {
    context_.reset();
    loop_.reset();
}

bool PulseConnection::connectToServer(QString* error) {
    PulseProplistPtr props(pa_proplist_new());
    pa_proplist_sets(props.get(), PA_PROP_APPLICATION_NAME, "Tavlo");
    pa_proplist_sets(props.get(), PA_PROP_APPLICATION_ID, "org.varnel.tavlo");
    context_.reset(pa_context_new_with_proplist(loop_->api(), "Tavlo", props.get()));
    if (!context_) {
        if (error) *error = QStringLiteral("cannot make a PulseAudio context");
        return false;
    }
    failed_ = false;
    pa_context_set_state_callback(context_.get(), &Callbacks::state, this);
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        if (error) *error = QStringLiteral("no PulseAudio or PipeWire server answers (%1)").arg(errorText());
        context_.reset();
        return false;
    }
    return true;
}

void PulseConnection::retryLater() { retry_->start(); }

void PulseConnection::release() { context_.reset(); }

QString PulseConnection::errorText() const {
    return QString::fromLocal8Bit(pa_strerror(context_ ? pa_context_errno(context_.get()) : PA_ERR_UNKNOWN));
}

bool PulseConnection::runUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done) {
    return loop_->runUntil(deadline, done);
}

void PulseConnection::onState() {
    pa_context* c = context_.get();
    switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            pa_context_set_subscribe_callback(c, &Callbacks::subscription, this);
            sent(pa_context_subscribe(
                c,
                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SINK_INPUT |
                                                    PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER),
                nullptr, nullptr));
            emit ready();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            failed_ = true;
            // Not from inside libpulse's own call; at start-up the caller looks.
            if (started_) QMetaObject::invokeMethod(this, &PulseConnection::lost, Qt::QueuedConnection);
            break;
        default:
            break;
    }
}
