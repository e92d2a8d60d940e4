// A frame of a scene of 1,000 sprites, each with a baseline, the player
// walking among them: sorted by depth against drawn as listed. Each frame is
// played, drawn and displayed. The two games are loaded in turns, a block of
// frames each, so the machine's drift falls on both alike.
// Usage: bench_depth FOLDER [FRAMES]   (FOLDER: an empty folder to write the games in)
// Prints "RESULT sprites=... sorted_ms=... listed_ms=..." (medians of a frame).

#include "Common.h"

#include "core/Frame.h"
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

constexpr int sprites = 1000;

// 40 by 25 squares of 20 units over the world, each with its own baseline;
// the player walks from the top to the bottom and back, crossing them all.
void writeGame(const std::string &file, bool sorted)
{
    std::ofstream document(file);
    document << "<game entryScene=\"1\" width=\"1100\" height=\"1100\" title=\"Depth\" fps=\"0\">\n"
             << "<assets path=\".\">\n";
    for (int i = 0; i < sprites; ++i)
        document << "<sprite id=\"s" << i << "\" src=\"square.png\" origin=\"0, 0\" position=\"" << (i % 40) * 27
                 << ", " << (i / 40) * 44 << "\"/>\n";
    document << "<player src=\"square.png\" speed=\"7\" position=\"550, 10\" origin=\"10, 20\"/>\n"
             << "</assets>\n<scenes><scene sceneId=\"1\"" << (sorted ? " depthSort=\"true\"" : "") << ">\n<player/>\n";
    for (int i = 0; i < sprites; ++i)
        document << "<s" << i << " baseline=\"" << (i / 40) * 44 + 20 << "\"/>\n";
    document << "</scene></scenes>\n</game>\n";
}

// Milliseconds of each of `frames` frames of `file`, the player sent to the
// far end whenever it stops.
void timeFrames(sf::RenderWindow &window, const char *file, std::size_t frames, std::vector<double> &times)
{
    Game game;
    game.window = &window;
    game.echo = nullptr;
    game.start(file);
    bool down = true;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const bench::Clock::time_point begin = bench::Clock::now();
        playFrame(game, [&](Game &played) {
            if (!played.player->walking) {
                played.press({550.f, down ? 1090.f : 10.f});
                down = !down;
            }
        });
        window.clear();
        game.draw();
        window.display();
        times.push_back(bench::millisecondsBetween(begin, bench::Clock::now()));
    }
    game.release();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: bench_depth FOLDER [FRAMES]\n");
        return 2;
    }
    const std::size_t frames = argc > 2 ? static_cast<std::size_t>(std::atol(argv[2])) : 4000;
    sf::Image square;
    square.create(20, 20, sf::Color::Red);
    square.saveToFile("square.png");
    writeGame("sorted.xml", true);
    writeGame("listed.xml", false);
    sf::RenderWindow window = bench::openLoadingWindow();
    std::vector<double> sorted;
    std::vector<double> listed;
    // Many short blocks, so that a busy machine slows both alike.
    constexpr std::size_t blocks = 20;
    for (std::size_t block = 0; block < blocks; ++block) {
        timeFrames(window, "sorted.xml", frames / blocks, sorted);
        timeFrames(window, "listed.xml", frames / blocks, listed);
    }
    char line[160];
    std::snprintf(line, sizeof line, "sprites=%d sorted_ms=%.4f listed_ms=%.4f", sprites, median(sorted),
                  median(listed));
    bench::printResult(line);
    return 0;
}
