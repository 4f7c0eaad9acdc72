#include "meter/vu_window.h"

#include "controls/panel.h"
#include "controls/smooth_show.h"
#include "controls/tray_icon.h"
#include "controls/tray_pictures.h"
#include "meter/meter_levels.h"
#include "meter/vu_panel.h"
#include "meter/vu_pictures.h"
#include "strips/shared_state.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kWidth = 447;
constexpr int kHeight = 160;
const QString kNoOverPeak = QStringLiteral(" No Over-peak detected...");  // RESET's caption: lower-case p
const QString kHideHint = QStringLiteral("Click to hide the VU...");
// Lamp tops in a column, led1 (lowest) first; led7 is a pixel taller.
constexpr std::array<int, 10> kLampTops{83, 75, 67, 59, 51, 43, 34, 27, 19, 10};

template <class W>
W* make(QWidget* parent, const QString& name, QRect geometry) {
    auto* w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

QFont arial(const QWidget* w, int pixels) {
    QFont f = w->font();
    f.setFamily(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    return f;
}

template <class L = QLabel>
L* label(QWidget* parent, const char* name, QRect geometry, const QString& text, int pixels, const QColor& colour) {
    auto* l = make<L>(parent, QString::fromLatin1(name), geometry);
    l->setText(text);
    l->setFont(arial(l, pixels));
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    return l;
}

QLabel* framePiece(QWidget* window, const char* name, QRect geometry) {
    auto* l = make<QLabel>(window, QString::fromLatin1(name), geometry);
    l->setScaledContents(true);
    return l;
}

}  // namespace

TForm2::TForm2(SharedState& state)
    : TavloWindow(QStringLiteral("Form2"), QStringLiteral("VU by Varnel")), state_(state) {
    setFixedSize(kWidth, kHeight);
    setBlackBackground();

    Image1 = framePiece(this, "Image1", QRect(0, 0, kWidth, 25));
    Image2 = framePiece(this, "Image2", QRect(0, 25, 15, 120));
    Image3 = framePiece(this, "Image3", QRect(0, 145, kWidth, 15));
    Image4 = framePiece(this, "Image4", QRect(kWidth - 15, 25, 15, 120));
    Label14 = label(this, "Label14", QRect(16, 4, kWidth - 32, 17), QStringLiteral("<-- click here to move mixer -->"),
                    13, Qt::black);
    Label14->setAlignment(Qt::AlignCenter);
    const std::array<QPoint, 4> cornerAt{QPoint(1, 1), QPoint(kWidth - 14, 1), QPoint(1, kHeight - 14),
                                         QPoint(kWidth - 14, kHeight - 14)};
    const std::array<const char*, 4> cornerNames{"Panel2", "Panel1", "Panel3", "Panel4"};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        TPanel* p = make<TPanel>(this, QString::fromLatin1(cornerNames[i]), QRect(cornerAt[i], QSize(13, 13)));
        p->SetCaption(QStringLiteral("X"));
        p->setFont(arial(p, 9));
        p->setToolTip(kHideHint);
        p->OnClick = [this](TPanel*) { Panel2Click(); };
        corners[i] = p;
    }

    // The meter's moving parts: the meter panel (Panel120) between the two
    // lamp columns (Panel5, Panel7), drawn by one widget in the order the
    // design stacks them. The numerals lie on the faces and repaint with
    // them; their texts are laid out once.
    const QRect meter(43, 25, 362, 100), leftColumn(15, 23, 28, 115), rightColumn(405, 23, 28, 115);
    VuPanel = new TVuPanel(this, leftColumn | rightColumn, QRegion(leftColumn) + meter + rightColumn);
    VuPanel->setObjectName(QStringLiteral("VuPanel"));
    auto part = [this](const QString& name, QRect geometry, QRect clip) {
        return new TVuPart(VuPanel, name, geometry, clip);
    };
    auto inMeter = [&](const QString& name, QRect geometry) {
        return part(name, geometry.translated(meter.topLeft()), meter);
    };
    QPixmap ivory(meter.size());
    ivory.fill(vu::kPanelColour);
    inMeter(QStringLiteral("Panel120"), QRect(QPoint(0, 0), meter.size()))->SetPicture(ivory);
    for (int k = 0; k < vu::kFaceCount; ++k) vuf[k] = VuPanel->KeptPicture(QStringLiteral("vuf%1").arg(k), vu::face(k));
    vul = inMeter(QStringLiteral("vul"), QRect(0, -1, vu::kFaceWidth, vu::kFaceHeight));
    vur = inMeter(QStringLiteral("vur"), QRect(188, 0, vu::kFaceWidth, vu::kFaceHeight));
    vul->SetPicture(vuf[0]->Picture());
    vur->SetPicture(vuf[0]->Picture());
    const QPixmap icon = vu::overPeakIcon();
    peaklr = inMeter(QStringLiteral("peaklr"), QRect(138, 64, 32, 32));
    peaklr2 = inMeter(QStringLiteral("peaklr2"), QRect(326, 64, 32, 32));
    for (TVuPart* p : {peaklr, peaklr2}) {
        p->SetPicture(icon);
        p->hide();
    }
    auto text = [&](const char* name, QRect geometry, const QString& caption, int pixels, const QColor& colour,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
        TVuPart* t = inMeter(QString::fromLatin1(name), geometry);
        t->SetTextStyle(arial(VuPanel, pixels), colour, alignment);
        t->setText(caption);
        return t;
    };
    Label1 = text("Label1", QRect(0, 12, 362, 42), QStringLiteral("No peak detected..."), 35, Qt::red, Qt::AlignCenter);
    Label2 = text("Label2", QRect(0, 56, 362, 24), QStringLiteral("Use the SOLO mode for that chanel"), 19, Qt::black,
                  Qt::AlignCenter);
    text("Label6", QRect(6, 80, 34, 14), QStringLiteral("LEFT"), 11, Qt::black);
    Label11 = text("Label11", QRect(42, 80, 24, 14), QStringLiteral("0"), 11, Qt::black);
    text("Label19", QRect(194, 80, 40, 14), QStringLiteral("RIGHT"), 11, Qt::black);
    Label15 = text("Label15", QRect(236, 80, 24, 14), QStringLiteral("0"), 11, Qt::black);

    // Lamp columns.
    const QPixmap column = vu::lampColumn();
    auto lampColumn = [&](const char* ground, QRect area, std::array<TVuPart*, 10>& lamps, auto lampName) {
        part(QString::fromLatin1(ground), QRect(area.topLeft(), QSize(28, 118)), area)->SetPicture(column);
        for (int i = 0; i < vu::kLampCount; ++i) {
            lamps[i] = part(lampName(i + 1), QRect(area.x() + 5, area.y() + kLampTops[i], 18, i == 6 ? 7 : 6), area);
            lamps[i]->SetPicture(vu::lamp(i + 1));
            lamps[i]->hide();
        }
    };
    lampColumn("Image7", leftColumn, leftLamps, [](int i) { return QStringLiteral("led%1").arg(i); });
    lampColumn("Image9", rightColumn, rightLamps, [](int i) { return QStringLiteral("led%1").arg(10 * i + 1); });

    // Over-peak bar.
    auto* bar = make<QWidget>(this, QStringLiteral("Panel6"), QRect(43, 125, 362, 20));
    Image11 = framePiece(bar, "Image11", QRect(0, 0, 362, 20));
    label(bar, "Label16", QRect(4, 3, 60, 14), QStringLiteral("Over-Peak"), 11, Qt::black);
    Label17 = label(bar, "Label17", QRect(64, 3, 28, 14), QStringLiteral("0"), 11, Qt::black);
    SpeedButton1 = make<QPushButton>(bar, QStringLiteral("SpeedButton1"), QRect(94, 2, 204, 16));
    SpeedButton1->setText(QStringLiteral(" No Over-Peak detected..."));
    SpeedButton1->setToolTip(QStringLiteral("Click to view list of peak..."));
    Button6 = make<QPushButton>(bar, QStringLiteral("Button6"), QRect(302, 2, 56, 16));
    Button6->setText(QStringLiteral("RESET"));
    Button6->setToolTip(QStringLiteral("Click to reset the number of over-peak to 0..."));
    for (QPushButton* b : {SpeedButton1, Button6}) {
        b->setFlat(true);
        b->setFont(arial(b, 10));
    }
    connect(SpeedButton1, &QPushButton::clicked, this, &TForm2::SpeedButton1Click);
    connect(Button6, &QPushButton::clicked, this, &TForm2::Button6Click);
    ComboBox4 = make<QComboBox>(bar, QStringLiteral("ComboBox4"), QRect(94, 0, 204, 20));
    ComboBox4->setEditable(true);
    ComboBox4->setInsertPolicy(QComboBox::NoInsert);
    ComboBox4->setEditText(QStringLiteral(" No Over-Peak detected..."));
    ComboBox4->setToolTip(QStringLiteral("2xClick to hide the list , click to see the peaks..."));
    ComboBox4->setFont(arial(ComboBox4, 10));
    ComboBox4->setStyleSheet(QStringLiteral("QComboBox, QLineEdit { background: rgb(192, 192, 192); }"));
    ComboBox4->installEventFilter(this);
    ComboBox4->lineEdit()->installEventFilter(this);
    ComboBox4->hide();

    // Timers: the icons go out 2 s after they lit, held lamps 5 s after the
    // last reading that reached them.
    auto timer = [this](const char* name, int ms, bool single) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(ms);
        t->setSingleShot(single);
        return t;
    };
    Timer1 = timer("Timer1", 2000, true);
    Timer4 = timer("Timer4", 2000, true);
    Timer2 = timer("Timer2", 5000, true);
    Timer3 = timer("Timer3", 5000, true);
    Timer6 = timer("Timer6", 1000, false);
    connect(Timer1, &QTimer::timeout, this, [this] { peaklr->hide(); });
    connect(Timer4, &QTimer::timeout, this, [this] { peaklr2->hide(); });
    connect(Timer2, &QTimer::timeout, this, [this] {
        state_.LeftPeakHold = 0;
        for (TVuPart* l : leftLamps) l->hide();
    });
    connect(Timer3, &QTimer::timeout, this, [this] {
        state_.RightPeakHold = 0;
        for (TVuPart* l : rightLamps) l->hide();
    });
    connect(Timer6, &QTimer::timeout, this, &TForm2::Timer6Timer);

    vui = TrayPictureIcon(TrayPicture::vui);
    vuino = TrayPictureIcon(TrayPicture::vuino);
    TrayIconF1 = new TTrayIconF(this);
    TrayIconF1->setObjectName(QStringLiteral("TrayIconF1"));
    TrayIconF1->SetIcon(vui);
    TrayIconF1->SetToolTip(QStringLiteral("Click to show/hide the VU..."));
    TrayIconF1->OnClick = [this](TTrayIconF*) { TrayIconF1Click(); };
    TrayIconF1->OnDblClick = [this](TTrayIconF*) { TrayIconF1DblClick(); };
    // A menu given to the icon itself pops up without our help.
    TrayIconF1->OnRightClick = [this](TTrayIconF* icon, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        if (!icon->PopupMenu()) emit menuRequested(QPoint(x, y));
    };
    SmoothShow1 = new TSmoothShow(this);
    SmoothShow1->SetColor(QColor(192, 192, 192));
    SmoothShow1->setObjectName(QStringLiteral("SmoothShow1"));
    SmoothShow1->OnFinish = [](TSmoothShow* s) { s->SetEnabled(false); };

    centre();
}

