#pragma once
// Auto-repeat of step buttons. While a step button is held its code is the
// shared repeat code, OnHeld(true) has told the owner (who guards its
// writes meanwhile) and a timer performs one step of the held button per
// tick; the release stops it, and the click that follows a release over the
// button makes one more step. So a short click is exactly one step, and
// releasing outside stops without a last one. A held button that is hidden
// or disabled will see no release: the repeat stops there too.

#include "controls/step_button.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>

class AutoRepeat : public QObject {
    Q_OBJECT
public:
    AutoRepeat(std::int32_t& repeatCode, int intervalMs, QObject* parent = nullptr);

    // True when a button is pressed, false when the repeat ends.
    std::function<void(bool held)> OnHeld;

    // The repeat timer (the owning window gives it its name).
    QTimer* timer() const { return timer_; }

    // Takes over the button's press, release and click events.
    void attach(TStepButton* button, int code, std::function<void()> step);

    void press(TStepButton* button, int code);
    void release();
    bool holding() const { return held_ != nullptr; }
    // One step of the button whose code is held; a code that matches no
    // button does nothing.
    void tick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::int32_t& repeatCode_;
    QTimer* timer_;
    QPointer<TStepButton> held_;
    std::map<int, std::function<void()>> steps_;
};

class TTwoDigitEdit;

// One click of a "+" or "-" button on a read-out: nothing at the end of the
// range, otherwise the read-out moves by stepSize (its change handler then
// writes the line).
void stepReadout(TTwoDigitEdit* readout, int direction, int stepSize);
