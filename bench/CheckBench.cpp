// How long `adventure --check` takes on a large game: a document of 10,000
// assets naming 100 image files, every file decoded (once) as the check
// does. Prints the fastest and the median of several runs; checks nothing
// about the figures, which belong in docs/performance.md.

#include "check/Checker.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int assetCount = 10000;
constexpr int fileCount = 100;
constexpr int runs = 7;

void writeGame(const fs::path &folder)
{
    fs::create_directories(folder / "assets");
    for (int i = 0; i < fileCount; ++i) {
        sf::Image image;
        image.create(128, 128, sf::Color(static_cast<sf::Uint8>(i), 80, 160));
        image.saveToFile((folder / "assets" / ("image" + std::to_string(i) + ".png")).string());
    }
    std::ofstream xml(folder / "game.xml");
    xml << "<game entryScene=\"1\" width=\"800\" height=\"600\" title=\"Many\" fps=\"60\">\n<assets path=\"assets\">\n";
    for (int i = 0; i < assetCount; ++i)
        xml << "<sprite id=\"s" << i << "\" src=\"image" << i % fileCount << ".png\" position=\"" << i % 1100 << ", "
            << i / 10 << "\" origin=\"0, 0\"/>\n";
    xml << "</assets>\n<scenes>\n<scene sceneId=\"1\">\n";
    for (int i = 0; i < assetCount; ++i)
        xml << "<s" << i << "/>\n";
    xml << "</scene>\n</scenes>\n</game>\n";
}

} // namespace

int main()
{
    const fs::path folder = fs::temp_directory_path() / "adventure-check-bench";
    fs::remove_all(folder);
    writeGame(folder);
    std::vector<double> milliseconds;
    std::size_t findings = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        findings = checkGame(folder.string(), "game.xml", "game.xml").size();
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    fs::remove_all(folder);
    std::sort(milliseconds.begin(), milliseconds.end());
    std::cout << "check of " << assetCount << " assets naming " << fileCount << " image files: fastest "
              << milliseconds.front() << " ms, median " << milliseconds[milliseconds.size() / 2] << " ms (" << findings
              << " findings; target under 1000 ms)\n";
    return findings == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