TForm2::~TForm2() = default;

bool TForm2::Animated() const { return !animationSwitch_ || animationSwitch_->Tag() == 0; }

void TForm2::ShowForLine(bool fromPlayback) {
    vul->SetPicture(vuf[0]->Picture());
    vur->SetPicture(vuf[0]->Picture());
    Label1->show();
    if (fromPlayback) Label2->show();
    show();
}

void TForm2::ShowLevels(int left, std::optional<int> right) {
    Label1->hide();
    Label2->hide();
    ShowChannel(Side::Left, left);
    if (right)
        ShowChannel(Side::Right, *right);
    else
        vur->SetPicture(vuf[0]->Picture());  // a one-channel line leaves the right face at rest
}

void TForm2::ShowChannel(Side side, int level) {
    const bool isLeft = side == Side::Left;
    int& held = isLeft ? state_.LeftPeakHold : state_.RightPeakHold;
    const vu::Hold hold = vu::holdAfter(held, level);
    if (hold.restart) (isLeft ? Timer2 : Timer3)->start();
    held = hold.level;
    const auto& lamps = isLeft ? leftLamps : rightLamps;
    for (int i = 0; i < vu::kLampCount; ++i) lamps[i]->setVisible(vu::lampLit(i + 1, level, held));
    (isLeft ? vul : vur)->SetPicture(vuf[vu::faceFor(level)]->Picture());
    (isLeft ? Label11 : Label15)->setText(QString::number(level));
    if (!vu::isOverPeak(level)) return;
    (isLeft ? peaklr : peaklr2)->show();
    // A lit icon keeps its first 2 s: the timer is not restarted.
    QTimer* out = isLeft ? Timer1 : Timer4;
    if (!out->isActive()) out->start();
    LogOverPeak(side, level);
}

