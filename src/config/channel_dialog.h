#pragma once
// The channel selection dialog: which strips each mixer window shows. Its
// check boxes are the single record of the visible strips.

#include "strips/tavlo_window.h"

class QCheckBox;
class QLabel;

class TForm4 : public TavloWindow {
    Q_OBJECT
public:
    TForm4();

    QCheckBox* tuch;  // the playback window's tone panel
    QLabel* Label2;   // playback destination's name
    QLabel* Label3;   // recording destination's name
    QLabel* Label14;  // the card's product name
    // BWCCCheckBox1 ... BWCCCheckBox22 by name.
    QCheckBox* box(const char* name) const;
};
