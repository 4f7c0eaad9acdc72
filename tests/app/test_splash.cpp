// The splash window: its picture, and the outline that follows the picture,
// carried through its shaper's "FormShape" stream.

#include "app/splash.h"
#include "controls/form_shaper.h"
#include "strips/shared_state.h"
#include "support/test_main.h"

#include <QTest>

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void outlineFollowsThePicture() {
        SharedState state;
        TForm3 splash(state);
        QCOMPARE(state.VersionText, QStringLiteral("Tavlo ver 1.0.020522."));
        QVERIFY(state.TracesOff);
        QCOMPARE(splash.size(), QSize(238, 178));
        QCOMPARE(splash.Picture().size(), QSize(241, 127));
        TFormShaper* shaper = splash.findChild<TFormShaper*>(QStringLiteral("FormShaper1"));
        QVERIFY(shaper && shaper->Active());

        // The stream the shaper holds describes the window's outline.
        const std::optional<QRegion> stored = form_shape::ParseFormShape(shaper->Shape());
        QVERIFY(stored);
        const QRegion outline = splash.mask();
        QVERIFY(stored->xored(outline).isEmpty());
        QVERIFY(outline.rectCount() > 4);  // more than a rectangle
        QVERIFY(outline.xored(form_shape::OpaqueRegion(splash.Picture(), QPoint(-2, 50))).isEmpty());
        // Above the picture and its rounded corners lie outside, its middle inside.
        QVERIFY(splash.rect().contains(outline.boundingRect()));
        for (QPoint outside : {QPoint(0, 0), QPoint(120, 20), QPoint(4, 54), QPoint(237, 170)})
            QVERIFY2(!outline.contains(outside), qPrintable(QStringLiteral("%1,%2").arg(outside.x()).arg(outside.y())));
        QVERIFY(outline.contains(QPoint(120, 110)));
        // The picture shows the program's name in lime.
        const QImage& picture = splash.Picture();
        bool lime = false;
        for (int y = 44; y < 88 && !lime; ++y)
            for (int x = 100; x < 236 && !lime; ++x) lime = picture.pixelColor(x, y) == QColor(0, 255, 0);
        QVERIFY(lime);

        splash.show();
        splash.hideSplash();
        QVERIFY(!splash.isVisible());
        QCOMPARE(splash.size(), QSize(241, 127));
    }
};

TAVLO_TEST_MAIN(TestSplash)
#include "test_splash.moc"
