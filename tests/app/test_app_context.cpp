// Start-up: the windows in their order with the shared state they set, the
// first initialisation under the guard, and the end of the splash phase.

#include "app/app_context.h"
#include "app/mixer_controller.h"
#include "app/splash.h"
#include "config/channel_dialog.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "platform/pulse/pulse_driver.h"
#include "platform/sim/sim_driver.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "support/pulse_server.h"
#include "support/recorded_messages.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <chrono>

class TestAppContext : public QObject {
    Q_OBJECT
private slots:
    void windowsAreCreatedWithTheirStartState() {
        AppContext ctx(SimDriver::demo());
        const SharedState& s = ctx.state();
        QCOMPARE(int(s.ChangeGuard.level()), 1);  // before any window: the program is initialising
        ctx.createWindows();
        QCOMPARE(ctx.Form3()->windowTitle(), QStringLiteral("Form3"));
        QCOMPARE(ctx.Form1()->windowTitle(), QStringLiteral("Tavlo by Varnel"));
        QCOMPARE(ctx.rec()->windowTitle(), QStringLiteral("Rekado by Varnel"));
        QCOMPARE(ctx.Form2()->windowTitle(), QStringLiteral("VU by Varnel"));
        QCOMPARE(ctx.Form4()->windowTitle(),
                 QStringLiteral("       Select the channels that you want to see in Tavlo."));
        QVERIFY(s.TracesOff);
        QCOMPARE(s.VersionText, QStringLiteral("Tavlo ver 1.0.020522."));
        QCOMPARE(s.StepSize, 1);
        QCOMPARE(s.MeterSourceIndex, 255);
        QVERIFY(s.StartingUp);
        QVERIFY(s.InitDone);  // the first initialisation ran during creation
        QVERIFY(!s.FirstBinding);
        QCOMPARE(int(s.ChangeGuard.level()), 0);  // and let go of the guard afterwards
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

    // Counts refreshes through their log lines, as a user would with
    // QT_LOGGING_RULES, and checks the controller's own count agrees.
    void refreshesRunOncePerOutsideChange() {
        RecordedMessages::Log log;
        AppContext ctx(SimDriver::demo(), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        MixerController* ctl = ctx.controller();
        auto* driver = static_cast<SimDriver*>(&ctx.service().driver());
        // Start-up: the planned first read only; the echoes of its own
        // writes (dozens of them) refresh nothing.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(ctl->refreshCount(), 1);

        const DWORD volume = ctx.Form1()->Mixer->Destinations()->Items(0)->Controls.Items(0).dwControlID;
        driver->changeExternally(0, volume, {6550});
        QTRY_COMPARE(ctl->refreshCount(), 2);
        QCOMPARE(ctx.Form1()->findChild<QLineEdit*>("MaskEdit1")->text(), QStringLiteral("10"));
        // The refresh's own write-back is an echo too.
        QTest::qWait(20);
        QCOMPARE(ctl->refreshCount(), 2);

        // A burst arriving together: one refresh after it.
        for (int i = 0; i < 50; ++i) driver->changeExternally(0, volume, {DWORD(655 * (i + 1))});
        QTRY_COMPARE(ctl->refreshCount(), 3);
        QTest::qWait(20);
        QCOMPARE(ctl->refreshCount(), 3);
        QCOMPARE(ctx.Form1()->findChild<QLineEdit*>("MaskEdit1")->text(), QStringLiteral("50"));

        // Under the guard the change waits, and is not lost.
        {
            const ChangeGuard::Hold drag = ctx.state().ChangeGuard.hold(ChangeGuard::Dragging);
            driver->changeExternally(0, volume, {655 * 20});
            QTest::qWait(20);
            QCOMPARE(ctl->refreshCount(), 3);
        }
        QTRY_COMPARE(ctl->refreshCount(), 4);
        QCOMPARE(ctx.Form1()->findChild<QLineEdit*>("MaskEdit1")->text(), QStringLiteral("20"));
        QVERIFY(log.warnings.isEmpty());
    }

    void cardsComeAndGo() {
        RecordedMessages::Log log;
        AppContext ctx(SimDriver::demo(), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        auto* driver = static_cast<SimDriver*>(&ctx.service().driver());
        TAudioMixer* mixer = ctx.Form1()->Mixer;
        QCOMPARE(mixer->MixerCount(), 2);
        // Bound to the second card; another card comes, the first goes.
        ctx.state().MixerIndex = 1;
        ctx.controller()->Button1Click();
        ctx.controller()->Button5Click();
        const QString bound = ctx.state().BoundProductName;
        auto cards = parseSimCards(SimDriver::demoJson(), nullptr);
        QVERIFY(cards && !cards->empty());
        driver->addDevice(std::move(cards->front()));
        QTRY_COMPARE(mixer->MixerCount(), 3);
        QCOMPARE(int(ctx.state().MixerIndex), 1);
        QVERIFY(ctx.rec()->findChild<QAction*>("card3")->isVisible());
        driver->removeDevice(0);
        QTRY_COMPARE(mixer->MixerCount(), 2);
        QCOMPARE(int(ctx.state().MixerIndex), 0);
        QCOMPARE(mixer->ProductName(), bound);
        QVERIFY(!ctx.rec()->findChild<QAction*>("card3")->isVisible());
        const int refreshes = ctx.controller()->refreshCount();
        // The refresh that follows an outside change still finds its card.
        driver->changeExternally(0, mixer->Destinations()->Items(0)->Controls.Items(0).dwControlID, {0});
        QTRY_COMPARE(ctx.controller()->refreshCount(), refreshes + 1);
        QVERIFY(log.warnings.isEmpty());

        // The bound card goes: one warning, the strips let go of it.
        driver->removeDevice(0);
        QTRY_COMPARE(log.warnings.size(), 1);
        QVERIFY(log.warnings.front().startsWith(QStringLiteral("Your System Sound-Cards has changed outside Tavlo.")));
        for (ChannelStrip* strip : ctx.Form1()->strips()) QVERIFY(!strip->Bound());
        driver->changeExternally(0, 1, {0});
        QTest::qWait(20);
        QCOMPARE(log.warnings.size(), 1);
    }

    void productChangeWarnsOnce() {
        RecordedMessages::Log log;
        AppContext ctx(SimDriver::demo(), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        auto* driver = static_cast<SimDriver*>(&ctx.service().driver());
        ctx.state().BoundProductName = QStringLiteral("Some other card");
        const DWORD volume = ctx.Form1()->Mixer->Destinations()->Items(0)->Controls.Items(0).dwControlID;
        for (int i = 0; i < 5; ++i) {
            driver->changeExternally(0, volume, {DWORD(1000 * i)});
            QTest::qWait(5);
        }
        QCOMPARE(log.warnings.size(), 1);
    }

    // A refresh fills both read-outs of a strip before writing it back, once:
    // the card never sees the other channel's old level on the way.
    void aRefreshWritesAStripBackOnce() {
        AppContext ctx(SimDriver::demo());
        ctx.createWindows();
        QCoreApplication::processEvents();
        auto* driver = static_cast<SimDriver*>(&ctx.service().driver());
        MixerController* ctl = ctx.controller();
        TAudioMixer* mixer = ctx.Form1()->Mixer;
        const int dest = ctx.state().PlayDestIndex;
        const DWORD volume = mixer->Destinations()->Items(dest)->Controls.Items(0).dwControlID;
        // What one write of the master line costs on this card.
        int l = 0, r = 0, m = 0;
        bool stereo = false, vd = false, md = false;
        QVERIFY(mixer->GetLineLevels(dest, -1, l, r, m, stereo, vd, md));
        QVERIFY(stereo);
        int before = driver->writeCount(0);
        QVERIFY(mixer->SetLineLevels(dest, -1, l, r, m));
        const int oneWrite = driver->writeCount(0) - before;
        QTest::qWait(20);

        const int refreshes = ctl->refreshCount();
        before = driver->writeCount(0);
        driver->changeExternally(0, volume, {655 * 30, 655 * 70});
        QTRY_COMPARE(ctl->refreshCount(), refreshes + 1);
        QCOMPARE(driver->writeCount(0) - before, oneWrite);
        QCOMPARE(driver->values(0, volume), (std::vector<DWORD>{655 * 30, 655 * 70}));
    }

    // A line change on the bound card rebinds both windows, not under the
    // guard, keeping the strips' link states and the metered line.
    void lineChangesRebindKeepingWhatTheUserSet() {
        RecordedMessages::Log log;
        AppContext ctx(SimDriver::demo(), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        QCoreApplication::processEvents();
        auto* driver = static_cast<SimDriver*>(&ctx.service().driver());
        MixerController* ctl = ctx.controller();
        SharedState& s = ctx.state();
        ChannelStrip* separate = nullptr;
        ChannelStrip* linked = nullptr;
        for (ChannelStrip* strip : ctx.Form1()->strips()) {
            if (!strip->Bound() || strip->Conn() < 0) continue;
            (separate ? linked : separate) = strip;
            if (linked) break;
        }
        QVERIFY(separate && linked);
        separate->LinkMouseDown();
        QVERIFY(!separate->Linked());
        QVERIFY(linked->Linked());
        s.MeterDestIndex = s.PlayDestIndex;
        s.MeterSourceIndex = static_cast<std::uint8_t>(linked->Conn());
        s.MeterChannelName = linked->Name();
        const DWORD playLine = ctx.Form1()->Mixer->Destinations()->Items(s.PlayDestIndex)->LineInfo.dwLineID;

        {
            const ChangeGuard::Hold drag = s.ChangeGuard.hold(ChangeGuard::Dragging);
            driver->raiseLineChange(0, playLine);
            driver->raiseLineChange(0, playLine);
            QTest::qWait(20);
            QCOMPARE(ctl->rebindCount(), 0);
        }
        QTRY_COMPARE(ctl->rebindCount(), 1);
        QTest::qWait(20);
        QCOMPARE(ctl->rebindCount(), 1);
        QVERIFY(!separate->Linked());
        QVERIFY(linked->Linked());
        QCOMPARE(int(s.MeterSourceIndex), linked->Conn());
        QCOMPARE(s.MeterChannelName, linked->Name());
        QVERIFY(log.count() == 0);
    }

    // Against a real sound server: a stream that starts gets its strip and
    // loses it when it ends; the bound output going away rebinds to the
    // default one with one word to the user; the server going leaves the
    // windows waiting, and its return binds them again.
    void soundServerStreamsAndOutputsComeAndGo() {
        if (!PulseServer::installed())
            QSKIP("pulseaudio is not installed (Debian packages pulseaudio, pulseaudio-utils)");
        using namespace std::chrono_literals;
        PulseServer pulse;
        QString why;
        QVERIFY2(pulse.start(&why), qPrintable(why));
        pulse.useFromThisProcess();
        const auto module = pulse.pactl(
            {"load-module", "module-null-sink", "sink_name=head", "sink_properties=device.description=Headset"});
        QVERIFY2(module, qPrintable(pulse.lastError()));
        QVERIFY(pulse.pactl({"set-default-sink", "fake"}));
        auto driver = PulseDriver::open(1000ms, &why);
        QVERIFY2(driver, qPrintable(why));
        RecordedMessages::Log log;
        AppContext ctx(std::move(driver), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        MixerController* ctl = ctx.controller();
        TForm1& play = *ctx.Form1();
        auto boundNames = [&play] {
            QStringList names;
            for (ChannelStrip* strip : play.strips())
                if (strip->Bound()) names << strip->Name();
            return names;
        };
        QCOMPARE(ctx.state().BoundProductName, QStringLiteral("Fake"));
        QCOMPARE(boundNames(), QStringList{QStringLiteral("Master")});

        QVERIFY(pulse.play(QStringLiteral("fake"), 0.5, 20, QStringLiteral("Tone player")));
        QTRY_COMPARE_WITH_TIMEOUT(boundNames(), (QStringList{"Master", "Tone player"}), PulseServer::kTimeout);
        QVERIFY(ctl->rebindCount() >= 1);
        pulse.stopPlaying();
        QTRY_COMPARE_WITH_TIMEOUT(boundNames(), QStringList{QStringLiteral("Master")}, PulseServer::kTimeout);

        // Bound to the headset, which is then unplugged.
        ctl->switchCard(2);
        QCOMPARE(ctx.state().BoundProductName, QStringLiteral("Headset"));
        QVERIFY(pulse.pactl({"unload-module", module->trimmed()}));
        QTRY_COMPARE_WITH_TIMEOUT(log.information.size(), 1, PulseServer::kTimeout);
        QCOMPARE(log.information.front(),
                 QStringLiteral("The sound output \"Headset\" is gone. Tavlo now shows \"Fake\"."));
        QCOMPARE(ctx.state().BoundProductName, QStringLiteral("Fake"));
        QCOMPARE(int(ctx.state().MixerIndex), 0);
        QVERIFY(play.strips().front()->Bound());
        QVERIFY(log.warnings.isEmpty());

        // The server itself goes, and comes back.
        pulse.stop();
        QTRY_COMPARE_WITH_TIMEOUT(log.information.size(), 2, PulseServer::kTimeout);
        QVERIFY(log.information.back().contains(QStringLiteral("no other is left")));
        for (ChannelStrip* strip : play.strips()) QVERIFY(!strip->Bound());
        QVERIFY2(pulse.start(&why), qPrintable(why));
        QTRY_VERIFY_WITH_TIMEOUT(play.strips().front()->Bound(), PulseServer::kTimeout);
        QCOMPARE(ctx.state().BoundProductName, QStringLiteral("Fake"));
        QCOMPARE(log.information.size(), 2);
        QVERIFY(log.warnings.isEmpty());
        // And the windows follow it again.
        const int refreshes = ctl->refreshCount();
        QVERIFY(pulse.pactl({"set-sink-volume", "fake", "30%"}));
        QTRY_VERIFY_WITH_TIMEOUT(ctl->refreshCount() > refreshes, PulseServer::kTimeout);
        QCOMPARE(play.findChild<QLineEdit*>("MaskEdit1")->text(), QStringLiteral("30"));
    }

    void noSoundCardStillStarts() {
        QString error;
        auto none = SimDriver::fromJson(R"({"devices":[]})", &error);
        QVERIFY(none);
        RecordedMessages::Log log;
        AppContext ctx(std::move(none), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        QCOMPARE(log.information, QStringList{QStringLiteral("No mixer present in the system !")});
        QCOMPARE(ctx.Form1()->Mixer->MixerId(), -1);
        QCOMPARE(int(ctx.state().ChangeGuard.level()), 0);
        // The rest of the initialisation is skipped: nothing bound, no name.
        QVERIFY(ctx.state().BoundProductName.isEmpty());
        for (ChannelStrip* strip : ctx.Form1()->strips()) QVERIFY(!strip->Bound());
    }
};

QTEST_MAIN(TestAppContext)
#include "test_app_context.moc"
