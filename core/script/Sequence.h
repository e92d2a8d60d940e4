#pragma once

#include "core/nav/Route.h"
#include "core/script/SequenceRules.h"

#include <SFML/System/Vector2.hpp>

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

class ESprite;

// Where the cutscenes are: the one running and its step, and those that
// fired while it ran, waiting their turn. Play changes it, so it is part of
// a moment the solver goes back to; saves leave it out.
struct SequenceMoment {
    const SequenceRules *sequence = nullptr;
    std::size_t step = 0;
    // The frames a timed say or a wait has left.
    int framesLeft = 0;
    // A say that waits for a press got one.
    bool passed = false;
    // A sprite a walk step moves, its way and its speed; each sprite moved
    // and its placement, which it goes back to as the cutscene ends.
    ESprite *walker = nullptr;
    Route walkerRoute;
    int walkerSpeed = 0;
    std::vector<std::pair<ESprite *, sf::Vector2f>> moved;
    // A sprite an animate step plays, the frames it has played so far and
    // the cell it showed before; one whose last cell was just shown.
    ESprite *animated = nullptr;
    int animatedFrames = 0;
    int animatedCell = -1;
    ESprite *animationDone = nullptr;
    // A vector, not a deque: every moment the solver goes back to copies
    // it, and an empty vector costs no allocation where an empty deque does.
    std::vector<const SequenceRules *> queued;
    // A scene's enter cutscene waits until its entry text is put away.
    std::string_view afterEntryText;

    bool running() const { return sequence != nullptr; }
    const StepRules &current() const { return sequence->steps[step]; }
};
