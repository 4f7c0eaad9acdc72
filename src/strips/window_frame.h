#pragma once
// The frame of a mixer window: border pictures, the title label and the
// four corner buttons. The pictures and the title let presses through to
// the window, so the window can be dragged by them.

class QLabel;
class QWidget;
class TPanel;

struct WindowFrame {
    QLabel* Image1;    // top
    QLabel* Image2;    // left
    QLabel* Image3;    // bottom
    QLabel* Image4;    // right
    QLabel* Label14;   // title
    TPanel* Panel2;    // top left
    TPanel* Panel32;   // bottom left
    TPanel* Panel108;  // top right
    TPanel* Panel107;  // bottom right

    WindowFrame(QWidget* window, int width, int height, const char* cornerHint);
    // Sizes the frame to a new window width, with the right-hand pieces and
    // the title ending 14 pixels from the right edge.
    void SetWidth(int width);

private:
    QWidget* window_;
};
