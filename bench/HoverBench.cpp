// What is under the pointer, worked out once a frame, in a scene of 10,000
// labelled sprites: the pointer moves every frame, so nothing is reused from
// the frame before. Half the points hit a sprite, half hit none, which tests
// every sprite.
// Usage: bench_hover FOLDER [FRAMES]   (FOLDER: an empty folder to write the game in)
// Prints "RESULT sprites=... median_ms=... p99_ms=... max_ms=...".

#include "Common.h"

#include "core/Game.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: bench_hover FOLDER [FRAMES]\n");
        return 2;
    }
    const std::size_t frames = argc > 2 ? static_cast<std::size_t>(std::atol(argv[2])) : 5000;
    // Ten-unit squares over the left half of the world, each with a label and a click text.
    bench::writeGridGame("Hover", {10, 10}, 5,
                         "<text id=\"label\" src=\"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\">A square</text>\n",
                         " hoverText=\"label\" onClickText=\"label\"");
    sf::RenderWindow window = bench::openLoadingWindow();
    Game game;
    game.window = &window;
    game.echo = nullptr;
    game.start("game.xml");
    std::vector<double> times;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        // Inside the grid on even frames, right of it (over nothing) on odd ones.
        const float x = static_cast<float>(frame % 500) + (frame % 2 ? 600.f : 0.f);
        const sf::Vector2f point(x, static_cast<float>(frame % 1100));
        const bench::Clock::time_point begin = bench::Clock::now();
        game.movePointer(point);
        game.transition();
        times.push_back(bench::millisecondsBetween(begin, bench::Clock::now()));
    }
    std::sort(times.begin(), times.end());
    char line[160];
    std::snprintf(line, sizeof line, "sprites=%d median_ms=%.4f p99_ms=%.4f max_ms=%.4f", bench::gridSprites,
                  times[times.size() / 2], times[times.size() * 99 / 100], times.back());
    bench::printResult(line);
    game.release();
    return 0;
}
