// The mixer windows as a user lives with them: the tray icons (driven by
// emitting their activations), corner buttons, the magnet, the popup menu
// with the card choice, About and the exit, and a desktop without a tray.

#include "app/magnet.h"
#include "app/master_keys.h"
#include "app/splash.h"
#include "config/channel_dialog.h"
#include "config/config_test_home.h"
#include "config/write_faults.h"
#include "controls/level_balloon.h"
#include "controls/smooth_show.h"
#include "controls/tray_icon.h"
#include "controls/volume_keys.h"
#include "platform/single_instance.h"
#include "play/mixer_windows.h"
#include "strips/window_frame.h"
#include "support/test_main.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QToolButton>
#include <QWheelEvent>

namespace {

void activate(TTrayIconF* icon, QSystemTrayIcon::ActivationReason reason) { emit icon->Tray()->activated(reason); }
void click(TTrayIconF* icon) { activate(icon, QSystemTrayIcon::Trigger); }
// What the tray reports for a double click.
void doubleClick(TTrayIconF* icon) {
    activate(icon, QSystemTrayIcon::Trigger);
    activate(icon, QSystemTrayIcon::DoubleClick);
}
bool shows(TTrayIconF* icon, const QIcon& picture) { return icon->Icon().cacheKey() == picture.cacheKey(); }

// Both mixer windows after the splash phase, on a desktop with a tray.
struct Running : MixerWindows {
    explicit Running(bool tray = true, const QByteArray& json = SimDriver::demoJson()) : MixerWindows(json) {
        ctl->TrayAvailable = [tray] { return tray; };
        ctl->Timer1Timer();
    }
};

}  // namespace

class TestWindowsAndMenu : public QObject {
    Q_OBJECT
    ConfigTestHome home_;

private slots:
    void init() { QVERIFY(home_.clear()); }

    void splashPhaseIgnoresTrayClicks() {
        MixerWindows w(SimDriver::demoJson());
        for (TTrayIconF* icon : {w.f1->TrayIconF1, w.f1->TrayIconF2, w.rec->TrayIconF1}) {
            QVERIFY(!icon->Active());
            click(icon);
        }
        QVERIFY(!w.f1->isVisible() && !w.rec->isVisible());
        // The end of the splash: icons up, windows waiting in the tray.
        w.ctl->TrayAvailable = [] { return true; };
        w.ctl->Timer1Timer();
        QVERIFY(w.f1->TrayIconF1->Active() && w.f1->TrayIconF2->Active() && w.rec->TrayIconF1->Active());
        QVERIFY(!w.f1->isVisible() && !w.rec->isVisible());
        QVERIFY(!w.ctx.Form3()->isVisible());
        QCOMPARE(w.f1->TrayIconF1->ToolTip(),
                 QStringLiteral("Right-click show the menu, Click to show/hide the play mixer, "));
    }

    // The playback icon shows and hides the playback window only; the
    // both-windows icon decides by the playback window alone.
    void crossedTrayHandlers() {
        Running w;
        click(w.f1->TrayIconF1);
        QVERIFY(w.f1->isVisible() && !w.rec->isVisible());
        QVERIFY(shows(w.f1->TrayIconF1, w.f1->pictures.soundyesno));
        click(w.f1->TrayIconF1);
        QVERIFY(!w.f1->isVisible());
        QVERIFY(shows(w.f1->TrayIconF1, w.f1->pictures.soundyesi));

        click(w.rec->TrayIconF1);  // the recording window alone
        QVERIFY(w.rec->isVisible() && shows(w.rec->TrayIconF1, w.rec->recino));
        click(w.f1->TrayIconF2);  // playback hidden: both show
        QVERIFY(w.rec->isVisible());
        QTRY_VERIFY(w.f1->isVisible());  // Timer2, just after
        QVERIFY(shows(w.f1->TrayIconF2, w.f1->pictures.recplayno));
        click(w.f1->TrayIconF2);
        QVERIFY(!w.f1->isVisible() && !w.rec->isVisible());
        QVERIFY(shows(w.f1->TrayIconF2, w.f1->pictures.recplay));
        QVERIFY(shows(w.rec->TrayIconF1, w.rec->reci));
    }

