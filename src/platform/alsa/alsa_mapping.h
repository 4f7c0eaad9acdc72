#pragma once
// Turns the simple elements of one ALSA mixer into the device model the
// mixer service shows: destinations, source lines, controls, and for each
// control the binding to its elements. The rules are in alsa_mapping.cpp.

#include "platform/alsa/control_binding.h"
#include "platform/device_model.h"
#include "platform/id_registry.h"

#include <alsa/asoundlib.h>

#include <string>
#include <unordered_map>

struct CardIdentity {
    std::string name;    // the card's name (szPname)
    int cardIndex = -1;  // ALSA card number, -1 for devices without one
};

struct AlsaMapping {
    DeviceModel model;                                   // finalized
    std::unordered_map<DWORD, ControlBinding> bindings;  // by control id
};

AlsaMapping buildMapping(snd_mixer_t* mixer, const CardIdentity& card, IdRegistry& ids);
