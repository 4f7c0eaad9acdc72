// Build tool: writes the program's icon as a hicolor theme tree, a PNG
// drawn at each size and an SVG for "scalable", from the same drawing the
// program uses for its windows.
//
//   make_icons OUTDIR NAME SIZE...
// writes OUTDIR/SIZExSIZE/apps/NAME.png for each SIZE and
// OUTDIR/scalable/apps/NAME.svg.

#include "controls/app_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

// The scalable icon is drawn with the full detail, on this many units.
constexpr int kScalableUnits = 128;

bool writePng(const QString& dir, const QString& name, int size) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!QDir().mkpath(folder) || !AppIconImage(size).save(path, "PNG")) {
        std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeSvg(const QString& dir, const QString& name) {
    const QString folder = dir + QStringLiteral("/scalable/apps");
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".svg");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "make_icons: cannot make %s\n", qPrintable(folder));
        return false;
    }
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(kScalableUnits, kScalableUnits));
    svg.setViewBox(QRect(0, 0, kScalableUnits, kScalableUnits));
    svg.setTitle(name);
    QPainter p;
    if (!p.begin(&svg)) {
        std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    DrawAppIcon(p, kScalableUnits);
    return p.end();
}

}  // namespace

int main(int argc, char* argv[]) {
    // A GUI application: the SVG writer takes the default font from it.
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: make_icons OUTDIR NAME SIZE...\n");
        return 2;
    }
    bool ok = true;
    for (const QString& text : args.mid(2)) {
        bool number = false;
        const int size = text.toInt(&number);
        if (!number || size < 1 || size > 1024) {
            std::fprintf(stderr, "make_icons: \"%s\" is not an icon size\n", qPrintable(text));
            return 2;
        }
        ok = writePng(args[0], args[1], size) && ok;
    }
    ok = writeSvg(args[0], args[1]) && ok;
    return ok ? 0 : 1;
}
