// The colour schemes on the real windows: black and white strips of each
// mixer window (strips not in use keep no pictures), the pairs of menu
// items, and the frames of all three windows.

#include "play/mixer_windows.h"

#include "app/colour_schemes.h"
#include "meter/vu_window.h"
#include "play/tone_panel.h"
#include "strips/window_frame.h"
#include "support/test_main.h"

#include <QAction>
#include <QLabel>

namespace {

QColor pixel(const QPixmap& p, int x = 9, int y = 5) { return p.toImage().pixelColor(x, y); }
QPixmap railOf(QWidget* window, const char* name) {
    auto* l = window->findChild<QLabel*>(QString::fromLatin1(name));
    return l ? l->pixmap() : QPixmap();
}

}  // namespace

class TestSkins : public QObject {
    Q_OBJECT
private slots:
    void blackAndWhiteStrips_data() {
        QTest::addColumn<bool>("playback");
        QTest::newRow("playback window") << true;
        QTest::newRow("recording window") << false;
    }
    void blackAndWhiteStrips() {
        QFETCH(bool, playback);
        // Strip 2 in use in both windows, strip 4 in neither.
        MixerWindows w(cardWith(stereoSources(1)));
        ColourSchemes& schemes = w.ctl->schemes();
        QWidget* window = playback ? static_cast<QWidget*>(w.f1) : w.rec;
        auto apply = [&](bool white) { playback ? schemes.applyPlaySkin(white) : schemes.applyRecSkin(white); };
        const char* cursor = "curs112";

        apply(false);
        const QColor blackRail = pixel(railOf(window, "gsl2"));
        const QColor blackGround = window->palette().color(QPalette::Window);
        const QImage blackKnob = window->findChild<TPicture*>(cursor)->Picture().toImage();
        apply(true);
        const QColor whiteRail = pixel(railOf(window, "gsl2"));
        QVERIFY(whiteRail.lightness() > blackRail.lightness() + 40);
        QCOMPARE(blackGround, QColor(Qt::black));
        QCOMPARE(window->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(!railOf(window, "dsl1").isNull());
        // The knobs are the scheme's whatever the colour.
        QCOMPARE(window->findChild<TPicture*>(cursor)->Picture().toImage(), blackKnob);
        // A strip not in use shows no rails, scales or knobs.
        for (const char* blank : {"gsl4", "dsl4"}) QVERIFY(railOf(window, blank).isNull());
        for (const char* blank : {"level14", "levc41", "curs114", "curs124"})
            QVERIFY(window->findChild<TPicture*>(blank)->Picture().isNull());
        QCOMPARE(playback ? w.rec->WhitePlay1->isChecked() : w.rec->WhiteRec1->isChecked(), true);
        QCOMPARE(playback ? w.rec->BlackPlay1->isChecked() : w.rec->BlackRec1->isChecked(), false);
    }

    void eachItemSwapsItsPair_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("whiteBefore");
        QTest::addColumn<bool>("whiteAfter");
        QTest::newRow("Black Play while checked") << "BlackPlay1" << false << true;
        QTest::newRow("Black Play while unchecked") << "BlackPlay1" << true << false;
        QTest::newRow("White Play while checked") << "WhitePlay1" << true << false;
        QTest::newRow("White Play while unchecked") << "WhitePlay1" << false << true;
    }
    void eachItemSwapsItsPair() {
        QFETCH(QString, item);
        QFETCH(bool, whiteBefore);
        QFETCH(bool, whiteAfter);
        MixerWindows w(cardWith(stereoSources(2)));
        ColourSchemes& schemes = w.ctl->schemes();
        schemes.applyPlaySkin(whiteBefore);
        auto* action = w.rec->findChild<QAction*>(item);
        QObject::connect(action, &QAction::triggered, [&](bool checked) {
            item == "BlackPlay1" ? schemes.BlackPlay1Click(checked) : schemes.WhitePlay1Click(checked);
        });
        action->trigger();
        QCOMPARE(w.rec->WhitePlay1->isChecked(), whiteAfter);
        QCOMPARE(w.rec->BlackPlay1->isChecked(), !whiteAfter);
        QCOMPARE(w.f1->palette().color(QPalette::Window), whiteAfter ? QColor(Qt::white) : QColor(Qt::black));
    }

    void frames() {
        MixerWindows w(cardWith(stereoSources(1)));
        ColourSchemes& schemes = w.ctl->schemes();
        const SkinSet& s = schemes.skins();
        TForm2* vu = w.ctx.Form2();
        auto shows = [](const QLabel* l, const QPixmap& p) { return l->pixmap().cacheKey() == p.cacheKey(); };

        schemes.applyBorderScheme(false);
        QVERIFY(w.rec->Silverborders1->isChecked() && !w.rec->GreenSilver1->isChecked());
        // Silver: the recording window takes the playback window's grey bars.
        for (const QLabel* top : {w.f1->frame->Image1, w.rec->frame->Image3, vu->Image1})
            QVERIFY(shows(top, s.fondgris));
        for (const QLabel* side : {w.f1->frame->Image2, w.rec->frame->Image4, vu->Image4})
            QVERIFY(shows(side, s.fondgrisv));

        schemes.applyBorderScheme(true);
        QVERIFY(shows(w.f1->frame->Image1, s.fondverth));
        QVERIFY(shows(w.rec->frame->Image1, s.bordrh));
        QVERIFY(shows(vu->Image2, s.fondvertv));
        const QColor green = pixel(s.fondverth), red = pixel(s.bordrh), grey = pixel(s.fondgris);
        QVERIFY(green.green() > green.red() + 40);
        QVERIFY(red.red() > red.green() + 40);
        QVERIFY(qAbs(grey.red() - grey.green()) < 20);

        // Opened from a recording strip, the VU window wears that window's frame.
        schemes.vuFrameFromRec();
        QVERIFY(shows(vu->Image3, s.bordrh));
        // imageplay gives it the playback window's, and the over-peak bar its grey.
        schemes.imageplayClick();
        QVERIFY(shows(vu->Image3, s.fondverth));
        QVERIFY(shows(vu->Image11, s.fondgris));
    }
};

TAVLO_TEST_MAIN(TestSkins)
#include "test_skins.moc"
