// The binding of the playback window: which strips are bound, where they
// stand, how wide the window is, mono and stereo lines, and which controls
// the buttons of a strip drive.

#include "controls/rotary_knob.h"
#include "play/mixer_windows.h"
#include "play/tone_panel.h"
#include "support/test_main.h"

#include <QLabel>

namespace {

const char* const kPanels[] = {"cha0", "cha2", "cha3", "cha4",  "cha5",  "cha6",
                               "cha7", "cha8", "cha9", "cha10", "cha11", "cha12"};

QStringList boundStrips(const MixerWindows& w) {
    QStringList bound;
    for (const char* name : kPanels) {
        auto* p = w.play<TPanel>(name);
        if (p->Tag() == 0) bound << QString::fromLatin1(name);
        // A strip is shown exactly when it is bound.
        if (p->isHidden() != (p->Tag() == 1)) qWarning("%s: shown and bound disagree", name);
    }
    return bound;
}

}  // namespace

class TestPlayLayout : public QObject {
    Q_OBJECT
private slots:
    void threeSources() {
        MixerWindows w(cardWith(stereoSources(3)));
        QCOMPARE(boundStrips(w), (QStringList{"cha0", "cha2", "cha3", "cha4"}));
        QCOMPARE(w.f1->width(), 71 * 5 + 18);  // tone panel and four strips
        QCOMPARE(w.play("chatune")->x(), 10);
        QCOMPARE(w.play("cha0")->x(), 81);
        QCOMPARE(w.play("cha4")->x(), 10 + 71 * 4);
        QCOMPARE(w.play<TPanel>("Panel199")->x(), 11 + 71 * 4);
        QCOMPARE(w.play<TPanel>("Panel199")->Tag(), 11 + 71 * 4);
        QCOMPARE(w.play<QLabel>("Label16")->text(), QStringLiteral("Src2"));
        QCOMPARE(w.play<QLabel>("Label5")->text(), QStringLiteral("Speakers"));
        QCOMPARE(w.play("Panel108")->x(), w.f1->width() - 14);
        QCOMPARE(w.play("Panel107")->x(), w.f1->width() - 14);
        QCOMPARE(w.play<QLabel>("Label14")->text(), QStringLiteral("Speakers Test Card"));
        // The dialog's boxes take the names; boxes of missing lines hide.
        QCOMPARE(w.ctx.Form4()->box("BWCCCheckBox4")->text(), QStringLiteral("Src2"));
        QVERIFY(w.ctx.Form4()->box("BWCCCheckBox5")->isHidden());
        QCOMPARE(w.ctx.Form4()->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Speakers"));
        QCOMPARE(w.ctx.Form4()->findChild<QLabel*>(QStringLiteral("Label14"))->text(), QStringLiteral("Test Card"));
    }

    void untickedBoxesHideStripsAndCloseTheGaps() {
        MixerWindows w(cardWith(stereoSources(3)));
        w.ctx.Form4()->tuch->setChecked(false);
        w.ctx.Form4()->box("BWCCCheckBox3")->setChecked(false);  // cha3
        w.ctl->Button1Click();
        QCOMPARE(boundStrips(w), (QStringList{"cha0", "cha2", "cha4"}));
        QVERIFY(w.play("chatune")->isHidden());
        QCOMPARE(w.play("cha0")->x(), 10);
        QCOMPARE(w.play("cha4")->x(), 10 + 71 * 2);
        QCOMPARE(w.f1->width(), 71 * 3 + 18);
        QVERIFY(w.play("Panel195")->isHidden());
    }

    void twelveSources() {
        MixerWindows w(cardWith(stereoSources(12)));
        QCOMPARE(boundStrips(w).size(), 12);  // the master and the first eleven sources
        QCOMPARE(w.play<QLabel>("Label4")->text(), QStringLiteral("Src10"));
        QCOMPARE(w.f1->width(), 941);
        // Whatever the boxes say.
        w.ctx.Form4()->box("BWCCCheckBox5")->setChecked(false);
        w.ctx.Form4()->tuch->setChecked(false);
        w.ctl->Button1Click();
        QCOMPARE(boundStrips(w).size(), 11);
        QCOMPARE(w.f1->width(), 941);
    }

    void monoAndStereoLines() {
        MixerWindows w(cardWith({sourceLine("Stereo"), sourceLine("Mono", false)}));
        // Stereo: linked to start with, one centred fader, link button shown.
        QVERIFY(!w.play("lr2")->isHidden());
        QCOMPARE(w.play<TPanel>("lr2")->Caption(), QStringLiteral("L+R"));
        QCOMPARE(w.play("lr2")->x(), 42);
        QCOMPARE(w.play("MaskEdit8")->x(), 23);
        QVERIFY(w.play("MaskEdit7")->isHidden());
        QVERIFY(w.play("pcursr2")->isHidden());
        QCOMPARE(w.play("pcursl2")->x(), 9);
        QCOMPARE(w.play("MaskEdit8")->toolTip(), QStringLiteral("You can edit the left and right volume here... "));
        // Mono: no link button, the read-out centred.
        QVERIFY(w.play("lr3")->isHidden());
        QCOMPARE(w.play("MaskEdit36")->x(), 26);
        QVERIFY(w.play("MaskEdit35")->isHidden());
    }

    void muteAndExtraSwitches() {
        const QByteArray line = R"({"type":"line","channels":2,"name":"Line","controls":[
            {"type":"volume","values":[30000,30000]},{"type":"mute","uniform":true,"values":0},
            {"type":"loudness","name":"Loudness","uniform":true,"values":1},
            {"type":"mono","name":"Mono","uniform":true,"values":0}]})";
        const QByteArray three = R"({"type":"line","channels":2,"name":"Three","controls":[
            {"type":"volume","values":[30000,30000]},{"type":"onoff","name":"First"},
            {"type":"boolean","name":"Second"},{"type":"bassboost","name":" Third one "}]})";
        const QByteArray bare = R"({"type":"line","channels":2,"name":"Bare","controls":[
            {"type":"volume","values":[30000,30000]}]})";
        MixerWindows w(cardWith({line, three, bare}));
        auto* mute = w.play<TPanel>("mut2");
        QVERIFY(!mute->isHidden());
        QCOMPARE(mute->Tag(), 0);  // the binding's index is over; solo memory cleared
        QVERIFY(!w.play("sol2")->isHidden());
        auto* co12 = w.play<TPanel>("co12");
        auto* co22 = w.play<TPanel>("co22");
        QCOMPARE(co12->Caption(), QStringLiteral("loud"));
        QCOMPARE(co12->toolTip(), QStringLiteral("Loudness"));
        QCOMPARE(co12->Tag(), 2);
        QCOMPARE(co12->x(), 7);
        QCOMPARE(co22->Caption(), QStringLiteral("mono"));
        QCOMPARE(co22->Tag(), 3);
        QCOMPARE(mute->y(), 36);
        QCOMPARE(w.play("sol2")->y(), 36);
        // The switch shows the line's state, and the refresh kept it on.
        QCOMPARE(co12->Color(), kLime);
        QCOMPARE(w.values(0, 0, 2), std::vector<DWORD>{1});
        // Three further switches: the second button takes the last of them.
        QCOMPARE(w.play<TPanel>("co13")->Tag(), 1);
        QCOMPARE(w.play<TPanel>("co23")->Tag(), 3);
        QCOMPARE(w.play<TPanel>("co23")->Caption(), QStringLiteral("thir"));
        QCOMPARE(w.play<TPanel>("co23")->toolTip(), QStringLiteral("Third one"));
        QVERIFY(w.play("mut3")->isHidden());  // no mute control
        // No switches at all: no extra buttons, the row stays where it was.
        QVERIFY(w.play("co14")->isHidden() && w.play("co24")->isHidden());
        QCOMPARE(w.play("mut4")->y(), 42);

        // Pressing a switch writes it; pressing mute mutes the line.
        QTest::mousePress(co22, Qt::LeftButton);
        QTest::mouseRelease(co22, Qt::LeftButton);
        QCOMPARE(w.values(0, 0, 3), std::vector<DWORD>{1});
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
        QTest::mousePress(mute, Qt::LeftButton);
        QTest::mouseRelease(mute, Qt::LeftButton);
        QCOMPARE(mute->Color(), kRed);
        QCOMPARE(mute->Tag(), 1);
        QCOMPARE(w.values(0, 0, 1), std::vector<DWORD>{1});
    }

    void toneControlsAreBound() {
        MixerWindows w(cardWith(stereoSources(1)));
        QVERIFY(w.ctx.state().HasBass && w.ctx.state().HasTreble);
        QCOMPARE(w.f1->tone->RotaryKnob2->Tag(), 2);
        QCOMPARE(w.f1->tone->RotaryKnob1->Tag(), 3);
        // Read at start and written back at the read-out's resolution.
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit4")->text(), QStringLiteral("45"));
        QCOMPARE(w.f1->tone->RotaryKnob2->Position(), 29475);
        QCOMPARE(w.values(0, -1, 2), std::vector<DWORD>{29475});
        QVERIFY(w.play("basplus")->isEnabled());
        QCOMPARE(w.play("RotaryKnob2")->toolTip(), QStringLiteral("Turn the knob to ajust the bass volume..."));
    }

    void noToneControls() {
        MixerWindows w(SimDriver::demoJson()
                           .replace(R"("type": "bass")", R"("type": "fader")")
                           .replace(R"("type": "treble")", R"("type": "fader")"));
        QVERIFY(!w.ctx.state().HasBass && !w.ctx.state().HasTreble);
        QVERIFY(!w.play("treplus")->isEnabled() && !w.play("MaskEdit4")->isEnabled());
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit3")->text(), QStringLiteral("50"));
        QCOMPARE(w.play("RotaryKnob1")->toolTip(), QStringLiteral("No treble edition with that soundcard..."));
        QCOMPARE(w.play("RotaryKnob2")->toolTip(), QStringLiteral("No bass edition with that soundcard..."));
    }

    void laterDestinationOfAKindWins() {
        // Two speakers destinations: the second is played.
        QByteArray json = cardWith(stereoSources(2));
        json.replace(R"({"type":"speakers","channels":2,"name":"Speakers")",
                     R"({"type":"speakers","channels":2,"name":"First","sources":[]},
                        {"type":"speakers","channels":2,"name":"Speakers")");
        MixerWindows w(json);
        QCOMPARE(w.ctx.state().PlayDestIndex, 1);
        QCOMPARE(w.ctx.state().RecDestIndex, 2);
        QCOMPARE(w.play<QLabel>("Label5")->text(), QStringLiteral("Speakers"));
    }

    void noPlaybackDestination() {
        // Nothing to play: no strip is bound and nothing is read past the end.
        MixerWindows w(R"({"devices":[{"name":"Rec only","destinations":[
            {"type":"wavein","channels":2,"name":"Recording","controls":[{"type":"volume","values":[1,1]}]}]}]})");
        QCOMPARE(w.ctx.state().PlayDestIndex, 187);
        QVERIFY(boundStrips(w).isEmpty());
        QCOMPARE(w.inRec<TPanel>("cha0")->Tag(), 0);
        QCOMPARE(w.ctx.state().RecDestIndex, 0);
    }
};

TAVLO_TEST_MAIN(TestPlayLayout)
#include "test_play_layout.moc"
