#pragma once

#include "check/DialogWatch.h"
#include "core/Game.h"
#include "core/text/Diagnostics.h"

#include <SFML/System/Vector2.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One press of a sequence the solver found: where it lands, in world units,
// and what it presses, in words.
struct SolvedPress {
    sf::Vector2f point;
    std::string what;
    // A key pressed instead of a click (a conversation's row by its number), when not empty.
    std::string key;
};

// What exploring a game found.
struct SolveReport {
    bool hasGoal = false;
    // Where the goal is written (its attribute, else the root element).
    std::size_t goalLine = 1;
    std::size_t goalColumn = 1;
    // The shortest sequence of presses that reaches the goal, when one was found.
    std::optional<std::vector<SolvedPress>> solution;
    // Dead ends (errors); things that never happen, conditions that never
    // change and things that cannot be pressed alone (warnings). Sorted by place.
    std::vector<Diagnostic> findings;
    std::size_t states = 0;
    std::size_t moves = 0;
    // The state limit ended the exploration: the findings about what never
    // happens or can no longer happen would be guesses, and are left out.
    bool limitReached = false;
};

// Explores every state a loaded game can reach by presses, breadth first,
// with the game's own press, step and transition, so that the solver and
// play cannot disagree. A state is the scene, the set flags, the inventory
// in order, the selected item, the visited scenes, the texts shown and
// whether the goal was reached; where the player stands is not part of it.
// The moves from a state are a press on each active sprite that does
// something when pressed, a press on each occupied inventory slot, and,
// while a text is shown, the press that puts it away (while a text is
// shown, any press on the scene does only that). In a conversation the moves
// are the press that passes its line, or the choice of each option on its
// menu (by its digit); the state then holds where the conversation is, and
// the chosen marks that can change what happens (once-only options and those
// a condition names). After a press the game is
// stepped until the walk ends, however long it is, so that a door at the end
// of a walk is gone through. The game must have been started (without
// devices, for speed) and is left in some explored state; while the solver
// runs, the game tells it what happens instead of the game's own trace.
class Solver {
public:
    Solver(Game &game, std::size_t maxStates);
    ~Solver();
    Solver(const Solver &) = delete;
    Solver &operator=(const Solver &) = delete;

    SolveReport run();

private:
    class Search;
    std::unique_ptr<Search> search;
};

// Plays frames with no input while the player walks, until the walk ends or
// can no longer end; returns how many. A walk's frames read nothing but the
// player's motion, so one that leaves the motion exactly as it was (a speed
// of 0 or below without a walk area, a step too small to move a position that
// far out) leaves it so in every frame after: that walk never ends, in play
// either, and a door waiting for its end is never gone through.
std::uint64_t walkToEnd(Game &game);

// What the frames after a press do, called after the press: the door it
// committed is gone through, then the game is stepped, frame by frame, until
// the walk has ended (or can no longer end) and a door at its end has been
// gone through, and any cutscene it started has been skipped to its end.
// Returns the frames stepped after the press's own.
std::uint64_t settle(Game &game);
