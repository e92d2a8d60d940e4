#pragma once

#include <SFML/Graphics/RenderWindow.hpp>

#include <functional>
#include <memory>
#include <string>

class Game;
class GameDocument;
class TraceSink;
struct Options;

// What every mode that plays needs first: a display, the window and the
// game's folder as working directory, with the images `document` names
// decoded meanwhile. Then runs `body`, handing it the document, and returns
// its status; a StartupError from any of it is printed located, then
// `afterStartupError` runs and the status is 1.
int runInWindow(const Options &options, std::shared_ptr<const GameDocument> document,
                const std::function<int(sf::RenderWindow &, std::shared_ptr<const GameDocument>)> &body,
                const std::function<void()> &afterStartupError);

// The start-up that every mode which plays shares: it takes the player's
// choices (see PlayerChoices), checks for a display, opens the window,
// enters the game's folder and starts the game on `document` with `trace`
// told what happens, then runs `body` and returns
// its status. A game that cannot start has its located error printed, then
// `afterStartupError` runs and the status is 1. The game is released while
// its window exists.
int runGame(const Options &options, std::shared_ptr<const GameDocument> document, TraceSink *trace,
            const std::function<int(Game &, sf::RenderWindow &)> &body, const std::function<void()> &afterStartupError);
