#pragma once
// What an ALSA element's name says about the line or switch it stands for.

#include "platform/mmsystem.h"

#include <string>
#include <string_view>

// Source component type of a line named after an element; never a
// destination type.
DWORD sourceTypeForName(std::string_view name);

// Control type of a stand-alone on/off element offered as an extra switch.
DWORD switchTypeForName(std::string_view name);

// The element name as shown: "PCM", or "PCM 1" for a second element of the name.
std::string elementLabel(std::string_view name, unsigned index);
