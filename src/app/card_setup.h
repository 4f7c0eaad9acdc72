#pragma once
// The initialisation of both mixer windows for the card in use, and the
// refresh of every bound strip from the card. Button1Click runs the whole
// sequence: the binding (Button4Click), then names and layout
// (Button3Click), then the meter scan; Button5Click reads the strips.

#include "app/controller_scope.h"

#include <QObject>

#include <vector>

class MeterPoll;
class StripBinding;

// The line ids each connection index of a destination stood for at the
// last binding: index 0 the destination line, 1 + c connection c.
struct BoundLines {
    static constexpr unsigned long kNoLine = ~0ul;  // line ids are 32-bit: this one stands for none
    std::vector<unsigned long> play;
    std::vector<unsigned long> rec;

    // The id connection conn stood for, kNoLine for none.
    static unsigned long at(const std::vector<unsigned long>& lines, int conn);
    // The connection index a line id had, -1 for the destination, -2 for none.
    static int connOf(const std::vector<unsigned long>& lines, unsigned long id);
};

class CardSetup : public QObject {
    Q_OBJECT
public:
    CardSetup(const ControllerScope& scope, StripBinding& binding, MeterPoll& poll);

    // Button1Click: both mixer windows rebuilt for the card MixerIndex
    // (binding, names, layout, meters). The caller holds the guard.
    void Button1Click();
    // Button3Click ("Init"): strip names and the stereo/mono layout of the
    // bound strips. False when there is no mixer at all.
    bool Button3Click();
    // Button5Click ("mixer change"): every bound strip of both windows read
    // back from the card.
    void Button5Click();
    // ComboBox1Change: a destination picked from the hidden list reopens the card.
    void ComboBox1Change();

    // The card menu: items named after the cards (up to five), the tick on
    // the card shown, one item per card.
    void nameCardMenu(int count);
    void showCardMenuItems(int count);

    const BoundLines& boundLines() const { return bound_; }
    // The bound device only stands in for an output ("Dummy Output").
    bool boundStandIn() const { return boundStandIn_; }
    int refreshCount() const { return refreshes_; }

private:
    // Steps of Button1Click.
    void rereadCardTrees();
    void clearSoloMemory();
    void showRecordingMaster();
    void nameRecordingStrips();
    void titleRecordingWindow();
    void startSplashEndOnce();
    void meterPlaybackMaster();
    void rememberBoundCard();
    // Steps of Button3Click.
    void listDestinations();
    void titlePlaybackWindow();
    void namePlaybackStrips();
    void layOutStripsByChannels();

    const ControllerScope& s_;
    StripBinding& binding_;
    MeterPoll& poll_;
    BoundLines bound_;
    bool boundStandIn_ = false;
    int refreshes_ = 0;
};
