#pragma once
// TBWCCCheckBox: the self-painted check box of the channel dialog. A flat
// 3-D box with a drawn check mark, a word-wrapped caption centred on the
// height, three states (the grey one draws its mark in the shadow colour)
// and a dotted focus frame round the caption. Disabled, the caption is its
// font colour shaded half way to white.
//
// Colours follow the widget's palette: Window is the ground, WindowText the
// caption, Dark and Light the bevel's shadow and highlight.
//
// For code written against QCheckBox: the (caption, parent) constructor,
// setChecked, isChecked, setText and text (and the "checked" and "text"
// properties) do what Checked and Caption do. Unlike QCheckBox, setChecked
// raises OnClick when it changes the state.

#include "controls/toggler.h"

#include <QColor>

#include <optional>

class TBWCCCheckBox : public TCheckBoxBase {
    Q_OBJECT
    Q_PROPERTY(QColor CheckColor READ CheckColor WRITE SetCheckColor)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool checked READ isChecked WRITE setChecked)
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit TBWCCCheckBox(QWidget* parent = nullptr);
    TBWCCCheckBox(const QString& Caption, QWidget* parent) : TBWCCCheckBox(parent) { SetCaption(Caption); }

    // The mark in cbChecked; until set, the window text colour.
    QColor CheckColor() const;
    void SetCheckColor(const QColor& Value);

    QColor Color() const { return palette().color(QPalette::Window); }
    void SetColor(const QColor& Value);

    void setChecked(bool Value) { SetChecked(Value); }
    bool isChecked() const { return Checked(); }
    void setText(const QString& Value) { SetCaption(Value); }
    QString text() const { return Caption(); }

    // Where the box and the caption go in a client area of the given size;
    // Caption is the word-wrapped text's rectangle.
    struct Layout {
        QRect box;  // left, top, right, bottom as drawn: L, T, L + 13, T + 13
        QRect caption;
    };
    Layout LayoutFor(QSize ClientSize) const;

    QSize sizeHint() const override { return {113, 17}; }

protected:
    void Draw(QPainter& Canvas) override;

private:
    std::optional<QColor> checkColor_;
};
