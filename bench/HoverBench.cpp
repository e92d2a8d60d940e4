// What is under the pointer, worked out once a frame, in a scene of 10,000
// labelled sprites: the pointer moves every frame, so nothing is reused from
// the frame before. Half the points hit a sprite, half hit none, which tests
// every sprite.
// Usage: bench_hover FOLDER [FRAMES]   (FOLDER: an empty folder to write the game in)
// Prints "RESULT sprites=... median_ms=... p99_ms=... max_ms=...".

#include "Common.h"

#include "core/Game.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int spriteCount = 10000;

// 10,000 ten-unit squares on a 100 by 100 grid over the left half of the
// world, each with a label and a click text.
void writeGame()
{
    sf::Image square;
    square.create(10, 10, sf::Color::Red);
    square.saveToFile("square.png");
    std::ofstream document("game.xml");
    document << "<game entryScene=\"1\" width=\"1100\" height=\"1100\" title=\"Hover\" fps=\"0\">\n"
                "<assets path=\".\">\n<text id=\"label\" src=\"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\">"
                "A square</text>\n";
    for (int i = 0; i < spriteCount; ++i)
        document << "<sprite id=\"s" << i << "\" src=\"square.png\" origin=\"0, 0\" position=\"" << (i % 100) * 5
                 << ", " << (i / 100) * 11 << "\"/>\n";
    document << "</assets>\n<scenes><scene sceneId=\"1\">\n";
    for (int i = 0; i < spriteCount; ++i)
        document << "<s" << i << " hoverText=\"label\" onClickText=\"label\"/>\n";
    document << "</scene></scenes>\n</game>\n";
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: bench_hover FOLDER [FRAMES]\n");
        return 2;
    }
    const std::size_t frames = argc > 2 ? static_cast<std::size_t>(std::atol(argv[2])) : 5000;
    writeGame();
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
    std::snprintf(line, sizeof line, "sprites=%d median_ms=%.4f p99_ms=%.4f max_ms=%.4f", spriteCount,
                  times[times.size() / 2], times[times.size() * 99 / 100], times.back());
    bench::printResult(line);
    game.release();
    return 0;
}
