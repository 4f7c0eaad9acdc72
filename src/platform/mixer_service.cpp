#include "platform/mixer_service.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <algorithm>
#include <cstring>
#include <utility>

Q_LOGGING_CATEGORY(lcDevices, "tavlo.mixer", QtInfoMsg)

QEvent::Type MixerNotifyEvent::eventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

MixerService::MixerService(std::unique_ptr<MixerDriver> driver, QObject* parent)
    : QObject(parent), driver_(std::move(driver)) {
    driver_->setParent(nullptr);  // owned by the unique_ptr, not by Qt
    connect(driver_.get(), &MixerDriver::controlChanged, this,
            [this](DeviceKey key, DWORD id) { post(key, MM_MIXM_CONTROL_CHANGE, id, false); });
    connect(driver_.get(), &MixerDriver::lineChanged, this,
            [this](DeviceKey key, DWORD id) { post(key, MM_MIXM_LINE_CHANGE, id, false); });
    connect(driver_.get(), &MixerDriver::metersChanged, this, [this](DeviceKey key) {
        if (const int index = indexOf(key); index >= 0) emit metersChanged(static_cast<UINT>(index));
    });
    // A driver reports device changes as they happen, possibly in the middle
    // of a write (a card failing): the listeners hear of them afterwards.
    connect(driver_.get(), &MixerDriver::devicesChanged, this, [this] {
        ++treeVersion_;
        if (std::exchange(devicesChangePending_, true)) return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                devicesChangePending_ = false;
                noteDevices();
                ++devicesAnnounced_;
                emit devicesChanged();
            },
            Qt::QueuedConnection);
    });
    noteDevices();
}

void MixerService::noteDevices() {
    std::vector<std::pair<DeviceKey, QString>> now;
    for (int i = 0; i < driver_->deviceCount(); ++i) {
        const DeviceKey key = driver_->deviceKey(i);
        const DeviceModel* model = driver_->model(key);
        now.emplace_back(key, model ? QString::fromLocal8Bit(model->caps.szPname) : QString());
    }
    auto has = [](const auto& list, DeviceKey key) {
        return std::any_of(list.begin(), list.end(), [key](const auto& d) { return d.first == key; });
    };
    for (const auto& [key, name] : named_)
        if (!has(now, key)) qCInfo(lcDevices).noquote() << "mixer device" << name << "is gone";
    for (const auto& [key, name] : now)
        if (!has(named_, key) && !named_.empty()) qCInfo(lcDevices).noquote() << "mixer device" << name << "came";
    named_ = std::move(now);
}

bool MixerService::mixerIsStandIn(UINT uMxId) const {
    return uMxId < mixerGetNumDevs() && driver_->isStandIn(driver_->deviceKey(static_cast<int>(uMxId)));
}

MixerService::~MixerService() = default;

UINT MixerService::mixerGetNumDevs() const { return static_cast<UINT>(std::max(driver_->deviceCount(), 0)); }

MMRESULT MixerService::mixerOpen(HMIXER* phmx, UINT uMxId, QObject* dwCallback, std::uintptr_t /*dwInstance*/,
                                 DWORD fdwOpen) {
    if (!phmx) return MMSYSERR_INVALPARAM;
    if (fdwOpen != CALLBACK_NULL && fdwOpen != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
    if (fdwOpen == CALLBACK_WINDOW && !dwCallback) return MMSYSERR_INVALPARAM;
    if (uMxId >= mixerGetNumDevs()) return MMSYSERR_BADDEVICEID;
    const DeviceKey key = driver_->deviceKey(static_cast<int>(uMxId));
    const DeviceModel* model = driver_->model(key);
    if (!model) return MMSYSERR_BADDEVICEID;
    if (model->openFails) return MMSYSERR_NODRIVER;

    auto slot = std::find_if(handles_.begin(), handles_.end(), [](const Handle& h) { return !h.open; });
    if (slot == handles_.end()) {
        handles_.push_back(Handle{static_cast<HMIXER>(handles_.size() + 1), 0, nullptr, false});
        slot = handles_.end() - 1;
    }
    slot->device = key;
    slot->callback = fdwOpen == CALLBACK_WINDOW ? dwCallback : nullptr;
    slot->open = true;
    *phmx = slot->id;
    return MMSYSERR_NOERROR;
}

MMRESULT MixerService::mixerClose(HMIXER hmx) {
    if (hmx == 0 || hmx > handles_.size() || !handles_[hmx - 1].open) return MMSYSERR_INVALHANDLE;
    Handle& h = handles_[hmx - 1];
    h.open = false;
    h.callback = nullptr;
    h.device = 0;
    return MMSYSERR_NOERROR;
}

int MixerService::indexOf(DeviceKey device) const {
    for (int i = 0; i < driver_->deviceCount(); ++i)
        if (driver_->deviceKey(i) == device) return i;
    return -1;
}

MMRESULT MixerService::mixerGetID(HMIXER hmx, UINT* puMxId, DWORD fdwId) const {
    if (!puMxId) return MMSYSERR_INVALPARAM;
    switch (fdwId) {
        case MIXER_OBJECTF_HMIXER: {
            const Handle* h = findHandle(hmx);
            if (!h) return MMSYSERR_INVALHANDLE;
            const int index = indexOf(h->device);
            if (index < 0) return MMSYSERR_NODRIVER;
            *puMxId = static_cast<UINT>(index);
            return MMSYSERR_NOERROR;
        }
        case MIXER_OBJECTF_MIXER:
            if (hmx >= mixerGetNumDevs()) return MMSYSERR_BADDEVICEID;
            *puMxId = hmx;
            return MMSYSERR_NOERROR;
        default:
            return MMSYSERR_INVALFLAG;
    }
}

int MixerService::openHandleCount() const {
    return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const Handle& h) { return h.open; }));
}

