#pragma once

#include <chrono>
#include <cstdint>

// Holds a loop to a frame rate by sleeping until each frame's deadline,
// start + n * period, rather than for one period after each frame: a late
// wake-up shortens the next sleep instead of adding up frame after frame.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    // A loop far behind its schedule (a stalled machine, a window being
    // dragged) starts a new one instead of making up with a burst of frames.
    static constexpr std::chrono::milliseconds maxBacklog{100};

    // 0 frames per second means no limit.
    explicit FramePacer(int framesPerSecond);

    // Sleeps until the next frame is due.
    void waitForNextFrame();

private:
    std::int64_t framesPerSecond;
    Clock::time_point start;
    std::int64_t frame = 0;
};
