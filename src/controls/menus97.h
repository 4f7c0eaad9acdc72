#pragma once
// TPopupMenus97: draws an ordinary QMenu in the Office-97 look: a filled
// highlight bar, check and radio marks (or an item's image) in a sunken
// mark column, embossed disabled captions, separators that carry a text
// ("-Text"), and a vertical banner along the popup's left edge, a gradient
// of horizontal bands with its text turned by 90 degrees, read bottom-up.
//
// The component owns one style, set on the attached menu and on its
// submenus; the menu and its QActions keep working as they did. The banner
// belongs to the attached menu alone, submenus get the item look. Detaching
// (SetPopupMenu(nullptr) or the component's end) gives the menus back their
// own style.
//
// An item shows image Images[Tag] when its "Tag" property (an int, see
// ItemTag) is 0 to 255; items without a Tag, or with another negative one,
// keep the mark column empty; Tag -1 or 256 and more draws the item plainly,
// without the mark column.

#include "controls/system_colors.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QStyle>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QPainter;

enum TBannerJustification { bjCenter, bjTop, bjBottom };
enum TMenus97Look { mlOffice97Look, mlIE4Look };

// Standing in for the desktop's menu colours, so every test sees the same pixels.
inline const QColor kHighlight{0, 0, 128};
inline const QColor kHighlightText{255, 255, 255};
inline const QColor kActiveCaption{0, 0, 128};

namespace menus97 {

// a * b / c rounded half away from zero; 0 when c is 0.
int MulDiv(int a, int b, int c);

struct Band {
    int top;     // first row
    int bottom;  // one past the last row
    QColor color;
    bool operator==(const Band&) const = default;
};

// The banner's background over rows top .. top + height - 1: one band when
// the two colours are equal or fewer than two bands are asked for,
// otherwise NumColors bands shading Start into End.
std::vector<Band> BannerBands(const QColor& Start, const QColor& End, int NumColors, int top, int height);

// Where the turned text goes inside Banner: Length is the text's advance
// (drawn upward), Thickness its line height (across the strip). With an
// image the strip's bottom (its width + 4) is kept for the image.
QRect BannerTextRect(const QRect& Banner, int Length, int Thickness, TBannerJustification Justification, bool HasImage);

// The mark column: the platform's check mark, or the "CheckMark" bitmap
// with 2 pixels either side when that is wider.
int MarkColumn(int PlatformMark, int BitmapSize);

// A measured item: the line or the mark, whichever is higher, with room
// round it; separators are a fixed 8 pixels.
int MeasuredHeight(int LineHeight, int Mark, bool Separator);

}  // namespace menus97

class TPopupMenus97 : public QObject {
    Q_OBJECT
public:
    explicit TPopupMenus97(QObject* parent = nullptr);
    ~TPopupMenus97() override;

    QMenu* PopupMenu() const { return qobject_cast<QMenu*>(menu_.data()); }
    void SetPopupMenu(QMenu* Value);

    bool Banner() const { return banner_; }
    void SetBanner(bool Value);
    QString BannerText() const { return bannerText_; }
    void SetBannerText(const QString& Value);
    QFont BannerFont() const { return bannerFont_; }
    void SetBannerFont(const QFont& Value);
    QColor BannerFontColor() const { return bannerFontColor_; }
    void SetBannerFontColor(const QColor& Value);
    QColor BannerColor() const { return bannerColor_; }
    void SetBannerColor(const QColor& Value);
    QColor BannerEndColor() const { return bannerEndColor_; }
    void SetBannerEndColor(const QColor& Value);
    int BannerNumColors() const { return bannerNumColors_; }
    void SetBannerNumColors(int Value);
    int BannerWidth() const { return bannerWidth_; }
    void SetBannerWidth(int Value);
    TBannerJustification BannerJustification() const { return bannerJustification_; }
    void SetBannerJustification(TBannerJustification Value);
    int BannerImage() const { return bannerImage_; }
    void SetBannerImage(int Value);

    const std::vector<QPixmap>& Images() const { return images_; }
    void SetImages(std::vector<QPixmap> Value);

    // The desktop's menu font until set.
    QFont Font() const { return font_; }
    void SetFont(const QFont& Value);
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& Value);
    QFont HiliteFont() const { return hiliteFont_; }
    void SetHiliteFont(const QFont& Value);
    QColor HiliteFontColor() const { return hiliteFontColor_; }
    void SetHiliteFontColor(const QColor& Value);
    QColor HiliteBar() const { return hiliteBar_; }
    void SetHiliteBar(const QColor& Value);
    QColor Brush() const { return brush_; }
    void SetBrush(const QColor& Value);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int Value);
    int ItemWidth() const { return itemWidth_; }
    void SetItemWidth(int Value);
    TMenus97Look Menus97Look() const { return look_; }
    void SetMenus97Look(TMenus97Look Value);

    // The mark column's width; the marks themselves are drawn in code.
    int MarkWidth() const;
    static const QImage& CheckMark();
    static const QImage& RadioMark();
    // An item's Tag, -2 when it has none.
    static int ItemTag(const QAction* Item);

    // The hint of the item last selected (its status tip, or what OnHint made of it).
    QString Hint() const { return hint_; }

    // Returns true when it drew the item itself.
    std::function<bool(TPopupMenus97* Sender, QMenu* Menu, QAction* Item, QPainter& Canvas, QStyle::State State,
                       const QRect& Rect)>
        OnDrawItem;
    std::function<void(TPopupMenus97* Sender, QAction* Item, int& Height, int& Width)> OnMeasureItem;
    std::function<void(TPopupMenus97* Sender, QAction* Item, QString& Hint)> OnHint;

private:
    class Style;
    friend class Style;
    void Attach(QMenu* menu);
    void Detach();
    void StyleMenus(QMenu* menu);
    void Changed();
    void Selected(QAction* item);

    // Held as plain objects: a menu being destroyed is no menu any more,
    // and qobject_cast then says so where a cast to QMenu would lie.
    QPointer<QObject> menu_;
    std::vector<QPointer<QObject>> styled_;
    std::unique_ptr<Style> style_;
    std::vector<QMetaObject::Connection> links_;
    bool banner_ = false;
    QString bannerText_;
    QFont bannerFont_;
    QColor bannerFontColor_{0, 0, 0};
    QColor bannerColor_ = kActiveCaption;
    QColor bannerEndColor_{0, 0, 0};
    int bannerNumColors_ = 16;
    int bannerWidth_ = 20;
    TBannerJustification bannerJustification_ = bjCenter;
    int bannerImage_ = -1;
    std::vector<QPixmap> images_;
    QFont font_;
    QColor fontColor_{0, 0, 0};
    QFont hiliteFont_;
    QColor hiliteFontColor_ = kHighlightText;
    QColor hiliteBar_ = kHighlight;
    QColor brush_ = kButtonFace;
    int itemHeight_ = 0;
    int itemWidth_ = 0;
    TMenus97Look look_ = mlOffice97Look;
    QString hint_;
};
