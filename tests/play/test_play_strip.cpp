// A playback strip at work: the fader drag with real mouse sequences (also
// one the card refuses or clamps), typed read-outs, the wheel, linked and
// separate channels, the left/right exchange (also on one-channel lines),
// the refresh and its write-back, and changes made by other programs.

#include "play/mixer_windows.h"

#include "controls/step_button.h"
#include "mixer/levels.h"
#include "support/test_main.h"

#include <QApplication>
#include <QTimer>
#include <QWheelEvent>

namespace {

// Strip cha2 shows source A (level 40000), cha3 source B (level 30000).
QByteArray twoSources() { return cardWith({sourceLine("A", true, 40000), sourceLine("B", true, 30000)}); }

// The fader drag, driven through the window as a user's mouse would.
struct Drag {
    QWindow* window;
    QPoint start;
    int startTop;
    Drag(TForm1* f1, TPicture* cursor)
        : window(f1->windowHandle()), start(cursor->mapTo(f1, QPoint(5, 5))), startTop(cursor->y()) {
        QTest::mousePress(window, Qt::LeftButton, {}, start);
    }
    // Moves to where the cursor's top would be at `top`.
    void to(int top) { QTest::mouseMove(window, start + QPoint(0, top - startTop)); }
    void release(int top) { QTest::mouseRelease(window, Qt::LeftButton, {}, start + QPoint(0, top - startTop)); }
};

// Types over the whole read-out, or deletes it when text is empty.
void type(TTwoDigitEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

std::vector<DWORD> pair(DWORD l, DWORD r) { return {l, r}; }

// Turns the wheel over the middle of a widget, handed to its window as the
// window system hands it: the window finds the widget under the point.
// delta is in eighths of a degree, 120 a notch.
void wheel(QWidget* over, int delta) {
    QWidget* top = over->window();
    const QPointF at = over->mapTo(top, over->rect().center());
    QWheelEvent event(at, top->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(top->windowHandle(), &event);
}

// Records what a widget shows each time it paints.
struct PaintWatch : QObject {
    using Snapshot = std::pair<QString, int>;
    std::function<Snapshot()> take;
    QList<Snapshot> seen;
    PaintWatch(QWidget* widget, std::function<Snapshot()> f) : take(std::move(f)) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) seen << take();
        return false;
    }
};

// Where the cursor's picture stands in its track as the track is drawn:
// the top of the rows that show it, -1 when it is nowhere in sight.
int drawnCursorTop(QWidget* track, QWidget* cursor) {
    const QImage drawn = track->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage knob = cursor->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int top = 0; top + knob.height() <= drawn.height(); ++top)
        if (drawn.copy(cursor->x(), top, knob.width(), knob.height()) == knob) return top;
    return -1;
}

std::vector<DWORD> levels(const QList<int>& values) { return {values.begin(), values.end()}; }

}  // namespace

class TestPlayStrip : public QObject {
    Q_OBJECT
private slots:
    void refreshQuantises() {
        MixerWindows w(twoSources());
        // 30000 reads as 45, places the cursor at 28 and is written back.
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit36")->text(), QStringLiteral("45"));
        QCOMPARE(w.play("curs113")->y(), 28);
        QCOMPARE(w.values(0, 1, 0), pair(29475, 29475));
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit1")->text(), QStringLiteral("61"));  // 40000
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
    }