MMRESULT MixerService::mixerGetDevCapsA(UINT uMxId, MIXERCAPS* pmxcaps, UINT cbmxcaps) const {
    if (!pmxcaps || cbmxcaps != sizeof(MIXERCAPS)) return MMSYSERR_INVALPARAM;
    if (uMxId >= mixerGetNumDevs()) return MMSYSERR_BADDEVICEID;
    const DeviceModel* model = driver_->model(driver_->deviceKey(static_cast<int>(uMxId)));
    if (!model) return MMSYSERR_BADDEVICEID;
    *pmxcaps = model->caps;
    return MMSYSERR_NOERROR;
}

const MixerService::Handle* MixerService::findHandle(HMIXER hmx) const {
    if (hmx == 0 || hmx > handles_.size()) return nullptr;
    const Handle& h = handles_[hmx - 1];
    return h.open ? &h : nullptr;
}

const DeviceModel* MixerService::modelFor(HMIXER hmx, MMRESULT* error) const {
    const Handle* h = findHandle(hmx);
    const DeviceModel* model = h ? driver_->model(h->device) : nullptr;
    // A handle whose device has gone answers as an invalid handle.
    *error = model ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
    return model;
}

MMRESULT MixerService::mixerGetLineInfoA(HMIXER hmx, MIXERLINE* pmxl, DWORD fdwInfo) const {
    MMRESULT err;
    const DeviceModel* model = modelFor(hmx, &err);
    if (!model) return err;
    if (!pmxl || pmxl->cbStruct != sizeof(MIXERLINE)) return MMSYSERR_INVALPARAM;

    const DriverLine* line = nullptr;
    switch (fdwInfo & MIXER_GETLINEINFOF_QUERYMASK) {
        case MIXER_GETLINEINFOF_DESTINATION:
            line = model->destinationLine(pmxl->dwDestination);
            break;
        case MIXER_GETLINEINFOF_SOURCE:
            line = model->sourceLine(pmxl->dwDestination, pmxl->dwSource);
            break;
        case MIXER_GETLINEINFOF_LINEID:
            line = model->lineById(pmxl->dwLineID);
            break;
        case MIXER_GETLINEINFOF_COMPONENTTYPE:
            for (const auto& dest : model->destinations) {
                if (dest.line.info.dwComponentType == pmxl->dwComponentType) line = &dest.line;
                for (const auto& src : dest.sources)
                    if (!line && src.info.dwComponentType == pmxl->dwComponentType) line = &src;
                if (line) break;
            }
            break;
        default:
            return MMSYSERR_INVALFLAG;
    }
    if (!line) return MIXERR_INVALLINE;
    if (line->queryFails) return MMSYSERR_ERROR;
    *pmxl = line->info;
    return MMSYSERR_NOERROR;
}

