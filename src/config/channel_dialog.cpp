#include "config/channel_dialog.h"

#include "controls/panel.h"
#include "controls/smooth_show.h"
#include "strips/strip_pictures.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kWidth = 520, kHeight = 352;
constexpr int kTop = 25, kSide = 15, kBottom = 15;  // border thickness

const QColor kPlayGround(128, 255, 128);
const QColor kRecGround(255, 128, 128);

const QString kCornerHint = QStringLiteral("Click to hide, use the siler bordes to move..");

// A filled rounded rectangle behind a column of boxes. It takes no mouse
// press, so the dialog is dragged by it like by any free spot.
class RoundedShape : public QWidget {
public:
    RoundedShape(QWidget* parent, const QColor& brush, const QColor& pen) : QWidget(parent), brush_(brush), pen_(pen) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter g(this);
        g.setRenderHint(QPainter::Antialiasing);
        g.setPen(QPen(pen_, 1));
        g.setBrush(brush_);
        // Corners a quarter of the shorter side across.
        const qreal corner = std::min(width(), height()) / 8.0;
        g.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), corner, corner);
    }

private:
    QColor brush_, pen_;
};

template <class W>
W* named(W* w, const char* name, QRect geometry) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

// The silver pieces of the playback window's frame; a press on them moves
// the dialog.
QLabel* border(QWidget* parent, const char* name, QRect geometry, bool horizontal) {
    auto* l = named(new QLabel(parent), name, geometry);
    l->setScaledContents(true);
    l->setPixmap(strip_pictures::border(geometry.size(), horizontal));
    return l;
}

QLabel* label(QWidget* parent, const char* name, QRect geometry, const char* text, int pixelSize) {
    auto* l = named(new QLabel(QString::fromLatin1(text), parent), name, geometry);
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setPixelSize(pixelSize);
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(p);
    return l;
}

TPanel* corner(QWidget* parent, const char* name, QRect geometry) {
    auto* p = named(new TPanel(parent), name, geometry);
    p->SetCaption(QStringLiteral("X"));
    p->setToolTip(kCornerHint);
    QFont f = p->font();
    f.setPixelSize(9);
    p->setFont(f);
    return p;
}

// The boxes stand on the coloured columns, so they take the column's
// colour with black text, a black mark and a bevel that shows on it.
TBWCCCheckBox* checkBox(QWidget* parent, const QString& name, QRect geometry, const QColor& ground) {
    auto* b = new TBWCCCheckBox(QStringLiteral("All Tune"), parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    QPalette p = b->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, ground);
        p.setColor(group, QPalette::WindowText, Qt::black);
        p.setColor(group, QPalette::Dark, ground.darker(170));
        p.setColor(group, QPalette::Light, Qt::white);
    }
    b->setPalette(p);
    b->SetCheckColor(Qt::black);
    QFont f = b->font();
    f.setPixelSize(11);
    b->setFont(f);
    b->setChecked(true);
    return b;
}

// The "O.K." glyph: a green tick.
QPixmap okGlyph() {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawPolyline(QPolygonF{QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)});
    return p;
}

}  // namespace

TForm4::TForm4()
    : TavloWindow(QStringLiteral("Form4"),
                  QStringLiteral("       Select the channels that you want to see in Tavlo.")) {
    setFixedSize(kWidth, kHeight);
    setBlackBackground();

    border(this, "Image1", QRect(0, 0, kWidth, kTop), true);
    border(this, "Image2", QRect(0, kTop, kSide, kHeight - kTop - kBottom), false);
    border(this, "Image3", QRect(0, kHeight - kBottom, kWidth, kBottom), true);
    border(this, "Image4", QRect(kWidth - kSide, kTop, kSide, kHeight - kTop - kBottom), false);
    Label14 = label(this, "Label14", QRect(14, 6, 492, 16), "<-- click here to move mixer -->", 11);

    for (TPanel* p : {corner(this, "Panel2", QRect(0, 0, kSide, kTop)),
                      corner(this, "Panel1", QRect(kWidth - kSide, 0, kSide, kTop)),
                      corner(this, "Panel3", QRect(0, kHeight - kBottom, kSide, kBottom)),
                      corner(this, "Panel4", QRect(kWidth - kSide, kHeight - kBottom, kSide, kBottom))})
        p->OnClick = [this](TPanel*) { Panel2Click(); };

    named(new RoundedShape(this, kPlayGround, QColor(192, 192, 192)), "Shape3", QRect(18, 28, 241, 307));
    named(new RoundedShape(this, kRecGround, QColor(128, 128, 128)), "Shape2", QRect(262, 28, 241, 242));
    Label2 = label(this, "Label2", QRect(23, 33, 226, 18), "Play Channel", 12);
    Label3 = label(this, "Label3", QRect(272, 33, 219, 18), "Rec Channel", 12);

    tuch = checkBox(this, QStringLiteral("tuch"), QRect(27, 53, 220, 17), kPlayGround);
    static constexpr int kPlayY[] = {74, 95, 116, 137, 158, 178, 199, 220, 241, 263, 284, 306};
    static constexpr int kPlayBox[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 22};
    for (int i = 0; i < 12; ++i)
        checkBox(this, QStringLiteral("BWCCCheckBox%1").arg(kPlayBox[i]), QRect(27, kPlayY[i], 220, 17), kPlayGround);
    static constexpr int kRecY[] = {53, 75, 97, 118, 139, 160, 180, 202, 222, 243};
    for (int i = 0; i < 10; ++i)
        checkBox(this, QStringLiteral("BWCCCheckBox%1").arg(12 + i), QRect(276, kRecY[i], 215, 17), kRecGround);

    auto* Panel5 = named(new TPanel(this), "Panel5", QRect(339, 278, 89, 41));
    SpeedButton1 = named(new QToolButton(Panel5), "SpeedButton1", QRect(4, 4, 81, 33));
    SpeedButton1->setText(QStringLiteral("O.K."));
    SpeedButton1->setIcon(QIcon(okGlyph()));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setToolTip(QStringLiteral("Click here to see your configuration."));
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm4::okClicked);

    // Clicked from code only, when the configuration is to be written.
    save = named(new QPushButton(QStringLiteral("save"), this), "save", QRect(kWidth + 10, 8, 75, 25));
    save->hide();
    connect(save, &QPushButton::clicked, this, &TForm4::saveClicked);

    SmoothShow1 = new TSmoothShow(this);
    SmoothShow1->SetColor(QColor(192, 192, 192));
    SmoothShow1->setObjectName(QStringLiteral("SmoothShow1"));
    SmoothShow1->SetEnabled(true);
    SmoothShow1->SetReverse(true);

    centre();
}

TForm4::~TForm4() = default;

TBWCCCheckBox* TForm4::box(const char* name) const {
    return findChild<TBWCCCheckBox*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void TForm4::SetBoxCaption(TBWCCCheckBox* box, const QString& lineName) {
    box->setText(QString(lineName).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

void TForm4::Panel2Click() {
    hide();
    emit closeClicked();
}

void TForm4::setDestinationNames(const QString& playback, const QString& recording) {
    Label2->setText(playback);
    Label3->setText(recording);
}

void TForm4::setCardTitle(const QString& productName) { Label14->setText(productName); }
bool TForm4::tonePanelChecked() const { return tuch->isChecked(); }
