#include "app/window_shows.h"

#include "app/log.h"
#include "app/magnet.h"
#include "app/splash.h"
#include "config/channel_dialog.h"
#include "controls/smooth_show.h"
#include "controls/tray_icon.h"
#include "meter/vu_window.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/shared_state.h"

#include <QMenu>
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

WindowShows::WindowShows(const ControllerScope& scope, const std::function<bool()>& trayAvailable)
    : s_(scope), trayAvailable_(trayAvailable) {
    TForm1& play = s_.w.play;
    Trec& rec = s_.w.rec;

    const bool hostMenu = hostShowsTrayMenu();
    for (TTrayIconF* icon : {play.TrayIconF1, play.TrayIconF2, rec.TrayIconF1, s_.w.vu.TrayIconF1}) {
        icon->SetPopupMenu(rec.PopupMenu);
        icon->SetHostMenu(hostMenu);
    }
    play.TrayIconF1->OnClick = [this](TTrayIconF*) { TrayIconF2Click(); };
    play.TrayIconF1->OnDblClick = [this](TTrayIconF*) { TrayIconF2DblClick(); };
    play.TrayIconF2->OnClick = [this](TTrayIconF*) { TrayIconF1Click(); };
    play.TrayIconF2->OnDblClick = [this](TTrayIconF*) { TrayIconF1DblClick(); };
    rec.TrayIconF1->OnClick = [this](TTrayIconF*) { recTrayIconF1Click(); };
    rec.TrayIconF1->OnDblClick = [this](TTrayIconF*) { recTrayIconF1DblClick(); };

    connect(&play, &TForm1::cornerClicked, this, &WindowShows::Panel2Click);
    connect(&rec, &Trec::cornerClicked, this, &WindowShows::recPanel2Click);
    connect(play.Timer2, &QTimer::timeout, this, &WindowShows::Timer2Timer);
    connect(&rec, &Trec::magnetStepDue, this, &WindowShows::magnetStep);
    play.SmoothShow1->OnFinish = [](TSmoothShow* s) { s->SetEnabled(false); };
    rec.SmoothShow1->OnFinish = [](TSmoothShow* s) { s->SetEnabled(false); };
    s_.w.dialog.SmoothShow1->OnFinish = [](TSmoothShow* s) { s->SetEnabled(false); };

    for (TavloWindow* window : std::initializer_list<TavloWindow*>{&play, &rec, &s_.w.vu, &s_.w.dialog})
        connect(window, &TavloWindow::menuRequested, this, [this](QPoint at) { s_.w.rec.PopupMenu->popup(at); });
    // Activation starts the magnet, leaving or hiding either window stops it.
    for (TavloWindow* window : std::initializer_list<TavloWindow*>{&play, &rec}) {
        connect(window, &TavloWindow::activated, this, [this] {
            if (s_.w.rec.magnetChecked()) s_.w.rec.startMagnet();
        });
        // The other window's activation may come before this one's leaving.
        connect(window, &TavloWindow::deactivated, this, [this] {
            if (!s_.w.play.isActiveWindow() && !s_.w.rec.isActiveWindow()) s_.w.rec.stopMagnet();
        });
        connect(window, &TavloWindow::hidden, &rec, &Trec::stopMagnet);
    }
    // The window manager's minimise takes a mixer window into its tray icon.
    connect(&play, &TavloWindow::minimized, this, [this] { minimizeToTray(s_.w.play); });
    connect(&rec, &TavloWindow::minimized, this, [this] { minimizeToTray(s_.w.rec); });
}

bool WindowShows::animationOn() const { return s_.w.rec.SmoothShow1->Tag() == 0; }

const QIcon& WindowShows::masterPicture(bool windowShown) const {
    const TForm1::TrayPictures& p = s_.w.play.pictures;
    if (!s_.w.play.MasterSounding()) return p.soundnoi;
    return windowShown ? p.soundyesno : p.soundyesi;
}

void WindowShows::showShownPictures() {
    s_.w.rec.TrayIconF1->SetIcon(s_.w.rec.recino);
    s_.w.play.TrayIconF2->SetIcon(s_.w.play.pictures.recplayno);
    s_.w.play.TrayIconF1->SetIcon(masterPicture(true));
}

void WindowShows::hideWindow(QWidget& window, TSmoothShow& animation) {
    if (animationOn()) {
        animation.SetReverse(true);
        animation.SetEnabled(true);
    }
    window.hide();
    if (animationOn()) animation.Execute();
}

void WindowShows::showWindow(QWidget& window, TSmoothShow& animation) {
    if (animationOn()) {
        animation.SetReverse(false);
        animation.SetEnabled(true);
        animation.Execute();
    }
    window.show();
}

void WindowShows::minimizeToTray(TavloWindow& window) {
    if (!trayAvailable_()) return;  // nowhere to go: the window manager keeps it
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    if (&window == &s_.w.play)
        Panel2Click();
    else
        recPanel2Click();
}

// --- the playback window ------------------------------------------------------

void WindowShows::Panel2Click() {
    TForm1& play = s_.w.play;
    play.TrayIconF1->SetIcon(masterPicture(false));
    if (!s_.w.rec.isVisible()) play.TrayIconF2->SetIcon(play.pictures.recplay);
    hideWindow(play, *play.SmoothShow1);
}

void WindowShows::TrayIconF2Click() {
    if (s_.state.StartingUp) return;
    TForm1& play = s_.w.play;
    if (play.isVisible()) {
        play.TrayIconF1->SetIcon(masterPicture(false));
        hideWindow(play, *play.SmoothShow1);
    } else {
        play.TrayIconF1->SetIcon(masterPicture(true));
        showWindow(play, *play.SmoothShow1);
    }
}

