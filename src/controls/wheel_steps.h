#pragma once
// WheelSteps: the mouse wheel over a watched widget steps that widget's
// value, one step per notch, as users expect of faders and knobs. Wheels
// that report finer than a notch (high-resolution wheels, touchpads) add
// up to whole notches; the part of a notch not yet stepped is kept for the
// next event, and dropped when the wheel turns the other way.

#include <QObject>

#include <functional>
#include <map>

class QWidget;

// One notch of a common wheel, in the eighths of a degree Qt reports.
inline constexpr int kWheelNotch = 120;

struct WheelNotches {
    int notches;    // whole notches to step: positive up, negative down
    int remainder;  // what is kept towards the next notch
};

// Adds a wheel delta to the remainder of the earlier ones.
WheelNotches addWheelDelta(int remainder, int delta);

class WheelSteps : public QObject {
    Q_OBJECT
public:
    explicit WheelSteps(QObject* parent = nullptr);

    // Vertical wheel events over the widget, or over any widget it holds
    // at this call, run step(+1 or -1) once per notch and go no further.
    // All widgets of one WheelSteps share one remainder.
    void watch(QWidget* widget, std::function<void(int direction)> step);

    // While this says no, the watched widgets swallow the wheel and the
    // remainder is dropped.
    std::function<bool()> Allowed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::map<const QObject*, std::function<void(int)>> steps_;
    int remainder_ = 0;
};
