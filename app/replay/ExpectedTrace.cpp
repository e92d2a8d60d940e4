#include "app/replay/ExpectedTrace.h"

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
    return renderDiagnostic(shownAs, where) + "\n  expected: " + escapeControl(found->expected) +
           "\n  happened: " + escapeControl(found->happened);
}
