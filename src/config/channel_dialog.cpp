#include "config/channel_dialog.h"

#include <QCheckBox>
#include <QLabel>

namespace {

QCheckBox* checkBox(QWidget* parent, const QString& name, QRect geometry) {
    auto* b = new QCheckBox(QStringLiteral("All Tune"), parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setChecked(true);
    return b;
}

QLabel* label(QWidget* parent, const char* name, QRect geometry, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QWidget* shape(QWidget* parent, const char* name, QRect geometry, const char* style) {
    auto* w = new QWidget(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    w->setStyleSheet(QStringLiteral("#%1 { %2 }").arg(QString::fromLatin1(name), QString::fromLatin1(style)));
    w->setAttribute(Qt::WA_StyledBackground);
    return w;
}

}  // namespace

TForm4::TForm4()
    : TavloWindow(QStringLiteral("Form4"),
                  QStringLiteral("       Select the channels that you want to see in Tavlo.")) {
    setFixedSize(520, 352);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    shape(this, "Shape3", QRect(18, 28, 241, 307),
          "background: rgb(128,255,128); border: 1px solid silver; border-radius: 8px;");
    shape(this, "Shape2", QRect(262, 28, 241, 242),
          "background: rgb(255,128,128); border: 1px solid gray; border-radius: 8px;");
    Label14 = label(this, "Label14", QRect(14, 6, 492, 16), "<-- click here to move mixer -->");
    Label14->setStyleSheet(QStringLiteral("color: silver;"));
    Label2 = label(this, "Label2", QRect(23, 33, 226, 18), "Play Channel");
    Label3 = label(this, "Label3", QRect(272, 33, 219, 18), "Rec Channel");

    tuch = checkBox(this, QStringLiteral("tuch"), QRect(27, 53, 220, 17));
    static constexpr int kPlayY[] = {74, 95, 116, 137, 158, 178, 199, 220, 241, 263, 284, 306};
    static constexpr int kPlayBox[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 22};
    for (int i = 0; i < 12; ++i)
        checkBox(this, QStringLiteral("BWCCCheckBox%1").arg(kPlayBox[i]), QRect(27, kPlayY[i], 220, 17));
    static constexpr int kRecY[] = {53, 75, 97, 118, 139, 160, 180, 202, 222, 243};
    for (int i = 0; i < 10; ++i)
        checkBox(this, QStringLiteral("BWCCCheckBox%1").arg(12 + i), QRect(276, kRecY[i], 215, 17));
}

QCheckBox* TForm4::box(const char* name) const {
    return findChild<QCheckBox*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}
