#pragma once

#include <SFML/Graphics/RenderWindow.hpp>

class Game;

// One pass of the loop: player step, events, clear, draw, display.
void runFrame(Game &game, sf::RenderWindow &window);
// Runs frames until the window is closed.
void runFrameLoop(Game &game, sf::RenderWindow &window);
