#pragma once
// The playback mixer window. It owns the mixer objects through which both
// mixer windows reach the card, its twelve channel strips, the tone panel
// and the hidden name stores. The sequences that span windows (binding,
// refresh, card choice) belong to the controller, which uses what this
// window exposes.

#include "strips/tavlo_window.h"

#include <QIcon>
#include <QTimer>

#include <memory>
#include <vector>

class AutoRepeat;
class ChannelStrip;
class MixerService;
class ToneControl;
class QComboBox;
class QPixmap;
class TAudioMixer;
class TSmoothShow;
class TTrayIconF;
struct SharedState;
struct TonePanel;
struct WindowFrame;

class TForm1 : public TavloWindow {
    Q_OBJECT
public:
    TForm1(SharedState& state, MixerService& service);
    ~TForm1() override;

    TAudioMixer* Mixer;   // the card in use (MixerIndex)
    TAudioMixer* Mixer1;  // the second card, watched for changes
    QTimer* Timer1;       // ends the splash phase

    std::unique_ptr<WindowFrame> frame;
    std::unique_ptr<TonePanel> tone;
    AutoRepeat* repeat;  // the step buttons' auto-repeat (Timer4)
    std::unique_ptr<ToneControl> treble;
    std::unique_ptr<ToneControl> bass;
    // cha0, cha2 ... cha12 in strip order.
    const std::vector<ChannelStrip*>& strips() const { return strips_; }

    // The tray icons, inactive until the end of the splash phase.
    // TrayIconF1 shows the master's state and the playback window;
    // TrayIconF2 stands for both mixer windows.
    TTrayIconF* TrayIconF1;
    TTrayIconF* TrayIconF2;
    // The tray pictures, made once (a new icon object is sent to the tray
    // every time it is set).
    struct TrayPictures {
        QIcon soundyesi;   // master sounding, window hidden
        QIcon soundyesno;  // master sounding, window shown
        QIcon soundnoi;    // master muted
        QIcon recplay;     // mixer windows hidden
        QIcon recplayno;   // mixer windows shown
    };
    const TrayPictures pictures;
    TSmoothShow* SmoothShow1;  // the window's show/hide animation
    QTimer* Timer2;            // shows this window just after the recording window

    // The master strip's mute button is silver.
    bool MasterSounding() const;
    // The master strip's mute toggled and written (the tray's double click).
    void ToggleMasterMute();
    // The master strip's levels stepped by delta read-out units and written
    // (the volume keys, the wheel on the tray icon).
    void StepMaster(int delta);
    // What the master strip shows.
    struct MasterShown {
        bool bound;
        QString name;
        int left;
        int right;
        bool muted;
    };
    MasterShown Master() const;

    void lrrlMouseDown();

    // What the binding sets and reads. The name stores are hidden: every
    // destination of the card, the playback lines (the destination first),
    // the recording destination and its sources; a name past the end is "".
    void setDestinationNames(const QStringList& names);
    void setPlaybackLineNames(const QStringList& names);
    void setRecordingLineNames(const QStringList& names);
    QString playbackLineName(int k) const;
    QString recordingLineName(int k) const;
    // The frame's title: the played destination and the card.
    void setCardTitle(const QString& title);
    void setFrameWidth(int width);
    void setFramePictures(const QPixmap& horizontal, const QPixmap& vertical);
    // The tone panel, first at the left when shown.
    void showTonePanel(bool shown);

signals:
    // A destination was picked from the hidden destination store.
    void destinationChosen();
    // A strip's VU image chose the line the VU window is to meter.
    void meterRequested();
    // One of the four corner buttons was clicked.
    void cornerClicked();

private:
    void FormCreate();

    SharedState& state_;
    std::vector<ChannelStrip*> strips_;
    QComboBox* ComboBox1;  // every destination
    QComboBox* ComboBox2;  // the playback lines
    QComboBox* ComboBox3;  // the recording destination and its sources
};
