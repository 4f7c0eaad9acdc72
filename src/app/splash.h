#pragma once
// The splash window, shown while the program starts.

#include <QWidget>

class AppContext;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(AppContext& context);
    // Hiding the splash also gives it its resting size, centred on screen.
    void hideSplash();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FormCreate();
    void centre();
    AppContext& context_;
};
