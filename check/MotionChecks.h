#pragma once

#include "core/text/Diagnostics.h"

#include <string>
#include <vector>

class Game;

// Warnings about walk areas, animation and placement in a document that
// loads: polygons that are not simple or too short, holes outside the area
// or over each other, a player placed outside the walkable part or cut off
// from some of it, cells that no sheet divides or that lie past the image,
// and sprites and inventory slots no press can reach. Images are sized from
// their headers, found in `folder` as the engine finds them.
void checkMotion(const Game &game, const std::string &folder, std::vector<Diagnostic> &findings);
