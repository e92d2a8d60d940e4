#pragma once

#include <SFML/Graphics/RenderWindow.hpp>

class Game;

// Draws the game's cursor picture centred on the pointer, above what the
// game drew, and hides the system cursor while there is one. A game without
// pointer rules leaves the system cursor alone.
void drawCursor(const Game &game, sf::RenderWindow &window);
