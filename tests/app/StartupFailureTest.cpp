#include "support/EngineRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const std::string validRoot = "<game entryScene='1' width='400' height='300' title='t' fps='30'>";

struct Failure {
    std::string name;
    std::string document;
    std::string expected;
};

// Runs the engine on `document` and expects exactly one error line and status 1.
void expectFailure(const std::string &document, const std::string &expected)
{
    TempDir dir;
    dir.write("game.xml", document);
    const ProcessResult result = runEngine(dir.path(), "\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(expected + "\n"), std::string::npos) << "stderr: " << result.err;
}

} // namespace

TEST(StartupFailure, NamesLineAndColumnOfTheFault)
{
    const Failure failures[] = {
        {"malformed", validRoot + "\n<assets path=''>\n</game>",
         "game.xml:3:8: error: malformed XML: unexpected end of data"},
        {"truncated", validRoot + "\n<assets", "game.xml:2:8: error: malformed XML: expected >"},
        {"not xml", "just some words", "game.xml:1:1: error: malformed XML: expected <"},
        {"empty", "", "game.xml:1:1: error: the document has no root element"},
        {"no assets", "<game>\n  <scenes/>\n</game>", "game.xml:1:1: error: <game> has no <assets> element"},
        {"no scenes", "\n <game><assets path=''/></game>", "game.xml:2:2: error: <game> has no <scenes> element"},
        {"no entryScene", "<g width='1' height='1' title='t' fps='1'><assets path=''/><scenes/></g>",
         "game.xml:1:1: error: <g> has no \"entryScene\" attribute"},
        {"no width", "<g entryScene='1' height='1' title='t' fps='1'><assets path=''/><scenes/></g>",
         "game.xml:1:1: error: <g> has no \"width\" attribute"},
        {"no height", "<g entryScene='1' width='1' title='t' fps='1'><assets path=''/><scenes/></g>",
         "game.xml:1:1: error: <g> has no \"height\" attribute"},
        {"no title", "<g entryScene='1' width='1' height='1' fps='1'><assets path=''/><scenes/></g>",
         "game.xml:1:1: error: <g> has no \"title\" attribute"},
        {"no fps", "<g entryScene='1' width='1' height='1' title='t'><assets path=''/><scenes/></g>",
         "game.xml:1:1: error: <g> has no \"fps\" attribute"},
        {"no path", validRoot + "\n\n    <assets/><scenes/></game>",
         "game.xml:3:5: error: <assets> has no \"path\" attribute"},
        {"zero width", "<g entryScene='1' width='0' height='1' title='t' fps='1'><assets path=''/><scenes/></g>",
         "game.xml:1:26: error: \"width\" is 0, but a window can only be 1 to 8192 pixels wide"},
        {"huge height",
         "<g entryScene='1' width='10' height='99999999999' title='t' fps='1'><assets path=''/><scenes/></g>",
         "game.xml:1:38: error: \"height\" is 2147483647, but a window can only be 1 to 8192 pixels high"},
        {"negative fps", "<g entryScene='1' width='10' height='10' title='t' fps='-5'><assets path=''/><scenes/></g>",
         "game.xml:1:57: error: \"fps\" is -5, but it must be 0 (no limit) or more"},
        {"no such scene", validRoot + "<assets path=''/>\n<scenes><s sceneId='2'/></scenes></game>",
         "game.xml:2:1: error: no scene has sceneId 1"},
        {"scene without id", validRoot + "<assets path=''/><scenes>\n<s/><s sceneId='1'/></scenes></game>",
         "game.xml:2:1: error: <s> has no \"sceneId\" attribute"},
        {"nul byte", validRoot + std::string("\n  \0", 4) + "<assets path=''/><scenes/></game>",
         "game.xml:2:3: error: the document contains a NUL byte"},
        {"deep nesting",
         "<a>\n" + std::string(1000, ' ') +
             [] {
                 std::string deep;
                 for (int i = 0; i < 100000; ++i)
                     deep += "<b>";
                 return deep;
             }(),
         "game.xml:2:1766: error: elements are nested deeper than 256 levels"},
    };
    for (const Failure &failure : failures) {
        SCOPED_TRACE(failure.name);
        expectFailure(failure.document, failure.expected);
    }
}

