#include "platform/server_follower.h"

#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcFollow, "tavlo.cards", QtWarningMsg)

namespace {

// A back end's own keys stay far below this; the turn goes above it.
constexpr int kTurnShift = 40;
constexpr DeviceKey kInnerMask = (DeviceKey{1} << kTurnShift) - 1;

}  // namespace

ServerFollower::ServerFollower(std::unique_ptr<MixerDriver> server, Fallback fallback, std::chrono::milliseconds grace)
    : server_(std::move(server)), makeFallback_(std::move(fallback)) {
    server_->setParent(nullptr);
    connectDriver(*server_);
    connect(server_.get(), &MixerDriver::devicesChanged, this, &ServerFollower::serverDevicesChanged);
    grace_ = new QTimer(this);
    grace_->setSingleShot(true);
    grace_->setInterval(grace);
    connect(grace_, &QTimer::timeout, this, [this] {
        if (server_->soundServerState() != SoundServerState::Running) showFallback();
    });
    if (server_->soundServerState() == SoundServerState::Running)
        showingServer_ = true;
    else
        showFallback();
}

ServerFollower::~ServerFollower() = default;

void ServerFollower::connectDriver(MixerDriver& driver) {
    // Only the back end shown speaks; its keys go out with its turn.
    auto shown = [this, &driver] { return &active() == &driver; };
    connect(&driver, &MixerDriver::controlChanged, this, [this, shown](DeviceKey key, DWORD id) {
        if (shown()) emit controlChanged(outer(key), id);
    });
    connect(&driver, &MixerDriver::lineChanged, this, [this, shown](DeviceKey key, DWORD id) {
        if (shown()) emit lineChanged(outer(key), id);
    });
    connect(&driver, &MixerDriver::metersChanged, this, [this, shown](DeviceKey key) {
        if (shown()) emit metersChanged(outer(key));
    });
    if (&driver != server_.get())
        connect(&driver, &MixerDriver::devicesChanged, this, [this, shown] {
            if (shown()) emit devicesChanged();
        });
}

void ServerFollower::serverDevicesChanged() {
    const bool running = server_->soundServerState() == SoundServerState::Running;
    if (running && !showingServer_) {
        showServer();
        return;
    }
    if (!showingServer_) return;
    // The server's own devices changed, or it stopped: its devices are gone
    // then, and it has a while to come back before the fallback shows.
    if (!running && !grace_->isActive()) grace_->start();
    if (running) grace_->stop();
    emit devicesChanged();
}

void ServerFollower::showServer() {
    qCInfo(lcFollow) << "the sound server runs: showing its devices";
    grace_->stop();
    showingServer_ = true;
    fallback_.reset();
    ++turn_;
    if (meterInterval_.count() > 0) server_->setMeterInterval(meterInterval_);
    emit devicesChanged();
}

void ServerFollower::showFallback() {
    showingServer_ = false;
    if (!makeFallback_) return;
    qCInfo(lcFollow) << "no sound server: showing the sound cards";
    fallback_ = makeFallback_();
    ++turn_;
    if (fallback_) {
        fallback_->setParent(nullptr);
        connectDriver(*fallback_);
        if (meterInterval_.count() > 0) fallback_->setMeterInterval(meterInterval_);
    }
    emit devicesChanged();
}

DeviceKey ServerFollower::inner(DeviceKey key) const { return key >> kTurnShift == turn_ ? key & kInnerMask : 0; }

DeviceKey ServerFollower::outer(DeviceKey key) const { return (turn_ << kTurnShift) | (key & kInnerMask); }

int ServerFollower::deviceCount() const { return active().deviceCount(); }

DeviceKey ServerFollower::deviceKey(int index) const {
    const DeviceKey key = active().deviceKey(index);
    return key ? outer(key) : 0;
}

const DeviceModel* ServerFollower::model(DeviceKey key) const {
    const DeviceKey k = inner(key);
    return k ? active().model(k) : nullptr;
}

bool ServerFollower::readValues(DeviceKey key, DWORD controlId, std::span<DWORD> values) {
    const DeviceKey k = inner(key);
    return k && active().readValues(k, controlId, values);
}

bool ServerFollower::writeValues(DeviceKey key, DWORD controlId, std::span<const DWORD> values) {
    const DeviceKey k = inner(key);
    return k && active().writeValues(k, controlId, values);
}

bool ServerFollower::isStandIn(DeviceKey key) const {
    const DeviceKey k = inner(key);
    return k && active().isStandIn(k);
}

void ServerFollower::setMeterInterval(std::chrono::milliseconds interval) {
    meterInterval_ = interval;
    active().setMeterInterval(interval);
}
