#pragma once
// The one owner of the sequences that span windows: the full
// initialisation of both mixer windows for the card in use (binding, names
// and layout, first read), the refresh when the card changes outside the
// program, cards coming and going, the end of the splash phase, and the
// configuration's read and save. It is the only code that knows every
// window; the windows expose their parts and emit signals for requests.
//
// Rules it keeps:
// - Echoes of the program's own writes never refresh: the mixer objects
//   drop them. A change made outside runs one refresh; changes arriving
//   together run one refresh after them (one posted call per turn of the
//   event loop); a change arriving while the guard is held is kept and
//   refreshed once when the guard returns to 0.
// - A card whose product name is no longer the bound one, or the bound card
//   disappearing, warns once and ends the program. Where devices come and
//   go in ordinary use (a sound server's outputs), the windows are rebound
//   to device 0 instead, and an output that went is said once (a stand-in
//   output is not); a sound server that stops is said as such, and one
//   that starts when other devices or none were shown too.
// - A line change on the bound card (an application's stream starting or
//   ending) rebinds both windows: once per turn of the event loop, never
//   while the guard is held, keeping each remaining strip's link state and
//   the metered line.
// - The bound card keeps being the one in use when other cards come or go.

#include "platform/mixer_driver.h"
#include "strips/change_guard.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class ChannelStrip;
class ColourSchemes;
class MeterPoll;
class QComboBox;
class QIcon;
class TavloWindow;
class TSmoothShow;
class TAudioMixer;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class Trec;
class UserMessages;
struct ConfigSaveResult;
struct ConfigFileContents;
struct ConfigValues;
struct SharedState;

class MixerController : public QObject {
    Q_OBJECT
public:
    struct Windows {
        TForm3& splash;
        TForm1& play;
        Trec& rec;
        TForm2& vu;
        TForm4& dialog;
    };
    MixerController(SharedState& state, UserMessages& messages, Windows windows, QObject* parent = nullptr);
    ~MixerController() override;

    // TForm4.FormCreate: the first full initialisation, still under the
    // guard the program started with, then the first read of the card.
    void FirstInitialisation(ChangeGuard::Hold startUp);

    // Button1Click: full (re)initialisation of both mixer windows for
    // MixerIndex. The caller holds the guard.
    void Button1Click();
    // Button4Click: which line and control feeds which strip of both windows.
    void Button4Click();
    // Button3Click ("Init"): names and stereo/mono layout of the bound
    // strips. False when there is no mixer at all.
    bool Button3Click();
    // Button5Click ("mixer change"): reads every bound strip of both windows
    // back from the card.
    void Button5Click();
    void ComboBox1Change();

    // OnControlChange of Form1.Mixer and Form1.Mixer1.
    void MixerControlChange(TAudioMixer* Sender, int MixerH, int ID);
    void Mixer1ControlChange(TAudioMixer* Sender, int MixerH, int ID);

    // Form1.Timer1: the end of the splash phase. The tray icons come up;
    // without a tray the mixer windows show at once.
    void Timer1Timer();
    // Whether the desktop has a tray (tests put their own answer here).
    std::function<bool()> TrayAvailable;

    // The windows' behaviour (controller_windows.cpp). The playback
    // window's handlers keep their crossed names: TrayIconF2Click is its
    // TrayIconF1's click (the playback window), TrayIconF2DblClick the
    // master mute, TrayIconF1Click its TrayIconF2's click (both windows).
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
    // A second start of the program asks for the mixer windows.
    void showMixers();

    // The popup menu (controller_menu.cpp).
    void switchCard(int k);  // card1Click ... card5Click
    void animClick();
    void chanelClick();
    // The channel dialog's "O.K." and its hiding (FormHide).
    void SpeedButton1Click();
    void dialogHidden();
    void aboutClick();
    void Quit1Click();

    // The configuration (config_apply.cpp). optionsClick reads the file into
    // the dialog's boxes, the menu checks, the animation switch and the
    // windows' places; saveConfiguration (TForm4.saveClick) writes it;
    // saveClick is the menu's "Save your configuration" with its messages,
    // true when saved.
    void optionsClick();
    [[nodiscard]] ConfigSaveResult saveConfiguration();
    bool saveClick();
    void applyConfig(const ConfigFileContents& contents);
    ConfigValues currentConfig() const;
    // Coloured borders (each mixer window its own pictures) or silver ones.
    void applyBorderScheme(bool coloured);
    // The colour schemes: frames and the strips' black or white skin.
    ColourSchemes& schemes() { return *schemes_; }
    // The meters of the VU window and of the master strip.
    MeterPoll& poll() { return *poll_; }

    // Refreshes run so far (Button5Click), for tests and diagnostics.
    int refreshCount() const { return refreshes_; }
    // Rebinds after line changes or a lost output, for tests and diagnostics.
    int rebindCount() const { return rebinds_; }

    // A diagnostic trace point: logged, and shown in a box unless traces
    // are off (they are as soon as the splash exists).
    void trace(const QString& text);

signals:
    // The exit sequence is through; the event loop is asked to end.
    void quitting();

private:
    void connectWindows();
    void connectMenu();
    bool animationOn() const;
    const QIcon& masterPicture(bool windowShown) const;
    void hideWindow(QWidget& window, TSmoothShow& animation);
    void showWindow(QWidget& window, TSmoothShow& animation);
    void minimizeToTray(TavloWindow& window);
    // Dialogs of the program: the mixers leave stay-on-top, the magnet
    // rests; back when the dialog goes.
    void lowerMixers();
    void raiseMixers();

    // Steps of the binding, in order.
    void resetStripsForBinding();
    void findDestinations();
    void bindPlaybackNames();
    void applyChannelBoxes(const std::vector<ChannelStrip*>& strips, const QComboBox* names);
    void layOutPlayback();
    void bindRecordingNames();
    void layOutRecording();
    void bindControls();
    void bindLine(TAudioMixer& mixer, int D, int C);

    // Steps of Button1Click.
    void nameCardMenu(int count);
    void showCardMenuItems(int count);
    void showRecordingMaster();

    void requestRefresh();
    void runRequestedRefresh();
    void requestRebind();
    void runRequestedRebind();
    // Button1Click and Button5Click, keeping what the user set on the lines
    // that remain (link states, the metered line).
    void rebind();
    // The line ids each connection index stood for at the last binding.
    void rememberBoundLines();
    bool deviceLossIsRoutine() const;
    // What a change of devices meant for the sound server behind them.
    enum class ServerChange { None, Stopped, Started };
    // The bound output went away: rebind to device 0, or wait for one.
    // What to tell the user (nothing for a stand-in output).
    QString outputLost(ServerChange change);
    void rebindToFirstDevice();
    void devicesChanged();
    // Warns once that the card set changed and ends the program.
    void endForChangedCards();

    SharedState& state_;
    UserMessages& messages_;
    Windows w_;
    std::unique_ptr<ColourSchemes> schemes_;
    std::unique_ptr<MeterPoll> poll_;
    bool refreshWanted_ = false;
    bool refreshPosted_ = false;
    bool rebindWanted_ = false;
    bool rebindPosted_ = false;
    bool waitingForOutput_ = false;
    SoundServerState serverState_ = SoundServerState::None;  // as of the last change of devices
    bool boundStandIn_ = false;                              // the bound device only stands in for an output
    bool startedWithoutServer_ = false;                      // its start, once it comes, is said
    int rebinds_ = 0;
    // Index 0 the destination line, 1 + c connection c.
    std::vector<unsigned long> playLines_;
    std::vector<unsigned long> recLines_;
    bool ending_ = false;
    int refreshes_ = 0;
};
