// The Office-97 menu look: the banner's bands and turned text, measured
// item heights, the highlight bar, check and radio marks, separators with a
// text, embossed disabled items, the hint, and that the items still work.

#include "controls/menus97.h"
#include "support/test_main.h"

#include <QActionGroup>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QColor kGreen{0, 128, 0};
const QColor kLime{0, 255, 0};

// A menu shaped like the program's: checked items, a submenu, separators.
struct MenuFixture {
    QWidget owner;
    QMenu* menu = new QMenu(&owner);
    QMenu* looks = nullptr;
    TPopupMenus97 styled{&owner};
    QAction* card1;
    QAction* card2;
    QAction* radio;
    QAction* heading;
    QAction* plain;
    QAction* disabled;

    MenuFixture() {
        card1 = menu->addAction(QStringLiteral("Audio card 1"));
        card1->setCheckable(true);
        card1->setChecked(true);
        card2 = menu->addAction(QStringLiteral("Audio card 2"));
        card2->setCheckable(true);
        for (const char* c : {"Audio card 3", "Audio card 4", "Audio card 5"})
            menu->addAction(QString::fromLatin1(c))->setCheckable(true);
        menu->addSeparator();
        looks = menu->addMenu(QStringLiteral("Looks"));
        auto* group = new QActionGroup(looks);
        radio = group->addAction(looks->addAction(QStringLiteral("Colored borders")));
        radio->setCheckable(true);
        radio->setChecked(true);
        heading = menu->addAction(QStringLiteral("-Windows"));
        plain = menu->addAction(QStringLiteral("Visible channels"));
        plain->setStatusTip(QStringLiteral("Pick the strips"));
        disabled = menu->addAction(QStringLiteral("About Tavlo by Varnel"));
        disabled->setEnabled(false);
        for (const char* c : {"Magnet between the mixers", "Animated window", "-", "Terminate Tavlo and Quit", "-",
                              "Save your configuration", "OK, close the menu..."})
            if (c[0] == '-')
                menu->addSeparator();
            else
                menu->addAction(QString::fromLatin1(c));
        // The program's instance.
        QFont banner(QStringLiteral("Arial"));
        banner.setPixelSize(16);
        styled.SetBanner(true);
        styled.SetBannerText(QStringLiteral("Varnel Prototyping"));
        styled.SetBannerFont(banner);
        styled.SetBannerColor(kGreen);
        styled.SetBannerEndColor(kLime);
        styled.SetBannerWidth(20);
        styled.SetBannerJustification(bjCenter);
        styled.SetPopupMenu(menu);
    }
    QImage shot(QMenu* m = nullptr) {
        m = m ? m : menu;
        if (!m->isVisible()) {
            m->popup(QPoint(50, 50));
            if (!QTest::qWaitForWindowExposed(m)) return {};
        }
        return m->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QRect banner() const {  // inside the two-pixel frame
        return {2, 2, 20, menu->height() - 4};
    }
};

int Count(const QImage& image, const QRect& area, const std::function<bool(QColor)>& wanted) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += wanted(image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

bool Dark(QColor c) { return c.alpha() > 0 && qGray(c.rgb()) < 60; }
bool Light(QColor c) { return qGray(c.rgb()) > 235; }
bool Shadow(QColor c) { return qAbs(c.red() - 128) < 16 && qAbs(c.green() - 128) < 16 && qAbs(c.blue() - 128) < 16; }

// The bounding box of the banner's dark pixels.
QRect Ink(const QImage& image, const QRect& area) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Dark(image.pixelColor(x, y))) ink |= QRect(x, y, 1, 1);
    return ink;
}

}  // namespace