MMRESULT MixerService::mixerGetLineControlsA(HMIXER hmx, MIXERLINECONTROLS* pmxlc, DWORD fdwControls) const {
    MMRESULT err;
    const DeviceModel* model = modelFor(hmx, &err);
    if (!model) return err;
    if (!pmxlc || pmxlc->cbStruct != sizeof(MIXERLINECONTROLS) || pmxlc->cbmxctrl != sizeof(MIXERCONTROL) ||
        !pmxlc->pamxctrl)
        return MMSYSERR_INVALPARAM;

    switch (fdwControls & MIXER_GETLINECONTROLSF_QUERYMASK) {
        case MIXER_GETLINECONTROLSF_ALL: {
            const DriverLine* line = model->lineById(pmxlc->dwLineID);
            if (!line) return MIXERR_INVALLINE;
            if (pmxlc->cControls != line->controls.size() || line->controls.empty()) return MMSYSERR_INVALPARAM;
            if (line->controlsQueryFails) return MMSYSERR_ERROR;
            for (std::size_t i = 0; i < line->controls.size(); ++i) pmxlc->pamxctrl[i] = line->controls[i].info;
            return MMSYSERR_NOERROR;
        }
        case MIXER_GETLINECONTROLSF_ONEBYID: {
            const auto ref = model->controlById(pmxlc->dwControlID);
            if (!ref.control) return MIXERR_INVALCONTROL;
            if (ref.line->controlsQueryFails) return MMSYSERR_ERROR;
            pmxlc->dwLineID = ref.line->info.dwLineID;
            pmxlc->pamxctrl[0] = ref.control->info;
            return MMSYSERR_NOERROR;
        }
        case MIXER_GETLINECONTROLSF_ONEBYTYPE: {
            const DriverLine* line = model->lineById(pmxlc->dwLineID);
            if (!line) return MIXERR_INVALLINE;
            if (line->controlsQueryFails) return MMSYSERR_ERROR;
            for (const auto& c : line->controls) {
                if (c.info.dwControlType == pmxlc->dwControlType) {
                    pmxlc->pamxctrl[0] = c.info;
                    return MMSYSERR_NOERROR;
                }
            }
            return MIXERR_INVALCONTROL;
        }
        default:
            return MMSYSERR_INVALFLAG;
    }
}

