#pragma once
// The program's popup menu (it belongs to the recording window and shows on
// every window's and tray icon's right click): the sound-card choice, the
// looks, the animation switch, the channel dialog, About, save and quit.
// While a dialog of the program is open the mixer windows stand back from
// stay-on-top and the magnet rests.

#include "app/controller_scope.h"

#include <QObject>

class CardSetup;
class ColourSchemes;
class ConfigApply;
class WindowShows;

class MenuActions : public QObject {
    Q_OBJECT
public:
    MenuActions(const ControllerScope& scope, CardSetup& setup, WindowShows& shows, ColourSchemes& schemes,
                ConfigApply& config);

    // card1Click ... card5Click: item k picks card k - 1.
    void switchCard(int k);
    void animClick();
    void chanelClick();
    // The channel dialog's "O.K." and its hiding (FormHide).
    void SpeedButton1Click();
    void dialogHidden();
    void aboutClick();
    void Quit1Click();
    // "Save your configuration" with its messages; true when saved.
    bool saveClick();

signals:
    // The exit sequence is through; the event loop is asked to end.
    void quitting();

private:
    const ControllerScope& s_;
    CardSetup& setup_;
    WindowShows& shows_;
    ColourSchemes& schemes_;
    ConfigApply& config_;
};
