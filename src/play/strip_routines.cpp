// The routines of a channel strip: reading its line, writing it from the
// read-outs, the fader drag and the link toggle.

#include "app/app_context.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "mixer/audio_mixer.h"
#include "mixer/levels.h"
#include "play/channel_strip.h"
#include "play/strip_pictures.h"

#include <QLabel>

#include <algorithm>

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
    SharedState& s = context_.state();
    s.ChangeGuard = 1;
    SetSwitch(button, !isOn(button, onColor), onColor);
    WriteLeft();
    // The button's release lets go of the guard.
}

void ChannelStrip::PlaceCursor(Fader& f, int top) {
    f.cursor->move(f.cursor->x(), top);
    f.shadow->move(f.shadow->x(), top);
}

int ChannelStrip::SwitchValue() const {
    const bool on = isOn(mute, kRed);
    // A recording source that is not picked leaves a single-choice list
    // alone: writing its 0 would drop the source that is picked.
    if (!on && row.kind == StripKind::Rec && Conn() >= 0 && context_.state().RecMuxIndex != -2 && !dropSelection_)
        return -1;
    return on ? 1 : 0;
}

void ChannelStrip::WriteLeft() {
    const SharedState& s = context_.state();
    const int muteValue = SwitchValue();
    const int l = ownLevel(left.readout);
    int r;
    if (Linked()) {
        right.readout->setText(left.readout->text());  // runs the right write first
        r = l;
    } else {
        r = otherLevel(right.readout);
    }
    if (s.SwapLR)
        mixer_->SetLineLevels(Dest(), Conn(), r, l, muteValue);
    else
        mixer_->SetLineLevels(Dest(), Conn(), l, r, muteValue);
    if (s.ChangeGuard != 2) PlaceCursor(left, positionFromLevel(l));
    for (TPanel* co : {co1, co2})
        if (!co->isHidden()) mixer_->SetControlValue(Dest(), Conn(), co->Tag(), isOn(co, kLime) ? 1 : 0);
}

void ChannelStrip::WriteRight() {
    const SharedState& s = context_.state();
    const int muteValue = SwitchValue();
    const int r = ownLevel(right.readout);
    const int l = otherLevel(left.readout);
    if (s.SwapLR)
        mixer_->SetLineLevels(Dest(), Conn(), r, l, muteValue);
    else
        mixer_->SetLineLevels(Dest(), Conn(), l, r, muteValue);
    if (s.ChangeGuard != 2) PlaceCursor(right, positionFromLevel(r));
}

void ChannelStrip::ShowSelection(bool on) {
    SetSwitch(mute, on, kRed);
    if (row.kind != StripKind::Rec) return;
    nameLabel->setStyleSheet(on ? QStringLiteral("color: white;") : QStringLiteral("color: black;"));
    if (plate) plate->SetPicture(strip_pictures::fill(plate->size(), on ? kRed : kSilver));
}

void ChannelStrip::Read() {
    const SharedState& s = context_.state();
    bool muted = false;
    if (mixer_->GetLineMute(Dest(), Conn(), muted)) ShowSelection(muted);
    // The extra switches show the line's own state, so that the next write
    // of the strip keeps it instead of switching the control off.
    for (TPanel* co : {co1, co2})
        if (!co->isHidden()) SetSwitch(co, mixer_->GetControlValue(Dest(), Conn(), co->Tag()) > 0, kLime);
    int l = -1, r = -1, m = 0;
    bool stereo = false, volDisabled = false, muteDisabled = false;
    if (!mixer_->GetLineLevels(Dest(), Conn(), l, r, m, stereo, volDisabled, muteDisabled)) return;
    if (s.SwapLR) std::swap(l, r);
    left.readout->setText(readoutText(l));
    PlaceCursor(left, positionFromLevel(l));
    right.readout->setText(readoutText(r));
    PlaceCursor(right, positionFromLevel(r));
}

// --- fader drag -----------------------------------------------------------

void ChannelStrip::CursorDown(Side side, int y) {
    Fader& f = fader(side);
    SharedState& s = context_.state();
    f.cursor->hide();
    f.shadow->show();
    f.level->hide();
    s.ChangeGuard = 2;
    f.shadow->move(f.shadow->x(), f.cursor->y());
    s.DragOffset = f.cursor->y() - y;
    dragging_[side == Side::Left ? 0 : 1] = true;
}

void ChannelStrip::CursorMove(Side side, int y) {
    SharedState& s = context_.state();
    // Only the fader whose cursor was pressed follows the mouse.
    if (s.ChangeGuard != 2 || !dragging_[side == Side::Left ? 0 : 1]) return;
    Fader& f = fader(side);
    const int top = std::clamp(y + s.DragOffset, 0, kFaderTravel);
    f.shadow->move(f.shadow->x(), top);
    f.readout->setText(QString::number(readoutFromPosition(top)));
    f.shadow->repaint();
    if (side == Side::Left && Linked()) {
        right.readout->setText(left.readout->text());
        PlaceCursor(right, top);
    }
}

void ChannelStrip::CursorUp(Side side, int y) {
    SharedState& s = context_.state();
    bool& dragging = dragging_[side == Side::Left ? 0 : 1];
    if (!dragging) return;
    dragging = false;
    Fader& f = fader(side);
    s.ChangeGuard = 0;
    const int top = std::clamp(y + s.DragOffset, 0, kFaderTravel);
    PlaceCursor(f, top);
    f.cursor->show();
    f.level->show();
    f.shadow->hide();
    if (side == Side::Left && Linked()) PlaceCursor(right, top);
}

// --- link ----------------------------------------------------------------

void ChannelStrip::LinkMouseDown() {
    // Playback sources write under the guard; the master and the recording
    // strips leave it as it is.
    SharedState& s = context_.state();
    const bool guard = row.kind == StripKind::PlaySource;
    if (guard) s.ChangeGuard = 1;
    if (Linked()) {
        SetLinkedLayout(false);
    } else {
        SetLinkedLayout(true);
        right.readout->setText(left.readout->text());  // the right channel takes the left level
    }
    if (guard) s.ChangeGuard = 0;
}
