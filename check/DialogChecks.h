#pragma once

#include "core/text/Diagnostics.h"

#include <vector>

class Game;

// Warnings about the shape of a loaded game's conversations: one the player
// may have no plain way to leave (no option without a condition, offered
// every time, that stops it), and a menu whose rows, with every option
// offered, would run past the bottom of the world at `textScale`.
void checkDialogs(const Game &game, float textScale, std::vector<Diagnostic> &findings);
