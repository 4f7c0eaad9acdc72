#include "controls/smooth_show.h"

#include "controls/whole_update.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace smooth_show {

int NextProgress(int progress) { return std::min(100, progress * 3 / 2 + 2); }

namespace {
int Between(qint64 from, qint64 to, int progress) {
    const qint64 v = from + (to - from) * progress / 100;
    return static_cast<int>(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
}  // namespace

QRect FrameRect(int progress, const QRect& from, const QRect& to) {
    progress = std::clamp(progress, 0, 100);
    return QRect(Between(from.x(), to.x(), progress), Between(from.y(), to.y(), progress),
                 Between(from.width(), to.width(), progress), Between(from.height(), to.height(), progress));
}

QRect SmallRect(MinLocation where, const QRect& screen, const QRect& custom) {
    switch (where) {
        case MinLocation::mlCenter:
            return QRect(screen.x() + screen.width() / 2, screen.y() + screen.height() / 2, 0, 0);
        case MinLocation::mlTopLeft:
            return QRect(screen.x(), screen.y(), 0, 0);
        case MinLocation::mlTopRight:
            return QRect(screen.x() + screen.width(), screen.y(), 0, 0);
        case MinLocation::mlBottomLeft:
            return QRect(screen.x(), screen.y() + screen.height(), 0, 0);
        case MinLocation::mlBottomRight:
            return QRect(screen.x() + screen.width(), screen.y() + screen.height(), 0, 0);
        case MinLocation::mlCustom:
            break;
    }
    return custom;
}

QRegion FrameRegion(const QSize& size, int borderWidth) {
    if (size.width() <= 0 || size.height() <= 0 || borderWidth <= 0) return {};
    const QRegion whole(0, 0, size.width(), size.height());
    const int innerWidth = size.width() - 2 * borderWidth;
    const int innerHeight = size.height() - 2 * borderWidth;
    if (innerWidth <= 0 || innerHeight <= 0) return whole;
    return whole.subtracted(QRegion(borderWidth, borderWidth, innerWidth, innerHeight));
}

}  // namespace smooth_show

TSmoothShow::TSmoothShow(QObject* parent) : QObject(parent), control_(qobject_cast<QWidget*>(parent)) {
    timer_.setParent(this);
    connect(&timer_, &QTimer::timeout, this, &TSmoothShow::Step);
}

TSmoothShow::~TSmoothShow() {
    // Destroyed mid-run: a control that lives on keeps no hiding outline. When
    // the control is the parent it is going too, and is left alone.
    if (running_ && control_ != parent()) RestoreControl();
}

void TSmoothShow::SetMinRect(int Left, int Top, int Width, int Height) {
    minRect_ = QRect(Left, Top, std::clamp(Width, 0, 0xFFFF), std::clamp(Height, 0, 0xFFFF));
}

void TSmoothShow::SetMaxRect(int Left, int Top, int Width, int Height) {
    maxRect_ = QRect(Left, Top, std::clamp(Width, 0, 0xFFFF), std::clamp(Height, 0, 0xFFFF));
}

void TSmoothShow::SetControl(QWidget* Value) {
    if (!running_) control_ = Value;
}

QRect TSmoothShow::LargeRect() const {
    if (maxLocation_ == TMaxLocation::xlDefault && control_)
        return QRect(control_->mapToGlobal(QPoint(0, 0)), control_->size());
    return maxRect_;
}

void TSmoothShow::Execute() {
    if (running_ || !control_ || !enabled_) return;
    running_ = true;
    ++executed_;
    const QScreen* screen = control_->screen() ? control_->screen() : QGuiApplication::primaryScreen();
    const QRect small = smooth_show::SmallRect(minLocation_, screen ? screen->geometry() : QRect(), minRect_);
    const QRect large = LargeRect();
    start_ = reverse_ ? large : small;
    end_ = reverse_ ? small : large;

    frame_ = std::make_unique<QWidget>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                    Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    frame_->setObjectName(QStringLiteral("SmoothShowFrame"));
    frame_->setAttribute(Qt::WA_ShowWithoutActivating);
    QPalette palette = frame_->palette();
    palette.setColor(QPalette::Window, color_);
    frame_->setPalette(palette);
    frame_->setAutoFillBackground(true);

    HideControl();
    progress_ = 0;
    timer_.setInterval(delay_);
    timer_.start();
    Step();
}

void TSmoothShow::HideControl() {
    savedMask_ = control_->mask();
    // An empty region would mean no outline at all: one pixel outside the
    // window leaves nothing of it on the screen.
    hidingMask_ = QRegion(-1, -1, 1, 1);
    control_->setMask(hidingMask_);
}

void TSmoothShow::RestoreControl() {
    if (!control_) return;
    // Someone who gave the control an outline of their own meanwhile keeps it.
    if (control_->mask() == hidingMask_) {
        if (savedMask_.isEmpty())
            control_->clearMask();
        else
            control_->setMask(savedMask_);
    }
    // What the control drew while it hid behind the outline was clipped to
    // it, and giving a window its outline back repaints nothing of its own.
    UpdateWholeWindow(*control_);
}

void TSmoothShow::Step() {
    const QRect r = smooth_show::FrameRect(progress_, start_, end_);
    shownProgress_ = progress_;
    const QRegion outline = smooth_show::FrameRegion(r.size(), borderWidth_);
    frame_->setGeometry(r);
    if (outline.isEmpty()) {
        frame_->hide();  // nothing to draw, and no outline would show it whole
    } else {
        frame_->setMask(outline);
        if (!frame_->isVisible()) frame_->show();
        frame_->update();
    }
    if (progress_ >= 100) {
        timer_.stop();
        if (OnFinishing) OnFinishing(this);
        frame_.reset();
        RestoreControl();
        running_ = false;
        if (OnFinish) OnFinish(this);
        return;  // OnFinish may already have started the next run
    }
    progress_ = smooth_show::NextProgress(progress_);
}