class TestMenus97 : public QObject {
    Q_OBJECT
private slots:
    void bands_data() {
        QTest::addColumn<QColor>("start");
        QTest::addColumn<QColor>("end");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("probe");  // a band to look at
        QTest::addColumn<int>("probeTop");
        QTest::addColumn<QColor>("probeColor");
        QTest::newRow("green to lime") << kGreen << kLime << 16 << 160 << 16 << 1 << 12 << QColor(0, 136, 0);
        QTest::newRow("last is the end") << kGreen << kLime << 16 << 160 << 16 << 15 << 152 << kLime;
        QTest::newRow("rounded split") << QColor(0, 0, 0) << QColor(30, 60, 90) << 4 << 10 << 4 << 2 << 7
                                       << QColor(20, 40, 60);
        QTest::newRow("same colours") << kGreen << kGreen << 16 << 160 << 1 << 0 << 2 << kGreen;
        QTest::newRow("one colour") << kGreen << kLime << 1 << 160 << 1 << 0 << 2 << kGreen;
        QTest::newRow("no colours") << kGreen << kLime << 0 << 160 << 1 << 0 << 2 << kGreen;
    }
    void bands() {
        QFETCH(QColor, start);
        QFETCH(QColor, end);
        QFETCH(int, n);
        QFETCH(int, height);
        const auto bands = menus97::BannerBands(start, end, n, 2, height);
        QTEST(int(bands.size()), "count");
        QFETCH(int, probe);
        QTEST(bands[probe].top, "probeTop");
        QTEST(bands[probe].color, "probeColor");
        // No gaps, no overlaps, the whole height.
        QCOMPARE(bands.front().top, 2);
        QCOMPARE(bands.back().bottom, 2 + height);
        for (std::size_t i = 1; i < bands.size(); ++i) QCOMPARE(bands[i].top, bands[i - 1].bottom);
    }

    void textRect_data() {
        QTest::addColumn<int>("just");
        QTest::addColumn<bool>("image");
        QTest::addColumn<QRect>("expected");
        // Banner (2, 2) 20 x 300; text 100 long, 18 thick.
        QTest::newRow("centre") << int(bjCenter) << false << QRect(3, 102, 18, 100);
        QTest::newRow("top") << int(bjTop) << false << QRect(3, 3, 18, 100);
        QTest::newRow("bottom") << int(bjBottom) << false << QRect(3, 201, 18, 100);
        QTest::newRow("bottom above image") << int(bjBottom) << true << QRect(3, 177, 18, 100);
        QTest::newRow("centre above image") << int(bjCenter) << true << QRect(3, 90, 18, 100);
    }
    void textRect() {
        QFETCH(int, just);
        QFETCH(bool, image);
        QTEST(menus97::BannerTextRect(QRect(2, 2, 20, 300), 100, 18, TBannerJustification(just), image), "expected");
    }

    void itemHeights_data() {
        QTest::addColumn<int>("fixed");
        QTest::addColumn<int>("extra");  // added by OnMeasureItem
        QTest::addColumn<bool>("separator");
        QTest::newRow("measured") << 0 << 0 << false;
        QTest::newRow("fixed") << 30 << 0 << false;
        QTest::newRow("measure event") << 0 << 5 << false;
        QTest::newRow("separator keeps its height") << 30 << 0 << true;
    }
    void itemHeights() {
        QFETCH(int, fixed);
        QFETCH(int, extra);
        QFETCH(bool, separator);
        MenuFixture f;
        QAction* seen = nullptr;
        if (extra)
            f.styled.OnMeasureItem = [&](TPopupMenus97*, QAction* item, int& h, int&) {
                if (item == f.plain) seen = item, h += extra;
            };
        f.styled.SetItemHeight(fixed);
        f.shot();
        const int measured =
            menus97::MeasuredHeight(QFontMetrics(f.styled.Font()).height(), f.styled.MarkWidth(), false);
        QAction* item = separator ? f.menu->actions().at(5) : f.plain;
        const int expected = separator ? 8 : (fixed ? fixed : measured + extra);
        QCOMPARE(f.menu->actionGeometry(item).height(), expected);
        if (extra) QCOMPARE(seen, f.plain);
        // The first column makes room for the banner.
        QCOMPARE(f.menu->actionGeometry(f.card1).left(), 2 + 20 + 2);
    }

