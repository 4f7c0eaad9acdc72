#pragma once
// The configuration file on disk: where it lives, reading it once per run and
// saving it on request. The windows only move values between these records
// and their widgets.
//
// Form1.optionsClick (first binding only), in this order:
//   1. r = readConfigFile();
//      NotFound: return, every widget keeps its design-time state.
//      Failed:   show r.error->message() as a warning, apply nothing, return.
//   2. shared ConfigFirstLine = r.contents.firstLine.
//   3. Boxes: box kChannelBoxNames[k] of Form4 setChecked(channelBoxes[k]).
//   4. Options, in line order: magnet; GreenSilver1 (and Silverborders1 the
//      opposite, border images installed at once); BlackPlay1 / WhitePlay1;
//      BlackRec1 / WhiteRec1; anim, with the Tag of rec's SmoothShow1 set to
//      0 when anim is set and 1 when not.
//   5. Positions: for Form1 and then rec,
//        if (auto p = restoredPosition(contents.form1, w->pos(), w->size(), screens))
//            switch w to designed placement, then w->move(*p);
//      screens: availableGeometry() of every QGuiApplication::screens()
//      (window_placement.h; a window stored entirely off every screen is
//      brought back onto the nearest one).
//
// Form4.saveClick fills ConfigValues by reading back from the widgets (the
// dialog's boxes as checked now, not which strips are shown; the five menu
// checks; Form1 and rec Left/Top; ConfigFirstLine) and returns
// saveConfigFile(values). The menu's "Save your configuration" shows "Your new
// configuration is saved..." only when the result is ok(); otherwise a warning
// with error->message(). The exit prompt shows the same warning on failure.

#include "config/config_format.h"

#include <QString>

#include <optional>

// A failed read or save: the file's path and the system's reason.
struct ConfigError {
    enum class Action { Read, Save };
    Action action = Action::Read;
    QString path;
    QString reason;
    // One sentence for a message box.
    QString message() const;
};

struct ConfigReadResult {
    enum class Status {
        NotFound,  // no file: nothing read
        Read,      // contents hold what the file yields (an empty file too)
        Failed,    // the file is there but could not be read: see error
    };
    Status status = Status::NotFound;
    ConfigFileContents contents;
    std::optional<ConfigError> error;
};

struct ConfigSaveResult {
    std::optional<ConfigError> error;
    bool ok() const { return !error; }
};

// "Tavlo by Varnel Prototyping/Tavlo.ini" in the user's configuration folder
// (XDG_CONFIG_HOME, else ~/.config). Empty when there is no such folder.
QString configFilePath();

// Reads at most kConfigMaxReadBytes. Only a regular file is read: anything
// else at the path (a folder, a pipe) fails at once rather than blocking.
ConfigReadResult readConfigFile(const QString& path = configFilePath());

// Creates the folder when missing, writes the new file beside the old one and
// replaces the old one only once the new one is complete; on any failure the
// old file is left exactly as it was.
[[nodiscard]] ConfigSaveResult saveConfigFile(const ConfigValues& values, const QString& path = configFilePath());
