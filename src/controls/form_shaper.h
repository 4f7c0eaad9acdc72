#pragma once
// TFormShaper: gives a borderless window an outline of its own. The outline
// is kept as its "FormShape" stream, which comes from outside (a window's
// design) and is therefore checked before it is believed.
//
// "FormShape" stream, little-endian: a 32-bit byte count N, then N bytes of
// region data: a 32-byte header (dwSize 32, iType 1 = rectangles, nCount,
// nRgnSize = 16 × nCount, bounding left, top, right, bottom) followed by
// nCount rectangles (left, top, right, bottom; right and bottom exclusive),
// all 32-bit. An empty shape is written as nothing.

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <optional>

class QImage;

namespace form_shape {

// Bounds that keep a stream from outside small and its numbers sane.
inline constexpr quint32 kMaxRects = 1u << 16;
inline constexpr quint32 kHeaderBytes = 32;
inline constexpr quint32 kMaxRegionBytes = kHeaderBytes + 16 * kMaxRects;
inline constexpr qint32 kMaxCoordinate = 1 << 20;

// The region of a whole stream (byte count and region data), or nothing
// when the stream is not one: short, a count that disagrees with the bytes,
// a header not of rectangles, too many rectangles, rectangles turned inside
// out, out of range or out of their bands, or no rectangle at all.
std::optional<QRegion> ParseFormShape(QByteArrayView stream);
// The same for the region data alone (what follows the byte count).
std::optional<QRegion> ParseRegionData(QByteArrayView data);
// The stream of a region; empty for an empty region.
QByteArray FormShapeOf(const QRegion& region);
// The outline of a picture: one rectangle per row run of pixels whose alpha
// is at least `alphaThreshold`, moved by `offset`.
QRegion OpaqueRegion(const QImage& picture, QPoint offset = {}, int alphaThreshold = 128);

}  // namespace form_shape

class TFormShaper : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QByteArray FormShape READ Shape WRITE SetShape)
public:
    // The window shaped is ControlToShape, else the parent when it is a widget.
    explicit TFormShaper(QObject* parent = nullptr);

    // True gives the target the stored outline (without one it stays
    // false); false takes the outline away. Without a target both are ignored.
    bool Active() const { return active_; }
    void SetActive(bool Value);
    // Changing it deactivates first; the control's destruction clears it.
    QWidget* ControlToShape() const { return controlToShape_; }
    void SetControlToShape(QWidget* Value);

    // The "FormShape" stream: empty when there is no outline.
    QByteArray Shape() const;
    // An empty stream discards the outline and unshapes the target. A stream
    // that is not a valid shape is refused (false): the outline is discarded
    // and the target left unshaped. A valid one replaces the outline, and is
    // applied at once while active.
    bool SetShape(QByteArrayView Stream);
    // The outline the stored stream describes (empty without one).
    QRegion Region() const { return region_; }

private:
    QWidget* Target() const;

    bool active_ = false;
    QPointer<QWidget> controlToShape_;
    QByteArray data_;  // the region data, as read
    QRegion region_;
};
