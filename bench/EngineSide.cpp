// The engine's half of the fresh-process cases: loading a document, frame
// pacing under the document's frame-rate limit, and reloading under --watch.
// Usage: bench_engine load DIR
//        bench_engine pacing DIR SECONDS WARMUP_SECONDS
//        bench_engine reload DIR COUNT

#include "Common.h"
#include "EngineFrame.h"
#include "app/FrameLoop.h"
#include "app/Reload.h"

#include "core/Game.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
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

// What --watch does: the first load beside no game, then `count` reloads,
// each beside the running game as a save of the document makes it, with the
// checker's warnings printed (to standard error) as the engine prints them.
int reloads(sf::RenderWindow &window, int count)
{
    const GameLocation location{std::filesystem::current_path().string(), "game.xml", "game.xml"};
    const SaveSettings saves;
    Clock::time_point begin = Clock::now();
    std::unique_ptr<Game> game =
        reload(nullptr, readGameDocument(location), location, std::nullopt, window, nullptr, saves);
    bench::printResult("first_ms=" + std::to_string(bench::millisecondsBetween(begin, Clock::now())));
    for (int i = 0; i < count && game; ++i) {
        begin = Clock::now();
        game = reload(std::move(game), readGameDocument(location), location, std::nullopt, window, nullptr, saves);
        bench::printResult("reload_ms=" + std::to_string(bench::millisecondsBetween(begin, Clock::now())));
    }
    if (!game)
        return 1;
    game->stopAudio();
    game->release();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || chdir(argv[2]) != 0) {
        std::fprintf(stderr, "usage: bench_engine load|pacing|reload DIR [SECONDS WARMUP_SECONDS | COUNT]\n");
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
        else if (mode == "reload" && argc > 3)
            status = reloads(window, std::atoi(argv[3]));
        game.stopAudio();
        return status;
    } catch (const StartupError &error) {
        std::cerr << game.describe(error) << std::endl;
        return 1;
    }
}
