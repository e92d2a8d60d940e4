#include "app/FramePacer.h"

#include <thread>

FramePacer::Time FramePacer::steadyTime()
{
    return {[] { return Clock::now(); }, [](Clock::time_point until) { std::this_thread::sleep_until(until); }};
}

FramePacer::FramePacer(int rate, Time source)
    : time(std::move(source)), framesPerSecond(rate > 0 ? rate : 0), start(time.now())
{
}

void FramePacer::waitForNextFrame()
{
    if (framesPerSecond == 0)
        return;
    ++frame;
    // Whole nanoseconds from the start, so the period's rounding never adds up either.
    Clock::time_point deadline = start + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::nanoseconds(frame * 1000000000 / framesPerSecond));
    const Clock::time_point now = time.now();
    if (now - deadline > maxBacklog) {
        start = now;
        frame = 0;
        deadline = now;
    }
    time.sleepUntil(deadline);
}
