#pragma once
// The channel selection dialog: which strips each mixer window shows. Its
// check boxes are the single record of the visible strips.

#include "app/tavlo_window.h"

class QCheckBox;
struct ConfigSaveResult;
class QLabel;

class TForm4 : public TavloWindow {
    Q_OBJECT
public:
    explicit TForm4(AppContext& context);

    QCheckBox* tuch;     // the playback window's tone panel
    QLabel* Label2;      // playback destination's name
    QLabel* Label3;      // recording destination's name
    QLabel* Label14;     // the card's product name
    // BWCCCheckBox1 ... BWCCCheckBox22 by name.
    QCheckBox* box(const char* name) const;

    // Runs the first full initialisation of the mixer windows; the context
    // calls it as soon as the dialog is known to the other windows.
    void FormCreate();

    // Writes the configuration file from the boxes as they are checked now,
    // the menu checks and the mixer windows' places
    // (config/config_apply.cpp). The old file stays whole when this fails.
    [[nodiscard]] ConfigSaveResult saveClick();
};
