#include "strips/name_zoom.h"

#include "controls/panel.h"

#include <QEvent>
#include <QLabel>

namespace {
constexpr int kRestWidth = 68;
constexpr int kZoomHeight = 32;
constexpr int kZoomLabelTop = 8;
}  // namespace

NameZoom::NameZoom(TPanel* panel, QLabel* label, Rules rules)
    : QObject(label), panel_(panel), label_(label), rules_(rules) {
    label->installEventFilter(this);
}

bool NameZoom::eventFilter(QObject*, QEvent* event) {
    // Any button; taken here so the press does not start a window drag.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        press();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        release();
        return true;
    }
    return false;
}

void NameZoom::press() {
    if (zoomed_) return;  // a second button while one is held
    zoomed_ = true;
    panelRest_ = panel_->geometry();
    labelRest_ = label_->geometry();
    const int wanted = 7 * static_cast<int>(label_->text().trimmed().size()) + 15;
    if (wanted > kRestWidth) panel_->resize(wanted, panel_->height());
    panel_->resize(panel_->width(), kZoomHeight);
    if (rules_.stretchLabel)
        label_->setGeometry(0, kZoomLabelTop, panel_->width(), label_->height());
    else
        label_->move(label_->x(), kZoomLabelTop);
    if (rules_.growLeft && panel_->width() > kRestWidth)
        panel_->move(panel_->Tag() - (panel_->width() - kRestWidth), panel_->y());
    if (rules_.raise) panel_->raise();
}

void NameZoom::release() {
    if (!zoomed_) return;
    zoomed_ = false;
    panel_->resize(panelRest_.size());
    label_->setGeometry(labelRest_);
    if (rules_.growLeft) panel_->move(panel_->Tag(), panel_->y());
}
