#include "check/Solver.h"
#include "elements/EPlayer.h"
#include "elements/ESprite.h"
#include "support/GameFixture.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The solver keeps each state as a key and rebuilds the game from it, and
// skips the frames of a walk it has seen: these count what it explores on
// games small enough to count, where a state lost or told twice shows.

namespace {

// Two rooms; two things each give an item once, and a door each way at the
// end of a walk round a hole in the floor. Holding the items in either order
// is a different state, as are the selections and the rooms seen.
const std::string twoItems = R"(<game entryScene="1" title="T" width="800" height="600" fps="60" goal="v/2, gotA, gotB">
<assets path="">
<sprite id="a" src="box.png" position="100, 100" origin="0, 0"/>
<sprite id="b" src="box.png" position="300, 100" origin="0, 0"/>
<sprite id="door" src="box.png" position="500, 100" origin="0, 0"/>
<player src="p.png" speed="7" position="400, 500" origin="10, 40"/>
</assets>
<state><flag id="gotA"/><flag id="gotB"/><item id="a"/><item id="b"/></state>
<inventory position="0, 1000" slotSize="100, 100" columns="2"/>
<scenes>
<scene sceneId="1" walkArea="0, 0, 800, 0, 800, 600, 0, 600" walkHoles="420, 250, 460, 250, 460, 450, 420, 450">
<player/>
<player fromScene="2" position="700, 500"/>
<a if="!gotA" setFlag="gotA" giveItem="a"/>
<b if="!gotB" setFlag="gotB" giveItem="b"/>
<door onClickScene="2" walkTo="550, 250"/>
</scene>
<scene sceneId="2">
<player position="50, 500"/>
<door onClickScene="1" walkTo="550, 250"/>
</scene>
</scenes>
</game>
)";

// `count` things in a row, each setting a flag of its own once.
std::string independentFlags(int count)
{
    std::string assets;
    std::string children;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        assets += "<sprite id=\"s" + n + "\" src=\"box.png\" position=\"" + std::to_string(i % 7 * 110) + ", " +
                  std::to_string(i / 7 * 110) + "\" origin=\"0, 0\"/>\n";
        children += "<s" + n + " if=\"!f" + n + "\" setFlag=\"f" + n + "\"/>\n";
    }
    return gameXml(assets, children, "", "width=\"800\" height=\"600\" fps=\"60\" goal=\"f0, f1\"");
}

// One press sets forty flags and leads to a second room; there four of
// them are cleared and set again, each on its own, in any order: states
// that differ in one bit of a long row of flags, among them the 32nd.
std::string fortyFlags()
{
    std::string all;
    for (int i = 0; i < 40; ++i)
        all += (all.empty() ? "f" : ", f") + std::to_string(i);
    std::string assets;
    std::string toggles;
    int place = 0;
    for (const std::string n : {"5", "20", "31", "39"}) {
        assets += "<sprite id=\"t" + n + "\" src=\"box.png\" position=\"" + std::to_string(110 * ++place) +
                  ", 0\" origin=\"0, 0\"/>\n";
        toggles += "<t" + n + " if=\"f" + n + "\" clearFlag=\"f" + n + "\"/>\n<t" + n + " if=\"!f" + n +
                   "\" setFlag=\"f" + n + "\"/>\n";
    }
    return "<game entryScene=\"1\" title=\"T\" width=\"800\" height=\"600\" fps=\"60\" "
           "goal=\"f0, !f5, !f20, !f31, !f39\">\n<assets path=\"\">\n<sprite id=\"many\" src=\"box.png\"/>\n" +
           assets + "</assets>\n<scenes>\n<scene sceneId=\"1\"><many setFlag=\"" + all +
           "\" onClickScene=\"2\"/></scene>\n<scene sceneId=\"2\">\n" + toggles + "</scene>\n</scenes>\n</game>\n";
}

