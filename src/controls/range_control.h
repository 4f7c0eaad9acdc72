#pragma once
// TRangeControl: a self-painted integer range control. It owns the range,
// the position, the change event and an optional read-out whose text
// follows the position. Derived controls decide how a pointer maps to a
// position and how the control looks.

#include "controls/events.h"

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QPainter;

class TRangeControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(QWidget* Control READ Control WRITE SetControl)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    explicit TRangeControl(QWidget* parent = nullptr);

    // Setters act only when the value changes, then normalise the range
    // and position (raising OnChange when the position moved).
    int Min() const { return min_; }
    void SetMin(int Value);
    int Max() const { return max_; }
    void SetMax(int Value);
    int Position() const { return position_; }
    void SetPosition(int Value);

    // Any widget with a "text" property (a read-out, a label); it is
    // released automatically when that widget is destroyed.
    QWidget* Control() const { return control_; }
    void SetControl(QWidget* Value);

    QColor Color() const { return color_; }
    void SetColor(const QColor& Value);

    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }

    // Raised after the position changed, before the read-out is updated.
    TNotifyEvent<TRangeControl> OnChange;

protected:
    // Behaviour for derived controls, in this order: pointer to position,
    // press, move while captured, drawing, hit test.
    virtual void SetPositionFromPoint(QPoint Point);
    virtual void MouseDownHandler(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Point);
    virtual void MouseMoveHandler(Qt::KeyboardModifiers Shift, QPoint Point);
    virtual void Draw(QPainter& Canvas);
    virtual bool PointInside(QPoint Point) const;

    // The off-screen bitmap for one paint; a null pixmap makes the control
    // draw straight onto itself.
    virtual QPixmap MakeOffscreenBitmap(QSize Size) const;

    // True between a left press on the control and its release.
    bool HasCapture() const { return capture_; }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    QSize sizeHint() const override { return {30, 30}; }

private:
    void Normalize(int OldPosition);
    void WriteControl();

    int min_ = 0;
    int max_ = 10;
    int position_ = 5;
    QPointer<QWidget> control_;
    QColor color_;
    int tag_ = 0;
    bool capture_ = false;
};
