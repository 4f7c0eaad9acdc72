#pragma once
// Readable names of component and control types, for tools and reports.

#include "platform/mmsystem.h"

#include <QString>

QString componentTypeName(DWORD type);  // e.g. "DST_SPEAKERS", "SRC_WAVEOUT"
QString controlTypeName(DWORD type);    // e.g. "VOLUME", "MUX"; unknown ones in hex
QString controlFlagNames(DWORD flags);  // e.g. "uniform|multiple", "" for none
