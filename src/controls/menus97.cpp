#include "controls/menus97.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kPlatformMark = 13;  // the desktop's menu check mark
constexpr int kFrame = 2;          // the popup's raised frame
constexpr int kLeftGap = 2;        // item edge to mark column
constexpr int kTextGap = 4;        // mark column to caption
constexpr int kRightGap = 8;       // caption to shortcut or edge
constexpr int kArrow = 10;         // room for a submenu's arrow

bool IsTextSeparator(const QString& caption) { return caption.size() > 1 && caption.startsWith(QLatin1Char('-')); }

QString Caption(const QString& withShortcut) { return withShortcut.section(QLatin1Char('\t'), 0, 0); }

// The item whose option this is: QMenu measures its actions in order, but
// only hands over the option, so match its caption.
QAction* ItemFor(const QMenu* menu, const QStyleOptionMenuItem& opt) {
    if (!menu) return nullptr;
    const bool separator = opt.menuItemType == QStyleOptionMenuItem::Separator;
    const QString caption = Caption(opt.text);
    for (QAction* a : menu->actions()) {
        if (!a->isVisible() || a->isSeparator() != separator) continue;
        if (separator || Caption(a->text()) == caption) return a;
    }
    return nullptr;
}

void Etch(QPainter& p, int left, int right, int y) {
    p.fillRect(QRect(QPoint(left, y), QPoint(right, y)), kButtonShadow);
    p.fillRect(QRect(QPoint(left, y + 1), QPoint(right, y + 1)), kButtonHighlight);
}

// Highlight on top-left, shadow on bottom-right (raised), or the reverse.
void Bevel(QPainter& p, const QRect& r, bool raised) {
    const QColor tl = raised ? kButtonHighlight : kButtonShadow;
    const QColor br = raised ? kButtonShadow : kButtonHighlight;
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), tl);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), tl);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
}

// An image's shape in one colour.
QImage Silhouette(const QImage& image, const QColor& colour) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb px = out.pixel(x, y);
            // White counts as background, as it does in the mark bitmaps.
            const bool ink = qAlpha(px) > 127 && (px & 0xffffff) != 0xffffff;
            out.setPixel(x, y, ink ? colour.rgb() : 0u);
        }
    return out;
}

void DrawEmbossed(QPainter& p, const QRect& r, int flags, const QString& text) {
    p.setPen(kButtonHighlight);
    p.drawText(r.translated(1, 1), flags, text);
    p.setPen(kButtonShadow);
    p.drawText(r, flags, text);
}

}  // namespace

namespace menus97 {

int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const long long n = static_cast<long long>(a) * b;
    const long long q = (std::llabs(n) * 2 + std::llabs(c)) / (2 * std::llabs(static_cast<long long>(c)));
    return static_cast<int>(((n < 0) != (c < 0)) ? -q : q);
}

std::vector<Band> BannerBands(const QColor& Start, const QColor& End, int NumColors, int top, int height) {
    if (height <= 0) return {};
    // One band covers the unequal-colour cases that cannot shade: fewer
    // than two colours would divide by zero below.
    if (Start == End || NumColors < 2) return {{top, top + height, Start}};
    std::vector<Band> bands;
    const int n = NumColors;
    for (int i = 0; i < n; ++i) {
        const auto shade = [&](int s, int e) { return s + i * (e - s) / (n - 1); };
        bands.push_back({top + MulDiv(i, height, n), top + MulDiv(i + 1, height, n),
                         QColor(shade(Start.red(), End.red()), shade(Start.green(), End.green()),
                                shade(Start.blue(), End.blue()))});
    }
    return bands;
}

QRect BannerTextRect(const QRect& Banner, int Length, int Thickness, TBannerJustification Justification,
                     bool HasImage) {
    QRect area = Banner;
    if (HasImage) area.setBottom(area.bottom() - (Banner.width() + 4));
    const int left = Banner.left() + (Banner.width() - Thickness) / 2;
    int top = 0;
    switch (Justification) {
        case bjTop:
            top = area.top() + 1;
            break;
        case bjBottom:
            top = area.bottom() - 1 - Length + 1;
            break;
        case bjCenter:
            top = area.top() + (area.height() - Length) / 2;
            break;
    }
    return {left, top, Thickness, Length};
}

