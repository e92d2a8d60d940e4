// The engine's half of the fresh-process cases: loading a document, and frame
// pacing under the document's frame-rate limit.
// Usage: bench_engine load DIR
//        bench_engine pacing DIR SECONDS WARMUP_SECONDS

#include "Common.h"
#include "EngineFrame.h"
#include "app/FrameLoop.h"

#include "core/Game.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace {

using bench::Clock;

int load(Game &game)
{
    const Clock::time_point begin = Clock::now();
    bench::startGame(game);
    const Clock::time_point end = Clock::now();
    bench::printResult("ms=" + std::to_string(bench::millisecondsBetween(begin, end)) +
                       " rss_kb=" + std::to_string(bench::peakResidentKb()));
    return 0;
}

int pacing(Game &game, sf::RenderWindow &window, double seconds, double warmupSeconds)
{
    bench::startGame(game);
    FramePacer pacer(frameRateLimit);
    bench::reportPacing(
        window, [&] { runPacedFrame(game, window, pacer); }, seconds, warmupSeconds);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || chdir(argv[2]) != 0) {
        std::fprintf(stderr, "usage: bench_engine load|pacing DIR [SECONDS WARMUP_SECONDS]\n");
        return 2;
    }
    const std::string mode = argv[1];
    sf::RenderWindow window = bench::openLoadingWindow();
    Game game;
    game.window = &window;
    try {
        int status = 2;
        if (mode == "load")
            status = load(game);
        else if (mode == "pacing" && argc > 4)
            status = pacing(game, window, std::atof(argv[3]), std::atof(argv[4]));
        game.stopAudio();
        return status;
    } catch (const StartupError &error) {
        std::cerr << game.describe(error) << std::endl;
        return 1;
    }
}
