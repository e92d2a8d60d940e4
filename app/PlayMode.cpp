#include "app/PlayMode.h"

#include "app/CommandLine.h"
#include "app/DebugOverlay.h"
#include "app/FileWatcher.h"
#include "app/FrameLoop.h"
#include "app/Reload.h"
#include "core/Game.h"
#include "core/StartupError.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Sleep.hpp>
#include <X11/Xlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The window library aborts the process when it cannot reach a display, so
// its absence is found out first and reported like any other start-up fault.
// The connection stays open while the program runs: an X server resets when
// its last client leaves, and a window opened during that reset would fail.
class DisplayCheck {
public:
    DisplayCheck() : display(XOpenDisplay(nullptr))
    {
        if (display)
            return;
        const char *name = std::getenv("DISPLAY");
        const std::string why = name && *name ? std::string("cannot open the X display \"") + name + "\""
                                              : std::string("no X display: DISPLAY is not set");
        throw StartupError(why + "; the engine needs a graphical session", nullptr);
    }
    ~DisplayCheck() { XCloseDisplay(display); }
    DisplayCheck(const DisplayCheck &) = delete;
    DisplayCheck &operator=(const DisplayCheck &) = delete;

private:
    Display *display;
};

// A start-up failure whose located error has been printed already.
struct ReportedFailure {};

// The engine works from the game's folder, as if it had been started there.
void enterFolder(const GameLocation &location)
{
    if (chdir(location.folder.c_str()) != 0)
        throw StartupError("cannot enter the game folder " + location.folder + ": " + std::strerror(errno), nullptr);
}

// The console stays open until the player has read it.
void waitForEnter()
{
    std::cin.get();
}

// Every file a change of which reloads the game: the document and what it names.
std::vector<std::string> watchedFiles(const GameLocation &location, const Game *game)
{
    std::vector<std::string> files{location.file};
    if (game) {
        const std::vector<std::string> named = game->namedFiles();
        files.insert(files.end(), named.begin(), named.end());
    }
    return files;
}

// While no version of the document has loaded, the window stays open and
// answers its close button, and the watcher waits for a save that loads.
void idleFrame(sf::RenderWindow &window)
{
    sf::Event event{};
    while (window.pollEvent(event))
        if (event.type == sf::Event::Closed)
            window.close();
    window.clear(sf::Color(0, 0, 0, 255));
    window.display();
    sf::sleep(sf::milliseconds(20));
}

void playWatching(const Options &options, const GameLocation &location, sf::RenderWindow &window, DebugOverlay *overlay,
                  std::unique_ptr<Game> &game)
{
    game = reload(nullptr, location, options.scene, window);
    FileWatcher watcher;
    watcher.watch(watchedFiles(location, game.get()));
    while (window.isOpen()) {
        if (watcher.changed()) {
            game = reload(std::move(game), location, options.scene, window);
            watcher.watch(watchedFiles(location, game.get()));
            if (overlay)
                overlay->titleReset();
        }
        if (game)
            runFrame(*game, window, overlay);
        else
            idleFrame(window);
    }
}

void playOnce(const Options &options, const GameLocation &location, sf::RenderWindow &window, DebugOverlay *overlay,
              Game &game)
{
    game.window = &window;
    try {
        game.start(location.file.c_str(), options.scene, location.shown);
    } catch (const StartupError &error) {
        std::cerr << game.describe(error) << std::endl;
        throw ReportedFailure();
    }
    while (window.isOpen())
        runFrame(game, window, overlay);
}

} // namespace

int play(const Options &options)
{
    const GameLocation location = locateGame(options.path);
    // Outside the try, and in this order, so that the game is released after
    // the final Enter (its music plays until then) while its window exists.
    std::unique_ptr<DisplayCheck> display;
    std::unique_ptr<sf::RenderWindow> window;
    std::unique_ptr<Game> game;
    int status = 0;
    try {
        display = std::make_unique<DisplayCheck>();
        window = std::make_unique<sf::RenderWindow>(sf::VideoMode(1100, 1100, 32), "Loading...", sf::Style::Default,
                                                    sf::ContextSettings());
        enterFolder(location);
        std::optional<DebugOverlay> overlay;
        if (options.debug)
            overlay.emplace(*window);
        DebugOverlay *shownAbove = overlay ? &*overlay : nullptr;
        if (options.watch) {
            playWatching(options, location, *window, shownAbove, game);
        } else {
            game = std::make_unique<Game>();
            playOnce(options, location, *window, shownAbove, *game);
        }
    } catch (const StartupError &error) {
        std::cerr << renderDiagnostic(location.shown, Diagnostic{Severity::error, 1, 1, "startup", error.what()})
                  << std::endl;
        status = 1;
    } catch (const ReportedFailure &) {
        status = 1;
    }
    waitForEnter();
    if (game)
        game->release();
    return status;
}
