// Initialisation of both mixer windows for the card in use, and the
// refresh of every bound strip.

#include "app/log.h"
#include "app/meter_poll.h"
#include "app/mixer_controller.h"
#include "app/user_messages.h"
#include "controls/picture.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "play/form1.h"
#include "play/tone_control.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"
#include "strips/strip_buttons.h"
#include "strips/window_frame.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScopeGuard>

#include <vector>

namespace {

QString itemOrEmpty(const QComboBox* box, int index) { return index < box->count() ? box->itemText(index) : QString(); }

const MIXERLINE* destinationLine(TAudioMixer* mixer, int dest) {
    TMixerDestinations* list = mixer->Destinations();
    if (!list || dest < 0 || dest >= list->Count()) return nullptr;
    return &list->Items(dest)->LineInfo;
}

}  // namespace

void MixerController::nameCardMenu(int count) {
    TAudioMixer* mixer = w_.play.Mixer;
    if (count >= 1 && count <= 5) {
        for (int i = 0; i < count; ++i) {
            mixer->SetMixerId(i);
            // A card's name is text, not a mnemonic: "&" stays "&".
            w_.rec.card[i]->setText(QString(mixer->ProductName()).replace(QLatin1Char('&'), QStringLiteral("&&")));
        }
        if (count == 1) w_.rec.card[1]->setVisible(false);
    }
    mixer->SetMixerId(state_.MixerIndex);
    // The tick goes with the card shown, wherever the list puts it now.
    const int shown = mixer->MixerId();
    for (int i = 0; i < static_cast<int>(w_.rec.card.size()); ++i) w_.rec.card[i]->setChecked(i == shown);
}

void MixerController::showCardMenuItems(int count) {
    if (count >= 1 && count <= 5)
        for (int i = 1; i <= 4; ++i) w_.rec.card[i]->setVisible(i < count);
}

// A recording destination without a level control has no master fader but
// the fish; a card that has one shows the fader again.
void MixerController::showRecordingMaster() {
    const bool level = state_.RecHasMasterLevel;
    w_.rec.strips().front()->ShowLevelControls(level);
    w_.rec.poisson->setVisible(!level);
}

void MixerController::Button1Click() {
    SharedState& s = state_;
    TForm1& play = w_.play;
    Trec& rec = w_.rec;
    const ChangeGuard::Hold writing = s.ChangeGuard.hold();
    trace(QStringLiteral("debut button1"));
    // Bound from the card's lines as they are now: both windows' mixer
    // objects keep the tree they read until here, however the lines changed
    // since (a stream or a source that came or went).
    for (TAudioMixer* mixer : {play.Mixer, rec.Mixer}) {
        mixer->SetMixerId(s.MixerIndex);
        mixer->RereadTree();
    }

    const int count = play.Mixer->MixerCount();
    nameCardMenu(count);

    trace(QStringLiteral("button1 avant button4click"));
    Button4Click();
    trace(QStringLiteral("button1 avant button3click"));
    if (!Button3Click()) return;  // no mixer at all: nothing more to set up
    trace(QStringLiteral("fin button3 dans button1"));
    poll_->button2Click();

    // From here on the mute panels' Tags are the solo memory, now cleared.
    for (ChannelStrip* strip : play.strips()) strip->SetMuteMemory(0);
    for (ChannelStrip* strip : rec.strips()) strip->SetMuteMemory(0);

    showRecordingMaster();

    trace(QStringLiteral("avant copy combo3"));
    for (std::size_t k = 0; k < rec.strips().size(); ++k)
        rec.strips()[k]->SetName(itemOrEmpty(play.ComboBox3, static_cast<int>(k)).left(100));

    trace(QStringLiteral("avant mixer destin"));
    const MIXERLINE* recLine = destinationLine(play.Mixer, s.RecDestIndex);
    rec.frame->Label14->setText((recLine ? QString::fromLocal8Bit(recLine->szName) : QString()) + QLatin1Char(' ') +
                                play.Mixer->ProductName());

    showCardMenuItems(count);

    trace(QStringLiteral("button1  avant timer"));
    // Enabling a running timer changes nothing.
    if (!s.InitDone && !play.Timer1->isActive()) play.Timer1->start();
    s.InitDone = true;

    trace(QStringLiteral("button1 avant convu"));
    s.MeterSourceIndex = 255;
    s.MeterDestIndex = s.PlayDestIndex;
    s.MeterChannelName = play.strips().front()->Name();
    trace(QStringLiteral("fin button1, n1 := 0"));
    s.BoundProductName = play.Mixer->ProductName();
    boundStandIn_ = play.Mixer->Service().mixerIsStandIn(static_cast<UINT>(play.Mixer->MixerId()));
    rememberBoundLines();
}

