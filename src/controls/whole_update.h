#pragma once
// Asks a window to repaint all of itself. QWidget::update() on a top-level
// window repaints only what its opaque children leave uncovered (the strips'
// panels fill their backgrounds), so a child whose own repaint was dropped
// (it changed while the window was hidden, or while an outline clipped the
// window to nothing) keeps its old picture: each child is asked as well.

#include <QWidget>

inline void UpdateWholeWindow(QWidget& window) {
    window.update();
    for (QWidget* child : window.findChildren<QWidget*>()) child->update();
}