// Three rooms in a ring, the goal in the third behind a lever in the first.
// With the lever down, the trap in the second room shuts every door: the
// game goes round in circles, and one press leaves it stuck.
const std::string ringOfRooms = R"(<game entryScene="1" title="T" width="800" height="600" fps="60" goal="won">
<assets path="">
<sprite id="next" src="box.png" position="600, 100" origin="0, 0"/>
<sprite id="lever" src="box.png" position="100, 100" origin="0, 0"/>
<sprite id="trap" src="box.png" position="300, 100" origin="0, 0"/>
<sprite id="prize" src="box.png" position="300, 300" origin="0, 0"/>
</assets>
<scenes>
<scene sceneId="1">
<next if="!stuck" onClickScene="2"/>
<lever if="!lever" setFlag="lever"/>
<lever if="lever" clearFlag="lever"/>
</scene>
<scene sceneId="2">
<next if="!stuck" onClickScene="3"/>
<trap if="!lever, !stuck" setFlag="stuck"/>
</scene>
<scene sceneId="3">
<next onClickScene="1"/>
<prize if="lever" setFlag="won"/>
</scene>
</scenes>
</game>
)";

// Counts what it is told.
class CountedTrace : public TraceSink {
public:
    int told = 0;

    void startFrame(std::uint64_t) override { ++told; }
    void record(TraceEvent, std::string_view) override { ++told; }
    void record(TraceEvent, sf::Vector2f) override { ++told; }
    void record(TraceEvent, const std::vector<TraceField> &) override { ++told; }
    void recordPath(const std::vector<Point> &) override { ++told; }
    void recordFacing(std::string_view) override { ++told; }
};

// A corridor that winds up the world in `rows` rows of 1,000 units, 20 wide
// and 40 apart, joined at the right and left ends in turn: the way from its
// lower left end to its upper row's far end is some 25 units a row longer
// than 1,000 a row.
std::string winding(int rows)
{
    const int length = 1000;
    const int wide = 20;
    const int apart = 40;
    const int top = (rows - 1) * apart + wide;
    std::vector<std::pair<int, int>> corners{{0, 0}, {length, 0}};
    // Up the right side, round each wall that meets it (those of odd gaps).
    for (int gap = 0; gap + 1 < rows; ++gap)
        if (gap % 2 == 1)
            corners.insert(corners.end(), {{length, gap * apart + wide},
                                           {wide, gap * apart + wide},
                                           {wide, (gap + 1) * apart},
                                           {length, (gap + 1) * apart}});
    corners.insert(corners.end(), {{length, top}, {0, top}});
    // Down the left side, round the walls of even gaps.
    for (int gap = rows - 2; gap >= 0; --gap)
        if (gap % 2 == 0)
            corners.insert(corners.end(), {{0, (gap + 1) * apart},
                                           {length - wide, (gap + 1) * apart},
                                           {length - wide, gap * apart + wide},
                                           {0, gap * apart + wide}});
    std::string points;
    for (const auto &[x, y] : corners)
        points += (points.empty() ? "" : ", ") + std::to_string(x) + ", " + std::to_string(y);
    return points;
}

// A door to scene 2, the goal, at the end of a walk.
std::string doorAtTheEndOfAWalk(const std::string &player, const std::string &sceneAttributes,
                                const std::string &walkTo)
{
    return R"(<game entryScene="1" title="T" width="800" height="600" fps="60" goal="v/2">
<assets path="">
<sprite id="door" src="box.png" position="500, 100" origin="0, 0"/>
<player src="p.png" )" +
           player + R"( origin="0, 0"/>
</assets>
<scenes>
<scene sceneId="1" )" +
           sceneAttributes + R"(>
<player/>
<door onClickScene="2" walkTo=")" +
           walkTo + R"("/>
</scene>
<scene sceneId="2"><player/></scene>
</scenes>
</game>
)";
}

class SolverTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("box.png", 100, 100);
        png("p.png", 20, 40);
    }

    SolveReport solve(const std::string &xml, std::size_t maxStates = 1000)
    {
        start(xml);
        settle(game);
        return Solver(game, maxStates).run();
    }
};

} // namespace

