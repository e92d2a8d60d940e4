#include "support/EngineRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

// `adventure --check` as a game's CI runs it: no display, no sound device,
// the report on standard output and the verdict in the exit status.

namespace {

const std::string slips = "<game entryScene='1' width='800' height='600' title='t' fps='60'>\n"
                          "<assets path=''>\n"
                          "<sprite id='door' src='door.png' position='100,200'/>\n"
                          "</assets><scenes><scene sceneId='1'>\n"
                          "<dor/>\n"
                          "</scene></scenes></game>\n";

} // namespace

TEST(CheckMode, PrintsOneLinePerFindingAndASummaryWithoutADisplay)
{
    TempDir dir;
    dir.write("sub/game.xml", slips);
    writePng(dir.file("sub/door.png"), 4, 4, sf::Color::Red);
    const ProcessResult result = runHeadless(dir.path(), {"--check", "sub"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "sub/game.xml:3:44: warning: \"position\" is not written \"x, y\": \"100,200\" reads as "
                          "(100, 0); write \"100, 200\" [pair-syntax]\n"
                          "sub/game.xml:5:1: warning: <dor> matches no sprite, text or the player, so it places "
                          "nothing; did you mean <door>? [unknown-reference]\n"
                          "0 errors, 2 warnings\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(runHeadless(dir.path(), {"--check", "--strict", "sub/game.xml"}).status, 1);
}

TEST(CheckMode, FailsOnTheErrorThatStopsTheEngine)
{
    TempDir dir;
    dir.write("game.xml", "<game entryScene='2' width='800' height='600' title='t' fps='60'>\n"
                          "<assets path=''/>\n<scenes><scene sceneId='1'/></scenes></game>\n");
    const ProcessResult result = runHeadless(dir.path(), {"--check"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "game.xml:3:1: error: no scene has sceneId 2 [startup]\n1 error, 0 warnings\n");
}

TEST(CheckMode, WritesJsonForTools)
{
    TempDir dir;
    dir.write("game.xml", slips);
    writePng(dir.file("door.png"), 4, 4, sf::Color::Red);
    const ProcessResult result = runHeadless(dir.path(), {"--check", "--format", "json"});
    EXPECT_EQ(result.status, 0);
    const nlohmann::json report = nlohmann::json::parse(result.out);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0], nlohmann::json({{"file", "game.xml"},
                                         {"line", 3},
                                         {"column", 44},
                                         {"severity", "warning"},
                                         {"code", "pair-syntax"},
                                         {"message", "\"position\" is not written \"x, y\": \"100,200\" reads as (100, "
                                                     "0); write \"100, 200\""}}));
    EXPECT_EQ(report[1]["code"], "unknown-reference");
    EXPECT_EQ(result.out, nlohmann::ordered_json::parse(result.out).dump(2) + "\n")
        << "laid out as one array, though written a finding at a time";

    dir.write("game.xml", "<game entryScene='1' width='800' height='600' title='t' fps='60'>"
                          "<assets path=''/><scenes><scene sceneId='1'/></scenes></game>");
    EXPECT_EQ(runHeadless(dir.path(), {"--check", "--format", "json"}).out, "[]\n");
}

// Thousands of misspelt names among thousands of ids spend the budget for
// suggestions; the summary says how many findings went without one.
TEST(CheckMode, SaysHowManyFindingsGotNoSuggestion)
{
    constexpr int names = 3000;
    std::string xml = "<game entryScene='1' width='800' height='600' title='t' fps='60'>\n<assets path=''>\n";
    for (int i = 0; i < names; ++i)
        xml += "<sprite id='sprite" + std::to_string(10000 + i) + "' src='door.png'/>\n";
    xml += "</assets><scenes><scene sceneId='1'>\n";
    for (int i = 0; i < names; ++i)
        xml += "<sprit" + std::to_string(10000 + i) + "/>\n";
    xml += "</scene></scenes></game>\n";
    TempDir dir;
    dir.write("game.xml", xml);
    writePng(dir.file("door.png"), 4, 4, sf::Color::Red);
    const ProcessResult result = runHeadless(dir.path(), {"--check"});
    std::size_t suggested = 0;
    for (std::size_t at = result.out.find("did you mean <sprite"); at != std::string::npos;
         at = result.out.find("did you mean <sprite", at + 1))
        ++suggested;
    ASSERT_GT(suggested, 0u);
    ASSERT_LT(suggested, std::size_t{names}) << "the budget was not spent";
    const std::string summary = result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1);
    EXPECT_EQ(summary, "0 errors, " + std::to_string(names) + " warnings; " + std::to_string(names - suggested) +
                           " findings got no \"did you mean\": the budget for suggestions was spent\n");
}

TEST(CheckMode, ShowsC1ControlsEscapedInTextAndJson)
{
    TempDir dir;
    // CSI as U+009B and as a stray byte, OSC as U+009D, in an id that names nothing.
    dir.write("game.xml", "<game entryScene='1' width='80' height='60' title='t' fps='60'><assets path=''/>"
                          "<scenes><scene sceneId='1' music='a\xC2\x9B"
                          "2J\x9B"
                          "1m\xC2\x9D"
                          "0;t'/></scenes></game>\n");
    for (const char *format : {"text", "json"}) {
        SCOPED_TRACE(format);
        const ProcessResult result = runHeadless(dir.path(), {"--check", "--format", format});
        EXPECT_EQ(result.status, 0) << result.err;
        // JSON writes the backslash of each escape as two.
        const std::string slash = std::string(format) == "json" ? "\\\\" : "\\";
        EXPECT_NE(result.out.find("a" + slash + "x9b2J" + slash + "x9b1m" + slash + "x9d0;t"), std::string::npos)
            << result.out;
        for (const char c1 : {'\x9B', '\x9D'})
            EXPECT_EQ(result.out.find(c1), std::string::npos) << result.out;
    }
}

TEST(CheckMode, EndsWithStatusTwoWhenItCannotRun)
{
    TempDir dir;
    ProcessResult result = runHeadless(dir.path(), {"--check"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "adventure: cannot check game.xml: No such file or directory\n");

    EXPECT_EQ(runHeadless(dir.path(), {"--check", "."}).status, 2) << "a folder without game.xml";
    EXPECT_EQ(runHeadless(dir.path(), {"--check", "--format", "xml"}).status, 2);
    EXPECT_EQ(runHeadless(dir.path(), {"--strict"}).status, 2) << "--strict means nothing without --check";
}

// The sanitizers reserve terabytes of address space up front, so a limit on
// it stops them before the engine starts.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(CheckMode, MemoryThatRunsOutEndsTheCheckWithOneLineAndStatusTwo)
{
    TempDir dir;
    std::string document = "<game entryScene='1' width='800' height='600' title='t' fps='60'>\n<assets path=''>\n";
    for (int i = 0; i < 400000; ++i)
        document += "<sprite id='s" + std::to_string(i) + "' src='a.png' position='1, 2' origin='0, 0'/>\n";
    document += "</assets><scenes><scene sceneId='1'/></scenes></game>\n";
    dir.write("game.xml", document);
    const ProcessResult result = runHeadless(dir.path(), {"--check"}, 160u * 1024u * 1024u);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "adventure: out of memory with game.xml\n");
}
#endif
