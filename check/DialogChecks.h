#pragma once

#include "core/text/Diagnostics.h"

#include <string>
#include <vector>

class Game;

// Warnings about the shape of a loaded game's conversations: one the player
// may have no plain way to leave (no option without a condition, offered
// every time, that stops it), a menu whose rows, with every option offered,
// would run past the bottom of the world at `textScale`, and an option whose
// text, wrapped in its font (read from `folder`), is taller than a row.
void checkDialogs(const Game &game, const std::string &folder, float textScale, std::vector<Diagnostic> &findings);
