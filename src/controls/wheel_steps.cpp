#include "controls/wheel_steps.h"

#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>

WheelNotches addWheelDelta(int remainder, int delta) {
    // Turning back starts afresh: half a notch up and then half a notch
    // down should not step at all.
    if ((remainder > 0 && delta < 0) || (remainder < 0 && delta > 0)) remainder = 0;
    // 64 bits: a delta near the end of int must not overflow.
    const qint64 total = qint64(remainder) + delta;
    return {static_cast<int>(total / kWheelNotch), static_cast<int>(total % kWheelNotch)};
}

WheelSteps::WheelSteps(QObject* parent) : QObject(parent) {}

void WheelSteps::watch(QWidget* widget, std::function<void(int direction)> step) {
    // The parts are watched themselves rather than trusted to pass the
    // wheel on: only the window system's own events travel to parents.
    QList<QWidget*> parts = widget->findChildren<QWidget*>();
    parts.prepend(widget);
    for (QWidget* w : parts) {
        steps_[w] = step;
        w->installEventFilter(this);
        connect(w, &QObject::destroyed, this, [this](QObject* gone) { steps_.erase(gone); });
    }
}

bool WheelSteps::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel) return false;
    const auto it = steps_.find(watched);
    if (it == steps_.end()) return false;
    const auto& wheel = static_cast<const QWheelEvent&>(*event);
    int delta = wheel.angleDelta().y();
    if (delta == 0) return false;  // sideways: not a step
    // With the desktop's scrolling reversed ("natural" scrolling) the
    // delta comes reversed too; the value goes the way the fingers go.
    if (wheel.inverted()) delta = -delta;
    if (Allowed && !Allowed()) {
        remainder_ = 0;
        return true;
    }
    const WheelNotches turn = addWheelDelta(remainder_, delta);
    remainder_ = turn.remainder;
    const std::function<void(int)> step = it->second;  // a step may change what is watched
    for (int i = 0; i < std::abs(turn.notches); ++i) step(turn.notches > 0 ? +1 : -1);
    return true;
}
