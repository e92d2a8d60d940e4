#pragma once

#include "core/text/Diagnostics.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A stored trace that a replay's trace must match line for line, fed the
// replay's lines as they happen and keeping the first difference.
class ExpectedTrace {
public:
    // Held in memory whole; a 10,000-frame play-through of the example game
    // traces to about 300 KB.
    static constexpr std::uintmax_t maxBytes = 256u * 1024u * 1024u;

    // Reads `path`: every line must be a JSON object with a whole-number
    // "frame". Returns the first fault, located in that file.
    std::optional<Diagnostic> load(const std::string &path);

    void compare(const std::string &happened);
    // After the replay: the first difference as a person reads it, naming
    // the frame, what was expected and what happened; none when all matched.
    std::optional<std::string> firstDifference(const std::string &shownAs) const;

private:
    struct Difference {
        std::size_t line;
        std::uint64_t frame;
        std::string expected;
        std::string happened;
    };

    std::vector<std::string> lines;
    std::vector<std::uint64_t> frames;
    std::size_t matched = 0;
    std::optional<Difference> difference;
};
