#include "controls/auto_repeat.h"

#include "controls/two_digit_edit.h"

#include <algorithm>

AutoRepeat::AutoRepeat(std::int32_t& repeatCode, std::uint8_t& changeGuard, int intervalMs, QObject* parent)
    : QObject(parent), repeatCode_(repeatCode), changeGuard_(changeGuard), timer_(new QTimer(this)) {
    timer_->setInterval(intervalMs);
    connect(timer_, &QTimer::timeout, this, &AutoRepeat::tick);
}

void AutoRepeat::attach(TStepButton* button, int code, std::function<void()> step) {
    steps_[code] = step;
    button->OnMouseDown = [this, code](TStepButton*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { press(code); };
    button->OnMouseUp = [this](TStepButton*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { release(); };
    button->OnClick = [step = std::move(step)](TStepButton*) { step(); };
}

void AutoRepeat::press(int code) {
    repeatCode_ = code;
    changeGuard_ = 1;
    timer_->start();
}

void AutoRepeat::release() {
    repeatCode_ = 0;
    timer_->stop();
    changeGuard_ = 0;
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
