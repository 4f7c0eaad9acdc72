#include "platform/alsa/alsa_device.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>

#include <cstring>
#include <utility>

Q_LOGGING_CATEGORY(lcAlsa, "tavlo.alsa")

namespace {

bool sameControls(const DriverLine& a, const DriverLine& b) {
    if (std::memcmp(&a.info, &b.info, sizeof a.info) != 0 || a.controls.size() != b.controls.size()) return false;
    for (std::size_t i = 0; i < a.controls.size(); ++i) {
        const DriverControl& x = a.controls[i];
        const DriverControl& y = b.controls[i];
        if (std::memcmp(&x.info, &y.info, sizeof x.info) != 0 || x.items != y.items || x.itemParams != y.itemParams)
            return false;
    }
    return true;
}

// Whether two models show the same lines and controls with the same ids.
bool sameTree(const DeviceModel& a, const DeviceModel& b) {
    if (std::memcmp(&a.caps, &b.caps, sizeof a.caps) != 0 || a.destinations.size() != b.destinations.size())
        return false;
    for (std::size_t d = 0; d < a.destinations.size(); ++d) {
        const auto& x = a.destinations[d];
        const auto& y = b.destinations[d];
        if (!sameControls(x.line, y.line) || x.sources.size() != y.sources.size()) return false;
        for (std::size_t s = 0; s < x.sources.size(); ++s)
            if (!sameControls(x.sources[s], y.sources[s])) return false;
    }
    return true;
}

QString alsaError(const QString& what, int err) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(snd_strerror(err)));
}

}  // namespace

AlsaDevice::AlsaDevice(Key, QString name) : name_(std::move(name)) {}

AlsaDevice::~AlsaDevice() {
    notifiers_.clear();
    closing_ = true;  // closing raises a removal event for every element
    mixer_.reset();
}

std::unique_ptr<AlsaDevice> AlsaDevice::open(const QString& name, QString* error) {
    auto device = std::make_unique<AlsaDevice>(Key{}, name);
    if (!device->start(error)) return nullptr;
    return device;
}

bool AlsaDevice::start(QString* error) {
    auto fail = [&](const QString& what, int err) {
        if (error) *error = alsaError(QStringLiteral("ALSA device %1: %2").arg(name_, what), err);
        return false;
    };
    const QByteArray device = name_.toLocal8Bit();
    snd_mixer_t* mixer = nullptr;
    if (int err = snd_mixer_open(&mixer, 0); err < 0) return fail(QStringLiteral("cannot open a mixer"), err);
    mixer_.reset(mixer);
    if (int err = snd_mixer_attach(mixer, device.constData()); err < 0) return fail(QStringLiteral("cannot open"), err);
    if (int err = snd_mixer_selem_register(mixer, nullptr, nullptr); err < 0)
        return fail(QStringLiteral("no simple mixer"), err);
    snd_mixer_set_callback(mixer, &AlsaDevice::mixerEvent);
    snd_mixer_set_callback_private(mixer, this);
    if (int err = snd_mixer_load(mixer); err < 0) return fail(QStringLiteral("cannot read its controls"), err);

    snd_hctl_t* hctl = nullptr;
    if (int err = snd_mixer_get_hctl(mixer, device.constData(), &hctl); err < 0)
        return fail(QStringLiteral("no control handle"), err);
    // Events are read only when the descriptors say so, but a read must
    // never wait.
    snd_hctl_nonblock(hctl, 1);
    snd_ctl_card_info_t* rawInfo = nullptr;
    if (int err = snd_ctl_card_info_malloc(&rawInfo); err < 0) return fail(QStringLiteral("out of memory"), err);
    AlsaCardInfoPtr info(rawInfo);
    if (int err = snd_ctl_card_info(snd_hctl_ctl(hctl), rawInfo); err < 0)
        return fail(QStringLiteral("no card information"), err);
    card_.name = snd_ctl_card_info_get_name(rawInfo);
    card_.cardIndex = snd_ctl_card_info_get_card(rawInfo);

    hookElements();
    mapping_ = buildMapping(mixer, card_, ids_);
    stale_ = false;  // loading announced every element as added
    refreshKnownValues(0, false);
    watch();
    return true;
}

