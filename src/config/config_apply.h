#pragma once
// Between the configuration file's records and the windows: what a read
// file does to the dialog's boxes, the menu checks, the borders, the
// animation switch and the windows' places, and the values a save reads
// back from them.

#include "config/config_format.h"

class AppContext;

// Applies what a file yielded, in the file's line order. Needs every
// window made (the dialog's boxes and the menu live in later windows).
void applyConfig(AppContext& context, const ConfigFileContents& contents);

// The values to save: the dialog's boxes as checked now (not which strips
// show), the five menu checks, the carried first line, both mixer windows'
// Left and Top.
ConfigValues currentConfig(AppContext& context);

// Coloured borders (each mixer window its own pictures) or silver ones.
void applyBorderScheme(AppContext& context, bool coloured);
