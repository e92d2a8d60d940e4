#pragma once

#include "core/text/Document.h"

#include <SFML/System/Vector2.hpp>

#include <string_view>
#include <vector>

// The value syntaxes of the names that give a game its state and rooms. They
// are read strictly: a value that does not follow its syntax refuses to
// start, with a StartupError at the place in the value where it goes wrong,
// instead of being read as something the author did not write. Names and
// numbers point into the document's text.

// A name of a flag or an item: letters, digits, "_", "-" and ".".
bool isName(std::string_view text);
// An id of a conversation or of one of its options: letters, digits, "_"
// and "-"; the dot joins the two in "o/DIALOG.OPTION".
bool isDialogId(std::string_view text);

// One term of a condition: "NAME" (a flag is set), "i/NAME" (an item is
// held), "v/N" (scene N has been visited) or "o/DIALOG.OPTION" (that option
// of a conversation has been chosen), each negated by a leading "!".
struct ConditionTerm {
    enum class Kind { flag, item, visited, chosen };
    Kind kind = Kind::flag;
    bool negated = false;
    std::string_view name;
    int scene = 0;
};

// Terms that must all hold; none holds always.
struct Condition {
    std::vector<ConditionTerm> terms;
};

// "!doorOpen, i/key, v/2": terms separated by commas, blanks around them free.
Condition parseCondition(const Attribute *attribute);
// "lampOn, seenCat": names separated by commas; empty for an empty value.
std::vector<std::string_view> parseIdList(const Attribute *attribute);
// "x, y": two decimals.
sf::Vector2f parsePoint(const Attribute *attribute);
// A decimal number: digits with an optional sign and point.
float parseDecimal(const Attribute *attribute);
// "true" or "false".
bool parseBoolean(const Attribute *attribute);
// An integer written in decimal digits, with an optional "-".
int parseStrictInteger(const Attribute *attribute);
