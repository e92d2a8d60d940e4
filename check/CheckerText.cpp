#include "check/CheckerText.h"

#include "core/text/Document.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace {

constexpr std::size_t longestQuoted = 60;
// Longer names are compared only for case, which keeps suggestions cheap on
// hostile documents.
constexpr std::size_t longestCompared = 64;
constexpr std::size_t mostEdits = 2;

std::string cut(std::string_view text)
{
    const char *end = utf8Prefix(text.data(), text.data() + text.size(), longestQuoted);
    std::string shown(text.data(), end);
    if (end != text.data() + text.size())
        shown += "...";
    return shown;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalButForCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), lower);
    return result;
}

} // namespace

std::string quote(std::string_view text)
{
    return "\"" + cut(text) + "\"";
}

std::string tag(std::string_view name)
{
    return "<" + cut(name) + ">";
}

std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    std::iota(previous.begin(), previous.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j)
            current[j] =
                std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(previous, current);
    }
    return previous[b.size()];
}

bool Suggestions::spend(std::size_t cost)
{
    if (cost > left) {
        left = 0;
        return false;
    }
    left -= cost;
    return true;
}

std::string Suggestions::didYouMean(std::string_view written, const std::vector<std::string_view> &candidates,
                                    std::string (*shape)(std::string_view))
{
    const std::string_view *best = nullptr;
    std::size_t bestEdits = mostEdits + 1;
    const std::string writtenLower = written.size() <= longestCompared ? lowered(written) : std::string();
    for (const std::string_view &candidate : candidates) {
        if (!spend(1 + std::min(written.size(), longestCompared) * std::min(candidate.size(), longestCompared))) {
            ++searchesCutShort;
            return {};
        }
        if (candidate == written)
            continue;
        if (equalButForCase(candidate, written))
            return "; did you mean " + shape(candidate) + "?";
        if (written.size() > longestCompared || candidate.size() > longestCompared ||
            std::max(written.size(), candidate.size()) - std::min(written.size(), candidate.size()) > mostEdits)
            continue;
        const std::size_t edits = editDistance(writtenLower, lowered(candidate));
        if (edits < bestEdits && edits < std::min(written.size(), candidate.size())) {
            best = &candidate;
            bestEdits = edits;
        }
    }
    return best ? "; did you mean " + shape(*best) + "?" : std::string();
}

bool isInteger(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool isDecimal(std::string_view text)
{
    const std::string number(trimmed(text));
    if (number.empty())
        return false;
    char *end = nullptr;
    static_cast<void>(std::strtod(number.c_str(), &end));
    return end == number.c_str() + number.size();
}

std::string showNumber(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

bool sameNumber(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

std::vector<std::string_view> splitList(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t comma = text.find(',');
        parts.push_back(trimmed(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (parts.size() > 1 && parts.back().empty())
        parts.pop_back();
    return parts;
}

std::string joinList(const std::vector<std::string_view> &parts)
{
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i)
        joined += (i == 0 ? "" : ", ") + std::string(parts[i]);
    return joined;
}
