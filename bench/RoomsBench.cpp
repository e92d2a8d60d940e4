// bench_rooms: what state and rooms cost in play.
//   bench_rooms STUDY_DIR [CHANGES]
// - a scene change in the example game (study <-> hallway) against activating
//   the study at start-up and against one frame at 60 fps;
// - resident memory after 10 and after CHANGES (default 1,000) changes;
// - a click in a scene of 10,000 sprites, each with a condition, against the
//   same scene without conditions.
#include "core/Game.h"
#include "elements/Catalogue.h"
#include "elements/EScene.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void sceneChanges(sf::RenderWindow &window, const std::string &study, int changes)
{
    // The engine works from the game's folder: asset paths are relative to it.
    if (chdir(study.c_str()) != 0)
        return;
    const auto started = Clock::now();
    Game game;
    game.window = &window;
    game.echo = nullptr;
    game.start("game.xml");
    const double startMs = millisecondsSince(started);
    game.state.setFlag("doorUnlocked");
    std::vector<double> times;
    long afterTen = 0;
    int made = 0;
    for (int i = 0; i < changes; ++i) {
        // The study's door and the hallway's door back, each without its walk.
        const sf::Vector2f door = currentSceneId == 1 ? sf::Vector2f(930, 484) : sf::Vector2f(100, 484);
        game.clickAt(door);
        game.step();
        while (game.pendingExit())
            game.step();
        const auto change = Clock::now();
        const int before = currentSceneId;
        game.transition();
        times.push_back(millisecondsSince(change));
        made += currentSceneId != before ? 1 : 0;
        game.clickAt({550, 1000});
        if (i == 9)
            afterTen = residentKilobytes();
    }
    std::printf("start-up (load, catalogue, the study activated): %.2f ms\n", startMs);
    std::printf("first entry of the hallway (built): %.3f ms; scene change, median of %d: %.4f ms, slowest %.3f ms "
                "(a frame at 60 fps: 16.7 ms); %d changes made\n",
                times[0], changes, median(times), *std::max_element(times.begin(), times.end()), made);
    std::printf("resident memory after 10 changes: %ld kB, after %d: %ld kB (%+.1f%%)\n", afterTen, changes,
                residentKilobytes(),
                100.0 * static_cast<double>(residentKilobytes() - afterTen) / static_cast<double>(afterTen));
    game.release();
}

std::string manySprites(bool conditions)
{
    std::string xml = "<game entryScene='1' width='800' height='800' title='b' fps='0'><assets path=''>"
                      "<sprite id='s' src='box.png' origin='0, 0'/></assets><state><flag id='on' set='true'/>"
                      "</state><scenes><scene sceneId='1'>";
    for (int i = 0; i < 10000; ++i)
        xml += "<s position='" + std::to_string(i % 100 * 10) + ", " + std::to_string(i / 100 * 10) + "'" +
               (conditions ? " if='on, !off, v/1'" : "") + "/>";
    return xml + "</scene></scenes></game>";
}

double clickCost(sf::RenderWindow &window, const std::string &folder, bool conditions)
{
    std::ofstream(folder + "/game.xml") << manySprites(conditions);
    if (chdir(folder.c_str()) != 0)
        return 0;
    Game game;
    game.window = &window;
    game.echo = nullptr;
    game.start("game.xml");
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        // Each click changes the state, so the conditions are read again.
        game.state.touch();
        const auto click = Clock::now();
        game.clickAt({static_cast<float>(i * 37 % 1000), static_cast<float>(i * 53 % 1000)});
        times.push_back(millisecondsSince(click));
    }
    game.release();
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_rooms STUDY_DIR [CHANGES]\n");
        return 2;
    }
    const int changes = argc > 2 ? std::atoi(argv[2]) : 1000;
    sf::RenderWindow window(sf::VideoMode(800, 800), "bench");
    sceneChanges(window, std::filesystem::absolute(argv[1]).string(), changes);
    char folder[] = "/tmp/bench-rooms-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    sf::Image box;
    box.create(8, 8, sf::Color::Red);
    box.saveToFile(std::string(folder) + "/box.png");
    const double plain = clickCost(window, folder, false);
    const double conditional = clickCost(window, folder, true);
    std::printf("click among 10,000 sprites: %.3f ms without conditions, %.3f ms with (%.2fx)\n", plain, conditional,
                conditional / plain);
    std::filesystem::remove_all(folder);
    return 0;
}
