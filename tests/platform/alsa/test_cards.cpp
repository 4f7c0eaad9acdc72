#include "test_cards.h"

#include "platform/alsa/alsa_driver.h"

#include <QCoreApplication>
#include <QFile>
#include <QtGlobal>

#include <algorithm>

namespace testcard {

TestCards::TestCards() {
    if (dir_.isValid()) qputenv("TAVLO_TEST_CARD_DIR", QFile::encodeName(dir_.path()));
}

TestCards::~TestCards() { qunsetenv("TAVLO_TEST_CARD_DIR"); }

QString TestCards::statePath(std::string_view profile) const {
    return dir_.filePath(QString::fromLatin1(profile.data(), qsizetype(profile.size())) + QStringLiteral(".state"));
}

QString deviceName(std::string_view profile) {
    return QStringLiteral("tavlo_") + QString::fromLatin1(profile.data(), qsizetype(profile.size()));
}

CardState::CardState(const QString& path, std::string_view profile) {
    if (const Profile* p = findProfile(profile)) file_.open(QFile::encodeName(path).toStdString(), *p);
}

int CardState::find(std::string_view elem) const { return file_.isOpen() ? file_.profile().find(elem) : -1; }

bool CardState::set(std::string_view elem, std::initializer_list<long> values) {
    const int i = find(elem);
    if (i < 0) return false;
    ElemRecord r;
    if (file_.readElem(i, r) != 0) return false;
    const int channels = file_.profile().elems[static_cast<std::size_t>(i)].channels;
    int ch = 0;
    for (long v : values) {
        if (ch < channels) r.value[ch++] = static_cast<std::int32_t>(v);
    }
    // One value sets every channel.
    for (; ch < channels && values.size() == 1; ++ch) r.value[ch] = static_cast<std::int32_t>(*values.begin());
    return file_.writeElem(i, r) == 0;
}

std::vector<long> CardState::get(std::string_view elem) const {
    const int i = find(elem);
    ElemRecord r;
    if (i < 0 || file_.readElem(i, r) != 0) return {};
    const int channels = file_.profile().elems[static_cast<std::size_t>(i)].channels;
    return std::vector<long>(r.value, r.value + channels);
}

bool CardState::setPresent(std::string_view elem, bool present) {
    const int i = find(elem);
    ElemRecord r;
    if (i < 0 || file_.readElem(i, r) != 0) return false;
    r.present = present ? 1 : 0;
    return file_.writeElem(i, r) == 0;
}

bool CardState::setActive(std::string_view elem, bool active) {
    const int i = find(elem);
    ElemRecord r;
    if (i < 0 || file_.readElem(i, r) != 0) return false;
    r.inactive = active ? 0 : 1;
    return file_.writeElem(i, r) == 0;
}

bool CardState::setFaults(int readErrno, int writeErrno) {
    return file_.isOpen() && file_.setFaults(Faults{readErrno, writeErrno}) == 0;
}

const DriverDestination* destinationOfType(const DeviceModel& model, DWORD componentType) {
    for (const auto& d : model.destinations)
        if (d.line.info.dwComponentType == componentType) return &d;
    return nullptr;
}

const DriverLine* sourceNamed(const DriverDestination& dest, std::string_view name) {
    const int i = sourceIndex(dest, name);
    return i < 0 ? nullptr : &dest.sources[static_cast<std::size_t>(i)];
}

int sourceIndex(const DriverDestination& dest, std::string_view name) {
    for (std::size_t i = 0; i < dest.sources.size(); ++i)
        if (name == dest.sources[i].info.szName) return static_cast<int>(i);
    return -1;
}

const DriverControl* controlOfType(const DriverLine& line, DWORD controlType) {
    for (const auto& c : line.controls)
        if (c.info.dwControlType == controlType) return &c;
    return nullptr;
}

QStringList controlNames(const DriverLine& line) {
    QStringList out;
    for (const auto& c : line.controls) out << QString::fromLatin1(c.info.szName);
    return out;
}

QStringList sourceNames(const DriverDestination& dest) {
    QStringList out;
    for (const auto& s : dest.sources) out << QString::fromLatin1(s.info.szName);
    return out;
}

QStringList itemNames(const DriverControl& control) {
    QStringList out;
    for (const auto& i : control.items) out << QString::fromStdString(i);
    return out;
}

namespace {

MIXERCONTROLDETAILS detailsFor(const DriverLine& line, const DriverControl& control, DWORD* buffer) {
    MIXERCONTROLDETAILS d{};
    d.cbStruct = sizeof d;
    d.dwControlID = control.info.dwControlID;
    d.cChannels = (control.info.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line.info.cChannels;
    d.cMultipleItems = (control.info.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.info.cMultipleItems : 0;
    d.cbDetails = sizeof(DWORD);
    d.paDetails = buffer;
    return d;
}

}  // namespace

MMRESULT getValues(MixerService& service, HMIXER handle, const DriverLine& line, const DriverControl& control,
                   std::vector<DWORD>* values) {
    values->assign(controlValueCount(control.info, line.info.cChannels), 0xDEADBEEF);
    auto d = detailsFor(line, control, values->data());
    return service.mixerGetControlDetailsA(handle, &d, MIXER_GETCONTROLDETAILSF_VALUE);
}

MMRESULT setValues(MixerService& service, HMIXER handle, const DriverLine& line, const DriverControl& control,
                   std::vector<DWORD> values) {
    if (values.size() != controlValueCount(control.info, line.info.cChannels)) return MMSYSERR_INVALPARAM;
    auto d = detailsFor(line, control, values.data());
    return service.mixerSetControlDetails(handle, &d, MIXER_SETCONTROLDETAILSF_VALUE);
}

int NotifyRecorder::count(UINT message, DWORD id) const {
    return static_cast<int>(
        std::count_if(notes.begin(), notes.end(), [&](const Note& n) { return n.message == message && n.id == id; }));
}

void NotifyRecorder::flush() { QCoreApplication::sendPostedEvents(this); }

bool NotifyRecorder::event(QEvent* e) {
    if (e->type() != MixerNotifyEvent::eventType()) return QObject::event(e);
    const auto* n = static_cast<const MixerNotifyEvent*>(e);
    notes.push_back({n->message(), n->handle(), n->id()});
    return true;
}

bool OpenCard::open(const TestCards& cards, const char* profile) {
    QString error;
    auto driver = makeAlsaDriver({deviceName(profile)}, &error);
    if (!driver) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    service = std::make_unique<MixerService>(std::move(driver));
    state = std::make_unique<CardState>(cards.statePath(profile), profile);
    return service->mixerOpen(&handle, 0, &notes, 0, CALLBACK_WINDOW) == MMSYSERR_NOERROR && state->isOpen();
}

std::vector<DWORD> OpenCard::get(const DriverLine& line, DWORD type) {
    std::vector<DWORD> v;
    const DriverControl* c = controlOfType(line, type);
    if (!c || getValues(*service, handle, line, *c, &v) != MMSYSERR_NOERROR) return {};
    return v;
}

MMRESULT OpenCard::set(const DriverLine& line, DWORD type, std::vector<DWORD> values) {
    const DriverControl* c = controlOfType(line, type);
    return c ? setValues(*service, handle, line, *c, std::move(values)) : MIXERR_INVALCONTROL;
}

DWORD OpenCard::id(const DriverLine& line, DWORD type) {
    const DriverControl* c = controlOfType(line, type);
    return c ? c->info.dwControlID : 0;
}

}  // namespace testcard
