// Construction and layout of a channel strip. The routines that read and
// write the line live in strip_routines.cpp.

#include "play/channel_strip.h"

#include "app/app_context.h"
#include "controls/auto_repeat.h"
#include "controls/panel.h"
#include "controls/picture.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "play/strip_pictures.h"

#include <QLabel>
#include <QPushButton>

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

ChannelStrip::ChannelStrip(QWidget* window, AppContext& context, TAudioMixer* mixer, const StripRow& s)
    : QObject(window), row(s), context_(context), mixer_(mixer) {
    const StripNames& n = *row.names;
    const int index = static_cast<int>(row.conn + 1);
    const int x = 81 + kPitch * index;

    panel = make<TPanel>(window, n.panel, QRect(x, kStripTop, 70, 146));
    panel->SetColor(QColor(36, 36, 40));
    panel->SetTag(1);  // not bound until the binding says so

    namePanel = make<TPanel>(window, n.namePanel, QRect(x + 1, kStripTop, 68, 16));
    namePanel->SetBevel(TPanel::BevelKind::None);
    plate = nullptr;
    if (*row.plate) {
        plate = make<TPicture>(namePanel, row.plate, QRect(0, 0, 68, 16));
        plate->SetPicture(strip_pictures::fill({68, 16}, kSilver));
    }
    nameLabel = make<QLabel>(namePanel, n.nameLabel, QRect(1, 1, 66, 14));
    nameLabel->setAlignment(Qt::AlignCenter);
    nameLabel->setToolTip(QStringLiteral("Click to zoom the name..."));
    QFont nf = nameLabel->font();
    nf.setPixelSize(10);
    nameLabel->setFont(nf);
    nameLabel->setStyleSheet(QStringLiteral("color: black;"));

    holder = make<TPanel>(panel, row.holder, QRect(17, 60, 36, 63));
    holder->SetBevel(TPanel::BevelKind::None);
    holder->SetColor(Qt::black);
    BuildFader(left, Side::Left);
    BuildFader(right, Side::Right);
    right.readout->setToolTip(QStringLiteral("You can edit the right volume here... "));

    const bool source = row.kind == StripKind::PlaySource;
    const QRect linkRect = source ? QRect(42, 126, 20, 13) : QRect(7, 42, 28, 11);
    link = smallPanel(panel, n.link, linkRect, QStringLiteral("L+R"),
                      QStringLiteral("Click to enable/disable the separate channel edition..."));
    link->OnMouseDown = [this](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { LinkMouseDown(); };

    mute = smallPanel(panel, n.mute, QRect(source ? 7 : 35, 42, 28, 11), QStringLiteral("mute"),
                      QStringLiteral("Click to mute that channel..."));
    solo = nullptr;
    if (*n.solo) {
        solo = smallPanel(panel, n.solo, QRect(35, 42, 28, 11), QStringLiteral("solo"),
                          QStringLiteral("Click to listen to the channel in solo..."));
        solo->hide();
    }
    co1 = smallPanel(panel, n.co1, QRect(21, 48, 28, 11), QString(),
                     QStringLiteral("Click to enable this extra control..."));
    co2 = smallPanel(panel, n.co2, QRect(35, 48, 28, 11), QString(), QString());
    for (TPanel* b : {mute, co1, co2}) b->hide();
    for (TPanel* co : {co1, co2})
        co->OnMouseDown = [this, co](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            ToggleSwitch(co, kLime);
        };
    for (TPanel* b : {mute, co1, co2})
        b->OnMouseUp = [this](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            context_.state().ChangeGuard = 0;
        };

    vuL = make<TPicture>(panel, n.vuL, QRect(9, 20, 25, 12));
    vuR = make<TPicture>(panel, n.vuR, QRect(36, 20, 25, 12));
    for (TPicture* vu : {vuL, vuR}) {
        vu->SetPicture(strip_pictures::vuImage());
        vu->setToolTip(QStringLiteral("Click on the VU to zoom it..."));
    }

    routineButton(window, n.editL, this, [this] { WriteLeft(); });
    routineButton(window, n.editR, this, [this] { WriteRight(); });
    routineButton(window, n.getc, this, [this] { Read(); });

    SetLinkedLayout(true);
}

void ChannelStrip::BuildFader(Fader& f, Side side) {
    const StripNames& n = *row.names;
    const bool isLeft = side == Side::Left;
    f.track = make<TPanel>(holder, isLeft ? n.trackL : n.trackR, QRect(isLeft ? 0 : 18, 0, 18, 63));
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

    f.readout = make<TTwoDigitEdit>(panel, isLeft ? n.readL : n.readR, QRect(17, 127, 16, 13));
    QFont rf = f.readout->font();
    rf.setPixelSize(10);
    f.readout->setFont(rf);
    if (isLeft)
        f.readout->OnChange = [this](TTwoDigitEdit*) { WriteLeft(); };
    else
        f.readout->OnChange = [this](TTwoDigitEdit*) { WriteRight(); };

    f.plus = make<TStepButton>(panel, isLeft ? n.stepLPlus : n.stepRPlus, QRect(6, 125, 10, 8));
    f.plus->SetGlyph(TStepButton::GlyphKind::Up);
    f.plus->setToolTip(QStringLiteral("Click to set the volume + 1..."));
    f.minus = make<TStepButton>(panel, isLeft ? n.stepLMinus : n.stepRMinus, QRect(6, 134, 10, 8));
    f.minus->SetGlyph(TStepButton::GlyphKind::Down);
    f.minus->setToolTip(QStringLiteral("Click to set the volume - 1..."));
}

void ChannelStrip::AttachSteps(AutoRepeat& repeat, int number) {
    const auto step = [this](TTwoDigitEdit* readout, int direction) {
        return [this, readout, direction] { stepReadout(readout, direction, context_.state().StepSize); };
    };
    repeat.attach(left.plus, 100 * number + 11, step(left.readout, +1));
    repeat.attach(left.minus, 100 * number + 12, step(left.readout, -1));
    repeat.attach(right.plus, 100 * number + 21, step(right.readout, +1));
    repeat.attach(right.minus, 100 * number + 22, step(right.readout, -1));
}

int ChannelStrip::Dest() const {
    const SharedState& s = context_.state();
    return row.kind == StripKind::Rec ? s.RecDestIndex : s.PlayDestIndex;
}

bool ChannelStrip::Bound() const { return panel->Tag() == 0; }

bool ChannelStrip::Linked() const { return link->Bevel() == TPanel::BevelKind::Raised; }

void ChannelStrip::SetBound(bool bound) {
    panel->SetTag(bound ? 0 : 1);
    panel->setVisible(bound);
    namePanel->setVisible(bound);
}

void ChannelStrip::MoveToSlot(int slot) {
    panel->move(kPitch * slot + 10, kStripTop);
    namePanel->move(kPitch * slot + 11, kStripTop);
    namePanel->SetTag(kPitch * slot + 11);
    namePanel->raise();
}

void ChannelStrip::SetLinkedLayout(bool linked) {
    const bool source = row.kind == StripKind::PlaySource;
    link->SetBevel(linked ? TPanel::BevelKind::Raised : TPanel::BevelKind::Lowered);
    link->SetCaption(linked ? QStringLiteral("L+R")
                            : (row.kind == StripKind::Rec ? QStringLiteral("L | R") : QStringLiteral("L|R")));
    right.track->setVisible(!linked);
    left.track->move(linked ? 9 : 0, 0);
    left.readout->setToolTip(linked ? kHintBoth : kHintLeft);
    right.readout->setVisible(!linked);
    right.plus->setVisible(!linked);
    right.minus->setVisible(!linked);
    if (source) {
        link->move(linked ? 42 : 24, link->y());
        left.readout->move(linked ? 23 : 5, 126);
        left.plus->move(linked ? 11 : 5, linked ? 124 : 108);
        left.minus->move(linked ? 11 : 5, linked ? 132 : 116);
        right.readout->move(47, 126);
        right.plus->move(53, 108);
        right.minus->move(53, 116);
    } else {
        left.readout->move(linked ? 26 : 17, 127);
        left.plus->move(linked ? 14 : 6, 125);
        left.minus->move(linked ? 14 : 6, 134);
        right.readout->move(35, 127);
        right.plus->move(53, 125);
        right.minus->move(53, 134);
    }
}

void ChannelStrip::SetRecLineLayout(bool stereo) {
    link->setVisible(stereo);
    SetLinkedLayout(!stereo);
    mute->move(stereo ? 35 : 21, mute->y());
    if (!stereo) right.readout->setText(left.readout->text());
}

void ChannelStrip::SetPlayMono() {
    link->hide();
    if (row.kind == StripKind::PlaySource) left.readout->move(26, left.readout->y());
}