void AlsaDevice::watch() {
    const int count = snd_mixer_poll_descriptors_count(mixer_.get());
    if (count <= 0) return;
    std::vector<pollfd> fds(static_cast<std::size_t>(count));
    const int filled = snd_mixer_poll_descriptors(mixer_.get(), fds.data(), static_cast<unsigned>(count));
    for (int i = 0; i < filled; ++i) {
        auto n = std::make_unique<QSocketNotifier>(fds[static_cast<std::size_t>(i)].fd, QSocketNotifier::Read);
        connect(n.get(), &QSocketNotifier::activated, this, &AlsaDevice::onReadable);
        notifiers_.push_back(std::move(n));
    }
}

void AlsaDevice::hookElements() {
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_.get()); e; e = snd_mixer_elem_next(e)) {
        snd_mixer_elem_set_callback(e, &AlsaDevice::elemEvent);
        snd_mixer_elem_set_callback_private(e, this);
    }
}

int AlsaDevice::mixerEvent(snd_mixer_t* mixer, unsigned mask, snd_mixer_elem_t* elem) {
    auto* self = static_cast<AlsaDevice*>(snd_mixer_get_callback_private(mixer));
    if (self && (mask & SND_CTL_EVENT_MASK_ADD) && elem) {
        snd_mixer_elem_set_callback(elem, &AlsaDevice::elemEvent);
        snd_mixer_elem_set_callback_private(elem, self);
    }
    if (self) self->noteEvent(mask);
    return 0;
}

int AlsaDevice::elemEvent(snd_mixer_elem_t* elem, unsigned mask) {
    if (auto* self = static_cast<AlsaDevice*>(snd_mixer_elem_get_callback_private(elem))) self->noteEvent(mask);
    return 0;
}

void AlsaDevice::noteEvent(unsigned mask) {
    if (closing_) return;
    // Removal is all bits set; additions and new element info change the
    // element set or what the elements can do.
    if (mask == SND_CTL_EVENT_MASK_REMOVE || (mask & (SND_CTL_EVENT_MASK_ADD | SND_CTL_EVENT_MASK_INFO))) {
        structureChanged_ = true;
        stale_ = true;  // a removed element's handle is freed once the callback returns
    }
    if (mask != SND_CTL_EVENT_MASK_REMOVE && (mask & SND_CTL_EVENT_MASK_VALUE)) valuesChanged_ = true;
}

void AlsaDevice::onReadable() {
    if (gone_) return;
    const int count = snd_mixer_poll_descriptors_count(mixer_.get());
    std::vector<pollfd> fds(static_cast<std::size_t>(std::max(count, 0)));
    const int filled =
        count > 0 ? snd_mixer_poll_descriptors(mixer_.get(), fds.data(), static_cast<unsigned>(count)) : 0;
    // A zero timeout: this only asks for the error bits the notifier does not give.
    if (filled > 0 && ::poll(fds.data(), static_cast<nfds_t>(filled), 0) >= 0) {
        unsigned short revents = 0;
        if (snd_mixer_poll_descriptors_revents(mixer_.get(), fds.data(), static_cast<unsigned>(filled), &revents) < 0 ||
            (revents & (POLLERR | POLLNVAL | POLLHUP))) {
            qCInfo(lcAlsa) << "ALSA device" << name_ << "is gone";
            lose();
            return;
        }
    }
    handleEvents(0);
}

void AlsaDevice::handleEvents(DWORD ownControl) {
    if (gone_) return;
    valuesChanged_ = false;
    structureChanged_ = false;
    const int err = snd_mixer_handle_events(mixer_.get());
    if (err < 0) {
        // A card that cannot deliver its events any more (unplugged, or its
        // control device failing) is treated as gone.
        qCInfo(lcAlsa).noquote() << alsaError(QStringLiteral("ALSA device %1 failed").arg(name_), err);
        lose();
        return;
    }
    if (structureChanged_) {
        hookElements();
        adopt(buildMapping(mixer_.get(), card_, ids_), ownControl == 0, ownControl);
        return;
    }
    if (valuesChanged_ || ownControl) refreshKnownValues(ownControl, true);
}

