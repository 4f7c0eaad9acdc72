#include "app/card_setup.h"

#include "app/log.h"
#include "app/meter_poll.h"
#include "app/strip_binding.h"
#include "app/user_messages.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "play/form1.h"
#include "play/tone_control.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"
#include "strips/strip_buttons.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTimer>

namespace {

std::vector<unsigned long> linesOf(const TAudioMixer& mixer, int dest) {
    std::vector<unsigned long> ids;
    if (!mixer.Destination(dest)) return ids;
    for (int c = -1; c < mixer.SourceCount(dest); ++c) {
        const MIXERLINE* line = mixer.LineInfoAt(dest, c);
        ids.push_back(line ? line->dwLineID : BoundLines::kNoLine);
    }
    return ids;
}

}  // namespace

unsigned long BoundLines::at(const std::vector<unsigned long>& lines, int conn) {
    const std::size_t i = static_cast<std::size_t>(conn + 1);
    return conn >= -1 && i < lines.size() ? lines[i] : kNoLine;
}

int BoundLines::connOf(const std::vector<unsigned long>& lines, unsigned long id) {
    if (id == kNoLine) return -2;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == id) return static_cast<int>(i) - 1;
    return -2;
}

CardSetup::CardSetup(const ControllerScope& scope, StripBinding& binding, MeterPoll& poll)
    : s_(scope), binding_(binding), poll_(poll) {
    connect(&s_.w.play, &TForm1::destinationChosen, this, &CardSetup::ComboBox1Change);
}

// --- the card menu --------------------------------------------------------------

void CardSetup::nameCardMenu(int count) {
    TAudioMixer* mixer = s_.w.play.Mixer;
    Trec& rec = s_.w.rec;
    if (count >= 1 && count <= Trec::kCardItems) {
        for (int i = 0; i < count; ++i) {
            mixer->SetMixerId(i);
            rec.setCardName(i, mixer->ProductName());
        }
        if (count == 1) rec.setCardItemVisible(1, false);
    }
    mixer->SetMixerId(s_.state.MixerIndex);
    // The tick goes with the card shown, wherever the list puts it now.
    rec.checkCard(mixer->MixerId());
}

void CardSetup::showCardMenuItems(int count) {
    if (count >= 1 && count <= Trec::kCardItems)
        for (int i = 1; i < Trec::kCardItems; ++i) s_.w.rec.setCardItemVisible(i, i < count);
}

// --- Button1Click ---------------------------------------------------------------

void CardSetup::Button1Click() {
    const ChangeGuard::Hold writing = s_.state.ChangeGuard.hold();
    s_.trace(QStringLiteral("debut button1"));
    rereadCardTrees();
    const int count = s_.w.play.Mixer->MixerCount();
    nameCardMenu(count);

    s_.trace(QStringLiteral("button1 avant button4click"));
    binding_.Button4Click();  // which line and control each strip drives, the windows laid out
    s_.trace(QStringLiteral("button1 avant button3click"));
    if (!Button3Click()) return;  // names and stereo/mono layout; without any mixer nothing more is set up
    s_.trace(QStringLiteral("fin button3 dans button1"));
    poll_.button2Click();  // the meter scan

    clearSoloMemory();
    showRecordingMaster();
    s_.trace(QStringLiteral("avant copy combo3"));
    nameRecordingStrips();
    s_.trace(QStringLiteral("avant mixer destin"));
    titleRecordingWindow();
    showCardMenuItems(count);
    s_.trace(QStringLiteral("button1  avant timer"));
    startSplashEndOnce();
    s_.trace(QStringLiteral("button1 avant convu"));
    meterPlaybackMaster();
    s_.trace(QStringLiteral("fin button1, n1 := 0"));
    rememberBoundCard();
}

