#pragma once
// The test sound cards: the control elements each profile offers, as an ALSA
// driver would name them. Shared by the control plugin and the tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testcard {

enum class ElemType { Integer, Boolean, Enumerated };

inline constexpr int kMaxChannels = 2;

struct ElemDef {
    std::string name;  // full control name, e.g. "Master Playback Volume"
    unsigned index = 0;
    ElemType type = ElemType::Integer;
    int channels = 1;
    long min = 0, max = 1;              // integer range (booleans 0..1, enums 0..items-1)
    std::vector<std::string> items;     // enumerated item names
    long start[kMaxChannels] = {0, 0};  // values when the card is created
    bool present = true;                // part of the card when it is created
};

struct Profile {
    std::string id;  // "ac97", "hda", "mixsw"
    std::string cardName;
    std::vector<ElemDef> elems;

    // Position of an element in elems, or -1.
    int find(std::string_view name, unsigned index = 0) const;
};

// The known profiles; null for an unknown id.
const Profile* findProfile(std::string_view id);
const std::vector<Profile>& profiles();

}  // namespace testcard
