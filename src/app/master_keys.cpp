#include "app/master_keys.h"

#include "app/mixer_controller.h"
#include "controls/level_balloon.h"
#include "controls/tray_icon.h"
#include "controls/volume_keys.h"
#include "controls/wheel_steps.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/shared_state.h"

#include <QLoggingCategory>
#include <QSystemTrayIcon>
#include <QWheelEvent>

#include <cstdlib>

namespace {
Q_LOGGING_CATEGORY(lcLevel, "tavlo.keys", QtInfoMsg)
}  // namespace

MasterKeys::MasterKeys(SharedState& state, TForm1& play, Trec& rec, MixerController& controller, QObject* parent)
    : QObject(parent),
      state_(state),
      play_(play),
      rec_(rec),
      controller_(controller),
      keys_(std::make_unique<VolumeKeys>()),
      balloon_(std::make_unique<TLevelBalloon>()) {
    connect(keys_.get(), &VolumeKeys::stepRequested, this, &MasterKeys::Step);
    connect(keys_.get(), &VolumeKeys::muteRequested, this, &MasterKeys::ToggleMute);
    // An XEmbed tray's icon hands its wheel events to the tray icon object,
    // and so does the icon's own item on a StatusNotifier host.
    play_.TrayIconF1->SetWantsWheel(true);
    play_.TrayIconF1->Tray()->installEventFilter(this);
}

MasterKeys::~MasterKeys() = default;

void MasterKeys::Step(int direction) {
    if (state_.StartingUp || !play_.Master().bound) return;
    play_.StepMaster(direction * kStep);
    showLevel();
}

void MasterKeys::ToggleMute() {
    if (state_.StartingUp || !play_.Master().bound) return;
    // The speaker icon's double click: the mute and the icon's picture.
    controller_.TrayIconF2DblClick();
    showLevel();
}

QString MasterKeys::LevelText() const {
    const TForm1::MasterShown m = play_.Master();
    if (m.muted) return QStringLiteral("%1: muted").arg(m.name);
    if (m.left == m.right) return QStringLiteral("%1: %2").arg(m.name).arg(m.left);
    return QStringLiteral("%1: %2 | %3").arg(m.name).arg(m.left).arg(m.right);
}

void MasterKeys::showLevel() {
    // A mixer window in sight shows the change itself.
    if (play_.isVisible() || rec_.isVisible()) {
        balloon_->hide();
        return;
    }
    const QSystemTrayIcon* icon = play_.TrayIconF1->Tray();
    const QString text = LevelText();
    qCDebug(lcLevel).noquote() << "on-screen level:" << text;
    balloon_->ShowLevel(text, icon->isVisible() ? icon->geometry() : QRect());
}

bool MasterKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || watched != play_.TrayIconF1->Tray()) return false;
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const WheelNotches n = addWheelDelta(wheelRemainder_, wheel->angleDelta().y());
    wheelRemainder_ = n.remainder;
    for (int i = 0; i < std::abs(n.notches); ++i) Step(n.notches > 0 ? 1 : -1);
    return true;
}
