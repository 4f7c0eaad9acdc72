// libFuzzer target for card descriptions (the simulated cards' JSON):
// whatever the bytes, the parser either refuses them with one line saying
// where and why, or yields devices whose trees hold together: every line and
// control found by its id, start values sized for their control, names
// terminated, bounds in order, and a copied model pointing into itself.

#include "platform/sim/sim_driver.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

// Names the broken rule, so a crash file tells what it found.
#define require(rule)             \
    do {                          \
        if (!(rule)) fail(#rule); \
    } while (false)

namespace {

[[noreturn]] void fail(const char* rule) {
    std::fprintf(stderr, "broken: %s\n", rule);
    std::abort();
}

template <std::size_t N>
bool terminated(const char (&field)[N]) {
    return std::memchr(field, 0, N) != nullptr;
}

void checkLine(const DeviceModel& model, const DriverLine& line) {
    require(model.lineById(line.info.dwLineID) == &line);
    require(terminated(line.info.szName) && terminated(line.info.szShortName));
    require(line.info.cChannels >= 1 && line.info.cControls == line.controls.size());
    for (const DriverControl& c : line.controls) {
        const DeviceModel::ControlRef ref = model.controlById(c.info.dwControlID);
        require(ref.line == &line && ref.control == &c);
        require(terminated(c.info.szName) && terminated(c.info.szShortName));
        require(c.info.Bounds.dwMinimum <= c.info.Bounds.dwMaximum);
        require(c.info.cMultipleItems == c.items.size());
    }
}

void checkModel(const DeviceModel& model) {
    require(terminated(model.caps.szPname));
    require(model.caps.cDestinations == model.destinations.size() && !model.destinations.empty());
    for (const DriverDestination& d : model.destinations) {
        require(d.line.info.cConnections == d.sources.size());
        checkLine(model, d.line);
        for (const DriverLine& s : d.sources) checkLine(model, s);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString error;
    const auto cards =
        parseSimCards(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)), &error);
    if (!cards) {
        require(!error.isEmpty() && !error.contains(u'\n') && !error.contains(u'\r'));
        return 0;
    }
    for (const SimDevice& device : *cards) {
        checkModel(device.model);
        require(device.startValues.size() == device.controlOrder.size());
        require(device.meters.size() == device.controlOrder.size());
        std::set<DWORD> ids;
        for (std::size_t i = 0; i < device.controlOrder.size(); ++i) {
            require(ids.insert(device.controlOrder[i]).second);
            const DeviceModel::ControlRef ref = device.model.controlById(device.controlOrder[i]);
            require(ref.control != nullptr);
            require(device.startValues[i].size() == controlValueCount(ref.control->info, ref.line->info.cChannels));
        }
        const DeviceModel copy = device.model;  // its lookups must point into the copy
        checkModel(copy);
    }
    return 0;
}