    // Two clicks and a double click: the window ends where it was and the
    // master mute toggles once, on the card too.
    void doubleClickTogglesTheMasterMute() {
        Running w;
        const DWORD muteId = w.controlId(0, -1, 1);
        QCOMPARE(w.driver->values(0, muteId), std::vector<DWORD>{0});
        for (const bool shown : {false, true}) {
            w.f1->setVisible(shown);
            doubleClick(w.f1->TrayIconF1);
            QCOMPARE(w.f1->isVisible(), shown);
            QCOMPARE(w.driver->values(0, muteId), std::vector<DWORD>{shown ? 0u : 1u});
        }
        doubleClick(w.f1->TrayIconF1);
        QCOMPARE(w.driver->values(0, muteId), std::vector<DWORD>{1});
        QVERIFY(shows(w.f1->TrayIconF1, w.f1->pictures.soundnoi));
        QCOMPARE(w.play<TPanel>("mut1")->Color(), kRed);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
    }

    // The volume keys and the wheel on the speaker icon, with the windows in
    // the tray: the master strip and the card move by five read-outs, the
    // mute as the icon's double click sets it, the on-screen level says so
    // and goes; no echo refreshes, the guard ends at 0.
    void masterFromTheKeysAndTheWheel() {
        Running w;
        MasterKeys keys(w.ctx.state(), *w.f1, *w.rec, *w.ctl);
        QVERIFY(keys.keys().Taken().isEmpty());  // offscreen: nothing to grab
        // On a StatusNotifier host the speaker is an item of its own, for the wheel.
        QVERIFY(w.f1->TrayIconF1->WantsWheel());
        const DWORD volumeId = w.controlId(0, -1, 0);
        const DWORD muteId = w.controlId(0, -1, 1);
        const int start = w.f1->Master().left;
        const int refreshes = w.ctl->refreshCount();
        const auto card = [&] { return w.driver->values(0, volumeId); };
        // 99 is the top of the range.
        const auto level = [](int readout) {
            return std::vector<DWORD>(2, readout >= 99 ? 65535u : DWORD(readout * 655));
        };

        emit keys.keys().stepRequested(+1);
        QCOMPARE(w.f1->Master().left, start + MasterKeys::kStep);
        QCOMPARE(card(), level(start + 5));
        const TLevelBalloon& balloon = keys.levelBalloon();
        QVERIFY(balloon.isVisible());
        QCOMPARE(balloon.Text(), QStringLiteral("%1: %2").arg(w.f1->Master().name).arg(start + 5));
        QVERIFY(!w.f1->Master().name.isEmpty());

        // A notch down on the icon; half notches add up to one.
        const auto wheel = [&](int delta) {
            QWheelEvent e(QPointF(), QPointF(), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
            return QCoreApplication::sendEvent(w.f1->TrayIconF1->Tray(), &e);
        };
        QVERIFY(wheel(-120));
        QCOMPARE(card(), level(start));
        wheel(-60);
        QCOMPARE(card(), level(start));
        wheel(-60);
        QCOMPARE(card(), level(start - 5));

        emit keys.keys().muteRequested();
        QCOMPARE(w.driver->values(0, muteId), std::vector<DWORD>{1});
        QVERIFY(shows(w.f1->TrayIconF1, w.f1->pictures.soundnoi));
        QCOMPARE(balloon.Text(), QStringLiteral("%1: muted").arg(w.f1->Master().name));
        emit keys.keys().muteRequested();
        QCOMPARE(w.driver->values(0, muteId), std::vector<DWORD>{0});

        // The top of the range holds.
        for (int i = 0; i < 30; ++i) emit keys.keys().stepRequested(+1);
        QCOMPARE(card(), level(99));
        MixerWindows::settle();
        QCOMPARE(w.ctl->refreshCount(), refreshes);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!balloon.isVisible(), 3000);

        // A mixer window in sight shows the change: no level over it.
        w.rec->show();
        emit keys.keys().stepRequested(-1);
        QCOMPARE(card(), level(94));
        QVERIFY(!balloon.isVisible());
    }

