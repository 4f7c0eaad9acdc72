// The program's popup menu (it belongs to the recording window and shows on
// every window's and tray icon's right click): the sound-card choice, the
// looks, the animation switch, the channel dialog, About, save and quit.
// While a dialog of the program is open the mixer windows stand back from
// stay-on-top and the magnet rests.

#include "app/about_window.h"
#include "app/colour_schemes.h"
#include "app/log.h"
#include "app/mixer_controller.h"
#include "app/user_messages.h"
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

void MixerController::connectMenu() {
    Trec& rec = w_.rec;
    for (int k = 0; k < static_cast<int>(rec.card.size()); ++k)
        connect(rec.card[k], &QAction::triggered, this, [this, k] { switchCard(k + 1); });
    connect(rec.anim, &QAction::triggered, this, &MixerController::animClick);
    ColourSchemes* schemes = schemes_.get();
    connect(rec.GreenSilver1, &QAction::triggered, this, [schemes] { schemes->GreenSilver1Click(); });
    connect(rec.Silverborders1, &QAction::triggered, this, [schemes] { schemes->Silverborders1Click(); });
    connect(rec.BlackPlay1, &QAction::triggered, this, [schemes](bool on) { schemes->BlackPlay1Click(on); });
    connect(rec.WhitePlay1, &QAction::triggered, this, [schemes](bool on) { schemes->WhitePlay1Click(on); });
    connect(rec.BlackRec1, &QAction::triggered, this, [schemes](bool on) { schemes->BlackRec1Click(on); });
    connect(rec.WhiteRec1, &QAction::triggered, this, [schemes](bool on) { schemes->WhiteRec1Click(on); });
    connect(rec.chanel, &QAction::triggered, this, &MixerController::chanelClick);
    connect(&w_.dialog, &TForm4::okClicked, this, &MixerController::SpeedButton1Click);
    connect(&w_.dialog, &TavloWindow::hidden, this, &MixerController::dialogHidden);
    connect(&w_.dialog, &TForm4::saveClicked, this, [this] { (void)saveConfiguration(); });
    connect(rec.about, &QAction::triggered, this, &MixerController::aboutClick);
    connect(rec.Quit1, &QAction::triggered, this, &MixerController::Quit1Click);
}

void MixerController::lowerMixers() {
    w_.play.setStayOnTop(false);
    w_.rec.setStayOnTop(false);
    w_.vu.setStayOnTop(false);
    w_.rec.Timer1->stop();
}

void MixerController::raiseMixers() {
    w_.play.setStayOnTop(true);
    w_.rec.setStayOnTop(true);
    w_.vu.setStayOnTop(true);
    if (w_.rec.magnet->isChecked() && w_.play.isVisible() && w_.rec.isVisible()) w_.rec.Timer1->start();
}

// card1Click ... card5Click: item k picks card k - 1, rebuilds both windows
// for it and shows them again.
void MixerController::switchCard(int k) {
    SharedState& s = state_;
    TForm1& play = w_.play;
    Trec& rec = w_.rec;
    if (play.isVisible()) play.hide();
    if (rec.isVisible()) rec.hide();
    for (int i = 0; i < static_cast<int>(rec.card.size()); ++i) rec.card[i]->setChecked(i == k - 1);
    qCInfo(lcCards) << "switching to card" << k - 1;
    {
        const ChangeGuard::Hold writing = s.ChangeGuard.hold();
        s.MixerIndex = static_cast<std::uint8_t>(k - 1);
        play.Mixer->SetMixerId(k - 1);
        rec.Mixer->SetMixerId(k - 1);
        Button1Click();
    }
    Button5Click();
    // trayiconf1b: the windows are hidden, so this shows them again.
    TrayIconF1Click();
}

void MixerController::animClick() {
    // The item's check has already changed with the click.
    const bool on = w_.rec.anim->isChecked();
    for (TSmoothShow* animation : {w_.rec.SmoothShow1, w_.play.SmoothShow1, w_.dialog.SmoothShow1})
        animation->SetEnabled(on);
    w_.rec.SmoothShow1->SetTag(on ? 0 : 1);
}

