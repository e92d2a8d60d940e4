#include "Common.h"
#include "core/text/Format.h"

#include <SFML/Graphics/Image.hpp>

#include <cstdio>
#include <fstream>
#include <sys/resource.h>

namespace bench {

long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

sf::RenderWindow openLoadingWindow()
{
    return sf::RenderWindow(sf::VideoMode(worldSize, worldSize, 32), "Loading...", sf::Style::Default,
                            sf::ContextSettings());
}

void writeGridGame(const std::string &title, sf::Vector2u square, int xStep, const std::string &assets,
                   const std::string &childAttributes)
{
    sf::Image image;
    image.create(square.x, square.y, sf::Color::Red);
    image.saveToFile("square.png");
    std::ofstream document("game.xml");
    document << "<game entryScene=\"1\" width=\"1100\" height=\"1100\" title=\"" << title << "\" fps=\"0\">\n"
             << "<assets path=\".\">\n"
             << assets;
    for (int i = 0; i < gridSprites; ++i)
        document << "<sprite id=\"s" << i << "\" src=\"square.png\" origin=\"0, 0\" position=\"" << (i % 100) * xStep
                 << ", " << (i / 100) * 11 << "\"/>\n";
    document << "</assets>\n<scenes><scene sceneId=\"1\">\n";
    for (int i = 0; i < gridSprites; ++i)
        document << "<s" << i << childAttributes << "/>\n";
    document << "</scene></scenes>\n</game>\n";
}

void printFrameTimes(const std::string &label, const std::vector<double> &milliseconds)
{
    std::string line = "FRAMES " + label;
    char number[32];
    for (const double value : milliseconds) {
        std::snprintf(number, sizeof number, " %.4f", value);
        line += number;
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

double achievedFps(const std::vector<Clock::time_point> &displayed)
{
    if (displayed.size() < 2)
        return 0.0;
    const double seconds = millisecondsBetween(displayed.front(), displayed.back()) / 1000.0;
    return static_cast<double>(displayed.size() - 1) / seconds;
}

void printResult(const std::string &fields)
{
    std::printf("\nRESULT %s\n", fields.c_str());
    std::fflush(stdout);
}

void reportPacing(sf::RenderWindow &window, const std::function<void()> &frame, double seconds, double warmupSeconds)
{
    const Clock::time_point warmupEnd = Clock::now() + duration(warmupSeconds);
    while (Clock::now() < warmupEnd)
        frame();
    std::vector<Clock::time_point> displayed{Clock::now()};
    while (window.isOpen() && millisecondsBetween(displayed.front(), displayed.back()) < seconds * 1000.0) {
        frame();
        displayed.push_back(Clock::now());
    }
    printResult("fps=" + std::to_string(achievedFps(displayed)));
}

} // namespace bench
