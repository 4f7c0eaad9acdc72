// Reads card descriptions for the simulated driver. Everything is checked
// before anything is used: a description either loads whole or not at all,
// with one line naming the place and the fault.

#include "platform/sim/sim_driver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <map>
#include <stdexcept>

namespace {

constexpr qsizetype kMaxDestinations = 0xFFFF;
constexpr qsizetype kMaxSources = 0x10000;

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const QString& where, const QString& what) {
    throw ParseError((where.isEmpty() ? what : where + QStringLiteral(": ") + what).toStdString());
}

const std::map<QString, DWORD>& destinationTypes() {
    static const std::map<QString, DWORD> m{
        {"undefined", MIXERLINE_COMPONENTTYPE_DST_UNDEFINED}, {"digital", MIXERLINE_COMPONENTTYPE_DST_DIGITAL},
        {"line", MIXERLINE_COMPONENTTYPE_DST_LINE},           {"monitor", MIXERLINE_COMPONENTTYPE_DST_MONITOR},
        {"speakers", MIXERLINE_COMPONENTTYPE_DST_SPEAKERS},   {"headphones", MIXERLINE_COMPONENTTYPE_DST_HEADPHONES},
        {"telephone", MIXERLINE_COMPONENTTYPE_DST_TELEPHONE}, {"wavein", MIXERLINE_COMPONENTTYPE_DST_WAVEIN},
        {"voicein", MIXERLINE_COMPONENTTYPE_DST_VOICEIN}};
    return m;
}

const std::map<QString, DWORD>& sourceTypes() {
    static const std::map<QString, DWORD> m{{"undefined", MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED},
                                            {"digital", MIXERLINE_COMPONENTTYPE_SRC_DIGITAL},
                                            {"line", MIXERLINE_COMPONENTTYPE_SRC_LINE},
                                            {"microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE},
                                            {"synthesizer", MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER},
                                            {"compactdisc", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC},
                                            {"telephone", MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE},
                                            {"pcspeaker", MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER},
                                            {"waveout", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT},
                                            {"auxiliary", MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY},
                                            {"analog", MIXERLINE_COMPONENTTYPE_SRC_ANALOG}};
    return m;
}

struct ControlKind {
    DWORD type;
    const char* name;
};

const std::map<QString, ControlKind>& controlTypes() {
    static const std::map<QString, ControlKind> m{
        {"volume", {MIXERCONTROL_CONTROLTYPE_VOLUME, "Volume"}},
        {"bass", {MIXERCONTROL_CONTROLTYPE_BASS, "Bass"}},
        {"treble", {MIXERCONTROL_CONTROLTYPE_TREBLE, "Treble"}},
        {"equalizer", {MIXERCONTROL_CONTROLTYPE_EQUALIZER, "Equalizer"}},
        {"fader", {MIXERCONTROL_CONTROLTYPE_FADER, "Fader"}},
        {"mute", {MIXERCONTROL_CONTROLTYPE_MUTE, "Mute"}},
        {"onoff", {MIXERCONTROL_CONTROLTYPE_ONOFF, "On/Off"}},
        {"mono", {MIXERCONTROL_CONTROLTYPE_MONO, "Mono"}},
        {"loudness", {MIXERCONTROL_CONTROLTYPE_LOUDNESS, "Loudness"}},
        {"stereoenh", {MIXERCONTROL_CONTROLTYPE_STEREOENH, "Stereo Enhance"}},
        {"bassboost", {MIXERCONTROL_CONTROLTYPE_BASS_BOOST, "Bass Boost"}},
        {"boolean", {MIXERCONTROL_CONTROLTYPE_BOOLEAN, "Switch"}},
        {"button", {MIXERCONTROL_CONTROLTYPE_BUTTON, "Button"}},
        {"mux", {MIXERCONTROL_CONTROLTYPE_MUX, "Recording Source"}},
        {"mixer", {MIXERCONTROL_CONTROLTYPE_MIXER, "Recording Sources"}},
        {"singleselect", {MIXERCONTROL_CONTROLTYPE_SINGLESELECT, "Select"}},
        {"multipleselect", {MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT, "Select"}},
        {"peakmeter", {MIXERCONTROL_CONTROLTYPE_PEAKMETER, "Peak Meter"}},
        {"signedmeter", {MIXERCONTROL_CONTROLTYPE_SIGNEDMETER, "Meter"}},
        {"unsignedmeter", {MIXERCONTROL_CONTROLTYPE_UNSIGNEDMETER, "Meter"}},
        {"booleanmeter", {MIXERCONTROL_CONTROLTYPE_BOOLEANMETER, "Meter"}},
        {"pan", {MIXERCONTROL_CONTROLTYPE_PAN, "Pan"}},
        {"slider", {MIXERCONTROL_CONTROLTYPE_SLIDER, "Slider"}},
        {"unsigned", {MIXERCONTROL_CONTROLTYPE_UNSIGNED, "Value"}},
        {"signed", {MIXERCONTROL_CONTROLTYPE_SIGNED, "Value"}},
        {"decibels", {MIXERCONTROL_CONTROLTYPE_DECIBELS, "Level"}},
        {"percent", {MIXERCONTROL_CONTROLTYPE_PERCENT, "Percent"}}};
    return m;
}

// Text from the description quoted in a message: control characters are
// written as JSON escapes, so the message stays one line.
QString quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Separator_Line ||
                             c.category() == QChar::Separator_Paragraph;
        if (control) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            if (c == u'"' || c == u'\\') out += u'\\';
            out += c;
        }
    }
    return out + u'"';
}

