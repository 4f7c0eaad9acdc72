#pragma once
// The configuration file through the windows: what a read file does to the
// dialog's boxes, the menu checks, the borders, the animation switch and
// the windows' places, and the values a save reads back from them.

#include "app/controller_scope.h"

class ColourSchemes;
struct ConfigFileContents;
struct ConfigSaveResult;
struct ConfigValues;

class ConfigApply {
public:
    ConfigApply(const ControllerScope& scope, ColourSchemes& schemes) : s_(scope), schemes_(schemes) {}

    // Form1.optionsClick: reads the file (at the first binding) and applies it.
    void optionsClick();
    // TForm4.saveClick: writes what the windows show.
    [[nodiscard]] ConfigSaveResult saveConfiguration();
    void applyConfig(const ConfigFileContents& contents);
    ConfigValues currentConfig() const;

private:
    const ControllerScope& s_;
    ColourSchemes& schemes_;
};
