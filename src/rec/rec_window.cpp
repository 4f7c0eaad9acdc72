#include "rec/rec_window.h"

#include "app/app_context.h"
#include "controls/auto_repeat.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "mixer/audio_mixer.h"
#include "play/channel_strip.h"
#include "play/strip_pictures.h"
#include "play/window_frame.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {

// A small grey fish, where the master fader would be.
QPixmap fishPicture() {
    QPixmap p(36, 20);
    p.fill(QColor(36, 36, 40));
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(QColor(150, 150, 160));
    g.setPen(Qt::NoPen);
    g.drawEllipse(4, 5, 22, 10);
    g.drawPolygon(QPolygon({QPoint(25, 10), QPoint(33, 4), QPoint(33, 16)}));
    g.setBrush(Qt::black);
    g.drawEllipse(8, 8, 3, 3);
    return p;
}

}  // namespace

Trec::Trec(AppContext& context) : TavloWindow(context, QStringLiteral("rec"), QStringLiteral("Rekado by Varnel")) {
    setFixedSize(728, 175);
    setBlackBackground();
    Mixer = new TAudioMixer(context.service(), this);
    Mixer->setObjectName(QStringLiteral("Mixer"));

    repeat = new AutoRepeat(context.state().RepeatCode, context.state().ChangeGuard, 100, this);
    repeat->timer()->setObjectName(QStringLiteral("Timer4"));
    frame = std::make_unique<WindowFrame>(this, 728, 175, "Right-click show the menu, ,Click to hide the rec mixer.");
    for (const StripRow& row : recStripTable()) {
        auto* strip = new ChannelStrip(this, context, Mixer, row);
        strips_.push_back(strip);
        strip->AttachSteps(*repeat, static_cast<int>(strips_.size()));
        strip->AttachButtons(static_cast<int>(strips_.size()));
        if (row.conn == -1)
            strip->mute->OnMouseDown = [strip](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                strip->ToggleSwitch(strip->mute, kRed);
            };
        else
            strip->mute->OnMouseDown = [this, strip](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                SelectMouseDown(strip);
            };
    }
    poisson = new TPicture(strips_.front()->panel);
    poisson->setObjectName(QStringLiteral("poisson"));
    poisson->setGeometry(17, 60, 36, 20);
    poisson->SetPicture(fishPicture());

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    for (int i = 0; i < 5; ++i) {
        card[i] = PopupMenu->addAction(QStringLiteral("Audio card %1").arg(i + 1));
        card[i]->setObjectName(QStringLiteral("card%1").arg(i + 1));
    }
    BuildMenu();


    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormCreate();
}

Trec::~Trec() = default;

void Trec::FormCreate() {
    for (ChannelStrip* strip : strips_) strip->panel->SetTag(1);
    hide();
    context().state().SwapLR = false;
}

void Trec::SelectMouseDown(ChannelStrip* strip) {
    SharedState& s = context().state();
    s.ChangeGuard = 1;
    if (strip->mute->Color() != kRed) {
        ChannelStrip::SetSwitch(strip->mute, true, kRed);
        // A single-choice list holds one source: the others show off at once.
        for (ChannelStrip* other : strips_)
            if (other != strip && other->Conn() >= 0 && other->Bound())
                ChannelStrip::SetSwitch(other->mute, false, kRed);
        strip->WriteLeft();
    } else {
        ChannelStrip::SetSwitch(strip->mute, false, kRed);
        strip->SetDroppingSelection(true);
        strip->WriteLeft();
        strip->SetDroppingSelection(false);
    }
    s.ChangeGuard = 0;
}
