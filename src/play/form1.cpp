#include "play/form1.h"

#include "controls/auto_repeat.h"
#include "controls/panel.h"
#include "controls/smooth_show.h"
#include "controls/step_button.h"
#include "controls/tray_icon.h"
#include "controls/tray_pictures.h"
#include "mixer/audio_mixer.h"
#include "play/tone_control.h"
#include "play/tone_panel.h"
#include "strips/channel_strip.h"
#include "strips/name_zoom.h"
#include "strips/shared_state.h"
#include "strips/skins.h"
#include "strips/strip_buttons.h"
#include "strips/window_frame.h"

#include <QComboBox>
#include <QLabel>

namespace {

QComboBox* nameStore(QWidget* window, const char* name) {
    auto* box = new QComboBox(window);
    box->setObjectName(QString::fromLatin1(name));
    box->hide();
    return box;
}

}  // namespace

namespace {

TTrayIconF* trayIcon(QObject* owner, const char* name, const char* tip, const QIcon& icon) {
    auto* t = new TTrayIconF(owner);
    t->setObjectName(QString::fromLatin1(name));
    t->SetToolTip(QString::fromLatin1(tip));
    t->SetIcon(icon);
    return t;
}

}  // namespace

TForm1::TForm1(SharedState& state, MixerService& service)
    : TavloWindow(QStringLiteral("Form1"), QStringLiteral("Tavlo by Varnel")),
      pictures{TrayPictureIcon(TrayPicture::soundyesi), TrayPictureIcon(TrayPicture::soundyesno),
               TrayPictureIcon(TrayPicture::soundnoi), TrayPictureIcon(TrayPicture::recplay),
               TrayPictureIcon(TrayPicture::recplayno)},
      state_(state) {
    setFixedSize(944, 173);
    setToolTip(QStringLiteral("Drag the mixer with the borders..."));
    setBlackBackground();

    Mixer = new TAudioMixer(service, this);
    Mixer->setObjectName(QStringLiteral("Mixer"));
    Mixer1 = new TAudioMixer(service, this);
    Mixer1->setObjectName(QStringLiteral("Mixer1"));
    Mixer1->SetMixerId(1);

    frame = std::make_unique<WindowFrame>(this, 944, 173, "Right-click show the menu, ,Click to hide the play mixer.");
    tone = std::make_unique<TonePanel>(this);
    repeat = new AutoRepeat(state.RepeatCode, 75, this);
    repeat->timer()->setObjectName(QStringLiteral("Timer4"));
    ChannelStrip::GuardRepeats(*repeat, state);
    treble = std::make_unique<ToneControl>(
        state, Mixer, ToneControl::Kind::Treble,
        ToneControl::Widgets{tone->RotaryKnob1, tone->MaskEdit3, tone->treplus, tone->tremoins}, *repeat);
    bass = std::make_unique<ToneControl>(
        state, Mixer, ToneControl::Kind::Bass,
        ToneControl::Widgets{tone->RotaryKnob2, tone->MaskEdit4, tone->basplus, tone->bassmoins}, *repeat);
    new NameZoom(tone->Panel3, tone->Label6, NameZoom::Rules{.stretchLabel = true, .growLeft = false, .raise = true});
    tone->lrrl->OnMouseDown = [this](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { lrrlMouseDown(); };
    for (const StripRow& row : playStripTable()) {
        auto* strip = new ChannelStrip(this, state, Mixer, row);
        strips_.push_back(strip);
        strip->AttachSteps(*repeat, static_cast<int>(strips_.size()));
        strip->AttachButtons(static_cast<int>(strips_.size()));
        connect(strip, &ChannelStrip::soloPressed, this,
                [this](ChannelStrip* soloed) { soloMouseDown(state_, strips_, soloed); });
        connect(strip, &ChannelStrip::meterChosen, this, &TForm1::meterRequested);
    }

    for (TPanel* corner : {frame->Panel2, frame->Panel32, frame->Panel108, frame->Panel107})
        corner->OnClick = [this](TPanel*) { emit cornerClicked(); };
    TrayIconF1 = trayIcon(this, "TrayIconF1", "Right-click show the menu, Click to show/hide the play mixer, ",
                          pictures.soundyesi);
    TrayIconF2 = trayIcon(this, "TrayIconF2", "Right-click show the menu, Click to show/hide the play and rec",
                          pictures.recplay);
    SmoothShow1 = new TSmoothShow(this);
    SmoothShow1->SetColor(QColor(128, 255, 128));
    SmoothShow1->setObjectName(QStringLiteral("SmoothShow1"));
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(10);
    Timer2->setSingleShot(true);

    ComboBox1 = nameStore(this, "ComboBox1");
    ComboBox2 = nameStore(this, "ComboBox2");
    ComboBox3 = nameStore(this, "ComboBox3");
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::destinationChosen);

    // Runs from creation: the splash phase ends 3 s after this window was
    // made, or at the first turn of the event loop if start-up took longer.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    Timer1->start();
    centre();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    SharedState& s = state_;
    s.FirstBinding = true;
    s.StartingUp = true;
    for (ChannelStrip* strip : strips_) strip->MarkUnbound();
    s.InitDone = false;
    hide();
    s.StepSize = 1;
    s.MixerIndex = 0;
    s.RecHasMasterLevel = false;
    s.MeterSourceIndex = 255;
    s.HasTreble = false;
    s.HasBass = false;
    for (TStepButton* b : {tone->treplus, tone->tremoins, tone->basplus, tone->bassmoins}) b->setEnabled(false);
    Mixer->SetMixerId(s.MixerIndex);
    s.OverPeakCount = 0;
    s.LeftPeakHold = 0;
    s.RightPeakHold = 0;
}

