#pragma once
// The devices made from the server's state (one per sink, the default
// first), their trees, and what changed since they were last compared: the
// device list, destinations whose lines, names, channels or controls differ,
// controls whose values differ.

#include "platform/mixer_driver.h"
#include "platform/pulse/pulse_mapping.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class PulseDevices {
public:
    struct Device {
        DeviceKey key = 0;
        std::uint32_t sink = 0;
        IdRegistry ids;
        PulseMapping mapping;
        std::vector<std::string> signatures;        // per destination
        std::map<DWORD, std::vector<DWORD>> known;  // values last reported, by control
    };
    struct Changes {
        bool devices = false;  // the device list
        std::vector<std::pair<DeviceKey, DWORD>> lines;
        std::vector<std::pair<DeviceKey, DWORD>> controls;
    };

    // Brings the devices and their trees in line with the state. After a
    // write of this process, the controls standing for what was written are
    // not among the changes (the service echoes the write); others that
    // changed with it are (the recording line follows the source chosen).
    Changes update(const PulseServerState& state, const PulseBinding* written);
    // Forgets every device; true when there were any.
    bool clear();

    int count() const { return static_cast<int>(devices_.size()); }
    DeviceKey keyAt(int index) const;
    Device* find(DeviceKey key) const;

private:
    std::vector<std::unique_ptr<Device>> devices_;
    DeviceKey nextKey_ = 1;
};

// Whether a control is a peak meter (its values are the meters').
bool isPeak(PulseBinding::Kind k);
