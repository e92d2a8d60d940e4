#include "EngineFrame.h"

#include "core/Game.h"

namespace bench {

void startGame(Game &game)
{
    game.start("game.xml");
}

} // namespace bench