TEST_F(SolverTest, CountsEachSetOfIndependentFlagsOnce)
{
    // 2^3 sets of flags; from a set of k flags, 3 - k presses lead on.
    const SolveReport three = solve(independentFlags(3));
    EXPECT_EQ(three.states, 8u);
    EXPECT_EQ(three.moves, 12u);
    EXPECT_FALSE(three.limitReached);
    ASSERT_TRUE(three.solution.has_value());
    ASSERT_EQ(three.solution->size(), 2u);
    const std::set<std::string> presses{(*three.solution)[0].what, (*three.solution)[1].what};
    EXPECT_EQ(presses, (std::set<std::string>{"press <s0> in scene 1", "press <s1> in scene 1"}));
}

TEST_F(SolverTest, KeepsApartStatesThatDifferInOneFlagOfMany)
{
    // One state before the press that sets every flag, sixteen after it,
    // and fifteen of those again once the goal has been reached: the
    // figures of a search that kept each state's flags by name.
    const SolveReport report = solve(fortyFlags());
    EXPECT_EQ(report.states, 32u);
    EXPECT_EQ(report.moves, 125u);
    ASSERT_TRUE(report.solution.has_value());
    EXPECT_EQ(report.solution->size(), 5u);
}

TEST_F(SolverTest, FindsTheDeadEndOfAGameThatGoesRoundInCircles)
{
    const SolveReport report = solve(ringOfRooms);
    EXPECT_EQ(report.states, 19u);
    EXPECT_EQ(report.moves, 26u);
    ASSERT_TRUE(report.solution.has_value());
    EXPECT_EQ(report.solution->size(), 4u);
    std::vector<std::string> deadEnds;
    for (const Diagnostic &finding : report.findings)
        if (finding.code == "dead-end")
            deadEnds.push_back(finding.message);
    EXPECT_EQ(deadEnds,
              std::vector<std::string>{
                  "dead end: after \"press <trap> in scene 2\" the goal can no longer be reached (shortest "
                  "way there: press <next> in scene 1, press <trap> in scene 2; 2 states sealed by this press)"});
}

TEST_F(SolverTest, TellsTheGamesTraceNothingAndGivesItBack)
{
    CountedTrace trace;
    start(ringOfRooms);
    settle(game);
    game.trace = &trace;
    const SolveReport report = Solver(game, 1000).run();
    EXPECT_EQ(report.states, 19u);
    EXPECT_EQ(game.trace, &trace);
    EXPECT_EQ(trace.told, 0);
}

TEST_F(SolverTest, StopsAtTheLimitWithTheStatesFoundSoFar)
{
    const SolveReport limited = solve(independentFlags(12), 100);
    EXPECT_TRUE(limited.limitReached);
    EXPECT_EQ(limited.states, 100u);
    ASSERT_TRUE(limited.solution.has_value());
    EXPECT_EQ(limited.solution->size(), 2u);
}

TEST_F(SolverTest, KeepsTheInventoryOrderSelectionsAndRoomsAcrossWalksToDoors)
{
    // The figures a search that kept a whole snapshot of every state gave.
    const SolveReport report = solve(twoItems);
    EXPECT_EQ(report.states, 33u);
    EXPECT_EQ(report.moves, 71u);
    ASSERT_TRUE(report.solution.has_value());
    ASSERT_EQ(report.solution->size(), 3u);
    EXPECT_EQ((*report.solution)[2].what, "press <door> in scene 1");
    EXPECT_TRUE(report.findings.empty());
}

TEST_F(SolverTest, ASnapshotTakenMidwayGoesOnWithTheSameWalk)
{
    start(twoItems);
    game.press({700, 100});
    for (int frame = 0; frame < 5; ++frame)
        game.step();
    const Game::Snapshot midway = game.snapshot();
    for (int frame = 0; frame < 40; ++frame)
        game.step();
    const sf::Vector2f reached = game.player->sprite->position;
    const bool walking = game.player->walking;
    EXPECT_NE(reached, midway.motion.position);

    game.press({100, 500});
    game.restore(midway);
    EXPECT_EQ(game.player->sprite->position, midway.motion.position);
    for (int frame = 0; frame < 40; ++frame)
        game.step();
    EXPECT_EQ(game.player->sprite->position, reached);
    EXPECT_EQ(game.player->walking, walking);
}

