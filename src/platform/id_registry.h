#pragma once
// Hands out line and control ids by what they stand for, so that a rebuilt
// model keeps the ids of the lines and controls that still exist and never
// reuses the id of one that went away.

#include "platform/mmsystem.h"

#include <string>
#include <unordered_map>

class IdRegistry {
public:
    DWORD line(const std::string& key) { return idFor(lines_, key); }
    DWORD control(const std::string& key) { return idFor(controls_, key); }

private:
    static DWORD idFor(std::unordered_map<std::string, DWORD>& ids, const std::string& key) {
        auto [it, added] = ids.try_emplace(key, static_cast<DWORD>(ids.size() + 1));
        return it->second;
    }
    std::unordered_map<std::string, DWORD> lines_;
    std::unordered_map<std::string, DWORD> controls_;
};
