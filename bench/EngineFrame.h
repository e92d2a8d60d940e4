#pragma once

#include <SFML/Graphics/RenderWindow.hpp>

class Game;

namespace bench {

// One frame as app/FrameLoop.cpp runs it, through the public API and in the
// same order: player step, events, clear, draw, display.
void engineFrame(Game &game, sf::RenderWindow &window);

// Loads and activates `game.xml` in the working directory, as the entry point does.
void startGame(Game &game);

} // namespace bench
