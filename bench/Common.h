#pragma once

#include <SFML/Graphics/RenderWindow.hpp>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// What every measured program shares, so that the engine side and the bare
// side differ only in the work being compared.
namespace bench {

using Clock = std::chrono::steady_clock;

inline double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

inline Clock::duration duration(double seconds)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Peak resident set of this process in KiB, as the kernel counts it.
long peakResidentKb();

// The window the engine's entry point opens before it reads the document;
// the document's size, title and frame-rate limit are applied to it later.
sf::RenderWindow openLoadingWindow();

// Writes game.xml and square.png in the working directory: 10,000 red
// squares of `square` units on a 100 by 100 grid, `xStep` units apart across
// and 11 down, all placed in scene 1. `assets` is written before the squares,
// and each child in the scene carries `childAttributes`.
constexpr int gridSprites = 10000;
void writeGridGame(const std::string &title, sf::Vector2u square, int xStep, const std::string &assets = "",
                   const std::string &childAttributes = "");

// Per-frame durations in milliseconds, on one line the runner reads:
// "FRAMES <label> t1 t2 ...".
void printFrameTimes(const std::string &label, const std::vector<double> &milliseconds);

// Frames per second achieved over the display instants after the warm-up.
double achievedFps(const std::vector<Clock::time_point> &displayed);
// Runs `frame` for `warmupSeconds`, then for `seconds` while the window is
// open, and prints the frames per second it achieved.
void reportPacing(sf::RenderWindow &window, const std::function<void()> &frame, double seconds, double warmupSeconds);

// The runner treats only lines that begin "RESULT " as results, so anything
// else a library prints on standard output is ignored.
void printResult(const std::string &fields);

} // namespace bench