    void banner_data() {
        QTest::addColumn<int>("just");
        QTest::newRow("centre") << int(bjCenter);
        QTest::newRow("top") << int(bjTop);
        QTest::newRow("bottom") << int(bjBottom);
    }
    void banner() {
        QFETCH(int, just);
        MenuFixture f;
        f.styled.SetBannerJustification(TBannerJustification(just));
        const QImage img = f.shot();
        QVERIFY(!img.isNull());
        const QRect strip = f.banner();
        QVERIFY(strip.height() > 250);
        const QRect ink = Ink(img, strip);
        QVERIFY(!ink.isEmpty());
        // Turned text: long down the strip, narrow across it, centred across.
        QVERIFY2(ink.height() > 4 * ink.width(),
                 qPrintable(QStringLiteral("ink %1x%2").arg(ink.width()).arg(ink.height())));
        QVERIFY(qAbs(ink.center().x() - strip.center().x()) <= 3);
        if (just == bjCenter) QVERIFY(qAbs(ink.center().y() - strip.center().y()) <= 3);
        if (just == bjTop) QVERIFY(ink.top() - strip.top() <= 5);
        if (just == bjBottom) QVERIFY(strip.bottom() - ink.bottom() <= 6);
        // Read bottom-up: "Varnel" (no descenders) is at the bottom, the
        // descenders of "yping" at the top stick out to the right.
        const QRect topQuarter(ink.left(), ink.top(), ink.width(), ink.height() / 4);
        const QRect bottomQuarter(ink.left(), ink.bottom() - ink.height() / 4, ink.width(), ink.height() / 4);
        QVERIFY(Ink(img, topQuarter).right() > Ink(img, bottomQuarter).right() + 2);
        // The bands, read where the text is not: green at the top, lime at the bottom, lighter going down.
        const QRect free = just == bjTop ? QRect(strip.left(), ink.bottom() + 2, 20, strip.bottom() - ink.bottom() - 1)
                                         : QRect(strip.left(), strip.top(), 20, ink.top() - strip.top() - 1);
        QCOMPARE(img.pixelColor(strip.left(), strip.top()),
                 just == bjTop ? img.pixelColor(strip.left(), strip.top()) : kGreen);
        QCOMPARE(img.pixelColor(strip.right(), strip.bottom()),
                 just == bjBottom ? img.pixelColor(strip.right(), strip.bottom()) : kLime);
        int last = -1;
        for (int y = free.top(); y <= free.bottom(); ++y) {
            const QColor c = img.pixelColor(strip.left(), y);
            QCOMPARE(c.red(), 0);
            QVERIFY(c.green() >= last);
            last = c.green();
        }
    }

    void highlight_data() {
        QTest::addColumn<int>("look");
        QTest::addColumn<bool>("checkedItem");
        QTest::addColumn<bool>("barOverMarks");
        QTest::newRow("plain item") << int(mlOffice97Look) << false << true;
        QTest::newRow("Office 97 keeps the marks out") << int(mlOffice97Look) << true << false;
        QTest::newRow("IE4 covers them") << int(mlIE4Look) << true << true;
    }
    void highlight() {
        QFETCH(int, look);
        QFETCH(bool, checkedItem);
        QFETCH(bool, barOverMarks);
        MenuFixture f;
        f.styled.SetMenus97Look(TMenus97Look(look));
        QAction* item = checkedItem ? f.card1 : f.plain;
        f.shot();
        f.menu->setActiveAction(item);
        const QImage img = f.shot();
        const QRect r = f.menu->actionGeometry(item);
        QCOMPARE(img.pixelColor(r.right() - 2, r.top() + 1), kHighlight);
        QCOMPARE(img.pixelColor(r.left(), r.top()) == kHighlight, barOverMarks);
        // The selected caption in the highlight-text colour, the others in the brush.
        QVERIFY(Count(img, r, Light) > 10);
        const QRect other = f.menu->actionGeometry(checkedItem ? f.plain : f.card2);
        QCOMPARE(Count(img, other, [](QColor c) { return c == kHighlight; }), 0);
        QCOMPARE(img.pixelColor(other.right() - 2, other.top() + 1), kButtonFace);
    }

    void marks_data() {
        QTest::addColumn<int>("which");  // 0 card1 (checked), 1 card2 (not), 2 radio (checked)
        QTest::addColumn<int>("inkPixels");
        QTest::newRow("check") << 0 << Count(TPopupMenus97::CheckMark(), TPopupMenus97::CheckMark().rect(), Dark);
        QTest::newRow("unchecked") << 1 << 0;
        QTest::newRow("radio") << 2 << Count(TPopupMenus97::RadioMark(), TPopupMenus97::RadioMark().rect(), Dark);
    }
    void marks() {
        QFETCH(int, which);
        MenuFixture f;
        QMenu* m = which == 2 ? f.looks : f.menu;
        QAction* item = which == 0 ? f.card1 : which == 1 ? f.card2 : f.radio;
        const QImage img = f.shot(m);
        QVERIFY(!img.isNull());
        const QRect r = m->actionGeometry(item);
        const int mark = f.styled.MarkWidth();
        const QRect column(r.left() + 2, r.top() + (r.height() - mark) / 2, mark, mark);
        QTEST(Count(img, column, Dark), "inkPixels");
        QVERIFY(Count(img, column, Dark) !=
                    Count(TPopupMenus97::CheckMark(), TPopupMenus97::CheckMark().rect(), Dark) ||
                which == 0);
        // The submenu has the look but no banner.
        if (which == 2) QCOMPARE(r.left(), 2);
    }

