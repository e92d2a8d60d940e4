#pragma once

#include "app/FramePacer.h"

#include <SFML/Graphics/RenderWindow.hpp>

class Game;

// One pass of the loop: player step, events, clear, draw, display.
void runFrame(Game &game, sf::RenderWindow &window);
// One pass of the loop, then the wait until the next one is due.
void runPacedFrame(Game &game, sf::RenderWindow &window, FramePacer &pacer);
// Runs frames at the document's frame rate until the window is closed.
void runFrameLoop(Game &game, sf::RenderWindow &window);
