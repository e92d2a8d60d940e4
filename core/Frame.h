#pragma once

#include <functional>

class Game;

// One frame of play, the one place its order is written: the player and the
// scene's animations step on, then the frame's input reaches the game (its
// presses, keys, pointer moves and the close, in the order they came), then
// the transition (a load or a scene change, what is hovered, the saves
// asked for). Nothing is drawn: drawing changes nothing a later frame reads,
// so play draws after it and the solver and the fuzz target need not.
// Play, replay, the solver and the fuzz target all go through it.
void playFrame(Game &game, const std::function<void(Game &)> &input = {});
