// Initialisation of both mixer windows for the card in use, the refresh of
// every bound strip, and the reaction to changes made by other programs.

#include "app/app_context.h"
#include "config/channel_dialog.h"
#include "controls/panel.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "controls/rotary_knob.h"
#include "mixer/audio_mixer.h"
#include "play/channel_strip.h"
#include "play/form1.h"
#include "play/strip_buttons.h"
#include "play/tone_control.h"
#include "play/tone_panel.h"
#include "play/window_frame.h"
#include "rec/rec_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>

namespace {

QString itemOrEmpty(const QComboBox* box, int index) {
    return index < box->count() ? box->itemText(index) : QString();
}

const MIXERLINE* destinationLine(TAudioMixer* mixer, int dest) {
    TMixerDestinations* list = mixer->Destinations();
    if (!list || dest < 0 || dest >= list->Count()) return nullptr;
    return &list->Items(dest)->LineInfo;
}

}  // namespace

void TForm1::Button1Click() {
    SharedState& s = context().state();
    Trec* rec = context().rec();
    context().trace(QStringLiteral("debut button1"));

    // Name the sound-card menu after the devices.
    const int count = Mixer->MixerCount();
    if (count >= 1 && count <= 5) {
        for (int i = 0; i < count; ++i) {
            Mixer->SetMixerId(i);
            rec->card[i]->setText(Mixer->ProductName());
        }
        if (count == 1) rec->card[1]->setVisible(false);
    }
    Mixer->SetMixerId(s.MixerIndex);

    context().trace(QStringLiteral("button1 avant button4click"));
    Button4Click();
    context().trace(QStringLiteral("button1 avant button3click"));
    Button3Click();
    context().trace(QStringLiteral("fin button3 dans button1"));
    button2Click();

    // From here on the mute panels' Tags are the solo memory, now cleared.
    // A solo of the card bound before means nothing now.
    for (ChannelStrip* strip : strips_) {
        strip->mute->SetTag(0);
        if (strip->solo) ChannelStrip::SetSwitch(strip->solo, false, kLime);
    }
    for (ChannelStrip* strip : rec->strips()) strip->mute->SetTag(0);

    // A recording destination without a level control has no master fader.
    // Shown again for a card that has one, so a change of card restores it.
    ChannelStrip* recMaster = rec->strips().front();
    const bool level = s.RecHasMasterLevel;
    recMaster->holder->setVisible(level);
    recMaster->left.readout->setVisible(level);
    recMaster->left.plus->setVisible(level);
    recMaster->left.minus->setVisible(level);
    const bool rightShown = level && !recMaster->Linked();
    recMaster->right.readout->setVisible(rightShown);
    recMaster->right.plus->setVisible(rightShown);
    recMaster->right.minus->setVisible(rightShown);

    context().trace(QStringLiteral("avant copy combo3"));
    for (std::size_t k = 0; k < rec->strips().size(); ++k)
        rec->strips()[k]->nameLabel->setText(itemOrEmpty(ComboBox3, static_cast<int>(k)).left(100));

    context().trace(QStringLiteral("avant mixer destin"));
    const MIXERLINE* recLine = destinationLine(Mixer, s.RecDestIndex);
    rec->frame->Label14->setText((recLine ? QString::fromLocal8Bit(recLine->szName) : QString()) + QLatin1Char(' ') +
                                 Mixer->ProductName());

    if (count >= 1 && count <= 5)
        for (int i = 1; i <= 4; ++i) rec->card[i]->setVisible(i < count);

    context().trace(QStringLiteral("button1  avant timer"));
    // Enabling a running timer changes nothing.
    if (!s.InitDone && !Timer1->isActive()) Timer1->start();
    s.InitDone = true;

    context().trace(QStringLiteral("button1 avant convu"));
    s.MeterSourceIndex = 255;
    s.MeterDestIndex = s.PlayDestIndex;
    s.MeterChannelName = strips_.front()->nameLabel->text();
    context().trace(QStringLiteral("fin button1, n1 := 0"));
    s.BoundProductName = Mixer->ProductName();
    s.ChangeGuard = 0;
}

