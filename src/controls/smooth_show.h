#pragma once
// TSmoothShow: a window's show/hide animation component. The recording
// window's instance carries the program-wide animation switch in its Tag
// (0 = animate shows and hides, 1 = do not). Whoever wants the next show or
// hide animated sets Reverse (a hide) and Enabled, then calls Execute after
// showing (or after hiding) the window. The zoom-frame animation itself is
// not drawn yet: Execute finishes at once, raising OnFinishing and OnFinish
// as an animation would at its end.

#include "controls/events.h"

#include <QObject>

class TSmoothShow : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Reverse READ Reverse WRITE SetReverse)
public:
    explicit TSmoothShow(QObject* parent = nullptr) : QObject(parent) {}

    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }
    bool Reverse() const { return reverse_; }
    void SetReverse(bool Value) { reverse_ = Value; }
    bool Running() const { return running_; }
    // Number of animations played, for tests.
    int Executed() const { return executed_; }

    // Plays the animation when enabled and not already playing.
    void Execute() {
        if (!enabled_ || running_) return;
        running_ = true;
        ++executed_;
        running_ = false;
        if (OnFinishing) OnFinishing(this);
        if (OnFinish) OnFinish(this);
    }

    TNotifyEvent<TSmoothShow> OnFinishing;
    TNotifyEvent<TSmoothShow> OnFinish;

private:
    int tag_ = 0;
    bool enabled_ = false;
    bool reverse_ = false;
    bool running_ = false;
    int executed_ = 0;
};
