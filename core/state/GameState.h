#pragma once

#include "core/text/StrictValues.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// What the game remembers as it is played: the set flags, the held items in
// the order they were taken (newest last), the item selected on the
// inventory bar, the scenes visited, the options chosen in conversations
// (as "DIALOG.OPTION", in the order first chosen), and whether the goal was reached. Every
// rule that reads or changes it lives in the game model; saving it is
// writing these fields.
class GameState {
public:
    std::set<std::string, std::less<>> flags;
    std::vector<std::string> inventory;
    std::optional<std::string> selected;
    std::set<int> visited;
    std::vector<std::string> chosen;
    bool goalReached = false;

    bool holds(const Condition &condition) const;
    bool isSet(std::string_view flag) const { return flags.count(flag) != 0; }
    bool holdsItem(std::string_view item) const;
    bool wasChosen(std::string_view option) const;

    // Each returns whether the state changed: setting a set flag, giving a
    // held item or taking one not held changes nothing.
    bool setFlag(std::string_view flag);
    bool clearFlag(std::string_view flag);
    bool giveItem(std::string_view item);
    bool takeItem(std::string_view item);
    bool choose(std::string_view option);

    // Counts every change, so that what is derived from the state (which
    // sprites are active) is worked out again only when it may differ.
    unsigned long version() const { return changes; }
    void touch() { ++changes; }

private:
    unsigned long changes = 0;
};
