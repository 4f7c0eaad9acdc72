// Construction and layout of a channel strip. The routines that read and
// write the line live in strip_routines.cpp.

#include "strips/channel_strip.h"

#include "controls/auto_repeat.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "controls/wheel_steps.h"
#include "mixer/audio_mixer.h"
#include "strips/shared_state.h"
#include "strips/strip_pictures.h"

#include <QLabel>
#include <QPushButton>

#include <memory>

namespace {

constexpr int kStripTop = 16;
constexpr int kPitch = 71;
const QString kHintBoth = QStringLiteral("You can edit the left and right volume here... ");
const QString kHintLeft = QStringLiteral("You can edit the left volume here... ");

template <class W>
W* make(QWidget* parent, const char* name, QRect geometry) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

TPanel* smallPanel(QWidget* parent, const char* name, QRect geometry, const QString& caption, const QString& hint) {
    auto* p = make<TPanel>(parent, name, geometry);
    p->SetCaption(caption);
    p->setToolTip(hint);
    QFont f = p->font();
    f.setPixelSize(9);
    p->setFont(f);
    return p;
}

// A hidden push button that carries one of the strip's routines, so the
// routines can be run by name as the windows' other procedures are.
void routineButton(QWidget* window, const char* name, QObject* receiver, std::function<void()> routine) {
    auto* b = new QPushButton(window);
    b->setObjectName(QString::fromLatin1(name));
    b->hide();
    QObject::connect(b, &QPushButton::clicked, receiver, [routine = std::move(routine)] { routine(); });
}

}  // namespace

ChannelStrip::ChannelStrip(QWidget* window, SharedState& state, TAudioMixer* mixer, const StripRow& s)
    : QObject(window), row(s), state_(state), mixer_(mixer) {
    const StripNames& n = *row.names;
    const int index = static_cast<int>(row.conn + 1);
    const int x = 81 + kPitch * index;

    panel_ = make<TPanel>(window, n.panel, QRect(x, kStripTop, 70, 146));
    panel_->SetColor(QColor(36, 36, 40));
    panel_->SetTag(1);  // not bound until the binding says so

    namePanel_ = make<TPanel>(window, n.namePanel, QRect(x + 1, kStripTop, 68, 16));
    namePanel_->SetBevel(TPanel::BevelKind::None);
    plate_ = nullptr;
    if (*row.plate) {
        plate_ = make<TPicture>(namePanel_, row.plate, QRect(0, 0, 68, 16));
        plate_->SetPicture(strip_pictures::fill({68, 16}, kSilver));
    }
    nameLabel_ = make<QLabel>(namePanel_, n.nameLabel, QRect(1, 1, 66, 14));
    nameLabel_->setAlignment(Qt::AlignCenter);
    nameLabel_->setToolTip(QStringLiteral("Click to zoom the name..."));
    QFont nf = nameLabel_->font();
    nf.setPixelSize(10);
    nameLabel_->setFont(nf);
    nameLabel_->setStyleSheet(QStringLiteral("color: black;"));

    holder_ = make<TPanel>(panel_, row.holder, QRect(17, 60, 36, 63));
    holder_->SetBevel(TPanel::BevelKind::None);
    holder_->SetColor(Qt::black);
    wheel_ = new WheelSteps(this);
    // A drag owns the fader until its release.
    wheel_->Allowed = [this] { return !state_.ChangeGuard.dragging(); };
    BuildFader(left_, Side::Left);
    BuildFader(right_, Side::Right);
    right_.readout->setToolTip(QStringLiteral("You can edit the right volume here... "));
    BuildButtons();

    routineButton(window, n.editL, this, [this] { WriteLeft(); });
    routineButton(window, n.editR, this, [this] { WriteRight(); });
    routineButton(window, n.getc, this, [this] { Read(); });

    SetLinkedLayout(true);
}