// "Visible channels": the dialog opens over the lowered mixers.
void MixerController::chanelClick() {
    lowerMixers();
    showWindow(w_.dialog, *w_.dialog.SmoothShow1);
    w_.dialog.raise();
    w_.dialog.activateWindow();
}

// The dialog's "O.K.": both windows rebuilt from the boxes and shown.
void MixerController::SpeedButton1Click() {
    TForm1& play = w_.play;
    Trec& rec = w_.rec;
    {
        const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
        Button1Click();
    }
    Button5Click();
    rec.TrayIconF1->SetIcon(rec.recino);
    play.TrayIconF2->SetIcon(play.pictures.recplayno);
    play.TrayIconF1->SetIcon(masterPicture(true));
    if (animationOn()) {
        for (TSmoothShow* animation : {play.SmoothShow1, rec.SmoothShow1}) {
            animation->SetReverse(false);
            animation->SetEnabled(true);
        }
        rec.SmoothShow1->Execute();
    }
    rec.show();
    play.Timer2->start();
    w_.dialog.hide();
}

// FormHide of the dialog, after "O.K." or "X".
void MixerController::dialogHidden() {
    if (animationOn()) {
        w_.dialog.SmoothShow1->SetReverse(true);
        w_.dialog.SmoothShow1->SetEnabled(true);
        w_.dialog.SmoothShow1->Execute();
    }
    raiseMixers();
    if (w_.vu.isVisible()) w_.vu.raise();
}

void MixerController::aboutClick() {
    lowerMixers();
    // Each click opens one more; each deletes itself when closed.
    auto* about = new TForm5(state_.VersionText);
    connect(about, &TForm5::hidden, this, [this] {
        w_.play.setStayOnTop(true);
        w_.rec.setStayOnTop(true);
        w_.vu.setStayOnTop(true);
        if (w_.rec.magnet->isChecked()) w_.rec.Timer1->start();
    });
    about->show();
    about->raise();
}

void MixerController::Quit1Click() {
    TForm1& play = w_.play;
    Trec& rec = w_.rec;
    // What runs now, to put back should the save fail.
    const bool shown[] = {play.isVisible(), rec.isVisible(), w_.vu.isVisible(), w_.dialog.isVisible()};
    const bool magnetRunning = rec.Timer1->isActive();
    rec.Timer1->stop();
    rec.repeat->release();
    play.Timer1->stop();
    play.repeat->release();
    play.Timer2->stop();
    for (QTimer* timer : {w_.vu.Timer1, w_.vu.Timer2, w_.vu.Timer3, w_.vu.Timer4, w_.vu.Timer6}) timer->stop();
    play.hide();
    rec.hide();
    w_.vu.hide();
    w_.dialog.hide();

    if (messages_.question(QStringLiteral("Do you want to save your configuration before exit?"))) {
        const ConfigSaveResult r = saveConfiguration();
        if (!r.ok()) {
            // Nothing is lost: the program runs on as it was, so the user can
            // free the disk or the folder and save again.
            messages_.warning(r.error->message());
            QWidget* windows[] = {&play, &rec, &w_.vu, &w_.dialog};
            for (int i = 0; i < 4; ++i)
                if (shown[i]) windows[i]->show();
            if (magnetRunning) rec.Timer1->start();
            if (state_.StartingUp) play.Timer1->start();
            return;
        }
    }
    rec.anim->setChecked(false);
    for (TSmoothShow* animation : {rec.SmoothShow1, play.SmoothShow1, w_.dialog.SmoothShow1})
        animation->SetEnabled(false);
    rec.SmoothShow1->SetTag(1);
    ending_ = true;
    for (TTrayIconF* icon : {play.TrayIconF1, play.TrayIconF2, rec.TrayIconF1, w_.vu.TrayIconF1})
        icon->SetActive(false);
    qCInfo(lcInit) << "quitting";
    emit quitting();
    QCoreApplication::quit();
}
