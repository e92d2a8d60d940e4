#pragma once

#include <string>
#include <string_view>
#include <vector>

// How the checker reads and quotes what a document says. Quoted text is cut
// short, so that one huge value cannot flood a report; control characters
// are escaped where a finding is rendered.

// "\"text\"", cut after 60 characters.
std::string quote(std::string_view text);
// "<name>", cut as quote() cuts.
std::string tag(std::string_view name);

// Edits (insertions, deletions, substitutions) that turn one into the other.
std::size_t editDistance(std::string_view a, std::string_view b);

// "; did you mean X?" with X the candidate that `written` most likely meant,
// shown by `shape`: one that differs only in case, else the nearest within
// two edits (fewer than either name is long, so short names do not all look
// alike). Empty when no candidate is that near.
//
// Each comparison spends from the budget, shared by one check: a document
// with thousands of unknown names among thousands of ids would otherwise
// take seconds. Once it is spent, nothing more is suggested, and the
// searches cut short are counted so that the report can say so.
class Suggestions {
public:
    static constexpr std::size_t defaultBudget = 20'000'000;

    explicit Suggestions(std::size_t budget = defaultBudget) : left(budget) {}

    std::string didYouMean(std::string_view written, const std::vector<std::string_view> &candidates,
                           std::string (*shape)(std::string_view));
    // How many searches the budget ended before they were done.
    std::size_t cutShort() const { return searchesCutShort; }

private:
    bool spend(std::size_t cost);

    std::size_t left;
    std::size_t searchesCutShort = 0;
};

// Whether the whole text, blanks around it aside, is one integer (as atoi
// reads it) or one decimal (as atof reads it).
bool isInteger(std::string_view text);
bool isDecimal(std::string_view text);
// A float as people write it: "10", "0.5", "inf".
std::string showNumber(float value);
// Equal, or both not a number.
bool sameNumber(float a, float b);

// The comma-separated parts of a list or pair, blanks around each dropped; a
// comma at the very end starts no part.
std::vector<std::string_view> splitList(std::string_view text);
// The parts as the format writes them: "a, b".
std::string joinList(const std::vector<std::string_view> &parts);