void TForm2::LogOverPeak(Side side, int level) {
    if (!vu::logsOverPeak(state_.OverPeakCount)) return;
    ++state_.OverPeakCount;
    const QString entry = vu::overPeakEntry(side == Side::Left ? QLatin1Char('L') : QLatin1Char('R'), level,
                                            QDateTime::currentDateTime(), QLocale());
    ComboBox4->addItem(entry);
    ComboBox4->setEditText(QLatin1Char(' ') + entry);
    SpeedButton1->setText(entry);
    Label17->setText(QString::number(state_.OverPeakCount));
}

// --- handlers -------------------------------------------------------------

void TForm2::Panel2Click() {
    TrayIconF1->SetIcon(vui);
    const bool animated = Animated();
    if (animated) {
        SmoothShow1->SetReverse(true);
        SmoothShow1->SetEnabled(true);
    }
    hide();
    if (animated) SmoothShow1->Execute();
}

void TForm2::TrayIconF1Click() {
    if (state_.StartingUp) return;
    emit meterScanRequested();
    if (isVisible()) {
        Panel2Click();
        return;
    }
    emit magnetStopRequested();
    TrayIconF1->SetIcon(vuino);
    const bool animated = Animated();
    if (animated) {
        SmoothShow1->SetReverse(false);
        SmoothShow1->SetEnabled(true);
        SmoothShow1->Execute();
    }
    show();
    if (animated) {
        raise();
        activateWindow();
    }
}