int MarkColumn(int PlatformMark, int BitmapSize) { return std::max(PlatformMark, BitmapSize + 4); }

int MeasuredHeight(int LineHeight, int Mark, bool Separator) { return Separator ? 8 : std::max(LineHeight, Mark) + 4; }

}  // namespace menus97

// The style set on the attached menus: it measures and draws the items, the
// frame and the banner through the component's properties.
class TPopupMenus97::Style : public QProxyStyle {
public:
    explicit Style(TPopupMenus97& owner) : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), c_(owner) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        switch (metric) {
            case PM_MenuPanelWidth:
                return kFrame;
            case PM_MenuHMargin:
                return 0;
            case PM_MenuVMargin:
                return 1;
            case PM_SmallIconSize:
                return c_.MarkWidth();
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto* opt = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !opt) return QProxyStyle::sizeFromContents(type, option, size, widget);
        QAction* item = ItemFor(qobject_cast<const QMenu*>(widget), *opt);
        const bool separator = opt->menuItemType == QStyleOptionMenuItem::Separator;
        const int mark = c_.MarkWidth();
        int height = 0;
        int width = 0;
        if (separator) {
            height = menus97::MeasuredHeight(0, 0, true);
            width = 2 * kLeftGap;  // QMenu leaves out items of no width
        } else {
            QFont font = c_.font_;
            font.setBold(opt->menuItemType == QStyleOptionMenuItem::DefaultItem);
            const QFontMetrics fm(font);
            QString caption = Caption(opt->text);
            if (IsTextSeparator(caption)) caption.remove(0, 1);
            const int text = fm.horizontalAdvance(QString(caption).remove(QLatin1Char('&')));
            height = c_.itemHeight_ > 0 ? c_.itemHeight_ : menus97::MeasuredHeight(fm.height(), mark, false);
            width = c_.itemWidth_ > 0 ? c_.itemWidth_ : kLeftGap + mark + kTextGap + text + kRightGap + mark + kArrow;
        }
        if (item && c_.OnMeasureItem) c_.OnMeasureItem(&c_, item, height, width);
        return {width, height};
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* p,
                       const QWidget* widget) const override {
        if (element == PE_PanelMenu) {
            p->fillRect(option->rect, c_.brush_);
            return;
        }
        if (element == PE_FrameMenu) {
            // Office 97: light outer edge top-left, dark bottom-right, two deep.
            Bevel(*p, option->rect, true);
            Bevel(*p, option->rect.adjusted(1, 1, -1, -1), true);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, p, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* p,
                     const QWidget* widget) const override {
        const auto* opt = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuEmptyArea && opt) {
            p->fillRect(opt->rect, c_.brush_);
            if (widget && widget == c_.menu_.data() && c_.banner_) DrawBanner(*p, opt->rect);
            return;
        }
        if (element == CE_MenuItem && opt) {
            auto* menu = qobject_cast<QMenu*>(const_cast<QWidget*>(widget));
            QAction* item = menu ? menu->actionAt(opt->rect.center()) : nullptr;
            p->save();
            if (!(item && c_.OnDrawItem && c_.OnDrawItem(&c_, menu, item, *p, opt->state, opt->rect)))
                DrawItem(*p, *opt, item);
            p->restore();
            return;
        }
        QProxyStyle::drawControl(element, option, p, widget);
    }

