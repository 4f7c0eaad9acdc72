#include "app/about_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TForm5::TForm5(const QString& versionText) : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form5"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("             About Tavlo by Varnel Prototyping"));
    setFixedSize(334, 157);
    auto* label = new QLabel(versionText, this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(0, 24, 334, 20);
    label->setAlignment(Qt::AlignCenter);
    auto* by = new QLabel(QStringLiteral("Varnel Prototyping"), this);
    by->setGeometry(0, 56, 334, 20);
    by->setAlignment(Qt::AlignCenter);
    // Without a window manager there is no title bar to close it from.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setGeometry(127, 112, 80, 26);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm5::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit shown();
}

void TForm5::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit hidden();
}