namespace {

// Checks a details request against the control and tells how the caller's
// channels map onto the stored ones.
struct DetailsShape {
    DWORD lineChannels = 1;
    DWORD storedChannels = 1;  // channels the control keeps (1 when uniform)
    DWORD items = 1;
    DWORD callerChannels = 1;
};

MMRESULT checkShape(const DeviceModel::ControlRef& ref, const MIXERCONTROLDETAILS& d, DetailsShape* shape) {
    const MIXERCONTROL& c = ref.control->info;
    shape->lineChannels = std::max<DWORD>(ref.line->info.cChannels, 1);
    shape->storedChannels = (c.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : shape->lineChannels;
    const bool multiple = (c.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) != 0;
    shape->items = multiple ? c.cMultipleItems : 1;
    if (multiple ? d.cMultipleItems != c.cMultipleItems : d.cMultipleItems != 0) return MMSYSERR_INVALPARAM;
    // One channel treats any control as uniform; otherwise the line's count.
    if (d.cChannels != 1 && d.cChannels != shape->lineChannels) return MMSYSERR_INVALPARAM;
    shape->callerChannels = d.cChannels;
    if (!d.paDetails) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

constexpr std::size_t kInlineValues = 64;

// A value buffer that lives on the stack for every ordinary control.
struct ValueBuffer {
    explicit ValueBuffer(std::size_t n) : size(n) {
        if (n > kInlineValues) heap.resize(n);
    }
    DWORD* data() { return size > kInlineValues ? heap.data() : inline_; }
    std::span<DWORD> span() { return {data(), size}; }
    std::size_t size;
    DWORD inline_[kInlineValues]{};
    std::vector<DWORD> heap;
};

DWORD clampValue(const MIXERCONTROL& c, DWORD v) {
    if (isBooleanUnits(c.dwControlType)) return v ? 1 : 0;
    if (isUnsignedUnits(c.dwControlType) && c.Bounds.dwMaximum > c.Bounds.dwMinimum)
        return std::clamp(v, c.Bounds.dwMinimum, c.Bounds.dwMaximum);
    return v;
}

}  // namespace

MMRESULT MixerService::mixerGetControlDetailsA(HMIXER hmx, MIXERCONTROLDETAILS* pmxcd, DWORD fdwDetails) {
    MMRESULT err;
    const DeviceModel* model = modelFor(hmx, &err);
    if (!model) return err;
    return readDetails(*model, findHandle(hmx)->device, pmxcd, fdwDetails);
}

MMRESULT MixerService::readDetails(const DeviceModel& model, DeviceKey key, MIXERCONTROLDETAILS* pmxcd,
                                   DWORD fdwDetails) {
    if (!pmxcd || pmxcd->cbStruct != sizeof(MIXERCONTROLDETAILS)) return MMSYSERR_INVALPARAM;
    const auto ref = model.controlById(pmxcd->dwControlID);
    if (!ref.control) return MIXERR_INVALCONTROL;
    DetailsShape shape;
    if (MMRESULT e = checkShape(ref, *pmxcd, &shape)) return e;

    switch (fdwDetails & MIXER_GETCONTROLDETAILSF_QUERYMASK) {
        case MIXER_GETCONTROLDETAILSF_LISTTEXT: {
            if (pmxcd->cbDetails != sizeof(MIXERCONTROLDETAILS_LISTTEXT) || ref.control->items.empty())
                return MMSYSERR_INVALPARAM;
            auto* out = static_cast<MIXERCONTROLDETAILS_LISTTEXT*>(pmxcd->paDetails);
            for (DWORD ch = 0; ch < shape.callerChannels; ++ch) {
                for (DWORD i = 0; i < shape.items; ++i) {
                    auto& t = out[ch * shape.items + i];
                    t.dwParam1 = i < ref.control->itemParams.size() ? ref.control->itemParams[i] : 0;
                    t.dwParam2 = 0;
                    copyName(t.szName, ref.control->items[i]);
                }
            }
            return MMSYSERR_NOERROR;
        }
        case MIXER_GETCONTROLDETAILSF_VALUE: {
            if (pmxcd->cbDetails != sizeof(DWORD)) return MMSYSERR_INVALPARAM;
            if (ref.control->readFails) return MMSYSERR_ERROR;
            ValueBuffer stored(std::size_t{shape.storedChannels} * shape.items);
            if (!driver_->readValues(key, pmxcd->dwControlID, stored.span())) return MMSYSERR_ERROR;
            auto* out = static_cast<DWORD*>(pmxcd->paDetails);
            for (DWORD ch = 0; ch < shape.callerChannels; ++ch) {
                const DWORD from = std::min(ch, shape.storedChannels - 1);
                std::memcpy(out + ch * shape.items, stored.data() + from * shape.items, shape.items * sizeof(DWORD));
            }
            return MMSYSERR_NOERROR;
        }
        default:
            return MMSYSERR_INVALFLAG;
    }
}

MMRESULT MixerService::mixerSetControlDetails(HMIXER hmx, MIXERCONTROLDETAILS* pmxcd, DWORD fdwDetails) {
    MMRESULT err;
    const DeviceModel* model = modelFor(hmx, &err);
    if (!model) return err;
    if ((fdwDetails & MIXER_SETCONTROLDETAILSF_QUERYMASK) != MIXER_SETCONTROLDETAILSF_VALUE) return MMSYSERR_INVALFLAG;
    if (!pmxcd || pmxcd->cbStruct != sizeof(MIXERCONTROLDETAILS) || pmxcd->cbDetails != sizeof(DWORD))
        return MMSYSERR_INVALPARAM;
    const auto ref = model->controlById(pmxcd->dwControlID);
    if (!ref.control) return MIXERR_INVALCONTROL;
    DetailsShape shape;
    if (MMRESULT e = checkShape(ref, *pmxcd, &shape)) return e;

    if (ref.control->writeFails) return MMSYSERR_ERROR;

    const DeviceKey key = findHandle(hmx)->device;
    const MIXERCONTROL& c = ref.control->info;
    const auto* in = static_cast<const DWORD*>(pmxcd->paDetails);
    ValueBuffer stored(std::size_t{shape.storedChannels} * shape.items);
    // One caller channel writes every stored channel; a uniform control
    // keeps the first channel of a per-channel write.
    for (DWORD ch = 0; ch < shape.storedChannels; ++ch) {
        const DWORD from = std::min(ch, shape.callerChannels - 1);
        for (DWORD i = 0; i < shape.items; ++i)
            stored.data()[ch * shape.items + i] = clampValue(c, in[from * shape.items + i]);
    }
    if (!driver_->writeValues(key, pmxcd->dwControlID, stored.span())) return MMSYSERR_ERROR;
    post(key, MM_MIXM_CONTROL_CHANGE, pmxcd->dwControlID, true);
    return MMSYSERR_NOERROR;
}

void MixerService::post(DeviceKey device, UINT message, DWORD id, bool echo) {
    for (const Handle& h : handles_) {
        if (h.open && h.device == device && h.callback)
            QCoreApplication::postEvent(h.callback.data(), new MixerNotifyEvent(message, h.id, id, echo));
    }
}
