// The mapping from alsa-lib's simple mixer elements to mixer lines and controls.
//
// Device: szPname is the card's name (cut to 31 characters); wMid is 0xFFFF
// (MM_UNMAPPED: no registered manufacturer); wPid is the ALSA card number,
// or 0xFFFF for a device with none (software devices such as "pulse");
// vDriverVersion is alsa-lib's version, major in the high byte, minor in the
// low one.
//
// Destination 0, speakers (DST_SPEAKERS), when the card has anything to play:
//   - the master element is the first of "Master", "Speaker", "Front",
//     "Headphone", "PCM" (index 0) with a playback volume. Its playback volume
//     is VOLUME, its playback switch MUTE (1 = switch off); the line is named
//     after it and has its channel count;
//   - BASS and TREBLE come from the "Bass" and "Treble" elements;
//   - on/off elements with no level of their own that belong to no source
//     ("External Amplifier", "Loudness") are extra switches of this line.
// Sources of the speakers destination, in alsa-lib's element order: every
// other element with a playback volume. Component type by name (PCM
// waveout, CD, Line, Mic, Synth/FM, PC Speaker/Beep, Phone, Aux,
// IEC958/SPDIF/Digital, AC97's Mix as analog, else undefined); VOLUME from
// the playback volume, MUTE from the playback switch, and the on/off
// elements named after the source ("Mic Boost (+20dB)" of "Mic") as extra
// switches, named by the rest of their name ("Boost (+20dB)").
//
// Destination 1, wave-in (DST_WAVEIN), when the card can capture: VOLUME
// from the "Capture" element's capture volume, MUTE = not its capture switch,
// and the record-source list:
//   - a capture enumeration (HDA's "Input Source"; the first if several)
//     becomes a single-choice MUX with its items;
//   - else exclusive capture switches (alsa-lib's form of AC97's "Capture
//     Source", one switch per input) become a MUX over the elements of the
//     first exclusive group;
//   - else independent capture switches become a multiple-choice MIXER.
// One source line per item, in item order, so a connection index is its
// item index. A MUX write chooses its first set item; with none set the card
// keeps recording what it did (the program clears every item before it sets
// one, and a card always records something). A source line's level is its element's own capture volume, or
// the volume of "<name> Boost" (HDA's input gains), or else a disabled
// VOLUME that reads 0 and refuses writes: the program gives a recording
// strip its select button only when the line has a control of its own, and
// the line must have no MUTE so that its select state is its list item.
//
// Controls: levels run 0..65535 over the element's raw range (level_scale.h);
// switches and list items are 0/1. A volume that is joined, or mono on a
// stereo line, is UNIFORM (one value); stereo values are the front left and
// right channels.
// Switch-class controls (MUTE, and the extra ONOFF, LOUDNESS, … switches) are
// always UNIFORM, even where the card has one switch per channel (most HDA
// codecs): a write sets every channel; a MUTE reads 1 when ANY channel is
// off, an extra switch reads 1 only when EVERY channel is on. So one press
// of a strip's mute silences the whole line, and a line left half on by
// another program shows muted and is fully unmuted by one press.
// The lists are UNIFORM: they read the left channel's choice and set every
// channel. Controls of an inactive element are DISABLED. Lines get no meter
// controls: ALSA has no peak meters.
//
// Not shown: enumerations other than the capture one ("Auto-Mute Mode"),
// capture volumes that belong to no record source, switch groups beyond the
// first, and channels beyond front left/right when they differ.

#include "platform/alsa/alsa_mapping.h"

#include "platform/alsa/element_facts.h"
#include "platform/alsa/element_names.h"
#include "platform/alsa/level_scale.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr WORD kUnmappedId = 0xFFFF;
constexpr DWORD kTargetWaveOut = 1;
constexpr DWORD kTargetWaveIn = 2;
constexpr std::array<std::string_view, 5> kMasterNames{"Master", "Speaker", "Front", "Headphone", "PCM"};

bool isCaptureMain(const ElementFacts& e) { return e.name == "Capture"; }

class Builder {
public:
    Builder(std::vector<ElementFacts>& elems, const CardIdentity& card, IdRegistry& ids, AlsaMapping& out)
        : elems_(elems), ids_(ids), out_(out) {
        MIXERCAPS& caps = out_.model.caps;
        caps.wMid = kUnmappedId;
        caps.wPid =
            card.cardIndex >= 0 && card.cardIndex < kUnmappedId ? static_cast<WORD>(card.cardIndex) : kUnmappedId;
        caps.vDriverVersion = (SND_LIB_MAJOR << 8) | SND_LIB_MINOR;
        copyName(caps.szPname, card.name);
    }

