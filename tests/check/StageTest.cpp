#include "check/Checker.h"
#include "check/Solver.h"
#include "core/text/StartupError.h"
#include "support/GameFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// How a scene is shown, as start-up and the checker judge it: values that
// cannot be shown refuse to start at the value, a baseline no one can stand
// at is warned of, and the solver finds the same whether a game fades or not.

namespace {

// The scene's tag is on line 7 and its children on line 8.
std::string stageGame(const std::string &sceneAttributes, const std::string &children = "<box/>",
                      const std::string &rootAttributes = "", const std::string &sequences = "")
{
    return "<game entryScene='1' title='t' width='800' height='600' fps='60' " + rootAttributes +
           ">\n<assets path=''>\n<sprite id='box' src='box.png' position='100, 100' origin='0, 0'/>\n</assets>\n"
           "<sequences>" +
           sequences + "</sequences>\n<scenes>\n<scene sceneId='1' " + sceneAttributes + ">\n" + children +
           "\n</scene>\n</scenes>\n</game>\n";
}

class StageTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("box.png", 100, 100);
    }
};

} // namespace

TEST_F(StageTest, ValuesThatCannotBeShownRefuseToStartAtTheValue)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {stageGame("playerScale='300, 0.5, 900, 0'"),
         "7:33: error: \"playerScale\" has the scale 0, but a scale must be above 0"},
        {stageGame("playerScale='300, -1, 900, 1'"), "7:33: error: \"playerScale\" has the scale -1"},
        {stageGame("playerScale='300, 0.5'"), "7:33: error: \"playerScale\" is written \"y1, s1, y2, s2\""},
        {stageGame("fadeIn='601'"), "7:28: error: \"fadeIn\" must be 0 to 600 frames"},
        {stageGame("fadeOut='-1'"), "7:29: error: \"fadeOut\" must be 0 to 600 frames"},
        {stageGame("fadeOut='ten'"), "7:29: error: \"fadeOut\" is \"ten\""},
        {stageGame("depthSort='yes'"), "7:31: error: \"depthSort\" is \"yes\""},
        {stageGame("inventory='none'"), "7:31: error: \"inventory\" is \"none\"; write \"hidden\" or \"shown\""},
        {stageGame("", "<box baseline='far'/>"), "8:16: error: \"baseline\" is \"far\""},
        {stageGame("", "<box/>", "aspect='wide'"),
         "1:74: error: \"aspect\" is \"wide\"; write \"keep\" or \"stretch\""},
        {stageGame("", "<box/>", "", "<sequence id='s'><fade to='grey' frames='5'/></sequence>"),
         "5:39: error: \"to\" is \"grey\"; a fade goes to \"black\" or \"clear\""},
        {stageGame("", "<box/>", "", "<sequence id='s'><fade to='black'/></sequence>"),
         "5:29: error: <fade> has no \"frames\""}};
    for (const auto &[xml, message] : cases) {
        SCOPED_TRACE(xml);
        const std::string said = startupRefusal(xml);
        EXPECT_NE(said.find(message), std::string::npos) << said;
    }
}

TEST_F(StageTest, TheCheckerWarnsOfABaselineOutsideTheWorldAtItsValueAndOfNothingElse)
{
    write(stageGame("depthSort='true' playerScale='300, 0.5, 900, 1.5' fadeIn='30' fadeOut='30' inventory='hidden'",
                    "<box baseline='1200'/>\n<box baseline='-5'/>\n<box baseline='1100'/>", "aspect='keep'",
                    "<sequence id='s'><fade to='black' frames='5'/><fade to='clear' frames='5'/></sequence>"));
    std::vector<std::string> found;
    for (const Diagnostic &finding : checkGame(dir.path(), "game.xml", "game.xml"))
        found.push_back(std::to_string(finding.line) + ":" + std::to_string(finding.column) + " " + finding.code);
    EXPECT_EQ(found, (std::vector<std::string>{"8:16 outside-world", "9:16 outside-world"}));
}

TEST_F(StageTest, TheSolverFindsTheSameWayWhetherTheScenesFadeOrNot)
{
    const auto document = [](const std::string &fades) {
        return "<game entryScene='1' title='t' width='800' height='600' fps='60' goal='won'>\n<assets path=''>\n"
               "<sprite id='box' src='box.png' position='100, 100' origin='0, 0'/>\n"
               "<player src='box.png' speed='10' position='500, 500' origin='0, 0'/>\n</assets>\n"
               "<state><flag id='won'/></state>\n<scenes>\n<scene sceneId='1' " +
               fades + ">\n<player/>\n<box onClickScene='2' walkTo='300, 300'/>\n</scene>\n<scene sceneId='2' " +
               fades + ">\n<player/>\n<box setFlag='won'/>\n</scene>\n</scenes>\n</game>\n";
    };
    std::vector<std::string> ways;
    for (const std::string fades : {"", "fadeIn='40' fadeOut='40'"}) {
        start(document(fades));
        settle(game);
        const SolveReport report = Solver(game, 1000).run();
        ASSERT_TRUE(report.solution.has_value());
        std::string way;
        for (const SolvedPress &press : *report.solution)
            way += press.what + "; ";
        ways.push_back(way + std::to_string(report.states) + " states");
        EXPECT_FALSE(game.fading());
    }
    EXPECT_EQ(ways[0], ways[1]);
}
