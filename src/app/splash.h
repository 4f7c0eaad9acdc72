#pragma once
// The splash window, shown while the program starts.

#include <QWidget>

struct SharedState;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(SharedState& state);
    // Hiding the splash also gives it its resting size, centred on screen.
    void hideSplash();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FormCreate();
    void centre();
    SharedState& state_;
};
