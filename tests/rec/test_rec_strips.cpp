// The recording window: its strips bound to the recording destination,
// stereo and mono layouts, picking the recorded source on a single-choice
// list, no pick buttons on a multiple-choice one, and the card menu.

#include "play/mixer_windows.h"
#include "support/test_main.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

namespace {

QColor plateColour(const MixerWindows& w, const char* plate) {
    return w.inRec<TPicture>(plate)->Picture().toImage().pixelColor(3, 3);
}

}  // namespace

class TestRecStrips : public QObject {
    Q_OBJECT
private slots:
    void bindingAndLayout() {
        MixerWindows w(cardWith({sourceLine("A")}));
        QCOMPARE(w.inRec<TPanel>("cha0")->Tag(), 0);
        QCOMPARE(w.inRec<TPanel>("cha2")->Tag(), 0);
        QCOMPARE(w.inRec<TPanel>("cha3")->Tag(), 0);
        QCOMPARE(w.inRec<TPanel>("cha4")->Tag(), 1);
        QVERIFY(w.inRec("cha4")->isHidden());
        QCOMPARE(w.rec->width(), 71 * 3 + 18);
        QCOMPARE(w.inRec("cha3")->x(), 10 + 71 * 2);
        QCOMPARE(w.inRec<QLabel>("Label5")->text(), QStringLiteral("Recording"));
        QCOMPARE(w.inRec<QLabel>("Label12")->text(), QStringLiteral("Mic"));
        QCOMPARE(w.inRec<QLabel>("Label15")->text(), QStringLiteral("Line"));
        QCOMPARE(w.inRec<QLabel>("Label16")->text(), QString());
        QCOMPARE(w.inRec<QLabel>("Label14")->text(), QStringLiteral("Recording Test Card"));
        QCOMPARE(w.play<QComboBox>("ComboBox3")->count(), 3);
        QCOMPARE(w.ctx.Form4()->box("BWCCCheckBox14")->text(), QStringLiteral("Line"));
        // Mono source: one fader for both, no link button.
        QVERIFY(w.inRec("lr2")->isHidden());
        QVERIFY(w.inRec("MaskEdit7")->isHidden());
        QVERIFY(w.inRec("pcursr2")->isHidden());
        QCOMPARE(w.inRec("mut2")->x(), 21);
        QCOMPARE(w.inRec("MaskEdit8")->x(), 26);
        QCOMPARE(w.inRec("MaskEdit8")->toolTip(), QStringLiteral("You can edit the left and right volume here... "));
        // Stereo source: starts separate.
        auto* link = w.inRec<TPanel>("lr3");
        QVERIFY(!link->isHidden());
        QCOMPARE(link->Caption(), QStringLiteral("L | R"));
        QCOMPARE(link->Bevel(), TPanel::BevelKind::Lowered);
        QCOMPARE(w.inRec("mut3")->x(), 35);
        QCOMPARE(w.inRec("MaskEdit36")->x(), 17);
        QCOMPARE(w.inRec("SpeedButton53")->x(), 6);
        QVERIFY(!w.inRec("MaskEdit35")->isHidden());
        // The master has a level control and no mute.
        QVERIFY(w.ctx.state().RecHasMasterLevel);
        QVERIFY(w.inRec("poisson")->isHidden());
        QVERIFY(w.inRec("mut1")->isHidden());
        QVERIFY(!w.inRec("pcurall1")->isHidden());

        // Linking: both channels on one fader, the link button stays.
        link->OnMouseDown(link, Qt::LeftButton, {}, 0, 0);
        QCOMPARE(link->Caption(), QStringLiteral("L+R"));
        QCOMPARE(link->x(), 7);
        QCOMPARE(w.inRec("MaskEdit36")->x(), 26);
        QCOMPARE(w.inRec("SpeedButton53")->x(), 14);
        QVERIFY(w.inRec("SpeedButton55")->isHidden());
    }

