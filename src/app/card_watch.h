#pragma once
// The card watched while the program runs: changes made outside the
// program refresh the strips, line changes rebind both windows, devices
// coming and going rebind, wait or end the program.
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

#include "app/controller_scope.h"
#include "platform/mixer_driver.h"

#include <QObject>
#include <QString>

class CardSetup;
class MeterPoll;
class TAudioMixer;

class CardWatch : public QObject {
    Q_OBJECT
public:
    CardWatch(const ControllerScope& scope, CardSetup& setup, MeterPoll& poll);
    ~CardWatch() override;

    // OnControlChange of Form1.Mixer and Form1.Mixer1.
    void MixerControlChange(TAudioMixer* Sender, int MixerH, int ID);
    void Mixer1ControlChange(TAudioMixer* Sender, int MixerH, int ID);

    // The program ends: nothing is refreshed or rebound any more.
    void end() { ending_ = true; }
    bool ending() const { return ending_; }
    // Rebinds after line changes or a lost output, for tests and diagnostics.
    int rebindCount() const { return rebinds_; }

private:
    void requestRefresh();
    void runRequestedRefresh();
    void requestRebind();
    void runRequestedRebind();
    // Button1Click and Button5Click, keeping what the user set on the lines
    // that remain (link states, the metered line).
    void rebind();
    // What a change of devices meant for the sound server behind them.
    enum class ServerChange { None, Stopped, Started };
    // The bound output went away: rebind to device 0, or wait for one.
    // What to tell the user (nothing for a stand-in output).
    QString outputLost(ServerChange change);
    void rebindToFirstDevice();
    void devicesChanged();
    void unbindAll();
    // Warns once that the card set changed and ends the program.
    void endForChangedCards();

    const ControllerScope& s_;
    CardSetup& setup_;
    MeterPoll& poll_;
    bool refreshWanted_ = false;
    bool refreshPosted_ = false;
    bool rebindWanted_ = false;
    bool rebindPosted_ = false;
    bool waitingForOutput_ = false;
    SoundServerState serverState_ = SoundServerState::None;  // as of the last change of devices
    bool startedWithoutServer_ = false;                      // its start, once it comes, is said
    bool ending_ = false;
    int rebinds_ = 0;
};
