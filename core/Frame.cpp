#include "core/Frame.h"

#include "core/Game.h"

void playFrame(Game &game, const std::function<void(Game &)> &input)
{
    game.step();
    if (input)
        input(game);
    game.transition();
}