void onlyKeys(const QJsonObject& o, const QString& where, std::initializer_list<const char*> keys) {
    QSet<QString> allowed;
    for (const char* k : keys) allowed.insert(QString::fromLatin1(k));
    for (auto it = o.begin(); it != o.end(); ++it)
        if (!allowed.contains(it.key())) fail(where, QStringLiteral("unknown key %1").arg(quoted(it.key())));
}

QJsonObject object(const QJsonValue& v, const QString& where) {
    if (!v.isObject()) fail(where, QStringLiteral("expected an object"));
    return v.toObject();
}

QJsonArray array(const QJsonValue& v, const QString& where) {
    if (!v.isArray()) fail(where, QStringLiteral("expected an array"));
    return v.toArray();
}

qint64 integer(const QJsonValue& v, const QString& where, qint64 lo, qint64 hi) {
    if (!v.isDouble()) fail(where, QStringLiteral("expected a number"));
    const double d = v.toDouble();
    if (d != std::floor(d) || d < double(lo) || d > double(hi))
        fail(where, QStringLiteral("expected a whole number from %1 to %2").arg(lo).arg(hi));
    return qint64(d);
}

bool flag(const QJsonObject& o, const char* key, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return false;
    if (!v.isBool()) fail(where + "." + key, QStringLiteral("expected true or false"));
    return v.toBool();
}

QString text(const QJsonObject& o, const char* key, const QString& where, int maxChars, bool required,
             const QString& fallback = {}) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) {
        if (required) fail(where, QStringLiteral("missing \"%1\"").arg(QLatin1String(key)));
        return fallback;
    }
    if (!v.isString()) fail(where + "." + key, QStringLiteral("expected a string"));
    const QString s = v.toString();
    if (s.toLocal8Bit().size() > maxChars)
        fail(where + "." + key, QStringLiteral("%1 is longer than %2 characters").arg(quoted(s)).arg(maxChars));
    return s;
}

DWORD typeByName(const QJsonValue& v, const std::map<QString, DWORD>& names, const QString& where) {
    if (v.isDouble()) return DWORD(integer(v, where, 0, 0xFFFFFFFFLL));
    if (!v.isString()) fail(where, QStringLiteral("expected a type name"));
    auto it = names.find(v.toString().toLower());
    if (it == names.end()) fail(where, QStringLiteral("unknown type %1").arg(quoted(v.toString())));
    return it->second;
}

struct Builder {
    SimDevice device;
    DWORD nextControlId = 1;

    std::vector<DWORD> values(const QJsonValue& v, DWORD count, const QString& where) {
        std::vector<DWORD> out;
        if (v.isUndefined()) return std::vector<DWORD>(count, 0);
        if (v.isDouble()) return std::vector<DWORD>(count, DWORD(integer(v, where, 0, 0xFFFFFFFFLL)));
        const QJsonArray a = array(v, where);
        if (a.size() == 1) return std::vector<DWORD>(count, DWORD(integer(a[0], where + "[0]", 0, 0xFFFFFFFFLL)));
        if (DWORD(a.size()) != count)
            fail(where, QStringLiteral("expected 1 or %1 values, found %2").arg(count).arg(a.size()));
        for (int i = 0; i < a.size(); ++i)
            out.push_back(DWORD(integer(a[i], QStringLiteral("%1[%2]").arg(where).arg(i), 0, 0xFFFFFFFFLL)));
        return out;
    }

