// Start-up: the windows in their order with the shared state they set, the
// first initialisation under the guard, and the end of the splash phase.

#include "app/app_context.h"
#include "app/mixer_controller.h"
#include "app/splash.h"
#include "config/channel_dialog.h"
#include "controls/picture.h"
#include "meter/vu_window.h"
#include "mixer/audio_mixer.h"
#include "platform/alsa/alsa_driver.h"
#include "platform/driver_factory.h"
#include "platform/mixer_service.h"
#include "platform/pulse/pulse_driver.h"
#include "platform/server_follower.h"
#include "platform/sim/sim_driver.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/channel_strip.h"
#include "support/pulse_server.h"
#include "support/recorded_messages.h"
#include "support/sim_fixture.h"
#include "support/test_main.h"
#include "test_cards.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <map>

namespace {

// A test card's state file, kept open so that it can still be read once
// the card is pulled out (the file unlinked).
testcard::StateFile stateOf(const testcard::TestCards& cards, const char* profile) {
    testcard::StateFile file;
    file.open(QFile::encodeName(cards.statePath(profile)).toStdString(), *testcard::findProfile(profile), false);
    return file;
}

// Every element of a test card as its hardware holds it: presence, use and
// values, one line each.
QByteArray cardValues(const testcard::StateFile& file) {
    testcard::Snapshot now;
    if (file.read(now) != 0) return {};
    QByteArray out;
    for (const testcard::ElemRecord& e : now.elems)
        out += QByteArray::number(e.present) + ' ' + QByteArray::number(e.inactive) + ' ' +
               QByteArray::number(e.value[0]) + ' ' + QByteArray::number(e.value[1]) + '\n';
    return out;
}

// The lines one logging category writes while this lives.
class LogLines {
public:
    explicit LogLines(const char* category) : category_(category) {
        current_ = this;
        previous_ = qInstallMessageHandler(&take);
    }
    ~LogLines() {
        qInstallMessageHandler(previous_);
        current_ = nullptr;
    }
    int count(const QString& text) const { return int(lines_.filter(text).size()); }

private:
    static void take(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (current_ && context.category && current_->category_ == context.category) current_->lines_ << text;
        if (current_ && current_->previous_) current_->previous_(type, context, text);
    }
    inline static LogLines* current_ = nullptr;
    QByteArray category_;
    QtMessageHandler previous_ = nullptr;
    QStringList lines_;
};

QStringList boundNames(const std::vector<ChannelStrip*>& strips) {
    QStringList names;
    for (ChannelStrip* strip : strips)
        if (strip->Bound()) names << strip->Name();
    return names;
}

ChannelStrip* stripNamed(const std::vector<ChannelStrip*>& strips, const QString& name) {
    for (ChannelStrip* strip : strips)
        if (strip->Bound() && strip->Name() == name) return strip;
    return nullptr;
}

// What a strip's left read-out shows.
QString readout(QWidget& window, const ChannelStrip* strip) {
    return strip ? window.findChild<QLineEdit*>(strip->row.names->readL)->text() : QString();
}

}  // namespace

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
        QVERIFY(ctx.rec()->findChild<QAction*>("card2")->isChecked());
        // A name with "&" shows as it is, not as a mnemonic.
        driver->addDevice(std::move(
            parseSimCards(card(R"([{"type":"speakers","name":"Out"}])", "Big &Wide Card"), nullptr)->front()));
        QTRY_COMPARE(mixer->MixerCount(), 4);
        QCOMPARE(ctx.rec()->findChild<QAction*>("card4")->text(), QStringLiteral("Big &&Wide Card"));
        driver->removeDevice(3);
        QTRY_COMPARE(mixer->MixerCount(), 3);
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

    // The ALSA card in use is pulled out in the middle of a fader drag, or
    // while a refresh reads it. Nothing crashes, the user is told once, and
    // no card value changes from then on: not the pulled card's (the fader
    // still moving has nowhere to write) and not those of the other card,
    // which moves up to the pulled card's place in the list.
    void alsaCardPulled_data() {
        QTest::addColumn<bool>("midDrag");
        QTest::newRow("mid-drag") << true;
        QTest::newRow("mid-refresh") << false;
    }
    void alsaCardPulled() {
        QFETCH(bool, midDrag);
        const testcard::TestCards cards;
        QTemporaryDir root;
        QVERIFY(cards.isValid() && root.isValid());
        // A folder plays /dev/snd, its entries the two cards.
        const QString folder = root.filePath(QStringLiteral("snd"));
        const std::map<QString, QString> devices{{"controlC0", testcard::deviceName("ac97")},
                                                 {"controlC1", testcard::deviceName("hda")}};
        QVERIFY(QDir().mkpath(folder));
        for (const auto& [entry, device] : devices) QVERIFY(QFile(folder + '/' + entry).open(QIODevice::WriteOnly));
        AlsaCardLister lister = [folder, devices] {
            std::vector<AlsaCard> listed;
            for (const QString& entry : QDir(folder).entryList(QDir::Files, QDir::Name))
                listed.push_back({entry, devices.at(entry)});
            return listed;
        };
        RecordedMessages::Log log;
        AppContext ctx(makeFollowingAlsaDriver(folder, lister), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        TForm1* f1 = ctx.Form1();
        QCOMPARE(f1->Mixer->MixerCount(), 2);
        QCOMPARE(f1->Mixer->ProductName(), QStringLiteral("Tavlo Test AC97"));
        f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(f1));
        QTest::qWait(20);
        QVERIFY(log.warnings.isEmpty());
        testcard::CardState ac97(cards.statePath("ac97"), "ac97");
        const testcard::StateFile ac97File = stateOf(cards, "ac97");
        const testcard::StateFile hdaFile = stateOf(cards, "hda");
        const QByteArray ac97Before = cardValues(ac97File);
        const QByteArray hdaBefore = cardValues(hdaFile);
        QVERIFY(!ac97Before.isEmpty() && !hdaBefore.isEmpty());
        // Pulled: the card is gone (its values can be neither read nor written)
        // and so is its entry.
        auto pull = [&] {
            return QFile::remove(cards.statePath("ac97")) && QFile::remove(folder + QStringLiteral("/controlC0"));
        };

        QByteArray ac97AtPull;
        if (midDrag) {
            QWindow* window = f1->windowHandle();
            const QPoint start = f1->findChild<TPicture*>("curs11")->mapTo(f1, QPoint(5, 5));
            QTest::mousePress(window, Qt::LeftButton, {}, start);
            QTest::mouseMove(window, start + QPoint(0, 10));
            ac97AtPull = cardValues(ac97File);
            QVERIFY(ac97AtPull != ac97Before);  // the drag reaches the card
            QVERIFY(pull());
            // Before the program can have noticed, and after.
            for (int dy : {20, -20, 30}) QTest::mouseMove(window, start + QPoint(0, dy));
            QTRY_COMPARE(log.warnings.size(), 1);
            for (int dy : {-40, 40}) QTest::mouseMove(window, start + QPoint(0, dy));
            QTest::mouseRelease(window, Qt::LeftButton, {}, start + QPoint(0, 40));
        } else {
            // Another program's change asks for a refresh, which then runs on
            // a card already gone.
            QVERIFY(ac97.set("Master Playback Volume", {5, 5}));
            ac97AtPull = cardValues(ac97File);
            QVERIFY(pull());
            ctx.controller()->Button5Click();
            QTRY_COMPARE(log.warnings.size(), 1);
        }
        QTest::qWait(50);
        QCOMPARE(log.warnings.size(), 1);
        QVERIFY(log.warnings.front().startsWith(QStringLiteral("Your System Sound-Cards has changed outside Tavlo.")));
        QCOMPARE(int(ctx.state().ChangeGuard.level()), 0);
        for (ChannelStrip* strip : f1->strips()) QVERIFY(!strip->Bound());
        QCOMPARE(cardValues(ac97File), ac97AtPull);
        QCOMPARE(cardValues(hdaFile), hdaBefore);
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
        const std::optional<LineLevels> levels = mixer->GetLineLevels(dest, -1);
        QVERIFY(levels && levels->Stereo);
        const int l = levels->Left, r = levels->Right, m = levels->Mute;
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
    // loses it when it ends, also on the output shown after the one in use
    // went (one word to the user); the server going leaves the windows
    // waiting with one word, and its return binds them again silently.
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
        const LogLines devices("tavlo.mixer");
        AppContext ctx(std::move(driver), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        MixerController* ctl = ctx.controller();
        TForm1& play = *ctx.Form1();
        QCOMPARE(ctx.state().BoundProductName, QStringLiteral("Fake"));
        QCOMPARE(boundNames(play.strips()), QStringList{QStringLiteral("Master")});

        QVERIFY(pulse.play(QStringLiteral("fake"), 0.5, 20, QStringLiteral("Tone player")));
        QTRY_COMPARE_WITH_TIMEOUT(boundNames(play.strips()), (QStringList{"Master", "Tone player"}),
                                  PulseServer::kTimeout);
        QVERIFY(ctl->rebindCount() >= 1);
        pulse.stopPlaying();
        QTRY_COMPARE_WITH_TIMEOUT(boundNames(play.strips()), QStringList{QStringLiteral("Master")},
                                  PulseServer::kTimeout);

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
        // The one output left follows its streams as the first did.
        QVERIFY(pulse.play(QStringLiteral("fake"), 0.5, 20, QStringLiteral("Second player")));
        QTRY_COMPARE_WITH_TIMEOUT(boundNames(play.strips()), (QStringList{"Master", "Second player"}),
                                  PulseServer::kTimeout);
        pulse.stopPlaying();
        QTRY_COMPARE_WITH_TIMEOUT(boundNames(play.strips()), QStringList{QStringLiteral("Master")},
                                  PulseServer::kTimeout);

        // The server itself goes, and comes back.
        pulse.stop();
        QTRY_COMPARE_WITH_TIMEOUT(log.information.size(), 2, PulseServer::kTimeout);
        QCOMPARE(log.information.back(),
                 QStringLiteral("The sound server stopped. Tavlo shows its outputs again when it comes back."));
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
        // Each output that went is logged once, however many mixer objects
        // were on it.
        QCOMPARE(devices.count(QStringLiteral("Headset is gone")), 1);
        QCOMPARE(devices.count(QStringLiteral("Fake is gone")), 1);
    }

    // Sources made while running get working strips, the recording master
    // shows the source chosen, and the card menu ticks the output shown
    // wherever the server's order puts it.
    void soundServerSourcesAndTheCardMenu() {
        if (!PulseServer::installed())
            QSKIP("pulseaudio is not installed (Debian packages pulseaudio, pulseaudio-utils)");
        using namespace std::chrono_literals;
        PulseServer pulse;
        QString why;
        QVERIFY2(pulse.start(&why), qPrintable(why));
        pulse.useFromThisProcess();
        QVERIFY(pulse.pactl(
            {"load-module", "module-null-sink", "sink_name=head", "sink_properties=device.description=Headset"}));
        QVERIFY(pulse.pactl({"set-default-sink", "fake"}));
        QVERIFY(pulse.pactl({"set-default-source", "fakemic"}));
        QVERIFY(pulse.pactl({"set-source-volume", "fakemic", "20%"}));
        auto driver = PulseDriver::open(1000ms, &why);
        QVERIFY2(driver, qPrintable(why));
        RecordedMessages::Log log;
        AppContext ctx(std::move(driver), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        Trec& rec = *ctx.rec();
        auto menu = [&rec](int k) { return rec.findChild<QAction*>(QStringLiteral("card%1").arg(k)); };
        QCOMPARE(menu(1)->text(), QStringLiteral("Fake"));
        QVERIFY(menu(1)->isChecked());

        // Another output becomes the default: it is listed first now, and
        // the tick moves with the output shown.
        QVERIFY(pulse.pactl({"set-default-sink", "head"}));
        QTRY_COMPARE_WITH_TIMEOUT(menu(1)->text(), QStringLiteral("Headset"), PulseServer::kTimeout);
        QCOMPARE(ctx.state().BoundProductName, QStringLiteral("Fake"));
        QCOMPARE(menu(2)->text(), QStringLiteral("Fake"));
        QVERIFY(!menu(1)->isChecked());
        QVERIFY(menu(2)->isChecked());

        // A source made now reads its level and follows it.
        QVERIFY(pulse.pactl({"load-module", "module-null-source", "source_name=linein", "description=Line-In"}));
        QVERIFY(pulse.pactl({"set-source-volume", "linein", "40%"}));
        QTRY_COMPARE_WITH_TIMEOUT(readout(rec, stripNamed(rec.strips(), QStringLiteral("Line-In"))),
                                  QStringLiteral("40"), PulseServer::kTimeout);
        ChannelStrip* line = stripNamed(rec.strips(), QStringLiteral("Line-In"));
        ChannelStrip* mic = stripNamed(rec.strips(), QStringLiteral("Null Input"));
        QVERIFY(line && mic);
        QCOMPARE(readout(rec, rec.strips().front()), QStringLiteral("20"));
        QVERIFY(pulse.pactl({"set-source-volume", "linein", "70%"}));
        QTRY_COMPARE_WITH_TIMEOUT(readout(rec, line), QStringLiteral("70"), PulseServer::kTimeout);
        // What the user types reaches it.
        rec.findChild<QLineEdit*>(line->row.names->readL)->setText(QStringLiteral("50"));
        QTRY_VERIFY_WITH_TIMEOUT(
            pulse.pactl({"get-source-volume", "linein"}).value_or(QString()).contains(QStringLiteral(" 50%")),
            PulseServer::kTimeout);
        // Its select button picks it, and the recording master shows its
        // level; the other one picks the first again.
        rec.SelectMouseDown(line);
        QTRY_COMPARE_WITH_TIMEOUT(pulse.pactl({"get-default-source"}).value_or(QString()).trimmed(),
                                  QStringLiteral("linein"), PulseServer::kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(readout(rec, rec.strips().front()), QStringLiteral("50"), PulseServer::kTimeout);
        QVERIFY(line->MuteOn() && !mic->MuteOn());
        rec.SelectMouseDown(mic);
        QTRY_COMPARE_WITH_TIMEOUT(pulse.pactl({"get-default-source"}).value_or(QString()).trimmed(),
                                  QStringLiteral("fakemic"), PulseServer::kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(readout(rec, rec.strips().front()), QStringLiteral("20"), PulseServer::kTimeout);
        QVERIFY(mic->MuteOn() && !line->MuteOn());
        QVERIFY(log.count() == 0);
    }

    // Started before the sound server: the windows join it when it comes
    // (one word). With the cards to fall back on (nothing chosen) they show
    // the cards when it stops for good and join it again when it is back,
    // one word each; with the server alone (TAVLO_MIXER=pulse) they wait
    // for it, and its return after a stop is seen, not said.
    void startedBeforeTheSoundServer_data() {
        QTest::addColumn<bool>("cards");
        QTest::newRow("cards meanwhile") << true;
        QTest::newRow("the server alone") << false;
    }
    void startedBeforeTheSoundServer() {
        QFETCH(bool, cards);
        if (!PulseServer::installed())
            QSKIP("pulseaudio is not installed (Debian packages pulseaudio, pulseaudio-utils)");
        using namespace std::chrono_literals;
        PulseServer pulse;
        pulse.useFromThisProcess();
        RecordedMessages::Log log;
        std::unique_ptr<MixerDriver> driver = PulseDriver::follow(300ms);
        if (cards)
            driver = std::make_unique<ServerFollower>(
                std::move(driver), [] { return SimDriver::demo(); }, 500ms);
        AppContext ctx(std::move(driver), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        TForm1& play = *ctx.Form1();
        const QString none = QStringLiteral("No mixer present in the system !");
        const QString started = QStringLiteral("The sound server started. Tavlo now shows \"Fake\".");
        const QString stopped =
            QStringLiteral("The sound server stopped. Tavlo shows its outputs again when it comes back.");
        const QString meanwhile = cards ? QStringLiteral("Tavlo Demo Card") : QString();
        // The recording window's master (the default source) and the
        // source's own strip, as shown.
        Trec& rec = *ctx.rec();
        auto recording = [&rec] {
            return readout(rec, rec.strips().front()) + QLatin1Char('/') +
                   readout(rec, stripNamed(rec.strips(), QStringLiteral("Null Input")));
        };
        QCOMPARE(ctx.state().BoundProductName, meanwhile);
        QCOMPARE(play.strips().front()->Bound(), cards);
        QStringList said = cards ? QStringList() : QStringList{none};
        QCOMPARE(log.information, said);
        QString why;
        QVERIFY2(pulse.start(&why), qPrintable(why));
        said << started;
        QTRY_COMPARE_WITH_TIMEOUT(log.information, said, PulseServer::kTimeout);
        QCOMPARE(ctx.state().BoundProductName, QStringLiteral("Fake"));
        QVERIFY(play.strips().front()->Bound());
        QCOMPARE(ctx.rec()->findChild<QAction*>("card1")->text(), QStringLiteral("Fake"));
        // The recording window joined it too (its mixer object hears of the
        // server after the playback window's has bound both).
        QCOMPARE(recording(), QStringLiteral("99/99"));
        pulse.stop();
        said << stopped;
        QTRY_COMPARE_WITH_TIMEOUT(log.information, said, PulseServer::kTimeout);
        if (cards) QTRY_COMPARE_WITH_TIMEOUT(ctx.state().BoundProductName, meanwhile, PulseServer::kTimeout);
        QTest::qWait(600);  // the fallback's time has passed
        QCOMPARE(play.strips().front()->Bound(), cards);
        QCOMPARE(log.information, said);
        QVERIFY2(pulse.start(&why), qPrintable(why));
        if (cards) said << started;
        QTRY_VERIFY_WITH_TIMEOUT(play.strips().front()->Bound() && ctx.state().BoundProductName == "Fake",
                                 PulseServer::kTimeout);
        QCOMPARE(log.information, said);
        QCOMPARE(recording(), QStringLiteral("99/99"));
        // Followed as ever.
        QVERIFY(pulse.pactl({"set-sink-volume", "fake", "30%"}));
        QTRY_COMPARE_WITH_TIMEOUT(play.findChild<QLineEdit*>("MaskEdit1")->text(), QStringLiteral("30"),
                                  PulseServer::kTimeout);
        QVERIFY(pulse.pactl({"set-source-volume", "fakemic", "40%"}));
        QTRY_COMPARE_WITH_TIMEOUT(recording(), QStringLiteral("40/40"), PulseServer::kTimeout);
        QVERIFY(log.warnings.isEmpty());
    }

    // PipeWire's PulseAudio server over a longer session: its stand-in
    // output gives way to real ones unannounced, the output in use goes,
    // the server restarts, sinks and the source are made again; both
    // mixers follow it throughout.
    void pipeWireLongSession() {
        if (!PulseServer::pipeWireInstalled())
            QSKIP("PipeWire is not installed (Debian packages pipewire, pipewire-pulse, wireplumber, dbus)");
        using namespace std::chrono_literals;
        PulseServer pw;
        QString why;
        QVERIFY2(pw.startPipeWire(&why), qPrintable(why));
        pw.useFromThisProcess();
        RecordedMessages::Log log;
        AppContext ctx(PulseDriver::follow(1000ms), std::make_unique<RecordedMessages>(log));
        ctx.createWindows();
        MixerController* ctl = ctx.controller();
        Trec& rec = *ctx.rec();
        const QString dummy = ctx.state().BoundProductName;
        QVERIFY2(dummy.contains(QStringLiteral("Dummy")), qPrintable(dummy));
        auto makeDevices = [&pw] {
            return pw.pactl({"load-module", "module-null-sink", "sink_name=speakers",
                             "sink_properties=device.description=Speakers"}) &&
                   // PipeWire's null source is a null sink of the source class.
                   pw.pactl({"load-module", "module-null-sink", "media.class=Audio/Source/Virtual", "sink_name=mic",
                             "sink_properties=device.description=Mic"});
        };
        auto recordingShown = [&rec] {
            return boundNames(rec.strips()).contains(QStringLiteral("Mic")) && rec.width() > 18;
        };
        QVERIFY2(makeDevices(), qPrintable(pw.lastError()));
        QTRY_COMPARE_WITH_TIMEOUT(ctx.state().BoundProductName, QStringLiteral("Speakers"), PulseServer::kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(recordingShown(), PulseServer::kTimeout);
        QTest::qWait(300);
        QVERIFY2(log.information.isEmpty(), qPrintable(log.information.join('|')));

        // The output in use goes: the stand-in comes back and is shown.
        const auto sinks = pw.pactl({"list", "short", "modules"}).value_or(QString());
        QString speakersModule;
        for (const QString& row : sinks.split('\n'))
            if (row.contains(QStringLiteral("sink_name=speakers"))) speakersModule = row.section('\t', 0, 0);
        QVERIFY(!speakersModule.isEmpty());
        QVERIFY(pw.pactl({"unload-module", speakersModule}));
        QTRY_COMPARE_WITH_TIMEOUT(log.information.size(), 1, PulseServer::kTimeout);
        QVERIFY2(log.information.front().startsWith(QStringLiteral("The sound output \"Speakers\" is gone")),
                 qPrintable(log.information.front()));

        // The server restarts with nothing but its stand-in; the devices are
        // made again.
        pw.stop();
        QTRY_COMPARE_WITH_TIMEOUT(log.information.size(), 2, PulseServer::kTimeout);
        QCOMPARE(log.information.back(),
                 QStringLiteral("The sound server stopped. Tavlo shows its outputs again when it comes back."));
        QVERIFY2(pw.startPipeWire(&why), qPrintable(why));
        QTRY_VERIFY_WITH_TIMEOUT(ctx.Form1()->strips().front()->Bound(), PulseServer::kTimeout);
        QVERIFY2(makeDevices(), qPrintable(pw.lastError()));
        QTRY_COMPARE_WITH_TIMEOUT(ctx.state().BoundProductName, QStringLiteral("Speakers"), PulseServer::kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(recordingShown(), PulseServer::kTimeout);
        // Chosen again from the menu: the same.
        ctl->switchCard(1);
        QVERIFY(recordingShown());
        QTest::qWait(300);
        QVERIFY2(log.information.size() == 2, qPrintable(log.information.join(QLatin1Char('|'))));
        QVERIFY(log.warnings.isEmpty());
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

TAVLO_TEST_MAIN(TestAppContext)
#include "test_app_context.moc"
