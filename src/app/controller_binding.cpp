// The binding (Button4Click): which destination is played and which
// recorded, which line each strip of the two mixer windows shows, where the
// strips stand, how wide the windows are, and which control each button of
// a strip drives. It runs from scratch at every initialisation, in the
// steps below.

#include "app/colour_schemes.h"
#include "app/mixer_controller.h"
#include "config/channel_dialog.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "mixer/audio_mixer.h"
#include "play/form1.h"
#include "play/tone_control.h"
#include "play/tone_panel.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"
#include "strips/window_frame.h"

#include <QComboBox>
#include <QLabel>

namespace {

constexpr int kNoDestination = 187;
constexpr int kNoControl = -2;

void fillNames(QComboBox* box, TAudioMixer* mixer, int dest) {
    box->clear();
    TMixerDestinations* list = mixer->Destinations();
    if (!list || dest < 0 || dest >= list->Count()) return;
    const TMixerDestination* d = list->Items(dest);
    box->addItem(QString::fromLocal8Bit(d->LineInfo.szName));
    for (int c = 0; c < d->Connections.Count(); ++c)
        box->addItem(QString::fromLocal8Bit(d->Connections.Items(c)->LineInfo.szName));
}

const MIXERLINE* destinationLine(TAudioMixer* mixer, int dest) {
    TMixerDestinations* list = mixer->Destinations();
    if (!list || dest < 0 || dest >= list->Count()) return nullptr;
    return &list->Items(dest)->LineInfo;
}

int sourceCount(TAudioMixer* mixer, int dest) {
    TMixerDestinations* list = mixer->Destinations();
    if (!list || dest < 0 || dest >= list->Count()) return 0;
    return list->Items(dest)->Connections.Count();
}

ChannelStrip* stripFor(const std::vector<ChannelStrip*>& strips, int conn) {
    for (ChannelStrip* s : strips)
        if (s->Conn() == conn) return s;
    return nullptr;
}

// The windows' strips bound side by side from slot `first` on; the slot
// after the last one.
int layOut(const std::vector<ChannelStrip*>& strips, int first) {
    int slot = first;
    for (ChannelStrip* strip : strips)
        if (strip->Bound()) strip->MoveToSlot(slot++);
    return slot;
}

}  // namespace

void MixerController::Button4Click() {
    const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
    trace(QStringLiteral("debut button4"));
    resetStripsForBinding();
    findDestinations();
    bindPlaybackNames();
    // The configuration is read once, at the first binding.
    if (state_.FirstBinding) optionsClick();
    applyChannelBoxes(w_.play.strips(), w_.play.ComboBox2);
    layOutPlayback();
    schemes_->imageplayClick();
    bindRecordingNames();
    layOutRecording();
    schemes_->imagerecClick();
    state_.FirstBinding = false;
    w_.rec.strips().front()->MarkBound(true);
    bindControls();
}

// Every strip unbound with its buttons hidden, playback strips linked, the
// tone knobs without a control.
void MixerController::resetStripsForBinding() {
    SharedState& s = state_;
    for (ChannelStrip* strip : w_.play.strips()) {
        strip->ResetBinding();
        strip->SetLinkedLayout(true);
    }
    for (ChannelStrip* strip : w_.rec.strips()) strip->ResetBinding();
    s.RecMuxIndex = kNoControl;
    // Cleared here so that a card without a recording level shows none.
    s.RecHasMasterLevel = false;
    w_.play.Mixer->SetMixerId(s.MixerIndex);
    s.PlayDestIndex = kNoDestination;
    s.RecDestIndex = kNoDestination;
    w_.play.treble->reset();
    w_.play.bass->reset();
}

