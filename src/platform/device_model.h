#pragma once
// What a driver tells the mixer service about one device: its capabilities
// and the fixed tree of lines and controls. The service answers every query
// from this description; only control values go back to the driver.

#include "platform/mmsystem.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct DriverControl {
    MIXERCONTROL info{};             // dwControlID unique within the device
    std::vector<std::string> items;  // names of the items of a multiple control
    std::vector<DWORD> itemParams;   // dwParam1 of each item's list text (a line id), optional
    bool readFails = false;          // value reads fail (simulated fault)
    bool writeFails = false;         // value writes fail (simulated fault)
};

struct DriverLine {
    MIXERLINE info{};  // dwLineID unique within the device
    std::vector<DriverControl> controls;
    bool queryFails = false;          // mixerGetLineInfoA on this line fails
    bool controlsQueryFails = false;  // mixerGetLineControlsA on this line fails
};

struct DriverDestination {
    DriverLine line;
    std::vector<DriverLine> sources;
};

struct DeviceModel {
    MIXERCAPS caps{};
    std::vector<DriverDestination> destinations;
    bool openFails = false;  // mixerOpen on this device fails

    DeviceModel() = default;
    DeviceModel(const DeviceModel& other) { *this = other; }
    DeviceModel& operator=(const DeviceModel& other);
    DeviceModel(DeviceModel&&) noexcept = default;  // moved vectors keep their elements in place
    DeviceModel& operator=(DeviceModel&&) noexcept = default;

    // Fills the counts, indices and record sizes derived from the tree and
    // builds the id lookups. Call once the tree is complete.
    void finalize();

    struct ControlRef {
        const DriverLine* line = nullptr;
        const DriverControl* control = nullptr;
    };
    const DriverLine* lineById(DWORD lineId) const;
    ControlRef controlById(DWORD controlId) const;
    const DriverLine* destinationLine(DWORD dest) const;
    const DriverLine* sourceLine(DWORD dest, DWORD source) const;

private:
    std::unordered_map<DWORD, const DriverLine*> linesById_;
    std::unordered_map<DWORD, ControlRef> controlsById_;
};

// Number of 32-bit values a control holds: one per channel (one when
// uniform), times its items when it is a multiple control.
DWORD controlValueCount(const MIXERCONTROL& control, DWORD lineChannels);

// Copies text into a fixed-size, zero-terminated name field, cutting it to fit.
void copyName(char* field, std::size_t size, std::string_view text);
template <std::size_t N>
void copyName(char (&field)[N], std::string_view text) {
    copyName(field, N, text);
}

// An active line with its names and the device it belongs to as its target.
DriverLine newDriverLine(DWORD lineId, DWORD type, std::string_view name, DWORD channels, DWORD target,
                         const MIXERCAPS& device);
