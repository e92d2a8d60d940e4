// A save and a load of the example game, as F5 and F9 do them in a frame's
// transition: the median of many, with the waits for the disk (fsync of the
// file and of the folder) measured apart on the same bytes. The target is
// under 5 ms each; the figures are reported, never judged here, since a disk
// shared with other work can make any one run slow.
//
//   bench_save STUDY_DIR SAVE_DIR [ROUNDS]

#include "core/Game.h"
#include "core/state/SaveFile.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

double medianMs(int rounds, const std::function<void()> &body)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::cerr << "usage: bench_save STUDY_DIR SAVE_DIR [ROUNDS]\n";
        return 2;
    }
    const std::string saveDir = std::filesystem::absolute(argv[2]).string();
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 200;
    if (chdir(argv[1]) != 0) {
        std::cerr << "bench_save: cannot enter " << argv[1] << '\n';
        return 2;
    }
    // The example as a game that saves, written beside the saves, never into the example.
    std::filesystem::create_directories(saveDir);
    std::ifstream example("game.xml", std::ios::binary);
    std::ostringstream document;
    document << example.rdbuf();
    std::string text = document.str();
    const std::size_t root = text.find("<game ");
    if (root == std::string::npos) {
        std::cerr << "bench_save: no <game> root in " << argv[1] << "/game.xml\n";
        return 2;
    }
    text.insert(root + 6, "saveName=\"study\" ");
    const std::string saving = saveDir + "/game.xml";
    std::ofstream(saving, std::ios::binary) << text;
    Game game;
    game.echo = nullptr;
    game.saves.folderFor = [&](std::string_view) { return saveDir; };
    game.start(saving.c_str());
    const auto save = [&] {
        game.key("F5");
        game.transition();
    };
    const auto load = [&] {
        game.key("F9");
        game.transition();
    };
    save();
    const double saveMs = medianMs(rounds, save);
    const double loadMs = medianMs(rounds, load);

    std::ifstream in(saveDir + "/quick.json", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    FileCalls unsynced = FileCalls::system();
    unsynced.fsync = [](int) { return 0; };
    const std::string path = saveDir + "/bench.json";
    const double synced = medianMs(rounds, [&] { writeAtomically(path, bytes.str()); });
    const double unsyncedMs = medianMs(rounds, [&] { writeAtomically(path, bytes.str(), unsynced); });
    game.release();

    std::cout << "save (F5, fsync included): " << saveMs << " ms\n"
              << "load (F9): " << loadMs << " ms\n"
              << "of a save, fsync of the file and the folder: " << std::max(0.0, synced - unsyncedMs) << " ms\n"
              << "medians of " << rounds << ", " << bytes.str().size() << " bytes a save\n";
    return 0;
}
