// The channel selection dialog as a window: where its parts stand, and what
// its buttons and a right click report. The binding's use of the boxes is
// tested with the mixer windows.

#include "config/channel_dialog.h"
#include "config/config_file.h"
#include "controls/panel.h"
#include "controls/smooth_show.h"
#include "play/mixer_windows.h"
#include "support/test_main.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

// Every report the dialog makes, counted.
struct Reports {
    explicit Reports(TForm4& d)
        : ok(&d, &TForm4::okClicked),
          close(&d, &TForm4::closeClicked),
          hidden(&d, &TForm4::hidden),
          menu(&d, &TForm4::menuRequested),
          save(&d, &TForm4::saveClicked) {}
    int total() const { return ok.count() + close.count() + hidden.count() + menu.count() + save.count(); }
    QSignalSpy ok, close, hidden, menu, save;
};

bool showDialog(TForm4& d) {
    d.show();
    return QTest::qWaitForWindowExposed(&d);
}

QColor pixel(QWidget& w, QPoint p) { return w.grab().toImage().pixelColor(p); }

}  // namespace

class TestChannelDialog : public QObject {
    Q_OBJECT
private slots:
    void layout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Image1") << "Image1" << QRect(0, 0, 520, 25);
        QTest::newRow("Image4") << "Image4" << QRect(505, 25, 15, 312);
        QTest::newRow("Label14") << "Label14" << QRect(14, 6, 492, 16);
        QTest::newRow("Panel1") << "Panel1" << QRect(505, 0, 15, 25);
        QTest::newRow("Panel3") << "Panel3" << QRect(0, 337, 15, 15);
        QTest::newRow("Shape3") << "Shape3" << QRect(18, 28, 241, 307);
        QTest::newRow("Shape2") << "Shape2" << QRect(262, 28, 241, 242);
        QTest::newRow("Label3") << "Label3" << QRect(272, 33, 219, 18);
        QTest::newRow("tuch") << "tuch" << QRect(27, 53, 220, 17);
        QTest::newRow("BWCCCheckBox11") << "BWCCCheckBox11" << QRect(27, 284, 220, 17);
        QTest::newRow("BWCCCheckBox22") << "BWCCCheckBox22" << QRect(27, 306, 220, 17);
        QTest::newRow("BWCCCheckBox12") << "BWCCCheckBox12" << QRect(276, 53, 215, 17);
        QTest::newRow("BWCCCheckBox21") << "BWCCCheckBox21" << QRect(276, 243, 215, 17);
    }
    void layout() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        TForm4 d;
        QCOMPARE(d.size(), QSize(520, 352));
        const auto* w = d.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
        QVERIFY(w);
        QCOMPARE(w->geometry(), geometry);
    }

    void parts() {
        TForm4 d;
        QVERIFY(d.windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
        for (const char* name : kChannelBoxNames) {
            TBWCCCheckBox* b = d.box(name);
            QVERIFY2(b, name);
            QVERIFY(b->isChecked());
            QCOMPARE(b->text(), QStringLiteral("All Tune"));
        }
        QCOMPARE(d.tuch, d.box("tuch"));
        QVERIFY(!d.box("Label2"));
        for (const char* name : {"Panel2", "Panel1", "Panel3", "Panel4"}) {
            const auto* p = d.findChild<TPanel*>(QString::fromLatin1(name));
            QCOMPARE(p->Caption(), QStringLiteral("X"));
            QCOMPARE(p->toolTip(), QStringLiteral("Click to hide, use the siler bordes to move.."));
        }
        QCOMPARE(d.SpeedButton1->parentWidget()->objectName(), QStringLiteral("Panel5"));
        QCOMPARE(d.SpeedButton1->parentWidget()->pos(), QPoint(339, 278));
        QCOMPARE(d.SpeedButton1->text(), QStringLiteral("O.K."));
        QVERIFY(!d.SpeedButton1->icon().isNull());
        QCOMPARE(d.SpeedButton1->toolTip(), QStringLiteral("Click here to see your configuration."));
        QVERIFY(d.save->isHidden());
        QVERIFY(!d.rect().intersects(d.save->geometry()));
        QVERIFY(d.SmoothShow1->Enabled() && d.SmoothShow1->Reverse());
    }

    // Black round about, the columns in their colours, the boxes' captions
    // in a colour that stands out from their column.
    void colours() {
        TForm4 d;
        QVERIFY(showDialog(d));
        QCOMPARE(pixel(d, {300, 300}), QColor(Qt::black));
        QCOMPARE(pixel(d, {130, 330}), QColor(128, 255, 128));
        QCOMPARE(pixel(d, {380, 265}), QColor(255, 128, 128));
        for (const char* name : {"tuch", "BWCCCheckBox12"}) {
            TBWCCCheckBox* b = d.box(name);
            const QColor ground = pixel(d, b->geometry().topRight() + QPoint(-2, 2));
            QCOMPARE(b->Color(), ground);
            QVERIFY(qAbs(b->palette().color(QPalette::WindowText).lightness() - ground.lightness()) > 100);
        }
    }

    // The boxes tell everyone when they change, also when set from code;
    // none of that reaches the dialog's reports. O.K. only asks.
    void okOnlyReports() {
        TForm4 d;
        QVERIFY(showDialog(d));
        Reports r(d);
        TBWCCCheckBox* b = d.box("BWCCCheckBox3");
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(7, 8));
        QVERIFY(!b->isChecked());
        d.box("BWCCCheckBox14")->setChecked(false);
        QCOMPARE(r.total(), 0);

        QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
        QCOMPARE(r.ok.count(), 1);
        QCOMPARE(r.total(), 1);
        QVERIFY(d.isVisible());
        for (const char* name : kChannelBoxNames) {
            const bool unticked = qstrcmp(name, "BWCCCheckBox3") == 0 || qstrcmp(name, "BWCCCheckBox14") == 0;
            QCOMPARE(d.box(name)->isChecked(), !unticked);
            QCOMPARE(d.box(name)->text(), QStringLiteral("All Tune"));
        }
    }

    void cornerHides_data() {
        QTest::addColumn<QString>("corner");
        for (const char* name : {"Panel2", "Panel1", "Panel3", "Panel4"}) QTest::newRow(name) << name;
    }
    void cornerHides() {
        QFETCH(QString, corner);
        TForm4 d;
        QVERIFY(showDialog(d));
        d.tuch->setChecked(false);
        d.box("BWCCCheckBox21")->SetState(cbGrayed);
        Reports r(d);
        QTest::mouseClick(d.findChild<TPanel*>(corner), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!d.isVisible());
        QCOMPARE(r.close.count(), 1);
        QCOMPARE(r.hidden.count(), 1);
        QCOMPARE(r.total(), 2);
        // The boxes keep what the user made of them, hidden and shown again.
        QVERIFY(!d.tuch->isChecked());
        QCOMPARE(d.box("BWCCCheckBox21")->State(), cbGrayed);
        QVERIFY(showDialog(d));
        QVERIFY(!d.tuch->isChecked());
        QCOMPARE(d.box("BWCCCheckBox21")->State(), cbGrayed);
        QVERIFY(d.box("BWCCCheckBox1")->isChecked());
        // Hidden by the controller after O.K.: the same hide report.
        d.hide();
        QCOMPARE(r.hidden.count(), 2);
        QCOMPARE(r.close.count(), 1);
    }

    void rightClickAnywhereAsksForTheMenu_data() {
        QTest::addColumn<QString>("on");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("black ground") << "" << QPoint(300, 300);
        QTest::newRow("border") << "Image3" << QPoint(200, 5);
        QTest::newRow("column") << "Shape2" << QPoint(100, 235);
        QTest::newRow("label") << "Label2" << QPoint(100, 9);
        QTest::newRow("box") << "BWCCCheckBox5" << QPoint(40, 8);
        QTest::newRow("corner") << "Panel4" << QPoint(7, 7);
        QTest::newRow("O.K.") << "SpeedButton1" << QPoint(10, 10);
    }
    void rightClickAnywhereAsksForTheMenu() {
        QFETCH(QString, on);
        QFETCH(QPoint, at);
        TForm4 d;
        QVERIFY(showDialog(d));
        QWidget* w = on.isEmpty() ? &d : d.findChild<QWidget*>(on);
        QVERIFY(w);
        const bool ticked = d.box("BWCCCheckBox5")->isChecked();
        Reports r(d);
        // Through the window, as the window system delivers it.
        QTest::mouseClick(d.windowHandle(), Qt::RightButton, {}, w->mapTo(&d, at));
        QCOMPARE(r.menu.count(), 1);
        QCOMPARE(r.menu.front().front().toPoint(), w->mapToGlobal(at));
        QCOMPARE(r.total(), 1);
        QVERIFY(d.isVisible());
        QCOMPARE(d.box("BWCCCheckBox5")->isChecked(), ticked);
    }

    void saveButtonAsksForTheFile() {
        TForm4 d;
        Reports r(d);
        d.save->click();
        QCOMPARE(r.save.count(), 1);
        QCOMPARE(r.total(), 1);
    }

    // A line name shows its "&" and makes no accelerator.
    void ampersandInALineName() {
        TForm4 d;
        TBWCCCheckBox* b = d.box("BWCCCheckBox2");
        TForm4::SetBoxCaption(b, QStringLiteral("R&B Line"));
        QVERIFY(b->Accelerator().isNull());
        const QRect shown = b->LayoutFor(b->size()).caption;
        const QRect literal = b->fontMetrics().boundingRect(QRect(18, 0, b->width() - 18, 0), Qt::TextWordWrap,
                                                            QStringLiteral("R&B Line"));
        QCOMPARE(shown.width(), literal.width());
    }

    // The binding names the boxes after the lines; the tone box keeps its name.
    void toneBoxKeepsItsCaption() {
        MixerWindows w(cardWith(stereoSources(2)));
        TForm4& d = *w.ctx.Form4();
        QCOMPARE(d.box("BWCCCheckBox2")->text(), QStringLiteral("Src0"));
        QCOMPARE(d.tuch->text(), QStringLiteral("All Tune"));
        w.ctl->Button1Click();  // as O.K. does
        QCOMPARE(d.tuch->text(), QStringLiteral("All Tune"));
        QVERIFY(!d.tuch->isHidden());
    }
};

TAVLO_TEST_MAIN(TestChannelDialog)
#include "test_channel_dialog.moc"
