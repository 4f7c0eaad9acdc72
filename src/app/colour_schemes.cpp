#include "app/colour_schemes.h"

#include "config/channel_dialog.h"
#include "controls/panel.h"
#include "meter/vu_window.h"
#include "play/form1.h"
#include "play/tone_panel.h"
#include "rec/rec_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>

namespace {

void setPair(QAction* first, QAction* second, bool firstChecked) {
    first->setChecked(firstChecked);
    second->setChecked(!firstChecked);
}

}  // namespace

ColourSchemes::ColourSchemes(TForm1& play, Trec& rec, TForm2& vu, TForm4& dialog)
    : play_(play), rec_(rec), vu_(vu), dialog_(dialog) {
    applyBorderScheme(rec_.GreenSilver1->isChecked());
    vu_.Image11->setPixmap(skins_.fondgris);
}

void ColourSchemes::imageplayClick() {
    vuFrameFromPlay();
    vu_.Image11->setPixmap(skins_.fondgris);
    const bool white = !rec_.BlackPlay1->isChecked();
    skinToneStrip(*play_.tone->chatune, skins_, white, dialog_.tonePanelChecked());
    skinStrips(play_, play_.strips(), skins_, white);
}

void ColourSchemes::imagerecClick() { skinStrips(rec_, rec_.strips(), skins_, !rec_.BlackRec1->isChecked()); }

void ColourSchemes::applyPlaySkin(bool white) {
    setPair(rec_.BlackPlay1, rec_.WhitePlay1, !white);
    imageplayClick();
}

void ColourSchemes::applyRecSkin(bool white) {
    setPair(rec_.BlackRec1, rec_.WhiteRec1, !white);
    imagerecClick();
}

void ColourSchemes::applyBorderScheme(bool coloured) {
    setPair(rec_.GreenSilver1, rec_.Silverborders1, coloured);
    const SkinSet& s = skins_;
    // Silver: the recording window takes the playback window's grey bars too.
    play_.setFramePictures(coloured ? s.fondverth : s.fondgris, coloured ? s.fondvertv : s.fondgrisv);
    rec_.setFramePictures(coloured ? s.bordrh : s.fondgris, coloured ? s.bordrv : s.fondgrisv);
    setFrame(vu_.Image1, vu_.Image2, vu_.Image3, vu_.Image4, coloured ? s.fondverth : s.fondgris,
             coloured ? s.fondvertv : s.fondgrisv);
}

void ColourSchemes::vuFrameFromPlay() {
    setFrame(vu_.Image1, vu_.Image2, vu_.Image3, vu_.Image4, skins_.fondverth, skins_.fondvertv);
}

void ColourSchemes::vuFrameFromRec() {
    setFrame(vu_.Image1, vu_.Image2, vu_.Image3, vu_.Image4, skins_.bordrh, skins_.bordrv);
}