private:
    void DrawBanner(QPainter& p, const QRect& whole) const {
        const QRect strip(whole.left() + kFrame, whole.top() + kFrame, c_.bannerWidth_, whole.height() - 2 * kFrame);
        for (const menus97::Band& b : menus97::BannerBands(c_.bannerColor_, c_.bannerEndColor_, c_.bannerNumColors_,
                                                           strip.top(), strip.height()))
            p.fillRect(QRect(strip.left(), b.top, strip.width(), b.bottom - b.top), b.color);
        const bool hasImage = c_.bannerImage_ >= 0 && c_.bannerImage_ < static_cast<int>(c_.images_.size());
        if (hasImage) {
            const QPixmap& image = c_.images_[static_cast<std::size_t>(c_.bannerImage_)];
            const QRect cell(strip.left(), strip.bottom() - strip.width() - 1, strip.width(), strip.width());
            QRect at(QPoint(), image.size().boundedTo(cell.size()));
            at.moveCenter(cell.center());
            p.drawPixmap(at, image);
        }
        if (c_.bannerText_.isEmpty()) return;
        const QFontMetrics fm(c_.bannerFont_);
        const int length = fm.horizontalAdvance(c_.bannerText_);
        const QRect area = menus97::BannerTextRect(strip, length, fm.height(), c_.bannerJustification_, hasImage);
        p.save();
        p.setClipRect(strip);
        p.setFont(c_.bannerFont_);
        p.setPen(c_.bannerFontColor_);
        // Turned a quarter anticlockwise: the text reads from the bottom up,
        // its tops towards the strip's left.
        p.translate(area.left(), area.bottom() + 1);
        p.rotate(-90);
        p.drawText(QRect(0, 0, length, fm.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   c_.bannerText_);
        p.restore();
    }

    void DrawItem(QPainter& p, const QStyleOptionMenuItem& opt, QAction* item) const {
        const QRect r = opt.rect;
        const bool enabled = opt.state & State_Enabled;
        const bool selected = enabled && (opt.state & State_Selected);
        // Every item gets the menu's colour first, disabled ones too, so a
        // Brush other than the panel's never leaves them in another colour.
        p.fillRect(r, c_.brush_);
        if (opt.menuItemType == QStyleOptionMenuItem::Separator) {
            Etch(p, r.left() + 1, r.right() - 1, r.top() + r.height() / 2 - 1);
            return;
        }
        const int tag = TPopupMenus97::ItemTag(item);
        const bool plain = tag == -1 || tag >= 256;
        const int mark = c_.MarkWidth();
        const QRect markRect(r.left() + kLeftGap, r.top() + (r.height() - mark) / 2, mark, mark);
        QString caption = Caption(opt.text);
        const QString shortcut =
            opt.text.contains(QLatin1Char('\t')) ? opt.text.section(QLatin1Char('\t'), 1) : QString();
        const bool textSeparator = IsTextSeparator(caption);
        if (textSeparator) caption.remove(0, 1);
        const QPixmap* image = (tag >= 0 && tag < 256 && tag < static_cast<int>(c_.images_.size()))
                                   ? &c_.images_[static_cast<std::size_t>(tag)]
                                   : nullptr;
        const bool checked = opt.checkType != QStyleOptionMenuItem::NotCheckable && opt.checked;

        if (selected && !textSeparator) {
            QRect bar = r;
            // Office 97 keeps the mark column out of the bar, IE4 covers it.
            if (!plain && c_.look_ == mlOffice97Look && (image || checked)) bar.setLeft(markRect.right() + 2);
            p.fillRect(bar, c_.hiliteBar_);
        }
        if (textSeparator) Etch(p, r.left() + 1, r.right() - 1, r.top() + r.height() / 2 - 1);

        if (!plain) {
            if (image) {
                if (checked) {
                    p.fillRect(markRect, kButtonHighlight);
                    Bevel(p, markRect, false);
                } else if (selected && c_.look_ == mlOffice97Look) {
                    Bevel(p, markRect, true);
                }
                QImage shown = image->toImage();
                QRect at(QPoint(), shown.size().boundedTo(markRect.size() - QSize(2, 2)));
                at.moveCenter(markRect.center());
                if (!enabled) {
                    p.drawImage(at.translated(1, 1), Silhouette(shown, kButtonHighlight));
                    p.drawImage(at, Silhouette(shown, kButtonShadow));
                } else {
                    p.drawImage(at, shown);
                }
            } else if (checked) {
                const QImage& bitmap = opt.checkType == QStyleOptionMenuItem::Exclusive ? TPopupMenus97::RadioMark()
                                                                                        : TPopupMenus97::CheckMark();
                p.fillRect(markRect, selected ? c_.brush_ : kButtonHighlight);
                Bevel(p, markRect, false);
                QRect at(QPoint(), bitmap.size());
                at.moveCenter(markRect.center());
                p.drawImage(at, enabled ? bitmap : Silhouette(bitmap, kButtonShadow));
            }
        }

        const int textLeft = plain ? r.left() + kTextGap : markRect.right() + 1 + kTextGap;
        QRect textRect(textLeft, r.top(), r.right() - textLeft - kArrow, r.height());
        QFont font = selected ? c_.hiliteFont_ : c_.font_;
        font.setBold(opt.menuItemType == QStyleOptionMenuItem::DefaultItem);
        p.setFont(font);
        const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextExpandTabs;
        if (textSeparator) {
            // The line runs under the words, not through them.
            const QRect words = p.fontMetrics().boundingRect(textRect, flags | Qt::AlignLeft, caption);
            p.fillRect(words.adjusted(-2, 0, 2, 0), c_.brush_);
        }
        const QRect shortcutRect = r.adjusted(0, 0, -mark, 0);
        if (!enabled) {
            DrawEmbossed(p, textRect, flags | Qt::AlignLeft, caption);
            if (!shortcut.isEmpty()) DrawEmbossed(p, shortcutRect, flags | Qt::AlignRight, shortcut);
        } else {
            p.setPen(selected ? c_.hiliteFontColor_ : c_.fontColor_);
            p.drawText(textRect, flags | Qt::AlignLeft, caption);
            if (!shortcut.isEmpty()) p.drawText(shortcutRect, flags | Qt::AlignRight, shortcut);
        }
        if (opt.menuItemType == QStyleOptionMenuItem::SubMenu) {
            const int cx = r.right() - kArrow / 2 - 1;
            const int cy = r.center().y();
            p.setPen(Qt::NoPen);
            p.setBrush(!enabled ? kButtonShadow : selected ? c_.hiliteFontColor_ : c_.fontColor_);
            p.drawPolygon(QPolygon({QPoint(cx - 2, cy - 4), QPoint(cx + 2, cy), QPoint(cx - 2, cy + 4)}));
        }
    }

    TPopupMenus97& c_;
};

