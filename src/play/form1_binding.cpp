// The binding: which destination is played and which recorded, which line
// each strip of the two mixer windows shows, where the strips stand, how
// wide the windows are, and which control each button of a strip drives.

#include "app/app_context.h"
#include "config/channel_dialog.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "controls/rotary_knob.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "mixer/audio_mixer.h"
#include "play/channel_strip.h"
#include "play/form1.h"
#include "play/tone_control.h"
#include "play/tone_panel.h"
#include "play/window_frame.h"
#include "rec/rec_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

namespace {

constexpr int kNoDestination = 187;
constexpr int kNoControl = -2;

bool isSwitchClass(DWORD type) { return (type >> 28) == 2; }

QString switchCaption(const MIXERCONTROL& c) {
    return QString::fromLocal8Bit(c.szName).trimmed().left(4).trimmed().toLower();
}

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

// The strip's buttons row moves up to make room for the extra switches.
void raiseButtonRow(ChannelStrip* strip) {
    strip->mute->move(strip->mute->x(), 36);
    if (strip->solo)
        strip->solo->move(strip->solo->x(), 36);
    else
        strip->link->move(strip->link->x(), 36);
}

void bindSwitch(ChannelStrip* strip, int i, const MIXERCONTROL& c, bool mutexclusion) {
    if (!isSwitchClass(c.dwControlType)) return;
    const QString hint = QString::fromLocal8Bit(c.szName).trimmed();
    const bool isMute = mutexclusion && i == strip->mute->Tag();
    if (!isMute && strip->co1->Tag() == kNoControl) {
        strip->co1->SetTag(i);
        strip->co1->move(21, strip->co1->y());
        strip->co1->SetCaption(switchCaption(c));
        strip->co1->setToolTip(hint);
        strip->co1->show();
        raiseButtonRow(strip);
    }
    if (i != strip->mute->Tag() && i != strip->co1->Tag() && i != strip->co2->Tag()) {
        strip->co2->SetTag(i);
        strip->co2->SetCaption(switchCaption(c));
        strip->co2->setToolTip(hint);
        strip->co2->show();
        strip->co1->move(7, strip->co1->y());
        raiseButtonRow(strip);
    }
}

ChannelStrip* stripFor(const std::vector<ChannelStrip*>& strips, int conn) {
    for (ChannelStrip* s : strips)
        if (s->Conn() == conn) return s;
    return nullptr;
}

}  // namespace

