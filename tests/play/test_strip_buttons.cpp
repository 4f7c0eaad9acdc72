// The strip buttons of both mixer windows: solo and the mute states it
// restores, auto-repeat of held step buttons (driven tick by tick), the VU
// images, name zoom, and the tone knob at window level.

#include "play/mixer_windows.h"

#include "controls/auto_repeat.h"
#include "controls/rotary_knob.h"
#include "controls/step_button.h"
#include "meter/vu_window.h"
#include "support/test_main.h"

#include <QLabel>

namespace {

void press(QWidget* w) { QTest::mousePress(w, Qt::LeftButton); }

// Five sources: strips 2 to 6, each a stereo line with volume and mute.
QByteArray fiveSources() { return cardWith(stereoSources(5)); }

struct Solo {
    MixerWindows& w;
    TPanel* named(int strip, const char* StripNames::*name) const {
        return w.f1->findChild<TPanel*>(QString::fromLatin1(w.f1->strips()[strip - 1]->row.names->*name));
    }
    TPanel* mute(int strip) const { return named(strip, &StripNames::mute); }
    TPanel* solo(int strip) const { return named(strip, &StripNames::solo); }
    bool muted(int strip) const { return mute(strip)->Color() == kRed; }
    // The card's mute of strip k's line.
    bool lineMuted(int strip) const { return w.values(0, strip - 2, 1) == std::vector<DWORD>{1}; }
    // Muted strips among 2..6, as the buttons show them and as the card has them.
    QList<int> shown() const {
        QList<int> r;
        for (int k = 2; k <= 6; ++k)
            if (muted(k)) r << k;
        return r;
    }
    QList<int> card() const {
        QList<int> r;
        for (int k = 2; k <= 6; ++k)
            if (lineMuted(k)) r << k;
        return r;
    }
};

}  // namespace

class TestStripButtons : public QObject {
    Q_OBJECT
private slots:
    // --- mute and solo -------------------------------------------------------

    void soloAndBack() {
        MixerWindows w(fiveSources());
        Solo s{w};
        click(s.mute(5));  // the user mutes strip 5
        QCOMPARE(s.mute(5)->Tag(), 1);
        QCOMPARE(s.card(), QList<int>{5});

        click(s.solo(3));
        QCOMPARE(s.solo(3)->Color(), kLime);
        QCOMPARE(s.solo(3)->Bevel(), TPanel::BevelKind::Lowered);
        QCOMPARE(s.shown(), (QList<int>{2, 4, 5, 6}));
        QCOMPARE(s.card(), (QList<int>{2, 4, 5, 6}));
        QCOMPARE(s.mute(5)->Tag(), 1);
        QCOMPARE(s.mute(4)->Tag(), 0);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
        // The master takes no part.
        QVERIFY(!s.muted(1));

        click(s.solo(3));
        QCOMPARE(s.solo(3)->Color(), kSilver);
        QCOMPARE(s.solo(3)->Bevel(), TPanel::BevelKind::Raised);
        QCOMPARE(s.shown(), QList<int>{5});
        QCOMPARE(s.card(), QList<int>{5});
    }

    void soloMovesToAnotherStrip() {
        MixerWindows w(fiveSources());
        Solo s{w};
        click(s.solo(3));
        click(s.solo(4));
        QCOMPARE(s.solo(3)->Color(), kSilver);
        QCOMPARE(s.solo(4)->Color(), kLime);
        QVERIFY(s.muted(3));
        QVERIFY(!s.muted(4));
        QCOMPARE(s.card(), (QList<int>{2, 3, 5, 6}));
        click(s.solo(4));
        QCOMPARE(s.card(), QList<int>{});
    }

    void unsoloingAMutedStripLeavesItSounding() {
        MixerWindows w(fiveSources());
        Solo s{w};
        click(s.mute(3));
        click(s.solo(3));
        QVERIFY(!s.muted(3));
        click(s.solo(3));
        QVERIFY(!s.muted(3));
        QVERIFY(!s.lineMuted(3));
        // It sounds now, so another solo and un-solo leaves it sounding too.
        click(s.solo(2));
        click(s.solo(2));
        QVERIFY(!s.muted(3));
        QCOMPARE(s.card(), QList<int>{});
    }

