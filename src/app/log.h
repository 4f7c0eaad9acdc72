#pragma once
// The application's diagnostic categories, switched on with
// QT_LOGGING_RULES (e.g. "tavlo.refresh.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcInit)     // tavlo.init: the initialisation's trace points
Q_DECLARE_LOGGING_CATEGORY(lcRefresh)  // tavlo.refresh: one line per refresh of the strips
Q_DECLARE_LOGGING_CATEGORY(lcCards)    // tavlo.cards: cards coming and going
Q_DECLARE_LOGGING_CATEGORY(lcConfig)   // tavlo.config: the configuration file
Q_DECLARE_LOGGING_CATEGORY(lcMeter)    // tavlo.meter: the meter scan
