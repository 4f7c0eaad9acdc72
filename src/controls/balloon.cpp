#include "controls/balloon.h"

#include <QBitmap>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTextLayout>
#include <QToolTip>

#include <cmath>

namespace {

// The font of hsDefault: the classic small sans serif of hint boxes, left to
// fontconfig to match where the face itself is missing.
QFont defaultBalloonFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QColor hintColour(QPalette::ColorRole Role) { return QToolTip::palette().color(QPalette::Inactive, Role); }

// The platforms without windows of their own (tests) have nothing to cut.
bool cutsWindows() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

constexpr Qt::MouseButtons kHintButtons = Qt::LeftButton | Qt::RightButton | Qt::MiddleButton;

// Lays Text out in Width pixels; returns the size it takes.
QSizeF layOut(QTextLayout& Layout, int Width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Layout.setTextOption(option);
    Layout.beginLayout();
    qreal height = 0;
    qreal width = 0;
    for (QTextLine line = Layout.createLine(); line.isValid(); line = Layout.createLine()) {
        line.setLineWidth(Width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        width = std::max(width, line.naturalTextWidth());
    }
    Layout.endLayout();
    return {width, height};
}

// Line breaks in a hint are kept as the layout's own.
QString layoutText(QString Text) {
    Text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return Text;
}

QPainterPath balloonPath(const BalloonOutline& Outline, TBalloonShape Shape) {
    // Right and bottom of the body are exclusive, as the 1-pixel frame is
    // drawn just inside them.
    const QRectF body = QRectF(Outline.Body).adjusted(0, 0, -1, -1);
    QPainterPath path;
    if (Shape == bsRoundRect)
        path.addRoundedRect(body, 9, 9);
    else
        path.addRect(body);
    QPainterPath pointer;
    pointer.addPolygon(QPolygonF({Outline.Pointer[0], Outline.Pointer[1], Outline.Pointer[2]}));
    pointer.closeSubpath();
    return path.united(pointer);
}

}  // namespace

QSize MeasureBalloonText(const QString& Text, const QFont& Font, int Width) {
    QTextLayout layout(layoutText(Text), Font);
    const QSizeF size = layOut(layout, Width);
    return {int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

QImage RenderBalloon(const BalloonLook& Look, QSize Size, TBalloonPosition Orientation, const QString& Text) {
    QImage image(Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const int d = Look.ShadowDepth;
    const BalloonOutline outline = BalloonOutlineFor(Size, d, Orientation);
    const QPainterPath shape = balloonPath(outline, Look.Shape);

    if (d > 0) {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::black);
        painter.drawPath(shape.translated(d, d));
        painter.end();
        // Shaded: a checker leaves every other pixel of the shadow to what
        // lies beneath, so it darkens without hiding.
        if (Look.ShadowStyle == ssShaded)
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = (y + 1) % 2; x < image.width(); x += 2) line[x] = 0;
            }
    }

    QPainter painter(&image);
    painter.setPen(QPen(Look.Border, 1));
    painter.setBrush(Look.Fill);
    painter.drawPath(shape);
    QTextLayout layout(layoutText(Text), Look.Font);
    layOut(layout, outline.Text.width());
    painter.setPen(Look.TextColor);
    painter.setClipRect(outline.Text);
    layout.draw(&painter, outline.Text.topLeft());
    return image;
}

TBalloonBase::TBalloonBase(QObject* parent)
    : QObject(parent), color_(hintColour(QPalette::ToolTipBase)), font_(defaultBalloonFont()) {}

void TBalloonBase::SetMaxWidth(int Value) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) Value = std::min(Value, screen->geometry().width());
    maxWidth_ = Value;
}

int TBalloonBase::EffectiveMaxWidth() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return BalloonMaxWidth(maxWidth_, screen ? screen->geometry().width() : 0);
}

BalloonLook TBalloonBase::Look() const {
    BalloonLook look;
    look.ShadowDepth = shadowDepth_;
    look.ShadowStyle = shadowStyle_;
    look.Shape = shape_;
    switch (style_) {
        case hsDefault:
            look.Font = defaultBalloonFont();
            // The hint text colour goes with the hint colour, whatever the theme.
            look.TextColor = hintColour(QPalette::ToolTipText);
            look.Fill = hintColour(QPalette::ToolTipBase);
            look.Border = kBalloonFrame;
            break;
        case hsCustom:
            look.Font = font_;
            look.TextColor = fontColor_;
            look.Fill = color_;
            look.Border = borderColor_;
            break;
        case hsSystem:
            look.Font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
            look.TextColor = hintColour(QPalette::ToolTipText);
            look.Fill = hintColour(QPalette::ToolTipBase);
            look.Border = kBalloonFrame;
            break;
    }
    return look;
}

