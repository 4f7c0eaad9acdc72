#pragma once
// The recording mixer window: the recording destination and its sources
// as strips, where the user picks the recorded source. It owns the
// program's popup menu.

#include "strips/tavlo_window.h"

#include <QIcon>

#include <array>
#include <memory>
#include <vector>

class AutoRepeat;
class ChannelStrip;
class MixerService;
class QAction;
class QMenu;
class QPixmap;
class QTimer;
class TAudioMixer;
class TPicture;
class TSmoothShow;
class TTrayIconF;
struct SharedState;
struct WindowFrame;

class Trec : public TavloWindow {
    Q_OBJECT
public:
    Trec(SharedState& state, MixerService& service);
    ~Trec() override;

    TAudioMixer* Mixer;
    std::unique_ptr<WindowFrame> frame;
    QMenu* PopupMenu;
    AutoRepeat* repeat;  // auto-repeat of the step buttons (Timer4)

    // Menu checks the configuration file carries (rec_menu.cpp).
    QAction* GreenSilver1;    // coloured borders
    QAction* Silverborders1;  // silver borders
    QAction* BlackPlay1;
    QAction* BlackRec1;
    QAction* WhitePlay1;
    QAction* WhiteRec1;
    QAction* magnet;           // keeps the two mixer windows together
    QAction* anim;             // animated shows and hides
    QAction* chanel;           // "Visible channels"
    QAction* about;            // "About Tavlo by Varnel"
    QAction* Quit1;            // "Terminate Tavlo and Quit"
    QAction* save;             // "Save your configuration" (saveRequested)
    QTimer* Timer1;            // the magnet's step, 300 ms
    TSmoothShow* SmoothShow1;  // its Tag is the program's animation switch
    // The window's tray icon and its pictures, made once: reci while the
    // window is hidden, recino while it shows.
    TTrayIconF* TrayIconF1;
    const QIcon reci;
    const QIcon recino;

    // cha0, cha2 ... cha10 in strip order.
    const std::vector<ChannelStrip*>& strips() const { return strips_; }

    // The select button of a source strip: picks this source, or drops it.
    void SelectMouseDown(ChannelStrip* strip);

    // The menu's sound-card choice (card1 ... card5, kCardItems of them).
    static constexpr int kCardItems = 5;
    // Names item i after a card; "&" in the name stays "&".
    void setCardName(int i, const QString& productName);
    // The tick on item i alone (none for an index out of range).
    void checkCard(int i);
    void setCardItemVisible(int i, bool visible);
    // The frame's title: the recorded destination and the card.
    void setCardTitle(const QString& title);
    void setFrameWidth(int width);
    void setFramePictures(const QPixmap& horizontal, const QPixmap& vertical);
    // A destination without a level control shows the fish instead of a
    // master fader; with a mute control the fish moves down beside it.
    void showNoMasterLevel(bool shown);
    void makeRoomForMasterMute();
    // The magnet: its menu check, and its 300 ms step (magnetStepDue).
    bool magnetChecked() const;
    void startMagnet();
    void stopMagnet();
    bool magnetRunning() const;

signals:
    // The magnet's timer: time to move the window that follows.
    void magnetStepDue();
    // Menu item card<k> was picked (k from 1).
    void cardChosen(int k);
    void saveRequested();
    // One of the four corner buttons was clicked.
    void cornerClicked();
    // A strip's VU image chose the line the VU window is to meter.
    void meterRequested();

private:
    void FormCreate();
    void BuildMenu();
    SharedState& state_;
    std::vector<ChannelStrip*> strips_;
    TPicture* poisson;               // stands in for the master fader of a destination without level
    std::array<QAction*, 5> card{};  // card1 ... card5
};