// The last destination of each kind wins: speakers-like (type 4xxx) for
// playback, wave-in-like (7xxx) for recording. None of a kind leaves 187.
void MixerController::findDestinations() {
    SharedState& s = state_;
    trace(QStringLiteral("button4 avant Mixer.Destinations.Count-1"));
    TMixerDestinations* list = w_.play.Mixer->Destinations();
    if (!list) return;
    for (int d = 0; d < list->Count(); ++d) {
        const DWORD type = list->Items(d)->LineInfo.dwComponentType;
        const QChar first = QString::number(type, 16).at(0);
        if (first == QLatin1Char('4')) {
            s.PlayDestIndex = static_cast<std::uint8_t>(d);
            trace(QStringLiteral("button4 d1 = %1, datacomp = %2").arg(d).arg(type, 0, 16));
        } else if (first == QLatin1Char('7')) {
            s.RecDestIndex = static_cast<std::uint8_t>(d);
            trace(QStringLiteral("button4 d2 = %1, datacomp = %2").arg(d).arg(type, 0, 16));
        }
    }
}

// A line name binds a playback strip; the dialog learns the card's names.
void MixerController::bindPlaybackNames() {
    const SharedState& s = state_;
    TForm1& play = w_.play;
    fillNames(play.ComboBox2, play.Mixer, s.PlayDestIndex);
    for (std::size_t k = 0; k < play.strips().size(); ++k)
        play.strips()[k]->SetBound(!play.ComboBox2->itemText(static_cast<int>(k)).trimmed().isEmpty());
    const MIXERLINE* playLine = destinationLine(play.Mixer, s.PlayDestIndex);
    const MIXERLINE* recLine = destinationLine(play.Mixer, s.RecDestIndex);
    w_.dialog.Label2->setText(playLine ? QString::fromLocal8Bit(playLine->szName) : QString());
    w_.dialog.Label3->setText(recLine ? QString::fromLocal8Bit(recLine->szName) : QString());
    w_.dialog.Label14->setText(play.Mixer->ProductName());
}

// The dialog's boxes take the names; an unticked box hides its strip.
void MixerController::applyChannelBoxes(const std::vector<ChannelStrip*>& strips, const QComboBox* names) {
    for (std::size_t k = 0; k < strips.size(); ++k) {
        ChannelStrip* strip = strips[k];
        TBWCCCheckBox* box = w_.dialog.box(strip->row.checkBox);
        const QString name = names->itemText(static_cast<int>(k)).trimmed();
        if (name.isEmpty()) {
            box->hide();
            continue;
        }
        TForm4::SetBoxCaption(box, name);
        box->show();
        if (!box->isChecked()) strip->SetBound(false);
    }
}

// Bound strips side by side, the tone panel first when ticked; the window
// as wide as they need (all of it from twelve lines on).
void MixerController::layOutPlayback() {
    TForm1& play = w_.play;
    int slot = 0;
    if (!w_.dialog.tuch->isChecked()) {
        play.tone->chatune->hide();
    } else {
        play.tone->chatune->move(10, play.tone->chatune->y());
        play.tone->chatune->show();
        slot = 1;
    }
    slot = layOut(play.strips(), slot);
    play.frame->SetWidth(sourceCount(play.Mixer, state_.PlayDestIndex) >= 12 ? 941 : 71 * slot + 18);
    play.centreUntilPlaced();
}

void MixerController::bindRecordingNames() {
    TForm1& play = w_.play;
    play.Mixer->SetMixerId(state_.MixerIndex);
    fillNames(play.ComboBox3, play.Mixer, state_.RecDestIndex);
    for (std::size_t k = 0; k < w_.rec.strips().size(); ++k)
        w_.rec.strips()[k]->SetBound(!play.ComboBox3->itemText(static_cast<int>(k)).trimmed().isEmpty());
    applyChannelBoxes(w_.rec.strips(), play.ComboBox3);
}

void MixerController::layOutRecording() {
    const int used = layOut(w_.rec.strips(), 0);
    w_.rec.frame->SetWidth(sourceCount(w_.play.Mixer, state_.RecDestIndex) >= 10 ? 728 : 71 * used + 18);
    w_.rec.centreUntilPlaced();
}

