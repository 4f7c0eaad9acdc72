#include "play/tone_panel.h"

#include "controls/panel.h"
#include "controls/rotary_knob.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"

#include <QLabel>

namespace {

template <class W>
W* make(QWidget* parent, const char* name, QRect geometry, const char* hint = "") {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    if (*hint) w->setToolTip(QString::fromLatin1(hint));
    return w;
}

QLabel* caption(QWidget* parent, const char* name, QRect geometry, const char* text) {
    auto* l = make<QLabel>(parent, name, geometry);
    l->setText(QString::fromLatin1(text));
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setPixelSize(9);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("color: silver;"));
    return l;
}

}  // namespace

TonePanel::TonePanel(QWidget* window) {
    chatune = make<TPanel>(window, "chatune", QRect(10, 16, 70, 146));
    chatune->SetColor(QColor(36, 36, 40));
    Panel3 = make<TPanel>(chatune, "Panel3", QRect(0, 0, 70, 16));
    Panel3->SetBevel(TPanel::BevelKind::None);
    Label6 = make<QLabel>(Panel3, "Label6", QRect(1, 1, 68, 14));
    Label6->setText(QStringLiteral("All tune"));
    Label6->setAlignment(Qt::AlignCenter);
    Label6->setToolTip(QStringLiteral("Click to zoom the name..."));
    QFont nf = Label6->font();
    nf.setPixelSize(10);
    Label6->setFont(nf);
    Label10 = caption(chatune, "Label10", QRect(18, 16, 34, 10), "Treble");
    Label9 = caption(chatune, "Label9", QRect(18, 70, 34, 10), "Bass");

    RotaryKnob1 =
        make<TRotaryKnob>(chatune, "RotaryKnob1", QRect(20, 25, 30, 30), "Turn the knob to ajust the treble...");
    RotaryKnob1->SetMin(0);
    RotaryKnob1->SetMax(65535);
    RotaryKnob1->SetPosition(32767);
    MaskEdit3 = make<TTwoDigitEdit>(chatune, "MaskEdit3", QRect(33, 56, 16, 13));
    treplus = make<TStepButton>(chatune, "treplus", QRect(20, 53, 10, 8), "Click to set the treble + 1...");
    tremoins = make<TStepButton>(chatune, "tremoins", QRect(20, 62, 10, 8), "Click to set the volume - 1...");
    tremoins->SetGlyph(TStepButton::GlyphKind::Down);

    RotaryKnob2 =
        make<TRotaryKnob>(chatune, "RotaryKnob2", QRect(18, 79, 31, 30), "Turn the knob to ajust the bass...");
    RotaryKnob2->SetMin(1);
    RotaryKnob2->SetMax(65535);
    RotaryKnob2->SetPosition(32767);
    MaskEdit4 = make<TTwoDigitEdit>(chatune, "MaskEdit4", QRect(33, 112, 16, 13));
    basplus = make<TStepButton>(chatune, "basplus", QRect(21, 109, 10, 8), "Click to set the volume + 1...");
    bassmoins = make<TStepButton>(chatune, "bassmoins", QRect(21, 118, 10, 8), "Click to set the volume - 1...");
    bassmoins->SetGlyph(TStepButton::GlyphKind::Down);
    for (TTwoDigitEdit* e : {MaskEdit3, MaskEdit4}) {
        QFont f = e->font();
        f.setPixelSize(10);
        e->setFont(f);
    }

    lrrl = make<TPanel>(chatune, "lrrl", QRect(19, 128, 30, 11), "Click to reverse the left/right control...");
    lrrl->SetCaption(QStringLiteral("<L R>"));
    QFont lf = lrrl->font();
    lf.setPixelSize(9);
    lrrl->setFont(lf);
    for (QWidget* w : std::initializer_list<QWidget*>{treplus, tremoins, basplus, bassmoins, MaskEdit3, MaskEdit4})
        w->setEnabled(false);
    MaskEdit3->setText(QStringLiteral("50"));
    MaskEdit4->setText(QStringLiteral("50"));
}
