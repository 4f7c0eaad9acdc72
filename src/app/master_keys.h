#pragma once
// MasterKeys: the master of the card shown, driven from outside the mixer
// windows. The volume keys step it or toggle its mute, and the wheel on the
// speaker's tray icon (the playback window's TrayIconF1) steps it; each
// goes through the playback window's master strip as the user's own step
// or double click on the icon would, so both windows show the change and
// its echo is dropped. While neither mixer window is shown, the on-screen
// level says what the master is now.
//
// A step is kStep read-out units: 5 % of the range (65535 / 100 * 5 is
// 3276, five read-outs of 655). Nothing happens during the splash phase or
// while the card has no master line.

#include <QObject>
#include <QString>

#include <memory>

class MixerController;
class TForm1;
class TLevelBalloon;
class Trec;
class VolumeKeys;
struct SharedState;

class MasterKeys : public QObject {
    Q_OBJECT
public:
    static constexpr int kStep = 5;

    MasterKeys(SharedState& state, TForm1& play, Trec& rec, MixerController& controller, QObject* parent = nullptr);
    ~MasterKeys() override;

    // The master raised (+1) or lowered (-1) by one step.
    void Step(int direction);
    void ToggleMute();

    // What the on-screen level says of the master now.
    QString LevelText() const;

    VolumeKeys& keys() { return *keys_; }
    TLevelBalloon& levelBalloon() { return *balloon_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showLevel();

    SharedState& state_;
    TForm1& play_;
    Trec& rec_;
    MixerController& controller_;
    std::unique_ptr<VolumeKeys> keys_;
    std::unique_ptr<TLevelBalloon> balloon_;
    int wheelRemainder_ = 0;
};
