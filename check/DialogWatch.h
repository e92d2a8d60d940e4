#pragma once

#include "core/Trace.h"
#include "core/text/Diagnostics.h"
#include "core/text/Document.h"

#include <set>
#include <string>
#include <unordered_set>
#include <vector>

class Game;
struct ConversationMoment;
struct DialogRules;

// What the solver saw of a game's conversations as it explored: which were
// started, which offered a menu with nothing on it, and which options were
// ever offered. It listens to the game's own trace, so it sees what play does.
class DialogWatch : public TraceSink {
public:
    // The menu of a state the solver is at.
    void offered(const ConversationMoment &talk);

    // Once every state is explored: options never offered, menus that came
    // up empty, conversations never started, and those that `trapped` some
    // reachable state (no sequence of choices ends them).
    void report(const Game &game, const std::vector<const DialogRules *> &trapped,
                std::vector<Diagnostic> &findings) const;

    void startFrame(std::uint64_t) override {}
    void record(TraceEvent, std::string_view) override {}
    void record(TraceEvent, sf::Vector2f) override {}
    void record(TraceEvent event, const std::vector<TraceField> &fields) override;
    void recordPath(const std::vector<Point> &) override {}
    void recordFacing(std::string_view) override {}

private:
    std::set<std::string, std::less<>> started;
    std::set<std::string, std::less<>> emptied;
    std::unordered_set<const Node *> shown;
};