    void cornerButtonsHide() {
        Running w;
        w.f1->show();
        w.rec->show();
        w.f1->TrayIconF2->SetIcon(w.f1->pictures.recplayno);
        w.f1->frame->Panel2->OnClick(w.f1->frame->Panel2);
        QVERIFY(!w.f1->isVisible());
        QVERIFY(shows(w.f1->TrayIconF2, w.f1->pictures.recplayno));  // the recording window still shows
        w.rec->frame->Panel107->OnClick(w.rec->frame->Panel107);
        QVERIFY(!w.rec->isVisible());
        QVERIFY(shows(w.rec->TrayIconF1, w.rec->reci));
        QVERIFY(shows(w.f1->TrayIconF2, w.f1->pictures.recplay));
        QCOMPARE(w.rec->frame->Panel2->toolTip(), QStringLiteral("Click to hide the record mixer."));
        // The window manager's minimise takes a window into the tray.
        w.f1->show();
        w.f1->setWindowState(Qt::WindowMinimized);
        QVERIFY(!w.f1->isVisible());
        QVERIFY(!(w.f1->windowState() & Qt::WindowMinimized));
        click(w.f1->TrayIconF1);
        QVERIFY(w.f1->isVisible());
    }

    void animationSwitch() {
        Running w;
        click(w.f1->TrayIconF1);
        QCOMPARE(w.f1->SmoothShow1->Executed(), 1);
        QVERIFY(w.f1->SmoothShow1->Running());       // the frame moves on the timer
        QTRY_VERIFY(!w.f1->SmoothShow1->Enabled());  // its finish disables it again
        w.rec->anim->trigger();                      // off
        QCOMPARE(w.rec->SmoothShow1->Tag(), 1);
        click(w.f1->TrayIconF1);
        QCOMPARE(w.f1->SmoothShow1->Executed(), 1);
        w.rec->anim->trigger();  // on again
        QCOMPARE(w.rec->SmoothShow1->Tag(), 0);
        QVERIFY(w.rec->anim->isChecked());
    }

    void magnetGeometry_data() {
        QTest::addColumn<QRect>("play");
        QTest::addColumn<QRect>("rec");
        QTest::addColumn<QPoint>("recBelow");
        QTest::addColumn<QPoint>("playAbove");
        QTest::newRow("wider playback") << QRect(100, 50, 944, 173) << QRect(0, 0, 728, 175) << QPoint(208, 223)
                                        << QPoint(-108, -173);
        // An odd difference truncates toward zero both ways.
        QTest::newRow("odd, narrower playback")
            << QRect(10, 10, 89, 173) << QRect(300, 400, 160, 175) << QPoint(-25, 183) << QPoint(335, 227);
    }
    void magnetGeometry() {
        QFETCH(QRect, play);
        QFETCH(QRect, rec);
        QFETCH(QPoint, recBelow);
        QFETCH(QPoint, playAbove);
        QCOMPARE(recordingBelow(play, rec.size()), recBelow);
        QCOMPARE(playbackAbove(rec, play.size()), playAbove);
    }

