// States explored per second by the solver, and the memory it takes per
// million states, on three shapes of game, one row each:
//   example  the example's size: three scenes of nine sprites (a background,
//            two doors, six things that each set a flag of their own), so the
//            flags alone give 2^18 states per scene;
//   flags    one scene of twenty things that each set a flag of their own,
//            in any order, and no player: 2^20 states;
//   chain    one scene of 3,000 things, each setting its flag once the one
//            before is set, and no player: 3,001 states, the last holding
//            every flag.
//   bench_solve [SHAPE [STATES]]   (default: every shape, 300000 states)

#include "check/Solver.h"
#include "core/Game.h"
#include "core/assets/Resources.h"

#include <SFML/Graphics/Image.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

std::string exampleSize()
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

// One scene of `count` things side by side, `apart` units apart; thing i
// sets flag i when `condition(i)` holds. No player: presses alone.
template <typename Condition>
std::string oneSceneOfFlags(int count, int apart, Condition condition, const std::string &goal)
{
    std::string assets;
    std::string children;
    const int perRow = 770 / apart;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        assets += "<sprite id=\"s" + n + "\" src=\"" + (apart > 100 ? "box" : "dot") + ".png\" position=\"" +
                  std::to_string(i % perRow * apart) + ", " + std::to_string(i / perRow * apart) +
                  "\" origin=\"0, 0\"/>\n";
        children += "<s" + n + " if=\"" + condition(i) + "\" setFlag=\"f" + n + "\"/>\n";
    }
    return "<game entryScene=\"1\" width=\"800\" height=\"600\" title=\"bench\" fps=\"60\" goal=\"" + goal +
           "\">\n<assets path=\"\">\n" + assets + "</assets>\n<scenes>\n<scene sceneId=\"1\">\n" + children +
           "</scene>\n</scenes>\n</game>\n";
}

std::string independentFlags()
{
    return oneSceneOfFlags(
        20, 110, [](int i) { return "!f" + std::to_string(i); }, "f0, f1");
}

std::string chainOfFlags()
{
    return oneSceneOfFlags(
        3000, 10,
        [](int i) {
            const std::string own = "!f" + std::to_string(i);
            return i == 0 ? own : "f" + std::to_string(i - 1) + ", " + own;
        },
        "f2999");
}

struct Shape {
    const char *name;
    std::string (*document)();
    // What it should reach: states a second, and at most this many MiB per million states.
    double statesPerSecond;
    double mibPerMillion;
    // For a shape explored whole: the most seconds it should take.
    double seconds;
};

const Shape shapes[] = {
    {"example", exampleSize, 100000, 200, 0},
    {"flags", independentFlags, 150000, 143, 0},
    {"chain", chainOfFlags, 0, 0, 0.3},
};

// Solves the shape's game in a folder of its own; prints its row.
bool run(const Shape &shape, std::size_t limit)
{
    char pattern[] = "/tmp/adventure-solve-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    const std::filesystem::path folder = pattern;
    sf::Image image;
    image.create(100, 100, sf::Color::Red);
    image.saveToFile((folder / "box.png").string());
    image.create(8, 8, sf::Color::Red);
    image.saveToFile((folder / "dot.png").string());
    image.create(1100, 1100, sf::Color::Black);
    image.saveToFile((folder / "big.png").string());
    std::ofstream(folder / "game.xml") << shape.document();
    const std::filesystem::path back = std::filesystem::current_path();
    if (chdir(pattern) != 0)
        return false;
    bool ran = false;
    {
        Game game;
        game.echo = nullptr;
        game.start("game.xml");
        settle(game);
        const long before = residentFromNowOn();
        const auto began = std::chrono::steady_clock::now();
        const std::clock_t cpuBegan = std::clock();
        const SolveReport report = Solver(game, limit).run();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        // On a shared machine the processor time tells what the wall clock hides.
        const double cpuSeconds = static_cast<double>(std::clock() - cpuBegan) / CLOCKS_PER_SEC;
        const double mibPerMillion =
            static_cast<double>(statusKiB("VmHWM:") - before) / 1024.0 * 1e6 / static_cast<double>(report.states);
        const double rate = static_cast<double>(report.states) / seconds;
        std::string target;
        bool met = true;
        if (shape.seconds > 0) {
            target = "under " + std::to_string(shape.seconds).substr(0, 3) + " s";
            met = seconds < shape.seconds && !report.limitReached;
        } else {
            target = ">= " + std::to_string(static_cast<long>(shape.statesPerSecond)) +
                     " states/s, <= " + std::to_string(static_cast<long>(shape.mibPerMillion)) + " MiB per million";
            met = rate >= shape.statesPerSecond && mibPerMillion <= shape.mibPerMillion;
        }
        std::printf("solver %-8s %zu states, %zu moves in %.3f s (%.3f s of processor time): %.0f states/s; peak "
                    "memory %.0f MiB per million states (target %s: %s)\n",
                    shape.name, report.states, report.moves, seconds, cpuSeconds, rate, mibPerMillion, target.c_str(),
                    met ? "met" : "NOT MET");
        // For bench_runner's rows.
        std::printf("RESULT states=%zu seconds=%.4f cpu_seconds=%.4f mib_per_million=%.1f whole=%d\n", report.states,
                    seconds, cpuSeconds, mibPerMillion, report.limitReached ? 0 : 1);
        ran = report.states > 0;
    }
    std::filesystem::current_path(back);
    std::filesystem::remove_all(folder);
    return ran;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string only = argc > 1 ? argv[1] : "";
    const std::size_t limit = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 300000;
    gameResources().withoutDevices = true;
    bool known = false;
    for (const Shape &shape : shapes) {
        if (!only.empty() && only != "all" && only != shape.name)
            continue;
        known = true;
        if (!run(shape, limit))
            return 1;
    }
    if (!known) {
        std::fprintf(stderr, "usage: bench_solve [example|flags|chain|all [STATES]]\n");
        return 2;
    }
    return 0;
}
