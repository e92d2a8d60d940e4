// States explored per second by the solver, and the memory it takes per
// million states, on a game of the example's size: three scenes of nine
// sprites (a background, two doors, six things that each set a flag of
// their own), so the flags alone give 2^18 states per scene.
//   bench_solve [STATES]   (default 300000)

#include "check/Solver.h"
#include "core/Game.h"
#include "core/assets/Resources.h"

#include <SFML/Graphics/Image.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A line of /proc/self/status, in KiB ("VmRSS:", "VmHWM:").
long statusKiB(const std::string &field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, field.size(), field) == 0)
            return std::strtol(line.c_str() + field.size(), nullptr, 10);
    return 0;
}

// The peak is set back to what the process holds now, so that the solver's
// peak is not hidden under the one of loading the game.
long residentFromNowOn()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    return statusKiB("VmRSS:");
}

std::string document()
{
    std::string assets = "<sprite id=\"background\" src=\"big.png\" position=\"0, 0\" origin=\"0, 0\"/>\n"
                         "<sprite id=\"left\" src=\"box.png\" position=\"20, 300\" origin=\"0, 0\"/>\n"
                         "<sprite id=\"right\" src=\"box.png\" position=\"980, 300\" origin=\"0, 0\"/>\n"
                         "<player src=\"box.png\" speed=\"6\" position=\"550, 1000\" origin=\"50, 100\"/>\n";
    std::string scenes;
    for (int scene = 1; scene <= 3; ++scene) {
        scenes += "<scene sceneId=\"" + std::to_string(scene) +
                  "\" leftLevelLimit=\"60\" upperLevelLimit=\"770\">\n"
                  "<player/>\n";
        for (int thing = 0; thing < 6; ++thing) {
            const std::string flag = "f" + std::to_string(scene) + std::to_string(thing);
            scenes += "<thing" + std::to_string(thing) + " if=\"!" + flag + "\" setFlag=\"" + flag + "\"/>\n";
        }
        scenes += "<left onClickScene=\"" + std::to_string(scene == 1 ? 3 : scene - 1) +
                  "\" walkTo=\"80, 800\"/>\n<right onClickScene=\"" + std::to_string(scene % 3 + 1) +
                  "\" walkTo=\"1000, 800\"/>\n<background/>\n</scene>\n";
    }
    for (int thing = 0; thing < 6; ++thing)
        assets += "<sprite id=\"thing" + std::to_string(thing) + "\" src=\"box.png\" position=\"" +
                  std::to_string(150 + thing * 140) + ", 500\" origin=\"0, 0\"/>\n";
    return "<game entryScene=\"1\" width=\"880\" height=\"880\" title=\"bench\" fps=\"60\" goal=\"f10, f20, f30\">\n"
           "<assets path=\"\">\n" +
           assets + "</assets>\n<scenes>\n" + scenes + "</scenes>\n</game>\n";
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t limit = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 300000;
    char pattern[] = "/tmp/adventure-solve-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::filesystem::path folder = pattern;
    sf::Image image;
    image.create(100, 100, sf::Color::Red);
    image.saveToFile((folder / "box.png").string());
    image.create(1100, 1100, sf::Color::Black);
    image.saveToFile((folder / "big.png").string());
    std::ofstream(folder / "game.xml") << document();
    if (chdir(pattern) != 0)
        return 1;
    Resources::withoutDevices = true;
    int status = 0;
    {
        Game game;
        game.echo = nullptr;
        game.start("game.xml");
        settle(game);
        const long before = residentFromNowOn();
        const auto began = std::chrono::steady_clock::now();
        const SolveReport report = Solver(game, limit).run();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        const double mibPerMillion =
            static_cast<double>(statusKiB("VmHWM:") - before) / 1024.0 * 1e6 / static_cast<double>(report.states);
        std::printf("solver: %zu states, %zu moves in %.3f s: %.0f states/s; peak memory %.0f MiB per million states\n",
                    report.states, report.moves, seconds, static_cast<double>(report.states) / seconds, mibPerMillion);
        status = report.states > 0 ? 0 : 1;
    }
    std::filesystem::remove_all(folder);
    return status;
}
