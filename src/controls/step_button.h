#pragma once
// TStepButton: a small push button with an arrow, for "+1" and "-1" steps.
// Any mouse button raises OnMouseDown and OnMouseUp; releasing the left
// button over the button then raises OnClick, after OnMouseUp, so a held
// button's repeat stops before the final step. Released elsewhere, no click.

#include "controls/events.h"

#include <QWidget>

class TStepButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(GlyphKind Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    enum class GlyphKind { Up, Down };
    Q_ENUM(GlyphKind)

    explicit TStepButton(QWidget* parent = nullptr);

    GlyphKind Glyph() const { return glyph_; }
    void SetGlyph(GlyphKind Value);
    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }

    // True while the left button is held on it and the pointer is over it.
    bool IsDown() const { return down_; }

    // Raises OnClick as a release over the button does.
    void Click();

    TMouseEvent<TStepButton> OnMouseDown;
    TMouseEvent<TStepButton> OnMouseUp;
    TNotifyEvent<TStepButton> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    QSize sizeHint() const override { return {10, 8}; }

private:
    void SetDown(bool Value);

    GlyphKind glyph_ = GlyphKind::Up;
    int tag_ = 0;
    bool tracking_ = false;  // the left button went down on the button
    bool down_ = false;
};
