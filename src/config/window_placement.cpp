#include "config/window_placement.h"

#include <algorithm>
#include <limits>

namespace {

// Gap between two half-open intervals along one axis: 0 when they only
// touch, -1 when they share at least one pixel.
qint64 gap(qint64 aFirst, qint64 aEnd, qint64 bFirst, qint64 bEnd) {
    if (aEnd <= bFirst) return bFirst - aEnd;
    if (bEnd <= aFirst) return aFirst - bEnd;
    return -1;
}

// Start of a span of `length` kept inside [first, first + room), or at `first`
// when it does not fit.
qint64 clampInto(qint64 start, qint64 length, qint64 first, qint64 room) {
    return std::max(first, std::min(start, first + room - length));
}

}  // namespace

QPoint reachablePosition(QPoint stored, QSize windowSize, const QList<QRect>& screens) {
    // 64-bit edges: stored coordinates near the int limits must not overflow.
    const qint64 w = std::max(windowSize.width(), 1);
    const qint64 h = std::max(windowSize.height(), 1);
    const qint64 x = stored.x();
    const qint64 y = stored.y();

    const QRect* nearest = nullptr;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (const QRect& s : screens) {
        if (s.isEmpty()) continue;
        const qint64 dx = gap(x, x + w, s.left(), qint64(s.left()) + s.width());
        const qint64 dy = gap(y, y + h, s.top(), qint64(s.top()) + s.height());
        if (dx < 0 && dy < 0) return stored;
        // Gaps reach 2^33, beyond what their squares could hold in 64 bits.
        const double gx = double(std::max<qint64>(dx, 0));
        const double gy = double(std::max<qint64>(dy, 0));
        const double distance = gx * gx + gy * gy;
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = &s;
        }
    }
    if (!nearest) return stored;
    return QPoint(int(clampInto(x, w, nearest->left(), nearest->width())),
                  int(clampInto(y, h, nearest->top(), nearest->height())));
}

std::optional<QPoint> restoredPosition(const StoredPosition& stored, QPoint current, QSize windowSize,
                                       const QList<QRect>& screens) {
    // Only a stored Left switches the window to its stored place; a Top
    // alone leaves it centred.
    if (!stored.left) return std::nullopt;
    const QPoint wanted(stored.left.value_or(current.x()), stored.top.value_or(current.y()));
    return reachablePosition(wanted, windowSize, screens);
}
