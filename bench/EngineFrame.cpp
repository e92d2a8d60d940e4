#include "EngineFrame.h"

#include "core/Catalogue.h"
#include "core/Game.h"

namespace bench {

void startGame(Game &game)
{
    game.load("game.xml");
    game.loadAssets();
    game.activateScene(currentSceneId);
}

} // namespace bench
