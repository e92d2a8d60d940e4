#include "app/PlayMode.h"

#include "app/CommandLine.h"
#include "app/DebugOverlay.h"
#include "app/FileWatcher.h"
#include "app/FrameLoop.h"
#include "app/JsonTrace.h"
#include "app/OutputFiles.h"
#include "app/PlayerChoices.h"
#include "app/Reload.h"
#include "app/SavePlaces.h"
#include "app/Startup.h"
#include "core/Game.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"

#include <SFML/System/Sleep.hpp>
#include <SFML/Window/Event.hpp>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Every file a change of which reloads the game: the document and what it
// names, as absolute paths in the game's folder.
std::vector<std::string> watchedFiles(const fs::path &folder, const GameLocation &location, const Game *game)
{
    std::vector<std::string> files{(folder / location.file).string()};
    if (game)
        for (const std::string &named : game->namedFiles())
            files.push_back((folder / named).string());
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

// Plays `first`, then reloads the game whenever its files change; a refused
// document never ends the program. Frames count on across reloads.
void playWatching(const Options &options, std::shared_ptr<const GameDocument> first, sf::RenderWindow &window,
                  FrameInput &input, TraceSink *trace, DebugOverlay *overlay, const SaveSettings &saves,
                  Speaker *speaker, const std::optional<std::string> &language)
{
    const GameLocation &location = options.game;
    // Taken once, while the folder surely exists: it may be deleted and made
    // again while the game plays, and the working directory then names the
    // folder that is gone.
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    std::unique_ptr<Game> game =
        reload(nullptr, std::move(first), location, options.scene, window, trace, saves, speaker, language);
    FileWatcher watcher;
    watcher.watch(watchedFiles(folder, location, game.get()));
    FramePacer pacer(frameRateLimit);
    for (std::uint64_t frame = 0; window.isOpen(); ++frame) {
        if (watcher.changed()) {
            // The folder as it is now, should it have been made again.
            if (chdir(folder.c_str()) != 0)
                std::cerr << "adventure: cannot enter the game folder " << escapeControl(folder.string()) << ": "
                          << describeErrno() << std::endl;
            game = reload(std::move(game), GameDocument::read(location.file, location.shown), location, options.scene,
                          window, trace, saves, speaker, language);
            watcher.watch(watchedFiles(folder, location, game.get()));
            pacer = FramePacer(frameRateLimit);
            if (overlay)
                overlay->gameReloaded();
        }
        if (game) {
            runFrame(*game, window, input, frame);
            pacer.waitForNextFrame();
        } else {
            idleFrame(window);
            stopIfSignalled();
        }
    }
    waitForEnter();
    if (game)
        game->release();
}

} // namespace

int play(const Options &options)
{
    std::shared_ptr<const GameDocument> document = readGameDocument(options.game);
    OutputFiles outputs;
    outputs.readGame(options.game, *document);
    if (!outputs.claimOption(options.record, "--record", "recording") ||
        !outputs.claimOption(options.trace, "--trace", "trace"))
        return 2;
    OutputFile recording("recording");
    OutputFile traceFile("trace file");
    if (!recording.open(options.record) || !traceFile.open(options.trace))
        return 2;
    catchStopSignals();
    keepEchoOffOutputs({options.record, options.trace});
    JsonTrace trace([&](const std::string &line) { traceFile.stream() << line << '\n'; });
    TraceSink *traced = traceFile.isOpen() ? &trace : nullptr;
    std::optional<DebugOverlay> overlay;
    auto input = [&](sf::RenderWindow &window) {
        if (options.debug)
            overlay.emplace(window);
        return MouseInput(recording.isOpen() ? &recording.stream() : nullptr, overlay ? &*overlay : nullptr);
    };
    int status = 0;
    if (options.watch) {
        const SaveSettings saves = saveSettings(options, *document);
        const PlayerChoices choices = takePlayerChoices(options, *document, saves, std::cerr);
        status = runInWindow(
            options, std::move(document),
            [&](sf::RenderWindow &window, std::shared_ptr<const GameDocument> first) {
                MouseInput mouse = input(window);
                playWatching(options, std::move(first), window, mouse, traced, overlay ? &*overlay : nullptr, saves,
                             choices.speech.get(), languageToUse(options.language, choices.settings));
                return 0;
            },
            waitForEnter);
    } else {
        status = runGame(
            options, std::move(document), traced,
            [&](Game &game, sf::RenderWindow &window) {
                MouseInput mouse = input(window);
                playFrames(game, window, mouse);
                waitForEnter();
                return 0;
            },
            waitForEnter);
    }
    return status == 0 && !OutputFile::flushAll() ? 1 : status;
}
