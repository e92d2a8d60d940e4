#pragma once

#include "core/text/Diagnostics.h"

#include <vector>

class Game;

// With --text-scale, where a text would reach past the world the window
// shows once its character size is multiplied by `scale`: a warning at the
// scene child that places it, or at the text asset for the texts shown at
// their own position (labels, entry texts, item names). The extent is
// estimated from the characters, 0.6 of the size wide and 1.2 a line, since
// the checker measures without a font renderer.
void checkTextFit(const Game &game, float scale, std::vector<Diagnostic> &findings);
