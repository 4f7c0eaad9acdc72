#pragma once
// The colour schemes of the windows: the frame (coloured or silver borders,
// on the playback, recording and VU windows) and the strip colour of each
// mixer window (black or white). The menu checks of the recording window
// are the whole state; the pictures come from one skin set, drawn once.
//
// The binding runs imageplayClick and imagerecClick once it knows which
// strips are in use; the menu items run the *Click handlers (connected to
// QAction::triggered, which has already turned the item's own check).

#include "strips/skins.h"

class TForm1;
class TForm2;
class TForm4;
class Trec;

class ColourSchemes {
public:
    // Puts the frame the menu shows on the three windows, as their
    // creation did.
    ColourSchemes(TForm1& play, Trec& rec, TForm2& vu, TForm4& dialog);

    const SkinSet& skins() const { return skins_; }

    // The playback window's strips in the scheme its menu pair shows (and
    // the VU window's frame coloured); the recording window's likewise.
    void imageplayClick();
    void imagerecClick();

    // One call per scheme change: the menu pair set, then applied.
    void applyPlaySkin(bool white);
    void applyRecSkin(bool white);
    void applyBorderScheme(bool coloured);

    // Menu items. Each strip colour item swaps its pair whatever its own
    // check was; checked is the item's check after Qt turned it.
    void GreenSilver1Click() { applyBorderScheme(true); }
    void Silverborders1Click() { applyBorderScheme(false); }
    void BlackPlay1Click(bool checked) { applyPlaySkin(!checked); }
    void WhitePlay1Click(bool checked) { applyPlaySkin(checked); }
    void BlackRec1Click(bool checked) { applyRecSkin(!checked); }
    void WhiteRec1Click(bool checked) { applyRecSkin(checked); }

    // A strip's VU image opened the VU window: its frame takes the calling
    // window's coloured pictures, whatever frame is chosen.
    void vuFrameFromPlay();
    void vuFrameFromRec();

private:
    TForm1& play_;
    Trec& rec_;
    TForm2& vu_;
    TForm4& dialog_;
    SkinSet skins_;
};