TEST_F(SolverTest, AGoalThatHoldsFromTheStartIsReachedInNoPresses)
{
    const SolveReport report =
        solve(gameXml("<sprite id='a' src='box.png'/>", "<a/>", "", "width='800' height='600' fps='60' goal='v/1'"));
    ASSERT_TRUE(report.solution.has_value());
    EXPECT_TRUE(report.solution->empty());
}

TEST_F(SolverTest, PressesOnlyWhereAPlayerCanInsideTheWorld)
{
    // The flag's sprite lies wholly right of the world; the item's slot below it.
    const std::string outside = R"(<game entryScene="1" title="T" width="800" height="600" fps="60" goal="f">
<assets path="">
<sprite id="a" src="box.png" position="1150, 100" origin="0, 0"/>
<sprite id="b" src="box.png" position="100, 100" origin="0, 0"/>
</assets>
<state><flag id="f"/><item id="k" held="true"/></state>
<inventory position="0, 1120" slotSize="100, 100"/>
<scenes><scene sceneId="1"><a setFlag="f"/><b/></scene></scenes>
</game>
)";
    const SolveReport report = solve(outside);
    EXPECT_FALSE(report.solution.has_value()) << "a sprite outside the world is never pressed";
    EXPECT_EQ(report.states, 1u) << "nor is a slot outside it";
}

TEST_F(SolverTest, FollowsEveryWalkToItsEndAndNoFurther)
{
    // Whether the door is gone through is what a walk's end decides; a walk
    // that cannot end leaves it waiting, as in play.
    const std::string maze = "walkArea=\"" + winding(25) + "\"";
    struct Case {
        const char *what;
        std::string game;
        bool doorTaken;
    };
    const Case cases[] = {
        {"a speed of 1 through a winding corridor: over 20,000 frames",
         doorAtTheEndOfAWalk("speed=\"1\" position=\"10, 10\"", maze, "990, 970"), true},
        {"a speed of 0 never arrives", doorAtTheEndOfAWalk("speed=\"0\" position=\"10, 10\"", "", "700, 500"), false},
        {"nor does one below 0", doorAtTheEndOfAWalk("speed=\"-3\" position=\"10, 10\"", "", "700, 500"), false},
        {"a speed of 0 in a walk area ends the walk at once",
         doorAtTheEndOfAWalk("speed=\"0\" position=\"10, 10\"", maze, "990, 970"), true},
        {"a step too small to move a position that far out",
         doorAtTheEndOfAWalk("speed=\"1\" position=\"40000000, 10\"", "rightLevelLimit=\"80000000\"", "60000000, 10"),
         false},
    };
    for (const Case &walk : cases) {
        SCOPED_TRACE(walk.what);
        const SolveReport report = solve(walk.game);
        EXPECT_FALSE(report.limitReached);
        ASSERT_EQ(report.solution.has_value(), walk.doorTaken);
        if (walk.doorTaken) {
            EXPECT_EQ(report.solution->size(), 1u);
        }
        const bool neverEntered =
            std::any_of(report.findings.begin(), report.findings.end(),
                        [](const Diagnostic &finding) { return finding.message == "scene 2 is never entered"; });
        EXPECT_EQ(neverEntered, !walk.doorTaken);
    }
}

TEST_F(SolverTest, AWalkIsSteppedToItsEndFrameByFrame)
{
    start(doorAtTheEndOfAWalk("speed=\"1\" position=\"10, 10\"", "walkArea=\"" + winding(25) + "\"", "990, 970"));
    game.press({990, 970});
    const std::uint64_t frames = walkToEnd(game);
    EXPECT_GT(frames, 20000u);
    EXPECT_LT(frames, 27000u);
    EXPECT_FALSE(game.player->walking);
    EXPECT_EQ(game.player->sprite->position, sf::Vector2f(990, 970));

    start(doorAtTheEndOfAWalk("speed=\"0\" position=\"10, 10\"", "", "700, 500"));
    game.press({700, 500});
    EXPECT_LE(walkToEnd(game), 2u) << "a walk that stands still is over at once";
    EXPECT_TRUE(game.player->walking);
    EXPECT_EQ(game.player->sprite->position, sf::Vector2f(10, 10));
}
