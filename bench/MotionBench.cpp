// bench_motion: the cost of a shortest path in a large walk area, and of a
// frame of animated sprites against the same sprites still.
//   bench_motion [QUERIES]
// Prints the median time of one path query (and of building the area), and
// the median frame time with 1,000 looping sprites and with 1,000 still ones.
//   bench_motion walk [BUILDS]
// Builds a walk area of 1,000 corners BUILDS times, as entering its scene
// does, and prints one RESULT line per build: the build, the first path
// after it, the median of later paths in it and the slowest of all its 51
// paths (bench_runner's "walk" rows).
#include "core/Game.h"
#include "core/nav/WalkArea.h"
#include "elements/Catalogue.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A ragged ring of `corners` corners round the world's middle, each one's
// radius drawn from `seed`: one radius a corner keeps the ring simple, as a
// walk area must be (two, one across and one down, made it cross itself
// and split it in parts no way joins).
Polygon raggedRing(unsigned seed, int corners)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> radius(380, 540);
    Polygon outline;
    for (int i = 0; i < corners; ++i) {
        const double angle = i * 2 * M_PI / corners;
        const double r = radius(random);
        outline.push_back({550 + r * std::cos(angle), 550 + r * std::sin(angle)});
    }
    return outline;
}

// A ragged ring of 200 corners, and 20 small squares inside it where they fit.
WalkArea bigArea()
{
    const Polygon outline = raggedRing(7, 200);
    std::vector<Polygon> holes;
    for (int i = 0; i < 20; ++i) {
        const double angle = i * 2 * M_PI / 20;
        const double ring = i % 2 == 0 ? 150 : 270;
        const Point c{550 + ring * std::cos(angle), 550 + ring * std::sin(angle)};
        holes.push_back({{c.x - 20, c.y - 20}, {c.x + 20, c.y - 20}, {c.x + 20, c.y + 20}, {c.x - 20, c.y + 20}});
    }
    return WalkArea(outline, holes);
}

// A ragged ring of 600 corners round 100 square pillars: 1,000 corners, 700
// or so of them ones a way can bend round.
WalkArea thousandCornerArea()
{
    const Polygon outline = raggedRing(5, 600);
    std::vector<Polygon> holes;
    for (int row = -5; row <= 5; ++row)
        for (int column = -5; column <= 5 && holes.size() < 100; ++column) {
            if (std::hypot(row, column) > 5.7)
                continue;
            const Point c{550 + column * 60.0, 550 + row * 60.0};
            holes.push_back({{c.x - 10, c.y - 10}, {c.x + 10, c.y - 10}, {c.x + 10, c.y + 10}, {c.x - 10, c.y + 10}});
        }
    return WalkArea(outline, holes);
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void walkBuilds(int builds)
{
    std::mt19937 random(13);
    std::uniform_real_distribution<double> coordinate(100, 1000);
    for (int build = 0; build < builds; ++build) {
        const auto built = Clock::now();
        const WalkArea area = thousandCornerArea();
        const double buildMs = millisecondsSince(built);
        std::vector<double> times;
        while (times.size() < 51) {
            const Point from{coordinate(random), coordinate(random)};
            const Point to{coordinate(random), coordinate(random)};
            if (!area.contains(from) || !area.contains(to))
                continue;
            const auto start = Clock::now();
            area.path(from, to);
            times.push_back(millisecondsSince(start));
        }
        const double first = times.front();
        const double slowest = *std::max_element(times.begin(), times.end());
        times.erase(times.begin());
        std::printf("RESULT build_ms=%.4f first_path_ms=%.4f path_ms=%.4f slowest_path_ms=%.4f\n", buildMs, first,
                    median(times), slowest);
    }
}

void paths(int queries)
{
    const auto built = Clock::now();
    const WalkArea area = bigArea();
    const double buildMs = std::chrono::duration<double, std::milli>(Clock::now() - built).count();
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(100, 1000);
    std::vector<double> times;
    std::size_t corners = 0;
    while (static_cast<int>(times.size()) < queries) {
        const Point from{coordinate(random), coordinate(random)};
        const Point to{coordinate(random), coordinate(random)};
        if (!area.contains(from) || !area.contains(to))
            continue;
        const auto start = Clock::now();
        corners += area.path(from, to).size() - 2;
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("path, 200 corners + 20 holes: median %.3f ms, max %.3f ms over %d queries (%.1f corners each); "
                "building the area %.1f ms\n",
                median(times), *std::max_element(times.begin(), times.end()), queries,
                static_cast<double>(corners) / queries, buildMs);
}

double frames(sf::RenderWindow &window, const std::string &attributes, int count)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_motion";
    std::filesystem::create_directories(folder);
    sf::Image sheet;
    sheet.create(64, 16, sf::Color::White);
    sheet.saveToFile((folder / "sheet.png").string());
    std::ofstream xml(folder / "game.xml");
    xml << "<game entryScene=\"1\" width=\"800\" height=\"600\" title=\"bench\" fps=\"0\"><assets path=\"\">"
        << "<sprite id=\"s\" src=\"sheet.png\" frameSize=\"16, 16\" " << attributes << "/></assets><scenes>"
        << "<scene sceneId=\"1\">";
    for (int i = 0; i < count; ++i)
        xml << "<s position=\"" << (i * 37) % 1000 << ", " << (i * 53) % 1000 << "\"/>";
    xml << "</scene></scenes></game>";
    xml.close();
    resetCatalogue();
    std::vector<double> times;
    {
        Game game;
        game.window = &window;
        game.echo = nullptr;
        game.start((folder / "game.xml").c_str());
        for (int i = 0; i < 600; ++i) {
            const auto start = Clock::now();
            game.step();
            window.clear();
            game.draw();
            window.display();
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    resetCatalogue();
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::string(argv[1]) == "walk") {
        walkBuilds(argc > 2 ? std::max(1, std::atoi(argv[2])) : 9);
        return 0;
    }
    const int queries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    paths(queries);
    sf::RenderWindow window(sf::VideoMode(800, 600), "bench_motion");
    window.setVerticalSyncEnabled(false);
    const double still = frames(window, "", 1000);
    const double animated = frames(window, "frames=\"0, 1, 2, 3\" delay=\"1\"", 1000);
    const double stillAgain = frames(window, "", 1000);
    std::printf("frame, 1,000 sprites: still %.3f ms, looping %.3f ms, ratio %.2f\n", (still + stillAgain) / 2,
                animated, animated / ((still + stillAgain) / 2));
}
