#pragma once
// TRotaryKnob: a round knob turned with the mouse. The pointer's direction
// from the centre picks the position over a 290 degree sweep, from lower
// left (Min) clockwise to lower right (Max); the sector around straight
// down is dead and gives the nearer end.

#include "controls/range_control.h"

class TRotaryKnob : public TRangeControl {
    Q_OBJECT
    Q_PROPERTY(QColor IndicatorColor READ IndicatorColor WRITE SetIndicatorColor)
public:
    explicit TRotaryKnob(QWidget* parent = nullptr);

    QColor IndicatorColor() const { return indicatorColor_; }
    void SetIndicatorColor(const QColor& Value);

    // Angle offset of the face highlights used by the next paint.
    int ShimmerOffset() const { return shimmerOffset_; }

    // The face circle within a client area of the given size.
    struct Geometry {
        int left, top, right, bottom, radius, cx, cy;
    };
    static Geometry GeometryFor(QSize ClientSize);

    // Direction of a pointer offset (y grows downwards) in whole degrees,
    // clockwise from straight down: 0 down, 90 left, 180 up, 270 right.
    static int PointerAngle(int Dx, int Dy);
    // The position an angle selects on Min..Max, clamped to the range.
    static int ValueAtAngle(int Min, int Max, int Angle);
    // Centre of the position dot for a position within Min..Max (Min < Max).
    static QPoint IndicatorCentre(const Geometry& G, int Min, int Max, int Position);

protected:
    void SetPositionFromPoint(QPoint Point) override;
    void Draw(QPainter& Canvas) override;
    bool PointInside(QPoint Point) const override;

private:
    void AdvanceShimmer();

    QColor indicatorColor_{255, 0, 0};
    qint16 shimmerOffset_ = 0;
    qint16 shimmerStep_ = 2;
};
