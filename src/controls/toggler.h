#pragma once
// The layers under the self-painted check box.
//
// TTogglerBase: a control that toggles. It tracks a press by mouse (the
// press captures the mouse; releasing outside toggles nothing, moving back
// in shows it pressed again) and by the space bar, takes the focus, and
// toggles at its accelerator: Alt plus the character after the caption's
// first "&", or that character alone while another toggler of the window
// has the focus. A doubled "&" shows one "&" and gives no accelerator.
//
// TCheckBoxBase: the state (unchecked, checked, grey) and the click event.

#include "controls/events.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

class QPainter;

class TTogglerBase : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    explicit TTogglerBase(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& Value);

    // The character after the first "&", unless that is another "&" or the
    // "&" is last; a null character when there is none.
    static QChar AcceleratorOf(const QString& Caption);
    QChar Accelerator() const { return accelerator_; }

    // Held down by the mouse or the space bar (drawn pressed).
    bool Pressed() const { return pressed_; }

    // Enabled and visible, its parents included.
    bool CanFocus() const;

    virtual void Toggle() = 0;

    // Left button only: OnMouseDown at the press, OnMouseUp after the
    // release has toggled.
    TMouseEvent<TTogglerBase> OnMouseDown;
    TMouseEvent<TTogglerBase> OnMouseUp;

protected:
    virtual void Draw(QPainter& Canvas);
    // The off-screen bitmap for one paint; a null pixmap makes the control
    // draw straight onto itself.
    virtual QPixmap MakeOffscreenBitmap(QSize Size) const;

    // The accelerator was typed: toggle and take the focus.
    void DialogChar();

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetPressed(bool Value);
    void GrabAccelerator();

    QString caption_;
    QChar accelerator_;
    int shortcutId_ = 0;
    bool pressed_ = false;
    bool clicking_ = false;  // a left press on the control, not yet released
};

enum TCheckBoxState { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };

class TCheckBoxBase : public TTogglerBase {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
public:
    explicit TCheckBoxBase(QWidget* parent = nullptr) : TTogglerBase(parent) {}

    // Every change of state repaints and raises OnClick, whoever makes it;
    // setting the state it has does nothing. Values outside the three
    // states are ignored.
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState Value);

    // True exactly in cbChecked; setting it gives cbChecked or cbUnchecked.
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }

    // Grey toggles to checked.
    void Toggle() override { SetChecked(!Checked()); }

    TNotifyEvent<TCheckBoxBase> OnClick;

private:
    TCheckBoxState state_ = cbUnchecked;
};
