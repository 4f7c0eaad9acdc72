#include "app/splash.h"

#include "controls/form_shaper.h"
#include "strips/shared_state.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {
constexpr QSize kClientSize(238, 178);
constexpr QSize kSplashSize(241, 127);  // the picture's size, the splash's once hidden
constexpr QPoint kPictureAt(-2, 50);

// The splash picture. What is not transparent is the window's outline, so
// the body is drawn without antialiasing: its edge pixels are whole.
QImage DrawPicture(const QString& versionText) {
    QImage picture(kSplashSize, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    const QColor navy(0, 0, 128), silver(192, 192, 192), grey(128, 128, 128), lime(0, 255, 0), yellow(255, 255, 0);
    QPainterPath body;
    body.addRoundedRect(QRectF(5, 3, 234, 118), 22, 22);
    // The knob rounds the top right corner off more widely than the others.
    body.addEllipse(QRectF(174, 3, 56, 56));
    body.setFillRule(Qt::WindingFill);  // where the two overlap is body too
    p.fillPath(body.simplified(), silver);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(9, 7, 226, 110), 18, 18);
    p.fillPath(inner, navy);
    // Fader tracks with their cursors.
    for (int i = 0; i < 4; ++i) {
        const int x = 24 + i * 18;
        p.fillRect(x, 22, 3, 64, QColor(0, 0, 0));
        p.fillRect(x - 5, 30 + (i * 17) % 50, 13, 6, i == 0 ? lime : silver);
    }
    // The knob with its mark.
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(grey);
    p.setPen(QPen(silver, 2));
    p.drawEllipse(QPointF(202, 31), 20, 20);
    p.setPen(QPen(yellow, 3));
    p.drawLine(QPointF(202, 31), QPointF(190, 19));
    // The name and the version.
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(lime);
    p.drawText(QRect(100, 44, 136, 44), Qt::AlignCenter, QStringLiteral("Tavlo"));
    QFont small(QStringLiteral("Sans Serif"));
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(silver);
    p.drawText(QRect(9, 92, 226, 18), Qt::AlignCenter, versionText);
    return picture;
}
}  // namespace

TForm3::TForm3(SharedState& state)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), state_(state) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    FormShaper1 = new TFormShaper(this);
    FormShaper1->setObjectName(QStringLiteral("FormShaper1"));
    resize(kClientSize);
    centre();
    FormCreate();
}

void TForm3::centre() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm3::FormCreate() {
    state_.TracesOff = true;
    state_.VersionText = QStringLiteral("Tavlo ver 1.0.020522.");
    picture_ = DrawPicture(state_.VersionText);
    // The outline travels as the shaper's stream, as a stored one would.
    FormShaper1->SetShape(form_shape::FormShapeOf(form_shape::OpaqueRegion(picture_, kPictureAt)));
    FormShaper1->SetActive(true);
}

void TForm3::hideSplash() {
    hide();
    resize(kSplashSize);
    centre();
}

void TForm3::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.drawImage(kPictureAt, picture_);
}
