#include "app/replay/ExpectedTrace.h"

#include "core/text/Document.h"
#include "core/text/FileKind.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

constexpr const char *expectedEnded = "nothing (the expected trace ends before)";

std::optional<std::uint64_t> frameOf(const std::string &line)
{
    const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
    if (!object.is_object())
        return std::nullopt;
    const auto frame = object.find("frame");
    if (frame == object.end() || !frame->is_number_unsigned())
        return std::nullopt;
    return frame->get<std::uint64_t>();
}

constexpr std::size_t longestShown = 200;
const std::string byteOrderMark = "\xEF\xBB\xBF";

// A line cut after its first 200 characters, so that a huge one does not
// flood the terminal, and escaped.
std::string shown(const std::string &line)
{
    const char *end = utf8Prefix(line.data(), line.data() + line.size(), longestShown);
    const auto cut = static_cast<std::size_t>(end - line.data());
    if (cut == line.size())
        return escapeControl(line);
    return escapeControl(line.substr(0, cut)) + "... (" + std::to_string(line.size() - cut) + " more bytes)";
}

std::size_t trailingBlanks(const std::string &line)
{
    const std::size_t last = line.find_last_not_of(" \t");
    return last == std::string::npos ? line.size() : line.size() - last - 1;
}

// What makes two lines that look alike differ, when nothing else does.
std::string invisibleDifference(const std::string &expected, const std::string &happened)
{
    const std::size_t expectedBlanks = trailingBlanks(expected);
    const std::size_t happenedBlanks = trailingBlanks(happened);
    if (expected.substr(0, expected.size() - expectedBlanks) != happened.substr(0, happened.size() - happenedBlanks))
        return {};
    if (expectedBlanks != happenedBlanks)
        return "the expected line ends in " + std::to_string(expectedBlanks) + " blank" +
               (expectedBlanks == 1 ? "" : "s") + ", the replay's in " + std::to_string(happenedBlanks);
    return {};
}

} // namespace

std::optional<Diagnostic> ExpectedTrace::load(const std::string &path)
{
    std::error_code ignored;
    std::ifstream in;
    // Opening a pipe would wait for a writer instead of failing.
    if (isRegularFile(path))
        in.open(path, std::ios::binary);
    if (!in.is_open())
        return Diagnostic{Severity::error, 1, 1, "expect", "cannot read the expected trace"};
    if (std::filesystem::file_size(path, ignored) > maxBytes)
        return Diagnostic{Severity::error, 1, 1, "expect",
                          "the expected trace is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB"};
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        // Invisible in an editor, so named rather than left to "not a trace line".
        if (lines.empty() && text.compare(0, byteOrderMark.size(), byteOrderMark) == 0)
            return Diagnostic{Severity::error, 1, 1, "expect",
                              "the expected trace starts with a byte-order mark; save it without one"};
        if (text.empty() && in.peek() == std::char_traits<char>::eof())
            return Diagnostic{Severity::error, lines.size() + 1, 1, "expect",
                              "the expected trace ends in an empty line; a trace has none"};
        const std::optional<std::uint64_t> frame = frameOf(text);
        if (!frame)
            return Diagnostic{Severity::error, lines.size() + 1, 1, "expect",
                              "not a trace line: a JSON object with a \"frame\" was expected"};
        lines.push_back(text);
        frames.push_back(*frame);
    }
    return std::nullopt;
}

void ExpectedTrace::compare(const std::string &happened)
{
    if (difference)
        return;
    if (matched == lines.size()) {
        difference = Difference{matched + 1, frameOf(happened).value_or(0), expectedEnded, happened};
        return;
    }
    if (lines[matched] != happened) {
        const std::uint64_t frame = std::min(frames[matched], frameOf(happened).value_or(frames[matched]));
        difference = Difference{matched + 1, frame, lines[matched], happened};
        return;
    }
    ++matched;
}

std::optional<std::string> ExpectedTrace::firstDifference(const std::string &shownAs) const
{
    std::optional<Difference> found = difference;
    if (!found && matched < lines.size())
        found = Difference{matched + 1, frames[matched], lines[matched], "nothing (the replay ended)"};
    if (!found)
        return std::nullopt;
    const Diagnostic where{Severity::error, found->line, 1, "expect",
                           "the replay differs from the expected trace at frame " + std::to_string(found->frame)};
    const std::string invisible = invisibleDifference(found->expected, found->happened);
    return renderDiagnostic(shownAs, where) + "\n  expected: " + shown(found->expected) +
           "\n  happened: " + shown(found->happened) + (invisible.empty() ? "" : "\n  (" + invisible + ")");
}