TPopupMenus97::TPopupMenus97(QObject* parent)
    // The items in the desktop's menu font, as every other menu on it.
    : QObject(parent), style_(std::make_unique<Style>(*this)), font_(QApplication::font("QMenu")) {
    bannerFont_ = QFont(QStringLiteral("Arial"));
    bannerFont_.setPointSize(12);
    hiliteFont_ = font_;
}

TPopupMenus97::~TPopupMenus97() { Detach(); }

const QImage& TPopupMenus97::CheckMark() {
    static const QImage mark = [] {
        QImage m(9, 9, QImage::Format_ARGB32);
        m.fill(Qt::transparent);
        // A tick two pixels thick, pixel by pixel so it looks the same everywhere.
        const int ys[] = {4, 5, 6, 5, 4, 3, 2};
        for (int i = 0; i < 7; ++i)
            for (int d = 0; d < 2; ++d) m.setPixel(i + 1, ys[i] + d, qRgb(0, 0, 0));
        return m;
    }();
    return mark;
}

const QImage& TPopupMenus97::RadioMark() {
    static const QImage mark = [] {
        QImage m(9, 9, QImage::Format_ARGB32);
        m.fill(Qt::transparent);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x)
                if ((x - 4) * (x - 4) + (y - 4) * (y - 4) <= 6) m.setPixel(x, y, qRgb(0, 0, 0));
        return m;
    }();
    return mark;
}

int TPopupMenus97::ItemTag(const QAction* Item) {
    if (!Item) return -2;
    const QVariant tag = Item->property("Tag");
    return tag.isValid() ? tag.toInt() : -2;
}

int TPopupMenus97::MarkWidth() const { return menus97::MarkColumn(kPlatformMark, CheckMark().width()); }

void TPopupMenus97::SetPopupMenu(QMenu* Value) {
    if (Value == menu_.data()) return;
    Detach();
    if (Value) Attach(Value);
}

