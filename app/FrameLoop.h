#pragma once

#include <SFML/Graphics/RenderWindow.hpp>

class Game;

// Runs frames until the window is closed: player step, events, clear, draw, display.
void runFrameLoop(Game &game, sf::RenderWindow &window);
