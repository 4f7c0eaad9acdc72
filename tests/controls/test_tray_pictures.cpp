// The tray pictures: every one has the size asked for, shows something,
// and no two look alike. The application icon made from their glyphs: a
// rounded window with its title band at every size, and the corner button
// and speaker only where the size carries them.

#include "controls/app_icon.h"
#include "controls/tray_pictures.h"
#include "support/test_main.h"

#include <QtTest>

namespace {

const QList<TrayPicture> kAll = {TrayPicture::soundyesi, TrayPicture::soundyesno, TrayPicture::soundnoi,
                                 TrayPicture::recplay,   TrayPicture::recplayno,  TrayPicture::reci,
                                 TrayPicture::recino,    TrayPicture::vui,        TrayPicture::vuino};

}  // namespace

class TestTrayPictures : public QObject {
    Q_OBJECT
private slots:
    void sizedAndPairwiseDifferent_data();
    void sizedAndPairwiseDifferent();
    void appIconAtEachSize_data();
    void appIconAtEachSize();
};

void TestTrayPictures::sizedAndPairwiseDifferent_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("tray 16") << 16;
    QTest::newRow("panel 22") << 22;
    QTest::newRow("large 32") << 32;
}

void TestTrayPictures::sizedAndPairwiseDifferent() {
    QFETCH(int, size);
    QList<QImage> images;
    for (TrayPicture p : kAll) {
        const QImage image = DrawTrayPicture(p, size).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
        // Something that reads, not a speck: at least a sixth of the square.
        QVERIFY2(opaque * 6 >= size * size, qPrintable(QString::number(int(p))));
        images << image;
    }
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j], qPrintable(QStringLiteral("%1 = %2").arg(i).arg(j)));
    // The icon the tray picks from holds the same picture at each size.
    const QIcon icon = TrayPictureIcon(TrayPicture::soundnoi);
    QCOMPARE(icon.pixmap(size).toImage().convertToFormat(images[2].format()), images[2]);
}

void TestTrayPictures::appIconAtEachSize_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("detailed");
    QTest::newRow("menu 16") << 16 << false;
    QTest::newRow("32") << 32 << false;
    QTest::newRow("first detailed 48") << 48 << true;
    QTest::newRow("launcher 128") << 128 << true;
}

void TestTrayPictures::appIconAtEachSize() {
    QFETCH(int, size);
    QFETCH(bool, detailed);
    const QImage image = AppIconImage(size);
    QCOMPARE(image.size(), QSize(size, size));
    // Rounded: the corner pixels stay clear, the middle is covered.
    for (const QPoint corner : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)})
        QVERIFY2(qAlpha(image.pixel(corner)) < 64,
                 qPrintable(QStringLiteral("corner %1,%2").arg(corner.x()).arg(corner.y())));
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    // The title band is blue across the top, below the rim.
    const QColor band = image.pixelColor(size / 3, size / 8);
    QVERIFY2(band.blue() > 120 && band.red() < 60 && band.green() < 60, qPrintable(band.name()));
    // The window's silver corner button at the band's right end, only where
    // the size carries it (the grey rim is darker than silver).
    int silver = 0;
    for (int y = 0; y < size / 5; ++y)
        for (int x = size * 3 / 4; x < size; ++x) {
            const QColor c = image.pixelColor(x, y);
            silver += c.alpha() == 255 && c.red() > 170 && c.red() == c.green() && c.green() == c.blue();
        }
    QCOMPARE(silver > 0, detailed);
    // The windows' icon offers the same picture.
    QCOMPARE(AppIcon().pixmap(size).toImage().convertToFormat(image.format()), image);
}

TAVLO_TEST_MAIN(TestTrayPictures)
#include "test_tray_pictures.moc"