    void build() {
        // Destinations first, so they keep the lowest line ids.
        ids_.line("dst:speakers");
        ids_.line("dst:wavein");
        buildSpeakers();
        buildWaveIn();
        out_.model.finalize();
    }

private:
    ElementFacts* find(std::string_view name, unsigned index = 0) {
        for (auto& e : elems_)
            if (e.name == name && e.index == index) return &e;
        return nullptr;
    }

    DriverLine newLine(const std::string& key, DWORD type, const std::string& name, DWORD channels, DWORD target) {
        return newDriverLine(ids_.line(key), type, name, channels, target, out_.model.caps);
    }

    DriverControl& addControl(DriverLine& line, const std::string& key, DWORD type, const std::string& name,
                              ControlBinding binding, bool active = true) {
        DriverControl c;
        c.info.dwControlID = ids_.control(key);
        c.info.dwControlType = type;
        if (binding.channels == 1 && line.info.cChannels > 1) c.info.fdwControl |= MIXERCONTROL_CONTROLF_UNIFORM;
        if (!active) c.info.fdwControl |= MIXERCONTROL_CONTROLF_DISABLED;
        copyName(c.info.szShortName, name);
        copyName(c.info.szName, name);
        if (isUnsignedUnits(type)) {
            c.info.Bounds.dwMinimum = 0;
            c.info.Bounds.dwMaximum = kLevelTop;
            c.info.Metrics.cSteps = static_cast<DWORD>(std::clamp(binding.max - binding.min, 0L, long(kLevelTop)));
        } else {
            c.info.Bounds.dwMinimum = 0;
            c.info.Bounds.dwMaximum = 1;
        }
        out_.bindings[c.info.dwControlID] = std::move(binding);
        line.controls.push_back(std::move(c));
        return line.controls.back();
    }

    // One value when the line is mono or the element keeps one for all channels.
    static DWORD storedChannels(const DriverLine& line, bool mono, bool joined) {
        return line.info.cChannels == 1 || mono || joined ? 1 : 2;
    }

    static ElemSide volumeSide(const ElementFacts& e) { return e.pvol ? ElemSide::Playback : ElemSide::Capture; }

    void addLevel(DriverLine& line, const std::string& key, DWORD type, const std::string& name, const ElementFacts& e,
                  ElemSide side) {
        ControlBinding b;
        b.kind = ControlBinding::Kind::Level;
        b.elem = e.handle;
        b.side = side;
        const bool playback = side == ElemSide::Playback;
        b.channels = storedChannels(line, playback ? e.pmono : e.cmono, playback ? e.pvolJoined : e.cvolJoined);
        if (playback)
            snd_mixer_selem_get_playback_volume_range(e.handle, &b.min, &b.max);
        else
            snd_mixer_selem_get_capture_volume_range(e.handle, &b.min, &b.max);
        addControl(line, key, type, name, std::move(b), e.active);
    }

    void addSwitch(DriverLine& line, const std::string& key, DWORD type, const std::string& name, const ElementFacts& e,
                   ElemSide side, bool invert) {
        ControlBinding b;
        b.kind = ControlBinding::Kind::Switch;
        b.elem = e.handle;
        b.side = side;
        b.invert = invert;
        b.channels = 1;  // one value for all channels, see the rules above
        addControl(line, key, type, name, std::move(b), e.active);
    }

