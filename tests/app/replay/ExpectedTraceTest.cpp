#include "app/replay/ExpectedTrace.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string line = R"({"frame":1,"event":"click"})";

struct Case {
    const char *name;
    std::string stored;
    std::vector<std::string> happened;
    // What the report says, in part: the load's error or the first difference.
    std::string says;
};

// The report on `stored` against the lines that happened.
std::string report(const std::string &stored, const std::vector<std::string> &happened)
{
    TempDir dir;
    dir.write("expected.jsonl", stored);
    ExpectedTrace expected;
    if (const std::optional<Diagnostic> fault = expected.load(dir.file("expected.jsonl")))
        return fault->message;
    for (const std::string &each : happened)
        expected.compare(each);
    return expected.firstDifference("expected.jsonl").value_or("");
}

} // namespace

TEST(ExpectedTrace, NamesWhatCannotBeSeenAndCutsWhatCannotBeRead)
{
    const std::string huge = R"({"frame":1,"text":")" + std::string(10000, 'x') + "\"}";
    const Case cases[] = {
        {"byte-order mark", "\xEF\xBB\xBF" + line + "\n", {line}, "starts with a byte-order mark"},
        {"trailing empty line", line + "\n\n", {line}, "ends in an empty line"},
        {"trailing blanks", line + "  \n", {line}, "(the expected line ends in 2 blanks, the replay's in 0)"},
        {"long line",
         huge + "\n",
         {line},
         "expected: " + huge.substr(0, 200) + "... (" + std::to_string(huge.size() - 200) + " more bytes)\n"},
        {"a plain difference", line + "\n", {R"({"frame":1,"event":"move"})"}, "happened: {\"frame\":1,\"event\""},
    };
    for (const Case &each : cases) {
        SCOPED_TRACE(each.name);
        const std::string said = report(each.stored, each.happened);
        EXPECT_NE(said.find(each.says), std::string::npos) << said;
        EXPECT_LT(said.size(), 1000u) << "a report a person can read";
    }
    EXPECT_EQ(report(line + "\n", {line}), "") << "a matching trace";
    EXPECT_EQ(report(line + "\n", {R"({"frame":1,"event":"move"})"}).find("blank"), std::string::npos);
}
