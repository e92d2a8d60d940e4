#pragma once

#include "core/talk/DialogRules.h"

#include <cstddef>
#include <optional>
#include <vector>

// Where a running conversation is: the lines being said and the one shown,
// or the menu offered and its focused row. Play changes it, so it is part of
// a moment the solver goes back to; saves leave it out (a loaded game is
// never in a conversation).
struct ConversationMoment {
    const DialogRules *dialog = nullptr;
    // The opening lines, or those of the option chosen, and the next to try.
    const std::vector<LineRules> *lines = nullptr;
    std::size_t nextLine = 0;
    const LineRules *line = nullptr;
    // The option whose lines are said: what follows them is its to decide.
    const OptionRules *chosen = nullptr;
    // The options offered, in their rows; none while lines are said.
    std::vector<const OptionRules *> rows;
    std::optional<std::size_t> focusedRow;

    bool running() const { return dialog != nullptr; }
    bool atMenu() const { return !rows.empty(); }
};
