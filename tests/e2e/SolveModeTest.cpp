#include "support/EngineRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <set>

// `adventure --solve` as a game's CI runs it: no display, no sound device,
// the report on standard output and the verdict in the exit status; and
// the walkthrough it writes, played back by --replay to the goal.

namespace {

ProcessResult runSolver(const std::string &dir, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "--solve");
    return runHeadless(dir, arguments);
}

// One key, two doors that each use it up: only the door to scene 2 leads
// to the prize. Scene 3 has no door to it, so its <use> never runs.
const std::string twoDoors = R"(<game entryScene="1" width="800" height="600" title="t" fps="60" goal="won">
<assets path="">
<sprite id="key" src="box.png" position="100, 100" origin="0, 0"/>
<sprite id="doorA" src="box.png" position="300, 100" origin="0, 0"/>
<sprite id="doorB" src="box.png" position="500, 100" origin="0, 0"/>
<sprite id="prize" src="box.png" position="300, 300" origin="0, 0"/>
<text id="note" src="f.ttf">A note.</text>
<player src="p.png" speed="10" position="400, 500" origin="10, 40"/>
</assets>
<state><flag id="won"/><item id="key"/></state>
<inventory position="0, 1000" slotSize="100, 100"/>
<scenes>
<scene sceneId="1">
<player/>
<key if="!i/key, !tookKey" giveItem="key" setFlag="tookKey" onClickText="note"/>
<doorA>
<use item="key" takeItem="key" onClickScene="2" walkTo="350, 250"/>
</doorA>
<doorB>
<use item="key" takeItem="key"/>
</doorB>
</scene>
<scene sceneId="2">
<player/>
<prize setFlag="won"/>
</scene>
<scene sceneId="3">
<prize>
<use item="key" setFlag="won"/>
</prize>
</scene>
</scenes>
</game>
)";

void writeAssets(const TempDir &dir)
{
    writePng(dir.file("box.png"), 100, 100, sf::Color::Red);
    writePng(dir.file("p.png"), 20, 40, sf::Color::Blue);
    copyFont(dir.file("f.ttf"));
}

std::string withoutDoorB(std::string document)
{
    const std::string doorB = "<doorB>\n<use item=\"key\" takeItem=\"key\"/>\n</doorB>\n";
    document.erase(document.find(doorB), doorB.size());
    return document;
}

} // namespace

