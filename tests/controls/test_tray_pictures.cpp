// The tray pictures: every one has the size asked for, shows something,
// and no two look alike.

#include "controls/tray_pictures.h"

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

QTEST_MAIN(TestTrayPictures)
#include "test_tray_pictures.moc"
