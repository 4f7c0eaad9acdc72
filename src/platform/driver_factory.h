#pragma once
// Chooses the sound back end from the platform's own setting, TAVLO_MIXER:
//   demo       the built-in simulated cards
//   sim:PATH   simulated cards described in a JSON file
//   alsa       every ALSA sound card (the default)
//   alsa:A,B   exactly the named ALSA control devices, in that order

#include "platform/mixer_driver.h"

#include <QString>

#include <memory>

inline constexpr const char* kMixerSelectionVariable = "TAVLO_MIXER";

// Null with *error set (one line) when the selection cannot be used.
std::unique_ptr<MixerDriver> makeMixerDriver(const QString& selection, QString* error);
// The selection as the environment gives it.
QString mixerSelectionFromEnvironment();
