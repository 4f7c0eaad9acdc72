#include "platform/pulse/pulse_devices.h"

#include <algorithm>
#include <set>

namespace {

// What a destination looks like to the windows (lines, names, channels,
// controls, items) and what its controls stand for on the server. A change
// here is a line change; values are not part of it.
std::string signatureOf(const DriverDestination& dest, const PulseMapping& mapping) {
    std::string s;
    auto line = [&](const DriverLine& l) {
        s += std::to_string(l.info.dwLineID) + '/' + l.info.szName + '/' + std::to_string(l.info.cChannels) + '[';
        for (const auto& c : l.controls) {
            const PulseBinding& b = mapping.bindings.at(c.info.dwControlID);
            s += std::to_string(c.info.dwControlID) + ',' + std::to_string(c.info.fdwControl) + ',' +
                 std::to_string(static_cast<int>(b.kind)) + ',' + std::to_string(b.index) + ',';
            for (const auto& item : c.items) s += item + ';';
        }
        s += ']';
    };
    line(dest.line);
    for (const auto& src : dest.sources) line(src);
    if (dest.line.info.dwComponentType == MIXERLINE_COMPONENTTYPE_DST_WAVEIN)
        for (std::uint32_t index : mapping.recordSources) s += '#' + std::to_string(index);
    return s;
}

std::vector<std::string> signaturesOf(const PulseMapping& mapping) {
    std::vector<std::string> signatures;
    signatures.push_back(mapping.model.caps.szPname);
    for (const auto& dest : mapping.model.destinations) signatures.push_back(signatureOf(dest, mapping));
    return signatures;
}

// Destinations whose lines changed, and those that came or went.
std::set<DWORD> changedLines(const PulseDevices::Device& before, const PulseMapping& after,
                             const std::vector<std::string>& afterSignatures) {
    std::set<DWORD> ids;
    auto note = [&](const DeviceModel& m, const std::vector<std::string>& sig, const DeviceModel& other,
                    const std::vector<std::string>& otherSig) {
        for (std::size_t i = 0; i < m.destinations.size(); ++i) {
            const bool same = i < other.destinations.size() && i + 1 < otherSig.size() &&
                              sig[i + 1] == otherSig[i + 1] && sig[0] == otherSig[0];
            if (!same) ids.insert(m.destinations[i].line.info.dwLineID);
        }
    };
    note(after.model, afterSignatures, before.mapping.model, before.signatures);
    note(before.mapping.model, before.signatures, after.model, afterSignatures);
    return ids;
}

}  // namespace

bool isPeak(PulseBinding::Kind k) {
    using Kind = PulseBinding::Kind;
    return k == Kind::SinkPeak || k == Kind::InputPeak || k == Kind::RecordPeak;
}

PulseDevices::Changes PulseDevices::update(const PulseServerState& state, const PulseBinding* written) {
    Changes changes;
    std::vector<DeviceKey> before;
    for (const auto& d : devices_) before.push_back(d->key);

    std::vector<std::unique_ptr<Device>> next;
    for (std::uint32_t sink : pulse_map::sinkOrder(state)) {
        auto it =
            std::find_if(devices_.begin(), devices_.end(), [sink](const auto& d) { return d && d->sink == sink; });
        const bool fresh = it == devices_.end();
        std::unique_ptr<Device> d;
        if (fresh) {
            d = std::make_unique<Device>();
            d->key = nextKey_++;
            d->sink = sink;
        } else {
            d = std::move(*it);
        }
        PulseMapping mapping = pulse_map::buildMapping(state, sink, d->ids);
        std::vector<std::string> signatures = signaturesOf(mapping);
        if (fresh || signatures != d->signatures) {
            if (!fresh)
                for (DWORD id : changedLines(*d, mapping, signatures)) changes.lines.emplace_back(d->key, id);
            d->mapping = std::move(mapping);
            d->signatures = std::move(signatures);
        }
        for (const auto& [id, binding] : d->mapping.bindings) {
            if (isPeak(binding.kind)) continue;
            std::vector<DWORD> now = pulse_map::valuesOf(state, d->mapping, binding);
            auto& seen = d->known[id];
            if (seen == now) continue;
            const bool echoed = written && binding.kind == written->kind && binding.index == written->index;
            if (!seen.empty() && !fresh && !echoed) changes.controls.emplace_back(d->key, id);
            seen = std::move(now);
        }
        next.push_back(std::move(d));
    }
    devices_ = std::move(next);

    std::vector<DeviceKey> after;
    for (const auto& d : devices_) after.push_back(d->key);
    changes.devices = before != after;
    return changes;
}

bool PulseDevices::clear() { return !std::exchange(devices_, {}).empty(); }

DeviceKey PulseDevices::keyAt(int index) const {
    return index >= 0 && index < count() ? devices_[static_cast<std::size_t>(index)]->key : 0;
}

PulseDevices::Device* PulseDevices::find(DeviceKey key) const {
    for (const auto& d : devices_)
        if (d->key == key) return d.get();
    return nullptr;
}