    void muteDuringASoloIsRemembered() {
        MixerWindows w(fiveSources());
        Solo s{w};
        click(s.solo(3));
        click(s.mute(5));  // shown muted by the solo: the user unmutes it
        QCOMPARE(s.mute(5)->Tag(), 0);
        click(s.mute(6));
        click(s.mute(6));  // and strip 6 back on: chosen muted
        QCOMPARE(s.mute(6)->Tag(), 1);
        click(s.solo(3));
        QCOMPARE(s.shown(), QList<int>{6});
        QCOMPARE(s.card(), QList<int>{6});
    }

    // A line muted before start (or by another program) stays muted after a
    // solo comes and goes: the memory follows what the card shows.
    void lineMutedOutsideSurvivesASolo() {
        QList<QByteArray> sources = stereoSources(3);
        sources[1] = QByteArray(sourceLine("Muted")).replace(R"("values": 0)", R"("values": 1)");
        MixerWindows w(cardWith(sources));
        Solo s{w};
        QVERIFY(s.muted(3));
        QCOMPARE(s.mute(3)->Tag(), 1);
        QCOMPARE(s.mute(2)->Tag(), 0);
        click(s.solo(2));
        click(s.solo(2));
        QVERIFY(s.muted(3));
        QVERIFY(s.lineMuted(3));
        QVERIFY(!s.muted(4));

        // Muted from outside while nothing is soloed: remembered as well.
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 2, 1), {1}));
        MixerWindows::settle();
        QCOMPARE(s.mute(4)->Tag(), 1);
        // During a solo a read shows the solo, not a choice of the user.
        click(s.solo(2));
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 0, 0), {1000, 1000}));
        MixerWindows::settle();
        QCOMPARE(s.mute(3)->Tag(), 1);
        QCOMPARE(s.mute(4)->Tag(), 1);
        click(s.solo(2));
        QCOMPARE(s.shown(), (QList<int>{3, 4}));
    }

    // The demo card starts with "Line in" and "Microphone" muted.
    void demoCardKeepsItsMutedLinesThroughASolo() {
        MixerWindows w(SimDriver::demoJson());
        Solo s{w};
        QCOMPARE(s.shown(), (QList<int>{5, 6}));
        click(s.solo(2));
        QCOMPARE(s.card(), (QList<int>{3, 4, 5, 6}));
        click(s.solo(2));
        QCOMPARE(s.card(), (QList<int>{5, 6}));
        QCOMPARE(s.shown(), (QList<int>{5, 6}));
    }

    // A re-initialisation during a solo (the dialog's O.K., a card switch)
    // never takes the lines the solo muted for the users' own mutes, even
    // when the soloed strip is hidden by it.
    void reinitialisationDuringASolo() {
        for (const bool hideSoloed : {false, true}) {
            MixerWindows w(fiveSources());
            Solo s{w};
            click(s.solo(3));
            QCOMPARE(s.card(), (QList<int>{2, 4, 5, 6}));
            if (hideSoloed) w.ctx.Form4()->box("BWCCCheckBox3")->setChecked(false);
            w.ctl->Button1Click();
            w.ctl->Button5Click();
            for (int k : {2, 4, 5, 6}) QCOMPARE(s.mute(k)->Tag(), 0);
            QCOMPARE(s.solo(3)->Color(), kLime);  // left alone
            if (hideSoloed) {
                // Another solo ends the hidden one; un-soloing gives back
                // what the users chose: nothing muted.
                click(s.solo(2));
                click(s.solo(2));
                QCOMPARE(s.solo(3)->Color(), kSilver);
            } else {
                click(s.solo(3));
            }
            QCOMPARE(s.card(), QList<int>{});
        }
    }

    void soloLeavesStripsNotInUseAlone() {
        MixerWindows w(fiveSources());
        Solo s{w};
        w.ctx.Form4()->box("BWCCCheckBox5")->setChecked(false);  // strip 5
        w.ctl->Button1Click();
        w.ctl->Button5Click();
        QVERIFY(!w.f1->strips()[4]->Bound());
        const std::vector<DWORD> before = w.values(0, 3, 1);
        click(s.solo(2));
        QVERIFY(!s.muted(5));
        QCOMPARE(w.values(0, 3, 1), before);
        QCOMPARE(s.shown(), (QList<int>{3, 4, 6}));
    }

    void hintsAndCaptions() {
        MixerWindows w(fiveSources());
        const QList<std::pair<const char*, const char*>> hints = {
            {"mut12", "Click to mute that channel..."},  // not bound: the design's hint
            {"sol2", "Click to listen to the channel in solo..."},
            {"co12", "Click to enable this extra control..."},
            {"co22", ""},
            {"SpeedButton1", "Click to set the volume + 1..."},
            {"SpeedButton44", "Click to set the volume - 1..."},
            {"vul2", "Click on the VU to zoom it..."},
            {"Image16", "Click on the VU to zoom it..."},
            {"Label4", "Click to zoom the name..."},
            {"Label6", "Click to zoom the name..."},
            {"lrrl", "Click to reverse the left/right control..."},
            {"treplus", "Click to set the treble + 1..."},
            {"tremoins", "Click to set the volume - 1..."},
            {"basplus", "Click to set the volume + 1..."},
        };
        for (const auto& [name, hint] : hints) {
            QWidget* widget = w.play(name);
            QVERIFY2(widget, name);
            QCOMPARE(widget->toolTip(), QString::fromLatin1(hint));
        }
        QCOMPARE(w.play<TPanel>("lrrl")->Caption(), QStringLiteral("<L R>"));
        QCOMPARE(w.play<TPanel>("lrrl")->Bevel(), TPanel::BevelKind::Raised);
        for (const char* name : {"sol2", "mut2", "co12"}) {
            QCOMPARE(w.play<TPanel>(name)->Color(), kSilver);
            QCOMPARE(w.play<TPanel>(name)->Bevel(), TPanel::BevelKind::Raised);
        }
    }

    // --- step buttons held -----------------------------------------------------

    void heldStepButtonRepeats() {
        MixerWindows w(fiveSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* timer = w.play<QTimer>("Timer4");
        QCOMPARE(timer->interval(), 75);
        auto* plus = w.play<TStepButton>("SpeedButton1");  // strip 2, left +
        auto* readout = w.play<TTwoDigitEdit>("MaskEdit8");
        readout->setText(QStringLiteral("10"));
        press(plus);
        QVERIFY(timer->isActive());
        QCOMPARE(w.ctx.state().RepeatCode, 211);
        QCOMPARE(readout->text(), QStringLiteral("10"));  // nothing before the first tick
        // A second held: 13 ticks of 75 ms, and the click at the release.
        for (int i = 0; i < 13; ++i) w.f1->repeat->tick();
        QCOMPARE(readout->text(), QStringLiteral("23"));
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 1);
        QTest::mouseRelease(plus, Qt::LeftButton);
        QCOMPARE(readout->text(), QStringLiteral("24"));
        QCOMPARE(w.values(0, 0, 0), (std::vector<DWORD>{24 * 655, 24 * 655}));
        QVERIFY(!timer->isActive());
        QCOMPARE(w.ctx.state().RepeatCode, 0);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);

        // Held at the top it stops at 99.
        readout->setText(QStringLiteral("95"));
        press(plus);
        for (int i = 0; i < 13; ++i) w.f1->repeat->tick();
        QTest::mouseRelease(plus, Qt::LeftButton);
        QCOMPARE(readout->text(), QStringLiteral("99"));
        QCOMPARE(w.values(0, 0, 0), (std::vector<DWORD>{65535, 65535}));
    }

    void releasedOutsideMakesNoFinalStep() {
        MixerWindows w(fiveSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* minus = w.play<TStepButton>("SpeedButton44");  // not bound: strip 12
        QCOMPARE(minus->objectName(), QStringLiteral("SpeedButton44"));
        auto* down = w.play<TStepButton>("SpeedButton6");  // strip 2, left -
        auto* readout = w.play<TTwoDigitEdit>("MaskEdit8");
        readout->setText(QStringLiteral("40"));
        QTest::mousePress(down, Qt::LeftButton, {}, QPoint(5, 4));
        QTest::mouseMove(down, QPoint(40, 40));
        QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(readout->text(), QStringLiteral("40"));
        QCOMPARE(w.ctx.state().RepeatCode, 0);
        // One tick before the release outside: that one step only.
        QTest::mousePress(down, Qt::LeftButton, {}, QPoint(5, 4));
        w.f1->repeat->tick();
        QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(readout->text(), QStringLiteral("39"));
    }

    void repeatCodesOfEveryButton() {
        MixerWindows w(cardWith(stereoSources(11)));
        // The code of a held button picks the read-out a tick steps.
        for (std::size_t k = 0; k < w.f1->strips().size(); ++k) {
            ChannelStrip* strip = w.f1->strips()[k];
            const int n = static_cast<int>(k) + 1;
            auto* readout = w.f1->findChild<TTwoDigitEdit*>(QString::fromLatin1(strip->row.names->readR));
            const QString before = readout->text();
            w.ctx.state().RepeatCode = 100 * n + 22;
            w.f1->repeat->tick();
            QCOMPARE(readout->text().toInt(), before.toInt() - 1);
        }
        QCOMPARE(w.ctx.state().RepeatCode, 1222);
        // A code that matches no button does nothing.
        const int writes = w.driver->writeCount(0);
        w.ctx.state().RepeatCode = 1322;
        w.f1->repeat->tick();
        w.ctx.state().RepeatCode = 0;
        w.f1->repeat->tick();
        QCOMPARE(w.driver->writeCount(0), writes);
    }

    void recordingRepeatsEvery100ms() {
        MixerWindows w(fiveSources());
        w.rec->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.rec));
        auto* timer = w.inRec<QTimer>("Timer4");
        QCOMPARE(timer->interval(), 100);
        auto* plus = w.inRec<TStepButton>("SpeedButton1");  // strip 2 (Mic), left +
        auto* readout = w.inRec<TTwoDigitEdit>("MaskEdit8");
        const int start = readout->text().toInt();
        press(plus);
        QCOMPARE(w.ctx.state().RepeatCode, 211);
        QVERIFY(timer->isActive());
        QVERIFY(!w.play<QTimer>("Timer4")->isActive());
        for (int i = 0; i < 9; ++i) w.rec->repeat->tick();
        QTest::mouseRelease(plus, Qt::LeftButton);
        QCOMPARE(readout->text().toInt(), start + 10);
        QCOMPARE(w.values(1, 0, 0), std::vector<DWORD>{DWORD((start + 10) * 655)});
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
    }

    // --- tone panel ------------------------------------------------------------

    void toneKnobAndReadoutOnTheWindow() {
        MixerWindows w(fiveSources());
        auto* knob = w.play<TRotaryKnob>("RotaryKnob1");
        auto* readout = w.play<TTwoDigitEdit>("MaskEdit3");
        const int writes = w.driver->writeCount(0);
        knob->SetPosition(30000);
        // 30000 written, read-out 45, knob to 29475 written again.
        QCOMPARE(w.driver->writeCount(0), writes + 2);
        QCOMPARE(readout->text(), QStringLiteral("45"));
        QCOMPARE(knob->Position(), 29475);
        QCOMPARE(w.values(0, -1, 3), std::vector<DWORD>{29475});
        knob->SetPosition(29900);  // same read-out step: left where it is
        QCOMPARE(knob->Position(), 29900);
        QCOMPARE(w.values(0, -1, 3), std::vector<DWORD>{29900});
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);

        // The tone buttons repeat through the same timer with their codes.
        readout->setText(QStringLiteral("97"));
        press(w.play("treplus"));
        QCOMPARE(w.ctx.state().RepeatCode, 11);
        for (int i = 0; i < 4; ++i) w.f1->repeat->tick();
        QTest::mouseRelease(w.play("treplus"), Qt::LeftButton);
        QCOMPARE(readout->text(), QStringLiteral("99"));
        QCOMPARE(w.values(0, -1, 3), std::vector<DWORD>{65535});
        press(w.play("bassmoins"));
        QCOMPARE(w.ctx.state().RepeatCode, 22);
        QTest::mouseRelease(w.play("bassmoins"), Qt::LeftButton);
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit4")->text(), QStringLiteral("44"));  // 30000 read as 45
        QCOMPARE(w.values(0, -1, 2), std::vector<DWORD>{44 * 655});
        QCOMPARE(w.ctx.state().RepeatCode, 0);
    }

    // --- VU images -------------------------------------------------------------

    void vuImagesChooseTheMeteredLine() {
        MixerWindows w(fiveSources());
        SharedState& s = w.ctx.state();
        TForm2* vu = w.ctx.Form2();
        QVERIFY(!vu->isVisible());
        press(w.play("vur4"));
        QCOMPARE(s.MeterDestIndex, 0);
        QCOMPARE(s.MeterSourceIndex, 2);
        QCOMPARE(s.MeterChannelName, QStringLiteral("Src2"));
        QVERIFY(vu->isVisible());
        click(w.play("sol4"));
        press(w.play("vul4"));
        QCOMPARE(s.MeterSourceIndex, 255);  // the destination carries the solo
        press(w.play("vul3"));
        QCOMPARE(s.MeterSourceIndex, 1);
        press(w.play("vul1"));
        QCOMPARE(s.MeterSourceIndex, 255);
        QCOMPARE(s.MeterChannelName, QStringLiteral("Speakers"));

        press(w.inRec("vur3"));
        QCOMPARE(s.MeterDestIndex, 1);
        QCOMPARE(s.MeterSourceIndex, 1);
        QCOMPARE(s.MeterChannelName, QStringLiteral("Line"));
        press(w.inRec("vul1"));
        QCOMPARE(s.MeterSourceIndex, 255);
    }

    // --- name zoom -------------------------------------------------------------

    void namesZoomWhileHeld() {
        QList<QByteArray> sources = stereoSources(7);
        sources[6] = sourceLine("Twelve chars");  // strip 8
        sources[0] = sourceLine("Long name 2");   // strip 2
        sources[1] = sourceLine("Short");         // strip 3
        MixerWindows w(cardWith(sources));
        auto* panel8 = w.play<TPanel>("Panel215");
        auto* label8 = w.play<QLabel>("label20");
        const QRect rest8 = panel8->geometry();
        QCOMPARE(panel8->Tag(), rest8.x());
        QTest::mousePress(label8, Qt::LeftButton);
        QCOMPARE(panel8->geometry(), QRect(rest8.x() - 31, rest8.y(), 99, 32));
        QCOMPARE(label8->geometry(), QRect(0, 8, 99, 14));
        QTest::mouseRelease(label8, Qt::LeftButton);
        QCOMPARE(panel8->geometry(), rest8);
        QCOMPARE(label8->geometry(), QRect(1, 1, 66, 14));

        // Strip 2 grows to the right, its label stays where it is.
        auto* panel2 = w.play<TPanel>("Panel12");
        const QRect rest2 = panel2->geometry();
        QTest::mousePress(w.play("Label12"), Qt::RightButton);
        QCOMPARE(panel2->geometry(), QRect(rest2.topLeft(), QSize(7 * 11 + 15, 32)));
        QCOMPARE(w.play("Label12")->geometry(), QRect(1, 8, 66, 14));
        QTest::mouseRelease(w.play("Label12"), Qt::RightButton);
        QCOMPARE(panel2->geometry(), rest2);

        // A short name only grows in height.
        auto* panel3 = w.play<TPanel>("Panel195");
        QTest::mousePress(w.play("Label15"), Qt::LeftButton);
        QCOMPARE(panel3->size(), QSize(68, 32));
        QTest::mouseRelease(w.play("Label15"), Qt::LeftButton);

        // The tone panel's title.
        auto* panel6 = w.play<TPanel>("Panel3");
        const QRect rest6 = panel6->geometry();
        QTest::mousePress(w.play("Label6"), Qt::LeftButton);
        QCOMPARE(panel6->geometry(), QRect(rest6.topLeft(), QSize(7 * 8 + 15, 32)));
        QTest::mouseRelease(w.play("Label6"), Qt::LeftButton);
        QCOMPARE(panel6->geometry(), rest6);
    }

    void recordingNamesGrowToTheRight() {
        MixerWindows w(fiveSources());
        w.rec->strips()[2]->SetName(QStringLiteral("Ten chars!"));
        auto* panel = w.inRec<TPanel>("Panel195");
        const QRect rest = panel->geometry();
        QTest::mousePress(w.inRec("Label15"), Qt::LeftButton);
        QCOMPARE(panel->geometry(), QRect(rest.topLeft(), QSize(85, 32)));
        QCOMPARE(w.inRec("Label15")->geometry(), QRect(0, 8, 85, 14));
        QTest::mouseRelease(w.inRec("Label15"), Qt::LeftButton);
        QCOMPARE(panel->geometry(), rest);
    }
};

TAVLO_TEST_MAIN(TestStripButtons)
#include "test_strip_buttons.moc"
