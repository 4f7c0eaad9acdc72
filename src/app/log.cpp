#include "app/log.h"

Q_LOGGING_CATEGORY(lcInit, "tavlo.init", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRefresh, "tavlo.refresh", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCards, "tavlo.cards", QtWarningMsg)
Q_LOGGING_CATEGORY(lcConfig, "tavlo.config", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMeter, "tavlo.meter", QtWarningMsg)