    // The active window leads; the other hangs below it (or above it).
    void magnetFollowsTheActiveWindow() {
        Running w(false);  // both shown
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        QApplication::setActiveWindow(w.f1);
        QTRY_VERIFY(w.rec->Timer1->isActive());
        QCOMPARE(w.rec->Timer1->interval(), 300);
        w.f1->move(200, 100);
        w.ctl->magnetStep();
        QCOMPARE(w.rec->pos(), recordingBelow(w.f1->geometry(), w.rec->size()));
        QApplication::setActiveWindow(w.rec);
        w.rec->move(400, 500);
        w.ctl->magnetStep();
        QCOMPARE(w.f1->pos(), playbackAbove(w.rec->geometry(), w.f1->size()));
        // Off, activation no longer starts it; hiding stops it.
        w.rec->magnet->trigger();
        w.f1->hide();
        QVERIFY(!w.rec->Timer1->isActive());
        w.f1->show();
        QApplication::setActiveWindow(w.f1);
        QTest::qWait(20);
        QVERIFY(!w.rec->Timer1->isActive());
    }

    void cardSwitch() {
        Running w;
        QCOMPARE(w.card(1)->text(), QStringLiteral("Tavlo Demo USB Headset"));
        w.card(1)->trigger();
        QCOMPARE(int(w.ctx.state().MixerIndex), 1);
        for (int i = 0; i < 5; ++i) QCOMPARE(w.card(i)->isChecked(), i == 1);
        QVERIFY(w.f1->frame->Label14->text().endsWith(QStringLiteral("Tavlo Demo USB Headset")));
        QCOMPARE(w.ctx.state().BoundProductName, QStringLiteral("Tavlo Demo USB Headset"));
        QVERIFY(w.rec->isVisible());
        QTRY_VERIFY(w.f1->isVisible());
        w.card(0)->trigger();
        QCOMPARE(int(w.ctx.state().MixerIndex), 0);
        QVERIFY(w.card(0)->isChecked() && !w.card(1)->isChecked());
        QCOMPARE(w.ctx.state().BoundProductName, QStringLiteral("Tavlo Demo Card"));
        QVERIFY(w.messages.warnings.isEmpty());
    }

