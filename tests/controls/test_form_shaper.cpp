// TFormShaper and its "FormShape" stream: good streams give their region,
// bad ones are refused and leave the window unshaped; a picture's outline.

#include "controls/form_shaper.h"
#include "support/test_main.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <QtEndian>

#include <initializer_list>
#include <memory>

namespace {

QByteArray Words(std::initializer_list<qint64> words) {
    QByteArray out;
    for (qint64 w : words) {
        char b[4];
        qToLittleEndian<quint32>(quint32(w), b);
        out.append(b, 4);
    }
    return out;
}

// A stream: byte count, header (dwSize, iType, nCount, nRgnSize, bounds), rectangles.
QByteArray Stream(std::initializer_list<qint64> header, const QByteArray& rects, qint64 countDelta = 0) {
    const QByteArray data = Words(header) + rects;
    return Words({data.size() + countDelta}) + data;
}

const QByteArray kTwo = Words({0, 0, 10, 5, 2, 5, 8, 9});  // (0,0)-(10,5) and (2,5)-(8,9)

}  // namespace

class TestFormShaper : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("good");
        QTest::addColumn<int>("area");
        QTest::newRow("two rectangles") << Stream({32, 1, 2, 32, 0, 0, 10, 9}, kTwo) << true << 50 + 24;
        QTest::newRow("nRgnSize left 0") << Stream({32, 1, 2, 0, 0, 0, 10, 9}, kTwo) << true << 74;
        QTest::newRow("side by side in a band")
            << Stream({32, 1, 2, 32, 0, 0, 9, 4}, Words({0, 0, 4, 4, 4, 0, 9, 4})) << true << 36;
        QTest::newRow("overlapping") << Stream({32, 1, 2, 32, 0, 0, 4, 4}, Words({0, 0, 4, 4, 2, 2, 4, 4})) << false
                                     << 0;
        QTest::newRow("bands out of order")
            << Stream({32, 1, 2, 32, 0, 0, 10, 9}, Words({2, 5, 8, 9, 0, 0, 10, 5})) << false << 0;
        QTest::newRow("empty rectangle skipped")
            << Stream({32, 1, 2, 32, 0, 0, 3, 3}, Words({0, 0, 3, 3, 5, 5, 5, 9})) << true << 9;
        QTest::newRow("only empty rectangles")  // found by fuzz_form_shape
            << Stream({32, 1, 2, 32, 0, 0, 0, 0}, Words({0, 0, 0, 262149, 393249, 0, 589824, 0})) << false << 0;
        QTest::newRow("no bytes") << QByteArray() << false << 0;
        QTest::newRow("count cut short") << QByteArray("\x40\x00", 2) << false << 0;
        QTest::newRow("truncated") << Stream({32, 1, 2, 32, 0, 0, 10, 9}, kTwo).chopped(3) << false << 0;
        QTest::newRow("count says more") << Stream({32, 1, 2, 32, 0, 0, 10, 9}, kTwo, +16) << false << 0;
        QTest::newRow("count says less") << Stream({32, 1, 2, 32, 0, 0, 10, 9}, kTwo, -16) << false << 0;
        QTest::newRow("absurd count") << (Words({0x7FFFFFF0}) + QByteArray(64, 0)) << false << 0;
        QTest::newRow("header only") << Stream({32, 1, 0, 0, 0, 0, 0, 0}, {}) << false << 0;
        QTest::newRow("short header") << Stream({32, 1, 0, 0}, {}) << false << 0;
        QTest::newRow("too many rectangles for the data") << Stream({32, 1, 3, 48, 0, 0, 10, 9}, kTwo) << false << 0;
        QTest::newRow("huge rectangle count") << Stream({32, 1, 0x10000000, 0, 0, 0, 10, 9}, kTwo) << false << 0;
        QTest::newRow("wrapping rectangle count")  // 16 × count wraps to 32 in 32 bits
            << Stream({32, 1, 0x10000002, 32, 0, 0, 10, 9}, kTwo) << false << 0;
        QTest::newRow("bytes past the rectangles") << Stream({32, 1, 1, 16, 0, 0, 10, 9}, kTwo) << false << 0;
        QTest::newRow("wrong dwSize") << Stream({40, 1, 2, 32, 0, 0, 10, 9}, kTwo) << false << 0;
        QTest::newRow("wrong iType") << Stream({32, 2, 2, 32, 0, 0, 10, 9}, kTwo) << false << 0;
        QTest::newRow("wrong nRgnSize") << Stream({32, 1, 2, 48, 0, 0, 10, 9}, kTwo) << false << 0;
        QTest::newRow("inside out") << Stream({32, 1, 1, 16, 0, 0, 10, 9}, Words({10, 0, 0, 5})) << false << 0;
        QTest::newRow("far out") << Stream({32, 1, 1, 16, 0, 0, 10, 9}, Words({-0x80000000LL, 0, 0x7FFFFFFF, 5}))
                                 << false << 0;
    }
    void parse() {
        QFETCH(QByteArray, stream);
        QFETCH(bool, good);
        QFETCH(int, area);
        const std::optional<QRegion> region = form_shape::ParseFormShape(stream);
        QCOMPARE(region.has_value(), good);
        if (!good) return;
        int covered = 0;
        for (const QRect& r : *region) covered += r.width() * r.height();
        QCOMPARE(covered, area);
    }

    void shaperTakesGoodRefusesBad() {
        QWidget window;
        window.resize(20, 20);
        TFormShaper shaper(&window);
        shaper.SetActive(true);  // no outline yet
        QVERIFY(!shaper.Active());
        QVERIFY(window.mask().isEmpty());

        const QByteArray good = Stream({32, 1, 2, 32, 0, 0, 10, 9}, kTwo);
        QVERIFY(shaper.SetShape(good));
        QCOMPARE(shaper.Shape(), good);  // the same bytes back
        shaper.SetActive(true);
        QVERIFY(shaper.Active());
        QVERIFY(window.mask().contains(QPoint(9, 0)) && !window.mask().contains(QPoint(9, 8)));

        QVERIFY(!shaper.SetShape(good.chopped(1)));
        QVERIFY(!shaper.Active());
        QVERIFY(window.mask().isEmpty());  // unshaped
        QVERIFY(shaper.Shape().isEmpty());

        QVERIFY(shaper.SetShape(good));
        shaper.SetActive(true);
        QVERIFY(shaper.SetShape({}));  // an empty stream takes the outline away
        QVERIFY(!shaper.Active() && window.mask().isEmpty() && shaper.Shape().isEmpty());
    }

    void controlToShape() {
        QWidget owner;
        auto other = std::make_unique<QWidget>();
        TFormShaper shaper(&owner);
        QVERIFY(shaper.SetShape(form_shape::FormShapeOf(QRegion(1, 1, 3, 3))));
        shaper.SetControlToShape(other.get());
        shaper.SetActive(true);
        QCOMPARE(other->mask(), QRegion(1, 1, 3, 3));
        QVERIFY(owner.mask().isEmpty());
        shaper.SetControlToShape(nullptr);  // deactivates the old one first
        QVERIFY(!shaper.Active() && other->mask().isEmpty());
        shaper.SetControlToShape(other.get());
        shaper.SetActive(true);
        other.reset();
        QVERIFY(!shaper.Active() && !shaper.ControlToShape());
    }

    void outlineOfAPicture() {
        QImage picture(12, 6, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.fillRect(1, 0, 4, 6, Qt::red);
        p.fillRect(8, 2, 3, 2, Qt::blue);
        p.end();
        const QRegion outline = form_shape::OpaqueRegion(picture, QPoint(-2, 50));
        QVERIFY(outline.xored(QRegion(-1, 50, 4, 6).united(QRegion(6, 52, 3, 2))).isEmpty());
        // Through its own stream and back.
        const std::optional<QRegion> back = form_shape::ParseFormShape(form_shape::FormShapeOf(outline));
        QVERIFY(back);
        QVERIFY(back->xored(outline).isEmpty());
    }
};

TAVLO_TEST_MAIN(TestFormShaper)
#include "test_form_shaper.moc"
