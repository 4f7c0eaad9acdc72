#pragma once
// The ALSA back end: real sound cards through alsa-lib's mixer.

#include "platform/mixer_driver.h"

#include <QString>
#include <QStringList>

#include <memory>

// With no names, every ALSA card in card order; otherwise exactly the named
// control devices. Null with *error set when it cannot be used at all.
std::unique_ptr<MixerDriver> makeAlsaDriver(const QStringList& deviceNames, QString* error);