    void buildSpeakers() {
        ElementFacts* master = nullptr;
        for (auto name : kMasterNames) {
            ElementFacts* e = find(name);
            if (e && e->pvol && !e->commonVol) {
                master = e;
                break;
            }
        }
        ElementFacts* bass = find("Bass");
        ElementFacts* treble = find("Treble");
        for (ElementFacts* e : {master, bass, treble})
            if (e) e->used = true;

        // Playback sources, with the on/off elements named after them.
        std::vector<std::pair<ElementFacts*, DriverLine>> sources;
        for (auto& e : elems_) {
            if (e.used || !e.pvol || isCaptureMain(e) || boostsUsedByWaveIn(e)) continue;
            e.used = true;
            const std::string key = "play:" + e.key();
            DriverLine line = newLine(key, sourceTypeForName(e.name), e.label, e.pmono ? 1 : 2, 0);
            addLevel(line, key + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, e.label + " Volume", e,
                     ElemSide::Playback);
            if (e.psw)
                addSwitch(line, key + "/mute", MIXERCONTROL_CONTROLTYPE_MUTE, e.label + " Mute", e, ElemSide::Playback,
                          true);
            sources.emplace_back(&e, std::move(line));
        }
        std::vector<ElementFacts*> loneSwitches;
        for (auto& e : elems_) {
            if (e.used || !isOnOffOnly(e)) continue;
            e.used = true;
            auto owner = sources.end();
            for (auto it = sources.begin(); it != sources.end(); ++it) {
                const std::string prefix = it->first->label + ' ';
                if (e.label.starts_with(prefix) &&
                    (owner == sources.end() || it->first->label.size() > owner->first->label.size()))
                    owner = it;
            }
            if (owner == sources.end()) {
                loneSwitches.push_back(&e);
                continue;
            }
            DriverLine& line = owner->second;
            const std::string rest = e.label.substr(owner->first->label.size() + 1);
            addSwitch(line, "play:" + owner->first->key() + "/switch:" + e.key(), switchTypeForName(e.name), rest, e,
                      ElemSide::Playback, false);
        }

        if (!master && sources.empty() && loneSwitches.empty()) return;
        const std::string key = "dst:speakers";
        DriverDestination dest;
        dest.line = newLine(key, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, master ? master->label : "Playback",
                            master && master->pmono ? 1 : 2, kTargetWaveOut);
        if (master) {
            addLevel(dest.line, key + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, master->label + " Volume", *master,
                     ElemSide::Playback);
            if (master->psw)
                addSwitch(dest.line, key + "/mute", MIXERCONTROL_CONTROLTYPE_MUTE, master->label + " Mute", *master,
                          ElemSide::Playback, true);
        }
        if (bass && (bass->pvol || bass->cvol))
            addLevel(dest.line, key + "/bass", MIXERCONTROL_CONTROLTYPE_BASS, "Bass", *bass, volumeSide(*bass));
        if (treble && (treble->pvol || treble->cvol))
            addLevel(dest.line, key + "/treble", MIXERCONTROL_CONTROLTYPE_TREBLE, "Treble", *treble,
                     volumeSide(*treble));
        for (ElementFacts* e : loneSwitches)
            addSwitch(dest.line, key + "/switch:" + e->key(), switchTypeForName(e->name), e->label, *e,
                      ElemSide::Playback, false);
        for (auto& s : sources) dest.sources.push_back(std::move(s.second));
        out_.model.destinations.push_back(std::move(dest));
    }

    // The record-source items: the first capture enumeration, else the
    // first exclusive switch group, else every independent capture switch.
    struct CaptureList {
        bool singleChoice = false;
        ElementFacts* enumElem = nullptr;
        std::vector<ElementFacts*> switches;
        std::vector<std::string> names;  // item names
    };

    std::optional<CaptureList> captureList() {
        CaptureList list;
        for (auto& e : elems_) {
            if (!e.enumCapture) continue;
            list.singleChoice = true;
            list.enumElem = &e;
            const int n = snd_mixer_selem_get_enum_items(e.handle);
            for (int i = 0; i < n; ++i) {
                char name[64] = {};
                snd_mixer_selem_get_enum_item_name(e.handle, static_cast<unsigned>(i), sizeof name - 1, name);
                list.names.emplace_back(name);
            }
            return list.names.empty() ? std::nullopt : std::optional(list);
        }
        auto recordable = [](const ElementFacts& e) { return e.csw && !e.commonSw && !isCaptureMain(e); };
        int group = -1;
        for (auto& e : elems_) {
            if (!recordable(e) || !e.cswExclusive) continue;
            if (group < 0) group = e.cgroup;
            if (e.cgroup == group) list.switches.push_back(&e);
        }
        list.singleChoice = !list.switches.empty();
        if (list.switches.empty())
            for (auto& e : elems_)
                if (recordable(e) && !e.cswExclusive) list.switches.push_back(&e);
        for (ElementFacts* e : list.switches) list.names.push_back(e->label);
        return list.switches.empty() ? std::nullopt : std::optional(list);
    }