TEST(SolveMode, NamesThePressThatSealsADeadEndAndWhatNeverHappens)
{
    TempDir dir;
    dir.write("game.xml", twoDoors);
    writeAssets(dir);
    const ProcessResult result = runSolver(dir.path(), {});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.out.find("game.xml:1:72: note: the goal can be reached in 5 presses [goal]\n"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("game.xml:20:1: error: dead end: after \"use \"key\" on <doorB> in scene 1\" the goal "
                              "can no longer be reached (shortest way there: press <key> in scene 1, put the text "
                              "away in scene 1, select \"key\", use \"key\" on <doorB> in scene 1; 1 state sealed by "
                              "this press) [dead-end]\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("game.xml:27:1: warning: scene 3 is never entered [unreachable]\n"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("game.xml:29:1: warning: using \"key\" on <prize> never happens [unreachable]\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.err, "");
}

TEST(SolveMode, WritesAWalkthroughThatReplaysToTheGoal)
{
    TempDir dir;
    dir.write("game.xml", withoutDoorB(twoDoors));
    writeAssets(dir);
    const ProcessResult overAnImage = runSolver(dir.path(), {"--write-walkthrough", "box.png"});
    EXPECT_EQ(overAnImage.status, 2) << "a file the document names is never written over";
    EXPECT_EQ(readWholeFile(dir.file("box.png")).substr(1, 3), "PNG");
    const ProcessResult result = runSolver(dir.path(), {"--format", "json", "--write-walkthrough", "walk.replay"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    const nlohmann::json report = nlohmann::json::parse(result.out);
    ASSERT_TRUE(report.is_array());
    std::set<std::string> codes;
    for (const nlohmann::json &finding : report)
        codes.insert(finding["code"].get<std::string>());
    EXPECT_EQ(codes, (std::set<std::string>{"explored", "goal", "unreachable"}));

    const ProcessResult played =
        runEngine(dir.path(), "", 60, {".", "--replay", "walk.replay", "--trace", "walk.trace"});
    EXPECT_EQ(played.status, 0) << played.err;
    const std::string trace = readWholeFile(dir.file("walk.trace"));
    EXPECT_NE(trace.find("\"event\": \"goal\""), std::string::npos) << trace;
    std::ifstream shot(dir.file("walk-goal.png"));
    EXPECT_TRUE(shot.good());
}

// The solver takes a cutscene to its end as a skip does, so the script it
// writes skips each one with Escape: the one the game opens with and the one
// the key's press starts. Presses made while either ran would do nothing.
TEST(SolveMode, WritesAWalkthroughThatSkipsCutscenes)
{
    TempDir dir;
    std::string document = withoutDoorB(twoDoors);
    const auto replace = [&](const std::string &from, const std::string &to) {
        document.replace(document.find(from), from.size(), to);
    };
    replace("goal=\"won\">", "goal=\"won\" startSequence=\"intro\">");
    replace("onClickText=\"note\"/>", "onClickText=\"note\" onClickSequence=\"pause\"/>");
    replace("<scenes>", "<sequences><sequence id=\"intro\"><wait frames=\"600\"/></sequence>"
                        "<sequence id=\"pause\"><say text=\"note\" frames=\"600\"/></sequence></sequences><scenes>");
    dir.write("game.xml", document);
    writeAssets(dir);
    const ProcessResult result = runSolver(dir.path(), {"--write-walkthrough", "walk.replay"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    const ProcessResult played =
        runEngine(dir.path(), "", 60, {".", "--replay", "walk.replay", "--trace", "walk.trace"});
    EXPECT_EQ(played.status, 0) << played.err;
    const std::string trace = readWholeFile(dir.file("walk.trace"));
    EXPECT_NE(trace.find("\"sequence\": \"pause\", \"skipped\": true"), std::string::npos) << trace;
    EXPECT_NE(trace.find("\"event\": \"goal\""), std::string::npos) << readWholeFile(dir.file("walk.replay"));
}

// A conversation a cutscene holds is where the solver chooses: only one
// answer wins, and Escape would leave the conversation as a stop does, so
// the script plays the cutscene up to it (passing the line that waits for a
// press, even in an intro Escape cannot skip) and chooses by key.
TEST(SolveMode, ChoosesInAConversationACutsceneHolds)
{
    TempDir dir;
    dir.write("game.xml", R"(<game entryScene="1" width="800" height="600" title="t" fps="60" goal="won"
      startSequence="intro" dialogMenu="40, 400" dialogRowHeight="50">
<assets path="">
<sprite id="box" src="box.png" position="100, 100" origin="0, 0"/>
<text id="note" src="f.ttf">A note.</text>
<text id="no" src="f.ttf">No.</text>
<text id="yes" src="f.ttf">Yes.</text>
</assets>
<state><flag id="won"/></state>
<dialogs><dialog id="ask">
<option id="no" text="no" then="stop"/>
<option id="yes" text="yes" then="stop"/>
</dialog></dialogs>
<sequences>
<sequence id="intro" skippable="false"><say text="note"/></sequence>
<sequence id="asks"><wait frames="30"/><say text="note"/><talk dialog="ask"/><wait frames="30"/>
<do if="o/ask.yes" setFlag="won"/></sequence>
</sequences>
<scenes><scene sceneId="1"><box onClickSequence="asks"/></scene></scenes>
</game>
)");
    writeAssets(dir);
    const ProcessResult result = runSolver(dir.path(), {"--write-walkthrough", "walk.replay"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    const std::string script = readWholeFile(dir.file("walk.replay"));
    EXPECT_NE(script.find("key 2  # choose \"yes\" in \"ask\""), std::string::npos) << script;
    const ProcessResult played =
        runEngine(dir.path(), "", 60, {".", "--replay", "walk.replay", "--trace", "walk.trace"});
    EXPECT_EQ(played.status, 0) << played.err;
    const std::string trace = readWholeFile(dir.file("walk.trace"));
    EXPECT_NE(trace.find("\"option\": \"yes\""), std::string::npos) << trace;
    EXPECT_NE(trace.find("\"event\": \"goal\""), std::string::npos) << script;
}

TEST(SolveMode, StopsAtTheStateLimitWithStatusThree)
{
    // Twenty flags set in any order: about a million states.
    std::string assets, children, goal;
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        assets += "<sprite id=\"s" + n + "\" src=\"box.png\" position=\"" + std::to_string(i % 5 * 200) + ", " +
                  std::to_string(i / 5 * 200) + "\" origin=\"0, 0\"/>\n";
        children += "<s" + n + " if=\"!f" + n + "\" setFlag=\"f" + n + "\"/>\n";
        goal += (i ? ", f" : "f") + n;
    }
    TempDir dir;
    dir.write("game.xml", "<game entryScene=\"1\" width=\"800\" height=\"600\" title=\"t\" fps=\"60\" goal=\"" + goal +
                              "\">\n<assets path=\"\">\n" + assets +
                              "<player src=\"p.png\" speed=\"6\" position=\"400, 900\"/>\n</assets>\n"
                              "<scenes><scene sceneId=\"1\">\n<player/>\n" +
                              children + "</scene></scenes></game>\n");
    writeAssets(dir);
    const ProcessResult result = runSolver(dir.path(), {"--max-states", "100000"});
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_NE(result.out.find("error: stopped at the state limit of 100000 states (--max-states)"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("note: explored 100000 states"), std::string::npos) << result.out;
}

TEST(SolveMode, RefusesWhatTheEngineRefusesAndBadUsage)
{
    TempDir dir;
    dir.write("game.xml", "<game entryScene='2' width='800' height='600' title='t' fps='60'>\n"
                          "<assets path=''/>\n<scenes><scene sceneId='1'/></scenes></game>\n");
    const ProcessResult refused = runSolver(dir.path(), {});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "game.xml:3:1: error: no scene has sceneId 2\n");
    EXPECT_EQ(runSolver(dir.path(), {"--max-states", "0"}).status, 2);
    EXPECT_EQ(runSolver(dir.path(), {"--check"}).status, 2);
    EXPECT_EQ(runSolver(dir.path(), {"--write-walkthrough", "game.xml"}).status, 2);
    EXPECT_EQ(runSolver(dir.path(), {"missing"}).status, 2);

    dir.write("game.xml", "<game entryScene='1' width='800' height='600' title='t' fps='60'>\n"
                          "<assets path=''/>\n<scenes><scene sceneId='1'/></scenes></game>\n");
    const ProcessResult goalless = runSolver(dir.path(), {});
    EXPECT_EQ(goalless.status, 1);
    EXPECT_NE(goalless.out.find("game.xml:1:1: error: the game has no \"goal\" on its root"), std::string::npos)
        << goalless.out;
}