    MeterSignal meter(const QJsonObject& o, const QString& where) {
        onlyKeys(o, where, {"signal", "value", "min", "max", "periodMs", "values"});
        MeterSignal m;
        const QString kind = o.value("signal").toString();
        if (kind == "constant") {
            m.kind = MeterSignal::Kind::Constant;
            m.value = DWORD(integer(o.value("value"), where + ".value", 0, 0xFFFFFFFFLL));
        } else if (kind == "sine") {
            m.kind = MeterSignal::Kind::Sine;
            m.minimum = DWORD(integer(o.value("min"), where + ".min", 0, 0xFFFFFFFFLL));
            m.maximum = DWORD(integer(o.value("max"), where + ".max", m.minimum, 0xFFFFFFFFLL));
            m.periodMs = double(integer(o.value("periodMs"), where + ".periodMs", 1, 3600000));
        } else if (kind == "list") {
            m.kind = MeterSignal::Kind::List;
            const QJsonArray steps = array(o.value("values"), where + ".values");
            if (steps.isEmpty()) fail(where + ".values", QStringLiteral("expected at least one value"));
            for (int i = 0; i < steps.size(); ++i) {
                const QString w = QStringLiteral("%1.values[%2]").arg(where).arg(i);
                std::vector<DWORD> entry;
                if (steps[i].isArray()) {
                    const QJsonArray ch = steps[i].toArray();
                    if (ch.isEmpty()) fail(w, QStringLiteral("expected at least one value"));
                    for (int c = 0; c < ch.size(); ++c)
                        entry.push_back(DWORD(integer(ch[c], QStringLiteral("%1[%2]").arg(w).arg(c), 0, 0xFFFFFFFFLL)));
                } else {
                    entry.push_back(DWORD(integer(steps[i], w, 0, 0xFFFFFFFFLL)));
                }
                m.steps.push_back(std::move(entry));
            }
        } else {
            fail(where + ".signal", QStringLiteral("expected \"constant\", \"sine\" or \"list\""));
        }
        return m;
    }

