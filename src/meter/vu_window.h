#pragma once
// The VU window: the peak level of one mixer line on two needle faces, two
// lamp columns with a held peak, a level numeral per channel, a flashing
// over-peak icon per channel and a dated over-peak log. The meter poll
// feeds it (ShowLevels); faces and lamps are prepared pictures swapped and
// shown by one panel that repaints only what changed.
//
// What only concerns this window (its tray icon's clicks, the corner
// buttons, the log, the clock) is handled here; what reaches other windows
// goes out as signals: the meter scan a tray click runs first, stopping the
// magnet, and the popup menu.

#include "strips/tavlo_window.h"

#include <QIcon>

#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class TPanel;
class TVuPanel;
class TVuPart;
class TSmoothShow;
class TTrayIconF;
struct SharedState;

class TForm2 : public TavloWindow {
    Q_OBJECT
public:
    explicit TForm2(SharedState& state);
    ~TForm2() override;

    // Frame pictures (stretched), filled from the colour schemes' skin set;
    // Image11 is the over-peak bar's ground.
    QLabel* Image1;  // top
    QLabel* Image2;  // left
    QLabel* Image3;  // bottom
    QLabel* Image4;  // right
    QLabel* Image11;
    QLabel* Label14;                   // title; the clock while shown
    std::array<TPanel*, 4> corners{};  // Panel2, Panel1, Panel3, Panel4: "X"

    // The meter's moving parts, drawn by one panel (Panel120's faces, icons
    // and numerals, and the lamp columns Panel5 and Panel7 beside it); each
    // part keeps its design name.
    TVuPanel* VuPanel;
    TVuPart* vul;                           // left face
    TVuPart* vur;                           // right face
    std::array<TVuPart*, 11> vuf{};         // kept pictures: the faces vuf0 (rest) ... vuf10 (full scale)
    TVuPart* peaklr;                        // left over-peak icon
    TVuPart* peaklr2;                       // right over-peak icon
    TVuPart* Label1;                        // "No peak detected..."
    TVuPart* Label2;                        // "Use the SOLO mode for that chanel"
    TVuPart* Label11;                       // left level
    TVuPart* Label15;                       // right level
    std::array<TVuPart*, 10> leftLamps{};   // led1 (lowest) ... led10
    std::array<TVuPart*, 10> rightLamps{};  // led11, led21 ... led101
    QLabel* Label17;                        // over-peak count
    QPushButton* Button6;                   // RESET
    QPushButton* SpeedButton1;              // the last over-peak; shows the log
    QComboBox* ComboBox4;                   // the log, hidden until asked for

    QTimer* Timer1;  // hides peaklr, 2 s after it lit
    QTimer* Timer4;  // hides peaklr2
    QTimer* Timer2;  // releases the left held lamp after 5 s
    QTimer* Timer3;  // releases the right held lamp
    QTimer* Timer6;  // title clock, while shown

    // Tray icon: inactive until the splash phase ends (the controller
    // activates it); vui while the window is hidden, vuino while shown.
    TTrayIconF* TrayIconF1;
    QIcon vui;
    QIcon vuino;
    TSmoothShow* SmoothShow1;

    // The program's animation switch (the recording window's SmoothShow1,
    // Tag 0 = animate). Without one, shows and hides animate.
    void UseAnimationSwitch(const TSmoothShow* animationSwitch) { animationSwitch_ = animationSwitch; }

    // A strip's VU image chose the line (the shared meter state names it):
    // faces at rest, "No peak detected..." until a reading comes, the solo
    // advice too when the playback window asked, and the window shows.
    void ShowForLine(bool fromPlayback);

    // One update of the display for the levels of the metered line: the
    // right channel only when the line has more than one.
    void ShowLevels(int left, std::optional<int> right);

    // Handlers, named after their components.
    void Panel2Click();
    void TrayIconF1Click();
    void TrayIconF1DblClick();
    void Button6Click();
    void SpeedButton1Click();
    void ComboBox4DblClick();
    void Timer6Timer();

signals:
    // The tray click runs the meter scan before it shows or hides.
    void meterScanRequested();
    // The magnet between the mixer windows rests while this one is used.
    void magnetStopRequested();
    // A right click on the window (or on its tray icon while that has no
    // menu of its own) says menuRequested(), as every window of the program.

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Side { Left, Right };
    void ShowChannel(Side side, int level);
    void LogOverPeak(Side side, int level);
    bool Animated() const;

    SharedState& state_;
    const TSmoothShow* animationSwitch_ = nullptr;
};
