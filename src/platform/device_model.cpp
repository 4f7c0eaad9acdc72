#include "platform/device_model.h"

#include <algorithm>
#include <cstring>

namespace {

void finalizeLine(DriverLine& line, DWORD dest, DWORD source, bool isSource) {
    line.info.cbStruct = sizeof(MIXERLINE);
    line.info.dwDestination = dest;
    line.info.dwSource = isSource ? source : 0;
    if (isSource)
        line.info.fdwLine |= MIXERLINE_LINEF_SOURCE;
    else
        line.info.fdwLine &= ~MIXERLINE_LINEF_SOURCE;
    line.info.cControls = static_cast<DWORD>(line.controls.size());
    if (line.info.cChannels == 0) line.info.cChannels = 1;
    for (auto& c : line.controls) {
        c.info.cbStruct = sizeof(MIXERCONTROL);
        if (!c.items.empty()) {
            c.info.fdwControl |= MIXERCONTROL_CONTROLF_MULTIPLE;
            c.info.cMultipleItems = static_cast<DWORD>(c.items.size());
        }
    }
}

}  // namespace

DeviceModel& DeviceModel::operator=(const DeviceModel& other) {
    if (this == &other) return *this;
    caps = other.caps;
    destinations = other.destinations;
    openFails = other.openFails;
    finalize();  // the lookups must point into our own copy
    return *this;
}

void DeviceModel::finalize() {
    caps.cDestinations = static_cast<DWORD>(destinations.size());
    linesById_.clear();
    controlsById_.clear();
    for (DWORD d = 0; d < destinations.size(); ++d) {
        auto& dest = destinations[d];
        dest.line.info.cConnections = static_cast<DWORD>(dest.sources.size());
        finalizeLine(dest.line, d, 0, false);
        for (DWORD s = 0; s < dest.sources.size(); ++s) finalizeLine(dest.sources[s], d, s, true);
    }
    auto index = [this](const DriverLine& line) {
        linesById_[line.info.dwLineID] = &line;
        for (const auto& c : line.controls) controlsById_[c.info.dwControlID] = ControlRef{&line, &c};
    };
    for (const auto& dest : destinations) {
        index(dest.line);
        for (const auto& src : dest.sources) index(src);
    }
}

const DriverLine* DeviceModel::lineById(DWORD lineId) const {
    auto it = linesById_.find(lineId);
    return it == linesById_.end() ? nullptr : it->second;
}

DeviceModel::ControlRef DeviceModel::controlById(DWORD controlId) const {
    auto it = controlsById_.find(controlId);
    return it == controlsById_.end() ? ControlRef{} : it->second;
}

const DriverLine* DeviceModel::destinationLine(DWORD dest) const {
    return dest < destinations.size() ? &destinations[dest].line : nullptr;
}

const DriverLine* DeviceModel::sourceLine(DWORD dest, DWORD source) const {
    if (dest >= destinations.size()) return nullptr;
    const auto& sources = destinations[dest].sources;
    return source < sources.size() ? &sources[source] : nullptr;
}

DWORD controlValueCount(const MIXERCONTROL& control, DWORD lineChannels) {
    const DWORD channels = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : std::max<DWORD>(lineChannels, 1);
    const DWORD items = (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 1;
    return channels * items;
}

void copyName(char* field, std::size_t size, std::string_view text) {
    if (size == 0) return;
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, size - n);
}

DriverLine newDriverLine(DWORD lineId, DWORD type, std::string_view name, DWORD channels, DWORD target,
                         const MIXERCAPS& device) {
    DriverLine line;
    line.info.dwLineID = lineId;
    line.info.fdwLine = MIXERLINE_LINEF_ACTIVE;
    line.info.dwComponentType = type;
    line.info.cChannels = channels;
    copyName(line.info.szShortName, name);
    copyName(line.info.szName, name);
    line.info.Target.dwType = target;
    line.info.Target.wMid = device.wMid;
    line.info.Target.wPid = device.wPid;
    line.info.Target.vDriverVersion = device.vDriverVersion;
    copyName(line.info.Target.szPname, std::string_view(device.szPname));
    return line;
}
