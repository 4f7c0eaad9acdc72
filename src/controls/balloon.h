#pragma once
// Balloon hints: every hint of the program shown as a cartoon balloon with a
// pointer at the mouse and a drop shadow, in place of the plain hint box.
//
// TBalloonHint, while Active, watches the whole application for hint
// requests (QEvent::ToolTip) and shows the hovered widget's toolTip() in its
// TBalloonHintWindow; the widgets keep setToolTip as the store of their
// hints. The balloon hides again when the mouse leaves that widget, on a
// press, a key or the wheel. With several TBalloonHints active, the one
// activated last shows the hints; destroying one leaves the others at work.

#include "controls/balloon_geometry.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <memory>

enum TBalloonBehavior {
    bbNoShowMouseDown = 0x1,  // no hint while a mouse button is down
    bbUseRegions = 0x2,       // the window is cut to the balloon's shape
    bbHideOnPaint = 0x4,      // without regions: another window repainting under the balloon hides it
};
using TBalloonBehaviors = int;
inline constexpr TBalloonBehaviors kAllBalloonBehaviors = bbNoShowMouseDown | bbUseRegions | bbHideOnPaint;

enum TBalloonShadowStyle { ssShaded, ssSolid };
enum TBalloonShape { bsRoundRect, bsRectangle };
enum TBalloonStyle {
    hsDefault,  // the default font, the application's hint colour
    hsCustom,   // Font, FontColor, Color and BorderColor
    hsSystem,   // the desktop's font and hint colours
};
using TShadowDepth = quint8;

// The balloon's outline colour for hsDefault and hsSystem.
inline const QColor kBalloonFrame{0, 0, 0};

// Everything a balloon is drawn from, once the style has been resolved.
struct BalloonLook {
    QFont Font;
    QColor TextColor{0, 0, 0};
    QColor Fill{255, 255, 225};
    QColor Border{0, 0, 0};
    TShadowDepth ShadowDepth = 8;
    TBalloonShadowStyle ShadowStyle = ssShaded;
    TBalloonShape Shape = bsRoundRect;
};

// Size of Text wrapped in Width pixels of Font (at word boundaries, inside a
// word only when it is wider than the line).
QSize MeasureBalloonText(const QString& Text, const QFont& Font, int Width);

// The balloon drawn on a transparent ground: shadow (shaded: every other
// pixel black, in a checker), body and pointer filled and framed, text.
QImage RenderBalloon(const BalloonLook& Look, QSize Size, TBalloonPosition Orientation, const QString& Text);

// The settings every balloon of the program is drawn with.
class TBalloonBase : public QObject {
    Q_OBJECT
public:
    explicit TBalloonBase(QObject* parent = nullptr);

    QColor BorderColor() const { return borderColor_; }
    void SetBorderColor(const QColor& Value) { borderColor_ = Value; }
    QColor Color() const { return color_; }
    void SetColor(const QColor& Value) { color_ = Value; }
    QFont Font() const { return font_; }
    void SetFont(const QFont& Value) { font_ = Value; }
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& Value) { fontColor_ = Value; }
    // Pixels; a negative -k means a k-th of the screen's width. A positive
    // value is kept within the primary screen's width.
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int Value);
    // MaxWidth in pixels on the primary screen.
    int EffectiveMaxWidth() const;
    TBalloonBehaviors Behavior() const { return behavior_; }
    void SetBehavior(TBalloonBehaviors Value) { behavior_ = Value; }
    TBalloonPosition Position() const { return position_; }
    void SetPosition(TBalloonPosition Value) { position_ = Value; }
    TShadowDepth ShadowDepth() const { return shadowDepth_; }
    void SetShadowDepth(TShadowDepth Value) { shadowDepth_ = Value; }
    TBalloonShadowStyle ShadowStyle() const { return shadowStyle_; }
    void SetShadowStyle(TBalloonShadowStyle Value) { shadowStyle_ = Value; }
    TBalloonShape Shape() const { return shape_; }
    void SetShape(TBalloonShape Value) { shape_ = Value; }
    TBalloonStyle Style() const { return style_; }
    void SetStyle(TBalloonStyle Value) { style_ = Value; }

    // Font and colours as Style chooses them, with the shadow and shape.
    BalloonLook Look() const;

private:
    QColor borderColor_{0, 0, 0};
    QColor color_;
    QFont font_;
    QColor fontColor_{0, 0, 0};
    int maxWidth_ = -4;
    TBalloonBehaviors behavior_ = kAllBalloonBehaviors;
    TBalloonPosition position_ = bpAboveRight;
    TShadowDepth shadowDepth_ = 8;
    TBalloonShadowStyle shadowStyle_ = ssShaded;
    TBalloonShape shape_ = bsRoundRect;
    TBalloonStyle style_ = hsDefault;
};

// A borderless window that never takes input and shows one balloon.
class TBalloonWindow : public QWidget {
    Q_OBJECT
public:
    explicit TBalloonWindow(QWidget* parent = nullptr);

    QString Text() const { return text_; }
    TBalloonPosition Orientation() const { return orientation_; }
    QColor FillColor() const { return look_.Fill; }
    QColor BorderColor() const { return look_.Border; }
    // What the window shows, transparent around the balloon.
    const QImage& Picture() const { return picture_; }

protected:
    // Draws Text with Look into a window of Size.
    void SetBalloon(const BalloonLook& Look, QSize Size, TBalloonPosition Orientation, const QString& Text);
    void paintEvent(QPaintEvent* event) override;

private:
    BalloonLook look_;
    QString text_;
    TBalloonPosition orientation_ = bpAboveRight;
    QImage picture_;
};

// The balloon the application's hints are shown in.
class TBalloonHintWindow : public TBalloonWindow {
    Q_OBJECT
public:
    explicit TBalloonHintWindow(QWidget* parent = nullptr);
    ~TBalloonHintWindow() override;

    // Shows Text in a balloon pointing at Cursor (global), drawn and placed
    // with Settings, or cancels the hint when Buttons holds a button that
    // bbNoShowMouseDown forbids, or when Text is empty. True when shown.
    bool ActivateHint(const QString& Text, QPoint Cursor, Qt::MouseButtons Buttons, const TBalloonBase& Settings);
    void CancelHint();
    // Whether the window watches the application for presses and repaints
    // (the balloon is not cut to its shape).
    bool Watching() const { return watching_; }
    // What the window is cut to; empty without bbUseRegions.
    QRegion Shape() const { return shape_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void watch(bool On);
    bool watching_ = false;
    bool hideOnPaint_ = false;
    QRegion shape_;
};

// The program's balloon hints. One is installed for the whole program.
class TBalloonHint : public TBalloonBase {
    Q_OBJECT
public:
    explicit TBalloonHint(QObject* parent = nullptr);
    ~TBalloonHint() override;

    bool Active() const { return active_; }
    void SetActive(bool Value);

    // The balloon, once a hint has been shown (for tests).
    TBalloonHintWindow* HintWindow() const { return window_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cancel();
    bool active_ = false;
    std::unique_ptr<TBalloonHintWindow> window_;
    QPointer<QWidget> owner_;  // the widget whose hint shows
};
