// libFuzzer target: arbitrary bytes as game.xml, read the whole way an engine
// run reads them (document, every check, the catalogue, the entry scene) and
// then played for a few clicks and frames in one real window. Each input's
// game is released whole before the next, as a reload releases it. The
// checker then reads the same bytes, as `adventure --check` would, and the
// solver explores a hundred states of it without devices, as
// `adventure --solve` would.

#include "check/Checker.h"
#include "check/Solver.h"
#include "core/Frame.h"
#include "core/Game.h"
#include "core/assets/LoadedLibraries.h"
#include "core/assets/Resources.h"
#include "core/text/Format.h"
#include "core/text/StartupError.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "testkit/WavFile.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

sf::RenderWindow *window = nullptr;
// The game folder (game.xml and the assets the dictionary names) and the
// directory to return to, so libFuzzer's own relative paths keep working.
int gameDirectory = -1;
int startDirectory = -1;
std::string gameFolder;

void removeGameFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(gameFolder, ignored);
}

void writeFile(const std::string &path, const std::string &content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// A short 8 kHz mono tone, written by hand so that no audio object exists
// before the first input asks for one.
std::string shortWav()
{
    std::vector<std::int16_t> square(400);
    for (std::size_t i = 0; i < square.size(); ++i)
        square[i] = (i % 20 < 10) ? 8000 : -8000;
    return wavBytes(square, 8000);
}

void makeGameFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "adventure-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    gameFolder = pattern;
    std::atexit(removeGameFolder);
    const std::filesystem::path dir = pattern;
    sf::Image image;
    image.create(16, 16, sf::Color(200, 40, 40));
    image.saveToFile((dir / "a.png").string());
    std::filesystem::copy_file(DEJAVU_FONT, dir / "f.ttf");
    writeFile((dir / "s.wav").string(), shortWav());
    // The same files one folder down, for documents whose assets path is "a".
    std::filesystem::create_directory(dir / "a");
    for (const char *name : {"a.png", "f.ttf", "s.wav"})
        std::filesystem::copy_file(dir / name, dir / "a" / name);
    if (!std::getenv("ALSOFT_CONF")) {
        writeFile((dir / "alsoft.conf").string(), "[general]\ndrivers = null\n");
        setenv("ALSOFT_CONF", (dir / "alsoft.conf").c_str(), 1);
    }
    gameDirectory = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    startDirectory = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

void frame(Game &game, const std::function<void(Game &)> &input = {})
{
    playFrame(game, input);
    window->clear();
    game.draw();
}

// Presses where the player might walk and on the first few scene sprites,
// pointer moves over them, and every key the game knows (a conversation's
// among them; saving and loading
// in the game folder), with frames in between: the doors, the loads, the
// hover and the focus of a document are reached as play reaches them.
void play(Game &game)
{
    // The document's rate would make display() sleep.
    window->setFramerateLimit(0);
    const float middle = static_cast<float>(worldSize) / 2;
    std::vector<sf::Vector2f> points{{1.f, 1.f}, {middle, middle}};
    for (std::size_t i = 0; i < game.scene->sprites.size() && i < 4; ++i) {
        const sf::FloatRect bounds = game.scene->sprites[i]->drawable->getGlobalBounds();
        points.push_back({bounds.left + bounds.width / 2, bounds.top + bounds.height / 2});
    }
    points.push_back({1.f, 1.f});
    for (const sf::Vector2f point : points) {
        frame(game, [point](Game &played) { played.movePointer(point); });
        frame(game, [point](Game &played) { played.press(point); });
        frame(game);
    }
    for (const char *key :
         {"Tab", "Enter", "Space", "Down", "1", "Up", "Enter", "F5", "Shift+Tab", "Escape", "F9", "Tab", "Enter"})
        frame(game, [key](Game &played) { played.key(key); });
    frame(game, [](Game &played) { played.close(); });
    window->display();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "fuzz_game needs an X display (run it under xvfb-run)\n");
        std::exit(1);
    }
    makeGameFolder();
    window = new sf::RenderWindow(sf::VideoMode(worldSize, worldSize, 32), "fuzz");
    keepLoadedLibrariesMapped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (fchdir(gameDirectory) != 0)
        std::abort();
    writeFile("game.xml", std::string(reinterpret_cast<const char *>(data), size));
    // Each input plays from no saves, so a run does not depend on the inputs before it.
    std::error_code ignored;
    std::filesystem::remove_all("saves", ignored);
    // What the engine prints when it refuses the document; empty when it plays.
    std::string refusal;
    {
        Game game;
        game.window = window;
        game.echo = nullptr;
        game.saves.folderFor = [](std::string_view) { return gameFolder + "/saves"; };
        game.saves.messages = nullptr;
        try {
            game.start("game.xml");
            play(game);
        } catch (const StartupError &error) {
            refusal = game.describe(error);
            if (refusal.empty())
                std::abort();
        }
    }
    // The checker must report an error exactly when the engine refuses, in the engine's words.
    std::string checkerError;
    for (const Diagnostic &finding : checkGame(".", "game.xml", "game.xml"))
        if (finding.severity == Severity::error) {
            if (!checkerError.empty())
                std::abort();
            checkerError = renderDiagnostic("game.xml", finding);
        }
    if (checkerError != refusal)
        std::abort();
    if (refusal.empty()) {
        gameResources().withoutDevices = true;
        {
            Game game;
            game.echo = nullptr;
            game.start("game.xml");
            settle(game);
            Solver(game, 100).run();
        }
        gameResources().withoutDevices = false;
    }
    if (fchdir(startDirectory) != 0)
        std::abort();
    return 0;
}