void TForm2::TrayIconF1DblClick() {
    if (state_.StartingUp) return;
    TrayIconF1->SetIcon(vui);
}

void TForm2::Button6Click() {
    state_.OverPeakCount = 0;
    Label17->setText(QStringLiteral("0"));
    ComboBox4->clear();
    ComboBox4->setEditText(kNoOverPeak);
    SpeedButton1->setText(kNoOverPeak);
}

void TForm2::SpeedButton1Click() {
    ComboBox4->setGeometry(SpeedButton1->geometry().adjusted(0, -2, 0, 2));
    ComboBox4->show();
    ComboBox4->raise();
}

void TForm2::ComboBox4DblClick() {
    Button6Click();
    ComboBox4->hide();
}

void TForm2::Timer6Timer() {
    Label14->setText(vu::clockTitle(state_.MeterChannelName, QDateTime::currentDateTime(), QLocale()));
}

// --- window events ----------------------------------------------------------

void TForm2::showEvent(QShowEvent* event) {
    TavloWindow::showEvent(event);
    Timer6->start();
    raise();
}

void TForm2::hideEvent(QHideEvent* event) {
    TavloWindow::hideEvent(event);
    Timer6->stop();
}

void TForm2::changeEvent(QEvent* event) {
    TavloWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        emit magnetStopRequested();
        raise();
    }
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && (watched == ComboBox4 || watched == ComboBox4->lineEdit())) {
        ComboBox4DblClick();
        return true;
    }
    return TavloWindow::eventFilter(watched, event);
}
