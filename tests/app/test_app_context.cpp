// Start-up: the windows in their order with the shared state they set, the
// first initialisation under the guard, and the end of the splash phase.

#include "app/app_context.h"
#include "app/splash.h"
#include "config/channel_dialog.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "platform/sim/sim_driver.h"
#include "play/form1.h"
#include "rec/rec_window.h"

#include <QApplication>
#include <QTest>

class TestAppContext : public QObject {
    Q_OBJECT
private slots:
    void windowsAreCreatedWithTheirStartState() {
        AppContext ctx(SimDriver::demo());
        const SharedState& s = ctx.state();
        QCOMPARE(s.ChangeGuard, 1);  // before any window: the program is initialising
        ctx.createWindows();
        QCOMPARE(ctx.Form3()->windowTitle(), QStringLiteral("Form3"));
        QCOMPARE(ctx.Form1()->windowTitle(), QStringLiteral("Tavlo by Varnel"));
        QCOMPARE(ctx.rec()->windowTitle(), QStringLiteral("Rekado by Varnel"));
        QCOMPARE(ctx.Form2()->windowTitle(), QStringLiteral("VU by Varnel"));
        QCOMPARE(ctx.Form4()->windowTitle(), QStringLiteral("       Select the channels that you want to see in Tavlo."));
        QVERIFY(s.TracesOff);
        QCOMPARE(s.VersionText, QStringLiteral("Tavlo ver 1.0.020522."));
        QCOMPARE(s.StepSize, 1);
        QCOMPARE(s.MeterSourceIndex, 255);
        QVERIFY(s.StartingUp);
        QVERIFY(s.InitDone);         // the first initialisation ran during creation
        QVERIFY(!s.FirstBinding);
        QCOMPARE(s.ChangeGuard, 0);  // and let go of the guard afterwards
        QCOMPARE(s.BoundProductName, QStringLiteral("Tavlo Demo Card"));
        QCOMPARE(ctx.Form1()->Mixer->MixerId(), 0);
        QCOMPARE(ctx.Form1()->Mixer1->MixerId(), 1);
        QCOMPARE(ctx.rec()->Mixer->MixerId(), 0);
        QVERIFY(!ctx.Form1()->isVisible());
        QVERIFY(!ctx.rec()->isVisible());
        for (QWidget* w : std::initializer_list<QWidget*>{ctx.Form1(), ctx.rec(), ctx.Form2(), ctx.Form4()}) {
            QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
            QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        }
    }

    void splashPhaseEndsOnce() {
        AppContext ctx(SimDriver::demo());
        ctx.createWindows();
        ctx.Form3()->show();
        QVERIFY(ctx.Form1()->Timer1->isActive());
        QCOMPARE(ctx.Form1()->Timer1->interval(), 3000);
        ctx.Form1()->Timer1->setInterval(1);  // no need to wait three seconds here
        QTRY_VERIFY(!ctx.state().StartingUp);
        QVERIFY(!ctx.Form1()->Timer1->isActive());
        QVERIFY(!ctx.Form3()->isVisible());
        QCOMPARE(ctx.Form3()->size(), QSize(241, 127));
        // No tray icons to bring them up from: both mixers show.
        QVERIFY(ctx.Form1()->isVisible());
        QVERIFY(ctx.rec()->isVisible());
    }

    void outsideChangesAreIgnoredUnderTheGuard() {
        AppContext ctx(SimDriver::demo());
        ctx.createWindows();
        auto* driver = static_cast<SimDriver*>(&ctx.service().driver());
        const DWORD id = ctx.Form1()->Mixer->Destinations()->Items(0)->Controls.Items(0).dwControlID;
        // Under the guard the refresh does not run: the mixer is not reopened.
        ctx.state().ChangeGuard = 2;
        const HMIXER before = ctx.Form1()->Mixer->MixerHandle();
        driver->changeExternally(0, id, {1});
        QTest::qWait(20);
        QCOMPARE(ctx.state().ChangeGuard, 2);
        QCOMPARE(ctx.Form1()->Mixer->MixerHandle(), before);
        ctx.state().ChangeGuard = 0;
        driver->changeExternally(0, id, {2});
        QTest::qWait(20);
        QCOMPARE(ctx.state().ChangeGuard, 0);
        QVERIFY(ctx.Form1()->Mixer->Destinations());
    }

    void noSoundCardStillStarts() {
        QString error;
        auto none = SimDriver::fromJson(R"({"devices":[]})", &error);
        QVERIFY(none);
        AppContext ctx(std::move(none));
        // The "No mixer present" box is modal; answer it as a user would.
        QTimer::singleShot(0, [] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Enter);
        });
        ctx.createWindows();
        QCOMPARE(ctx.Form1()->Mixer->MixerId(), -1);
        QCOMPARE(ctx.state().ChangeGuard, 0);
    }
};

QTEST_MAIN(TestAppContext)
#include "test_app_context.moc"
