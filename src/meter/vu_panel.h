#pragma once
// The VU window's moving parts drawn by one widget: the faces, the lamp
// columns, the held peaks, the over-peak icons and the numerals. Each part
// is an object named as the window's design names it (vul, led7, Label11,
// ...) that holds a picture and a visibility; a change repaints the part's
// rectangle alone, so a lamp going out repaints 18 x 6 pixels and nothing
// else, and no part is a widget of its own to be laid out, clipped and
// painted by Qt on its own.

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <vector>

class TVuPanel;

class TVuPart : public QObject {
    Q_OBJECT
public:
    // A part at geometry (window coordinates of the panel), drawn inside
    // its container's rectangle (clip) above the parts made before it.
    TVuPart(TVuPanel* panel, const QString& name, QRect geometry, QRect clip);

    QPixmap Picture() const { return picture_; }
    void SetPicture(const QPixmap& Value);
    QRect geometry() const { return geometry_; }

    bool isHidden() const { return hidden_; }
    // Shown and on a shown panel, as a widget would say.
    bool isVisible() const;
    void setVisible(bool visible);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    // A text part: the text is laid out once into a picture (transparent
    // around the glyphs) and kept while other texts come and go.
    void SetTextStyle(const QFont& font, const QColor& colour, Qt::Alignment alignment);
    QString text() const { return text_; }
    void setText(const QString& text);

private:
    friend class TVuPanel;
    void Changed() const;
    TVuPanel* panel_;
    QRect geometry_;
    QRect clip_;
    QPixmap picture_;
    bool hidden_ = false;
    bool drawn_ = true;  // false: a picture kept for others (vuf0 ... vuf10)
    QString text_;
    QFont font_;
    QColor colour_;
    Qt::Alignment alignment_;
    QHash<QString, QPixmap> texts_;
};

class TVuPanel : public QWidget {
    Q_OBJECT
public:
    // Covers `area` of the window; only `shape` (window coordinates) is
    // drawn, the rest belongs to the widgets around it.
    TVuPanel(QWidget* window, QRect area, const QRegion& shape);

    // A part that is only a picture kept for the others, never drawn.
    TVuPart* KeptPicture(const QString& name, const QPixmap& picture);

    static constexpr int kMaxTexts = 32;  // texts a part keeps laid out

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    friend class TVuPart;
    void Repaint(QRect windowRect);
    std::vector<TVuPart*> parts_;  // in drawing order
    QRect pending_;                // what the next paint covers, panel coordinates
};
