#include "core/text/StrictValues.h"

#include "core/text/StartupError.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

bool isDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The comma-separated parts of a value, blanks trimmed, each with where it starts.
struct Part {
    std::string_view text;
    const char *where;
};

std::vector<Part> splitParts(const Attribute *attribute)
{
    std::vector<Part> parts;
    const char *begin = attribute->value();
    const char *end = begin + attribute->value_size();
    const char *start = begin;
    for (const char *at = begin;; ++at) {
        if (at == end || *at == ',') {
            const char *first = start;
            const char *last = at;
            while (first < last && isBlank(*first))
                ++first;
            while (last > first && isBlank(last[-1]))
                --last;
            parts.push_back({std::string_view(first, static_cast<std::size_t>(last - first)), first});
            if (at == end)
                break;
            start = at + 1;
        }
    }
    return parts;
}

bool isBlankValue(const Attribute *attribute)
{
    for (std::size_t i = 0; i < attribute->value_size(); ++i)
        if (!isBlank(attribute->value()[i]))
            return false;
    return true;
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string nameOf(const Attribute *attribute)
{
    return quoted(std::string_view(attribute->name(), attribute->name_size()));
}

// Whole-number scene ids as the document writes them, refused past int.
bool readSceneNumber(std::string_view text, int &number)
{
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if (!isDigits(digits) || digits.size() > 10)
        return false;
    const long long value = std::stoll(std::string(text));
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return false;
    number = static_cast<int>(value);
    return true;
}

bool readDecimal(std::string_view text, float &number)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    std::size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at, ++digits;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at, ++digits;
    }
    if (digits == 0 || at != text.size())
        return false;
    number = std::strtof(std::string(text).c_str(), nullptr);
    return true;
}

} // namespace

bool isName(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (!isNameCharacter(c))
            return false;
    return true;
}

bool isDialogId(std::string_view text)
{
    return isName(text) && text.find('.') == std::string_view::npos;
}

namespace {

bool isOptionMark(std::string_view text)
{
    const std::size_t dot = text.find('.');
    return dot != std::string_view::npos && isDialogId(text.substr(0, dot)) && isDialogId(text.substr(dot + 1));
}

} // namespace

Condition parseCondition(const Attribute *attribute)
{
    Condition condition;
    if (isBlankValue(attribute))
        return condition;
    for (const Part &part : splitParts(attribute)) {
        ConditionTerm term;
        std::string_view text = part.text;
        if (!text.empty() && text[0] == '!') {
            term.negated = true;
            text.remove_prefix(1);
        }
        bool wellFormed = false;
        if (text.substr(0, 2) == "v/") {
            term.kind = ConditionTerm::Kind::visited;
            wellFormed = readSceneNumber(text.substr(2), term.scene);
        } else if (text.substr(0, 2) == "i/") {
            term.kind = ConditionTerm::Kind::item;
            term.name = text.substr(2);
            wellFormed = isName(term.name);
        } else if (text.substr(0, 2) == "o/") {
            term.kind = ConditionTerm::Kind::chosen;
            term.name = text.substr(2);
            wellFormed = isOptionMark(term.name);
        } else {
            term.name = text;
            wellFormed = isName(term.name);
        }
        if (!wellFormed)
            throw StartupError(
                nameOf(attribute) + " is not a condition: " +
                    (part.text.empty() ? std::string("an empty term") : "the term " + quoted(part.text)) +
                    (term.kind == ConditionTerm::Kind::chosen
                         ? std::string(" is not o/DIALOG.OPTION (ids of letters, digits, \"_\" and \"-\")")
                         : std::string(" is none of NAME, i/NAME or v/SCENE (each may start with \"!\")")),
                part.where);
        condition.terms.push_back(term);
    }
    return condition;
}

std::vector<std::string_view> parseIdList(const Attribute *attribute)
{
    std::vector<std::string_view> names;
    if (isBlankValue(attribute))
        return names;
    for (const Part &part : splitParts(attribute)) {
        if (!isName(part.text))
            throw StartupError(nameOf(attribute) + " is not a list of names: " +
                                   (part.text.empty() ? std::string("an empty name") : quoted(part.text)) +
                                   " is not a name (letters, digits, \"_\", \"-\" and \".\")",
                               part.where);
        names.push_back(part.text);
    }
    return names;
}

sf::Vector2f parsePoint(const Attribute *attribute)
{
    const std::vector<Part> parts = splitParts(attribute);
    sf::Vector2f point;
    if (parts.size() != 2 || !readDecimal(parts[0].text, point.x) || !readDecimal(parts[1].text, point.y))
        throw StartupError(nameOf(attribute) + " is not a point: " +
                               quoted(std::string_view(attribute->value(), attribute->value_size())) +
                               " is not two numbers \"x, y\"",
                           attribute->value());
    return point;
}

float parseDecimal(const Attribute *attribute)
{
    const std::string_view value(attribute->value(), attribute->value_size());
    float number = 0;
    if (!readDecimal(value, number))
        throw StartupError(nameOf(attribute) + " is " + quoted(value) + ", but it must be a number",
                           attribute->value());
    return number;
}

bool parseBoolean(const Attribute *attribute)
{
    const std::string_view value(attribute->value(), attribute->value_size());
    if (value == "true")
        return true;
    if (value == "false")
        return false;
    throw StartupError(nameOf(attribute) + " is " + quoted(value) + ", but it must be \"true\" or \"false\"",
                       attribute->value());
}

int parseStrictInteger(const Attribute *attribute)
{
    const std::string_view value(attribute->value(), attribute->value_size());
    int number = 0;
    if (!readSceneNumber(value, number))
        throw StartupError(nameOf(attribute) + " is " + quoted(value) + ", but it must be a whole number",
                           attribute->value());
    return number;
}
