#include "controls/cached_label.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

void TCachedLabel::paintEvent(QPaintEvent* event) {
    // Only plain text is cached, drawn as the label draws it; a picture, a
    // frame, an indent, wrapped or selectable text paint as usual.
    if (textFormat() == Qt::RichText || (textFormat() == Qt::AutoText && Qt::mightBeRichText(text())) ||
        !pixmap().isNull() || frameShape() != QFrame::NoFrame || indent() > 0 || wordWrap() ||
        (textInteractionFlags() & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard | Qt::TextEditable)) ||
        size().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    if (cachedAlignment_ != alignment() || cache_.size() >= kMaxTexts) {
        cache_.clear();
        cachedAlignment_ = alignment();
    }
    auto it = cache_.find(text());
    if (it == cache_.end()) {
        const qreal ratio = devicePixelRatio();
        QPixmap picture(size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.setFont(font());
        const int m = margin();
        style()->drawItemText(&p, contentsRect().adjusted(m, m, -m, -m),
                              QStyle::visualAlignment(layoutDirection(), alignment()), palette(), isEnabled(), text(),
                              foregroundRole());
        it = cache_.insert(text(), picture);
    }
    QPainter canvas(this);
    canvas.drawPixmap(0, 0, *it);
}

void TCachedLabel::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FontChange:
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::EnabledChange:
            cache_.clear();
            break;
        default:
            break;
    }
    QLabel::changeEvent(event);
}

void TCachedLabel::resizeEvent(QResizeEvent* event) {
    cache_.clear();
    QLabel::resizeEvent(event);
}