bool MixerController::Button3Click() {
    SharedState& s = state_;
    TForm1& play = w_.play;
    TAudioMixer* mixer = play.Mixer;
    trace(QStringLiteral("debut button3"));
    mixer->SetMixerId(s.MixerIndex);
    play.ComboBox1->clear();
    trace(QStringLiteral("button3 TAudioMixer.Create"));
    if (mixer->MixerCount() < 1) {
        disconnect(play.ComboBox1, nullptr, this, nullptr);
        messages_.information(QStringLiteral("No mixer present in the system !"));
        return false;
    }
    trace(QStringLiteral("button3 mixer.Destinations"));
    if (TMixerDestinations* list = mixer->Destinations())
        for (int d = 0; d < list->Count(); ++d)
            play.ComboBox1->addItem(QString::fromLocal8Bit(list->Items(d)->LineInfo.szName));
    if (play.ComboBox1->count() > 0) {
        play.ComboBox1->setCurrentIndex(0);
        ComboBox1Change();
    }
    mixer->SetMixerId(s.MixerIndex);

    const MIXERLINE* playLine = destinationLine(mixer, s.PlayDestIndex);
    const QString playName = playLine ? QString::fromLocal8Bit(playLine->szName) : QString();
    play.frame->Label14->setText((playName + QLatin1Char(' ')).left(65) + mixer->ProductName());

    trace(QStringLiteral("button3 combobox3 clear"));
    play.ComboBox3->clear();
    if (TMixerDestinations* list = mixer->Destinations(); list && destinationLine(mixer, s.RecDestIndex)) {
        const TMixerDestination* dest = list->Items(s.RecDestIndex);
        play.ComboBox3->addItem(QString::fromLocal8Bit(dest->LineInfo.szName));
        for (int c = 0; c < dest->Connections.Count(); ++c)
            play.ComboBox3->addItem(QString::fromLocal8Bit(dest->Connections.Items(c)->LineInfo.szName));
    }
    mixer->SetMixerId(s.MixerIndex);

    for (std::size_t k = 0; k < play.strips().size(); ++k)
        play.strips()[k]->SetName(itemOrEmpty(play.ComboBox2, static_cast<int>(k)).left(100));

    trace(QStringLiteral("debut button3 getplay"));
    int l, r, m;
    bool stereo, volDisabled, muteDisabled;
    for (ChannelStrip* strip : play.strips()) {
        if (!strip->Bound()) continue;
        if (!mixer->GetLineLevels(s.PlayDestIndex, strip->Conn(), l, r, m, stereo, volDisabled, muteDisabled)) continue;
        if (stereo)
            strip->SetPlayStereo();
        else
            strip->SetPlayMono();
    }
    trace(QStringLiteral("debut button3 getrec"));
    for (ChannelStrip* strip : w_.rec.strips()) {
        if (!strip->Bound()) continue;
        if (!mixer->GetLineLevels(s.RecDestIndex, strip->Conn(), l, r, m, stereo, volDisabled, muteDisabled)) continue;
        strip->SetRecLineLayout(stereo);
    }
    trace(QStringLiteral("fin button3"));
    return true;
}

void MixerController::ComboBox1Change() { w_.play.Mixer->SetMixerId(state_.MixerIndex); }

void MixerController::Button5Click() {
    SharedState& s = state_;
    TForm1& play = w_.play;
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
    for (const auto* strips : {&play.strips(), &w_.rec.strips()})
        for (ChannelStrip* strip : *strips)
            if (strip->Bound()) bound.push_back(strip);
    for (ChannelStrip* strip : bound) strip->DeferWrites();
    trace(QStringLiteral("button5 debut getc1"));
    for (std::size_t k = 0; k < play.strips().size(); ++k) {
        // The design has trace points getc2 ... getc11, none before the last strip.
        if (k > 0 && k < play.strips().size() - 1) trace(QStringLiteral("getc%1").arg(k + 1));
        if (play.strips()[k]->Bound()) play.strips()[k]->Read();
    }
    trace(QStringLiteral("button5 debut getrec"));
    // What the card shows now is what a later un-solo gives back.
    rememberMuteStates(play.strips());
    for (ChannelStrip* strip : w_.rec.strips())
        if (strip->Bound()) strip->Read();
    for (QWidget* window : {static_cast<QWidget*>(&play), static_cast<QWidget*>(&w_.rec)})
        if (window->isVisible()) QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
    for (ChannelStrip* strip : bound) strip->FlushWrites();
}