    DriverControl control(const QJsonObject& o, const QString& where, const DriverLine& line,
                          const std::vector<DriverLine>* sources) {
        onlyKeys(o, where,
                 {"type", "shortName", "name", "uniform", "disabled", "items", "min", "max", "steps", "values", "meter",
                  "readFails", "writeFails"});
        DriverControl c;
        const QJsonValue t = o.value("type");
        QString defaultName = QStringLiteral("Control");
        if (t.isString()) {
            auto it = controlTypes().find(t.toString().toLower());
            if (it == controlTypes().end())
                fail(where + ".type", QStringLiteral("unknown type %1").arg(quoted(t.toString())));
            c.info.dwControlType = it->second.type;
            defaultName = QString::fromLatin1(it->second.name);
        } else if (t.isDouble()) {
            c.info.dwControlType = DWORD(integer(t, where + ".type", 0, 0xFFFFFFFFLL));
        } else {
            fail(where, QStringLiteral("missing \"type\""));
        }
        const DWORD type = c.info.dwControlType;
        c.info.dwControlID = nextControlId++;
        const QString name = text(o, "name", where, MIXER_LONG_NAME_CHARS - 1, false, defaultName);
        const QString shortName = text(o, "shortName", where, MIXER_SHORT_NAME_CHARS - 1, false, name.left(15));
        copyName(c.info.szName, name.toStdString());
        copyName(c.info.szShortName, shortName.toStdString());
        if (flag(o, "uniform", where)) c.info.fdwControl |= MIXERCONTROL_CONTROLF_UNIFORM;
        if (flag(o, "disabled", where)) c.info.fdwControl |= MIXERCONTROL_CONTROLF_DISABLED;
        c.readFails = flag(o, "readFails", where);
        c.writeFails = flag(o, "writeFails", where);

        if (o.contains("items")) {
            const QJsonArray items = array(o.value("items"), where + ".items");
            for (int i = 0; i < items.size(); ++i) {
                const QString w = QStringLiteral("%1.items[%2]").arg(where).arg(i);
                if (!items[i].isString()) fail(w, QStringLiteral("expected a string"));
                if (items[i].toString().toLocal8Bit().size() > MIXER_LONG_NAME_CHARS - 1)
                    fail(w, QStringLiteral("longer than %1 characters").arg(MIXER_LONG_NAME_CHARS - 1));
                c.items.push_back(items[i].toString().toStdString());
            }
            if (c.items.empty()) fail(where + ".items", QStringLiteral("expected at least one item"));
        } else if (isListType(type)) {
            // A destination's source list names its sources, in order.
            if (!sources || sources->empty()) fail(where, QStringLiteral("a list control needs \"items\""));
            for (const auto& s : *sources) {
                c.items.emplace_back(s.info.szName);
                c.itemParams.push_back(s.info.dwLineID);
            }
        }
        if (!c.items.empty()) {
            c.info.fdwControl |= MIXERCONTROL_CONTROLF_MULTIPLE;
            c.info.cMultipleItems = DWORD(c.items.size());
        }

        // Bounds: levels run 0..65535, switches 0..1, unless given.
        DWORD lo = 0, hi = 0;
        if (isUnsignedUnits(type)) hi = 65535;
        if (isBooleanUnits(type)) hi = 1;
        if (type == MIXERCONTROL_CONTROLTYPE_PEAKMETER || type == MIXERCONTROL_CONTROLTYPE_SIGNEDMETER) hi = 32767;
        if (o.contains("min")) lo = DWORD(integer(o.value("min"), where + ".min", 0, 0xFFFFFFFFLL));
        if (o.contains("max")) hi = DWORD(integer(o.value("max"), where + ".max", lo, 0xFFFFFFFFLL));
        c.info.Bounds.dwMinimum = lo;
        c.info.Bounds.dwMaximum = hi;
        if (o.contains("steps"))
            c.info.Metrics.cSteps = DWORD(integer(o.value("steps"), where + ".steps", 0, 0xFFFFFFFFLL));
        else if (hi > lo)
            c.info.Metrics.cSteps = hi - lo + 1 > 65536 ? 65536 : hi - lo + 1;

        const DWORD count = controlValueCount(c.info, line.info.cChannels);
        device.controlOrder.push_back(c.info.dwControlID);
        if (o.contains("meter")) {
            if (!isMeterType(type)) fail(where + ".meter", QStringLiteral("only meter controls have a signal"));
            device.meters.push_back(meter(object(o.value("meter"), where + ".meter"), where + ".meter"));
        } else {
            device.meters.push_back(std::nullopt);
        }
        device.startValues.push_back(values(o.value("values"), count, where + ".values"));
        return c;
    }

    DriverLine line(const QJsonObject& o, const QString& where, bool isDestination, DWORD lineId) {
        DriverLine l;
        l.info.dwLineID = lineId;
        if (!o.contains("type")) fail(where, QStringLiteral("missing \"type\""));
        l.info.dwComponentType =
            typeByName(o.value("type"), isDestination ? destinationTypes() : sourceTypes(), where + ".type");
        l.info.cChannels = o.contains("channels") ? DWORD(integer(o.value("channels"), where + ".channels", 1, 8)) : 2;
        const QString name = text(o, "name", where, MIXER_LONG_NAME_CHARS - 1, true);
        const QString shortName = text(o, "shortName", where, MIXER_SHORT_NAME_CHARS - 1, false, name.left(15));
        copyName(l.info.szName, name.toStdString());
        copyName(l.info.szShortName, shortName.toStdString());
        l.info.fdwLine = flag(o, "inactive", where) ? 0 : MIXERLINE_LINEF_ACTIVE;
        l.queryFails = flag(o, "queryFails", where);
        l.controlsQueryFails = flag(o, "controlsQueryFails", where);
        return l;
    }

    void controls(DriverLine& l, const QJsonObject& o, const QString& where, const std::vector<DriverLine>* sources) {
        if (!o.contains("controls")) return;
        const QJsonArray a = array(o.value("controls"), where + ".controls");
        for (int i = 0; i < a.size(); ++i) {
            const QString w = QStringLiteral("%1.controls[%2]").arg(where).arg(i);
            l.controls.push_back(control(object(a[i], w), w, l, sources));
        }
    }

