#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/PlayerChoices.h"
#include "app/SavePlaces.h"
#include "core/Game.h"
#include "core/assets/LibraryErrors.h"
#include "core/assets/LoadedLibraries.h"
#include "core/assets/Resources.h"
#include "core/assets/StartupPrefetch.h"
#include "core/text/Format.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"
#include "elements/EText.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

Game game;

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

// The engine works from the game's folder, as if it had been started there.
void enterFolder(const GameLocation &location)
{
    if (chdir(location.folder.c_str()) != 0)
        throw StartupError("cannot enter the game folder " + location.folder + ": " + describeErrno(), nullptr);
}

// Opening a window, the window library turns vertical sync off and, on a
// display without it (Xvfb, some drivers), says "Setting vertical sync not
// supported" about a setting the engine never asks for. That line is
// dropped; anything else said meanwhile goes on to standard error.
std::unique_ptr<sf::RenderWindow> openWindow()
{
    const LibraryErrorCapture capture;
    auto window = std::make_unique<sf::RenderWindow>(sf::VideoMode(worldSize, worldSize, 32), "Loading...",
                                                     sf::Style::Default, sf::ContextSettings());
    keepLoadedLibrariesMapped();
    std::string said = capture.text();
    const std::string vsync = "Setting vertical sync not supported\n";
    for (std::size_t at = said.find(vsync); at != std::string::npos; at = said.find(vsync))
        said.erase(at, vsync.size());
    std::cerr << said;
    return window;
}

} // namespace

int runInWindow(const Options &options, std::shared_ptr<const GameDocument> document,
                const std::function<int(sf::RenderWindow &, std::shared_ptr<const GameDocument>)> &body,
                const std::function<void()> &afterStartupError)
{
    const GameLocation &location = options.game;
    // Outside the try, so that whatever the body releases goes while the window exists.
    std::unique_ptr<DisplayCheck> display;
    std::unique_ptr<sf::RenderWindow> window;
    try {
        display = std::make_unique<DisplayCheck>();
        // Decoding the images and opening the sound device take about as
        // long as opening the window: the second core does them meanwhile,
        // and this one decodes what is left once the window is open.
        StartupPrefetch prefetch(location.folder, *document);
        window = openWindow();
        enterFolder(location);
        gameResources().adopt(prefetch.take());
        return body(*window, std::move(document));
    } catch (const StartupError &error) {
        const std::optional<FilePlace> &place = error.elsewhere();
        std::cerr << renderDiagnostic(place ? place->file : location.shown, game.diagnose(error)) << std::endl;
        game.release();
        afterStartupError();
        return 1;
    }
}

int runGame(const Options &options, std::shared_ptr<const GameDocument> document, TraceSink *trace,
            const std::function<int(Game &, sf::RenderWindow &)> &body, const std::function<void()> &afterStartupError)
{
    // Before the engine enters the game's folder, which relative paths would then miss.
    const SaveSettings saves = saveSettings(options, *document);
    const PlayerChoices choices = takePlayerChoices(options, *document, saves, std::cerr);
    const int status = runInWindow(
        options, std::move(document),
        [&](sf::RenderWindow &window, std::shared_ptr<const GameDocument> read) {
            game.window = &window;
            game.trace = trace;
            game.saves = saves;
            game.speech = choices.speech.get();
            game.language = languageToUse(options.language, choices.settings);
            game.start(std::move(read), options.scene);
            const int played = body(game, window);
            game.release();
            return played;
        },
        afterStartupError);
    game.trace = nullptr;
    game.speech = nullptr;
    return status;
}