void TPopupMenus97::Attach(QMenu* menu) {
    menu_ = menu;
    StyleMenus(menu);
    // Submenus added later get the look when the menu next opens.
    links_.push_back(connect(menu, &QMenu::aboutToShow, this, [this] {
        if (QMenu* m = PopupMenu()) StyleMenus(m);
    }));
    links_.push_back(connect(menu, &QObject::destroyed, this, [this] { Detach(); }));
    Changed();
}

void TPopupMenus97::StyleMenus(QMenu* menu) {
    if (std::find(styled_.begin(), styled_.end(), static_cast<QObject*>(menu)) == styled_.end()) {
        styled_.emplace_back(menu);
        menu->setStyle(style_.get());
        links_.push_back(connect(menu, &QMenu::hovered, this, &TPopupMenus97::Selected));
    }
    for (QAction* a : menu->actions()) {
        // A separator with a text is a heading, never chosen.
        if (IsTextSeparator(a->text())) a->setEnabled(false);
        if (QMenu* sub = a->menu()) StyleMenus(sub);
    }
}

void TPopupMenus97::Detach() {
    for (const QMetaObject::Connection& link : links_) disconnect(link);
    links_.clear();
    for (const QPointer<QObject>& o : styled_)
        if (QMenu* m = qobject_cast<QMenu*>(o.data())) {
            m->setStyle(nullptr);
            if (o == menu_) m->setContentsMargins(0, 0, 0, 0);
        }
    styled_.clear();
    menu_ = nullptr;
}

void TPopupMenus97::Changed() {
    for (const QPointer<QObject>& o : styled_) {
        QMenu* m = qobject_cast<QMenu*>(o.data());
        if (!m) continue;
        m->setFont(font_);
        if (o == menu_) m->setContentsMargins(banner_ ? bannerWidth_ + 2 : 0, 0, 0, 0);
        // Makes the menu measure its items again.
        QEvent changed(QEvent::StyleChange);
        QCoreApplication::sendEvent(m, &changed);
        m->update();
    }
}

void TPopupMenus97::Selected(QAction* item) {
    if (!item) return;
    QString hint = item->statusTip();
    if (OnHint) OnHint(this, item, hint);
    hint_ = hint;
}

#define MENUS97_SETTER(Name, Type, member)      \
    void TPopupMenus97::Set##Name(Type Value) { \
        if (member == Value) return;            \
        member = Value;                         \
        Changed();                              \
    }

MENUS97_SETTER(Banner, bool, banner_)
MENUS97_SETTER(BannerText, const QString&, bannerText_)
MENUS97_SETTER(BannerFont, const QFont&, bannerFont_)
MENUS97_SETTER(BannerFontColor, const QColor&, bannerFontColor_)
MENUS97_SETTER(BannerColor, const QColor&, bannerColor_)
MENUS97_SETTER(BannerEndColor, const QColor&, bannerEndColor_)
MENUS97_SETTER(BannerNumColors, int, bannerNumColors_)
MENUS97_SETTER(BannerWidth, int, bannerWidth_)
MENUS97_SETTER(BannerJustification, TBannerJustification, bannerJustification_)
MENUS97_SETTER(BannerImage, int, bannerImage_)
MENUS97_SETTER(Font, const QFont&, font_)
MENUS97_SETTER(FontColor, const QColor&, fontColor_)
MENUS97_SETTER(HiliteFont, const QFont&, hiliteFont_)
MENUS97_SETTER(HiliteFontColor, const QColor&, hiliteFontColor_)
MENUS97_SETTER(HiliteBar, const QColor&, hiliteBar_)
MENUS97_SETTER(Brush, const QColor&, brush_)
MENUS97_SETTER(ItemHeight, int, itemHeight_)
MENUS97_SETTER(ItemWidth, int, itemWidth_)
MENUS97_SETTER(Menus97Look, TMenus97Look, look_)

#undef MENUS97_SETTER

void TPopupMenus97::SetImages(std::vector<QPixmap> Value) {
    images_ = std::move(Value);
    Changed();
}