// Bound from the card's lines as they are now: both windows' mixer objects
// keep the tree they read until here, however the lines changed since (a
// stream or a source that came or went).
void CardSetup::rereadCardTrees() {
    for (TAudioMixer* mixer : {s_.w.play.Mixer, s_.w.rec.Mixer}) {
        mixer->SetMixerId(s_.state.MixerIndex);
        mixer->RereadTree();
    }
}

// From here on the mute panels' Tags are the solo memory, now cleared.
void CardSetup::clearSoloMemory() {
    for (ChannelStrip* strip : s_.w.play.strips()) strip->SetMuteMemory(0);
    for (ChannelStrip* strip : s_.w.rec.strips()) strip->SetMuteMemory(0);
}

// A recording destination without a level control has no master fader but
// the fish; a card that has one shows the fader again.
void CardSetup::showRecordingMaster() {
    const bool level = s_.state.RecHasMasterLevel;
    s_.w.rec.strips().front()->ShowLevelControls(level);
    s_.w.rec.showNoMasterLevel(!level);
}

void CardSetup::nameRecordingStrips() {
    const std::vector<ChannelStrip*>& strips = s_.w.rec.strips();
    for (std::size_t k = 0; k < strips.size(); ++k)
        strips[k]->SetName(s_.w.play.recordingLineName(static_cast<int>(k)).left(100));
}

void CardSetup::titleRecordingWindow() {
    TAudioMixer* mixer = s_.w.play.Mixer;
    s_.w.rec.setCardTitle(mixer->DestinationName(s_.state.RecDestIndex) + QLatin1Char(' ') + mixer->ProductName());
}

// The first initialisation starts the end of the splash phase; enabling a
// running timer changes nothing.
void CardSetup::startSplashEndOnce() {
    SharedState& s = s_.state;
    if (!s.InitDone && !s_.w.play.Timer1->isActive()) s_.w.play.Timer1->start();
    s.InitDone = true;
}

// The VU window meters the playback master until a strip's VU image says otherwise.
void CardSetup::meterPlaybackMaster() {
    SharedState& s = s_.state;
    s.MeterSourceIndex = 255;
    s.MeterDestIndex = s.PlayDestIndex;
    s.MeterChannelName = s_.w.play.strips().front()->Name();
}

void CardSetup::rememberBoundCard() {
    SharedState& s = s_.state;
    TAudioMixer* mixer = s_.w.play.Mixer;
    s.BoundProductName = mixer->ProductName();
    boundStandIn_ = mixer->Service().mixerIsStandIn(static_cast<UINT>(mixer->MixerId()));
    mixer->SetMixerId(s.MixerIndex);
    bound_.play = linesOf(*mixer, s.PlayDestIndex);
    bound_.rec = linesOf(*mixer, s.RecDestIndex);
}

// --- Button3Click ---------------------------------------------------------------

bool CardSetup::Button3Click() {
    TForm1& play = s_.w.play;
    TAudioMixer* mixer = play.Mixer;
    s_.trace(QStringLiteral("debut button3"));
    // The card is opened once here; every step below reads that tree.
    mixer->SetMixerId(s_.state.MixerIndex);
    play.setDestinationNames({});
    s_.trace(QStringLiteral("button3 TAudioMixer.Create"));
    if (mixer->MixerCount() < 1) {
        disconnect(&play, &TForm1::destinationChosen, this, nullptr);
        s_.messages.information(QStringLiteral("No mixer present in the system !"));
        return false;
    }
    s_.trace(QStringLiteral("button3 mixer.Destinations"));
    listDestinations();
    titlePlaybackWindow();
    s_.trace(QStringLiteral("button3 combobox3 clear"));
    play.setRecordingLineNames(mixer->LineNames(s_.state.RecDestIndex));
    namePlaybackStrips();
    layOutStripsByChannels();
    s_.trace(QStringLiteral("fin button3"));
    return true;
}

void CardSetup::listDestinations() {
    QStringList names;
    if (const TMixerDestinations* list = s_.w.play.Mixer->Destinations())
        for (int d = 0; d < list->Count(); ++d) names << QString::fromLocal8Bit(list->Items(d)->LineInfo.szName);
    s_.w.play.setDestinationNames(names);
}

