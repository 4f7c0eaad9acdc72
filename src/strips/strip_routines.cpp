// The routines of a channel strip: reading its line, writing it from the
// read-outs, the wheel, the fader drag and the link toggle.

#include "controls/auto_repeat.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "mixer/audio_mixer.h"
#include "mixer/levels.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"
#include "strips/strip_pictures.h"

#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>
#include <utility>

namespace {

bool isOn(const TPanel* button, const QColor& onColor) { return button->Color() == onColor; }

// The read-out of the routine that runs: empty or below 1 shows "0", 99 or
// more shows "99"; gives the level to write.
int ownLevel(TTwoDigitEdit* readout) {
    if (readout->text().trimmed().isEmpty()) readout->setText(QStringLiteral("0"));
    if (readout->Value() < 1) readout->setText(QStringLiteral("0"));
    if (readout->Value() >= kReadoutMax) {
        readout->setText(QStringLiteral("99"));
        return kLevelMax;
    }
    return readout->Value() * kLevelPerReadout;
}

// The other channel's read-out is taken as it is, capped at the top level.
int otherLevel(const TTwoDigitEdit* readout) { return std::min(readout->Value() * kLevelPerReadout, kLevelMax); }

QString readoutText(int level) { return QString::number(readoutFromLevel(level)); }

}  // namespace

void ChannelStrip::SetSwitch(TPanel* button, bool on, const QColor& onColor) {
    button->SetColor(on ? onColor : kSilver);
    button->SetBevel(on ? TPanel::BevelKind::Lowered : TPanel::BevelKind::Raised);
}

void ChannelStrip::ToggleSwitch(TPanel* button, const QColor& onColor) {
    const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
    SetSwitch(button, !isOn(button, onColor), onColor);
    WriteLeft();
}

void ChannelStrip::ReReadAfterRefusal() {
    // The card did not take a write: show what it holds. The re-read's own
    // write-backs may be refused too; they must not start another.
    if (rereading_) return;
    rereading_ = true;
    Read();
    rereading_ = false;
}

void ChannelStrip::PlaceCursor(Fader& f, int top) {
    f.cursor->move(f.cursor->x(), top);
    f.shadow->move(f.shadow->x(), top);
}

int ChannelStrip::SwitchValue() const {
    const bool on = isOn(mute_, kRed);
    // A recording source that is not picked leaves a single-choice list
    // alone: writing its 0 would drop the source that is picked.
    if (!on && row.kind == StripKind::Rec && Conn() >= 0 && state_.RecMuxIndex != -2 && !dropSelection_) return -1;
    return on ? 1 : 0;
}

void ChannelStrip::DeferWrites() {
    deferring_ = true;
    writeDeferred_ = false;
    textsBefore_[0] = left_.readout->text();
    textsBefore_[1] = right_.readout->text();
}

void ChannelStrip::FlushWrites() {
    deferring_ = false;
    if (!std::exchange(writeDeferred_, false)) return;
    // The read-outs go back to what they showed, unseen, and the line is
    // read again: its write routines run as a direct read runs them.
    {
        const QSignalBlocker left(left_.readout), right(right_.readout);
        left_.readout->setText(textsBefore_[0]);
        right_.readout->setText(textsBefore_[1]);
    }
    Read();
}

void ChannelStrip::WriteLeft() {
    if (deferring_) {
        writeDeferred_ = true;
        return;
    }
    const SharedState& s = state_;
    const int l = ownLevel(left_.readout);
    int r;
    if (Linked()) {
        right_.readout->setText(left_.readout->text());  // runs the right write first
        r = l;
    } else {
        r = otherLevel(right_.readout);
    }
    bool written = WriteLevels(l, r);
    if (!s.ChangeGuard.dragging()) PlaceCursor(left_, positionFromLevel(l));
    for (TPanel* co : {co1_, co2_})
        if (!co->isHidden() && !mixer_->SetControlValue(Dest(), Conn(), co->Tag(), isOn(co, kLime) ? 1 : 0))
            written = false;
    if (!written) ReReadAfterRefusal();
}

void ChannelStrip::WriteRight() {
    if (deferring_) {
        writeDeferred_ = true;
        return;
    }
    const int r = ownLevel(right_.readout);
    const int l = otherLevel(left_.readout);
    const bool written = WriteLevels(l, r);
    if (!state_.ChangeGuard.dragging()) PlaceCursor(right_, positionFromLevel(r));
    if (!written) ReReadAfterRefusal();
}

// The read-outs were both filled from the line: each is taken at its own
// scale (99 is the top level on either side), so a level written back is
// the level read at read-out resolution, on both channels at once.
void ChannelStrip::WriteBack() {
    if (deferring_) {
        writeDeferred_ = true;
        return;
    }
    const int l = ownLevel(left_.readout);
    const int r = ownLevel(right_.readout);
    if (!WriteLevels(l, r)) ReReadAfterRefusal();
}

bool ChannelStrip::WriteLevels(int left, int right) {
    const int muteValue = SwitchValue();
    return state_.SwapLR ? mixer_->SetLineLevels(Dest(), Conn(), right, left, muteValue)
                         : mixer_->SetLineLevels(Dest(), Conn(), left, right, muteValue);
}

void ChannelStrip::ShowSelection(bool on) {
    SetSwitch(mute_, on, kRed);
    ShowPlate(on);
}

