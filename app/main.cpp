#include "app/FrameLoop.h"
#include "core/Catalogue.h"
#include "core/Game.h"
#include "core/StartupError.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <X11/Xlib.h>

#include <cstdlib>
#include <iostream>

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

// The console stays open until the player has read it.
void waitForEnter()
{
    std::cin.get();
}

} // namespace

int main()
{
    try {
        const DisplayCheck display;
        sf::RenderWindow window(sf::VideoMode(1100, 1100, 32), "Loading...", sf::Style::Default, sf::ContextSettings());
        game.window = &window;
        game.load("game.xml");
        game.loadAssets();
        game.activateScene(currentSceneId);
        runFrameLoop(game, window);
        waitForEnter();
        game.stopAudio();
        return 0;
    } catch (const StartupError &error) {
        std::cerr << game.describe(error) << std::endl;
        waitForEnter();
        game.stopAudio();
        return 1;
    }
}
