#pragma once
// Names a server object this program follows: a sink, an application's
// stream (sink input) or a source, by its index on the server. Indices are
// not reused by a server while it runs, and the three kinds count apart.

#include <pulse/def.h>
#include <pulse/subscribe.h>

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct PulseObject {
    enum class Kind : std::uint8_t { Sink, Input, Source };
    Kind kind = Kind::Sink;
    std::uint32_t index = PA_INVALID_INDEX;

    static constexpr PulseObject sink(std::uint32_t i) { return {Kind::Sink, i}; }
    static constexpr PulseObject input(std::uint32_t i) { return {Kind::Input, i}; }
    static constexpr PulseObject source(std::uint32_t i) { return {Kind::Source, i}; }

    // The object a subscription event is about, when it is of a kind
    // followed here.
    static constexpr std::optional<PulseObject> ofEvent(unsigned type, std::uint32_t i) {
        switch (type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) {
            case PA_SUBSCRIPTION_EVENT_SINK:
                return sink(i);
            case PA_SUBSCRIPTION_EVENT_SINK_INPUT:
                return input(i);
            case PA_SUBSCRIPTION_EVENT_SOURCE:
                return source(i);
            default:
                return std::nullopt;
        }
    }

    auto operator<=>(const PulseObject&) const = default;

    // "sink:3", "input:7", "source:1": for logs, and for the line ids of
    // streams, which must stay what they were.
    std::string toString() const {
        const char* name = kind == Kind::Sink ? "sink" : kind == Kind::Input ? "input" : "source";
        return std::string(name) + ':' + std::to_string(index);
    }
};

template <>
struct std::hash<PulseObject> {
    std::size_t operator()(const PulseObject& o) const noexcept {
        return std::hash<std::uint64_t>()((std::uint64_t{static_cast<std::uint8_t>(o.kind)} << 32) | o.index);
    }
};
