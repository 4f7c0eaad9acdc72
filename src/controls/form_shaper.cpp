#include "controls/form_shaper.h"

#include <QImage>
#include <QWidget>
#include <QtEndian>

#include <vector>

namespace form_shape {

namespace {

quint32 U32(QByteArrayView data, qsizetype at) { return qFromLittleEndian<quint32>(data.data() + at); }
qint32 I32(QByteArrayView data, qsizetype at) { return qFromLittleEndian<qint32>(data.data() + at); }

void PutU32(QByteArray& out, quint32 v) {
    char bytes[4];
    qToLittleEndian<quint32>(v, bytes);
    out.append(bytes, 4);
}

bool InRange(qint32 v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; }

// Joins rectangles pairwise, so many of them cost n log n rather than n².
QRegion Union(std::vector<QRegion> parts) {
    if (parts.empty()) return {};
    while (parts.size() > 1) {
        std::vector<QRegion> joined;
        joined.reserve((parts.size() + 1) / 2);
        for (size_t i = 0; i + 1 < parts.size(); i += 2) joined.push_back(parts[i].united(parts[i + 1]));
        if (parts.size() % 2) joined.push_back(parts.back());
        parts.swap(joined);
    }
    return parts.front();
}

}  // namespace

std::optional<QRegion> ParseRegionData(QByteArrayView data) {
    if (data.size() < qsizetype(kHeaderBytes) || data.size() > qsizetype(kMaxRegionBytes)) return std::nullopt;
    const quint32 dwSize = U32(data, 0);
    const quint32 iType = U32(data, 4);
    const quint32 nCount = U32(data, 8);
    const quint32 nRgnSize = U32(data, 12);
    if (dwSize != kHeaderBytes || iType != 1) return std::nullopt;
    if (nCount == 0 || nCount > kMaxRects) return std::nullopt;
    // The count must account for exactly the bytes that follow the header.
    if (qint64(kHeaderBytes) + 16 * qint64(nCount) != data.size()) return std::nullopt;
    if (nRgnSize != 0 && nRgnSize != 16 * nCount) return std::nullopt;
    std::vector<QRegion> rects;
    rects.reserve(nCount);
    QRect last;
    for (quint32 i = 0; i < nCount; ++i) {
        const qsizetype at = kHeaderBytes + 16 * qsizetype(i);
        const qint32 left = I32(data, at), top = I32(data, at + 4);
        const qint32 right = I32(data, at + 8), bottom = I32(data, at + 12);
        if (!InRange(left) || !InRange(top) || !InRange(right) || !InRange(bottom)) return std::nullopt;
        if (right < left || bottom < top) return std::nullopt;
        if (right == left || bottom == top) continue;
        // Stored outlines come in bands, top down, left to right, without
        // overlaps. Crossing rectangles could make a region of their
        // count squared, so anything else is refused.
        const bool sameBand =
            top == last.top() && bottom == last.top() + last.height() && left >= last.left() + last.width();
        const bool nextBand = top >= last.top() + last.height();
        if (!rects.empty() && !sameBand && !nextBand) return std::nullopt;
        last = QRect(left, top, right - left, bottom - top);
        rects.emplace_back(last);
    }
    // Rectangles that all cover nothing are no outline either (and an
    // empty mask would show the window whole).
    if (rects.empty()) return std::nullopt;
    return Union(std::move(rects));
}

std::optional<QRegion> ParseFormShape(QByteArrayView stream) {
    if (stream.size() < 4) return std::nullopt;
    const quint32 n = U32(stream, 0);
    if (qint64(n) != stream.size() - 4) return std::nullopt;
    return ParseRegionData(stream.sliced(4));
}

QByteArray FormShapeOf(const QRegion& region) {
    if (region.isEmpty() || quint32(region.rectCount()) > kMaxRects) return {};
    QByteArray data;
    const quint32 count = quint32(region.rectCount());
    const QRect b = region.boundingRect();
    for (quint32 v : {kHeaderBytes, 1u, count, 16 * count}) PutU32(data, v);
    for (int v : {b.left(), b.top(), b.left() + b.width(), b.top() + b.height()}) PutU32(data, quint32(v));
    for (const QRect& r : region)
        for (int v : {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}) PutU32(data, quint32(v));
    QByteArray stream;
    PutU32(stream, quint32(data.size()));
    return stream + data;
}

QRegion OpaqueRegion(const QImage& picture, QPoint offset, int alphaThreshold) {
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    std::vector<QRegion> runs;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        int x = 0;
        while (x < argb.width()) {
            while (x < argb.width() && qAlpha(line[x]) < alphaThreshold) ++x;
            const int from = x;
            while (x < argb.width() && qAlpha(line[x]) >= alphaThreshold) ++x;
            if (x > from) runs.emplace_back(offset.x() + from, offset.y() + y, x - from, 1);
        }
    }
    return Union(std::move(runs));
}

}  // namespace form_shape

TFormShaper::TFormShaper(QObject* parent) : QObject(parent) {}

QWidget* TFormShaper::Target() const {
    if (controlToShape_) return controlToShape_;
    return qobject_cast<QWidget*>(parent());
}

void TFormShaper::SetActive(bool Value) {
    QWidget* target = Target();
    if (!target) return;
    if (Value) {
        if (active_ || region_.isEmpty()) return;
        active_ = true;
        target->setMask(region_);
    } else {
        target->clearMask();
        active_ = false;
    }
}

void TFormShaper::SetControlToShape(QWidget* Value) {
    if (Value == controlToShape_) return;
    if (active_) SetActive(false);
    if (controlToShape_) disconnect(controlToShape_, nullptr, this, nullptr);
    controlToShape_ = Value;
    if (Value) connect(Value, &QObject::destroyed, this, [this] { active_ = false; });
}

QByteArray TFormShaper::Shape() const {
    if (data_.isEmpty()) return {};
    QByteArray stream(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(quint32(data_.size()), stream.data());
    return stream + data_;
}

bool TFormShaper::SetShape(QByteArrayView Stream) {
    std::optional<QRegion> region;
    if (!Stream.isEmpty()) region = form_shape::ParseFormShape(Stream);
    data_.clear();
    region_ = QRegion();
    QWidget* target = Target();
    if (!region) {
        if ((active_ || Stream.isEmpty()) && target) target->clearMask();
        active_ = false;
        return Stream.isEmpty();
    }
    data_ = Stream.sliced(4).toByteArray();
    region_ = *region;
    if (active_ && target) target->setMask(region_);
    return true;
}
