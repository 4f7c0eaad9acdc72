// The self-painted check box: its three states and the click event, press
// tracking with the mouse captured, the space bar, accelerators, and what
// the caption and the box look like.

#include "controls/bwcc_check_box.h"
#include "support/test_main.h"

#include <QPainter>
#include <QtTest>

namespace {

enum class Action { SetState, SetChecked, Toggle };

}  // namespace

Q_DECLARE_METATYPE(Action)

namespace {

struct CheckBoxFixture {
    QWidget window;
    TBWCCCheckBox* box;
    TBWCCCheckBox* other;
    int clicks = 0;
    QStringList events;

    CheckBoxFixture() : box(new TBWCCCheckBox(&window)), other(new TBWCCCheckBox(&window)) {
        window.resize(300, 80);
        box->setObjectName(QStringLiteral("BWCCCheckBox1"));
        box->setGeometry(27, 10, 220, 17);
        box->setText(QStringLiteral("&Mic"));
        other->setObjectName(QStringLiteral("BWCCCheckBox2"));
        other->setGeometry(27, 40, 220, 17);
        other->setText(QStringLiteral("&Line"));
        box->OnClick = [this](TCheckBoxBase* s) {
            ++clicks;
            events << QStringLiteral("click %1 %2").arg(s->objectName()).arg(int(s->State()));
        };
        box->OnMouseUp = [this](TTogglerBase* s, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            events << QStringLiteral("up %1").arg(s->objectName());
        };
    }
    QWindow* w() const { return window.windowHandle(); }
    bool showAndActivate() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

QRgb Darkest(const QImage& image, const QRect& area) {
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < qGray(darkest)) darkest = image.pixel(x, y);
    return darkest;
}

}  // namespace

class TestCheckBox : public QObject {
    Q_OBJECT
private slots:
    void stateRules_data();
    void stateRules();
    void pressInsideReleaseOutside();
    void spaceBar();
    void acceleratorOfCaption_data();
    void acceleratorOfCaption();
    void acceleratorToggles();
    void doubledAmpersandShowsOne();
    void paints_data();
    void paints();
};

void TestCheckBox::stateRules_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("clicks");
    QTest::newRow("check") << int(cbUnchecked) << Action::SetChecked << 1 << int(cbChecked) << 1;
    QTest::newRow("check checked") << int(cbChecked) << Action::SetChecked << 1 << int(cbChecked) << 0;
    QTest::newRow("uncheck unchecked") << int(cbUnchecked) << Action::SetChecked << 0 << int(cbUnchecked) << 0;
    QTest::newRow("check grey") << int(cbGrayed) << Action::SetChecked << 1 << int(cbChecked) << 1;
    // Grey is not checked: unchecking it is a change.
    QTest::newRow("uncheck grey") << int(cbGrayed) << Action::SetChecked << 0 << int(cbUnchecked) << 1;
    QTest::newRow("grey") << int(cbChecked) << Action::SetState << int(cbGrayed) << int(cbGrayed) << 1;
    QTest::newRow("grey again") << int(cbGrayed) << Action::SetState << int(cbGrayed) << int(cbGrayed) << 0;
    QTest::newRow("no such state") << int(cbChecked) << Action::SetState << 3 << int(cbChecked) << 0;
    QTest::newRow("toggle grey") << int(cbGrayed) << Action::Toggle << 0 << int(cbChecked) << 1;
    QTest::newRow("toggle checked") << int(cbChecked) << Action::Toggle << 0 << int(cbUnchecked) << 1;
}

void TestCheckBox::stateRules() {
    QFETCH(int, start);
    QFETCH(Action, action);
    QFETCH(int, argument);
    QFETCH(int, expected);
    QFETCH(int, clicks);
    CheckBoxFixture f;
    f.box->SetState(TCheckBoxState(start));
    f.clicks = 0;
    switch (action) {
        case Action::SetState:
            f.box->SetState(TCheckBoxState(argument));
            break;
        case Action::SetChecked:
            f.box->setChecked(argument != 0);
            break;
        case Action::Toggle:
            f.box->Toggle();
            break;
    }
    QCOMPARE(int(f.box->State()), expected);
    QCOMPARE(f.box->isChecked(), expected == cbChecked);
    QCOMPARE(f.clicks, clicks);
}

