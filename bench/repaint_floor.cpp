// What any Qt Widgets program pays to move meters 25 times a second on this
// desktop, for bench/peers.sh to set beside Tavlo's figure: two plain
// windows, the VU window's size and a mixer's, each with one small area
// whose picture changes on every tick of a 40 ms timer (as the VU window's
// lamps and the master strip's mini-meter do with the sound server's 25
// batches of peaks a second). Nothing else: no sound server, no model.
// --no-paint: the timer alone.
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace {

class Area : public QWidget {
public:
    Area(QSize window, QRect area) : area_(area) {
        resize(window);
        setWindowTitle(QStringLiteral("Repaint floor"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        for (int i = 0; i < 2; ++i) {
            faces_[i] = QPixmap(area.size());
            faces_[i].fill(i ? Qt::darkGreen : Qt::green);
        }
    }
    void step() {
        lit_ = !lit_;
        update(area_);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        if (!area_.contains(event->rect())) p.fillRect(event->rect(), Qt::lightGray);
        p.drawPixmap(area_.topLeft(), faces_[lit_ ? 1 : 0]);
    }

private:
    QRect area_;
    QPixmap faces_[2];
    bool lit_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool paint = !app.arguments().contains(QStringLiteral("--no-paint"));
    Area vu(QSize(450, 160), QRect(15, 25, 28, 118));    // a lamp column
    Area mixer(QSize(300, 300), QRect(20, 20, 50, 12));  // a mini-meter
    vu.move(40, 40);
    mixer.move(40, 300);
    vu.show();
    mixer.show();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!paint) return;
        vu.step();
        mixer.step();
    });
    tick.start(40);
    return app.exec();
}