// Controls are looked up in a mixer object of the binding's own.
void MixerController::bindControls() {
    SharedState& s = state_;
    TForm1& play = w_.play;
    TAudioMixer bindMixer(play.Mixer->Service());
    bindMixer.SetMixerId(s.MixerIndex);
    if (destinationLine(play.Mixer, s.PlayDestIndex)) {
        s.BindDestIndex = s.PlayDestIndex;
        trace(QStringLiteral("button4 aor = %1").arg(s.BindDestIndex));
        bindLine(bindMixer, s.PlayDestIndex, -1);
        for (int c = 0; c < sourceCount(&bindMixer, s.PlayDestIndex) && c < 12; ++c)
            bindLine(bindMixer, s.PlayDestIndex, c);
    }
    if (!s.HasTreble) play.treble->markAbsent();
    if (!s.HasBass) play.bass->markAbsent();
    if (destinationLine(play.Mixer, s.RecDestIndex)) {
        s.BindDestIndex = s.RecDestIndex;
        trace(QStringLiteral("button4 aor = %1").arg(s.BindDestIndex));
        bindLine(bindMixer, s.RecDestIndex, -1);
        for (int c = 0; c < sourceCount(&bindMixer, s.RecDestIndex) && c < 10; ++c)
            bindLine(bindMixer, s.RecDestIndex, c);
    }
}

void MixerController::bindLine(TAudioMixer& mixer, int D, int C) {
    SharedState& s = state_;
    const bool play = s.BindDestIndex == s.PlayDestIndex;
    trace(QStringLiteral("%1 aor = %2, C = %3, B = %4")
              .arg(play ? QStringLiteral("b4 play") : QStringLiteral("b4 rec"))
              .arg(s.BindDestIndex)
              .arg(C)
              .arg(D));
    TMixerDestinations* list = mixer.Destinations();
    if (!list || D < 0 || D >= list->Count()) return;
    const TMixerDestination* dest = list->Items(D);
    if (C >= dest->Connections.Count()) return;
    const TMixerControls& controls = C == -1 ? dest->Controls : dest->Connections.Items(C)->Controls;
    ChannelStrip* strip = stripFor(play ? w_.play.strips() : w_.rec.strips(), C);
    const bool bound = strip && strip->Bound();

    for (int i = 0; i < controls.Count(); ++i) {
        const MIXERCONTROL& c = controls.Items(i);
        const DWORD type = c.dwControlType;
        const QString name = QString::fromLocal8Bit(c.szName).trimmed();
        if (play) {
            if (C == -1 && type == MIXERCONTROL_CONTROLTYPE_BASS) w_.play.bass->bind(i);
            if (C == -1 && type == MIXERCONTROL_CONTROLTYPE_TREBLE) w_.play.treble->bind(i);
            if (!bound) continue;
            if (type == MIXERCONTROL_CONTROLTYPE_MUTE) strip->BindMute(i, name);
            strip->BindSwitch(i, c, true);
        } else if (C == -1) {
            if (type == MIXERCONTROL_CONTROLTYPE_VOLUME) s.RecHasMasterLevel = true;
            if (type == MIXERCONTROL_CONTROLTYPE_MUTE) {
                strip->BindMute(i, name);
                w_.rec.poisson->move(w_.rec.poisson->x(), 49);
                strip->RaiseMasterButtons();
            }
            if (type == MIXERCONTROL_CONTROLTYPE_MUX) s.RecMuxIndex = i;
            strip->BindSwitch(i, c, true);
        } else if (bound) {
            // The source's button picks it in the destination's single-choice
            // list; sources of a multiple-choice list get none.
            if (s.RecMuxIndex != kNoControl) strip->BindSelect(i);
            strip->BindSwitch(i, c, false);
        }
    }
}