void ChannelStrip::ShowPlate(bool on) {
    if (row.kind != StripKind::Rec) return;
    nameLabel_->setStyleSheet(on ? QStringLiteral("color: white;") : QStringLiteral("color: black;"));
    if (plate_) plate_->SetPicture(strip_pictures::fill(plate_->size(), on ? kRed : kSilver));
}

bool ChannelStrip::ShownLevels(int& left, int& right) {
    const std::optional<LineLevels> levels = mixer_->GetLineLevels(Dest(), Conn());
    if (!levels) return false;
    left = levels->Left;
    // A line with one level has it on both sides, whichever side the
    // exchange puts it on.
    right = levels->Stereo ? levels->Right : left;
    if (state_.SwapLR) std::swap(left, right);
    return true;
}

void ChannelStrip::Read() {
    // A line without a mute control reads as not muted.
    bool muted = false;
    if (!mixer_->GetLineMute(Dest(), Conn(), muted)) muted = false;
    ShowSelection(muted);
    // The extra switches show the line's own state, so that the next write
    // of the strip keeps it instead of switching the control off.
    for (TPanel* co : {co1_, co2_})
        if (!co->isHidden()) SetSwitch(co, mixer_->GetControlValue(Dest(), Conn(), co->Tag()) > 0, kLime);
    int l = -1, r = -1;
    if (!ShownLevels(l, r)) return;
    // Both read-outs first, then one write-back with both: writing after
    // each would send the line's other channel its old level for a moment.
    reading_ = true;
    readChanged_ = false;
    left_.readout->setText(readoutText(l));
    PlaceCursor(left_, positionFromLevel(l));
    right_.readout->setText(readoutText(r));
    PlaceCursor(right_, positionFromLevel(r));
    reading_ = false;
    if (readChanged_) WriteBack();
}

// --- the wheel ---------------------------------------------------------------

// One notch is one click of the channel's step button. A linked strip has
// only its left fader in sight, and its left read-out moves both channels.
void ChannelStrip::WheelStep(Side side, int direction) {
    TTwoDigitEdit* readout = fader(Linked() ? Side::Left : side).readout;
    const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
    stepReadout(readout, direction, state_.StepSize);
}

void ChannelStrip::StepLevels(int delta) {
    if (!Bound() || state_.ChangeGuard.dragging()) return;
    const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
    const auto step = [delta](TTwoDigitEdit* readout) {
        readout->setText(QString::number(std::clamp(readout->Value() + delta, 0, 99)));
    };
    step(left_.readout);
    if (!Linked()) step(right_.readout);
}

int ChannelStrip::LeftReadout() const { return left_.readout->Value(); }
int ChannelStrip::RightReadout() const { return right_.readout->Value(); }

// --- fader drag -----------------------------------------------------------

void ChannelStrip::CursorDown(Side side, int y) {
    Fader& f = fader(side);
    SharedState& s = state_;
    f.cursor->hide();
    f.shadow->show();
    f.level->hide();
    dragHold_ = s.ChangeGuard.hold(ChangeGuard::Dragging);
    f.shadow->move(f.shadow->x(), f.cursor->y());
    s.DragOffset = f.cursor->y() - y;
    dragging_[side == Side::Left ? 0 : 1] = true;
}

void ChannelStrip::CursorMove(Side side, int y) {
    SharedState& s = state_;
    // Only the fader whose cursor was pressed follows the mouse.
    if (!s.ChangeGuard.dragging() || !dragging_[side == Side::Left ? 0 : 1]) return;
    Fader& f = fader(side);
    const int top = std::clamp(y + s.DragOffset, 0, kFaderTravel);
    f.shadow->move(f.shadow->x(), top);
    f.readout->setText(QString::number(readoutFromPosition(top)));
    f.shadow->repaint();
    if (side == Side::Left && Linked()) {
        right_.readout->setText(left_.readout->text());
        PlaceCursor(right_, top);
    }
}

void ChannelStrip::CursorUp(Side side, int y) { EndDrag(side, std::clamp(y + state_.DragOffset, 0, kFaderTravel)); }

void ChannelStrip::EndDrag(Side side, int top) {
    bool& dragging = dragging_[side == Side::Left ? 0 : 1];
    if (!dragging) return;
    dragging = false;
    Fader& f = fader(side);
    const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
    dragHold_.release();
    // A card that refused or clamped the drag's levels: the read-outs show
    // what it holds, and the cursor goes where its read-out says. A drag
    // the card took leaves the cursor where it was let go.
    if (!CardShowsReadouts()) Read();
    const int shown = f.readout->Value();
    if (readoutFromPosition(top) != shown) top = positionFromLevel(levelFromReadout(shown));
    PlaceCursor(f, top);
    f.cursor->show();
    f.level->show();
    f.shadow->hide();
    if (side == Side::Left && Linked()) PlaceCursor(right_, top);
}

bool ChannelStrip::CardShowsReadouts() {
    int l = -1, r = -1;
    // A level that cannot be read gives nothing to correct.
    if (!ShownLevels(l, r) || l < 0) return true;
    return readoutFromLevel(l) == left_.readout->Value() && readoutFromLevel(r) == right_.readout->Value();
}

// --- link ----------------------------------------------------------------

void ChannelStrip::LinkMouseDown() {
    // Playback sources write under the guard; the master and the recording
    // strips leave it as it is.
    ChangeGuard::Hold writing;
    if (row.kind == StripKind::PlaySource) writing = state_.ChangeGuard.hold();
    if (Linked()) {
        SetLinkedLayout(false);
    } else {
        SetLinkedLayout(true);
        right_.readout->setText(left_.readout->text());  // the right channel takes the left level
    }
}
