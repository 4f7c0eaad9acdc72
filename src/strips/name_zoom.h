#pragma once
// Name zoom: while a name label is pressed its panel grows to show the
// whole name, two lines high; the release puts it back.

#include <QObject>
#include <QRect>

class QLabel;
class TPanel;

class NameZoom : public QObject {
    Q_OBJECT
public:
    struct Rules {
        bool stretchLabel = false;  // the label takes the zoomed panel's width from x 0
        bool growLeft = false;      // the right edge stays: x from the panel's Tag (its resting x)
        bool raise = false;         // brought in front of its neighbours
    };
    // Watches `label`'s presses; owned by the label.
    NameZoom(TPanel* panel, QLabel* label, Rules rules);

    void press();
    void release();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TPanel* panel_;
    QLabel* label_;
    Rules rules_;
    QRect panelRest_;
    QRect labelRest_;
    bool zoomed_ = false;
};
