#pragma once
// One channel strip of a mixer window: fader tracks with cursors, two-digit
// read-outs, link, mute/select, solo and extra switch buttons, and the read
// and write routines that tie it to one line of the card. The strip keeps
// its state in its widgets: the read-out texts are the levels, colours and
// bevels of the small panels are the switch states, Tags hold the binding.
// The widgets are its own; windows and the binding use the operations
// below, tests find the widgets by their design names.

#include "strips/change_guard.h"
#include "strips/strip_table.h"

#include <QColor>
#include <QObject>

class AutoRepeat;
class QLabel;
class QPixmap;
class QWidget;
class TAudioMixer;
class TPanel;
class TPicture;
class TStepButton;
class TTwoDigitEdit;
class WheelSteps;
struct SharedState;
struct MIXERCONTROL;

inline const QColor kSilver{192, 192, 192};
inline const QColor kRed{255, 0, 0};
inline const QColor kLime{0, 255, 0};

class ChannelStrip : public QObject {
    Q_OBJECT
public:
    // Builds the strip's widgets on the window; mixer is the window's own
    // mixer object, through which every read and write of the strip goes.
    ChannelStrip(QWidget* window, SharedState& state, TAudioMixer* mixer, const StripRow& row);

    const StripRow& row;
    int Conn() const { return row.conn; }
    StripKind Kind() const { return row.kind; }
    int Dest() const;
    bool Bound() const;
    bool Linked() const;

    // Read routine: levels, mute (or selection) and switches from the line.
    void Read();
    // Left write routine: both levels, mute and the visible extra switches.
    void WriteLeft();
    // Right write routine: both levels and mute.
    void WriteRight();
    // Both channels (the left alone when linked) stepped by delta read-out
    // units within 0..99, each change written as a step button writes it,
    // under the guard. Nothing while a fader is dragged.
    void StepLevels(int delta);
    // The read-outs' values, left and right.
    int LeftReadout() const;
    int RightReadout() const;
    // Between these two, reads write nothing back; FlushWrites then runs
    // the write routines those reads would have run, in the same order and
    // with the same values. A refresh shows what it read before writing it
    // back, as each write may wait on a sound server.
    void DeferWrites();
    void FlushWrites();

    // --- binding -----------------------------------------------------------
    // Start of a binding: not bound, no mute or switch control, buttons
    // hidden and back in their row.
    void ResetBinding();
    void SetBound(bool bound);
    // The bound mark alone (the strip's visibility stays as it is): the
    // creation handlers clear it, the binding sets the recording master's.
    void MarkUnbound() { MarkBound(false); }
    void MarkBound(bool bound);
    // Places the strip and its name plate at a layout slot.
    void MoveToSlot(int slot);
    void SetName(const QString& name);
    QString Name() const;
    // The line's mute control at this index: the "mute" button shows (and
    // the solo button beside it); hint is the control's name.
    void BindMute(int index, const QString& hint);
    // A recording source of a single-choice list: the "select" button.
    void BindSelect(int index);
    // The recording master's mute shown: its buttons move up a row.
    void RaiseMasterButtons();
    // A switch-class control of the line at this index offered as an extra
    // button; skipMute leaves out the control the mute button drives.
    void BindSwitch(int index, const MIXERCONTROL& control, bool skipMute);
    int MuteIndex() const;
    // Fader, read-outs and step buttons of a line with (or without) a level.
    void ShowLevelControls(bool shown);

    // The link button's press: links (copying left to right, which writes
    // the line) or separates (writes nothing).
    void LinkMouseDown();
    // The widget layout of a linked or separate strip; writes nothing.
    void SetLinkedLayout(bool linked);
    // The recording window's stereo or mono layout (after binding).
    void SetRecLineLayout(bool stereo);
    // A mono playback line: no link button, the read-out centred.
    void SetPlayMono();
    // A stereo playback line: the link button shows.
    void SetPlayStereo();