bool TForm1::MasterSounding() const { return !strips_.front()->MuteOn(); }

void TForm1::ToggleMasterMute() {
    ChannelStrip* master = strips_.front();
    const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
    master->SetMuteOn(!master->MuteOn());
    master->WriteLeft();
}

void TForm1::StepMaster(int delta) { strips_.front()->StepLevels(delta); }

TForm1::MasterShown TForm1::Master() const {
    const ChannelStrip* master = strips_.front();
    return {master->Bound(), master->Name(), master->LeftReadout(),
            master->Linked() ? master->LeftReadout() : master->RightReadout(), master->MuteOn()};
}

void TForm1::lrrlMouseDown() {
    TPanel* b = tone->lrrl;
    const bool swap = b->Caption() == QStringLiteral("<L R>");
    b->SetCaption(swap ? QStringLiteral("<R L>") : QStringLiteral("<L R>"));
    b->SetBevel(swap ? TPanel::BevelKind::Lowered : TPanel::BevelKind::Raised);
    state_.SwapLR = swap;
}

// --- what the binding sets and reads ---------------------------------------

namespace {

void fillStore(QComboBox* box, const QStringList& names) {
    box->clear();
    box->addItems(names);
}

}  // namespace

void TForm1::setDestinationNames(const QStringList& names) {
    fillStore(ComboBox1, names);
    if (ComboBox1->count() > 0) ComboBox1->setCurrentIndex(0);
}

void TForm1::setPlaybackLineNames(const QStringList& names) { fillStore(ComboBox2, names); }
void TForm1::setRecordingLineNames(const QStringList& names) { fillStore(ComboBox3, names); }
QString TForm1::playbackLineName(int k) const { return k < ComboBox2->count() ? ComboBox2->itemText(k) : QString(); }
QString TForm1::recordingLineName(int k) const { return k < ComboBox3->count() ? ComboBox3->itemText(k) : QString(); }
void TForm1::setCardTitle(const QString& title) { frame->Label14->setText(title); }
void TForm1::setFrameWidth(int width) { frame->SetWidth(width); }

void TForm1::setFramePictures(const QPixmap& horizontal, const QPixmap& vertical) {
    setFrame(frame->Image1, frame->Image2, frame->Image3, frame->Image4, horizontal, vertical);
}

void TForm1::showTonePanel(bool shown) {
    QWidget* panel = tone->chatune;
    if (!shown) {
        panel->hide();
        return;
    }
    panel->move(10, panel->y());
    panel->show();
}
