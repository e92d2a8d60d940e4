#pragma once

#include <SFML/Graphics/RenderWindow.hpp>

class DebugOverlay;
class Game;

// One pass of the loop: player step, events, clear, draw, display. With an
// overlay, it sees every event and is drawn above the game.
void runFrame(Game &game, sf::RenderWindow &window, DebugOverlay *overlay = nullptr);