void ChannelStrip::BuildButtons() {
    const StripNames& n = *row.names;
    const bool source = row.kind == StripKind::PlaySource;
    const QRect linkRect = source ? QRect(42, 126, 20, 13) : QRect(7, 42, 28, 11);
    link_ = smallPanel(panel_, n.link, linkRect, QStringLiteral("L+R"),
                       QStringLiteral("Click to enable/disable the separate channel edition..."));
    link_->OnMouseDown = [this](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { LinkMouseDown(); };

    mute_ = smallPanel(panel_, n.mute, QRect(source ? 7 : 35, 42, 28, 11), QStringLiteral("mute"),
                       QStringLiteral("Click to mute that channel..."));
    mute_->OnMouseDown = [this](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { MutePressed(); };
    solo_ = nullptr;
    if (*n.solo) {
        solo_ = smallPanel(panel_, n.solo, QRect(35, 42, 28, 11), QStringLiteral("solo"),
                           QStringLiteral("Click to listen to the channel in solo..."));
        solo_->hide();
        solo_->OnMouseDown = [this](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            emit soloPressed(this);
        };
    }
    co1_ = smallPanel(panel_, n.co1, QRect(21, 48, 28, 11), QString(),
                      QStringLiteral("Click to enable this extra control..."));
    co2_ = smallPanel(panel_, n.co2, QRect(35, 48, 28, 11), QString(), QString());
    for (TPanel* b : {mute_, co1_, co2_}) b->hide();
    for (TPanel* co : {co1_, co2_})
        co->OnMouseDown = [this, co](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            ToggleSwitch(co, kLime);
        };

    vuL_ = make<TPicture>(panel_, n.vuL, QRect(9, 20, 25, 12));
    vuR_ = make<TPicture>(panel_, n.vuR, QRect(36, 20, 25, 12));
    for (TPicture* vu : {vuL_, vuR_}) {
        vu->SetPicture(strip_pictures::vuImage());
        vu->setToolTip(QStringLiteral("Click on the VU to zoom it..."));
    }
}

void ChannelStrip::MutePressed() {
    switch (row.kind) {
        case StripKind::PlaySource:
            // The user's own choice is what a later un-solo gives back.
            ToggleSwitch(mute_, kRed);
            SetMuteMemory(MuteOn() ? 1 : 0);
            return;
        case StripKind::PlayMaster:
            ToggleSwitch(mute_, kRed);
            return;
        case StripKind::Rec:
            if (row.conn < 0)
                ToggleSwitch(mute_, kRed);
            else
                emit selectPressed(this);
            return;
    }
}

void ChannelStrip::BuildFader(Fader& f, Side side) {
    const StripNames& n = *row.names;
    const bool isLeft = side == Side::Left;
    f.track = make<TPanel>(holder_, isLeft ? n.trackL : n.trackR, QRect(isLeft ? 0 : 18, 0, 18, 63));
    f.track->SetBevel(TPanel::BevelKind::None);
    f.track->SetColor(Qt::black);
    f.levc = make<TPicture>(f.track, isLeft ? n.levcL : n.levcR, QRect(2, 3, 15, 57));
    f.levc->SetPicture(strip_pictures::trackHighlight());
    f.level = make<TPicture>(f.track, isLeft ? n.levelL : n.levelR, QRect(2, 3, 15, 57));
    f.level->SetPicture(strip_pictures::track());
    f.shadow = make<TPicture>(f.track, isLeft ? n.shadL : n.shadR, QRect(0, 50, 18, 13));
    f.shadow->SetPicture(strip_pictures::shadow());
    f.shadow->hide();
    f.cursor = make<TPicture>(f.track, isLeft ? n.cursL : n.cursR, QRect(0, 50, 18, 13));
    f.cursor->SetPicture(strip_pictures::cursor());
    f.cursor->setToolTip(QStringLiteral("Drag the cursor to change the volume..."));
    f.cursor->OnMouseDown = [this, side](TPicture*, Qt::MouseButton, Qt::KeyboardModifiers, int, int y) {
        CursorDown(side, y);
    };
    f.cursor->OnMouseMove = [this, side](TPicture*, Qt::MouseButtons, Qt::KeyboardModifiers, int, int y) {
        CursorMove(side, y);
    };
    f.cursor->OnMouseUp = [this, side](TPicture*, Qt::MouseButton, Qt::KeyboardModifiers, int, int y) {
        CursorUp(side, y);
    };
    // The release will not come: the drag ends where the shadow stands.
    f.cursor->OnCaptureLost = [this, side](TPicture*) { EndDrag(side, fader(side).shadow->y()); };

    f.readout = make<TTwoDigitEdit>(panel_, isLeft ? n.readL : n.readR, QRect(17, 127, 16, 13));
    QFont rf = f.readout->font();
    rf.setPixelSize(10);
    f.readout->setFont(rf);
    // While Read fills both read-outs, their write-back waits for both.
    if (isLeft)
        f.readout->OnChange = [this](TTwoDigitEdit*) { reading_ ? void(readChanged_ = true) : WriteLeft(); };
    else
        f.readout->OnChange = [this](TTwoDigitEdit*) { reading_ ? void(readChanged_ = true) : WriteRight(); };

    f.plus = make<TStepButton>(panel_, isLeft ? n.stepLPlus : n.stepRPlus, QRect(6, 125, 10, 8));
    f.plus->SetGlyph(TStepButton::GlyphKind::Up);
    f.plus->setToolTip(QStringLiteral("Click to set the volume + 1..."));
    f.minus = make<TStepButton>(panel_, isLeft ? n.stepLMinus : n.stepRMinus, QRect(6, 134, 10, 8));
    f.minus->SetGlyph(TStepButton::GlyphKind::Down);
    f.minus->setToolTip(QStringLiteral("Click to set the volume - 1..."));

    // The track with its pictures and cursor, and the read-out.
    for (QWidget* w : std::initializer_list<QWidget*>{f.track, f.readout})
        wheel_->watch(w, [this, side](int direction) { WheelStep(side, direction); });
}

void ChannelStrip::AttachSteps(AutoRepeat& repeat, int number) {
    const auto step = [this](TTwoDigitEdit* readout, int direction) {
        return [this, readout, direction] { stepReadout(readout, direction, state_.StepSize); };
    };
    repeat.attach(left_.plus, 100 * number + 11, step(left_.readout, +1));
    repeat.attach(left_.minus, 100 * number + 12, step(left_.readout, -1));
    repeat.attach(right_.plus, 100 * number + 21, step(right_.readout, +1));
    repeat.attach(right_.minus, 100 * number + 22, step(right_.readout, -1));
}

void ChannelStrip::GuardRepeats(AutoRepeat& repeat, SharedState& state) {
    auto hold = std::make_shared<ChangeGuard::Hold>();
    repeat.OnHeld = [&state, hold](bool held) {
        if (held)
            *hold = state.ChangeGuard.hold();
        else
            hold->release();
    };
}

int ChannelStrip::Dest() const { return row.kind == StripKind::Rec ? state_.RecDestIndex : state_.PlayDestIndex; }

bool ChannelStrip::Bound() const { return panel_->Tag() == 0; }

bool ChannelStrip::Linked() const { return link_->Bevel() == TPanel::BevelKind::Raised; }

void ChannelStrip::SetBound(bool bound) {
    panel_->SetTag(bound ? 0 : 1);
    panel_->setVisible(bound);
    namePanel_->setVisible(bound);
}

void ChannelStrip::MarkBound(bool bound) { panel_->SetTag(bound ? 0 : 1); }

void ChannelStrip::MoveToSlot(int slot) {
    panel_->move(kPitch * slot + 10, kStripTop);
    namePanel_->move(kPitch * slot + 11, kStripTop);
    namePanel_->SetTag(kPitch * slot + 11);
    namePanel_->raise();
}

void ChannelStrip::SetLinkedLayout(bool linked) {
    const bool source = row.kind == StripKind::PlaySource;
    link_->SetBevel(linked ? TPanel::BevelKind::Raised : TPanel::BevelKind::Lowered);
    link_->SetCaption(linked ? QStringLiteral("L+R")
                             : (row.kind == StripKind::Rec ? QStringLiteral("L | R") : QStringLiteral("L|R")));
    right_.track->setVisible(!linked);
    left_.track->move(linked ? 9 : 0, 0);
    left_.readout->setToolTip(linked ? kHintBoth : kHintLeft);
    right_.readout->setVisible(!linked);
    right_.plus->setVisible(!linked);
    right_.minus->setVisible(!linked);
    if (source) {
        link_->move(linked ? 42 : 24, link_->y());
        left_.readout->move(linked ? 23 : 5, 126);
        left_.plus->move(linked ? 11 : 5, linked ? 124 : 108);
        left_.minus->move(linked ? 11 : 5, linked ? 132 : 116);
        right_.readout->move(47, 126);
        right_.plus->move(53, 108);
        right_.minus->move(53, 116);
    } else {
        left_.readout->move(linked ? 26 : 17, 127);
        left_.plus->move(linked ? 14 : 6, 125);
        left_.minus->move(linked ? 14 : 6, 134);
        right_.readout->move(35, 127);
        right_.plus->move(53, 125);
        right_.minus->move(53, 134);
    }
}

void ChannelStrip::SetRecLineLayout(bool stereo) {
    link_->setVisible(stereo);
    SetLinkedLayout(!stereo);
    mute_->move(stereo ? 35 : 21, mute_->y());
    if (!stereo) right_.readout->setText(left_.readout->text());
}

void ChannelStrip::SetPlayMono() {
    link_->hide();
    if (row.kind == StripKind::PlaySource) left_.readout->move(26, left_.readout->y());
}

void ChannelStrip::SetPlayStereo() { link_->show(); }

// --- binding ---------------------------------------------------------------

namespace {

constexpr int kNoControl = -2;

bool isSwitchClass(DWORD type) { return (type >> 28) == 2; }

QString switchCaption(const MIXERCONTROL& c) {
    return QString::fromLocal8Bit(c.szName).trimmed().left(4).trimmed().toLower();
}

}  // namespace

void ChannelStrip::ResetBinding() {
    panel_->SetTag(1);
    for (TPanel* p : {mute_, co1_, co2_}) {
        p->SetTag(kNoControl);
        p->hide();
    }
    mute_->move(mute_->x(), 42);
    if (solo_) {
        solo_->hide();
        solo_->move(solo_->x(), 42);
    }
    if (row.kind != StripKind::PlaySource) link_->move(link_->x(), 42);
    panel_->show();
    namePanel_->show();
}

void ChannelStrip::SetName(const QString& name) { nameLabel_->setText(name); }

QString ChannelStrip::Name() const { return nameLabel_->text(); }

int ChannelStrip::MuteIndex() const { return mute_->Tag(); }

void ChannelStrip::BindMute(int index, const QString& hint) {
    mute_->SetTag(index);
    mute_->SetCaption(QStringLiteral("mute"));
    mute_->setToolTip(hint);
    mute_->show();
    if (solo_) solo_->show();
}

void ChannelStrip::BindSelect(int index) {
    mute_->SetTag(index);
    mute_->SetCaption(QStringLiteral("select"));
    mute_->setToolTip(QStringLiteral("Click to select that channel..."));
    mute_->show();
}

void ChannelStrip::RaiseMasterButtons() {
    mute_->move(mute_->x(), 36);
    link_->move(link_->x(), 36);
}

// The buttons row moves up to make room for the extra switches.
void ChannelStrip::RaiseButtonRow() {
    mute_->move(mute_->x(), 36);
    if (solo_)
        solo_->move(solo_->x(), 36);
    else
        link_->move(link_->x(), 36);
}

void ChannelStrip::BindSwitch(int i, const MIXERCONTROL& c, bool skipMute) {
    if (!isSwitchClass(c.dwControlType)) return;
    const QString hint = QString::fromLocal8Bit(c.szName).trimmed();
    const bool isMute = skipMute && i == mute_->Tag();
    if (!isMute && co1_->Tag() == kNoControl) {
        co1_->SetTag(i);
        co1_->move(21, co1_->y());
        co1_->SetCaption(switchCaption(c));
        co1_->setToolTip(hint);
        co1_->show();
        RaiseButtonRow();
    }
    if (i != mute_->Tag() && i != co1_->Tag() && i != co2_->Tag()) {
        co2_->SetTag(i);
        co2_->SetCaption(switchCaption(c));
        co2_->setToolTip(hint);
        co2_->show();
        co1_->move(7, co1_->y());
        RaiseButtonRow();
    }
}

void ChannelStrip::ShowLevelControls(bool shown) {
    holder_->setVisible(shown);
    left_.readout->setVisible(shown);
    left_.plus->setVisible(shown);
    left_.minus->setVisible(shown);
    const bool rightShown = shown && !Linked();
    right_.readout->setVisible(rightShown);
    right_.plus->setVisible(rightShown);
    right_.minus->setVisible(rightShown);
}

// --- the buttons' states -----------------------------------------------------

bool ChannelStrip::MuteOn() const { return mute_->Color() == kRed; }

void ChannelStrip::SetMuteOn(bool on) { SetSwitch(mute_, on, kRed); }

bool ChannelStrip::SoloOn() const { return solo_ && solo_->Color() == kLime; }

void ChannelStrip::SetSoloOn(bool on) {
    if (solo_) SetSwitch(solo_, on, kLime);
}

int ChannelStrip::MuteMemory() const { return mute_->Tag(); }

void ChannelStrip::SetMuteMemory(int value) { mute_->SetTag(value); }
