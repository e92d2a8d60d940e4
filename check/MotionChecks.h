#pragma once

#include "core/text/Diagnostics.h"

#include <vector>

class Game;

// Warnings about walk areas and animation in a document that loads: polygons
// that are not simple or too short, holes outside the area or over each
// other, a player placed outside the walkable part or cut off from some of
// it, and cells that no sheet divides.
void checkMotion(const Game &game, std::vector<Diagnostic> &findings);
