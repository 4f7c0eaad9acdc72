#pragma once
// TPanel: a flat coloured panel with a centred caption and a raised or
// lowered bevel. Strips use it as container and as small switch button:
// its colour and bevel are the switch state, its Tag carries binding data.
// Its hint is the widget's tool tip.

#include "controls/events.h"

#include <QColor>
#include <QWidget>

class TPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(BevelKind Bevel READ Bevel WRITE SetBevel)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    enum class BevelKind { None, Lowered, Raised };
    Q_ENUM(BevelKind)

    explicit TPanel(QWidget* parent = nullptr);

    // Setters repaint only when the value changes.
    QString Caption() const { return caption_; }
    void SetCaption(const QString& Value);
    QColor Color() const { return color_; }
    void SetColor(const QColor& Value);
    BevelKind Bevel() const { return bevel_; }
    void SetBevel(BevelKind Value);
    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }

    // Any button raises OnMouseDown and OnMouseUp; OnClick follows the
    // release of the left button over the panel.
    TMouseEvent<TPanel> OnMouseDown;
    TMouseEvent<TPanel> OnMouseUp;
    TNotifyEvent<TPanel> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString caption_;
    QColor color_;
    BevelKind bevel_ = BevelKind::Raised;
    int tag_ = 0;
    bool leftDown_ = false;
};
