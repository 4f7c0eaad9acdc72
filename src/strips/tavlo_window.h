#pragma once
// Base of the program's borderless windows: stay-on-top, no frame, and
// moved by a press on any free spot of their surface, as a title bar would.
// What the window manager and the user do to the window as a whole comes
// out as signals; the program decides what follows.

#include <QPoint>
#include <QWidget>

class TavloWindow : public QWidget {
    Q_OBJECT
public:
    TavloWindow(const QString& objectName, const QString& caption);

    // Switches between stay-on-top and normal style (dialogs of the program
    // lower the mixer windows while they are open).
    void setStayOnTop(bool onTop);

    // Centred on the screen until a stored position is applied; from then
    // on the window stays where the configuration put it.
    bool designedPlacement() const { return designedPlacement_; }
    void setDesignedPlacement() { designedPlacement_ = true; }
    // Centres the window on the screen.
    void centre();
    // Centres it again at a new size, until it was first shown or placed by
    // the configuration: laid out for the card before anyone saw it.
    void centreUntilPlaced();

signals:
    // A right click anywhere on the window that nothing inside took.
    void menuRequested(QPoint globalPos);
    void activated();
    void deactivated();
    void hidden();
    // The window manager minimised the window.
    void minimized();

protected:
    // The mixer windows' surface behind their frames and strips.
    void setBlackBackground();
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Qt's geometry made to agree with the X server's.
    void keepGeometryTrue();

    bool designedPlacement_ = false;
    bool keepingTrue_ = false;
    bool placeCheckDue_ = false;  // shown, not yet on the screen
    bool shownOnce_ = false;
    enum class Drag { None, System, Manual } drag_ = Drag::None;
    QPoint grabOffset_;  // mouse position within the window at the press
};
