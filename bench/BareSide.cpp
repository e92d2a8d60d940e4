// The bare half of the fresh-process cases: the same work written directly
// against SFML and RapidXML, with nothing of the engine.
// Usage: bench_bare load DIR
//        bench_bare pacing DIR SECONDS WARMUP_SECONDS
//        bench_bare deadlines DIR SECONDS WARMUP_SECONDS
// "deadlines" paces without SFML's limit, sleeping to absolute deadlines one
// frame period apart: what a frame loop could do to hold the document's rate.

#include "BareGame.h"
#include "Common.h"

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

using bench::Clock;

int load(BareGame &game, sf::RenderWindow &window)
{
    const Clock::time_point begin = Clock::now();
    game.load(window);
    const Clock::time_point end = Clock::now();
    bench::printResult("ms=" + std::to_string(bench::millisecondsBetween(begin, end)) +
                       " rss_kb=" + std::to_string(bench::peakResidentKb()));
    return 0;
}

// With `deadlines`, the window's own limit is switched off and each frame
// sleeps until its deadline, one period after the last one, so that late
// wake-ups do not add up the way relative sleeps do.
int pacing(BareGame &game, sf::RenderWindow &window, double seconds, double warmupSeconds, bool deadlines)
{
    game.load(window);
    Clock::duration period{};
    if (deadlines) {
        period = bench::duration(1.0 / game.fps);
        window.setFramerateLimit(0);
    }
    Clock::time_point deadline = Clock::now();
    auto frame = [&] {
        game.frame(window);
        if (deadlines) {
            deadline += period;
            std::this_thread::sleep_until(deadline);
        }
    };
    bench::reportPacing(window, frame, seconds, warmupSeconds);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || chdir(argv[2]) != 0) {
        std::fprintf(stderr, "usage: bench_bare load|pacing|deadlines DIR [SECONDS WARMUP_SECONDS]\n");
        return 2;
    }
    const std::string mode = argv[1];
    sf::RenderWindow window = bench::openLoadingWindow();
    BareGame game;
    if (mode == "load")
        return load(game, window);
    if ((mode == "pacing" || mode == "deadlines") && argc > 4)
        return pacing(game, window, std::atof(argv[3]), std::atof(argv[4]), mode == "deadlines");
    return 2;
}
