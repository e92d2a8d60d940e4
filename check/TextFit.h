#pragma once

#include "core/text/Diagnostics.h"
#include "core/text/Document.h"

#include <string>
#include <vector>

class Game;

// With --text-scale, where a text would reach past the world the window
// shows once its character size is multiplied by `scale`: a warning at the
// scene child that places it, or at the text asset for the texts shown at
// their own position (labels, entry texts, item names). The extent is
// estimated from the characters, 0.6 of the size wide and 1.2 a line, so a
// text's finding does not hang on a font file; a wrapped text is laid out in
// its font, since its lines are known only so, and counted 1.2 a line.
// Fonts are read from `folder`, the game's.
void checkTextFit(const Game &game, const std::string &folder, float scale, std::vector<Diagnostic> &findings);

// A text with a `wrap` narrower than the widest of its own characters at its
// size times `scale`: a warning at the value, as such a character still runs
// past the width on a line of its own.
void checkTextWrap(const Game &game, const std::string &folder, float scale, std::vector<Diagnostic> &findings);

// About how tall the text asset `text` is drawn at its size times `scale`:
// its lines, wrapped in its font when it has a wrap, 1.2 of the size each.
float textHeight(const Game &game, const std::string &folder, Node *text, float scale);
