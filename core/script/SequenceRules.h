#pragma once

#include "core/rooms/GameRules.h"
#include "core/talk/DialogRules.h"
#include "core/text/Document.h"

#include <SFML/System/Vector2.hpp>

#include <optional>
#include <string_view>
#include <vector>

// What the document says about cutscenes, read once at start-up as the rest
// of the rules are. Names and texts point into the document.

// One step of a cutscene, of the kind its element names.
struct StepRules {
    enum class Kind { say, walk, wait, play, effects, scene, talk, animate, fade };

    Node *node = nullptr;
    Kind kind = Kind::wait;
    // The element's name, as the trace names the step.
    const char *name = nullptr;
    // say: the line (its condition always holds); audio also for play.
    LineRules line;
    // say and wait: the frames it lasts; a say without waits for a press.
    std::optional<int> frames;
    // walk: where the player, or the sprite of the asset id `who`, walks to;
    // animate: the sprite `who` shows `cells`, each for `delay` frames.
    sf::Vector2f to;
    std::string_view who;
    std::vector<int> cells;
    int delay = 6;
    // do: the effects, when `condition` holds.
    Condition condition;
    Effects effects;
    int scene = 0;
    std::string_view dialog;
    // fade: to black, else clear again.
    bool darken = false;

    // The kind the format table lists the step's attributes under.
    const char *formatKind() const
    {
        return kind == Kind::say ? "sequence say" : kind == Kind::scene ? "sequence scene" : name;
    }
    // Whether the step can last beyond the frame it starts in: a scene step
    // waits for the fade out of the scene it leaves.
    bool waits() const
    {
        return kind == Kind::say || kind == Kind::walk || kind == Kind::wait || kind == Kind::talk ||
               kind == Kind::animate || kind == Kind::fade || kind == Kind::scene;
    }
};

struct SequenceRules {
    Node *node = nullptr;
    std::string_view id;
    bool skippable = true;
    std::vector<StepRules> steps;
};

class SequenceBook {
public:
    // Reads the root's cutscene attributes and its <sequences>; throws
    // StartupError for a malformed value or an id given twice (at the
    // second). The flags and items the steps name are noted in `rules`.
    void read(Node *root, GameRules &rules);

    // Whether the document has cutscenes at all: only then does the trace
    // say anything about them.
    bool declared = false;
    std::string_view startSequence;
    std::string_view goalSequence;
    const char *waitCursor = nullptr;
    std::vector<SequenceRules> sequences;

    const SequenceRules *find(std::string_view id) const;

private:
    static StepRules readStep(Node *step, GameRules &rules);
};
