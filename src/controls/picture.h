#pragma once
// TPicture: shows a pixmap at its top left corner and reports the mouse.
// Like a captured control, a picture pressed with the mouse keeps getting
// the moves and the release until the last button goes up, even when it is
// hidden meanwhile (a fader's cursor hides while it is dragged). When the
// release can no longer come (its window hides or loses the focus while a
// button is held, or the buttons went up where the picture could not see
// it) the capture ends with OnCaptureLost instead of OnMouseUp.

#include "controls/events.h"

#include <QPixmap>
#include <QWidget>

class TPicture : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPixmap Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    explicit TPicture(QWidget* parent = nullptr);
    ~TPicture() override;

    QPixmap Picture() const { return picture_; }
    void SetPicture(const QPixmap& Value);
    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }

    TMouseEvent<TPicture> OnMouseDown;
    TMouseMoveEvent<TPicture> OnMouseMove;
    TMouseEvent<TPicture> OnMouseUp;
    TNotifyEvent<TPicture> OnCaptureLost;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateOpacity();
    void RaiseMove(const QMouseEvent& event, QPoint local);
    void RaiseUp(const QMouseEvent& event, QPoint local);
    void EndCapture();
    void LoseCapture();

    QPixmap picture_;
    int tag_ = 0;
    Qt::MouseButtons held_;             // buttons pressed on the picture, not yet released
    bool filtering_ = false;            // capturing through the application while hidden
    QWidget* watchedWindow_ = nullptr;  // watched for hiding and deactivation while held
};
