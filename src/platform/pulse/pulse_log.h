#pragma once
// The PulseAudio driver's log category, "tavlo.pulse".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPulse)