    // The element that gives a record source its level, if any.
    ElementFacts* recordLevel(const std::string& name, unsigned index) {
        if (ElementFacts* own = find(name, index); own && own->cvol && !own->commonVol) return own;
        if (ElementFacts* boost = find(name + " Boost", index); boost && (boost->cvol || boost->pvol)) return boost;
        return nullptr;
    }

    // HDA's "<input> Boost" gains belong to the record source of that input,
    // not to the playback side.
    bool boostsUsedByWaveIn(const ElementFacts& e) {
        if (!e.name.ends_with(" Boost")) return false;
        const std::string input = e.name.substr(0, e.name.size() - 6);
        auto list = captureListCache();
        if (!list) return false;
        return std::find(list->names.begin(), list->names.end(), elementLabel(input, e.index)) != list->names.end();
    }

    const std::optional<CaptureList>& captureListCache() {
        if (!captureListDone_) {
            captureList_ = captureList();
            captureListDone_ = true;
        }
        return captureList_;
    }

    void buildWaveIn() {
        ElementFacts* capture = find("Capture");
        if (capture && !capture->cvol && !capture->csw) capture = nullptr;
        const auto& list = captureListCache();
        if (!capture && !list) return;

        const std::string key = "dst:wavein";
        DriverDestination dest;
        dest.line = newLine(key, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, capture ? capture->label : "Capture",
                            capture && !capture->cmono ? 2 : 1, kTargetWaveIn);
        if (capture && capture->cvol)
            addLevel(dest.line, key + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, capture->label + " Volume", *capture,
                     ElemSide::Capture);
        if (capture && capture->csw)
            addSwitch(dest.line, key + "/mute", MIXERCONTROL_CONTROLTYPE_MUTE, capture->label + " Mute", *capture,
                      ElemSide::Capture, true);
        if (!list) {
            out_.model.destinations.push_back(std::move(dest));
            return;
        }

        for (std::size_t i = 0; i < list->names.size(); ++i) {
            const std::string& name = list->names[i];
            const ElementFacts* item = list->enumElem ? nullptr : list->switches[i];
            const std::string itemKey = item ? item->key() : name + ",0";
            const std::string lineKey = "rec:" + itemKey;
            ElementFacts* level = item ? recordLevel(item->name, item->index) : recordLevel(name, 0);
            DriverLine line =
                newLine(lineKey, sourceTypeForName(item ? item->name : name), name, level && !level->cmono ? 2 : 1, 0);
            if (level) {
                level->used = true;
                addLevel(line, lineKey + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, name + " Capture Volume", *level,
                         level->cvol ? ElemSide::Capture : ElemSide::Playback);
            } else {
                ControlBinding none;
                none.kind = ControlBinding::Kind::NoLevel;
                addControl(line, lineKey + "/volume", MIXERCONTROL_CONTROLTYPE_VOLUME, name + " (no level)",
                           std::move(none), false);
            }
            dest.sources.push_back(std::move(line));
        }

        ControlBinding b;
        b.channels = 1;
        std::string listName;
        bool active = true;
        if (list->enumElem) {
            b.kind = ControlBinding::Kind::EnumChoice;
            b.elem = list->enumElem->handle;
            listName = list->enumElem->label;
            active = list->enumElem->active;
        } else {
            b.kind = ControlBinding::Kind::SwitchList;
            b.singleChoice = list->singleChoice;
            for (ElementFacts* e : list->switches) b.items.push_back(e->handle);
            listName = list->singleChoice ? "Capture Source" : "Capture Switches";
        }
        const DWORD type = list->singleChoice ? MIXERCONTROL_CONTROLTYPE_MUX : MIXERCONTROL_CONTROLTYPE_MIXER;
        DriverControl& c =
            addControl(dest.line, key + (list->singleChoice ? "/mux" : "/mixer"), type, listName, std::move(b), active);
        c.items = list->names;
        for (const auto& src : dest.sources) c.itemParams.push_back(src.info.dwLineID);
        out_.model.destinations.push_back(std::move(dest));
    }

    std::vector<ElementFacts>& elems_;
    IdRegistry& ids_;
    AlsaMapping& out_;
    std::optional<CaptureList> captureList_;
    bool captureListDone_ = false;
};

}  // namespace

AlsaMapping buildMapping(snd_mixer_t* mixer, const CardIdentity& card, IdRegistry& ids) {
    std::vector<ElementFacts> elems;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e; e = snd_mixer_elem_next(e))
        elems.push_back(describeElement(e));
    AlsaMapping out;
    Builder(elems, card, ids, out).build();
    return out;
}