    void embossed_data() {
        QTest::addColumn<bool>("heading");
        QTest::newRow("separator with text") << true;
        QTest::newRow("disabled item") << false;
    }
    void embossed() {
        QFETCH(bool, heading);
        MenuFixture f;
        QAction* item = heading ? f.heading : f.disabled;
        QVERIFY(!item->isEnabled());
        const QImage img = f.shot();
        const QRect r = f.menu->actionGeometry(item);
        const int mid = r.top() + r.height() / 2 - 1;
        QCOMPARE(Count(img, r, Dark), 0);
        QVERIFY(Count(img, r, Shadow) > 20);
        QVERIFY(Count(img, r, Light) > 20);
        // The etched line: shadow then highlight one lower, from one pixel in; not on a plain disabled item.
        const QColor at = img.pixelColor(r.left() + 1, mid);
        QCOMPARE(at == kButtonShadow && img.pixelColor(r.left() + 1, mid + 1) == kButtonHighlight, heading);
        QCOMPARE(img.pixelColor(r.left(), mid), kButtonFace);
        // Selected, it gets no bar.
        f.menu->setActiveAction(item);
        QCOMPARE(Count(f.shot(), r, [](QColor c) { return c == kHighlight; }), 0);
    }

    void hint() {
        MenuFixture f;
        QStringList seen;
        f.styled.OnHint = [&](TPopupMenus97* sender, QAction* item, QString& hint) {
            QCOMPARE(sender, &f.styled);
            seen << item->text() + QLatin1Char('|') + hint;
            if (item == f.plain) hint = QStringLiteral("Choose the strips each window shows");
        };
        f.shot();
        f.menu->setActiveAction(f.plain);
        QCOMPARE(f.styled.Hint(), QStringLiteral("Choose the strips each window shows"));
        f.menu->update();
        QTest::qWait(20);  // repaints do not raise it again
        f.menu->setActiveAction(f.card2);
        QCOMPARE(f.styled.Hint(), QString());
        QCOMPARE(seen,
                 QStringList({QStringLiteral("Visible channels|Pick the strips"), QStringLiteral("Audio card 2|")}));
    }

    void drawItemAndTrigger() {
        MenuFixture f;
        int drawn = 0;
        f.styled.OnDrawItem = [&](TPopupMenus97*, QMenu*, QAction* item, QPainter& p, QStyle::State, const QRect& r) {
            if (item != f.card2) return false;
            ++drawn;
            p.fillRect(r, Qt::magenta);
            return true;
        };
        const QImage img = f.shot();
        QVERIFY(drawn > 0);
        const QRect r = f.menu->actionGeometry(f.card2);
        QCOMPARE(Count(img, r, [](QColor c) { return c == QColor(Qt::magenta); }), r.width() * r.height());
        // The actions work as before.
        QSignalSpy triggered(f.card2, &QAction::triggered);
        f.menu->setActiveAction(f.card2);
        QTest::keyClick(f.menu, Qt::Key_Return);
        QCOMPARE(triggered.count(), 1);
        QVERIFY(f.card2->isChecked());
    }

    void desktopMenuFont() {
        // The desktop's menu font, whatever it is, measures and draws the items.
        const QFont before = QApplication::font("QMenu");
        QFont desktop(QStringLiteral("DejaVu Serif"));
        desktop.setPointSize(17);
        QApplication::setFont(desktop, "QMenu");
        {
            MenuFixture f;
            QCOMPARE(f.styled.Font(), QApplication::font("QMenu"));
            QCOMPARE(f.styled.Font().pointSize(), 17);
            f.shot();
            QCOMPARE(f.menu->actionGeometry(f.plain).height(),
                     menus97::MeasuredHeight(QFontMetrics(desktop).height(), f.styled.MarkWidth(), false));
        }
        QApplication::setFont(before, "QMenu");
    }

    void detach() {
        MenuFixture f;
        QStyle* ours = f.menu->style();
        QCOMPARE(f.looks->style(), ours);
        f.styled.SetPopupMenu(nullptr);
        QVERIFY(f.menu->style() != ours);
        QVERIFY(f.looks->style() != ours);
        QCOMPARE(f.menu->contentsMargins().left(), 0);
        QCOMPARE(f.styled.PopupMenu(), nullptr);
    }
};

TAVLO_TEST_MAIN(TestMenus97)
#include "test_menus97.moc"