    void selectingSources() {
        MixerWindows w(cardWith({sourceLine("A")}));
        w.rec->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.rec));
        auto* mic = w.inRec<TPanel>("mut2");
        auto* line = w.inRec<TPanel>("mut3");
        QCOMPARE(line->Caption(), QStringLiteral("select"));
        QCOMPARE(line->toolTip(), QStringLiteral("Click to select that channel..."));
        // The list's pick survived the start-up refresh of every source.
        QCOMPARE(w.values(1, -1, 1), (std::vector<DWORD>{1, 0}));
        QCOMPARE(mic->Color(), kRed);
        QCOMPARE(plateColour(w, "Image15"), kRed);

        QTest::mousePress(line, Qt::LeftButton);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
        QCOMPARE(line->Color(), kRed);
        QCOMPARE(line->Bevel(), TPanel::BevelKind::Lowered);
        QCOMPARE(mic->Color(), kSilver);  // at once
        // The plates follow at once, with no turn of the event loop.
        QCOMPARE(plateColour(w, "Image233"), kRed);
        QCOMPARE(plateColour(w, "Image15"), kSilver);
        QTest::mouseRelease(line, Qt::LeftButton);
        QCOMPARE(w.values(1, -1, 1), (std::vector<DWORD>{0, 1}));

        // Strip 2 picked back: every other plate silver at once.
        QTest::mousePress(mic, Qt::LeftButton);
        QCOMPARE(plateColour(w, "Image15"), kRed);
        QCOMPARE(plateColour(w, "Image233"), kSilver);
        QTest::mouseRelease(mic, Qt::LeftButton);
        click(line);

        // Setting an unpicked source's level keeps the pick.
        auto* micLevel = w.inRec<TTwoDigitEdit>("MaskEdit8");
        micLevel->setFocus();
        micLevel->selectAll();
        QTest::keyClicks(micLevel, "12");
        QCOMPARE(w.values(1, 0, 0), std::vector<DWORD>{12 * 655});
        QCOMPARE(w.values(1, -1, 1), (std::vector<DWORD>{0, 1}));

        // Clicking the picked source drops it: nothing is recorded.
        click(line);
        QCOMPARE(line->Color(), kSilver);
        QCOMPARE(w.values(1, -1, 1), (std::vector<DWORD>{0, 0}));
        MixerWindows::settle();
        QCOMPARE(mic->Color(), kSilver);
        QCOMPARE(line->Color(), kSilver);
    }

    void hiddenStripKeepsItsButton() {
        MixerWindows w(cardWith({sourceLine("A")}));
        w.ctx.Form4()->box("BWCCCheckBox13")->setChecked(false);  // the Mic strip
        w.ctl->Button1Click();
        w.ctl->Button5Click();
        QCOMPARE(w.inRec<TPanel>("cha2")->Tag(), 1);
        auto* mic = w.inRec<TPanel>("mut2");
        ChannelStrip::SetSwitch(mic, true, kRed);
        click(w.inRec("mut3"));
        QCOMPARE(mic->Color(), kRed);
        QCOMPARE(w.rec->width(), 71 * 2 + 18);
    }

    void multipleChoiceListHasNoSelectButtons() {
        MixerWindows w(cardWith({sourceLine("A")}, "mixer"));
        QCOMPARE(w.ctx.state().RecMuxIndex, -2);
        QVERIFY(w.inRec("mut2")->isHidden());
        QVERIFY(w.inRec("mut3")->isHidden());
        // Its sources keep their state through the refresh.
        QCOMPARE(w.values(1, -1, 1), (std::vector<DWORD>{1, 0}));
    }

    void recordingWithoutLevelOrWithMute() {
        MixerWindows w(R"({"devices":[{"name":"C","destinations":[
            {"type":"speakers","channels":2,"name":"Out","controls":[{"type":"volume","values":[1,1]}]},
            {"type":"wavein","channels":2,"name":"In","controls":[{"type":"mute","uniform":true,"values":1}]}]}]})");
        QVERIFY(!w.ctx.state().RecHasMasterLevel);
        QVERIFY(!w.inRec("poisson")->isHidden());
        QCOMPARE(w.inRec("poisson")->y(), 49);
        QVERIFY(w.inRec("pcurall1")->isHidden());
        QVERIFY(w.inRec("MaskEdit1")->isHidden() && w.inRec("MaskEdit2")->isHidden());
        QVERIFY(w.inRec("SpeedButton2")->isHidden() && w.inRec("SpeedButton5")->isHidden());
        auto* mute = w.inRec<TPanel>("mut1");
        QVERIFY(!mute->isHidden());
        QCOMPARE(mute->Caption(), QStringLiteral("mute"));
        QCOMPARE(mute->y(), 36);
        QCOMPARE(mute->Color(), kRed);  // read from the line
        QCOMPARE(w.rec->width(), 71 + 18);
    }

    // The master fader and the fish follow the card in use: a card without
    // a recording level after one with it, and back.
    void recordingLevelFollowsTheCard() {
        MixerWindows w(R"({"devices":[
            {"name":"With","destinations":[
              {"type":"speakers","channels":2,"name":"Out","controls":[{"type":"volume"}]},
              {"type":"wavein","channels":2,"name":"In","controls":[{"type":"volume"}]}]},
            {"name":"Without","destinations":[
              {"type":"speakers","channels":2,"name":"Out","controls":[{"type":"volume"}]},
              {"type":"wavein","channels":2,"name":"In","controls":[{"type":"mute","uniform":true}]}]}]})");
        for (const int card : {0, 1, 0}) {
            w.ctx.state().MixerIndex = std::uint8_t(card);
            w.ctl->Button1Click();
            w.ctl->Button5Click();
            QCOMPARE(w.ctx.state().RecHasMasterLevel, card == 0);
            QCOMPARE(w.inRec("poisson")->isHidden(), card == 0);
            QCOMPARE(w.inRec("pcurall1")->isHidden(), card == 1);
            QCOMPARE(w.inRec("MaskEdit1")->isHidden(), card == 1);
        }
    }

    void cardMenu() {
        {
            MixerWindows w(cardWith({}));
            QCOMPARE(w.card(0)->text(), QStringLiteral("Test Card"));
            for (int i = 1; i < 5; ++i) QVERIFY(!w.card(i)->isVisible());
            QCOMPARE(w.rec->findChild<QMenu*>("PopupMenu"), w.rec->PopupMenu);
        }
        {
            // More than five cards: the menu is left as it is.
            QStringList devices;
            for (int i = 0; i < 6; ++i)
                devices << QStringLiteral(
                               "{\"name\": \"Card %1\", \"destinations\": [{\"type\": \"speakers\", "
                               "\"channels\": 2, \"name\": \"Out\"}]}")
                               .arg(i);
            MixerWindows w(QStringLiteral("{\"devices\": [%1]}").arg(devices.join(QLatin1Char(','))).toUtf8());
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(w.card(i)->text(), QStringLiteral("Audio card %1").arg(i + 1));
                QVERIFY(w.card(i)->isVisible());
            }
        }
        MixerWindows w(SimDriver::demoJson());
        QCOMPARE(w.card(0)->text(), QStringLiteral("Tavlo Demo Card"));
        QCOMPARE(w.card(1)->text(), QStringLiteral("Tavlo Demo USB Headset"));
        QVERIFY(w.card(1)->isVisible());
        QVERIFY(!w.card(2)->isVisible());
        QCOMPARE(w.card(2)->text(), QStringLiteral("Audio card 3"));
    }
};

TAVLO_TEST_MAIN(TestRecStrips)
#include "test_rec_strips.moc"
