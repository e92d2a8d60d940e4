// release_soak FOLDER [COUNT] [BOUND]: loads the game in FOLDER, releases it
// and loads it again, COUNT times (default 200) in one window, and prints the
// resident memory after the tenth and after the last load. With BOUND (a
// fraction, 0.5 for 50%), fails when the last is more than that above the
// tenth: a release that leaves anything behind grows with every load.
#include "core/Game.h"
#include "core/assets/LoadedLibraries.h"
#include "core/text/Format.h"
#include "core/text/StartupError.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: release_soak FOLDER [COUNT] [BOUND]\n");
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 200;
    const double bound = argc > 3 ? std::atof(argv[3]) : -1.0;
    sf::RenderWindow window(sf::VideoMode(worldSize, worldSize, 32), "Loading...");
    keepLoadedLibrariesMapped();
    Game game;
    game.window = &window;
    game.echo = nullptr;
    long afterTen = 0;
    for (int load = 1; load <= count; ++load) {
        try {
            game.start("game.xml");
        } catch (const StartupError &error) {
            std::cerr << game.describe(error) << '\n';
            return 1;
        }
        game.draw();
        game.release();
        if (load == std::min(10, count))
            afterTen = residentKb();
    }
    const long atEnd = residentKb();
    // On standard error: standard output carries the texts' colour echo.
    std::cerr << "VmRSS after 10 loads: " << afterTen << " kB\n"
              << "VmRSS after " << count << " loads: " << atEnd << " kB\n";
    const double growth = afterTen > 0 ? static_cast<double>(atEnd - afterTen) / static_cast<double>(afterTen) : 0.0;
    std::cerr << "growth: " << growth * 100.0 << "%\n";
    return bound >= 0.0 && growth > bound ? 1 : 0;
}
