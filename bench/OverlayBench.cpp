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

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

constexpr int spriteCount = 10000;

// 10,000 small boxes on a 100 by 100 grid, each outlined and labelled.
void writeGame()
{
    sf::Image square;
    square.create(20, 10, sf::Color::Red);
    square.saveToFile("square.png");
    std::ofstream document("game.xml");
    document << "<game entryScene=\"1\" width=\"1100\" height=\"1100\" title=\"Overlay\" fps=\"0\">\n"
                "<assets path=\".\">\n";
    for (int i = 0; i < spriteCount; ++i)
        document << "<sprite id=\"s" << i << "\" src=\"square.png\" origin=\"0, 0\" position=\"" << (i % 100) * 11
                 << ", " << (i / 100) * 11 << "\"/>\n";
    document << "</assets>\n<scenes><scene sceneId=\"1\">\n";
    for (int i = 0; i < spriteCount; ++i)
        document << "<s" << i << "/>\n";
    document << "</scene></scenes>\n</game>\n";
}

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
    writeGame();
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
    std::printf("RESULT sprites=%d hidden_ms=%.2f shown_ms=%.2f ratio=%.2f\n", spriteCount, hiddenMs, shownMs,
                shownMs / hiddenMs);
    return EXIT_SUCCESS;
}