TBalloonWindow::TBalloonWindow(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
    setObjectName(QStringLiteral("BalloonWindow"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TBalloonWindow::SetBalloon(const BalloonLook& Look, QSize Size, TBalloonPosition Orientation,
                                const QString& Text) {
    look_ = Look;
    orientation_ = Orientation;
    text_ = Text;
    picture_ = RenderBalloon(Look, Size, Orientation, Text);
    resize(Size);
    update();
}

void TBalloonWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, picture_);
}

TBalloonHintWindow::TBalloonHintWindow(QWidget* parent) : TBalloonWindow(parent) {
    setObjectName(QStringLiteral("BalloonHintWindow"));
}

TBalloonHintWindow::~TBalloonHintWindow() { watch(false); }

bool TBalloonHintWindow::ActivateHint(const QString& Text, QPoint Cursor, Qt::MouseButtons Buttons,
                                      const TBalloonBase& Settings) {
    const TBalloonBehaviors behavior = Settings.Behavior();
    if (Text.isEmpty() || ((behavior & bbNoShowMouseDown) && (Buttons & kHintButtons))) {
        CancelHint();
        return false;
    }
    const QScreen* screen = QGuiApplication::screenAt(Cursor);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(Cursor, QSize(1, 1));
    const BalloonLook look = Settings.Look();
    const int width =
        BalloonTextWidth(BalloonMaxWidth(Settings.MaxWidth(), area.width()), Cursor.x(), area, look.ShadowDepth);
    const QSize size = BalloonWindowSize(MeasureBalloonText(Text, look.Font, width), look.ShadowDepth);
    const BalloonPlacement place = PlaceBalloon(Cursor, size, area, Settings.Position());
    SetBalloon(look, size, place.Orientation, Text);
    setGeometry(place.Rect);
    if (behavior & bbUseRegions) {
        // Cut to what is drawn, checker of the shadow included: the desktop
        // shows through with or without a compositor.
        shape_ = QRegion(QBitmap::fromImage(Picture().createAlphaMask()));
        watch(false);
    } else {
        shape_ = QRegion();
        hideOnPaint_ = (behavior & bbHideOnPaint) != 0;
        watch(true);
    }
    if (cutsWindows()) {
        if (shape_.isEmpty())
            clearMask();
        else
            setMask(shape_);
    }
    // A tool-tip window stays above the others by itself.
    show();
    return true;
}

void TBalloonHintWindow::CancelHint() { hide(); }

void TBalloonHintWindow::watch(bool On) {
    if (On == watching_ || !qApp) return;
    watching_ = On;
    if (On)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

void TBalloonHintWindow::hideEvent(QHideEvent* event) {
    watch(false);
    TBalloonWindow::hideEvent(event);
}

bool TBalloonHintWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!isVisible()) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() & kHintButtons) CancelHint();
            break;
        case QEvent::Paint: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!hideOnPaint_ || !widget || widget->window() == this) break;
            // Without a shape of its own the balloon would hide what repaints
            // beneath it: give way instead.
            const QRegion painted =
                static_cast<QPaintEvent*>(event)->region().translated(widget->mapToGlobal(QPoint(0, 0)));
            if (painted.intersects(geometry())) CancelHint();
            break;
        }
        default:
            break;
    }
    return false;
}

TBalloonHint::TBalloonHint(QObject* parent) : TBalloonBase(parent) { setObjectName(QStringLiteral("BalloonHint1")); }

TBalloonHint::~TBalloonHint() { SetActive(false); }

void TBalloonHint::SetActive(bool Value) {
    if (Value == active_) return;
    active_ = Value;
    if (!qApp || QCoreApplication::closingDown()) return;
    // The filter installed last sees the hint requests first, so the latest
    // active instance shows the hints and the others take over when it goes.
    if (Value) {
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
        cancel();
    }
}

void TBalloonHint::cancel() {
    owner_ = nullptr;
    if (window_) window_->CancelHint();
}

bool TBalloonHint::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTip: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget) break;
            const QString text = widget->toolTip();
            if (text.isEmpty()) {
                // Nothing up to the window has a hint: none shows.
                if (widget->isWindow()) cancel();
                break;
            }
            event->accept();
            if (!window_) window_ = std::make_unique<TBalloonHintWindow>();
            if (owner_ == widget && window_->isVisible() && window_->Text() == text) return true;
            owner_ = widget;
            const auto* help = static_cast<QHelpEvent*>(event);
            if (!window_->ActivateHint(text, help->globalPos(), QGuiApplication::mouseButtons(), *this))
                owner_ = nullptr;
            return true;
        }
        case QEvent::Leave:
        case QEvent::Hide:
            if (owner_ && watched == owner_) cancel();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::ApplicationDeactivate:
            if (window_ && window_->isVisible()) cancel();
            break;
        default:
            break;
    }
    return false;
}
