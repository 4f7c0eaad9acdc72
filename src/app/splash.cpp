#include "app/splash.h"

#include "strips/shared_state.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace {
constexpr QSize kSplashSize(241, 127);
}

TForm3::TForm3(SharedState& state)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), state_(state) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    resize(kSplashSize);
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
}

void TForm3::hideSplash() {
    hide();
    resize(kSplashSize);
    centre();
}

void TForm3::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(40, 48, 60));
    g.setColorAt(1, QColor(10, 12, 16));
    p.fillRect(rect(), g);
    p.setPen(QColor(0, 255, 0));
    QFont title = font();
    title.setPointSize(22);
    title.setBold(true);
    p.setFont(title);
    p.drawText(rect().adjusted(0, 10, 0, -40), Qt::AlignCenter, QStringLiteral("Tavlo"));
    p.setPen(QColor(192, 192, 192));
    QFont small = font();
    small.setPointSize(8);
    p.setFont(small);
    p.drawText(rect().adjusted(0, 0, 0, -14), Qt::AlignHCenter | Qt::AlignBottom, state_.VersionText);
    p.setPen(QPen(QColor(192, 192, 192), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
