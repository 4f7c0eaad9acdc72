#pragma once
// Pictures of the strips drawn in code, until the colour schemes bring the
// full skin set: fader cursor and its drag shadow (18 x 13), the track and
// its highlighted twin (15 x 57), and the plain fills of name plates.

#include <QColor>
#include <QPixmap>

namespace strip_pictures {

QPixmap cursor();          // resting fader knob
QPixmap shadow();          // the knob while it is dragged
QPixmap track();           // normal track picture
QPixmap trackHighlight();  // shown through while the track picture is hidden
QPixmap vuImage();         // the small VU image of a strip (25 x 12)
QPixmap fill(QSize size, const QColor& color);
QPixmap border(QSize size, bool horizontal);  // window frame pieces

}  // namespace strip_pictures