void TestCheckBox::pressInsideReleaseOutside() {
    CheckBoxFixture f;
    QVERIFY(f.showAndActivate());
    // Dragged out and released there: nothing changes.
    QTest::mousePress(f.w(), Qt::LeftButton, {}, QPoint(33, 18));
    QVERIFY(f.box->Pressed());
    QVERIFY(f.box->hasFocus());
    QTest::mouseMove(f.w(), QPoint(33, 60));
    QVERIFY(!f.box->Pressed());
    QTest::mouseRelease(f.w(), Qt::LeftButton, {}, QPoint(33, 60));
    QCOMPARE(f.box->State(), cbUnchecked);
    QCOMPARE(f.events, QStringList{"up BWCCCheckBox1"});
    QCOMPARE(f.other->State(), cbUnchecked);

    // Out and back in before the release: pressed again, and it toggles,
    // the click before the button-up event.
    f.events.clear();
    QTest::mousePress(f.w(), Qt::LeftButton, {}, QPoint(33, 18));
    QTest::mouseMove(f.w(), QPoint(280, 18));
    QVERIFY(!f.box->Pressed());
    QTest::mouseMove(f.w(), QPoint(200, 20));
    QVERIFY(f.box->Pressed());
    QTest::mouseRelease(f.w(), Qt::LeftButton, {}, QPoint(200, 20));
    QVERIFY(!f.box->Pressed());
    QCOMPARE(f.events, (QStringList{"click BWCCCheckBox1 1", "up BWCCCheckBox1"}));

    // A double click is two clicks: back where it was.
    f.events.clear();
    QTest::mouseDClick(f.w(), Qt::LeftButton, {}, QPoint(33, 18));
    QCOMPARE(f.box->State(), cbChecked);
    QCOMPARE(f.clicks, 3);
}

void TestCheckBox::spaceBar() {
    CheckBoxFixture f;
    QVERIFY(f.showAndActivate());
    f.box->setFocus();
    QTest::keyPress(f.box, Qt::Key_Space);
    QVERIFY(f.box->Pressed());
    QCOMPARE(f.clicks, 0);
    QTest::keyRelease(f.box, Qt::Key_Space);
    QVERIFY(!f.box->Pressed());
    QCOMPARE(f.box->State(), cbChecked);
    QCOMPARE(f.clicks, 1);
    // Another key while held cancels the press.
    QTest::keyPress(f.box, Qt::Key_Space);
    QTest::keyClick(f.box, Qt::Key_Down);
    QVERIFY(!f.box->Pressed());
    QTest::keyRelease(f.box, Qt::Key_Space);
    QCOMPARE(f.box->State(), cbChecked);
    QCOMPARE(f.clicks, 1);
}

void TestCheckBox::acceleratorOfCaption_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accelerator");
    QTest::newRow("first letter") << "&Mic"
                                  << "M";
    QTest::newRow("inner letter") << "Li&ne In"
                                  << "n";
    QTest::newRow("doubled") << "Line && Mic"
                             << "";
    // Only the first "&" counts.
    QTest::newRow("doubled then single") << "A&&B &Cd"
                                         << "";
    QTest::newRow("last") << "Mic&"
                          << "";
    QTest::newRow("none") << "All Tune"
                          << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestCheckBox::acceleratorOfCaption() {
    QFETCH(QString, caption);
    QFETCH(QString, accelerator);
    TBWCCCheckBox box;
    box.SetCaption(caption);
    QCOMPARE(box.Accelerator().isNull() ? QString() : QString(box.Accelerator()), accelerator);
    QCOMPARE(box.text(), caption);
}

