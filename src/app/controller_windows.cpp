// The mixer windows as windows: their tray icons, corner buttons, shows and
// hides with their animation, the magnet that keeps them together, the
// popup menu on every right click, and the end of the splash phase.
//
// The playback window's two tray icons have crossed handlers: its
// TrayIconF1 runs TrayIconF2Click (this window) and TrayIconF2DblClick
// (the master mute), its TrayIconF2 runs TrayIconF1Click (both windows).
// Every tray click is ignored during the splash phase.

#include "app/log.h"
#include "app/magnet.h"
#include "app/mixer_controller.h"
#include "app/splash.h"
#include "config/channel_dialog.h"
#include "controls/smooth_show.h"
#include "controls/tray_icon.h"
#include "meter/vu_window.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/shared_state.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

// StatusNotifier hosts (the desktops named here) show the tray menu
// themselves; an XEmbed tray leaves it to the icon.
bool hostShowsTrayMenu() {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    for (const char* name : {"KDE", "GNOME", "UNITY", "LXQT", "BUDGIE", "PANTHEON"})
        if (desktop.contains(QLatin1String(name))) return true;
    return false;
}

}  // namespace

void MixerController::connectWindows() {
    TForm1& play = w_.play;
    Trec& rec = w_.rec;
    TrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

    const bool hostMenu = hostShowsTrayMenu();
    for (TTrayIconF* icon : {play.TrayIconF1, play.TrayIconF2, rec.TrayIconF1, w_.vu.TrayIconF1}) {
        icon->SetPopupMenu(rec.PopupMenu);
        icon->SetHostMenu(hostMenu);
    }
    play.TrayIconF1->OnClick = [this](TTrayIconF*) { TrayIconF2Click(); };
    play.TrayIconF1->OnDblClick = [this](TTrayIconF*) { TrayIconF2DblClick(); };
    play.TrayIconF2->OnClick = [this](TTrayIconF*) { TrayIconF1Click(); };
    play.TrayIconF2->OnDblClick = [this](TTrayIconF*) { TrayIconF1DblClick(); };
    rec.TrayIconF1->OnClick = [this](TTrayIconF*) { recTrayIconF1Click(); };
    rec.TrayIconF1->OnDblClick = [this](TTrayIconF*) { recTrayIconF1DblClick(); };

    connect(&play, &TForm1::cornerClicked, this, &MixerController::Panel2Click);
    connect(&rec, &Trec::cornerClicked, this, &MixerController::recPanel2Click);
    connect(play.Timer2, &QTimer::timeout, this, &MixerController::Timer2Timer);
    connect(rec.Timer1, &QTimer::timeout, this, &MixerController::magnetStep);
    play.SmoothShow1->OnFinish = [](TSmoothShow* s) { s->SetEnabled(false); };
    rec.SmoothShow1->OnFinish = [](TSmoothShow* s) { s->SetEnabled(false); };
    w_.dialog.SmoothShow1->OnFinish = [](TSmoothShow* s) { s->SetEnabled(false); };

    for (TavloWindow* window : std::initializer_list<TavloWindow*>{&play, &rec, &w_.vu, &w_.dialog})
        connect(window, &TavloWindow::menuRequested, this, [this](QPoint at) { w_.rec.PopupMenu->popup(at); });
    // Activation starts the magnet, leaving or hiding either window stops it.
    for (TavloWindow* window : std::initializer_list<TavloWindow*>{&play, &rec}) {
        connect(window, &TavloWindow::activated, this, [this] {
            if (w_.rec.magnet->isChecked()) w_.rec.Timer1->start();
        });
        // The other window's activation may come before this one's leaving.
        connect(window, &TavloWindow::deactivated, this, [this] {
            if (!w_.play.isActiveWindow() && !w_.rec.isActiveWindow()) w_.rec.Timer1->stop();
        });
        connect(window, &TavloWindow::hidden, rec.Timer1, &QTimer::stop);
    }
    // The window manager's minimise takes a mixer window into its tray icon.
    connect(&play, &TavloWindow::minimized, this, [this] { minimizeToTray(w_.play); });
    connect(&rec, &TavloWindow::minimized, this, [this] { minimizeToTray(w_.rec); });
}

bool MixerController::animationOn() const { return w_.rec.SmoothShow1->Tag() == 0; }

const QIcon& MixerController::masterPicture(bool windowShown) const {
    const TForm1::TrayPictures& p = w_.play.pictures;
    if (!w_.play.MasterSounding()) return p.soundnoi;
    return windowShown ? p.soundyesno : p.soundyesi;
}

void MixerController::hideWindow(QWidget& window, TSmoothShow& animation) {
    if (animationOn()) {
        animation.SetReverse(true);
        animation.SetEnabled(true);
    }
    window.hide();
    if (animationOn()) animation.Execute();
}

void MixerController::showWindow(QWidget& window, TSmoothShow& animation) {
    if (animationOn()) {
        animation.SetReverse(false);
        animation.SetEnabled(true);
        animation.Execute();
    }
    window.show();
}

void MixerController::minimizeToTray(TavloWindow& window) {
    if (!TrayAvailable()) return;  // nowhere to go: the window manager keeps it
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    if (&window == &w_.play)
        Panel2Click();
    else
        recPanel2Click();
}

// --- the playback window ------------------------------------------------------

