#include "strips/window_frame.h"

#include "controls/panel.h"
#include "strips/strip_pictures.h"

#include <QLabel>
#include <QWidget>

namespace {

QLabel* picture(QWidget* window, const char* name) {
    auto* l = new QLabel(window);
    l->setObjectName(QString::fromLatin1(name));
    l->setScaledContents(true);
    return l;
}

TPanel* corner(QWidget* window, const char* name, QRect r, const char* caption, const char* hint) {
    auto* p = new TPanel(window);
    p->setObjectName(QString::fromLatin1(name));
    p->setGeometry(r);
    p->SetCaption(QString::fromLatin1(caption));
    p->setToolTip(QString::fromLatin1(hint));
    QFont f = p->font();
    f.setPixelSize(9);
    p->setFont(f);
    return p;
}

}  // namespace

WindowFrame::WindowFrame(QWidget* window, int width, int height, const char* cornerHint) : window_(window) {
    const int side = height - 19 - 12;
    Image1 = picture(window, "Image1");
    Image1->setGeometry(0, 0, width, 19);
    Image1->setPixmap(strip_pictures::border({width, 19}, true));
    Image1->setToolTip(QStringLiteral("Click here and drag to move the mixer..."));
    Image2 = picture(window, "Image2");
    Image2->setGeometry(0, 19, 10, side);
    Image2->setPixmap(strip_pictures::border({10, side}, false));
    Image3 = picture(window, "Image3");
    Image3->setGeometry(0, height - 12, width, 12);
    Image3->setPixmap(strip_pictures::border({width, 12}, true));
    Image3->setToolTip(QStringLiteral("Right-click show the menu, "));
    Image4 = picture(window, "Image4");
    Image4->setPixmap(strip_pictures::border({10, side}, false));
    Image4->setGeometry(width - 10, 19, 10, side);

    Label14 = new QLabel(QStringLiteral("<-- click here to move mixer -->"), window);
    Label14->setObjectName(QStringLiteral("Label14"));
    Label14->setGeometry(13, 1, 774, 16);
    Label14->setAlignment(Qt::AlignCenter);
    Label14->setToolTip(QStringLiteral("Right-click show the menu, Click here to move the mixer..."));
    QFont f = Label14->font();
    f.setPixelSize(11);
    f.setBold(true);
    Label14->setFont(f);

    Panel2 = corner(window, "Panel2", QRect(0, 0, 13, 20), "X", cornerHint);
    Panel32 = corner(window, "Panel32", QRect(0, height - 14, 14, 14), "X", cornerHint);
    Panel108 = corner(window, "Panel108", QRect(858, 0, 14, 20), "x", cornerHint);
    Panel107 = corner(window, "Panel107", QRect(858, height - 14, 14, 14), "X", cornerHint);
}

void WindowFrame::SetWidth(int width) {
    const int h = window_->height();
    window_->setFixedWidth(width);
    Image1->setGeometry(0, 0, width, 19);
    Image3->setGeometry(0, h - 12, width, 12);
    Image4->move(width - 10, 19);
    Panel108->move(width - 14, 0);
    Panel107->move(width - 14, h - 14);
    Label14->resize(width - 14, Label14->height());
}
