#pragma once
// The channel selection dialog: which strips each mixer window shows. Its
// check boxes are the single record of the visible strips; the binding
// names them after the card's lines and hides those without a line.
//
// The dialog only shows and reports: O.K. and the corner "X"s, its hiding
// and a right click are signals, and the controller runs what follows
// (rebuilding the mixer windows, putting them back on top, the magnet).
// The boxes raise OnClick whenever their state changes, also when set from
// code; the dialog listens to none of that.

// The boxes' type comes with the dialog: whoever reaches a box uses it.
#include "controls/bwcc_check_box.h"
#include "strips/tavlo_window.h"

#include <QPoint>

class QLabel;
class QPushButton;
class QToolButton;
class TPanel;
class TSmoothShow;

class TForm4 : public TavloWindow {
    Q_OBJECT
public:
    TForm4();
    ~TForm4() override;

    TBWCCCheckBox* tuch;        // the playback window's tone panel; always "All Tune"
    QToolButton* SpeedButton1;  // "O.K."
    QPushButton* save;          // never shown; its click asks for the file to be written
    TSmoothShow* SmoothShow1;   // the dialog's own show/hide animation, enabled, reversed at first

    // tuch, BWCCCheckBox1 ... BWCCCheckBox22 by name; null for other names.
    TBWCCCheckBox* box(const char* name) const;

    // Gives a box a line's name as caption. A box takes "&" as the mark of
    // its accelerator; line names mean it literally, so it is doubled.
    static void SetBoxCaption(TBWCCCheckBox* box, const QString& lineName);

    // The names over the two columns of boxes, and the card's in the title.
    void setDestinationNames(const QString& playback, const QString& recording);
    void setCardTitle(const QString& productName);
    // Whether the tone panel is ticked to show.
    bool tonePanelChecked() const;

signals:
    void okClicked();
    // A corner "X": the dialog has hidden itself, nothing applied.
    void closeClicked();
    // Like every window of the program it also says hidden() (every hide
    // the program makes, after O.K. and "X" alike) and menuRequested().
    // The hidden save button was clicked.
    void saveClicked();

private:
    void Panel2Click();

    QLabel* Label2;   // playback destination's name
    QLabel* Label3;   // recording destination's name
    QLabel* Label14;  // the card's product name
};
