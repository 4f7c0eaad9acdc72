// The popup menu's items that carry the user's choices, the magnet timer
// and the animation switch, in their design states.

#include "controls/menus97.h"
#include "controls/smooth_show.h"
#include "rec/rec_window.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

namespace {

QAction* item(QMenu* menu, const char* name, const char* caption, bool checked) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

QAction* plainItem(QMenu* menu, const char* name, const char* caption) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

}  // namespace

void Trec::BuildMenu() {
    PopupMenu->addSeparator()->setObjectName(QStringLiteral("test2"));
    QMenu* looks = PopupMenu->addMenu(QStringLiteral("Looks"));
    looks->setObjectName(QStringLiteral("Option"));
    GreenSilver1 = item(looks, "GreenSilver1", "Colored borders", true);
    Silverborders1 = item(looks, "Silverborders1", "Silver borders", false);
    looks->addSeparator()->setObjectName(QStringLiteral("Otheroptions1"));
    BlackPlay1 = item(looks, "BlackPlay1", "Black Play", true);
    BlackRec1 = item(looks, "BlackRec1", "Black Rec", true);
    WhitePlay1 = item(looks, "WhitePlay1", "White Play", false);
    WhiteRec1 = item(looks, "WhiteRec1", "White Rec", false);
    magnet = item(PopupMenu, "magnet", "Magnet between the mixers", true);
    anim = item(PopupMenu, "anim", "Animated window", true);
    chanel = plainItem(PopupMenu, "chanel", "Visible channels");
    about = plainItem(PopupMenu, "about", "About Tavlo by Varnel");
    PopupMenu->addSeparator()->setObjectName(QStringLiteral("test3"));
    Quit1 = plainItem(PopupMenu, "Quit1", "Terminate Tavlo and Quit");
    PopupMenu->addSeparator()->setObjectName(QStringLiteral("ligne"));
    save = plainItem(PopupMenu, "save", "Save your configuration");
    connect(save, &QAction::triggered, this, &Trec::saveRequested);
    // Only closes the menu, as any item does.
    plainItem(PopupMenu, "OK", "OK, close the menu...");
    auto* PopupMenunew = new TPopupMenus97(this);  // the menu's look, with the maker's banner
    PopupMenunew->setObjectName(QStringLiteral("PopupMenunew"));
    QFont bannerFont(QStringLiteral("Arial"));
    bannerFont.setPixelSize(16);
    PopupMenunew->SetBannerFont(bannerFont);
    PopupMenunew->SetBannerText(QStringLiteral("Varnel Prototyping"));
    PopupMenunew->SetBannerColor(QColor(0, 128, 0));  // green to lime
    PopupMenunew->SetBannerEndColor(QColor(0, 255, 0));
    PopupMenunew->SetBanner(true);
    PopupMenunew->SetPopupMenu(PopupMenu);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, &Trec::magnetStepDue);
    SmoothShow1 = new TSmoothShow(this);
    SmoothShow1->SetColor(QColor(255, 128, 128));
    SmoothShow1->setObjectName(QStringLiteral("SmoothShow1"));
}
