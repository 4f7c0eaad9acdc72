#include "app/strip_binding.h"

#include "app/colour_schemes.h"
#include "app/config_apply.h"
#include "config/channel_dialog.h"
#include "mixer/audio_mixer.h"
#include "play/form1.h"
#include "play/tone_control.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"

namespace {

constexpr int kNoDestination = 187;
constexpr int kNoControl = -2;

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

void StripBinding::Button4Click() {
    const ChangeGuard::Hold writing = s_.state.ChangeGuard.hold();
    s_.trace(QStringLiteral("debut button4"));
    resetStripsForBinding();
    findDestinations();
    bindPlaybackNames();
    // The configuration is read once, at the first binding.
    if (s_.state.FirstBinding) config_.optionsClick();
    applyChannelBoxes(s_.w.play.strips(), true);
    layOutPlayback();
    schemes_.imageplayClick();
    bindRecordingNames();
    layOutRecording();
    schemes_.imagerecClick();
    s_.state.FirstBinding = false;
    s_.w.rec.strips().front()->MarkBound(true);
    bindControls();
}

// Every strip unbound with its buttons hidden, playback strips linked, the
// tone knobs without a control.
void StripBinding::resetStripsForBinding() {
    SharedState& s = s_.state;
    for (ChannelStrip* strip : s_.w.play.strips()) {
        strip->ResetBinding();
        strip->SetLinkedLayout(true);
    }
    for (ChannelStrip* strip : s_.w.rec.strips()) strip->ResetBinding();
    s.RecMuxIndex = kNoControl;
    // Cleared here so that a card without a recording level shows none.
    s.RecHasMasterLevel = false;
    s_.w.play.Mixer->SetMixerId(s.MixerIndex);
    s.PlayDestIndex = kNoDestination;
    s.RecDestIndex = kNoDestination;
    s_.w.play.treble->reset();
    s_.w.play.bass->reset();
}

// The last destination of each kind wins: speakers-like (type 4xxx) for
// playback, wave-in-like (7xxx) for recording. None of a kind leaves 187.
void StripBinding::findDestinations() {
    SharedState& s = s_.state;
    s_.trace(QStringLiteral("button4 avant Mixer.Destinations.Count-1"));
    TMixerDestinations* list = s_.w.play.Mixer->Destinations();
    if (!list) return;
    for (int d = 0; d < list->Count(); ++d) {
        const DWORD type = list->Items(d)->LineInfo.dwComponentType;
        const QChar first = QString::number(type, 16).at(0);
        if (first == QLatin1Char('4')) {
            s.PlayDestIndex = static_cast<std::uint8_t>(d);
            s_.trace(QStringLiteral("button4 d1 = %1, datacomp = %2").arg(d).arg(type, 0, 16));
        } else if (first == QLatin1Char('7')) {
            s.RecDestIndex = static_cast<std::uint8_t>(d);
            s_.trace(QStringLiteral("button4 d2 = %1, datacomp = %2").arg(d).arg(type, 0, 16));
        }
    }
}

// A line name binds a playback strip; the dialog learns the card's names.
void StripBinding::bindPlaybackNames() {
    const SharedState& s = s_.state;
    TForm1& play = s_.w.play;
    play.setPlaybackLineNames(play.Mixer->LineNames(s.PlayDestIndex));
    for (std::size_t k = 0; k < play.strips().size(); ++k)
        play.strips()[k]->SetBound(!play.playbackLineName(static_cast<int>(k)).trimmed().isEmpty());
    s_.w.dialog.setDestinationNames(play.Mixer->DestinationName(s.PlayDestIndex),
                                    play.Mixer->DestinationName(s.RecDestIndex));
    s_.w.dialog.setCardTitle(play.Mixer->ProductName());
}

// The dialog's boxes take the names; an unticked box hides its strip.
void StripBinding::applyChannelBoxes(const std::vector<ChannelStrip*>& strips, bool playback) {
    const TForm1& play = s_.w.play;
    for (std::size_t k = 0; k < strips.size(); ++k) {
        ChannelStrip* strip = strips[k];
        TBWCCCheckBox* box = s_.w.dialog.box(strip->row.checkBox);
        const int i = static_cast<int>(k);
        const QString name = (playback ? play.playbackLineName(i) : play.recordingLineName(i)).trimmed();
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
void StripBinding::layOutPlayback() {
    TForm1& play = s_.w.play;
    const bool tone = s_.w.dialog.tonePanelChecked();
    play.showTonePanel(tone);
    const int slot = layOut(play.strips(), tone ? 1 : 0);
    play.setFrameWidth(play.Mixer->SourceCount(s_.state.PlayDestIndex) >= 12 ? 941 : 71 * slot + 18);
    play.centreUntilPlaced();
}

void StripBinding::bindRecordingNames() {
    TForm1& play = s_.w.play;
    play.Mixer->SetMixerId(s_.state.MixerIndex);
    play.setRecordingLineNames(play.Mixer->LineNames(s_.state.RecDestIndex));
    for (std::size_t k = 0; k < s_.w.rec.strips().size(); ++k)
        s_.w.rec.strips()[k]->SetBound(!play.recordingLineName(static_cast<int>(k)).trimmed().isEmpty());
    applyChannelBoxes(s_.w.rec.strips(), false);
}

void StripBinding::layOutRecording() {
    Trec& rec = s_.w.rec;
    const int used = layOut(rec.strips(), 0);
    rec.setFrameWidth(s_.w.play.Mixer->SourceCount(s_.state.RecDestIndex) >= 10 ? 728 : 71 * used + 18);
    rec.centreUntilPlaced();
}

// Controls are looked up in a mixer object of the binding's own.
void StripBinding::bindControls() {
    SharedState& s = s_.state;
    TForm1& play = s_.w.play;
    TAudioMixer bindMixer(play.Mixer->Service());
    bindMixer.SetMixerId(s.MixerIndex);
    // A destination's own line, then each of its sources up to the window's strips.
    const auto bindDestination = [&](int dest, int strips) {
        if (!play.Mixer->DestinationLine(dest)) return;
        s.BindDestIndex = dest;
        s_.trace(QStringLiteral("button4 aor = %1").arg(s.BindDestIndex));
        bindLine(bindMixer, dest, -1);
        for (int c = 0; c < bindMixer.SourceCount(dest) && c < strips; ++c) bindLine(bindMixer, dest, c);
    };
    bindDestination(s.PlayDestIndex, 12);
    if (!s.HasTreble) play.treble->markAbsent();
    if (!s.HasBass) play.bass->markAbsent();
    bindDestination(s.RecDestIndex, 10);
}

void StripBinding::bindLine(TAudioMixer& mixer, int D, int C) {
    SharedState& s = s_.state;
    const bool play = s.BindDestIndex == s.PlayDestIndex;
    s_.trace(QStringLiteral("%1 aor = %2, C = %3, B = %4")
                 .arg(play ? QStringLiteral("b4 play") : QStringLiteral("b4 rec"))
                 .arg(s.BindDestIndex)
                 .arg(C)
                 .arg(D));
    const TMixerDestination* dest = mixer.Destination(D);
    if (!dest || C >= dest->Connections.Count()) return;
    const TMixerControls& controls = C == -1 ? dest->Controls : dest->Connections.Items(C)->Controls;
    ChannelStrip* strip = stripFor(play ? s_.w.play.strips() : s_.w.rec.strips(), C);
    const bool bound = strip && strip->Bound();

    for (int i = 0; i < controls.Count(); ++i) {
        const MIXERCONTROL& c = controls.Items(i);
        const DWORD type = c.dwControlType;
        const QString name = QString::fromLocal8Bit(c.szName).trimmed();
        if (play) {
            if (C == -1 && type == MIXERCONTROL_CONTROLTYPE_BASS) s_.w.play.bass->bind(i);
            if (C == -1 && type == MIXERCONTROL_CONTROLTYPE_TREBLE) s_.w.play.treble->bind(i);
            if (!bound) continue;
            if (type == MIXERCONTROL_CONTROLTYPE_MUTE) strip->BindMute(i, name);
            strip->BindSwitch(i, c, true);
        } else if (C == -1) {
            if (type == MIXERCONTROL_CONTROLTYPE_VOLUME) s.RecHasMasterLevel = true;
            if (type == MIXERCONTROL_CONTROLTYPE_MUTE) {
                strip->BindMute(i, name);
                s_.w.rec.makeRoomForMasterMute();
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