// The played destination and the card, the first cut to 65 characters.
void CardSetup::titlePlaybackWindow() {
    TAudioMixer* mixer = s_.w.play.Mixer;
    const QString playName = mixer->DestinationName(s_.state.PlayDestIndex);
    s_.w.play.setCardTitle((playName + QLatin1Char(' ')).left(65) + mixer->ProductName());
}

void CardSetup::namePlaybackStrips() {
    TForm1& play = s_.w.play;
    for (std::size_t k = 0; k < play.strips().size(); ++k)
        play.strips()[k]->SetName(play.playbackLineName(static_cast<int>(k)).left(100));
}

// Each bound strip laid out for the channels its line has.
void CardSetup::layOutStripsByChannels() {
    const SharedState& s = s_.state;
    TAudioMixer* mixer = s_.w.play.Mixer;
    s_.trace(QStringLiteral("debut button3 getplay"));
    for (ChannelStrip* strip : s_.w.play.strips()) {
        if (!strip->Bound()) continue;
        const std::optional<LineLevels> levels = mixer->GetLineLevels(s.PlayDestIndex, strip->Conn());
        if (!levels) continue;
        if (levels->Stereo)
            strip->SetPlayStereo();
        else
            strip->SetPlayMono();
    }
    s_.trace(QStringLiteral("debut button3 getrec"));
    for (ChannelStrip* strip : s_.w.rec.strips()) {
        if (!strip->Bound()) continue;
        if (const std::optional<LineLevels> levels = mixer->GetLineLevels(s.RecDestIndex, strip->Conn()))
            strip->SetRecLineLayout(levels->Stereo);
    }
}

void CardSetup::ComboBox1Change() { s_.w.play.Mixer->SetMixerId(s_.state.MixerIndex); }

// --- Button5Click ---------------------------------------------------------------

void CardSetup::Button5Click() {
    SharedState& s = s_.state;
    TForm1& play = s_.w.play;
    Trec& rec = s_.w.rec;
    const ChangeGuard::Hold writing = s.ChangeGuard.hold();
    ++refreshes_;
    QElapsedTimer took;
    took.start();
    const auto logged = qScopeGuard([&] {
        qCDebug(lcRefresh).nospace() << "refresh " << refreshes_ << " of the strips from card " << s.MixerIndex
                                     << " in " << took.nsecsElapsed() / 1000 << " us";
    });
    play.Mixer->SetMixerId(s.MixerIndex);
    play.treble->refresh();
    play.bass->refresh();
    // Each strip's write-back may wait on a sound server: the windows show
    // what was read first, then the strips write it back.
    std::vector<ChannelStrip*> bound;
    for (const auto* strips : {&play.strips(), &rec.strips()})
        for (ChannelStrip* strip : *strips)
            if (strip->Bound()) bound.push_back(strip);
    for (ChannelStrip* strip : bound) strip->DeferWrites();
    s_.trace(QStringLiteral("button5 debut getc1"));
    for (std::size_t k = 0; k < play.strips().size(); ++k) {
        // The design has trace points getc2 ... getc11, none before the last strip.
        if (k > 0 && k < play.strips().size() - 1) s_.trace(QStringLiteral("getc%1").arg(k + 1));
        if (play.strips()[k]->Bound()) play.strips()[k]->Read();
    }
    s_.trace(QStringLiteral("button5 debut getrec"));
    // What the card shows now is what a later un-solo gives back.
    rememberMuteStates(play.strips());
    for (ChannelStrip* strip : rec.strips())
        if (strip->Bound()) strip->Read();
    for (QWidget* window : {static_cast<QWidget*>(&play), static_cast<QWidget*>(&rec)})
        if (window->isVisible()) QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
    for (ChannelStrip* strip : bound) strip->FlushWrites();
}
