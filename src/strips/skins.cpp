#include "strips/skins.h"

#include "controls/panel.h"
#include "controls/picture.h"
#include "strips/channel_strip.h"
#include "strips/strip_pictures.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

namespace {

// A bar shaded across its thickness: dark edges, light middle.
QPixmap bar(QSize size, bool horizontal, const QColor& light, const QColor& dark) {
    QPixmap p(size);
    QPainter g(&p);
    QLinearGradient shade(0, 0, horizontal ? 0 : size.width(), horizontal ? size.height() : 0);
    shade.setColorAt(0, dark);
    shade.setColorAt(0.5, light);
    shade.setColorAt(1, dark);
    g.fillRect(p.rect(), shade);
    return p;
}

// A rail: a polished strip, its darker edge toward the strip's middle.
QPixmap rail(const QColor& face, bool left) {
    QPixmap p(18, 10);
    QPainter g(&p);
    QLinearGradient shade(0, 0, 18, 0);
    shade.setColorAt(left ? 0 : 1, face.lighter(115));
    shade.setColorAt(0.5, face);
    shade.setColorAt(left ? 1 : 0, face.darker(160));
    g.fillRect(p.rect(), shade);
    g.setPen(face.darker(130));
    g.drawLine(0, 9, 17, 9);  // a seam every 10 pixels once stretched
    return p;
}

const QColor kBlackGround(0, 0, 0);
const QColor kWhiteGround(255, 255, 255);
// The strip panels' own ground in each scheme.
const QColor kBlackPanel(36, 36, 40);
const QColor kWhitePanel(226, 226, 230);

void setPicture(QWidget& panel, const char* name, const QPixmap& picture) {
    if (auto* p = panel.findChild<TPicture*>(QString::fromLatin1(name))) p->SetPicture(picture);
}

void setWindowGround(QWidget& window, const QColor& colour) {
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, colour);
    window.setPalette(pal);
}

}  // namespace

SkinSet::SkinSet()
    : fondverth(bar({20, 20}, true, QColor(120, 220, 140), QColor(20, 90, 50))),
      fondvertv(bar({20, 20}, false, QColor(120, 220, 140), QColor(20, 90, 50))),
      fondgris(bar({20, 12}, true, QColor(215, 215, 222), QColor(120, 120, 128))),
      fondgrisv(bar({12, 20}, false, QColor(215, 215, 222), QColor(120, 120, 128))),
      silverg(rail(QColor(150, 150, 158), true)),
      silverd(rail(QColor(150, 150, 158), false)),
      whiteg(rail(QColor(245, 245, 248), true)),
      whited(rail(QColor(245, 245, 248), false)),
      leveln(strip_pictures::track()),
      levelc(strip_pictures::trackHighlight()),
      curseur(strip_pictures::cursor()),
      curseur2(strip_pictures::shadow()),
      bordrh(bar({16, 16}, true, QColor(230, 120, 120), QColor(110, 20, 30))),
      bordrv(bar({16, 16}, false, QColor(230, 120, 120), QColor(110, 20, 30))) {}

void setFrame(QLabel* top, QLabel* left, QLabel* bottom, QLabel* right, const QPixmap& horizontal,
              const QPixmap& vertical) {
    top->setPixmap(horizontal);
    bottom->setPixmap(horizontal);
    left->setPixmap(vertical);
    right->setPixmap(vertical);
}

QLabel* stripRail(QWidget& panel, const QString& name, bool left) {
    auto* r = panel.findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
    if (!r) {
        r = new QLabel(&panel);
        r->setObjectName(name);
        r->setScaledContents(true);
        r->setAttribute(Qt::WA_TransparentForMouseEvents);
        r->lower();
        r->show();
    }
    r->setGeometry(left ? 0 : panel.width() - 18, 0, 18, panel.height());
    return r;
}

void skinStrips(QWidget& window, const std::vector<ChannelStrip*>& strips, const SkinSet& skins, bool white) {
    const QPixmap& railL = white ? skins.whiteg : skins.silverg;
    const QPixmap& railR = white ? skins.whited : skins.silverd;
    for (std::size_t k = 0; k < strips.size(); ++k) {
        const ChannelStrip& strip = *strips[k];
        const StripNames& n = *strip.row.names;
        auto* panel = window.findChild<TPanel*>(QString::fromLatin1(n.panel));
        if (!panel) continue;
        const bool used = strip.Bound();
        const QString number = QString::number(k + 1);
        stripRail(*panel, QStringLiteral("gsl") + number, true)->setPixmap(used ? railL : skins.rien);
        stripRail(*panel, QStringLiteral("dsl") + number, false)->setPixmap(used ? railR : skins.rien);
        // The knob pair is the cursor and its drag shadow, on both sides.
        for (const char* name : {n.levelL, n.levelR}) setPicture(*panel, name, used ? skins.leveln : skins.rien);
        for (const char* name : {n.levcL, n.levcR}) setPicture(*panel, name, used ? skins.levelc : skins.rien);
        for (const char* name : {n.cursL, n.cursR}) setPicture(*panel, name, used ? skins.curseur : skins.rien);
        for (const char* name : {n.shadL, n.shadR}) setPicture(*panel, name, used ? skins.curseur2 : skins.rien);
        panel->SetColor(white ? kWhitePanel : kBlackPanel);
    }
    setWindowGround(window, white ? kWhiteGround : kBlackGround);
}

void skinToneStrip(QWidget& toneStrip, const SkinSet& skins, bool white, bool inUse) {
    const QPixmap& railL = white ? skins.whiteg : skins.silverg;
    const QPixmap& railR = white ? skins.whited : skins.silverd;
    stripRail(toneStrip, QStringLiteral("gsleq"), true)->setPixmap(inUse ? railL : skins.rien);
    stripRail(toneStrip, QStringLiteral("dsleq"), false)->setPixmap(inUse ? railR : skins.rien);
}
