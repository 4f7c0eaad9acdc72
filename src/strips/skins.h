#pragma once
// The skin set: the template pictures every strip and frame picture of the
// windows is filled from, drawn in code once, and the operations that fill
// a window's strips and frame from it. Which scheme is in force is the
// menu's business (the controller's colour schemes); this only paints.

#include <QPixmap>

#include <vector>

class ChannelStrip;
class QLabel;
class QWidget;

struct SkinSet {
    SkinSet();

    QPixmap fondverth;  // coloured frame, top and bottom bars (20 x 20)
    QPixmap fondvertv;  // coloured frame, side bars (20 x 20)
    QPixmap fondgris;   // silver frame, top and bottom bars; the VU over-peak bar (20 x 12)
    QPixmap fondgrisv;  // silver frame, side bars (12 x 20)
    QPixmap silverg;    // strip rails of the black scheme, left and right (18 x 10)
    QPixmap silverd;
    QPixmap whiteg;  // strip rails of the white scheme
    QPixmap whited;
    QPixmap leveln;    // fader scale (15 x 57)
    QPixmap levelc;    // second scale, shown while its cursor is dragged
    QPixmap curseur;   // fader knob (18 x 13)
    QPixmap curseur2;  // the knob's drag shadow
    QPixmap rien;      // nothing: clears a picture
    QPixmap bordrh;    // the recording window's own coloured frame (16 x 16)
    QPixmap bordrv;
};

// Frame pieces of a window, stretched over their places.
void setFrame(QLabel* top, QLabel* left, QLabel* bottom, QLabel* right, const QPixmap& horizontal,
              const QPixmap& vertical);

// The strips of one mixer window in the black or white scheme: every
// strip's rails, scales and knobs blanked, then those of the strips in use
// (panel Tag 0) filled again; the window's ground black or white.
void skinStrips(QWidget& window, const std::vector<ChannelStrip*>& strips, const SkinSet& skins, bool white);

// The tone strip's rails (gsleq, dsleq): the scheme's when the tone strip
// is in use, none otherwise.
void skinToneStrip(QWidget& toneStrip, const SkinSet& skins, bool white, bool inUse);

// A rail of a strip panel (gsl1, dsl1 ...), made on first use behind
// everything the panel holds, over its whole height.
QLabel* stripRail(QWidget& panel, const QString& name, bool left);
