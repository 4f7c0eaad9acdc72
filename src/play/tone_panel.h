#pragma once
// The tone panel `chatune` of the playback window: treble and bass knobs
// with their read-outs and step buttons, and the left/right exchange.

class QLabel;
class QWidget;
class TPanel;
class TRotaryKnob;
class TStepButton;
class TTwoDigitEdit;

struct TonePanel {
    TPanel* chatune;
    TPanel* Panel3;
    QLabel* Label6;
    QLabel* Label10;
    QLabel* Label9;
    TRotaryKnob* RotaryKnob1;  // treble
    TTwoDigitEdit* MaskEdit3;
    TStepButton* treplus;
    TStepButton* tremoins;
    TRotaryKnob* RotaryKnob2;  // bass
    TTwoDigitEdit* MaskEdit4;
    TStepButton* basplus;
    TStepButton* bassmoins;
    TPanel* lrrl;

    // Knobs in the middle, read-outs at "50", read-outs and steps disabled.
    explicit TonePanel(QWidget* window);
};