    // --- the buttons' states -------------------------------------------------
    // Mute (or select) shown on, and on the recording side the name plate
    // and label with it.
    void ShowSelection(bool on);
    // Only the recording name plate and label.
    void ShowPlate(bool on);
    bool MuteOn() const;
    void SetMuteOn(bool on);  // the button only; nothing is written
    bool HasSolo() const { return solo_ != nullptr; }
    bool SoloOn() const;
    void SetSoloOn(bool on);
    // The solo memory in the mute button's Tag: 1 the user muted the line.
    int MuteMemory() const;
    void SetMuteMemory(int value);

    // Toggles a small switch panel between off and on (onColor) and writes
    // the strip, under the guard.
    void ToggleSwitch(TPanel* button, const QColor& onColor);
    static void SetSwitch(TPanel* button, bool on, const QColor& onColor);

    // The mute value the write routines pass: 1 red, 0 silver; -1 (leave
    // as it is) for an unpicked source of a single-choice recording list,
    // unless the user has just dropped it.
    int SwitchValue() const;
    void SetDroppingSelection(bool Value) { dropSelection_ = Value; }

    // Gives the step buttons to the window's auto-repeat; the strip's codes
    // are 100 * number + 10 * channel + direction (1 +, 2 -).
    void AttachSteps(AutoRepeat& repeat, int number);
    // A window's auto-repeat holds the guard while a step button is held.
    static void GuardRepeats(AutoRepeat& repeat, SharedState& state);
    // The VU images and the name zoom of strip `number` (1-based) of its
    // window (strip_buttons.cpp).
    void AttachButtons(int number);
    // The VU images as a live mini-meter: shows a prepared face, left or
    // right (a picture swap; the face already shown changes nothing).
    void ShowMeterFace(bool right, const QPixmap& face);

signals:
    void soloPressed(ChannelStrip* strip);
    void selectPressed(ChannelStrip* strip);
    // A VU image was pressed: the meter state now names this strip's line.
    void meterChosen(ChannelStrip* strip);

private:
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
    enum class Side { Left, Right };
    Fader& fader(Side side) { return side == Side::Left ? left_ : right_; }
    void BuildFader(Fader& f, Side side);
    void BuildButtons();
    void MutePressed();
    void WheelStep(Side side, int direction);
    void CursorDown(Side side, int y);
    void CursorMove(Side side, int y);
    void CursorUp(Side side, int y);
    void EndDrag(Side side, int top);
    // Whether the card holds the levels the read-outs show.
    bool CardShowsReadouts();
    void PlaceCursor(Fader& f, int top);
    void RaiseButtonRow();
    void ReReadAfterRefusal();
    // The line's levels as the read-outs show them, left and right after
    // the exchange of sides; -1 for no level. False if there is no line.
    bool ShownLevels(int& left, int& right);
    // The refresh's write-back of both read-outs.
    void WriteBack();
    // Writes both levels (exchanged when the sides are) with the mute.
    bool WriteLevels(int left, int right);

    SharedState& state_;
    TAudioMixer* mixer_;
    TPanel* panel_;
    TPanel* namePanel_;
    TPicture* plate_;  // null on playback strips
    QLabel* nameLabel_;
    TPanel* holder_;
    WheelSteps* wheel_;  // tracks, cursors and read-outs; one remainder for the strip
    Fader left_{};
    Fader right_{};
    TPanel* link_;
    TPanel* mute_;
    TPanel* solo_;  // null on strips without one
    TPanel* co1_;
    TPanel* co2_;
    TPicture* vuL_;
    TPicture* vuR_;
    bool dragging_[2] = {false, false};
    ChangeGuard::Hold dragHold_;
    bool dropSelection_ = false;
    bool rereading_ = false;
    bool deferring_ = false;
    bool writeDeferred_ = false;
    QString textsBefore_[2];    // the read-outs when writes began to wait
    bool reading_ = false;      // Read is filling the read-outs
    bool readChanged_ = false;  // and one of them changed
};
