#include "app/FramePacer.h"

#include <thread>

FramePacer::FramePacer(int rate) : framesPerSecond(rate > 0 ? rate : 0), start(Clock::now()) {}

void FramePacer::waitForNextFrame()
{
    if (framesPerSecond == 0)
        return;
    ++frame;
    // Whole nanoseconds from the start, so the period's rounding never adds up either.
    Clock::time_point deadline = start + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::nanoseconds(frame * 1000000000 / framesPerSecond));
    const Clock::time_point now = Clock::now();
    if (now - deadline > maxBacklog) {
        start = now;
        frame = 0;
        deadline = now;
    }
    std::this_thread::sleep_until(deadline);
}