void MixerController::Panel2Click() {
    TForm1& play = w_.play;
    play.TrayIconF1->SetIcon(masterPicture(false));
    if (!w_.rec.isVisible()) play.TrayIconF2->SetIcon(play.pictures.recplay);
    hideWindow(play, *play.SmoothShow1);
}

void MixerController::TrayIconF2Click() {
    if (state_.StartingUp) return;
    TForm1& play = w_.play;
    if (play.isVisible()) {
        play.TrayIconF1->SetIcon(masterPicture(false));
        hideWindow(play, *play.SmoothShow1);
    } else {
        play.TrayIconF1->SetIcon(masterPicture(true));
        showWindow(play, *play.SmoothShow1);
    }
}

void MixerController::TrayIconF2DblClick() {
    if (state_.StartingUp) return;
    TForm1& play = w_.play;
    play.ToggleMasterMute();
    const QIcon& picture = play.MasterSounding() ? play.pictures.soundyesi : play.pictures.soundnoi;
    play.TrayIconF1->SetIcon(picture);
    play.setWindowIcon(picture);
}

void MixerController::TrayIconF1Click() {
    if (state_.StartingUp) return;
    TForm1& play = w_.play;
    Trec& rec = w_.rec;
    // The playback window alone decides: with only the recording window
    // shown, a click shows both.
    if (play.isVisible()) {
        play.TrayIconF2->SetIcon(play.pictures.recplay);
        play.TrayIconF1->SetIcon(masterPicture(false));
        rec.TrayIconF1->SetIcon(rec.reci);
        hideWindow(play, *play.SmoothShow1);
        hideWindow(rec, *rec.SmoothShow1);
    } else {
        rec.TrayIconF1->SetIcon(rec.recino);
        play.TrayIconF2->SetIcon(play.pictures.recplayno);
        play.TrayIconF1->SetIcon(masterPicture(true));
        showWindow(rec, *rec.SmoothShow1);
        play.Timer2->start();
    }
}

void MixerController::TrayIconF1DblClick() {
    if (state_.StartingUp) return;
    w_.play.TrayIconF2->SetIcon(w_.play.pictures.recplay);
}

void MixerController::Timer2Timer() {
    w_.play.Timer2->stop();
    showWindow(w_.play, *w_.play.SmoothShow1);
    w_.play.activateWindow();
}

// --- the recording window -------------------------------------------------------

void MixerController::recTrayIconF1Click() {
    if (state_.StartingUp) return;
    Trec& rec = w_.rec;
    if (rec.isVisible()) {
        rec.TrayIconF1->SetIcon(rec.reci);
        hideWindow(rec, *rec.SmoothShow1);
    } else {
        rec.TrayIconF1->SetIcon(rec.recino);
        showWindow(rec, *rec.SmoothShow1);
    }
}

void MixerController::recTrayIconF1DblClick() {
    if (state_.StartingUp) return;
    w_.rec.TrayIconF1->SetIcon(w_.rec.reci);
}

void MixerController::recPanel2Click() {
    Trec& rec = w_.rec;
    rec.TrayIconF1->SetIcon(rec.reci);
    if (!w_.play.isVisible()) w_.play.TrayIconF2->SetIcon(w_.play.pictures.recplay);
    hideWindow(rec, *rec.SmoothShow1);
}

// Timer1 of the recording window: the window the user is moving leads.
void MixerController::magnetStep() {
    TForm1& play = w_.play;
    Trec& rec = w_.rec;
    rec.Timer1->stop();
    if (play.isActiveWindow())
        rec.move(recordingBelow(play.geometry(), rec.size()));
    else
        play.move(playbackAbove(rec.geometry(), play.size()));
    rec.Timer1->start();
    if (w_.vu.isVisible()) w_.vu.raise();
}

// --- end of the splash phase ------------------------------------------------------

void MixerController::Timer1Timer() {
    SharedState& s = state_;
    TForm1& play = w_.play;
    Trec& rec = w_.rec;
    for (TTrayIconF* icon : {play.TrayIconF2, play.TrayIconF1, rec.TrayIconF1, w_.vu.TrayIconF1}) icon->SetActive(true);
    s.StartingUp = false;
    play.Timer1->stop();
    w_.splash.hideSplash();
    // Where the configuration put no place, the recording window waits below
    // the playback window (centred under it with the magnet on), not under it.
    if (!rec.designedPlacement()) {
        if (rec.magnet->isChecked())
            rec.move(recordingBelow(play.geometry(), rec.size()));
        else
            rec.move(play.x(), play.y() + play.height() + 4);
    }
    if (TrayAvailable()) return;  // the mixers wait in the tray
    // No tray to bring them up from: both show at once.
    qCInfo(lcInit) << "no system tray: the mixer windows show at once";
    rec.TrayIconF1->SetIcon(rec.recino);
    play.TrayIconF2->SetIcon(play.pictures.recplayno);
    play.TrayIconF1->SetIcon(masterPicture(true));
    rec.show();
    play.show();
    play.activateWindow();
}

void MixerController::showMixers() {
    // A second start asks for the windows; with them hidden and no tray
    // there would be no other way back.
    if (state_.StartingUp || ending_) return;
    if (!w_.play.isVisible()) TrayIconF1Click();
    w_.play.raise();
    w_.rec.raise();
}