void TForm1::Button4Click() {
    SharedState& s = context().state();
    Trec* rec = context().rec();
    TForm4* dialog = context().Form4();
    context().trace(QStringLiteral("debut button4"));
    s.ChangeGuard = 1;
    std::vector<ChannelStrip*> all = strips_;
    all.insert(all.end(), rec->strips().begin(), rec->strips().end());
    for (ChannelStrip* strip : all) strip->panel->SetTag(1);
    for (ChannelStrip* strip : strips_) strip->SetLinkedLayout(true);

    s.RecMuxIndex = kNoControl;
    Mixer->SetMixerId(s.MixerIndex);
    for (ChannelStrip* strip : all) {
        for (TPanel* p : {strip->mute, strip->co1, strip->co2}) {
            p->SetTag(kNoControl);
            p->hide();
        }
        strip->mute->move(strip->mute->x(), 42);
        if (strip->solo) {
            strip->solo->hide();
            strip->solo->move(strip->solo->x(), 42);
        }
        if (strip->row.kind != StripKind::PlaySource) strip->link->move(strip->link->x(), 42);
        strip->panel->show();
        strip->namePanel->show();
    }
    rec->poisson->show();
    s.PlayDestIndex = kNoDestination;
    s.RecDestIndex = kNoDestination;

    treble->reset();
    bass->reset();

    context().trace(QStringLiteral("button4 avant Mixer.Destinations.Count-1"));
    if (TMixerDestinations* list = Mixer->Destinations()) {
        for (int d = 0; d < list->Count(); ++d) {
            const DWORD type = list->Items(d)->LineInfo.dwComponentType;
            const QChar first = QString::number(type, 16).at(0);
            if (first == QLatin1Char('4')) {
                s.PlayDestIndex = static_cast<std::uint8_t>(d);
                context().trace(QStringLiteral("button4 d1 = %1, datacomp = %2").arg(d).arg(type, 0, 16));
            } else if (first == QLatin1Char('7')) {
                s.RecDestIndex = static_cast<std::uint8_t>(d);
                context().trace(QStringLiteral("button4 d2 = %1, datacomp = %2").arg(d).arg(type, 0, 16));
            }
        }
    }

    // Playback strips: a line name binds the strip.
    fillNames(ComboBox2, Mixer, s.PlayDestIndex);
    for (std::size_t k = 0; k < strips_.size(); ++k)
        strips_[k]->SetBound(!ComboBox2->itemText(static_cast<int>(k)).trimmed().isEmpty());

    // No destination of a kind leaves its index at 187: that side binds nothing.
    const MIXERLINE* playLine = destinationLine(Mixer, s.PlayDestIndex);
    const MIXERLINE* recLine = destinationLine(Mixer, s.RecDestIndex);
    dialog->Label2->setText(playLine ? QString::fromLocal8Bit(playLine->szName) : QString());
    dialog->Label3->setText(recLine ? QString::fromLocal8Bit(recLine->szName) : QString());
    dialog->Label14->setText(Mixer->ProductName());

    if (s.FirstBinding) optionsClick();

    // The boxes of the dialog take the names; an unticked box hides its strip.
    auto applyBoxes = [dialog](const std::vector<ChannelStrip*>& strips, QComboBox* names) {
        for (std::size_t k = 0; k < strips.size(); ++k) {
            ChannelStrip* strip = strips[k];
            QCheckBox* box = dialog->box(strip->row.checkBox);
            const QString name = names->itemText(static_cast<int>(k)).trimmed();
            if (name.isEmpty()) {
                box->hide();
                continue;
            }
            box->setText(name);
            box->show();
            if (!box->isChecked()) strip->SetBound(false);
        }
    };
    applyBoxes(strips_, ComboBox2);

    // Bound strips side by side, the tone panel first when ticked.
    int counter = -1;
    if (!dialog->tuch->isChecked()) {
        tone->chatune->hide();
    } else {
        ++counter;
        tone->chatune->move(71 * counter + 10, tone->chatune->y());
        tone->chatune->show();
    }
    for (ChannelStrip* strip : strips_)
        if (strip->Bound()) strip->MoveToSlot(++counter);
    imageplayClick();
    frame->SetWidth(sourceCount(Mixer, s.PlayDestIndex) >= 12 ? 941 : 71 * (counter + 1) + 18);

    // Recording strips.
    Mixer->SetMixerId(s.MixerIndex);
    fillNames(ComboBox3, Mixer, s.RecDestIndex);
    for (std::size_t k = 0; k < rec->strips().size(); ++k)
        rec->strips()[k]->SetBound(!ComboBox3->itemText(static_cast<int>(k)).trimmed().isEmpty());
    applyBoxes(rec->strips(), ComboBox3);
    counter = -1;
    for (ChannelStrip* strip : rec->strips())
        if (strip->Bound()) strip->MoveToSlot(++counter);
    imagerecClick();
    rec->frame->SetWidth(sourceCount(Mixer, s.RecDestIndex) >= 10 ? 728 : 71 * (counter + 1) + 18);

    s.FirstBinding = false;
    rec->strips().front()->panel->SetTag(0);

    // Controls are looked up in a mixer object of the binding's own.
    TAudioMixer bindMixer(context().service());
    bindMixer.SetMixerId(s.MixerIndex);
    if (playLine) {
        s.BindDestIndex = s.PlayDestIndex;
        context().trace(QStringLiteral("button4 aor = %1").arg(s.BindDestIndex));
        BindLine(bindMixer, s.PlayDestIndex, -1);
        for (int c = 0; c < sourceCount(&bindMixer, s.PlayDestIndex) && c < 12; ++c)
            BindLine(bindMixer, s.PlayDestIndex, c);
    }
    if (!s.HasTreble) treble->markAbsent();
    if (!s.HasBass) bass->markAbsent();
    if (recLine) {
        s.BindDestIndex = s.RecDestIndex;
        context().trace(QStringLiteral("button4 aor = %1").arg(s.BindDestIndex));
        BindLine(bindMixer, s.RecDestIndex, -1);
        for (int c = 0; c < sourceCount(&bindMixer, s.RecDestIndex) && c < 10; ++c)
            BindLine(bindMixer, s.RecDestIndex, c);
    }
}

