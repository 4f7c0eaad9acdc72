#pragma once
// One channel strip of a mixer window: fader tracks with cursors, two-digit
// read-outs, link, mute/select, solo and extra switch buttons, and the read
// and write routines that tie it to one line of the card. The strip keeps
// its state in its widgets: the read-out texts are the levels, colours and
// bevels of the small panels are the switch states, Tags hold the binding.

#include "play/strip_table.h"

#include <QColor>
#include <QObject>

class AppContext;
class AutoRepeat;
class QLabel;
class QPushButton;
class QWidget;
class TAudioMixer;
class TPanel;
class TPicture;
class TStepButton;
class TTwoDigitEdit;

inline const QColor kSilver{192, 192, 192};
inline const QColor kRed{255, 0, 0};
inline const QColor kLime{0, 255, 0};

class ChannelStrip : public QObject {
    Q_OBJECT
public:
    // Builds the strip's widgets on the window; mixer is the window's own
    // mixer object, through which every read and write of the strip goes.
    ChannelStrip(QWidget* window, AppContext& context, TAudioMixer* mixer, const StripRow& row);

    struct Fader {
        TPanel* track;
        TPicture* levc;    // highlighted track, beneath
        TPicture* level;   // normal track picture
        TPicture* shadow;  // moves while dragged
        TPicture* cursor;
        TTwoDigitEdit* readout;
        TStepButton* plus;
        TStepButton* minus;
    };

    const StripRow& row;
    TPanel* panel;
    TPanel* namePanel;
    TPicture* plate;  // null on playback strips
    QLabel* nameLabel;
    TPanel* holder;
    Fader left{};
    Fader right{};
    TPanel* link;
    TPanel* mute;
    TPanel* solo;  // null on strips without one
    TPanel* co1;
    TPanel* co2;
    TPicture* vuL;
    TPicture* vuR;

    int Conn() const { return row.conn; }
    int Dest() const;
    bool Bound() const;
    bool Linked() const;

    // Read routine: levels, mute (or selection) and switches from the line.
    void Read();
    // Left write routine: both levels, mute and the visible extra switches.
    void WriteLeft();
    // Right write routine: both levels and mute.
    void WriteRight();

    // The link button's press: links (copying left to right, which writes
    // the line) or separates (writes nothing).
    void LinkMouseDown();
    // The widget layout of a linked or separate strip; writes nothing.
    void SetLinkedLayout(bool linked);
    // The recording window's stereo or mono layout (after binding).
    void SetRecLineLayout(bool stereo);
    // A mono playback line: no link button, the read-out centred.
    void SetPlayMono();

    // Gives the step buttons to the window's auto-repeat; the strip's codes
    // are 100 * number + 10 * channel + direction (1 +, 2 -).
    void AttachSteps(AutoRepeat& repeat, int number);
    // The VU images and the name zoom of strip `number` (1-based) of its
    // window (strip_buttons.cpp).
    void AttachButtons(int number);

    // Places the strip and its name plate at a layout slot.
    void MoveToSlot(int slot);
    void SetBound(bool bound);

    // Toggles a small switch panel between off and on (onColor) and writes
    // the strip, under the guard.
    void ToggleSwitch(TPanel* button, const QColor& onColor);

    static void SetSwitch(TPanel* button, bool on, const QColor& onColor);

    // The mute value the write routines pass: 1 red, 0 silver; -1 (leave
    // as it is) for an unpicked source of a single-choice recording list,
    // unless the user has just dropped it.
    int SwitchValue() const;
    void SetDroppingSelection(bool Value) { dropSelection_ = Value; }

private:
    enum class Side { Left, Right };
    Fader& fader(Side side) { return side == Side::Left ? left : right; }
    void BuildFader(Fader& f, Side side);
    void CursorDown(Side side, int y);
    void CursorMove(Side side, int y);
    void CursorUp(Side side, int y);
    void PlaceCursor(Fader& f, int top);
    void ShowSelection(bool on);

    AppContext& context_;
    TAudioMixer* mixer_;
    bool dragging_[2] = {false, false};
    bool dropSelection_ = false;
};