void TestCheckBox::acceleratorToggles() {
    CheckBoxFixture f;
    QVERIFY(f.showAndActivate());
    f.other->setFocus();
    QTest::keyClick(f.w(), Qt::Key_M, Qt::AltModifier);
    QCOMPARE(f.box->State(), cbChecked);
    QVERIFY(f.box->hasFocus());
    // The letter alone, while a check box has the focus.
    QTest::keyClick(f.w(), Qt::Key_L);
    QCOMPARE(f.other->State(), cbChecked);
    QVERIFY(f.other->hasFocus());
    QTest::keyClick(f.w(), Qt::Key_M);
    QCOMPARE(f.box->State(), cbUnchecked);
    // A box that cannot take the focus ignores its accelerator.
    f.box->setEnabled(false);
    QTest::keyClick(f.w(), Qt::Key_M, Qt::AltModifier);
    QTest::keyClick(f.w(), Qt::Key_M);
    QCOMPARE(f.box->State(), cbUnchecked);
    QCOMPARE(f.clicks, 2);
}

void TestCheckBox::doubledAmpersandShowsOne() {
    TBWCCCheckBox box(QStringLiteral("Line && Mic"), nullptr);
    const QImage shown = box.grab().toImage();
    // The same text with one "&", drawn plainly where the caption goes.
    const QRect caption = box.LayoutFor(box.size()).caption;
    const QRect room(caption.left(), 0, box.width() - caption.left(), 0);
    QCOMPARE(caption.width(),
             box.fontMetrics().boundingRect(room, Qt::TextWordWrap, QStringLiteral("Line & Mic")).width());
    QImage expected = shown.copy();
    {
        QPainter p(&expected);
        p.fillRect(caption, box.Color());
        p.setFont(box.font());
        p.setPen(box.palette().color(QPalette::WindowText));
        p.drawText(caption, Qt::TextWordWrap, QStringLiteral("Line & Mic"));
    }
    QCOMPARE(shown.copy(caption), expected.copy(caption));
}

void TestCheckBox::paints_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("mark");  // colour at the mark's corner, by role
    QTest::newRow("unchecked") << int(cbUnchecked) << true << "ground";
    QTest::newRow("checked") << int(cbChecked) << true << "check";
    QTest::newRow("grey") << int(cbGrayed) << true << "shadow";
    QTest::newRow("checked, disabled") << int(cbChecked) << false << "check";
}

void TestCheckBox::paints() {
    QFETCH(int, state);
    QFETCH(bool, enabled);
    QFETCH(QString, mark);
    TBWCCCheckBox box;
    QCOMPARE(box.size(), QSize(113, 17));
    box.SetCaption(QStringLiteral("Master"));
    box.SetCheckColor(QColor(255, 0, 0));
    box.SetState(TCheckBoxState(state));
    box.setEnabled(enabled);
    const QImage image = box.grab().toImage();
    const TBWCCCheckBox::Layout l = box.LayoutFor(box.size());
    QCOMPARE(l.box, QRect(QPoint(1, 2), QPoint(14, 15)));
    const QRgb shadow = box.palette().color(QPalette::Active, QPalette::Dark).rgb();
    const QRgb expected = mark == "check" ? qRgb(255, 0, 0) : mark == "shadow" ? shadow : box.Color().rgb();
    // The mark's bottom-left corner, where its short and long strokes meet.
    QCOMPARE(image.pixel(l.box.left() + 3, l.box.bottom() - 2), expected);
    // The bevel: highlight at the top left, shadow at the bottom right.
    QCOMPARE(image.pixel(l.box.left(), l.box.top()), box.palette().color(QPalette::Active, QPalette::Light).rgb());
    QCOMPARE(image.pixel(l.box.right(), l.box.bottom()), shadow);
    // Black caption text; disabled, half way to white.
    const int darkest = qGray(Darkest(image, l.caption));
    if (enabled)
        QVERIFY(darkest < 60);
    else
        QVERIFY2(darkest >= 120, qPrintable(QString::number(darkest)));
}

TAVLO_TEST_MAIN(TestCheckBox)
#include "test_check_box.moc"