void TForm1::Button3Click() {
    SharedState& s = context().state();
    Trec* rec = context().rec();
    context().trace(QStringLiteral("debut button3"));
    Mixer->SetMixerId(s.MixerIndex);
    ComboBox1->clear();
    context().trace(QStringLiteral("button3 TAudioMixer.Create"));
    if (Mixer->MixerCount() < 1) {
        disconnect(ComboBox1, nullptr, this, nullptr);
        disconnect(ComboBox2, nullptr, this, nullptr);
        QMessageBox::information(nullptr, QStringLiteral("Tavlo"), QStringLiteral("No mixer present in the system !"));
        return;
    }
    context().trace(QStringLiteral("button3 mixer.Destinations"));
    if (TMixerDestinations* list = Mixer->Destinations())
        for (int d = 0; d < list->Count(); ++d)
            ComboBox1->addItem(QString::fromLocal8Bit(list->Items(d)->LineInfo.szName));
    if (ComboBox1->count() > 0) {
        ComboBox1->setCurrentIndex(0);
        ComboBox1Change();
    }
    Mixer->SetMixerId(s.MixerIndex);

    const MIXERLINE* play = destinationLine(Mixer, s.PlayDestIndex);
    const QString playName = play ? QString::fromLocal8Bit(play->szName) : QString();
    frame->Label14->setText((playName + QLatin1Char(' ')).left(65) + Mixer->ProductName());

    context().trace(QStringLiteral("button3 combobox3 clear"));
    ComboBox3->clear();
    if (TMixerDestinations* list = Mixer->Destinations(); list && destinationLine(Mixer, s.RecDestIndex)) {
        const TMixerDestination* dest = list->Items(s.RecDestIndex);
        ComboBox3->addItem(QString::fromLocal8Bit(dest->LineInfo.szName));
        for (int c = 0; c < dest->Connections.Count(); ++c)
            ComboBox3->addItem(QString::fromLocal8Bit(dest->Connections.Items(c)->LineInfo.szName));
    }
    Mixer->SetMixerId(s.MixerIndex);

    for (std::size_t k = 0; k < strips_.size(); ++k)
        strips_[k]->nameLabel->setText(itemOrEmpty(ComboBox2, static_cast<int>(k)).left(100));

    context().trace(QStringLiteral("debut button3 getplay"));
    int l, r, m;
    bool stereo, volDisabled, muteDisabled;
    for (ChannelStrip* strip : strips_) {
        if (!strip->Bound()) continue;
        if (!Mixer->GetLineLevels(s.PlayDestIndex, strip->Conn(), l, r, m, stereo, volDisabled, muteDisabled)) continue;
        if (stereo)
            strip->link->show();
        else
            strip->SetPlayMono();
    }
    context().trace(QStringLiteral("debut button3 getrec"));
    for (ChannelStrip* strip : rec->strips()) {
        if (!strip->Bound()) continue;
        if (!Mixer->GetLineLevels(s.RecDestIndex, strip->Conn(), l, r, m, stereo, volDisabled, muteDisabled)) continue;
        strip->SetRecLineLayout(stereo);
    }
    context().trace(QStringLiteral("fin button3"));
}

void TForm1::ComboBox1Change() { Mixer->SetMixerId(context().state().MixerIndex); }

void TForm1::Button5Click() {
    SharedState& s = context().state();
    s.ChangeGuard = 1;
    Mixer->SetMixerId(s.MixerIndex);
    treble->refresh();
    bass->refresh();
    s.ChangeGuard = 1;  // the knobs' own writes let go of it
    context().trace(QStringLiteral("button5 debut getc1"));
    for (std::size_t k = 0; k < strips_.size(); ++k) {
        if (k > 0) context().trace(QStringLiteral("getc%1").arg(k + 1));
        if (strips_[k]->Bound()) strips_[k]->Read();
    }
    context().trace(QStringLiteral("button5 debut getrec"));
    // What the card shows now is what a later un-solo gives back.
    rememberMuteStates(strips_);
    for (ChannelStrip* strip : context().rec()->strips())
        if (strip->Bound()) strip->Read();
    s.ChangeGuard = 0;
}

void TForm1::MixerControlChange(TAudioMixer*, int, int) {
    SharedState& s = context().state();
    if (s.ChangeGuard != 0) return;
    if (s.BoundProductName != Mixer->ProductName()) {
        QMessageBox::warning(nullptr, QStringLiteral("Tavlo"),
                             QStringLiteral("Your System Sound-Cards has changed outside Tavlo. You have to "
                                            "terminate Tavlo and reload it again..."));
        QApplication::exit(0);
        return;
    }
    Button5Click();
}

void TForm1::Mixer1ControlChange(TAudioMixer*, int, int) {
    if (Mixer1->MixerCount() <= 1 || context().state().ChangeGuard != 0) return;
    Button5Click();
}
