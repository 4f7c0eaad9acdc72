#pragma once
// The splash window, shown while the program starts: its picture, drawn in
// code with the version text, and an outline that follows the picture.

#include <QImage>
#include <QWidget>

struct SharedState;
class TFormShaper;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(SharedState& state);
    // Hiding the splash also gives it its resting size, centred on screen.
    void hideSplash();

    // Image1: the 241 × 127 picture, at (-2, 50) in the window.
    const QImage& Picture() const { return picture_; }
    TFormShaper* FormShaper1;  // carries the outline as its "FormShape" stream

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FormCreate();
    void centre();
    SharedState& state_;
    QImage picture_;
};
