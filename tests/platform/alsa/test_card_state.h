#pragma once
// The test card's state file: the values of every element of one card,
// shared by all handles open on it and by the tests. Written in place under
// flock so that each handle's inotify watch sees every change.

#include "test_card_profiles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testcard {

struct ElemRecord {
    std::int32_t present = 0;
    std::int32_t inactive = 0;  // present but not in use (a jack-dependent control, say)
    std::int32_t value[kMaxChannels] = {0, 0};
};

// Faults of the card: non-zero makes value reads or writes fail with that error.
struct Faults {
    std::int32_t readErrno = 0;
    std::int32_t writeErrno = 0;
};

struct Snapshot {
    Faults faults;
    std::vector<ElemRecord> elems;
};

class StateFile {
public:
    StateFile() = default;
    StateFile(const StateFile&) = delete;
    StateFile& operator=(const StateFile&) = delete;
    StateFile(StateFile&& other) noexcept;
    StateFile& operator=(StateFile&& other) noexcept;
    ~StateFile();

    // Opens the card's state file, creating it with the profile's start
    // values when it is missing or empty. 0 or a negative errno.
    int open(const std::string& path, const Profile& profile, bool create = true);
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const Profile& profile() const { return *profile_; }
    // True once the file has been unlinked (the card is gone).
    bool unlinked() const;

    int read(Snapshot& out) const;
    int readElem(int elem, ElemRecord& out, Faults* faults = nullptr) const;
    // Replaces one element's record; *changed tells whether it differed.
    int writeElem(int elem, const ElemRecord& record, bool* changed = nullptr);
    int setFaults(const Faults& faults);

private:
    int fd_ = -1;
    const Profile* profile_ = nullptr;
};

}  // namespace testcard
