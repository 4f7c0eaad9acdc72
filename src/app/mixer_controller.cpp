// Wiring of the windows, the reaction to changes made outside the program
// and to cards coming and going, and the end of the splash phase.

#include "app/mixer_controller.h"

#include "app/colour_schemes.h"
#include "app/log.h"
#include "app/meter_poll.h"
#include "app/splash.h"
#include "app/user_messages.h"
#include "config/channel_dialog.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "strips/shared_state.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

MixerController::MixerController(SharedState& state, UserMessages& messages, Windows windows, QObject* parent)
    : QObject(parent),
      state_(state),
      messages_(messages),
      w_(windows),
      schemes_(std::make_unique<ColourSchemes>(w_.play, w_.rec, w_.vu, w_.dialog)),
      poll_(std::make_unique<MeterPoll>(state, *w_.play.Mixer, *w_.play.strips().front(), w_.vu)) {
    TForm1& play = w_.play;
    // Our own writes come back from the card as notifications: they tell us
    // nothing we do not show already.
    for (TAudioMixer* mixer : {play.Mixer, play.Mixer1, w_.rec.Mixer}) mixer->SetIgnoreEchoes(true);
    play.Mixer->OnControlChange = [this](TAudioMixer* s, int h, int id) { MixerControlChange(s, h, id); };
    play.Mixer1->OnControlChange = [this](TAudioMixer* s, int h, int id) { Mixer1ControlChange(s, h, id); };
    // Every mixer object follows the card set on its own; the playback
    // window's tells us, after it has.
    play.Mixer->OnDevicesChange = [this](TAudioMixer*) { devicesChanged(); };
    state_.ChangeGuard.setOnIdle([this] {
        if (refreshWanted_) requestRefresh();
    });

    connect(play.Timer1, &QTimer::timeout, this, &MixerController::Timer1Timer);
    connectWindows();
    connectMenu();
    connect(play.ComboBox1, &QComboBox::activated, this, &MixerController::ComboBox1Change);
    connect(&w_.rec, &Trec::saveRequested, this, &MixerController::saveClick);
    // A strip's VU image: the VU window meters its line, in its window's frame.
    connect(&play, &TForm1::meterRequested, this, [this] {
        w_.vu.ShowForLine(true);
        schemes_->vuFrameFromPlay();
    });
    connect(&w_.rec, &Trec::meterRequested, this, [this] {
        w_.vu.ShowForLine(false);
        schemes_->vuFrameFromRec();
    });
    w_.vu.UseAnimationSwitch(w_.rec.SmoothShow1);
    connect(&w_.vu, &TForm2::meterScanRequested, poll_.get(), &MeterPoll::button2Click);
    connect(&w_.vu, &TForm2::magnetStopRequested, w_.rec.Timer1, &QTimer::stop);
}

MixerController::~MixerController() { state_.ChangeGuard.setOnIdle({}); }

void MixerController::trace(const QString& text) {
    qCDebug(lcInit).noquote() << text;
    if (!state_.TracesOff) messages_.information(text);
}

void MixerController::FirstInitialisation(ChangeGuard::Hold startUp) {
    SharedState& s = state_;
    s.MixerIndex = 0;
    w_.rec.Mixer->SetMixerId(0);
    w_.play.Mixer->SetMixerId(0);
    Button1Click();
    startUp.release();
    Button5Click();
}

// --- changes made outside ---------------------------------------------------

void MixerController::MixerControlChange(TAudioMixer*, int, int) { requestRefresh(); }

void MixerController::Mixer1ControlChange(TAudioMixer*, int, int) {
    // With one card Mixer1 watches the same card as Mixer.
    if (w_.play.Mixer1->MixerCount() <= 1) return;
    requestRefresh();
}

void MixerController::requestRefresh() {
    refreshWanted_ = true;
    // Under the guard the change waits for it to return to 0.
    if (!state_.ChangeGuard.idle() || refreshPosted_ || ending_) return;
    refreshPosted_ = true;
    QMetaObject::invokeMethod(this, &MixerController::runRequestedRefresh, Qt::QueuedConnection);
}

void MixerController::runRequestedRefresh() {
    refreshPosted_ = false;
    if (!refreshWanted_ || !state_.ChangeGuard.idle() || ending_) return;
    refreshWanted_ = false;
    if (state_.BoundProductName != w_.play.Mixer->ProductName()) {
        endForChangedCards();
        return;
    }
    Button5Click();
}

void MixerController::endForChangedCards() {
    if (ending_) return;
    ending_ = true;
    messages_.warning(
        QStringLiteral("Your System Sound-Cards has changed outside Tavlo. You have to terminate Tavlo and reload it "
                       "again..."));
    QCoreApplication::exit(0);
}

// --- cards coming and going ----------------------------------------------------

void MixerController::devicesChanged() {
    TForm1& play = w_.play;
    qCInfo(lcCards) << "sound cards now:" << play.Mixer->MixerCount();
    if (play.Mixer->DeviceGone()) {
        // The windows are bound to a card that is no more.
        for (ChannelStrip* strip : play.strips()) strip->MarkUnbound();
        for (ChannelStrip* strip : w_.rec.strips()) strip->MarkUnbound();
        endForChangedCards();
        return;
    }
    // Indices shift; the card in use stays the one bound.
    state_.MixerIndex = static_cast<std::uint8_t>(play.Mixer->MixerId());
    if (play.Mixer1->DeviceGone() || play.Mixer1->MixerId() != std::min(1, play.Mixer1->MixerCount() - 1))
        play.Mixer1->SetMixerId(1);
    const int count = play.Mixer->MixerCount();
    nameCardMenu(count);
    showCardMenuItems(count);
}
