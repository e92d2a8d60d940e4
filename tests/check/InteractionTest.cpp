#include "check/Checker.h"
#include "check/Solver.h"
#include "support/GameFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// How a press works where the document asks for more, as the checker and the
// solver judge it: overlapping notes, covered sprites, the top sprite only
// and actions that wait for the walk.

namespace {

// A lamp (line 4) over a table (line 5), each with a note, and a box with a
// walkTo (line 6) that gives the goal; `root` goes on the root.
std::string pressGame(const std::string &root, const std::string &lamp = "position='150, 150'",
                      const std::string &lampChild = "")
{
    return "<game entryScene='1' title='t' width='800' height='600' fps='60' goal='won' " + root +
           ">\n<assets path=''><sprite id='table' src='big.png' position='100, 100' origin='0, 0'/>"
           "<sprite id='lamp' src='box.png' origin='0, 0' " +
           lamp +
           "/><sprite id='box' src='box.png' position='600, 600' origin='0, 0'/>"
           "<text id='note' src='f.ttf'>A note</text><player src='box.png' position='500, 500' origin='0, 0'/>\n"
           "</assets><state><flag id='won'/></state><scenes><scene sceneId='1'><player/>\n"
           "<lamp onClickText='note' " +
           lampChild +
           "/>\n<table onClickText='note'/>\n"
           "<box walkTo='650, 550'/>\n</scene></scenes></game>\n";
}

class InteractionTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("box.png", 100, 100);
        png("big.png", 300, 300);
        font("f.ttf");
    }

    std::string findings(const std::string &xml)
    {
        write(xml);
        std::string codes;
        for (const Diagnostic &finding : checkGame(dir.path(), "game.xml", "game.xml"))
            codes += std::to_string(finding.line) + " " + finding.code + "; ";
        return codes;
    }
};

} // namespace

TEST_F(InteractionTest, TheCheckerWarnsOfTwoNotesAtOnceWithoutTopPressesAndOfSpritesTheTopOnesHide)
{
    EXPECT_EQ(findings(pressGame("")), "5 overlapping-press; ");
    EXPECT_EQ(findings(pressGame("press='top'")), "");
    // The lamp grown over the whole table hides it from a press that reaches the top sprite only.
    EXPECT_EQ(findings(pressGame("press='top'", "position='50, 50' scale='5, 5'")), "5 covered; ");
    // A lamp that is not always there does not hide it for good.
    EXPECT_EQ(findings(pressGame("press='top'", "position='50, 50' scale='5, 5'", "if='!won'")), "");
}

TEST_F(InteractionTest, TheSolverFollowsThePressRuleOfTheDocument)
{
    // The table gives the goal, and the lamp grown over it covers it wholly:
    // every press there reaches both, or with press="top" the lamp alone.
    const std::string covered = "position='50, 50' scale='5, 5'";
    for (const auto &[root, winnable] : std::vector<std::pair<std::string, bool>>{
             {"", true}, {"press='top'", false}, {"press='top' actOnArrival='true'", false}}) {
        SCOPED_TRACE(root);
        start(pressGame(root, covered)
                  .replace(pressGame(root, covered).find("<table onClickText='note'"), 25,
                           "<table onClickText='note' setFlag='won'"));
        settle(game);
        EXPECT_EQ(Solver(game, 1000).run().solution.has_value(), winnable);
    }
}

TEST_F(InteractionTest, TheSolverCountsWhatAPressRunsAtTheEndOfTheWalk)
{
    // The key on the box (line 7) wins, and only through the door (line 5):
    // each runs at the end of the walk there, by the document's rule or by the
    // child's own walkTo.
    for (const auto &[root, child] :
         std::vector<std::pair<std::string, std::string>>{{"actOnArrival='true'", ""}, {"", " walkTo='650, 550'"}}) {
        SCOPED_TRACE(root + child);
        start("<game entryScene='1' title='t' width='800' height='600' fps='60' goal='won' " + root +
              ">\n<assets path=''><sprite id='box' src='box.png' position='600, 600' origin='0, 0'/>"
              "<sprite id='lamp' src='box.png' position='300, 600' origin='0, 0'/><sprite id='keyIcon' src='box.png'/>"
              "<player src='box.png' position='100, 900' origin='0, 0'/></assets>\n"
              "<state><flag id='won'/><item id='key' icon='keyIcon' held='true'/></state>\n"
              "<inventory position='0, 0' slotSize='64, 64'/><scenes><scene sceneId='1'><player/>\n"
              "<lamp onClickScene='2'" +
              child + "/>\n</scene><scene sceneId='2'><player/>\n<box" + child +
              "><use item='key' setFlag='won'/></box>\n</scene></scenes></game>\n");
        settle(game);
        const SolveReport report = Solver(game, 1000).run();
        ASSERT_TRUE(report.solution.has_value());
        std::string findings;
        for (const Diagnostic &finding : report.findings)
            findings += std::to_string(finding.line) + " " + finding.message + "; ";
        EXPECT_EQ(findings, "");
    }
}