    // Right click anywhere that takes no click itself: the program's menu.
    void rightClickShowsTheMenu() {
        Running w(false);
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        QLabel* title = w.f1->frame->Label14;
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), title->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(title, &event);
        QTRY_VERIFY(w.rec->PopupMenu->isVisible());
        w.rec->PopupMenu->hide();
        QCOMPARE(w.f1->TrayIconF1->PopupMenu(), w.rec->PopupMenu);
        QStringList names;
        for (QAction* a : w.rec->PopupMenu->actions()) names << a->objectName();
        QCOMPARE(names, (QStringList{"card1", "card2", "card3", "card4", "card5", "test2", "", "magnet", "anim",
                                     "chanel", "about", "test3", "Quit1", "ligne", "save", "OK"}));
    }

    // "Visible channels": untick, O.K., the windows come back without the
    // strip; "X" applies nothing but the boxes keep their state for a save;
    // a new start keeps the saved choice.
    void visibleChannels() {
        {
            Running w;
            TForm4* dialog = w.ctx.Form4();
            const int width = w.f1->width();
            w.rec->chanel->trigger();
            QVERIFY(dialog->isVisible());
            QVERIFY(!w.f1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QCOMPARE(dialog->box("BWCCCheckBox3")->text(), QStringLiteral("MIDI synth"));
            QVERIFY(dialog->box("BWCCCheckBox22")->isHidden());  // the demo card has eight lines
            dialog->box("BWCCCheckBox3")->setChecked(false);
            QTest::mouseClick(dialog->SpeedButton1, Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
            QVERIFY(w.play("cha3")->isHidden() && w.play("Panel195")->isHidden());
            QCOMPARE(w.f1->width(), width - 71);
            QVERIFY(w.rec->isVisible());
            QTRY_VERIFY(w.f1->isVisible());
            QVERIFY(w.f1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QVERIFY(shows(w.f1->TrayIconF2, w.f1->pictures.recplayno));

            w.rec->chanel->trigger();
            dialog->box("BWCCCheckBox4")->setChecked(false);
            dialog->findChild<TPanel*>("Panel4")->OnClick(dialog->findChild<TPanel*>("Panel4"));
            QVERIFY(!dialog->isVisible());
            QVERIFY(!w.play("cha4")->isHidden());
            QVERIFY(w.f1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QVERIFY(w.ctl->saveClick());
        }
        MixerWindows again(SimDriver::demoJson());
        QVERIFY(again.play("cha3")->isHidden());
        QVERIFY(again.play("cha4")->isHidden());
        QVERIFY(!again.ctx.Form4()->box("BWCCCheckBox4")->isChecked());
        QVERIFY(!again.play("cha5")->isHidden());
    }

    void aboutOpensOneMorePerClick() {
        Running w(false);
        w.rec->about->trigger();
        w.rec->about->trigger();
        QList<QWidget*> abouts;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QStringLiteral("Form5") && top->isVisible()) abouts << top;
        QCOMPARE(abouts.size(), 2);
        QCOMPARE(abouts.front()->findChild<QLabel*>("Label1")->text(), QStringLiteral("Tavlo ver 1.0.020522."));
        QVERIFY(!w.f1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        for (QWidget* about : abouts) about->close();
        QVERIFY(w.f1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void exitAsksToSave() {
        for (const bool yes : {false, true}) {
            QVERIFY(home_.clear());
            Running w(false);
            w.messages.answers = {yes};
            QSignalSpy quitting(w.ctl, &MixerController::quitting);
            w.rec->Quit1->trigger();
            QCOMPARE(w.messages.questions,
                     QStringList{QStringLiteral("Do you want to save your configuration before exit?")});
            QCOMPARE(quitting.size(), 1);
            QCOMPARE(QFile::exists(home_.file()), yes);
            QVERIFY(!w.f1->isVisible() && !w.rec->isVisible());
            QVERIFY(!w.rec->anim->isChecked());
            QCOMPARE(w.rec->SmoothShow1->Tag(), 1);
        }
    }

    // A save that fails at exit says why and leaves the program running as
    // it was: nothing the user has is lost.
    void exitWithAFailedSaveRunsOn() {
        QVERIFY(home_.writeFile("old\r\n"));
        Running w(false);
        QApplication::setActiveWindow(w.f1);
        QTRY_VERIFY(w.rec->Timer1->isActive());
        w.messages.answers = {true};
        QSignalSpy quitting(w.ctl, &MixerController::quitting);
        w.ctx.state().ConfigFirstLine = QString(300, u'x');
        {
            FileSizeLimit limit(16);
            QVERIFY(limit.ok());
            w.rec->Quit1->trigger();
        }
        QCOMPARE(quitting.size(), 0);
        QCOMPARE(w.messages.warnings.size(), 1);
        QCOMPARE(home_.fileBytes(), QByteArray("old\r\n"));
        QVERIFY(w.f1->isVisible() && w.rec->isVisible());
        QVERIFY(w.rec->Timer1->isActive());
        QVERIFY(w.f1->TrayIconF1->Active());
    }

    // No tray on the desktop: the windows show at once; a second start
    // brings them up when the user has hidden both.
    void withoutATray() {
        Running w(false);
        QVERIFY(w.f1->isVisible() && w.rec->isVisible());
        QCOMPARE(w.rec->pos(), recordingBelow(w.f1->geometry(), w.rec->size()));
        w.f1->frame->Panel2->OnClick(w.f1->frame->Panel2);
        w.rec->frame->Panel2->OnClick(w.rec->frame->Panel2);
        QVERIFY(!w.f1->isVisible() && !w.rec->isVisible());
        InstanceBell bell(QStringLiteral("TavloTest"));
        QVERIFY(bell.listening());
        connect(&bell, &InstanceBell::rung, w.ctl, &MixerController::showMixers);
        QVERIFY(InstanceBell::ring(QStringLiteral("TavloTest")));
        QTRY_VERIFY(w.f1->isVisible() && w.rec->isVisible());
        QVERIFY(!InstanceBell::ring(QStringLiteral("NobodyListens")));
    }
};

TAVLO_TEST_MAIN(TestWindowsAndMenu)
#include "test_windows_and_menu.moc"
