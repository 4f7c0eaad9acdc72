#include "platform/alsa/element_names.h"

#include <vector>

namespace {

std::vector<std::string_view> words(std::string_view name) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == ' ' || name[i] == '-' || name[i] == '_') {
            if (i > start) out.push_back(name.substr(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

// Whole words only, so that "Headphone" is no "Phone"; a prefix match
// also takes numbered names such as "Line2" or "Mic1".
bool hasWord(const std::vector<std::string_view>& ws, std::string_view word, bool prefix = false) {
    for (auto w : ws)
        if (prefix ? w.starts_with(word) : w == word) return true;
    return false;
}

}  // namespace

DWORD sourceTypeForName(std::string_view name) {
    const auto ws = words(name);
    if (name.find("PC Speaker") != std::string_view::npos || hasWord(ws, "Beep"))
        return MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER;
    if (hasWord(ws, "PCM", true)) return MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    if (hasWord(ws, "CD")) return MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;
    if (hasWord(ws, "Line", true)) return MIXERLINE_COMPONENTTYPE_SRC_LINE;
    if (hasWord(ws, "Mic", true)) return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
    if (hasWord(ws, "Synth", true) || hasWord(ws, "FM")) return MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER;
    if (hasWord(ws, "Phone")) return MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE;
    if (hasWord(ws, "Aux", true)) return MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY;
    if (hasWord(ws, "IEC958") || hasWord(ws, "SPDIF") || hasWord(ws, "S/PDIF") || hasWord(ws, "Digital"))
        return MIXERLINE_COMPONENTTYPE_SRC_DIGITAL;
    // AC97's "Mix" and "Mix Mono" record the analog mix of all inputs.
    if (!ws.empty() && ws.front() == "Mix") return MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
    return MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED;
}

DWORD switchTypeForName(std::string_view name) {
    const auto ws = words(name);
    if (hasWord(ws, "Loudness")) return MIXERCONTROL_CONTROLTYPE_LOUDNESS;
    if (name.find("Bass Boost") != std::string_view::npos) return MIXERCONTROL_CONTROLTYPE_BASS_BOOST;
    return MIXERCONTROL_CONTROLTYPE_ONOFF;
}

std::string elementLabel(std::string_view name, unsigned index) {
    std::string label(name);
    if (index > 0) label += ' ' + std::to_string(index);
    return label;
}
