#include "app/mixer_controller.h"

#include "app/card_setup.h"
#include "app/card_watch.h"
#include "app/colour_schemes.h"
#include "app/config_apply.h"
#include "app/log.h"
#include "app/menu_actions.h"
#include "app/meter_poll.h"
#include "app/strip_binding.h"
#include "app/user_messages.h"
#include "app/window_shows.h"
#include "config/config_file.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/shared_state.h"

#include <QSystemTrayIcon>
#include <QTimer>

void ControllerScope::trace(const QString& text) const {
    qCDebug(lcInit).noquote() << text;
    if (!state.TracesOff) messages.information(text);
}

MixerController::MixerController(SharedState& state, UserMessages& messages, Windows windows, QObject* parent)
    : QObject(parent),
      TrayAvailable([] { return QSystemTrayIcon::isSystemTrayAvailable(); }),
      scope_{state, messages, windows},
      schemes_(std::make_unique<ColourSchemes>(windows.play, windows.rec, windows.vu, windows.dialog)),
      poll_(std::make_unique<MeterPoll>(state, *windows.play.Mixer, *windows.play.strips().front(), windows.vu)),
      config_(std::make_unique<ConfigApply>(scope_, *schemes_)),
      binding_(std::make_unique<StripBinding>(scope_, *schemes_, *config_)),
      setup_(std::make_unique<CardSetup>(scope_, *binding_, *poll_)) {
    TForm1& play = windows.play;
    Trec& rec = windows.rec;
    TForm2& vu = windows.vu;
    // Our own writes come back from the card as notifications: they tell us
    // nothing we do not show already.
    for (TAudioMixer* mixer : {play.Mixer, play.Mixer1, rec.Mixer}) mixer->SetIgnoreEchoes(true);
    watch_ = std::make_unique<CardWatch>(scope_, *setup_, *poll_);
    shows_ = std::make_unique<WindowShows>(scope_, TrayAvailable);
    connect(play.Timer1, &QTimer::timeout, shows_.get(), &WindowShows::Timer1Timer);
    menu_ = std::make_unique<MenuActions>(scope_, *setup_, *shows_, *schemes_, *config_);
    // Nothing is refreshed once the exit sequence is through.
    connect(menu_.get(), &MenuActions::quitting, watch_.get(), &CardWatch::end);
    connect(menu_.get(), &MenuActions::quitting, this, &MixerController::quitting);

    // A strip's VU image: the VU window meters its line, in its window's frame.
    connect(&play, &TForm1::meterRequested, this, [this] {
        scope_.w.vu.ShowForLine(true);
        schemes_->vuFrameFromPlay();
        poll_->RequestUpdate();  // the new line's level, moving or not
    });
    connect(&rec, &Trec::meterRequested, this, [this] {
        scope_.w.vu.ShowForLine(false);
        schemes_->vuFrameFromRec();
        poll_->RequestUpdate();
    });
    vu.UseAnimationSwitch(rec.SmoothShow1);
    connect(&vu, &TForm2::meterScanRequested, poll_.get(), &MeterPoll::button2Click);
    connect(&vu, &TForm2::magnetStopRequested, &rec, &Trec::stopMagnet);
}

MixerController::~MixerController() = default;

void MixerController::FirstInitialisation(ChangeGuard::Hold startUp) {
    scope_.state.MixerIndex = 0;
    scope_.w.rec.Mixer->SetMixerId(0);
    scope_.w.play.Mixer->SetMixerId(0);
    setup_->Button1Click();  // both windows rebuilt for the card
    startUp.release();
    setup_->Button5Click();  // the strips read from the card
}

void MixerController::Button1Click() { setup_->Button1Click(); }
void MixerController::Button5Click() { setup_->Button5Click(); }
void MixerController::Timer1Timer() { shows_->Timer1Timer(); }
void MixerController::magnetStep() { shows_->magnetStep(); }
void MixerController::TrayIconF2DblClick() { shows_->TrayIconF2DblClick(); }

void MixerController::showMixers() {
    if (watch_->ending()) return;
    shows_->showMixers();
}

void MixerController::switchCard(int k) { menu_->switchCard(k); }
bool MixerController::saveClick() { return menu_->saveClick(); }
ConfigSaveResult MixerController::saveConfiguration() { return config_->saveConfiguration(); }
int MixerController::refreshCount() const { return setup_->refreshCount(); }
int MixerController::rebindCount() const { return watch_->rebindCount(); }