    void parseDevice(const QJsonObject& o, const QString& where) {
        onlyKeys(o, where, {"name", "mid", "pid", "driverVersion", "openFails", "destinations"});
        auto& caps = device.model.caps;
        copyName(caps.szPname, text(o, "name", where, MAXPNAMELEN - 1, true).toStdString());
        caps.wMid = WORD(o.contains("mid") ? integer(o.value("mid"), where + ".mid", 0, 0xFFFF) : 1);
        caps.wPid = WORD(o.contains("pid") ? integer(o.value("pid"), where + ".pid", 0, 0xFFFF) : 0);
        caps.vDriverVersion = DWORD(o.contains("driverVersion")
                                        ? integer(o.value("driverVersion"), where + ".driverVersion", 0, 0xFFFFFFFFLL)
                                        : 0x0100);
        device.model.openFails = flag(o, "openFails", where);

        const QJsonArray dests = array(o.value("destinations"), where + ".destinations");
        if (dests.isEmpty()) fail(where + ".destinations", QStringLiteral("a device needs at least one destination"));
        // Line ids hold the destination and source index in 16 bits each,
        // and 0xFFFF in the top half marks a destination: more would collide.
        if (dests.size() > kMaxDestinations)
            fail(where + ".destinations", QStringLiteral("more than %1 destinations").arg(kMaxDestinations));
        for (int d = 0; d < dests.size(); ++d) {
            const QString dw = QStringLiteral("%1.destinations[%2]").arg(where).arg(d);
            const QJsonObject dobj = object(dests[d], dw);
            onlyKeys(dobj, dw,
                     {"type", "channels", "name", "shortName", "inactive", "queryFails", "controlsQueryFails",
                      "controls", "sources"});
            DriverDestination dest;
            dest.line = line(dobj, dw, true, 0xFFFF0000u | DWORD(d));
            if (dobj.contains("sources")) {
                const QJsonArray srcs = array(dobj.value("sources"), dw + ".sources");
                if (srcs.size() > kMaxSources)
                    fail(dw + ".sources", QStringLiteral("more than %1 sources").arg(kMaxSources));
                for (int s = 0; s < srcs.size(); ++s) {
                    const QString sw = QStringLiteral("%1.sources[%2]").arg(dw).arg(s);
                    const QJsonObject sobj = object(srcs[s], sw);
                    onlyKeys(sobj, sw,
                             {"type", "channels", "name", "shortName", "inactive", "queryFails", "controlsQueryFails",
                              "controls"});
                    dest.sources.push_back(line(sobj, sw, false, (DWORD(d) << 16) | DWORD(s)));
                }
                for (int s = 0; s < srcs.size(); ++s) {
                    const QString sw = QStringLiteral("%1.sources[%2]").arg(dw).arg(s);
                    controls(dest.sources[std::size_t(s)], srcs[s].toObject(), sw, nullptr);
                }
            }
            controls(dest.line, dobj, dw, &dest.sources);
            device.model.destinations.push_back(std::move(dest));
        }
        device.model.finalize();
    }
};

}  // namespace

std::optional<std::vector<SimDevice>> parseSimCards(const QByteArray& json, QString* error) {
    QJsonParseError pe{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError) {
        const QByteArray head = json.left(pe.offset);
        const int line = int(head.count('\n')) + 1;
        const int column = int(pe.offset - (head.lastIndexOf('\n') + 1)) + 1;
        if (error) *error = QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(pe.errorString());
        return std::nullopt;
    }
    try {
        if (!doc.isObject()) fail({}, QStringLiteral("expected an object with \"devices\""));
        const QJsonObject root = doc.object();
        onlyKeys(root, {}, {"devices"});
        const QJsonArray devs = array(root.value("devices"), QStringLiteral("devices"));
        std::vector<SimDevice> out;
        for (int i = 0; i < devs.size(); ++i) {
            const QString w = QStringLiteral("devices[%1]").arg(i);
            Builder b;
            b.parseDevice(object(devs[i], w), w);
            out.push_back(std::move(b.device));
        }
        return out;
    } catch (const ParseError& e) {
        if (error) *error = QString::fromStdString(e.what());
        return std::nullopt;
    }
}