TEST(StartupFailure, RefusesFilesThatAreNoRegularDocument)
{
    TempDir missing;
    ProcessResult result = runEngine(missing.path(), "\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.substr(result.err.find("game.xml:1:1")),
              "game.xml:1:1: error: cannot open game.xml: No such file or directory\n");

    TempDir directory;
    mkdir(directory.file("game.xml").c_str(), 0755);
    result = runEngine(directory.path(), "\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("game.xml:1:1: error: game.xml is a directory"), std::string::npos) << result.err;

    // A pipe would block a reader that opened it the ordinary way.
    TempDir pipe;
    mkfifo(pipe.file("game.xml").c_str(), 0644);
    result = runEngine(pipe.path(), "\n", 10);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("game.xml:1:1: error: game.xml is not a regular file"), std::string::npos) << result.err;
}

TEST(StartupFailure, ReportsAMissingDisplayInsteadOfAborting)
{
    TempDir dir;
    dir.write("game.xml", validRoot + "<assets path=''/><scenes><s sceneId='1'/></scenes></game>");
    const std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    const ProcessResult result = runEngine(dir.path(), "\n");
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "game.xml:1:1: error: no X display: DISPLAY is not set; the engine needs a graphical session\n");
}

// What a game file may say that an earlier, stricter engine refused.
TEST(StartupFailure, AcceptsNoLimitAsMinusOneAndNulPaddingAfterTheRoot)
{
    const std::string noScene = "<assets path=''/><scenes><s sceneId='2'/></scenes></game>";
    TempDir dir;
    dir.write("game.xml", "<g entryScene='1' width='10' height='10' title='t' fps='-1'>" + noScene);
    ProcessResult result = runEngine(dir.path(), "\n");
    EXPECT_NE(result.err.find("game.xml:1:57: warning: \"fps\" is -1; the game plays without a frame-rate limit"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("game.xml:1:78: error: no scene has sceneId 1\n"), std::string::npos) << result.err;

    dir.write("game.xml", validRoot + noScene + std::string("\n\0\0\0 padding", 12));
    result = runEngine(dir.path(), "\n");
    EXPECT_EQ(result.err.find("NUL"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("error: no scene has sceneId 1\n"), std::string::npos) << result.err;
}

TEST(StartupFailure, ShowsControlCharactersAndNulsFromTheDocumentEscapedOnOneWholeLine)
{
    const std::string game = "<game entryScene='1' width='300' height='200' title='t' fps='30' saveName='";
    const std::string rest = "'><assets path=''/><scenes><scene sceneId='1'/></scenes></game>";
    const std::string notASaveName = "\", which is not a save name (one or more letters, digits, \"-\" and \"_\")\n";
    const struct {
        std::string document;
        std::string line;
    } cases[] = {
        {"<\x1b[2J\x1b]0;owned\x07><scenes/></x>",
         "game.xml:1:1: error: <\\x1b[2J\\x1b]0;owned\\x07> has no <assets> element\n"},
        {game + "ab&#0;cd" + rest, "game.xml:1:76: error: \"saveName\" is \"ab\\x00cd" + notASaveName},
        {game + "&#x0;" + rest, "game.xml:1:76: error: \"saveName\" is \"\\x00" + notASaveName},
        {game + "a&#27;&#0;" + rest, "game.xml:1:76: error: \"saveName\" is \"a\\x1b\\x00" + notASaveName},
    };
    for (const auto &[document, line] : cases) {
        SCOPED_TRACE(line);
        TempDir dir;
        dir.write("game.xml", document);
        const ProcessResult result = runEngine(dir.path(), "\n");
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(line), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\x1b'), std::string::npos);
        EXPECT_EQ(result.err.find('\0'), std::string::npos);
        const ProcessResult checked = runEngine(dir.path(), "", 30, {"--check"});
        EXPECT_NE(checked.out.find(line.substr(0, line.size() - 1) + " [startup]\n"), std::string::npos) << checked.out;
    }
}
