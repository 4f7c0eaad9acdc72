#pragma once
// The one owner of the sequences that span windows. It is the only code
// that knows every window; the windows offer operations and emit signals
// for requests. It owns and connects its parts, one per concern:
// - CardSetup (card_setup.*): the initialisation of both mixer windows for
//   the card in use (Button1Click, Button3Click) and the strips' refresh
//   (Button5Click), with StripBinding (strip_binding.*, Button4Click);
// - CardWatch (card_watch.*): changes made outside, line changes, devices
//   coming and going;
// - WindowShows (window_shows.*): tray icons, corner buttons, shows and
//   hides, the magnet, the end of the splash phase;
// - MenuActions (menu_actions.*): the popup menu's items and the channel
//   dialog's O.K., with ConfigApply (config_apply.*) for the file;
// - the meter poll (meter_poll.*) and the colour schemes (colour_schemes.*).
// What tests and the program's start call is offered here too.

#include "app/controller_scope.h"
#include "strips/change_guard.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CardSetup;
class CardWatch;
class ColourSchemes;
class ConfigApply;
class MenuActions;
class MeterPoll;
class StripBinding;
class WindowShows;
struct ConfigSaveResult;

class MixerController : public QObject {
    Q_OBJECT
public:
    using Windows = ControllerWindows;
    MixerController(SharedState& state, UserMessages& messages, Windows windows, QObject* parent = nullptr);
    ~MixerController() override;

    // TForm4.FormCreate: the first full initialisation, still under the
    // guard the program started with, then the first read of the card.
    void FirstInitialisation(ChangeGuard::Hold startUp);

    // Both mixer windows rebuilt for MixerIndex (the caller holds the guard).
    void Button1Click();
    // Every bound strip of both windows read back from the card.
    void Button5Click();
    // Form1.Timer1: the end of the splash phase.
    void Timer1Timer();
    // rec.Timer1: the magnet's step.
    void magnetStep();
    // A second start of the program asks for the mixer windows.
    void showMixers();
    // The speaker tray icon's double click: the master's mute (the mute key).
    void TrayIconF2DblClick();
    // The menu's card item k (card1Click ... card5Click).
    void switchCard(int k);
    // The menu's "Save your configuration", true when saved.
    bool saveClick();
    // TForm4.saveClick: the file written from what the windows show.
    [[nodiscard]] ConfigSaveResult saveConfiguration();

    // Whether the desktop has a tray (tests put their own answer here).
    std::function<bool()> TrayAvailable;

    ColourSchemes& schemes() { return *schemes_; }
    MeterPoll& poll() { return *poll_; }
    // Refreshes run so far (Button5Click), for tests and diagnostics.
    int refreshCount() const;
    // Rebinds after line changes or a lost output, for tests and diagnostics.
    int rebindCount() const;

signals:
    // The exit sequence is through; the event loop is asked to end.
    void quitting();

private:
    ControllerScope scope_;
    std::unique_ptr<ColourSchemes> schemes_;
    std::unique_ptr<MeterPoll> poll_;
    std::unique_ptr<ConfigApply> config_;
    std::unique_ptr<StripBinding> binding_;
    std::unique_ptr<CardSetup> setup_;
    std::unique_ptr<CardWatch> watch_;
    std::unique_ptr<WindowShows> shows_;
    std::unique_ptr<MenuActions> menu_;
};
