#pragma once
// Chooses the sound back end from the platform's own setting, TAVLO_MIXER:
//   demo       the built-in simulated cards
//   sim:PATH   simulated cards described in a JSON file
//   pulse      the PulseAudio (or PipeWire) server: its sinks, streams, sources;
//              waited for when it does not run yet, followed when it stops
//              and starts again
//   alsa       every ALSA sound card
//   alsa:A,B   exactly the named ALSA control devices, in that order
// Unset (or empty): the sound server while it runs, and every ALSA card
// while it does not (before it starts, or once it stopped for longer than
// kSoundServerGrace).

#include "platform/mixer_driver.h"

#include <QString>

#include <chrono>
#include <memory>

inline constexpr const char* kMixerSelectionVariable = "TAVLO_MIXER";

// Null with *error set (one line) when the selection cannot be used.
std::unique_ptr<MixerDriver> makeMixerDriver(const QString& selection, QString* error);
// How long start-up waits for the sound server's first answer.
inline constexpr std::chrono::milliseconds kSoundServerBound{1000};
// How long a sound server that stopped has to come back (a restart) before
// the ALSA cards are shown instead.
inline constexpr std::chrono::milliseconds kSoundServerGrace{3000};
// The selection as the environment gives it.
QString mixerSelectionFromEnvironment();
