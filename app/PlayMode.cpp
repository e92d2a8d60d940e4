#include "app/PlayMode.h"

#include "app/CommandLine.h"
#include "app/DebugOverlay.h"
#include "app/FileWatcher.h"
#include "app/FrameLoop.h"
#include "app/JsonTrace.h"
#include "app/Reload.h"
#include "app/Startup.h"
#include "core/Game.h"
#include "elements/Catalogue.h"

#include <SFML/System/Sleep.hpp>
#include <SFML/Window/Event.hpp>

#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

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

// Plays, reloading the game whenever its files change; a refused document
// never ends the program. Frames count on across reloads.
void playWatching(const Options &options, sf::RenderWindow &window, FrameInput &input, TraceSink *trace,
                  DebugOverlay *overlay)
{
    const GameLocation &location = options.game;
    std::unique_ptr<Game> game = reload(nullptr, location, options.scene, window, trace);
    FileWatcher watcher;
    watcher.watch(watchedFiles(location, game.get()));
    FramePacer pacer(frameRateLimit);
    for (std::uint64_t frame = 0; window.isOpen(); ++frame) {
        if (watcher.changed()) {
            game = reload(std::move(game), location, options.scene, window, trace);
            watcher.watch(watchedFiles(location, game.get()));
            pacer = FramePacer(frameRateLimit);
            if (overlay)
                overlay->titleReset();
        }
        if (game) {
            runFrame(*game, window, input, frame);
            pacer.waitForNextFrame();
        } else {
            idleFrame(window);
        }
    }
    waitForEnter();
    if (game)
        game->release();
}

} // namespace

int play(const Options &options)
{
    std::ofstream recording;
    std::ofstream traceFile;
    if (!openOutput(recording, options.record, "recording") || !openOutput(traceFile, options.trace, "trace file"))
        return 2;
    JsonTrace trace([&](const std::string &line) { traceFile << line << '\n'; });
    TraceSink *traced = traceFile.is_open() ? &trace : nullptr;
    std::optional<DebugOverlay> overlay;
    auto input = [&](sf::RenderWindow &window) {
        if (options.debug)
            overlay.emplace(window);
        return MouseInput(recording.is_open() ? &recording : nullptr, overlay ? &*overlay : nullptr);
    };
    if (options.watch)
        return runInWindow(
            options,
            [&](sf::RenderWindow &window) {
                MouseInput mouse = input(window);
                playWatching(options, window, mouse, traced, overlay ? &*overlay : nullptr);
                return 0;
            },
            waitForEnter);
    return runGame(
        options, traced,
        [&](Game &game, sf::RenderWindow &window) {
            MouseInput mouse = input(window);
            FramePacer pacer(frameRateLimit);
            runFrameLoop(game, window, mouse, pacer);
            traceFile.flush();
            waitForEnter();
            return 0;
        },
        waitForEnter);
}
