// The configuration file through the windows: what a save stores, what a new
// start over the same configuration home restores, each odd reading rule as
// the windows show it, and the save flow's messages when the save fails.

#include "config/config_file.h"
#include "config_test_home.h"
#include "controls/smooth_show.h"
#include "play/mixer_windows.h"
#include "play/tone_panel.h"
#include "strips/window_frame.h"
#include "support/test_main.h"
#include "write_faults.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScreen>

namespace {

QByteArray card() { return cardWith(stereoSources(4)); }

TBWCCCheckBox* box(MixerWindows& w, const char* name) { return w.ctx.Form4()->box(name); }

QByteArray lines(std::initializer_list<const char*> l) {
    QByteArray r;
    for (const char* line : l) r += QByteArray(line) + "\r\n";
    return r;
}

}  // namespace

class TestConfigWindows : public QObject {
    Q_OBJECT
    ConfigTestHome home_;
    QPoint centredPlay_, centredRec_;

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        // Where the windows stand when no file places them.
        MixerWindows w(card());
        centredPlay_ = w.f1->pos();
        centredRec_ = w.rec->pos();
        QVERIFY(!w.f1->designedPlacement());
        // Centred at the width the card gave it, not at the design's.
        const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2(std::abs(w.f1->geometry().center().x() - middle.x()) <= 1,
                 qPrintable(QStringLiteral("%1 wide at x %2").arg(w.f1->width()).arg(w.f1->x())));
        QVERIFY(w.f1->width() < 944);
    }
    void init() { QVERIFY(home_.clear()); }

    void missingFileKeepsTheDesignStates() {
        MixerWindows w(card());
        for (const char* name : kChannelBoxNames) QVERIFY(box(w, name)->isChecked());
        for (QAction* a : {w.rec->magnet, w.rec->GreenSilver1, w.rec->BlackPlay1, w.rec->BlackRec1, w.rec->anim})
            QVERIFY(a->isChecked());
        for (QAction* a : {w.rec->Silverborders1, w.rec->WhitePlay1, w.rec->WhiteRec1}) QVERIFY(!a->isChecked());
        QCOMPARE(w.rec->SmoothShow1->Tag(), 0);
        QCOMPARE(w.f1->pos(), centredPlay_);
        QVERIFY(!QFileInfo::exists(home_.file()));  // reading creates nothing
    }

    void roundTrip() {
        QByteArray saved;
        {
            MixerWindows w(card());
            box(w, "tuch")->setChecked(false);
            box(w, "BWCCCheckBox3")->setChecked(false);   // playback strip 3
            box(w, "BWCCCheckBox13")->setChecked(false);  // recording strip 2 (Mic)
            box(w, "BWCCCheckBox21")->setChecked(false);  // recording strip 10, not bound
            w.rec->magnet->setChecked(false);
            w.rec->GreenSilver1->setChecked(false);
            w.rec->BlackPlay1->setChecked(false);
            w.rec->anim->setChecked(false);
            w.ctx.state().ConfigFirstLine = QStringLiteral("carried \xe9 line");
            w.f1->move(106, 269);
            w.rec->move(214, 442);
            // Boxes changed without rebinding: saved as checked, strips still shown.
            QVERIFY(w.f1->strips()[2]->Bound());
            const ConfigSaveResult r = w.ctl->saveConfiguration();
            QVERIFY(r.ok());
            saved = home_.fileBytes();
            QCOMPARE(saved, QByteArray("carried \xe9 line\r\n"
                                       "0110"
                                       "11111111"
                                       "1"
                                       "1"
                                       "0"
                                       "1111111"
                                       "0\r\n"
                                       "00010\r\n"
                                       "106\r\n269\r\n214\r\n442\r\n"));
        }
        MixerWindows w(card());
        QCOMPARE(w.ctx.state().ConfigFirstLine, QStringLiteral("carried \xe9 line"));
        QVERIFY(!box(w, "tuch")->isChecked());
        QVERIFY(!box(w, "BWCCCheckBox3")->isChecked());
        QVERIFY(box(w, "BWCCCheckBox22")->isChecked());
        QVERIFY(w.f1->tone->chatune->isHidden());
        QVERIFY(!w.f1->strips()[2]->Bound());
        QVERIFY(w.play("cha3")->isHidden());
        QVERIFY(w.f1->strips()[1]->Bound());
        QVERIFY(w.f1->strips()[3]->Bound());
        // The master takes the tone panel's place, strip 4 that of strip 3.
        QCOMPARE(w.play("cha0")->x(), 10);
        QCOMPARE(w.play("cha4")->x(), 10 + 2 * 71);
        QVERIFY(!w.rec->strips()[1]->Bound());
        QVERIFY(w.rec->strips()[2]->Bound());
        QVERIFY(!w.rec->magnet->isChecked());
        QVERIFY(!w.rec->GreenSilver1->isChecked());
        QVERIFY(w.rec->Silverborders1->isChecked());
        QVERIFY(!w.rec->BlackPlay1->isChecked() && w.rec->WhitePlay1->isChecked());
        QVERIFY(w.rec->BlackRec1->isChecked() && !w.rec->WhiteRec1->isChecked());
        QVERIFY(!w.rec->anim->isChecked());
        QCOMPARE(w.rec->SmoothShow1->Tag(), 1);
        QCOMPARE(w.f1->pos(), QPoint(106, 269));
        QCOMPARE(w.rec->pos(), QPoint(214, 442));
        // The end of the splash shows the recording window where it was put.
        w.ctl->Timer1Timer();
        QCOMPARE(w.rec->pos(), QPoint(214, 442));
        // Saving again without changes: the same bytes.
        QVERIFY(w.ctl->saveConfiguration().ok());
        QCOMPARE(home_.fileBytes(), saved);
    }

    void everyStripHidden() {
        QVERIFY(home_.writeFile(lines({"", "00000000000000000000000"})));
        MixerWindows w(card());
        QVERIFY(w.f1->tone->chatune->isHidden());
        for (ChannelStrip* s : w.f1->strips()) QVERIFY(MixerWindows::panel(s)->isHidden());
        for (ChannelStrip* s : w.rec->strips()) QVERIFY(MixerWindows::panel(s)->isHidden());
    }

    // Missing characters of line 2 count as checked; only "0" unchecks.
    void shortChannelLine() {
        QVERIFY(home_.writeFile(lines({"", "0x0"})));
        MixerWindows w(card());
        QVERIFY(w.f1->tone->chatune->isHidden());
        QVERIFY(w.f1->strips()[0]->Bound());
        QVERIFY(!w.f1->strips()[1]->Bound());
        for (std::size_t k = 2; k < 5; ++k) QVERIFY(w.f1->strips()[k]->Bound());
        for (int k = 3; k < kChannelBoxCount; ++k) QVERIFY(box(w, kChannelBoxNames[k])->isChecked());
    }

    // Whatever the file holds, the windows come up and nothing is placed
    // from lines that are not numbers.
    void oddFilesStillStart_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i) binary += char((i * 37) % 256);
        QTest::newRow("binary") << binary;
        QTest::newRow("nul bytes") << QByteArray(1000, '\0');
        QTest::newRow("one enormous line") << QByteArray(8 * 1024 * 1024, '7');
        QTest::newRow("bare CRs") << QByteArray("a\r1111\r0\r5\r5\r5\r5\r");
    }
    void oddFilesStillStart() {
        QFETCH(QByteArray, bytes);
        QVERIFY(home_.writeFile(bytes));
        MixerWindows w(card());
        QCOMPARE(w.f1->pos(), centredPlay_);
        QCOMPARE(w.rec->pos(), centredRec_);
        QVERIFY(w.ctx.state().ConfigFirstLine.size() <= kConfigMaxLineBytes);
        QVERIFY(w.f1->strips()[0]->Bound());
    }

    void optionCharacters_data() {
        QTest::addColumn<QByteArray>("line3");
        QTest::addColumn<QList<bool>>("set");
        QTest::newRow("only line 1") << QByteArray() << QList<bool>{true, true, true, true, false};
        QTest::newRow("all 1") << QByteArray("11111") << QList<bool>{true, true, true, true, true};
        QTest::newRow("fifth 2") << QByteArray("11112") << QList<bool>{true, true, true, true, false};
        QTest::newRow("2s and a 0") << QByteArray("22220") << QList<bool>{true, true, true, true, false};
        QTest::newRow("all 0") << QByteArray("00000") << QList<bool>{false, false, false, false, false};
    }
    void optionCharacters() {
        QFETCH(QByteArray, line3);
        QFETCH(QList<bool>, set);
        QVERIFY(home_.writeFile(line3.isEmpty() ? QByteArray("first\r\n") : lines({"first", "", line3.constData()})));
        MixerWindows w(card());
        QCOMPARE(w.rec->magnet->isChecked(), set[0]);
        QCOMPARE(w.rec->GreenSilver1->isChecked(), set[1]);
        QCOMPARE(w.rec->Silverborders1->isChecked(), !set[1]);
        QCOMPARE(w.rec->BlackPlay1->isChecked(), set[2]);
        QCOMPARE(w.rec->WhitePlay1->isChecked(), !set[2]);
        QCOMPARE(w.rec->BlackRec1->isChecked(), set[3]);
        QCOMPARE(w.rec->WhiteRec1->isChecked(), !set[3]);
        QCOMPARE(w.rec->anim->isChecked(), set[4]);
        QCOMPARE(w.rec->SmoothShow1->Tag(), set[4] ? 0 : 1);
        for (const char* name : kChannelBoxNames) QVERIFY(box(w, name)->isChecked());
        QCOMPARE(w.f1->pos(), centredPlay_);
        QCOMPARE(w.rec->pos(), centredRec_);
    }

    void silverBordersAreInstalled() {
        QVERIFY(home_.writeFile(lines({"", "", "10111"})));
        MixerWindows w(card());
        const QImage silver = w.f1->frame->Image1->pixmap().toImage();
        QVERIFY(home_.writeFile(lines({"", "", "11111"})));
        MixerWindows coloured(card());
        const QImage green = coloured.f1->frame->Image1->pixmap().toImage();
        const QImage red = coloured.rec->frame->Image1->pixmap().toImage();
        const QColor s = silver.pixelColor(5, 9), g = green.pixelColor(5, 9), r = red.pixelColor(5, 9);
        QVERIFY(s.red() == s.blue() || qAbs(s.red() - s.blue()) < 20);  // grey
        QVERIFY(g.green() > g.red() + 40);
        QVERIFY(r.red() > r.green() + 40);
    }

    void positionLines() {
        // 0 is not applied, and a Top without a valid Left is not either; a
        // trailing blank spoils lines 4, 5 and 7 but not line 6, which alone
        // is trimmed; negative places are kept.
        QVERIFY(home_.writeFile(lines({"", "", "", "0", "120", "250 ", "-20"})));
        MixerWindows w(card());
        QCOMPARE(w.f1->pos(), centredPlay_);
        QCOMPARE(w.rec->pos(), QPoint(250, -20));
        QVERIFY(w.rec->designedPlacement());
        QVERIFY(!w.f1->designedPlacement());
    }

    void positionsOutOfRangeOrOffScreen() {
        QVERIFY(home_.writeFile(lines({"", "", "", "99999999999", "x12", "-30000", "-30000"})));
        MixerWindows w(card());
        QCOMPARE(w.f1->pos(), centredPlay_);
        // Entirely off every screen: brought back where the user can reach it.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.intersects(w.rec->frameGeometry()));
    }

    void unreadableFileIsReportedAndNothingApplied() {
        QVERIFY(QDir().mkpath(home_.file()));  // a folder where the file should be
        MixerWindows w(card());
        QCOMPARE(w.messages.count(), 1);
        QCOMPARE(w.messages.warnings.size(), 1);
        QVERIFY(w.messages.warnings.front().contains(QDir::toNativeSeparators(home_.file())));
        QVERIFY(w.rec->magnet->isChecked());
        QVERIFY(!w.f1->tone->chatune->isHidden());
    }

    // --- the "Save your configuration" flow ----------------------------------

    void saveFlowConfirms() {
        MixerWindows w(card());
        w.f1->show();
        w.rec->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.rec));
        w.rec->save->trigger();
        QCOMPARE(w.messages.information, QStringList{QStringLiteral("Your new configuration is saved...")});
        QCOMPARE(w.messages.count(), 1);
        QVERIFY(w.f1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.rec->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.f1->isVisible() && w.rec->isVisible());
        QVERIFY(w.rec->Timer1->isActive());  // magnet on, both shown
        QCOMPARE(parseConfig(home_.fileBytes()).rec.left, std::optional<int>(w.rec->x()));

        w.rec->magnet->setChecked(false);
        QVERIFY(w.ctl->saveClick());
        QVERIFY(!w.rec->Timer1->isActive());
    }

    void failedSaveKeepsTheOldFileAndSaysWhy() {
        MixerWindows w(card());
        QVERIFY(w.ctl->saveConfiguration().ok());
        const QByteArray old = home_.fileBytes();
        w.ctx.state().ConfigFirstLine = QString(300, u'x');
        w.f1->move(333, 222);
        bool saved = true;
        {
            FileSizeLimit limit(16);
            QVERIFY(limit.ok());
            saved = w.ctl->saveClick();
        }
        QVERIFY(!saved);
        QCOMPARE(w.messages.count(), 1);
        QCOMPARE(w.messages.warnings.size(), 1);
        QVERIFY(w.messages.warnings.front().contains(QDir::toNativeSeparators(home_.file())));
        QCOMPARE(home_.fileBytes(), old);
        QCOMPARE(QDir(home_.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Tavlo.ini")});
        QVERIFY(w.rec->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
};

TAVLO_TEST_MAIN(TestConfigWindows)
#include "test_config_windows.moc"
