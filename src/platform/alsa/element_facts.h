#pragma once
// What the mapping needs to know of one simple mixer element, read once.

#include <alsa/asoundlib.h>

#include <string>

struct ElementFacts {
    snd_mixer_elem_t* handle = nullptr;
    std::string name;
    unsigned index = 0;
    std::string label;  // as shown: "PCM", "PCM 1"
    bool active = true;
    bool pvol = false, pvolJoined = false, pmono = false;
    bool psw = false, pswJoined = false;
    bool cvol = false, cvolJoined = false, cmono = false;
    bool csw = false, cswJoined = false, cswExclusive = false;
    int cgroup = -1;  // exclusive capture group
    bool commonVol = false, commonSw = false;
    bool enumerated = false, enumCapture = false;
    bool used = false;  // already shown by some line

    // Identifies the element among the card's (used in line and control ids).
    std::string key() const { return name + ',' + std::to_string(index); }
};

ElementFacts describeElement(snd_mixer_elem_t* e);

// An on/off element with no level: an extra switch, not a line of its own.
inline bool isOnOffOnly(const ElementFacts& e) {
    return e.psw && !e.pvol && !e.cvol && !e.enumerated && (!e.csw || e.commonSw);
}
