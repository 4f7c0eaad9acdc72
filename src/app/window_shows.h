#pragma once
// The mixer windows as windows: their tray icons, corner buttons, shows and
// hides with their animation, the magnet that keeps them together, the
// popup menu on every right click, and the end of the splash phase.
//
// The playback window's handlers keep their crossed names: TrayIconF2Click
// is its TrayIconF1's click (the playback window), TrayIconF2DblClick the
// master mute, TrayIconF1Click its TrayIconF2's click (both windows).
// Every tray click is ignored during the splash phase.

#include "app/controller_scope.h"

#include <QObject>

#include <functional>

class QIcon;
class QWidget;
class TavloWindow;
class TSmoothShow;

class WindowShows : public QObject {
    Q_OBJECT
public:
    // trayAvailable: whether the desktop has a tray (tests put their own answer there).
    WindowShows(const ControllerScope& scope, const std::function<bool()>& trayAvailable);

    void Panel2Click();
    void TrayIconF2Click();
    void TrayIconF2DblClick();
    void TrayIconF1Click();
    void TrayIconF1DblClick();
    void Timer2Timer();
    void recTrayIconF1Click();
    void recTrayIconF1DblClick();
    void recPanel2Click();
    // rec.Timer1: the magnet's step.
    void magnetStep();
    // Form1.Timer1: the end of the splash phase. The tray icons come up;
    // without a tray the mixer windows show at once.
    void Timer1Timer();
    // Both mixer windows up and in front (a second start asks for them).
    void showMixers();

    // The animation switch of the menu ("Animated window").
    bool animationOn() const;
    // The master's tray picture: muted, or sounding with the window shown or not.
    const QIcon& masterPicture(bool windowShown) const;
    // The windows' pictures for both mixer windows shown.
    void showShownPictures();
    void hideWindow(QWidget& window, TSmoothShow& animation);
    void showWindow(QWidget& window, TSmoothShow& animation);
    // Dialogs of the program: the mixers leave stay-on-top, the magnet
    // rests; back when the dialog goes.
    void lowerMixers();
    void raiseMixers();
    // The mixers back on top after About, the magnet on again if checked.
    void raiseMixersAfterAbout();

private:
    void minimizeToTray(TavloWindow& window);

    const ControllerScope& s_;
    const std::function<bool()>& trayAvailable_;
};
