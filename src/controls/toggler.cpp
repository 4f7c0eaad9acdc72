#include "controls/toggler.h"

#include "controls/offscreen_paint.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcutEvent>

TTogglerBase::TTogglerBase(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void TTogglerBase::SetCaption(const QString& Value) {
    if (Value == caption_) return;
    caption_ = Value;
    accelerator_ = AcceleratorOf(caption_);
    GrabAccelerator();
    update();
}

QChar TTogglerBase::AcceleratorOf(const QString& Caption) {
    const qsizetype amp = Caption.indexOf(QLatin1Char('&'));
    if (amp < 0 || amp + 1 >= Caption.size()) return {};
    const QChar next = Caption.at(amp + 1);
    return next == QLatin1Char('&') ? QChar() : next;
}

void TTogglerBase::GrabAccelerator() {
    if (shortcutId_ != 0) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    if (accelerator_.isNull()) return;
    // Qt names letter and digit keys by their upper-case character.
    const auto key = Qt::Key(accelerator_.toUpper().unicode());
    shortcutId_ = grabShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, key)));
}

bool TTogglerBase::CanFocus() const { return isEnabled() && isVisible(); }

void TTogglerBase::DialogChar() {
    QPointer<TTogglerBase> alive(this);
    Toggle();
    if (alive) setFocus(Qt::ShortcutFocusReason);
}

bool TTogglerBase::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        if (static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_ && CanFocus()) DialogChar();
        return true;
    }
    return QWidget::event(event);
}

void TTogglerBase::Draw(QPainter& Canvas) { Canvas.fillRect(rect(), palette().color(QPalette::Window)); }

QPixmap TTogglerBase::MakeOffscreenBitmap(QSize Size) const { return offscreenBitmap(*this, Size); }

void TTogglerBase::paintEvent(QPaintEvent*) {
    paintThroughBitmap(*this, MakeOffscreenBitmap(size()), [this](QPainter& canvas) { Draw(canvas); });
}

void TTogglerBase::SetPressed(bool Value) {
    if (Value == pressed_) return;
    pressed_ = Value;
    update();
}

// A double click arrives here too (QWidget passes it on as a press), so it
// toggles once more at its release.
void TTogglerBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const QPoint p = event->position().toPoint();
    if (CanFocus()) {
        setFocus(Qt::MouseFocusReason);
        SetPressed(rect().contains(p));
    }
    // Qt grabs the mouse for the pressed widget until the button goes up.
    clicking_ = true;
    if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TTogglerBase::mouseMoveEvent(QMouseEvent* event) {
    if (clicking_ && hasFocus()) SetPressed(rect().contains(event->position().toPoint()));
}

void TTogglerBase::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    const QPoint p = event->position().toPoint();
    QPointer<TTogglerBase> alive(this);
    if (clicking_) {
        clicking_ = false;
        if (rect().contains(p)) Toggle();
        if (!alive) return;
    }
    SetPressed(false);
    if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TTogglerBase::keyPressEvent(QKeyEvent* event) {
    constexpr Qt::KeyboardModifiers kCommand = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (event->key() == Qt::Key_Space && !(event->modifiers() & kCommand)) {
        SetPressed(true);
        return;
    }
    SetPressed(false);
    // A character alone works as the accelerator of any toggler in the
    // window, as a dialog treats keys its buttons do not use.
    const QString text = event->text();
    if (!(event->modifiers() & kCommand) && text.size() == 1 && text.at(0).isPrint()) {
        const QChar typed = text.at(0).toUpper();
        for (TTogglerBase* t : window()->findChildren<TTogglerBase*>()) {
            if (!t->accelerator_.isNull() && t->accelerator_.toUpper() == typed && t->CanFocus()) {
                t->DialogChar();
                return;
            }
        }
    }
    QWidget::keyPressEvent(event);
}

void TTogglerBase::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && pressed_) {
        SetPressed(false);
        Toggle();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TTogglerBase::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void TTogglerBase::focusOutEvent(QFocusEvent* event) {
    // The space bar's release goes elsewhere now: no toggle pending.
    SetPressed(false);
    update();
    QWidget::focusOutEvent(event);
}

void TTogglerBase::hideEvent(QHideEvent* event) {
    // A hidden control gets no release; the next press starts afresh.
    clicking_ = false;
    SetPressed(false);
    QWidget::hideEvent(event);
}

void TTogglerBase::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

void TCheckBoxBase::SetState(TCheckBoxState Value) {
    if (Value == state_ || Value < cbUnchecked || Value > cbGrayed) return;
    state_ = Value;
    update();
    if (OnClick) OnClick(this);
}
