#pragma once
// The tray pictures of the mixer windows, drawn in code. Each is drawn on a
// 16-unit grid so it reads at the tray's 16 pixels and stays sharp at 22 or
// 32. The "shown" pictures put the glyph on a lit little window (blue title
// bar, light face): the window is on the screen; the "hidden" ones show the
// bare glyph: the window waits in the tray.

#include <QIcon>
#include <QPixmap>

class QColor;
class QPainter;
class QRectF;

// Named as the windows name their pictures.
enum class TrayPicture {
    soundyesi,   // master sounding, playback window hidden
    soundyesno,  // master sounding, playback window shown
    soundnoi,    // master muted
    recplay,     // both mixer windows hidden
    recplayno,   // both mixer windows shown
    reci,        // recording window hidden
    recino,      // recording window shown
    vui,         // VU window hidden
    vuino,       // VU window shown
};

// One picture, Size × Size pixels on a transparent ground (Size >= 1).
QPixmap DrawTrayPicture(TrayPicture Picture, int Size = 16);

// The picture at 16, 22 and 32 pixels, for the tray to choose from. Make it
// once and keep it: a tray icon sends a picture only when it is another
// object than the one it shows.
QIcon TrayPictureIcon(TrayPicture Picture);

// The glyphs the pictures are made of, for the program's other pictures
// (its application icon). Drawn on a 16-unit grid fitted, centred, into
// `area`; `ink` colours the outlines and dark parts (the tray uses a dark
// grey, a dark ground wants a light one).
enum class TrayGlyph { SpeakerSounding, SpeakerMuted, Faders, RecordDot, Meter };
void DrawTrayGlyph(QPainter& p, TrayGlyph glyph, const QRectF& area, const QColor& ink);
