#pragma once
// Turns the simple elements of one ALSA mixer into the device model the
// mixer service shows: destinations, source lines, controls, and for each
// control the binding to its elements. The rules are in alsa_mapping.cpp.

#include "platform/alsa/control_binding.h"
#include "platform/device_model.h"

#include <alsa/asoundlib.h>

#include <string>
#include <unordered_map>

struct CardIdentity {
    std::string name;    // the card's name (szPname)
    int cardIndex = -1;  // ALSA card number, -1 for devices without one
};

// Hands out line and control ids by what they stand for, so that a rebuilt
// model keeps the ids of the lines and controls that still exist and never
// reuses the id of one that went away.
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

struct AlsaMapping {
    DeviceModel model;                                   // finalized
    std::unordered_map<DWORD, ControlBinding> bindings;  // by control id
};

AlsaMapping buildMapping(snd_mixer_t* mixer, const CardIdentity& card, IdRegistry& ids);
