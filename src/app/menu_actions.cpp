#include "app/menu_actions.h"

#include "app/about_window.h"
#include "app/card_setup.h"
#include "app/colour_schemes.h"
#include "app/config_apply.h"
#include "app/log.h"
#include "app/user_messages.h"
#include "app/window_shows.h"
#include "config/channel_dialog.h"
#include "config/config_file.h"
#include "controls/auto_repeat.h"
#include "controls/smooth_show.h"
#include "controls/tray_icon.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/shared_state.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>

MenuActions::MenuActions(const ControllerScope& scope, CardSetup& setup, WindowShows& shows, ColourSchemes& looks,
                         ConfigApply& config)
    : s_(scope), setup_(setup), shows_(shows), schemes_(looks), config_(config) {
    Trec& rec = s_.w.rec;
    connect(&rec, &Trec::cardChosen, this, &MenuActions::switchCard);
    connect(rec.anim, &QAction::triggered, this, &MenuActions::animClick);
    ColourSchemes* schemes = &schemes_;
    connect(rec.GreenSilver1, &QAction::triggered, this, [schemes] { schemes->GreenSilver1Click(); });
    connect(rec.Silverborders1, &QAction::triggered, this, [schemes] { schemes->Silverborders1Click(); });
    connect(rec.BlackPlay1, &QAction::triggered, this, [schemes](bool on) { schemes->BlackPlay1Click(on); });
    connect(rec.WhitePlay1, &QAction::triggered, this, [schemes](bool on) { schemes->WhitePlay1Click(on); });
    connect(rec.BlackRec1, &QAction::triggered, this, [schemes](bool on) { schemes->BlackRec1Click(on); });
    connect(rec.WhiteRec1, &QAction::triggered, this, [schemes](bool on) { schemes->WhiteRec1Click(on); });
    connect(rec.chanel, &QAction::triggered, this, &MenuActions::chanelClick);
    connect(&s_.w.dialog, &TForm4::okClicked, this, &MenuActions::SpeedButton1Click);
    connect(&s_.w.dialog, &TavloWindow::hidden, this, &MenuActions::dialogHidden);
    connect(&s_.w.dialog, &TForm4::saveClicked, this, [this] { (void)config_.saveConfiguration(); });
    connect(rec.about, &QAction::triggered, this, &MenuActions::aboutClick);
    connect(rec.Quit1, &QAction::triggered, this, &MenuActions::Quit1Click);
    connect(&rec, &Trec::saveRequested, this, &MenuActions::saveClick);
}

// card1Click ... card5Click: item k picks card k - 1, rebuilds both windows
// for it and shows them again.
void MenuActions::switchCard(int k) {
    SharedState& s = s_.state;
    TForm1& play = s_.w.play;
    Trec& rec = s_.w.rec;
    if (play.isVisible()) play.hide();
    if (rec.isVisible()) rec.hide();
    rec.checkCard(k - 1);
    qCInfo(lcCards) << "switching to card" << k - 1;
    {
        const ChangeGuard::Hold writing = s.ChangeGuard.hold();
        s.MixerIndex = static_cast<std::uint8_t>(k - 1);
        play.Mixer->SetMixerId(k - 1);
        rec.Mixer->SetMixerId(k - 1);
        setup_.Button1Click();  // both windows rebuilt for the card
    }
    setup_.Button5Click();  // the strips read from the card
    // trayiconf1b: the windows are hidden, so this shows them again.
    shows_.TrayIconF1Click();
}

void MenuActions::animClick() {
    // The item's check has already changed with the click.
    const bool on = s_.w.rec.anim->isChecked();
    for (TSmoothShow* animation : {s_.w.rec.SmoothShow1, s_.w.play.SmoothShow1, s_.w.dialog.SmoothShow1})
        animation->SetEnabled(on);
    s_.w.rec.SmoothShow1->SetTag(on ? 0 : 1);
}

// "Visible channels": the dialog opens over the lowered mixers.
void MenuActions::chanelClick() {
    shows_.lowerMixers();
    shows_.showWindow(s_.w.dialog, *s_.w.dialog.SmoothShow1);
    s_.w.dialog.raise();
    s_.w.dialog.activateWindow();
}

