#include "check/Checker.h"
#include "check/Solver.h"
#include "core/text/StartupError.h"
#include "support/GameFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Cutscenes as start-up and the checker judge them: ids given twice, steps
// the engine cannot read, and names that lead nowhere.

namespace {

// The box starts "intro"; the sequences start on line 8.
std::string sequenceGame(const std::string &sequences, const std::string &boxAttributes = "onClickSequence='intro'")
{
    return "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n<assets path=''>\n"
           "<sprite id='box' src='box.png' position='100, 100' origin='0, 0'/>\n"
           "<text id='line' src='f.ttf'>Hello</text>\n</assets>\n<state><flag id='won'/></state>\n<sequences>\n" +
           sequences + "\n</sequences>\n<scenes>\n<scene sceneId='1'>\n<box " + boxAttributes +
           "/>\n</scene>\n</scenes>\n</game>\n";
}

class SequenceTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("box.png", 100, 100);
        font("f.ttf");
    }
};

} // namespace

TEST_F(SequenceTest, TwoSequencesWithOneIdOrAStepTheEngineCannotReadRefuseToStart)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"<sequence id='intro'/>\n<sequence id='intro'/>", "9:15: error: a second <sequence> has the id \"intro\""},
        {"<sequence id='intro'><jump/></sequence>", "8:22: error: <jump> is not a step of a cutscene"},
        {"<sequence id='intro'><wait frames='0'/></sequence>", "8:36: error: \"frames\" must be a whole number from 1"},
        {"<sequence id='intro'><wait/></sequence>", "8:22: error: <wait> has no \"frames\""},
        {"<sequence id='intro'><walk who='cat'/></sequence>", "8:22: error: <walk> has no \"to\""},
        {"<sequence id='in.tro'/>", "8:15: error: \"id\" is \"in.tro\", which is not an id of a <sequence>"}};
    for (const auto &[sequences, message] : cases) {
        SCOPED_TRACE(sequences);
        const std::string refusal = startupRefusal(sequenceGame(sequences));
        EXPECT_NE(refusal.find(message), std::string::npos) << (refusal.empty() ? "the game started" : refusal);
    }
}

TEST_F(SequenceTest, TheCheckerWarnsOfStepsAndTriggersNamingWhatIsNotThere)
{
    write(sequenceGame("<sequence id='intro'>\n<say text='lien' by='bx'/>\n<talk dialog='chat'/>\n"
                       "<do setFlag='won' giveItem='thing'/>\n<walk to='10, 10' speed='3'/>\n"
                       "<walk who='bax' to='10, 10'/>\n</sequence>",
                       "onClickSequence='intr'"));
    std::vector<std::string> found;
    for (const Diagnostic &finding : checkGame(dir.path(), "game.xml", "game.xml"))
        found.push_back(std::to_string(finding.line) + " " + finding.code +
                        (finding.message.find("did you mean") != std::string::npos ? " (suggested)" : ""));
    const std::vector<std::string> expected{"9 unknown-reference (suggested)",
                                            "9 unknown-reference (suggested)",
                                            "10 unknown-reference",
                                            "11 undeclared",
                                            "12 unknown-attribute",
                                            "13 unknown-reference (suggested)",
                                            "18 unknown-reference (suggested)"};
    EXPECT_EQ(found, expected);
}

// A cutscene walks in the walk area of the scene it runs in: the one its
// trigger is in, until it changes scene.
TEST_F(SequenceTest, TheCheckerWarnsOfACutsceneWalkingOutsideTheWalkArea)
{
    write("<game entryScene='1' title='t' width='800' height='600' fps='60' startSequence='intro'>\n"
          "<assets path=''>\n<sprite id='box' src='box.png' position='100, 100' origin='0, 0'/>\n</assets>\n"
          "<sequences>\n<sequence id='intro'>\n<walk to='900, 900'/>\n<scene to='2'/>\n<walk to='900, 900'/>\n"
          "</sequence>\n<sequence id='later'>\n<walk to='50, 50'/>\n</sequence>\n</sequences>\n<scenes>\n"
          "<scene sceneId='1' walkArea='0, 0, 500, 0, 500, 500, 0, 500'><box/></scene>\n"
          "<scene sceneId='2' walkArea='100, 100, 1000, 100, 1000, 1000, 100, 1000'>\n"
          "<box onClickSequence='later'/>\n</scene>\n</scenes>\n</game>\n");
    std::vector<std::string> found;
    for (const Diagnostic &finding : checkGame(dir.path(), "game.xml", "game.xml"))
        found.push_back(std::to_string(finding.line) + " " + finding.code);
    EXPECT_EQ(found, (std::vector<std::string>{"7 walk-area", "12 walk-area"}));
}

TEST_F(SequenceTest, TheCheckerWarnsOfACutsceneEnteringASceneThatRunsItAgain)
{
    const std::string xml = "<game entryScene='1' title='t' width='800' height='600' fps='60'>\n<assets path=''>\n"
                            "<sprite id='box' src='box.png' position='100, 100' origin='0, 0'/>\n</assets>\n"
                            "<sequences>\n<sequence id='loop'>\n<scene to='2'/>\n</sequence>\n"
                            "<sequence id='once'>\n<scene to='1'/>\n</sequence>\n</sequences>\n"
                            "<scenes>\n<scene sceneId='1'>\n<box onClickSequence='loop'/>\n</scene>\n"
                            "<scene sceneId='2' onFirstEnterSequence='loop'>\n<box onClickSequence='once'/>\n"
                            "</scene>\n</scenes>\n</game>\n";
    write(xml);
    std::vector<std::string> found;
    for (const Diagnostic &finding : checkGame(dir.path(), "game.xml", "game.xml"))
        found.push_back(std::to_string(finding.line) + " " + finding.code);
    EXPECT_EQ(found, std::vector<std::string>{"7 sequence-loop"});
}

TEST_F(SequenceTest, TheSolverTakesACutsceneAsPartOfThePressThatStartsIt)
{
    const std::string xml =
        "<game entryScene='1' title='t' width='800' height='600' fps='60' goal='won' startSequence='intro'>\n"
        "<assets path=''>\n<sprite id='box' src='box.png' position='100, 100' origin='0, 0'/>\n"
        "<text id='line' src='f.ttf'>Hello</text>\n</assets>\n<state><flag id='won'/><flag id='ready'/></state>\n"
        "<sequences>\n<sequence id='intro' skippable='false'><say text='line'/><do setFlag='ready'/></sequence>\n"
        "<sequence id='win'><wait frames='50'/><do if='ready' setFlag='won'/></sequence>\n</sequences>\n"
        "<scenes>\n<scene sceneId='1'>\n<box onClickSequence='win'/>\n</scene>\n</scenes>\n</game>\n";
    start(xml);
    settle(game);
    const SolveReport report = Solver(game, 1000).run();
    ASSERT_TRUE(report.solution.has_value());
    ASSERT_EQ(report.solution->size(), 1u);
    EXPECT_EQ(report.solution->front().what, "press <box> in scene 1");
}
