#pragma once
// The guard between the program's own writes and the card's change
// notifications: 0 idle (changes made outside are shown), 1 the program is
// writing or initialising, 2 a fader is being dragged.
//
// It is taken only through holds that let go when they end, so no path can
// leave it set. Holds may overlap and end in any order: the guard reads 2
// while any drag hold lives, else 1 while any other hold lives, else 0.

#include <cstdint>
#include <functional>

class ChangeGuard {
public:
    enum Level : std::uint8_t { Idle = 0, Writing = 1, Dragging = 2 };

    class Hold {
    public:
        Hold() = default;
        Hold(Hold&& other) noexcept : guard_(other.guard_), level_(other.level_) { other.guard_ = nullptr; }
        Hold& operator=(Hold&& other) noexcept;
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() { release(); }

        void release();
        bool active() const { return guard_ != nullptr; }

    private:
        friend class ChangeGuard;
        Hold(ChangeGuard* guard, Level level) : guard_(guard), level_(level) {}
        ChangeGuard* guard_ = nullptr;
        Level level_ = Idle;
    };

    ChangeGuard() = default;
    ChangeGuard(const ChangeGuard&) = delete;
    ChangeGuard& operator=(const ChangeGuard&) = delete;

    [[nodiscard]] Hold hold(Level level = Writing);

    Level level() const;
    bool idle() const { return level() == Idle; }
    bool dragging() const { return level() == Dragging; }
    // Compares with the plain 0/1/2 of the windows' design.
    friend bool operator==(const ChangeGuard& g, int value) { return g.level() == value; }

    // Runs each time the last hold ends (the guard returns to 0).
    void setOnIdle(std::function<void()> handler) { onIdle_ = std::move(handler); }

private:
    void end(Level level);
    int writers_ = 0;
    int drags_ = 0;
    std::function<void()> onIdle_;
};
