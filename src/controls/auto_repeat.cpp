#include "controls/auto_repeat.h"

#include "controls/two_digit_edit.h"

#include <QEvent>

#include <algorithm>

AutoRepeat::AutoRepeat(std::int32_t& repeatCode, int intervalMs, QObject* parent)
    : QObject(parent), repeatCode_(repeatCode), timer_(new QTimer(this)) {
    timer_->setInterval(intervalMs);
    connect(timer_, &QTimer::timeout, this, &AutoRepeat::tick);
}

void AutoRepeat::attach(TStepButton* button, int code, std::function<void()> step) {
    steps_[code] = step;
    button->OnMouseDown = [this, code](TStepButton* b, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        press(b, code);
    };
    button->OnMouseUp = [this](TStepButton*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { release(); };
    button->OnClick = [step = std::move(step)](TStepButton*) { step(); };
}

void AutoRepeat::press(TStepButton* button, int code) {
    if (held_ != button) {
        if (held_) held_->removeEventFilter(this);
        held_ = button;
        if (held_) held_->installEventFilter(this);
    }
    repeatCode_ = code;
    timer_->start();
    if (OnHeld) OnHeld(true);
}

void AutoRepeat::release() {
    if (held_) {
        held_->removeEventFilter(this);
        held_ = nullptr;
    }
    repeatCode_ = 0;
    timer_->stop();
    if (OnHeld) OnHeld(false);
}

bool AutoRepeat::eventFilter(QObject* watched, QEvent* event) {
    if (watched == held_ &&
        (event->type() == QEvent::Hide || (event->type() == QEvent::EnabledChange && !held_->isEnabled())))
        release();
    return false;
}

void AutoRepeat::tick() {
    auto it = steps_.find(repeatCode_);
    if (it != steps_.end()) it->second();
}

void stepReadout(TTwoDigitEdit* readout, int direction, int stepSize) {
    const int value = readout->Value();
    if (direction > 0 ? value >= 99 : value <= 0) return;
    readout->setText(QString::number(std::clamp(value + direction * stepSize, 0, 99)));
}
