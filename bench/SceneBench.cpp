// Frames and clicks over one scene, engine against bare in one process: the
// game and a bare copy of it are loaded side by side from the same document,
// then measured alternately, one frame or one click repetition each in turn,
// so both see the same machine at the same moments.
// Usage: bench_scene frame DIR SECONDS_PER_SIDE MIN_FRAMES WARMUP_SECONDS
//        bench_scene click DIR REPETITIONS
// frame prints "FRAMES engine ..." and "FRAMES bare ..." in milliseconds;
// click prints "RESULT engine_ns=... bare_ns=..." per repetition, in
// nanoseconds per sprite tested.

#include "BareGame.h"
#include "Common.h"
#include "EngineFrame.h"
#include "app/FrameLoop.h"

#include "core/Game.h"
#include "elements/EScene.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

using bench::Clock;

template <typename Frame>
double timedFrame(Frame &&frame)
{
    const Clock::time_point begin = Clock::now();
    frame();
    return bench::millisecondsBetween(begin, Clock::now());
}

int frames(Game &game, BareGame &bare, sf::RenderWindow &window, double seconds, std::size_t minFrames,
           double warmupSeconds)
{
    auto engineFrame = [&] { runFrame(game, window); };
    auto bareFrame = [&] { bare.frame(window); };
    const Clock::time_point warmupEnd = Clock::now() + bench::duration(warmupSeconds);
    do {
        engineFrame();
        bareFrame();
    } while (Clock::now() < warmupEnd);
    std::vector<double> engine, plain;
    double engineTotal = 0.0, bareTotal = 0.0;
    while (window.isOpen() && (std::min(engineTotal, bareTotal) < seconds * 1000.0 || engine.size() < minFrames)) {
        engine.push_back(timedFrame(engineFrame));
        plain.push_back(timedFrame(bareFrame));
        engineTotal += engine.back();
        bareTotal += plain.back();
    }
    bench::printFrameTimes("engine", engine);
    bench::printFrameTimes("bare", plain);
    return 0;
}

// A fixed, spread-out set of points over the 1100 by 1100 world, so both
// sides test the same clicks in every repetition.
std::vector<sf::Vector2f> clickPoints(std::size_t count)
{
    std::vector<sf::Vector2f> points;
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.f * 1100.f;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const float x = next();
        points.push_back({x, next()});
    }
    return points;
}

// The hit count leaves the loop through a volatile, so the compiler must do
// every test.
volatile std::size_t bareHits = 0;

double bareNanoseconds(const BareGame &bare, const std::vector<sf::Vector2f> &points)
{
    const Clock::time_point begin = Clock::now();
    std::size_t hits = 0;
    for (const sf::Vector2f &point : points)
        for (const sf::Sprite &sprite : bare.sprites)
            hits += sprite.getGlobalBounds().contains(point);
    const Clock::time_point end = Clock::now();
    bareHits = hits;
    return bench::millisecondsBetween(begin, end) * 1e6 / static_cast<double>(points.size() * bare.sprites.size());
}

double engineNanoseconds(Game &game, const std::vector<sf::Vector2f> &points)
{
    const Clock::time_point begin = Clock::now();
    for (const sf::Vector2f &point : points)
        game.clickAt(point);
    const Clock::time_point end = Clock::now();
    return bench::millisecondsBetween(begin, end) * 1e6 /
           static_cast<double>(points.size() * game.scene->sprites.size());
}

int clicks(Game &game, const BareGame &bare, int repetitions)
{
    // Each repetition tests about two million sprites: long enough to time, short enough to repeat.
    const std::size_t count = std::max<std::size_t>(16, 2000000 / bare.sprites.size());
    const std::vector<sf::Vector2f> points = clickPoints(count);
    engineNanoseconds(game, points);
    bareNanoseconds(bare, points);
    for (int i = 0; i < repetitions; ++i) {
        const double engine = engineNanoseconds(game, points);
        const double plain = bareNanoseconds(bare, points);
        bench::printResult("engine_ns=" + std::to_string(engine) + " bare_ns=" + std::to_string(plain));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!((mode == "frame" && argc == 6) || (mode == "click" && argc == 4)) || chdir(argv[2]) != 0) {
        std::fprintf(stderr, "usage: bench_scene frame DIR SECONDS_PER_SIDE MIN_FRAMES WARMUP_SECONDS\n"
                             "       bench_scene click DIR REPETITIONS\n");
        return 2;
    }
    sf::RenderWindow window = bench::openLoadingWindow();
    Game game;
    game.window = &window;
    bench::startGame(game);
    BareGame bare;
    bare.load(window);
    if (game.scene->sprites.size() != bare.sprites.size() || bare.sprites.empty()) {
        std::fprintf(stderr, "bench_scene: the engine placed %zu sprites, the bare program %zu\n",
                     game.scene->sprites.size(), bare.sprites.size());
        return 1;
    }
    const int status = mode == "frame" ? frames(game, bare, window, std::atof(argv[3]),
                                                static_cast<std::size_t>(std::atoi(argv[4])), std::atof(argv[5]))
                                       : clicks(game, bare, std::atoi(argv[3]));
    game.stopAudio();
    return status;
}
