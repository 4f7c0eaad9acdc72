#include "platform/alsa/alsa_device.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>

Q_LOGGING_CATEGORY(lcAlsa, "tavlo.alsa")

namespace {

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
    const int filled = count > 0 ? snd_mixer_poll_descriptors(mixer_.get(), fds.data(), static_cast<unsigned>(count)) : 0;
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
        // Rebuild at once from the event loop; inside a write, the service
        // still holds the old model, so wait until the write returns.
        if (ownControl)
            QTimer::singleShot(0, this, &AlsaDevice::rebuild);
        else
            rebuild();
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
    AlsaMapping old = std::move(mapping_);
    hookElements();
    mapping_ = buildMapping(mixer_.get(), card_, ids_);
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

bool AlsaDevice::read(DWORD controlId, std::span<DWORD> values) {
    if (gone_ || stale_) return false;
    const auto ref = mapping_.model.controlById(controlId);
    auto it = mapping_.bindings.find(controlId);
    if (!ref.control || it == mapping_.bindings.end() ||
        values.size() != controlValueCount(ref.control->info, ref.line->info.cChannels))
        return false;
    return readBinding(it->second, values);
}

bool AlsaDevice::write(DWORD controlId, std::span<const DWORD> values) {
    if (gone_ || stale_) return false;
    const auto ref = mapping_.model.controlById(controlId);
    auto it = mapping_.bindings.find(controlId);
    if (!ref.control || it == mapping_.bindings.end() ||
        values.size() != controlValueCount(ref.control->info, ref.line->info.cChannels))
        return false;
    const bool ok = writeBinding(it->second, values);
    // Take in the card's answer now (an exclusive switch turning the
    // others off), so a read right after the write sees it, and report what
    // else changed meanwhile.
    handleEvents(ok ? controlId : 0);
    return ok && !gone_;
}
