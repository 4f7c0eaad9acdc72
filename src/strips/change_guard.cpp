#include "strips/change_guard.h"

ChangeGuard::Hold& ChangeGuard::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        release();
        guard_ = other.guard_;
        level_ = other.level_;
        other.guard_ = nullptr;
    }
    return *this;
}

void ChangeGuard::Hold::release() {
    if (!guard_) return;
    ChangeGuard* g = guard_;
    guard_ = nullptr;
    g->end(level_);
}

ChangeGuard::Hold ChangeGuard::hold(Level level) {
    if (level == Idle) return {};
    ++(level == Dragging ? drags_ : writers_);
    return Hold(this, level);
}

ChangeGuard::Level ChangeGuard::level() const {
    if (drags_ > 0) return Dragging;
    return writers_ > 0 ? Writing : Idle;
}

void ChangeGuard::end(Level level) {
    --(level == Dragging ? drags_ : writers_);
    if (idle() && onIdle_) onIdle_();
}