// The dialog's "O.K.": both windows rebuilt from the boxes and shown.
void MenuActions::SpeedButton1Click() {
    TForm1& play = s_.w.play;
    Trec& rec = s_.w.rec;
    {
        const ChangeGuard::Hold writing = s_.state.ChangeGuard.hold();
        setup_.Button1Click();  // both windows rebuilt for the card
    }
    setup_.Button5Click();  // the strips read from the card
    shows_.showShownPictures();
    if (shows_.animationOn()) {
        for (TSmoothShow* animation : {play.SmoothShow1, rec.SmoothShow1}) {
            animation->SetReverse(false);
            animation->SetEnabled(true);
        }
        rec.SmoothShow1->Execute();
    }
    rec.show();
    play.Timer2->start();
    s_.w.dialog.hide();
}

// FormHide of the dialog, after "O.K." or "X".
void MenuActions::dialogHidden() {
    if (shows_.animationOn()) {
        s_.w.dialog.SmoothShow1->SetReverse(true);
        s_.w.dialog.SmoothShow1->SetEnabled(true);
        s_.w.dialog.SmoothShow1->Execute();
    }
    shows_.raiseMixers();
    if (s_.w.vu.isVisible()) s_.w.vu.raise();
}

void MenuActions::aboutClick() {
    shows_.lowerMixers();
    // Each click opens one more; each deletes itself when closed.
    auto* about = new TForm5(s_.state.VersionText);
    connect(about, &TForm5::hidden, &shows_, &WindowShows::raiseMixersAfterAbout);
    about->show();
    about->raise();
}

void MenuActions::Quit1Click() {
    TForm1& play = s_.w.play;
    Trec& rec = s_.w.rec;
    // What runs now, to put back should the save fail.
    const bool shown[] = {play.isVisible(), rec.isVisible(), s_.w.vu.isVisible(), s_.w.dialog.isVisible()};
    const bool magnetRunning = rec.magnetRunning();
    rec.stopMagnet();
    rec.repeat->release();
    play.Timer1->stop();
    play.repeat->release();
    play.Timer2->stop();
    for (QTimer* timer : {s_.w.vu.Timer1, s_.w.vu.Timer2, s_.w.vu.Timer3, s_.w.vu.Timer4, s_.w.vu.Timer6})
        timer->stop();
    play.hide();
    rec.hide();
    s_.w.vu.hide();
    s_.w.dialog.hide();

    if (s_.messages.question(QStringLiteral("Do you want to save your configuration before exit?"))) {
        const ConfigSaveResult r = config_.saveConfiguration();
        if (!r.ok()) {
            // Nothing is lost: the program runs on as it was, so the user can
            // free the disk or the folder and save again.
            s_.messages.warning(r.error->message());
            QWidget* windows[] = {&play, &rec, &s_.w.vu, &s_.w.dialog};
            for (int i = 0; i < 4; ++i)
                if (shown[i]) windows[i]->show();
            if (magnetRunning) rec.startMagnet();
            if (s_.state.StartingUp) play.Timer1->start();
            return;
        }
    }
    rec.anim->setChecked(false);
    for (TSmoothShow* animation : {rec.SmoothShow1, play.SmoothShow1, s_.w.dialog.SmoothShow1})
        animation->SetEnabled(false);
    rec.SmoothShow1->SetTag(1);
    for (TTrayIconF* icon : {play.TrayIconF1, play.TrayIconF2, rec.TrayIconF1, s_.w.vu.TrayIconF1})
        icon->SetActive(false);
    qCInfo(lcInit) << "quitting";
    emit quitting();
    QCoreApplication::quit();
}

bool MenuActions::saveClick() {
    shows_.lowerMixers();
    const ConfigSaveResult r = config_.saveConfiguration();
    if (r.ok())
        s_.messages.information(QStringLiteral("Your new configuration is saved..."));
    else
        s_.messages.warning(r.error->message());
    shows_.raiseMixers();
    return r.ok();
}