void WindowShows::TrayIconF2DblClick() {
    if (s_.state.StartingUp) return;
    TForm1& play = s_.w.play;
    play.ToggleMasterMute();
    const QIcon& picture = play.MasterSounding() ? play.pictures.soundyesi : play.pictures.soundnoi;
    play.TrayIconF1->SetIcon(picture);
    play.setWindowIcon(picture);
}

void WindowShows::TrayIconF1Click() {
    if (s_.state.StartingUp) return;
    TForm1& play = s_.w.play;
    Trec& rec = s_.w.rec;
    // The playback window alone decides: with only the recording window
    // shown, a click shows both.
    if (play.isVisible()) {
        play.TrayIconF2->SetIcon(play.pictures.recplay);
        play.TrayIconF1->SetIcon(masterPicture(false));
        rec.TrayIconF1->SetIcon(rec.reci);
        hideWindow(play, *play.SmoothShow1);
        hideWindow(rec, *rec.SmoothShow1);
    } else {
        showShownPictures();
        showWindow(rec, *rec.SmoothShow1);
        play.Timer2->start();
    }
}

void WindowShows::TrayIconF1DblClick() {
    if (s_.state.StartingUp) return;
    s_.w.play.TrayIconF2->SetIcon(s_.w.play.pictures.recplay);
}

void WindowShows::Timer2Timer() {
    s_.w.play.Timer2->stop();
    showWindow(s_.w.play, *s_.w.play.SmoothShow1);
    s_.w.play.activateWindow();
}

// --- the recording window -------------------------------------------------------

void WindowShows::recTrayIconF1Click() {
    if (s_.state.StartingUp) return;
    Trec& rec = s_.w.rec;
    if (rec.isVisible()) {
        rec.TrayIconF1->SetIcon(rec.reci);
        hideWindow(rec, *rec.SmoothShow1);
    } else {
        rec.TrayIconF1->SetIcon(rec.recino);
        showWindow(rec, *rec.SmoothShow1);
    }
}

void WindowShows::recTrayIconF1DblClick() {
    if (s_.state.StartingUp) return;
    s_.w.rec.TrayIconF1->SetIcon(s_.w.rec.reci);
}

void WindowShows::recPanel2Click() {
    Trec& rec = s_.w.rec;
    rec.TrayIconF1->SetIcon(rec.reci);
    if (!s_.w.play.isVisible()) s_.w.play.TrayIconF2->SetIcon(s_.w.play.pictures.recplay);
    hideWindow(rec, *rec.SmoothShow1);
}

// Timer1 of the recording window: the window the user is moving leads.
void WindowShows::magnetStep() {
    TForm1& play = s_.w.play;
    Trec& rec = s_.w.rec;
    rec.stopMagnet();
    if (play.isActiveWindow())
        rec.move(recordingBelow(play.geometry(), rec.size()));
    else
        play.move(playbackAbove(rec.geometry(), play.size()));
    rec.startMagnet();
    if (s_.w.vu.isVisible()) s_.w.vu.raise();
}

// --- end of the splash phase ------------------------------------------------------

void WindowShows::Timer1Timer() {
    SharedState& s = s_.state;
    TForm1& play = s_.w.play;
    Trec& rec = s_.w.rec;
    for (TTrayIconF* icon : {play.TrayIconF2, play.TrayIconF1, rec.TrayIconF1, s_.w.vu.TrayIconF1})
        icon->SetActive(true);
    s.StartingUp = false;
    play.Timer1->stop();
    s_.w.splash.hideSplash();
    // Where the configuration put no place, the recording window waits below
    // the playback window (centred under it with the magnet on), not under it.
    if (!rec.designedPlacement()) {
        if (rec.magnetChecked())
            rec.move(recordingBelow(play.geometry(), rec.size()));
        else
            rec.move(play.x(), play.y() + play.height() + 4);
    }
    if (trayAvailable_()) return;  // the mixers wait in the tray
    // No tray to bring them up from: both show at once.
    qCInfo(lcInit) << "no system tray: the mixer windows show at once";
    showShownPictures();
    rec.show();
    play.show();
    play.activateWindow();
}

void WindowShows::showMixers() {
    // A second start asks for the windows; with them hidden and no tray
    // there would be no other way back.
    if (s_.state.StartingUp) return;
    if (!s_.w.play.isVisible()) TrayIconF1Click();
    s_.w.play.raise();
    s_.w.rec.raise();
}

// --- dialogs of the program -------------------------------------------------------

void WindowShows::lowerMixers() {
    s_.w.play.setStayOnTop(false);
    s_.w.rec.setStayOnTop(false);
    s_.w.vu.setStayOnTop(false);
    s_.w.rec.stopMagnet();
}

void WindowShows::raiseMixers() {
    s_.w.play.setStayOnTop(true);
    s_.w.rec.setStayOnTop(true);
    s_.w.vu.setStayOnTop(true);
    if (s_.w.rec.magnetChecked() && s_.w.play.isVisible() && s_.w.rec.isVisible()) s_.w.rec.startMagnet();
}

void WindowShows::raiseMixersAfterAbout() {
    s_.w.play.setStayOnTop(true);
    s_.w.rec.setStayOnTop(true);
    s_.w.vu.setStayOnTop(true);
    if (s_.w.rec.magnetChecked()) s_.w.rec.startMagnet();
}