    void dragConvertsAtTheEnds() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* cursor = w.play<TPicture>("curs112");
        auto* shadow = w.play<TPicture>("curs122");
        auto* readout = w.play<TTwoDigitEdit>("MaskEdit8");
        Drag drag(w.f1, cursor);
        QVERIFY(cursor->isHidden());
        QVERIFY(!shadow->isHidden());
        QVERIFY(w.play("level12")->isHidden());
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 2);

        drag.to(80);  // far below the track
        QCOMPARE(shadow->y(), 50);
        QCOMPARE(readout->text(), QStringLiteral("0"));
        QCOMPARE(w.values(0, 0, 0), pair(0, 0));  // linked: both channels
        drag.to(49);
        QCOMPARE(readout->text(), QStringLiteral("1"));
        QCOMPARE(w.values(0, 0, 0), pair(655, 655));
        drag.to(-30);
        QCOMPARE(shadow->y(), 0);
        QCOMPARE(readout->text(), QStringLiteral("99"));
        QCOMPARE(w.values(0, 0, 0), pair(65535, 65535));
        // Linked: the right fader follows.
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit7")->text(), QStringLiteral("99"));
        QCOMPARE(w.play("curs211")->y(), 0);
        drag.to(1);
        QCOMPARE(readout->text(), QStringLiteral("97"));
        drag.release(1);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
        QVERIFY(!cursor->isHidden());
        QVERIFY(shadow->isHidden());
        QVERIFY(!w.play("level12")->isHidden());
        QCOMPARE(cursor->y(), 1);
        QCOMPARE(w.values(0, 0, 0), pair(63535, 63535));
        // A refresh places the cursor by the read-out: 97 gives 2.
        w.ctl->Button5Click();
        QCOMPARE(cursor->y(), 2);
    }

    void releaseFarAwayEndsAtTheTrackEnds() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* cursor = w.play<TPicture>("curs112");
        {
            Drag drag(w.f1, cursor);
            drag.to(25);
            QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QStringLiteral("49"));
            drag.release(400);
        }
        QCOMPARE(cursor->y(), 50);
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QStringLiteral("0"));
        {
            Drag drag(w.f1, cursor);
            drag.release(-400);
        }
        QCOMPARE(cursor->y(), 0);
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QStringLiteral("99"));
        QCOMPARE(w.values(0, 0, 0), pair(65535, 65535));
    }

    void typingIntoReadouts() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* left = w.play<TTwoDigitEdit>("MaskEdit8");
        type(left, "98");
        QCOMPARE(w.values(0, 0, 0), pair(64190, 64190));
        QCOMPARE(w.play("curs112")->y(), 1);
        type(left, "99");
        QCOMPARE(w.values(0, 0, 0), pair(65535, 65535));
        type(left, "");
        QCOMPARE(left->text(), QStringLiteral("0"));
        QCOMPARE(w.values(0, 0, 0), pair(0, 0));
        QCOMPARE(w.play("curs112")->y(), 50);
        type(left, "7x");  // not a digit: ignored
        QCOMPARE(left->text(), QStringLiteral("7"));
    }

    void separateChannels() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* link = w.play<TPanel>("lr2");
        auto* left = w.play<TTwoDigitEdit>("MaskEdit8");
        auto* right = w.play<TTwoDigitEdit>("MaskEdit7");
        const int writes = w.driver->writeCount(0);
        click(link);
        QCOMPARE(w.driver->writeCount(0), writes);  // separating writes nothing
        QCOMPARE(link->Caption(), QStringLiteral("L|R"));
        QCOMPARE(link->Bevel(), TPanel::BevelKind::Lowered);
        QCOMPARE(link->x(), 24);
        QVERIFY(!right->isHidden() && !w.play("pcursr2")->isHidden());
        QCOMPARE(left->x(), 5);
        QCOMPARE(right->x(), 47);
        QCOMPARE(w.play("SpeedButton7")->pos(), QPoint(53, 108));
        QCOMPARE(left->toolTip(), QStringLiteral("You can edit the left volume here... "));
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);

        type(right, "99");
        QCOMPARE(w.values(0, 0, 0), pair(61 * 655, 65535));
        type(left, "50");
        QCOMPARE(w.values(0, 0, 0), pair(50 * 655, 64845));  // the other channel's 99
        type(right, "");
        type(right, "99");
        QCOMPARE(w.values(0, 0, 0), pair(50 * 655, 65535));

        // The right fader drags on its own.
        Drag drag(w.f1, w.play<TPicture>("curs211"));
        drag.to(50);
        drag.release(50);
        QCOMPARE(w.values(0, 0, 0), pair(50 * 655, 0));
        QCOMPARE(left->text(), QStringLiteral("50"));

        // Linking makes the right channel take the left one.
        click(link);
        QCOMPARE(link->Caption(), QStringLiteral("L+R"));
        QCOMPARE(right->text(), QStringLiteral("50"));
        QCOMPARE(w.values(0, 0, 0), pair(50 * 655, 50 * 655));
        QVERIFY(right->isHidden() && w.play("pcursr2")->isHidden());
        QCOMPARE(w.play("pcursl2")->x(), 9);
    }

    void stepButtons() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* plus = w.play<TStepButton>("SpeedButton1");  // strip 2, left +
        QTest::mousePress(plus, Qt::LeftButton);
        QCOMPARE(w.ctx.state().RepeatCode, 211);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 1);
        QTest::mouseRelease(plus, Qt::LeftButton);
        QCOMPARE(w.ctx.state().RepeatCode, 0);
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QStringLiteral("62"));
        QCOMPARE(w.values(0, 0, 0), pair(62 * 655, 62 * 655));
        click(w.play("lr3"));  // separate: the right "-" shows
        auto* minus = w.play<TStepButton>("SpeedButton56");
        QVERIFY(!minus->isHidden());
        QTest::mousePress(minus, Qt::LeftButton);
        QCOMPARE(w.ctx.state().RepeatCode, 322);
        QTest::mouseRelease(minus, Qt::LeftButton);
        QCOMPARE(w.values(0, 1, 0), pair(45 * 655, 44 * 655));
    }

    // Strip cha2 starts at 61 on both channels, linked or separated first.
    void wheelSteps_data() {
        QTest::addColumn<QString>("over");
        QTest::addColumn<bool>("separate");
        QTest::addColumn<QList<int>>("deltas");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("cursor, a notch up") << "curs112" << false << QList<int>{120} << 62 << 62;
        QTest::newRow("track, a notch down") << "pcursl2" << false << QList<int>{-120} << 60 << 60;
        QTest::newRow("track picture") << "level12" << false << QList<int>{120} << 62 << 62;
        QTest::newRow("read-out, two notches at once") << "MaskEdit8" << false << QList<int>{240} << 63 << 63;
        QTest::newRow("quarter notches add up") << "MaskEdit8" << false << QList<int>{30, 30, 30, 30} << 62 << 62;
        QTest::newRow("turning back starts afresh") << "MaskEdit8" << false << QList<int>{60, -60} << 61 << 61;
        QTest::newRow("and then goes on") << "curs112" << false << QList<int>{60, -60, -60} << 60 << 60;
        QTest::newRow("separated, right cursor") << "curs211" << true << QList<int>{120} << 61 << 62;
        QTest::newRow("separated, left track") << "pcursl2" << true << QList<int>{-120} << 60 << 61;
        QTest::newRow("separated, right read-out") << "MaskEdit7" << true << QList<int>{-240} << 61 << 59;
        QTest::newRow("mute button") << "mut2" << false << QList<int>{120} << 61 << 61;
        QTest::newRow("VU image") << "vul2" << false << QList<int>{-120} << 61 << 61;
        QTest::newRow("step button") << "SpeedButton1" << false << QList<int>{120} << 61 << 61;
    }

    void wheelSteps() {
        QFETCH(QString, over);
        QFETCH(bool, separate);
        QFETCH(QList<int>, deltas);
        QFETCH(int, left);
        QFETCH(int, right);
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        if (separate) click(w.play("lr2"));
        const int writes = w.driver->writeCount(0);
        for (int delta : deltas) wheel(w.play(qPrintable(over)), delta);
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QString::number(left));
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit7")->text(), QString::number(right));
        QCOMPARE(w.values(0, 0, 0), pair(left * 655, right * 655));
        if (left == 61 && right == 61) QCOMPARE(w.driver->writeCount(0), writes);
        // The fader shows the level the read-out holds.
        QCOMPARE(w.play("curs112")->y(), positionFromLevel(left * 655));
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
        QCOMPARE(w.play("curs112")->toolTip(), QStringLiteral("Drag the cursor to change the volume..."));
    }

    // The master strip, a notch at a time, and the ends of the range.
    void wheelOnTheMaster() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* readout = w.play<TTwoDigitEdit>("MaskEdit1");
        QCOMPARE(readout->text(), QStringLiteral("61"));
        wheel(readout, 120);
        QCOMPARE(w.values(0, -1, 0), pair(62 * 655, 62 * 655));
        wheel(w.play("curs11"), -120);
        wheel(w.play("curs11"), -120);
        QCOMPARE(readout->text(), QStringLiteral("60"));
        QCOMPARE(w.values(0, -1, 0), pair(60 * 655, 60 * 655));

        type(readout, "99");
        int writes = w.driver->writeCount(0);
        wheel(readout, 120);
        QCOMPARE(readout->text(), QStringLiteral("99"));
        QCOMPARE(w.driver->writeCount(0), writes);
        wheel(readout, -120);
        QCOMPARE(w.values(0, -1, 0), pair(98 * 655, 98 * 655));

        type(readout, "0");
        writes = w.driver->writeCount(0);
        wheel(w.play("pcursl1"), -360);
        QCOMPARE(readout->text(), QStringLiteral("0"));
        QCOMPARE(w.driver->writeCount(0), writes);
    }

    // A drag owns the card: the wheel meanwhile is dropped, with what was
    // left of an earlier half notch.
    void wheelDuringADrag() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* other = w.play<TTwoDigitEdit>("MaskEdit36");  // strip cha3, at 45
        wheel(other, 60);
        Drag drag(w.f1, w.play<TPicture>("curs112"));
        drag.to(10);
        const int writes = w.driver->writeCount(0);
        wheel(other, 120);
        wheel(other, 60);
        wheel(w.play("pcursl2"), -120);
        QCOMPARE(w.driver->writeCount(0), writes);
        QCOMPARE(other->text(), QStringLiteral("45"));
        drag.release(10);
        wheel(other, 60);
        QCOMPARE(other->text(), QStringLiteral("45"));
        wheel(other, 60);
        QCOMPARE(other->text(), QStringLiteral("46"));
        QCOMPARE(w.values(0, 1, 0), pair(46 * 655, 46 * 655));
    }

    void masterLinkLayout() {
        MixerWindows w(twoSources());
        auto* link = w.play<TPanel>("lr1");
        QCOMPARE(link->pos(), QPoint(7, 42));
        link->OnMouseDown(link, Qt::LeftButton, {}, 0, 0);
        QCOMPARE(link->pos(), QPoint(7, 42));  // the master's link button stays
        QCOMPARE(w.play("MaskEdit1")->x(), 17);
        QCOMPARE(w.play("MaskEdit2")->x(), 35);
        QCOMPARE(w.play("SpeedButton2")->pos(), QPoint(6, 125));
        QCOMPARE(w.play("SpeedButton5")->pos(), QPoint(53, 134));
    }

    void swappedChannels() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* lrrl = w.play<TPanel>("lrrl");
        const int writes = w.driver->writeCount(0);
        click(lrrl);
        click(lrrl);
        QCOMPARE(lrrl->Caption(), QStringLiteral("<L R>"));
        QVERIFY(!w.ctx.state().SwapLR);
        QCOMPARE(w.driver->writeCount(0), writes);  // exchanging writes nothing
        click(lrrl);
        QVERIFY(w.ctx.state().SwapLR);
        QCOMPARE(lrrl->Caption(), QStringLiteral("<R L>"));
        QCOMPARE(lrrl->Bevel(), TPanel::BevelKind::Lowered);

        click(w.play("lr2"));  // separate
        type(w.play<TTwoDigitEdit>("MaskEdit8"), "20");
        QCOMPARE(w.values(0, 0, 0), pair(61 * 655, 20 * 655));  // the left read-out drives the right channel
        // A read shows the line's right level on the left.
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 0, 0), {10000, 50000}));
        MixerWindows::settle();
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QStringLiteral("76"));
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit7")->text(), QStringLiteral("15"));
    }

    // With the sides exchanged a line of one channel still shows its level
    // on the fader in sight, keeps it through a refresh, and a step moves
    // it from there. The demo card's one-channel lines: their strips'
    // read-out, cursor, track and left "+", and their level as read-out.
    void exchangedSidesOnOneChannelLines_data() {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<int>("dest");
        QTest::addColumn<int>("conn");
        QTest::addColumn<QStringList>("widgets");
        QTest::addColumn<int>("level");
        QTest::newRow("playback Microphone")
            << false << 0 << 4 << QStringList{"MaskEdit18", "curs116", "Panel67", "SpeedButton18"} << 30;
        QTest::newRow("PC speaker") << false << 0 << 6
                                    << QStringList{"MaskEdit22", "curs118", "Panel111", "SpeedButton26"} << 39;
        QTest::newRow("recording Microphone")
            << true << 1 << 0 << QStringList{"MaskEdit8", "curs112", "pcursl2", "SpeedButton1"} << 45;
    }

    void exchangedSidesOnOneChannelLines() {
        QFETCH(bool, recording);
        QFETCH(int, dest);
        QFETCH(int, conn);
        QFETCH(QStringList, widgets);
        QFETCH(int, level);
        MixerWindows w(SimDriver::demoJson());
        QWidget* window = recording ? static_cast<QWidget*>(w.rec) : w.f1;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* edit = window->findChild<TTwoDigitEdit*>(widgets[0]);
        auto* cursor = window->findChild<QWidget*>(widgets[1]);
        auto* track = window->findChild<QWidget*>(widgets[2]);
        const std::vector<DWORD> card{DWORD(level * 655)};
        QCOMPARE(w.values(dest, conn, 0), card);
        click(w.play("lrrl"));
        QVERIFY(w.ctx.state().SwapLR);
        w.ctl->Button5Click();
        QCOMPARE(edit->text(), QString::number(level));
        QCOMPARE(drawnCursorTop(track, cursor), positionFromLevel(level * 655));
        QCOMPARE(w.values(dest, conn, 0), card);
        click(window->findChild<QWidget*>(widgets[3]));
        QCOMPARE(edit->text(), QString::number(level + 1));
        QCOMPARE(w.values(dest, conn, 0), std::vector<DWORD>{DWORD((level + 1) * 655)});
        QCOMPARE(drawnCursorTop(track, cursor), positionFromLevel((level + 1) * 655));
    }

    // A change from outside is written back as read, at read-out resolution
    // and with 99 as the top level on either side (strip cha3, source B):
    // the read-outs shown and the card's levels afterwards.
    void outsideChangeWrittenBackAsRead_data() {
        QTest::addColumn<bool>("separate");
        QTest::addColumn<bool>("exchanged");
        QTest::addColumn<QList<int>>("outside");
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QList<int>>("card");
        const QList<int> top{65535, 65535};
        QTest::newRow("both at the top") << false << false << top << QList<int>{99, 99} << top;
        QTest::newRow("separate, both at the top") << true << false << top << QList<int>{99, 99} << top;
        QTest::newRow("separate, left at the top")
            << true << false << QList<int>{65535, 30000} << QList<int>{99, 45} << QList<int>{65535, 29475};
        QTest::newRow("separate, right at the top")
            << true << false << QList<int>{30000, 65535} << QList<int>{45, 99} << QList<int>{29475, 65535};
        QTest::newRow("linked, left at the top")
            << false << false << QList<int>{65535, 30000} << QList<int>{99, 45} << QList<int>{65535, 29475};
        QTest::newRow("exchanged sides, left at the top")
            << true << true << QList<int>{65535, 30000} << QList<int>{45, 99} << QList<int>{65535, 29475};
        QTest::newRow("between read-outs")
            << true << false << QList<int>{30000, 13500} << QList<int>{45, 20} << QList<int>{29475, 13100};
    }

    void outsideChangeWrittenBackAsRead() {
        QFETCH(bool, separate);
        QFETCH(bool, exchanged);
        QFETCH(QList<int>, outside);
        QFETCH(QList<int>, shown);
        QFETCH(QList<int>, card);
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        if (separate) click(w.play("lr3"));
        if (exchanged) click(w.play("lrrl"));
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 1, 0), levels(outside)));
        MixerWindows::settle();
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit36")->text(), QString::number(shown[0]));
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit35")->text(), QString::number(shown[1]));
        QCOMPARE(w.values(0, 1, 0), levels(card));
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
    }

    void outsideChangesRefreshBothWindows() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        // The new level is on the screen before the write-back goes out.
        auto* readout = w.play<TTwoDigitEdit>("MaskEdit36");
        PaintWatch watch(readout, [&] { return std::pair(readout->text(), w.driver->writeCount(0)); });
        const int writes = w.driver->writeCount(0);
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 1, 0), {13100, 13100}));
        QVERIFY(w.driver->changeExternally(0, w.controlId(1, 1, 0), {6550, 6550}));
        MixerWindows::settle();
        QVERIFY(w.driver->writeCount(0) > writes);
        QVERIFY(watch.seen.contains(std::pair(QStringLiteral("20"), writes)));
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit36")->text(), QStringLiteral("20"));
        QCOMPARE(w.play("curs113")->y(), 40);
        QCOMPARE(w.inRec<TTwoDigitEdit>("MaskEdit36")->text(), QStringLiteral("10"));
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 1, 1), {1}));
        MixerWindows::settle();
        QCOMPARE(w.play<TPanel>("mut3")->Color(), kRed);
        QCOMPARE(w.play<TPanel>("mut3")->Bevel(), TPanel::BevelKind::Lowered);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
    }

    void aDragHoldsOutsideChangesUntilItEnds() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        Drag drag(w.f1, w.play<TPicture>("curs112"));
        drag.to(10);
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 1, 0), {13100, 13100}));
        MixerWindows::settle();
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit36")->text(), QStringLiteral("45"));
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QStringLiteral("79"));
        drag.release(10);
        // Once the drag is over the change made meanwhile shows, then the next one.
        MixerWindows::settle();
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit36")->text(), QStringLiteral("20"));
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QStringLiteral("79"));
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 1, 0), {6550, 6550}));
        MixerWindows::settle();
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit36")->text(), QStringLiteral("10"));
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit8")->text(), QStringLiteral("79"));
    }

    // The release never comes (the window hides mid-drag): the drag ends
    // where the shadow stood and the guard is let go.
    void lostReleaseEndsTheDrag() {
        MixerWindows w(twoSources());
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        auto* cursor = w.play<TPicture>("curs112");
        Drag drag(w.f1, cursor);
        drag.to(10);
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 2);
        w.f1->hide();
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
        QVERIFY(!cursor->isHidden());
        QVERIFY(w.play("curs122")->isHidden());
        QCOMPARE(cursor->y(), 10);
        QCOMPARE(w.values(0, 0, 0), pair(79 * 655, 79 * 655));
        // Changes from outside show again.
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 1, 0), {6550, 6550}));
        MixerWindows::settle();
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit36")->text(), QStringLiteral("10"));
    }

    // A write the card refuses is not shown as done: the strip shows what
    // the card holds. A line without a mute control reads as not muted.
    void refusedWritesAndMissingMutes() {
        MixerWindows w(cardWith({
            R"({"type":"line","channels":2,"name":"A","controls":[
                {"type":"volume","values":[30000,30000],"writeFails":true},
                {"type":"mute","uniform":true,"values":0,"writeFails":true}]})",
            R"({"type":"line","channels":2,"name":"B","controls":[{"type":"volume","values":[30000,30000]}]})"}));
        auto* readout = w.play<TTwoDigitEdit>("MaskEdit8");
        QCOMPARE(readout->text(), QStringLiteral("45"));
        type(readout, QStringLiteral("20"));
        QCOMPARE(readout->text(), QStringLiteral("45"));
        QCOMPARE(w.play("curs112")->y(), 28);
        auto* mute = w.play<TPanel>("mut2");
        click(mute);
        QCOMPARE(mute->Color(), kSilver);
        QCOMPARE(w.values(0, 0, 1), std::vector<DWORD>{0});
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);

        auto* noMute = w.play<TPanel>("mut3");
        QVERIFY(noMute->isHidden());
        ChannelStrip::SetSwitch(noMute, true, kRed);
        w.ctl->Button5Click();
        QCOMPARE(noMute->Color(), kSilver);
    }

    // A drag the card refuses or clamps ends with the read-out and the
    // cursor showing what the card holds; one it takes leaves the cursor
    // where it was let go. Strip cha2 (level 30000, read-out 45) over a
    // volume control as given; its left cursor, or the right one of the
    // separated strip, is dragged to `to`.
    void releaseShowsWhatTheCardHolds_data() {
        QTest::addColumn<QByteArray>("volume");
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("top");
        QTest::addColumn<QList<int>>("card");
        const QByteArray refused = R"("values":[30000,30000],"writeFails":true)";
        QTest::newRow("refused") << refused << false << 10 << 45 << 28 << QList<int>{30000, 30000};
        QTest::newRow("refused, right fader") << refused << true << 40 << 45 << 28 << QList<int>{30000, 30000};
        QTest::newRow("clamped at the top") << QByteArray(R"("values":[30000,30000],"max":40000)") << false << 0 << 61
                                            << 20 << QList<int>{61 * 655, 61 * 655};
        // The read's write-back is clamped too.
        QTest::newRow("clamped at the bottom") << QByteArray(R"("values":[30000,30000],"min":20000)") << false << 50
                                               << 30 << 35 << QList<int>{20000, 20000};
        QTest::newRow("taken") << QByteArray(R"("values":[30000,30000])") << false << 1 << 97 << 1
                               << QList<int>{97 * 655, 97 * 655};
    }

    void releaseShowsWhatTheCardHolds() {
        QFETCH(QByteArray, volume);
        QFETCH(bool, right);
        QFETCH(int, to);
        QFETCH(int, shown);
        QFETCH(int, top);
        QFETCH(QList<int>, card);
        MixerWindows w(cardWith({R"({"type":"line","channels":2,"name":"A","controls":[{"type":"volume",)" + volume +
                                     R"(},{"type":"mute","uniform":true,"values":0}]})",
                                 sourceLine("B")}));
        w.f1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.f1));
        if (right) click(w.play("lr2"));
        auto* knob = w.play<TPicture>(right ? "curs211" : "curs112");
        {
            Drag drag(w.f1, knob);
            drag.to(to);
            drag.release(to);
        }
        QCOMPARE(w.play<TTwoDigitEdit>(right ? "MaskEdit7" : "MaskEdit8")->text(), QString::number(shown));
        QCOMPARE(knob->y(), top);
        QCOMPARE(drawnCursorTop(w.play(right ? "pcursr2" : "pcursl2"), knob), top);
        QCOMPARE(w.values(0, 0, 0), levels(card));
        QCOMPARE(int(w.ctx.state().ChangeGuard.level()), 0);
    }

    // With traces on, the refresh shows its trace points as designed:
    // getc2 ... getc11, none for the last strip.
    void refreshTracePoints() {
        MixerWindows w(twoSources());
        w.ctx.state().TracesOff = false;
        w.ctl->Button5Click();
        QStringList expected{QStringLiteral("button5 debut getc1")};
        for (int k = 2; k <= 11; ++k) expected << QStringLiteral("getc%1").arg(k);
        expected << QStringLiteral("button5 debut getrec");
        QCOMPARE(w.messages.information, expected);
    }

    void anotherCardWarnsAndEnds() {
        MixerWindows w(twoSources());
        w.ctx.state().BoundProductName = QStringLiteral("Some Other Card");
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 1, 0), {13100, 13100}));
        QVERIFY(w.driver->changeExternally(0, w.controlId(0, 1, 0), {6550, 6550}));
        QTRY_VERIFY(!w.messages.warnings.isEmpty());
        MixerWindows::settle();
        QCOMPARE(w.messages.warnings,
                 QStringList{QStringLiteral("Your System Sound-Cards has changed outside Tavlo. You have to terminate "
                                            "Tavlo and reload it again...")});
        QCOMPARE(w.play<TTwoDigitEdit>("MaskEdit36")->text(), QStringLiteral("45"));  // no refresh
    }
};

TAVLO_TEST_MAIN(TestPlayStrip)
#include "test_play_strip.moc"
