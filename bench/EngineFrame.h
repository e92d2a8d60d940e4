#pragma once

class Game;

namespace bench {

// Loads and activates `game.xml` in the working directory, as the entry point does.
void startGame(Game &game);

} // namespace bench
