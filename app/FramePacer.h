#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

// Holds a loop to a frame rate by sleeping until each frame's deadline,
// start + n * period, rather than for one period after each frame: a late
// wake-up shortens the next sleep instead of adding up frame after frame.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    // A loop far behind its schedule (a stalled machine, a window being
    // dragged) starts a new one instead of making up with a burst of frames.
    static constexpr std::chrono::milliseconds maxBacklog{100};

    // Where the pacer reads the time and how it waits: the steady clock and
    // a sleep, unless a test keeps the time itself.
    struct Time {
        std::function<Clock::time_point()> now;
        std::function<void(Clock::time_point)> sleepUntil;
    };
    static Time steadyTime();

    // 0 frames per second means no limit.
    explicit FramePacer(int framesPerSecond, Time time = steadyTime());

    // Sleeps until the next frame is due.
    void waitForNextFrame();

private:
    Time time;
    std::int64_t framesPerSecond;
    Clock::time_point start;
    std::int64_t frame = 0;
};
