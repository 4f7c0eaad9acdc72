#pragma once
// TSmoothShow: a window's show/hide animation component. For now it holds
// what the rest of the program reads: the recording window's instance
// carries the program-wide animation switch in its Tag (0 = animate
// shows and hides, 1 = do not), and Enabled, set by whoever wants the next
// show or hide animated.

#include <QObject>

class TSmoothShow : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
public:
    explicit TSmoothShow(QObject* parent = nullptr) : QObject(parent) {}

    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }

private:
    int tag_ = 0;
    bool enabled_ = false;
};
