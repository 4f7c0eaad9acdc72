#include "rec/rec_window.h"

#include "controls/auto_repeat.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "controls/tray_icon.h"
#include "controls/tray_pictures.h"
#include "mixer/audio_mixer.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"
#include "strips/skins.h"
#include "strips/strip_pictures.h"
#include "strips/window_frame.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
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

Trec::Trec(SharedState& state, MixerService& service)
    : TavloWindow(QStringLiteral("rec"), QStringLiteral("Rekado by Varnel")),
      reci(TrayPictureIcon(TrayPicture::reci)),
      recino(TrayPictureIcon(TrayPicture::recino)),
      state_(state) {
    setFixedSize(728, 175);
    setBlackBackground();
    Mixer = new TAudioMixer(service, this);
    Mixer->setObjectName(QStringLiteral("Mixer"));

    repeat = new AutoRepeat(state.RepeatCode, 100, this);
    repeat->timer()->setObjectName(QStringLiteral("Timer4"));
    ChannelStrip::GuardRepeats(*repeat, state);
    frame = std::make_unique<WindowFrame>(this, 728, 175, "Click to hide the record mixer.");
    for (const StripRow& row : recStripTable()) {
        auto* strip = new ChannelStrip(this, state, Mixer, row);
        strips_.push_back(strip);
        strip->AttachSteps(*repeat, static_cast<int>(strips_.size()));
        strip->AttachButtons(static_cast<int>(strips_.size()));
        connect(strip, &ChannelStrip::selectPressed, this, &Trec::SelectMouseDown);
        connect(strip, &ChannelStrip::meterChosen, this, &Trec::meterRequested);
    }
    poisson = new TPicture(findChild<QWidget*>(QStringLiteral("cha0")));
    poisson->setObjectName(QStringLiteral("poisson"));
    poisson->setGeometry(17, 60, 36, 20);
    poisson->SetPicture(fishPicture());

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    for (int i = 0; i < 5; ++i) {
        card[i] = PopupMenu->addAction(QStringLiteral("Audio card %1").arg(i + 1));
        card[i]->setObjectName(QStringLiteral("card%1").arg(i + 1));
        card[i]->setCheckable(true);
        connect(card[i], &QAction::triggered, this, [this, i] { emit cardChosen(i + 1); });
    }
    card[0]->setChecked(true);
    BuildMenu();
    for (TPanel* corner : {frame->Panel2, frame->Panel32, frame->Panel108, frame->Panel107})
        corner->OnClick = [this](TPanel*) { emit cornerClicked(); };
    TrayIconF1 = new TTrayIconF(this);
    TrayIconF1->setObjectName(QStringLiteral("TrayIconF1"));
    TrayIconF1->SetToolTip(QStringLiteral("Right-click show the menu, Click to show/hide the rec mixer..."));
    TrayIconF1->SetIcon(reci);

    centre();
    FormCreate();
}

Trec::~Trec() = default;

void Trec::FormCreate() {
    for (ChannelStrip* strip : strips_) strip->MarkUnbound();
    hide();
    state_.SwapLR = false;
}

void Trec::SelectMouseDown(ChannelStrip* strip) {
    const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
    // Strip 2's button also repaints name plates at once.
    const bool second = strip == strips_[1];
    if (!strip->MuteOn()) {
        strip->SetMuteOn(true);
        // A single-choice list holds one source: the others show off at once.
        for (ChannelStrip* other : strips_) {
            if (other == strip || other->Conn() < 0 || !other->Bound()) continue;
            other->SetMuteOn(false);
            if (second) other->ShowPlate(false);
        }
        strip->WriteLeft();
    } else {
        strip->SetMuteOn(false);
        if (second) strip->ShowPlate(false);
        strip->SetDroppingSelection(true);
        strip->WriteLeft();
        strip->SetDroppingSelection(false);
    }
    // The card decides what is recorded now (a single-choice list drops the
    // source picked before): every present source shows what it holds.
    for (ChannelStrip* other : strips_)
        if (other->Conn() >= 0 && other->Bound()) other->Read();
}

// --- what the controller sets ------------------------------------------------

void Trec::setCardName(int i, const QString& productName) {
    // A card's name is text, not a mnemonic.
    card[i]->setText(QString(productName).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

void Trec::checkCard(int i) {
    for (int k = 0; k < kCardItems; ++k) card[k]->setChecked(k == i);
}

void Trec::setCardItemVisible(int i, bool visible) { card[i]->setVisible(visible); }
void Trec::setCardTitle(const QString& title) { frame->Label14->setText(title); }
void Trec::setFrameWidth(int width) { frame->SetWidth(width); }

void Trec::setFramePictures(const QPixmap& horizontal, const QPixmap& vertical) {
    setFrame(frame->Image1, frame->Image2, frame->Image3, frame->Image4, horizontal, vertical);
}

void Trec::showNoMasterLevel(bool shown) { poisson->setVisible(shown); }
void Trec::makeRoomForMasterMute() { poisson->move(poisson->x(), 49); }
bool Trec::magnetChecked() const { return magnet->isChecked(); }
void Trec::startMagnet() { Timer1->start(); }
void Trec::stopMagnet() { Timer1->stop(); }
bool Trec::magnetRunning() const { return Timer1->isActive(); }
