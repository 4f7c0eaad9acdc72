#include "mixer/audio_mixer.h"

#include "platform/mixer_service.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcMixer, "tavlo.mixer", QtInfoMsg)

TAudioMixer::TAudioMixer(MixerService& service, QObject* owner) : QObject(owner), service_(service) {
    // This object is also the window the device posts its notifications to.
    connect(&service_, &MixerService::devicesChanged, this, &TAudioMixer::devicesChanged);
    followedDevices_ = service_.devicesAnnounced();
    mixerCount_ = static_cast<int>(service_.mixerGetNumDevs());
    mixerId_ = -1;
    SetMixerId(0);
}

TAudioMixer::~TAudioMixer() { CloseMixer(); }

void TAudioMixer::CloseMixer() {
    if (mixerId_ >= 0) {
        service_.mixerClose(mixerHandle_);
        mixerId_ = -1;
    }
    deviceGone_ = false;
    destinations_.reset();
}

void TAudioMixer::devicesChanged() {
    followDevices();
    if (OnDevicesChange) OnDevicesChange(this);
}

void TAudioMixer::followDevices() {
    // The service's listeners hear of a new set one after the other, and
    // the first may reopen this object before it has heard: a count left
    // from the set before (none, when a sound server has just come) would
    // keep it closed.
    const std::uint64_t announced = service_.devicesAnnounced();
    if (announced == followedDevices_) return;
    followedDevices_ = announced;
    mixerCount_ = static_cast<int>(service_.mixerGetNumDevs());
    if (mixerId_ >= 0) {
        UINT index = 0;
        if (service_.mixerGetID(mixerHandle_, &index, MIXER_OBJECTF_HMIXER) == MMSYSERR_NOERROR) {
            mixerId_ = static_cast<int>(index);
        } else {
            // The service logs the device going, once for every mixer object.
            qCDebug(lcMixer).noquote() << "mixer object on" << productName_ << "closed: its device is gone";
            service_.mixerClose(mixerHandle_);
            mixerHandle_ = 0;
            mixerId_ = -1;
            deviceGone_ = true;
        }
    }
}

void TAudioMixer::SetMixerId(int Value) {
    followDevices();
    if (mixerCount_ == 0) return;
    if (Value >= mixerCount_) Value = mixerCount_ - 1;
    // Reopening the card already open, whose tree has not changed since it
    // was read, would read the same tree again: the meter poll does it on
    // every pass.
    if (Value == mixerId_ && destinations_ && openedTree_ == service_.treeVersion()) return;
    CloseMixer();
    if (Value < 0) return;
    HMIXER handle = 0;
    if (service_.mixerOpen(&handle, static_cast<UINT>(Value), this, 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) return;
    mixerHandle_ = handle;
    mixerId_ = Value;
    openedTree_ = service_.treeVersion();
    service_.mixerGetDevCapsA(static_cast<UINT>(Value), &mixerCaps_, sizeof(MIXERCAPS));
    manufacturer_ = mixerCaps_.wMid == 1 ? QStringLiteral("Microsoft")
                                         : QString::number(mixerCaps_.wMid) + QStringLiteral(" = Unknown");
    driverVersion_ = static_cast<qint32>(mixerCaps_.vDriverVersion);
    productId_ = mixerCaps_.wPid;
    productName_ = QString::fromLocal8Bit(mixerCaps_.szPname, qstrnlen(mixerCaps_.szPname, MAXPNAMELEN));
    numberOfLine_ = static_cast<qint32>(mixerCaps_.cDestinations);
    destinations_ = std::make_unique<TMixerDestinations>(this);
}

void TAudioMixer::RereadTree() {
    followDevices();
    if (mixerId_ < 0) return;
    const int id = mixerId_;
    CloseMixer();
    SetMixerId(id);
}

bool TAudioMixer::event(QEvent* e) {
    if (e->type() != MixerNotifyEvent::eventType()) return QObject::event(e);
    const auto* n = static_cast<const MixerNotifyEvent*>(e);
    if (n->echo() && ignoreEchoes_) return true;
    const TMixerChange& handler = n->message() == MM_MIXM_LINE_CHANGE ? OnLineChange : OnControlChange;
    if (handler) handler(this, static_cast<int>(n->handle()), static_cast<int>(n->id()));
    return true;
}

const TMixerDestination* TAudioMixer::Destination(int Dest) const {
    if (!destinations_ || Dest < 0 || Dest >= destinations_->Count()) return nullptr;
    return destinations_->Items(Dest);
}

const MIXERLINE* TAudioMixer::DestinationLine(int Dest) const {
    const TMixerDestination* d = Destination(Dest);
    return d ? &d->LineInfo : nullptr;
}

int TAudioMixer::SourceCount(int Dest) const {
    const TMixerDestination* d = Destination(Dest);
    return d ? d->Connections.Count() : 0;
}

TAudioMixer::Line TAudioMixer::lineAt(int Dest, int Conn) const {
    Line line;
    line.destination = Destination(Dest);
    if (!line.destination) return line;
    if (Conn == -1) {
        line.info = &line.destination->LineInfo;
        line.controls = &line.destination->Controls;
    } else if (Conn >= 0 && Conn < line.destination->Connections.Count()) {
        const TMixerConnection* c = line.destination->Connections.Items(Conn);
        line.info = &c->LineInfo;
        line.controls = &c->Controls;
    }
    return line;
}

const MIXERLINE* TAudioMixer::LineInfoAt(int Dest, int Conn) const { return lineAt(Dest, Conn).info; }

const TMixerControls* TAudioMixer::ControlsAt(int Dest, int Conn) const { return lineAt(Dest, Conn).controls; }

QString TAudioMixer::DestinationName(int Dest) const {
    const MIXERLINE* line = DestinationLine(Dest);
    return line ? QString::fromLocal8Bit(line->szName) : QString();
}

QStringList TAudioMixer::LineNames(int Dest) const {
    QStringList names;
    const TMixerDestination* d = Destination(Dest);
    if (!d) return names;
    names << QString::fromLocal8Bit(d->LineInfo.szName);
    for (int c = 0; c < d->Connections.Count(); ++c)
        names << QString::fromLocal8Bit(d->Connections.Items(c)->LineInfo.szName);
    return names;
}

bool TAudioMixer::DeviceLossIsRoutine() const { return service_.driver().deviceLossIsRoutine(); }