void AlsaDevice::refreshKnownValues(DWORD quietControl, bool report) {
    for (const auto& [id, binding] : mapping_.bindings) {
        const auto ref = mapping_.model.controlById(id);
        if (!ref.control) continue;
        std::vector<DWORD> now(controlValueCount(ref.control->info, ref.line->info.cChannels));
        if (!readBinding(binding, now)) continue;
        auto it = known_.find(id);
        if (it == known_.end()) {
            known_.emplace(id, std::move(now));
            continue;
        }
        if (it->second == now) continue;
        it->second = std::move(now);
        // Each change is reported once, however many elements it touched.
        if (report && id != quietControl) emit controlChanged(id);
    }
}

void AlsaDevice::rebuild() {
    if (gone_ || !stale_) return;
    hookElements();
    adopt(buildMapping(mixer_.get(), card_, ids_), true, 0);
}

void AlsaDevice::adopt(AlsaMapping next, bool mayAnnounce, DWORD quietControl) {
    if (sameTree(mapping_.model, next.model)) {
        // Same lines and controls (the element set came back as it was, or
        // only element details changed): the service's model stays valid.
        mapping_.bindings = std::move(next.bindings);
        stale_ = false;
        refreshKnownValues(quietControl, true);
        return;
    }
    if (!mayAnnounce) {
        // Inside a write the service still holds the model: announce later.
        QTimer::singleShot(0, this, &AlsaDevice::rebuild);
        return;
    }
    AlsaMapping old = std::exchange(mapping_, std::move(next));
    stale_ = false;
    std::erase_if(known_, [this](const auto& entry) { return !mapping_.bindings.contains(entry.first); });
    refreshKnownValues(0, true);
    emit rebuilt();
    // The old model dies only now: it was valid until the listeners heard of the new one.
}

void AlsaDevice::lose() {
    if (gone_) return;
    gone_ = true;
    // Called from a notifier's own signal: the notifiers go later.
    for (auto& n : notifiers_) {
        n->setEnabled(false);
        n.release()->deleteLater();
    }
    notifiers_.clear();
    closing_ = true;
    mixer_.reset();
    emit lost();
}

const ControlBinding* AlsaDevice::usableBinding(DWORD controlId, std::size_t valueCount) const {
    if (gone_ || stale_) return nullptr;
    const auto ref = mapping_.model.controlById(controlId);
    auto it = mapping_.bindings.find(controlId);
    if (!ref.control || it == mapping_.bindings.end() ||
        valueCount != controlValueCount(ref.control->info, ref.line->info.cChannels))
        return nullptr;
    return &it->second;
}

bool AlsaDevice::read(DWORD controlId, std::span<DWORD> values) {
    const ControlBinding* binding = usableBinding(controlId, values.size());
    return binding && readBinding(*binding, values);
}

bool AlsaDevice::write(DWORD controlId, std::span<const DWORD> values) {
    const ControlBinding* binding = usableBinding(controlId, values.size());
    if (!binding) return false;
    if (!writeBinding(*binding, values)) {
        resync();
        return false;
    }
    // Take in the card's answer now (an exclusive switch turning the
    // others off), so a read right after the write sees it, and report what
    // else changed meanwhile.
    handleEvents(controlId);
    return !gone_;
}

// alsa-lib keeps the values the card refused as if they were written, and
// would then skip writing them again as "unchanged": reloading the elements
// reads what the card really holds.
void AlsaDevice::resync() {
    if (gone_) return;
    snd_mixer_free(mixer_.get());
    stale_ = true;
    if (int err = snd_mixer_load(mixer_.get()); err < 0) {
        qCInfo(lcAlsa).noquote() << alsaError(QStringLiteral("ALSA device %1 failed").arg(name_), err);
        lose();
        return;
    }
    hookElements();
    adopt(buildMapping(mixer_.get(), card_, ids_), false, 0);
}
