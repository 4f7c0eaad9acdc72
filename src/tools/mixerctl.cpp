#include "tools/mixerctl.h"

#include "mixer/audio_mixer.h"
#include "platform/mixer_names.h"
#include "platform/mixer_service.h"

#include <QCoreApplication>

#include <vector>

namespace {

QString quoted(const char* name, int size) {
    return QLatin1Char('"') + QString::fromLocal8Bit(name, qstrnlen(name, size)) + QLatin1Char('"');
}

struct ControlShape {
    MIXERCONTROL control{};
    DWORD channels = 1;  // values per item as the program reads them
    DWORD items = 0;
};

// Finds a control and the channel count of its line.
bool lookup(MixerService& service, HMIXER h, DWORD id, ControlShape* shape) {
    MIXERLINECONTROLS q{};
    q.cbStruct = sizeof(q);
    q.dwControlID = id;
    q.cControls = 1;
    q.cbmxctrl = sizeof(MIXERCONTROL);
    q.pamxctrl = &shape->control;
    if (service.mixerGetLineControlsA(h, &q, MIXER_GETLINECONTROLSF_ONEBYID) != MMSYSERR_NOERROR) return false;
    MIXERLINE line{};
    line.cbStruct = sizeof(line);
    line.dwLineID = q.dwLineID;
    if (service.mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_LINEID) != MMSYSERR_NOERROR) return false;
    const DWORD flags = shape->control.fdwControl;
    shape->channels = (flags & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line.cChannels;
    shape->items = (flags & MIXERCONTROL_CONTROLF_MULTIPLE) ? shape->control.cMultipleItems : 0;
    return true;
}

MIXERCONTROLDETAILS detailsFor(const ControlShape& s, DWORD channels, std::vector<DWORD>& buffer) {
    buffer.resize(std::size_t{channels} * (s.items ? s.items : 1));
    MIXERCONTROLDETAILS d{};
    d.cbStruct = sizeof(d);
    d.dwControlID = s.control.dwControlID;
    d.cChannels = channels;
    d.cMultipleItems = s.items;
    d.cbDetails = sizeof(DWORD);
    d.paDetails = buffer.data();
    return d;
}

QString valuesText(MixerService& service, HMIXER h, const ControlShape& s) {
    std::vector<DWORD> values;
    auto d = detailsFor(s, s.channels, values);
    if (service.mixerGetControlDetailsA(h, &d, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        return QStringLiteral("(unreadable)");
    QStringList parts;
    for (DWORD v : values) parts << QString::number(v);
    return parts.join(QLatin1Char(' '));
}

QString itemsText(MixerService& service, HMIXER h, const ControlShape& s) {
    if (!s.items) return {};
    std::vector<MIXERCONTROLDETAILS_LISTTEXT> texts(s.items);
    MIXERCONTROLDETAILS d{};
    d.cbStruct = sizeof(d);
    d.dwControlID = s.control.dwControlID;
    d.cChannels = 1;
    d.cMultipleItems = s.items;
    d.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXT);
    d.paDetails = texts.data();
    if (service.mixerGetControlDetailsA(h, &d, MIXER_GETCONTROLDETAILSF_LISTTEXT) != MMSYSERR_NOERROR) return {};
    QStringList names;
    for (const auto& t : texts) names << quoted(t.szName, sizeof t.szName);
    return QStringLiteral(" items [") + names.join(QStringLiteral(", ")) + QLatin1Char(']');
}

void dumpControls(MixerService& service, HMIXER h, const TMixerControls& controls, const MIXERLINE& line,
                  const QString& indent, QTextStream& out) {
    for (int k = 0; k < controls.Count(); ++k) {
        ControlShape s;
        s.control = controls.Items(k);
        s.channels = (s.control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line.cChannels;
        s.items = (s.control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? s.control.cMultipleItems : 0;
        const QString flags = controlFlagNames(s.control.fdwControl);
        out << indent << "control " << k << ": id " << s.control.dwControlID << ' '
            << controlTypeName(s.control.dwControlType) << ' ' << quoted(s.control.szName, sizeof s.control.szName)
            << (flags.isEmpty() ? QString() : QStringLiteral(" [") + flags + QLatin1Char(']'))
            << itemsText(service, h, s) << " = " << valuesText(service, h, s) << '\n';
    }
}

void dumpLine(const MIXERLINE& line, const QString& what, QTextStream& out) {
    out << what << ": " << quoted(line.szName, sizeof line.szName) << " ("
        << QString::fromLocal8Bit(line.szShortName, qstrnlen(line.szShortName, sizeof line.szShortName)) << ") "
        << componentTypeName(line.dwComponentType) << ", " << line.cChannels
        << (line.cChannels == 1 ? " channel" : " channels") << ", line id 0x" << QString::number(line.dwLineID, 16)
        << '\n';
}

int fail(QTextStream& err, const QString& text) {
    err << "tavlo-mixerctl: " << text << '\n';
    err.flush();
    return 1;
}

bool parseNumber(const QString& text, qint64 lo, qint64 hi, qint64* value) {
    bool ok = false;
    const qint64 v = text.toLongLong(&ok, 0);
    if (!ok || v < lo || v > hi) return false;
    *value = v;
    return true;
}

int list(MixerService& service, QTextStream& out) {
    const UINT n = service.mixerGetNumDevs();
    for (UINT i = 0; i < n; ++i) {
        MIXERCAPS caps{};
        if (service.mixerGetDevCapsA(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
        out << i << ": " << quoted(caps.szPname, sizeof caps.szPname) << " (mid " << caps.wMid << ", pid " << caps.wPid
            << ", driver version " << caps.vDriverVersion << ", " << caps.cDestinations << " destinations)\n";
    }
    if (n == 0) out << "no mixer devices\n";
    return 0;
}

int dump(MixerService& service, int device, QTextStream& out, QTextStream& err) {
    TAudioMixer mixer(service);
    if (device >= mixer.MixerCount()) return fail(err, QStringLiteral("no mixer device %1").arg(device));
    mixer.SetMixerId(device);
    if (mixer.MixerId() != device) return fail(err, QStringLiteral("cannot open mixer device %1").arg(device));
    out << "device " << device << ": \"" << mixer.ProductName() << "\", manufacturer " << mixer.Manufacturer()
        << ", product id " << mixer.ProductId() << ", driver version " << mixer.DriverVersion() << ", "
        << mixer.NumberOfLine() << " destinations\n";
    const HMIXER h = mixer.MixerHandle();
    TMixerDestinations* dests = mixer.Destinations();
    for (int d = 0; d < dests->Count(); ++d) {
        const TMixerDestination* dest = dests->Items(d);
        dumpLine(dest->LineInfo, QStringLiteral("destination %1").arg(d), out);
        dumpControls(service, h, dest->Controls, dest->LineInfo, QStringLiteral("  "), out);
        for (int c = 0; c < dest->Connections.Count(); ++c) {
            const TMixerConnection* conn = dest->Connections.Items(c);
            dumpLine(conn->LineInfo, QStringLiteral("  source %1").arg(c), out);
            dumpControls(service, h, conn->Controls, conn->LineInfo, QStringLiteral("    "), out);
        }
    }
    return 0;
}

// Opens a device for a single command; closes it when done.
struct OpenDevice {
    OpenDevice(MixerService& s, UINT device) : service(s) {
        ok = s.mixerOpen(&handle, device, nullptr, 0, CALLBACK_NULL) == MMSYSERR_NOERROR;
    }
    ~OpenDevice() {
        if (ok) service.mixerClose(handle);
    }
    MixerService& service;
    HMIXER handle = 0;
    bool ok = false;
};

int getOrSet(MixerService& service, int device, const QStringList& args, bool set, QTextStream& out, QTextStream& err) {
    if (args.isEmpty())
        return fail(
            err, set ? QStringLiteral("set needs a control id and values") : QStringLiteral("get needs a control id"));
    qint64 id = 0;
    if (!parseNumber(args[0], 0, 0xFFFFFFFFLL, &id))
        return fail(err, QStringLiteral("\"%1\" is not a control id").arg(args[0]));
    OpenDevice open(service, static_cast<UINT>(device));
    if (!open.ok) return fail(err, QStringLiteral("cannot open mixer device %1").arg(device));
    ControlShape s;
    if (!lookup(service, open.handle, DWORD(id), &s))
        return fail(err, QStringLiteral("no control with id %1 on device %2").arg(id).arg(device));
    if (!set) {
        out << valuesText(service, open.handle, s) << '\n';
        return 0;
    }
    const QStringList given = args.mid(1);
    const int full = int(s.channels * (s.items ? s.items : 1));
    const int perChannel = int(s.items ? s.items : 1);
    if (given.size() != full && given.size() != perChannel)
        return fail(err, QStringLiteral("control %1 takes %2 value(s)%3, not %4")
                             .arg(id)
                             .arg(perChannel)
                             .arg(full != perChannel ? QStringLiteral(" or %1").arg(full) : QString())
                             .arg(given.size()));
    std::vector<DWORD> values;
    auto d = detailsFor(s, given.size() == full ? s.channels : 1, values);
    for (int i = 0; i < given.size(); ++i) {
        qint64 v = 0;
        if (!parseNumber(given[i], 0, 0xFFFFFFFFLL, &v))
            return fail(err, QStringLiteral("\"%1\" is not a value").arg(given[i]));
        values[std::size_t(i)] = DWORD(v);
    }
    const MMRESULT r = service.mixerSetControlDetails(open.handle, &d, MIXER_SETCONTROLDETAILSF_VALUE);
    if (r != MMSYSERR_NOERROR) return fail(err, QStringLiteral("the device refused the values (error %1)").arg(r));
    return 0;
}

// Prints every notification of every device until the process is stopped.
class Watcher : public QObject {
public:
    Watcher(MixerService& service, QTextStream& out) : QObject(&service), service_(service), out_(out) {
        const UINT n = service.mixerGetNumDevs();
        for (UINT i = 0; i < n; ++i) {
            HMIXER h = 0;
            if (service.mixerOpen(&h, i, this, 0, CALLBACK_WINDOW) == MMSYSERR_NOERROR) handles_.push_back({h, i});
        }
    }
    ~Watcher() override {
        for (const auto& [h, device] : handles_) service_.mixerClose(h);
    }
    bool watching() const { return !handles_.empty(); }

protected:
    bool event(QEvent* e) override {
        if (e->type() != MixerNotifyEvent::eventType()) return QObject::event(e);
        const auto* n = static_cast<MixerNotifyEvent*>(e);
        UINT device = 0;
        for (const auto& [h, dev] : handles_)
            if (h == n->handle()) device = dev;
        if (n->message() == MM_MIXM_LINE_CHANGE) {
            out_ << "device " << device << " line-change line id 0x" << QString::number(n->id(), 16) << '\n';
        } else {
            ControlShape s;
            out_ << "device " << device << " control-change id " << n->id();
            if (lookup(service_, n->handle(), n->id(), &s))
                out_ << ' ' << controlTypeName(s.control.dwControlType) << ' '
                     << quoted(s.control.szName, sizeof s.control.szName) << " = "
                     << valuesText(service_, n->handle(), s);
            out_ << '\n';
        }
        out_.flush();
        return true;
    }

private:
    MixerService& service_;
    QTextStream& out_;
    std::vector<std::pair<HMIXER, UINT>> handles_;
};

}  // namespace

QString mixerCtlUsage() {
    return QStringLiteral(
        "usage: tavlo-mixerctl [-d N] COMMAND\n"
        "       tavlo-mixerctl --help | --version\n"
        "  list                 the mixer devices with their product names\n"
        "  dump [N]             device N's lines and controls with their current values\n"
        "  get ID               a control's values (device 0, or -d N)\n"
        "  set ID VALUE...      set a control's values: one per item for every channel, or all of them\n"
        "  watch                print each change notification as it arrives, until interrupted\n"
        "The sound back end is chosen by TAVLO_MIXER: demo, sim:PATH, pulse, alsa or alsa:NAME[,NAME...]; unset, the "
        "sound server when one answers, else alsa.\n");
}

int runMixerCtl(MixerService& service, const QStringList& argsIn, QTextStream& out, QTextStream& err) {
    QStringList args = argsIn;
    int device = 0;
    if (args.size() >= 2 && (args[0] == QLatin1String("-d") || args[0] == QLatin1String("--device"))) {
        qint64 v = 0;
        if (!parseNumber(args[1], 0, 1 << 20, &v))
            return fail(err, QStringLiteral("\"%1\" is not a device number").arg(args[1]));
        device = int(v);
        args = args.mid(2);
    }
    if (args.isEmpty()) return fail(err, QStringLiteral("no command given; try \"tavlo-mixerctl help\""));
    const QString command = args.takeFirst();
    int status = 0;
    if (command == QLatin1String("help") || command == QLatin1String("--help")) {
        out << mixerCtlUsage();
    } else if (command == QLatin1String("list")) {
        status = list(service, out);
    } else if (command == QLatin1String("dump")) {
        qint64 n = device;
        if (!args.isEmpty() && !parseNumber(args[0], 0, 1 << 20, &n))
            return fail(err, QStringLiteral("\"%1\" is not a device number").arg(args[0]));
        status = dump(service, int(n), out, err);
    } else if (command == QLatin1String("get") || command == QLatin1String("set")) {
        if (UINT(device) >= service.mixerGetNumDevs())
            return fail(err, QStringLiteral("no mixer device %1").arg(device));
        status = getOrSet(service, device, args, command == QLatin1String("set"), out, err);
    } else if (command == QLatin1String("watch")) {
        auto* watcher = new Watcher(service, out);  // owned by the service, lives until the process ends
        if (!watcher->watching()) return fail(err, QStringLiteral("no mixer device to watch"));
        out << "watching " << service.mixerGetNumDevs() << " device(s); interrupt to stop\n";
        out.flush();
        return -1;
    } else {
        return fail(err, QStringLiteral("unknown command \"%1\"; try \"tavlo-mixerctl help\"").arg(command));
    }
    out.flush();
    return status;
}
