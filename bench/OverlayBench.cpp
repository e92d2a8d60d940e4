// Frame time of a scene of 10,000 sprites with the debug overlay shown
// against hidden (F1), alternating one frame each so that both see the same
// machine at the same moments. The overlay should cost at most half a frame
// more: a shown/hidden ratio under 1.5.
// Usage: bench_overlay FOLDER [FRAMES]   (FOLDER: an empty folder to write the game in)
// Prints "RESULT sprites=... hidden_ms=... shown_ms=... ratio=..." (medians).

#include "Common.h"

#include "app/DebugOverlay.h"
#include "app/FrameLoop.h"
#include "core/Game.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: bench_overlay FOLDER [FRAMES]\n");
        return 2;
    }
    const std::size_t frames = argc > 2 ? static_cast<std::size_t>(std::atol(argv[2])) : 300;
    // 10,000 small boxes, each outlined and labelled.
    bench::writeGridGame("Overlay", {20, 10}, 11);
    sf::RenderWindow window = bench::openLoadingWindow();
    Game game;
    game.window = &window;
    game.echo = nullptr;
    game.start("game.xml");
    DebugOverlay overlay(window);
    MouseInput input(nullptr, &overlay);
    sf::Event f1{};
    f1.type = sf::Event::KeyPressed;
    f1.key.code = sf::Keyboard::F1;
    std::vector<double> shown;
    std::vector<double> hidden;
    for (std::size_t frame = 0; frame < 2 * frames; ++frame) {
        const bench::Clock::time_point begin = bench::Clock::now();
        runFrame(game, window, input, frame);
        (frame % 2 == 0 ? shown : hidden).push_back(bench::millisecondsBetween(begin, bench::Clock::now()));
        overlay.handle(f1);
    }
    const double shownMs = median(shown);
    const double hiddenMs = median(hidden);
    std::printf("RESULT sprites=%d hidden_ms=%.2f shown_ms=%.2f ratio=%.2f\n", bench::gridSprites, hiddenMs, shownMs,
                shownMs / hiddenMs);
    return EXIT_SUCCESS;
}