void TForm1::BindLine(TAudioMixer& mixer, int D, int C) {
    SharedState& s = context().state();
    Trec* rec = context().rec();
    const bool play = s.BindDestIndex == s.PlayDestIndex;
    context().trace(QStringLiteral("%1 aor = %2, C = %3, B = %4")
                        .arg(play ? QStringLiteral("b4 play") : QStringLiteral("b4 rec"))
                        .arg(s.BindDestIndex)
                        .arg(C)
                        .arg(D));
    TMixerDestinations* list = mixer.Destinations();
    if (!list || D < 0 || D >= list->Count()) return;
    const TMixerDestination* dest = list->Items(D);
    if (C >= dest->Connections.Count()) return;
    const TMixerControls& controls = C == -1 ? dest->Controls : dest->Connections.Items(C)->Controls;
    ChannelStrip* strip = stripFor(play ? strips_ : rec->strips(), C);
    const bool bound = strip && strip->Bound();

    for (int i = 0; i < controls.Count(); ++i) {
        const MIXERCONTROL& c = controls.Items(i);
        const DWORD type = c.dwControlType;
        const QString name = QString::fromLocal8Bit(c.szName).trimmed();
        if (play) {
            if (C == -1 && type == MIXERCONTROL_CONTROLTYPE_BASS) bass->bind(i);
            if (C == -1 && type == MIXERCONTROL_CONTROLTYPE_TREBLE) treble->bind(i);
            if (!bound) continue;
            if (type == MIXERCONTROL_CONTROLTYPE_MUTE) {
                strip->mute->SetTag(i);
                strip->mute->SetCaption(QStringLiteral("mute"));
                strip->mute->setToolTip(name);
                strip->mute->show();
                if (strip->solo) strip->solo->show();
            }
            bindSwitch(strip, i, c, true);
        } else if (C == -1) {
            if (type == MIXERCONTROL_CONTROLTYPE_VOLUME) {
                s.RecHasMasterLevel = true;
                rec->poisson->hide();
            }
            if (type == MIXERCONTROL_CONTROLTYPE_MUTE) {
                strip->mute->SetTag(i);
                strip->mute->SetCaption(QStringLiteral("mute"));
                strip->mute->setToolTip(name);
                strip->mute->show();
                rec->poisson->move(rec->poisson->x(), 49);
                strip->mute->move(strip->mute->x(), 36);
                strip->link->move(strip->link->x(), 36);
            }
            if (type == MIXERCONTROL_CONTROLTYPE_MUX) s.RecMuxIndex = i;
            bindSwitch(strip, i, c, true);
        } else if (bound) {
            // The source's button picks it in the destination's single-choice
            // list; sources of a multiple-choice list get none.
            if (s.RecMuxIndex != kNoControl) {
                strip->mute->SetTag(i);
                strip->mute->SetCaption(QStringLiteral("select"));
                strip->mute->setToolTip(QStringLiteral("Click to select that channel..."));
                strip->mute->show();
            }
            bindSwitch(strip, i, c, false);
        }
    }
}
