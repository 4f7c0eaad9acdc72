#include "meter/vu_panel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

TVuPart::TVuPart(TVuPanel* panel, const QString& name, QRect geometry, QRect clip)
    : QObject(panel), panel_(panel), geometry_(geometry), clip_(clip) {
    setObjectName(name);
    panel->parts_.push_back(this);
}

void TVuPart::Changed() const {
    if (drawn_) panel_->Repaint(geometry_ & clip_);
}

void TVuPart::SetPicture(const QPixmap& Value) {
    // Equal cache keys mean the same pixels: any change detaches the copy.
    if (Value.cacheKey() == picture_.cacheKey()) return;
    picture_ = Value;
    if (!hidden_) Changed();
}

bool TVuPart::isVisible() const { return !hidden_ && panel_->isVisible(); }

void TVuPart::setVisible(bool visible) {
    if (hidden_ == !visible) return;
    hidden_ = !visible;
    Changed();
}

void TVuPart::SetTextStyle(const QFont& font, const QColor& colour, Qt::Alignment alignment) {
    font_ = font;
    colour_ = colour;
    alignment_ = alignment;
    texts_.clear();
}

void TVuPart::setText(const QString& text) {
    if (text == text_ && !picture_.isNull()) return;
    text_ = text;
    if (texts_.size() >= TVuPanel::kMaxTexts) texts_.clear();
    auto it = texts_.find(text);
    if (it == texts_.end()) {
        // Laid out as a label lays out plain text over what lies under it.
        const qreal ratio = panel_->devicePixelRatio();
        QPixmap p(geometry_.size() * ratio);
        p.setDevicePixelRatio(ratio);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.setFont(font_);
        QPalette palette = panel_->palette();
        palette.setColor(QPalette::WindowText, colour_);
        panel_->style()->drawItemText(&g, QRect(QPoint(0, 0), geometry_.size()),
                                      int(QStyle::visualAlignment(panel_->layoutDirection(), alignment_)), palette,
                                      true, text, QPalette::WindowText);
        it = texts_.insert(text, p);
    }
    SetPicture(*it);
}

TVuPanel::TVuPanel(QWidget* window, QRect area, const QRegion& shape) : QWidget(window) {
    setGeometry(area);
    setMask(shape.translated(-area.topLeft()));
    // The grounds cover the whole shape: nothing under the panel is painted
    // for it. Presses go to the window, which is dragged by them.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TVuPart* TVuPanel::KeptPicture(const QString& name, const QPixmap& picture) {
    auto* part = new TVuPart(this, name, QRect(QPoint(0, 0), picture.deviceIndependentSize().toSize()), QRect());
    part->drawn_ = false;
    part->hidden_ = true;
    part->picture_ = picture;
    parts_.pop_back();  // never drawn
    return part;
}

void TVuPanel::Repaint(QRect windowRect) {
    if (windowRect.isEmpty()) return;
    // One rectangle per pass: the window system is sent each rectangle of an
    // update region on its own, and a pass that moves both lamp columns and
    // both faces would cost ten requests for a few hundred pixels.
    pending_ |= windowRect.translated(-pos());
    update(pending_);
}

void TVuPanel::paintEvent(QPaintEvent* event) {
    pending_ = QRect();
    QPainter canvas(this);
    canvas.translate(-pos());  // parts are placed in window coordinates
    const QRect dirty = event->rect().translated(pos());
    for (const TVuPart* part : parts_) {
        if (part->hidden_ || part->picture_.isNull()) continue;
        const QRect shown = part->geometry_ & part->clip_;
        if (!shown.intersects(dirty)) continue;
        canvas.setClipRect(shown);
        canvas.drawPixmap(part->geometry_.topLeft(), part->picture_);
    }
}
