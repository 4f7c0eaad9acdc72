#pragma once
// TSmoothShow: a window's show/hide animation. A hollow coloured frame (a
// borderless window of its own) grows from a small rectangle to the bounds
// of Control, or shrinks back when Reverse, in ten accelerating frames
// Delay ms apart; Control hides behind an empty outline meanwhile. The
// recording window's instance carries the program-wide animation switch in
// its Tag (0 = animate shows and hides, 1 = do not). Whoever wants the next
// show or hide animated sets Reverse (a hide) and Enabled, then calls
// Execute after showing (or after hiding) the window.

#include "controls/events.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace smooth_show {

enum class MinLocation { mlCenter, mlTopLeft, mlTopRight, mlBottomLeft, mlBottomRight, mlCustom };

// The percentages the frames are drawn at: 0, 2, 5, 9, 15, 24, 38, 59, 90, 100.
int NextProgress(int progress);
// The frame at `progress` per cent of the way from `from` to `to`; each of
// left, top, width and height moves by its difference × progress / 100
// (truncated), computed wide so that far-apart rectangles cannot overflow.
QRect FrameRect(int progress, const QRect& from, const QRect& to);
// Where the small rectangle is on `screen`; `custom` for mlCustom.
QRect SmallRect(MinLocation where, const QRect& screen, const QRect& custom);
// The hollow outline of a frame window of `size`: the whole rectangle less
// its inside `borderWidth` pixels in. Empty when there is nothing to draw.
QRegion FrameRegion(const QSize& size, int borderWidth);

}  // namespace smooth_show

class TSmoothShow : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Reverse READ Reverse WRITE SetReverse)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(int Delay READ Delay WRITE SetDelay)
public:
    using TMinLocation = smooth_show::MinLocation;
    enum class TMaxLocation { xlDefault, xlCustom };

    // The control animated is the parent when the parent is a widget.
    explicit TSmoothShow(QObject* parent = nullptr);
    ~TSmoothShow() override;

    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }
    bool Reverse() const { return reverse_; }
    void SetReverse(bool Value) { reverse_ = Value; }
    QColor Color() const { return color_; }
    void SetColor(const QColor& Value) { color_ = Value; }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int Value) { borderWidth_ = qMax(0, Value); }
    int Delay() const { return delay_; }
    void SetDelay(int Value) { delay_ = qMax(0, Value); }

    TMinLocation MinLocation() const { return minLocation_; }
    void SetMinLocation(TMinLocation Value) { minLocation_ = Value; }
    // The custom small rectangle (mlCustom); sizes are 16-bit.
    QRect MinRect() const { return minRect_; }
    void SetMinRect(int Left, int Top, int Width, int Height);
    TMaxLocation MaxLocation() const { return maxLocation_; }
    void SetMaxLocation(TMaxLocation Value) { maxLocation_ = Value; }
    // The custom large rectangle (xlCustom, or when there is no Control).
    QRect MaxRect() const { return maxRect_; }
    void SetMaxRect(int Left, int Top, int Width, int Height);

    // Ignored while running; becomes null when the control is destroyed.
    QWidget* Control() const { return control_; }
    void SetControl(QWidget* Value);

    bool Running() const { return running_; }
    // Number of animations started, for tests.
    int Executed() const { return executed_; }
    // The moving frame while running, else null (for tests).
    QWidget* FrameWindow() const { return frame_.get(); }
    // The percentage of the frame drawn last.
    int Progress() const { return shownProgress_; }

    // Plays the animation when enabled, with a control, and not already
    // playing: the first frame at once, the others from the step timer.
    void Execute();

    // Raised at the end, before and after the frame goes and Control
    // takes its own outline back.
    TNotifyEvent<TSmoothShow> OnFinishing;
    TNotifyEvent<TSmoothShow> OnFinish;

private:
    void Step();
    QRect LargeRect() const;
    void HideControl();
    void RestoreControl();

    int tag_ = 0;
    // Off until asked: the windows switch it on just before a show or hide.
    bool enabled_ = false;
    bool reverse_ = false;
    QColor color_ = Qt::black;
    int borderWidth_ = 1;
    int delay_ = 50;
    TMinLocation minLocation_ = TMinLocation::mlCenter;
    QRect minRect_{0, 0, 27, 27};
    TMaxLocation maxLocation_ = TMaxLocation::xlDefault;
    QRect maxRect_{100, 100, 127, 127};
    QPointer<QWidget> control_;

    bool running_ = false;
    int executed_ = 0;
    int progress_ = 0;
    int shownProgress_ = 0;
    QRect start_;
    QRect end_;
    QTimer timer_;
    std::unique_ptr<QWidget> frame_;
    // Control's own outline, put back at the end.
    QRegion savedMask_;
    QRegion hidingMask_;
};
