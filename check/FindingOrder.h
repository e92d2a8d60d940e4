#pragma once

#include "core/text/Diagnostics.h"

#include <cstddef>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

// Receives each finding of a check as soon as its place in the report is
// known.
using FindingSink = std::function<void(const Diagnostic &)>;

// Passes findings on sorted by line and column (those at the same place in
// the order they came), holding only the ones that may still be overtaken:
// the checker walks the document from the top and says, at each element,
// that nothing before that element's line is still to come. So a check holds
// the findings of one element at a time, not of the whole document.
class FindingOrder {
public:
    explicit FindingOrder(FindingSink passOn) : sink(std::move(passOn)) {}

    void add(Diagnostic finding);
    // Nothing before `line` will be added any more: passes those on.
    void settle(std::size_t line);
    // Passes on everything still held.
    void finish();

private:
    struct Held {
        Diagnostic finding;
        std::size_t arrival;
    };
    // The earliest place first; among equal places, the first to arrive.
    struct Later {
        bool operator()(const Held &a, const Held &b) const;
    };

    FindingSink sink;
    std::priority_queue<Held, std::vector<Held>, Later> held;
    std::size_t arrived = 0;
};
