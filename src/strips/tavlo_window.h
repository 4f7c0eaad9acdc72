#pragma once
// Base of the program's borderless windows: stay-on-top, no frame, and
// moved by a press on any free spot of their surface, as a title bar would.

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

protected:
    // The mixer windows' surface behind their frames and strips.
    void setBlackBackground();
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool designedPlacement_ = false;
    enum class Drag { None, System, Manual } drag_ = Drag::None;
    QPoint grabOffset_;  // mouse position within the window at the press
};
