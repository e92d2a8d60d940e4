#include "app/JsonTrace.h"
#include "core/text/StartupError.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "support/GameFixture.h"

#include <string>
#include <vector>

// Flags, items, conditions, uses and doors, judged by the trace lines a press
// and the frames after it write: the same lines a replay compares.

namespace {

// Two rooms: a chest that gives a key once, a door that opens with it and
// then leads to room 2 after a walk, a second door straight back, and a
// painting only there while the door is shut.
const std::string twoRooms = R"(<game entryScene="1" width="800" height="600" title="T" fps="60"
      goal="v/2, open" unhandledUseText="nothing">
<assets path="">
  <sprite id="chest" src="box.png" position="100, 100" origin="0, 0"/>
  <sprite id="door" src="box.png" position="500, 100" origin="0, 0"/>
  <sprite id="painting" src="box.png" position="300, 100" origin="0, 0"/>
  <sprite id="keyIcon" src="box.png"/>
  <text id="nothing" src="f.ttf">Nothing happens.</text>
  <text id="hello" src="f.ttf">Hello.</text>
  <text id="again" src="f.ttf">Again.</text>
  <player src="box.png" speed="10" position="0, 500" origin="0, 0"/>
</assets>
<state><flag id="lit" set="true"/><item id="key" icon="keyIcon"/></state>
<inventory position="0, 0" slotSize="50, 50" columns="2"/>
<scenes>
  <scene sceneId="1">
    <player/>
    <player fromScene="2" position="400, 400"/>
    <chest if="!gotKey" setFlag="gotKey" giveItem="key"/>
    <door if="!open"><use item="key" setFlag="open" takeItem="key"/></door>
    <door if="open" onClickScene="2" walkTo="600, 300"/>
    <painting if="!open, lit"/>
  </scene>
  <scene sceneId="2" onFirstEnterText="hello" onEnterText="again">
    <player position="50, 50"/>
    <door onClickScene="1"/>
    <chest onClickScene="7"/>
  </scene>
</scenes>
</game>
)";

class GameLogic : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("box.png", 40, 40);
        font("f.ttf");
        game.trace = &trace;
    }

    // The lines written from now on, player positions left out.
    std::vector<std::string> said()
    {
        std::vector<std::string> kept;
        for (const std::string &line : lines)
            if (line.find("\"player\"") == std::string::npos)
                kept.push_back(line);
        lines.clear();
        return kept;
    }

    void frame(std::vector<sf::Vector2f> presses = {})
    {
        game.step();
        for (const sf::Vector2f point : presses)
            game.press(point);
        game.transition();
    }

    // Frames until the walk has ended, and its door been gone through.
    void walkToTheEnd()
    {
        for (int frames = 0; frames < 1000 && game.player->walking; ++frames)
            frame();
    }

    std::vector<std::string> lines;
    JsonTrace trace{[this](const std::string &line) { lines.push_back(line); }};
};

std::string line(const std::string &fields)
{
    return "{\"frame\": 0, " + fields + "}";
}

} // namespace

TEST_F(GameLogic, TakingUsingAndGoingThroughADoorTraceInTheirOrder)
{
    start(twoRooms);
    EXPECT_EQ(game.state.flags.count("lit"), 1u) << "a declared flag may start set";
    said();
    frame({{110, 110}});
    EXPECT_EQ(said(), (std::vector<std::string>{
                          line(R"("event": "click", "x": 110, "y": 110)"),
                          line(R"("event": "walk", "x": 110, "y": 110)"),
                          line(R"("event": "flag-set", "id": "gotKey")"),
                          line(R"("event": "item-added", "id": "key")"),
                      }));
    frame({{110, 110}});
    EXPECT_EQ(said().size(), 2u) << "the chest is gone once its condition fails: a click and a walk only";

    walkToTheEnd();
    said();
    frame({{10, 10}, {510, 110}});
    EXPECT_EQ(said(), (std::vector<std::string>{
                          line(R"("event": "click", "x": 10, "y": 10)"),
                          line(R"("event": "item-selected", "id": "key")"),
                          line(R"("event": "click", "x": 510, "y": 110)"),
                          line(R"("event": "walk", "x": 510, "y": 110)"),
                          line(R"("event": "use", "item": "key", "target": "door")"),
                          line(R"("event": "flag-set", "id": "open")"),
                          line(R"("event": "item-removed", "id": "key")"),
                          line(R"("event": "item-deselected", "id": "key")"),
                      }));
    EXPECT_TRUE(game.state.inventory.empty());

    frame({{510, 110}});
    EXPECT_EQ(said(), (std::vector<std::string>{
                          line(R"("event": "click", "x": 510, "y": 110)"),
                          line(R"("event": "walk", "x": 510, "y": 110)"),
                          line(R"("event": "walk", "x": 600, "y": 300)"),
                          line(R"("event": "exit-pending", "scene": 2)"),
                      }));
    EXPECT_EQ(game.pendingExit(), 2);
    walkToTheEnd();
    const std::vector<std::string> arrival = said();
    ASSERT_EQ(arrival.size(), 5u);
    EXPECT_NE(arrival[0].find("\"arrived\""), std::string::npos);
    EXPECT_EQ(std::vector<std::string>(arrival.begin() + 1, arrival.end()),
              (std::vector<std::string>{
                  line(R"("event": "scene-leave", "scene": 1)"),
                  line(R"("event": "scene-enter", "scene": 2, "from": 1, "first": true)"),
                  line(R"("event": "text-shown", "id": "hello")"),
                  line(R"("event": "goal")"),
              }))
        << "the door is gone through in the frame its walk ends";
    EXPECT_EQ(currentSceneId, 2);
    EXPECT_EQ(game.player->sprite->position, sf::Vector2f(50, 50));
    EXPECT_FALSE(game.player->walking) << "the player arrives at rest";
}

TEST_F(GameLogic, DoorsBackPlaceThePlayerByTheirEntranceAndShowTheLaterText)
{
    start(twoRooms);
    game.state.setFlag("open");
    frame({{510, 110}});
    walkToTheEnd();
    frame({{510, 110}});
    said();
    frame({{510, 110}});
    EXPECT_EQ(said(), (std::vector<std::string>{
                          line(R"("event": "click", "x": 510, "y": 110)"),
                          line(R"("event": "walk", "x": 510, "y": 110)"),
                          line(R"("event": "scene-leave", "scene": 2)"),
                          line(R"("event": "scene-enter", "scene": 1, "from": 2, "first": false)"),
                      }))
        << "the first press only put the entry text away; this one goes through at once, without a walk";
    EXPECT_EQ(game.player->sprite->position, sf::Vector2f(400, 400)) << "placed by the entrance from scene 2";
    const std::size_t built = game.scene->sprites.size();
    for (int round = 0; round < 20; ++round) {
        frame({{510, 110}});
        walkToTheEnd();
        frame({{10, 300}});
        frame({{510, 110}});
    }
    EXPECT_EQ(game.scene->sprites.size(), built) << "entering a scene again builds nothing new";
    frame({{510, 110}});
    walkToTheEnd();
    EXPECT_EQ(said().back(), line(R"("event": "text-shown", "id": "again")")) << "later visits show onEnterText";
}

TEST_F(GameLogic, APressWhileADoorWaitsCancelsItAndAMissingSceneOnlyTraces)
{
    start(twoRooms);
    game.state.setFlag("open");
    frame({{510, 110}});
    said();
    frame({{700, 500}});
    EXPECT_EQ(said()[1], line(R"("event": "exit-cancelled", "scene": 2)"));
    EXPECT_EQ(game.pendingExit(), std::nullopt);
    game.activateScene(2);
    frame({{700, 500}});
    said();
    frame({{110, 110}});
    EXPECT_EQ(said().back(), line(R"("event": "scene-missing", "scene": 7)"));
    EXPECT_EQ(currentSceneId, 2);
}

TEST_F(GameLogic, AnItemWithoutUseShowsTheUnhandledTextAndADismissingPressKeepsTheSelection)
{
    start(twoRooms);
    game.state.giveItem("key");
    said();
    frame({{10, 10}, {310, 110}});
    EXPECT_EQ(said(), (std::vector<std::string>{
                          line(R"("event": "click", "x": 10, "y": 10)"),
                          line(R"("event": "item-selected", "id": "key")"),
                          line(R"("event": "click", "x": 310, "y": 110)"),
                          line(R"("event": "walk", "x": 310, "y": 110)"),
                          line(R"("event": "unhandled-use", "item": "key")"),
                          line(R"("event": "text-shown", "id": "nothing")"),
                          line(R"("event": "item-deselected", "id": "key")"),
                      }));
    frame({{10, 10}, {310, 110}});
    EXPECT_EQ(said().back(), line(R"("event": "text-dismissed", "id": "nothing")"));
    EXPECT_EQ(game.state.selected, "key") << "a press that only dismissed keeps the selection";
    frame({{10, 10}});
    EXPECT_EQ(said().back(), line(R"("event": "item-deselected", "id": "key")")) << "its slot again deselects";
}

TEST_F(GameLogic, ActivityFollowsTheStateAsItChanges)
{
    start(twoRooms);
    std::size_t painting = 0;
    while (!idEquals(game.scene->sprites[painting]->id, "painting"))
        ++painting;
    EXPECT_TRUE(game.isActive(painting)) << "while the door is shut and the light on";
    game.state.setFlag("open");
    EXPECT_FALSE(game.isActive(painting));
    game.state.clearFlag("open");
    game.state.clearFlag("lit");
    EXPECT_FALSE(game.isActive(painting));
}

// Each malformed value of the new names refuses to start, located at the
// part of the value that goes wrong.
TEST_F(GameLogic, MalformedValuesRefuseToStartAtTheirPlace)
{
    struct Case {
        std::string attribute;
        std::string pointedAt;
    };
    const Case cases[] = {
        {"if=\"a, , b\"", ", b\""},
        {"if=\"i/\"", "i/\""},
        {"if=\"v/x\"", "v/x\""},
        {"if=\"!\"", "!\""},
        {"setFlag=\"a b\"", "a b\""},
        {"walkTo=\"1\"", "1\""},
        {"walkTo=\"1, 2px\"", "1, 2px"},
        {"onClickScene=\"two\"", "two"},
        {"takeItem=\"ok, no/slash\"", "no/slash"},
    };
    for (const Case &slip : cases) {
        resetCatalogue();
        Game loaded;
        loaded.echo = nullptr;
        const std::string child = "<s " + slip.attribute + "/>";
        write(gameXml("<sprite id=\"s\" src=\"box.png\"/>", child));
        try {
            loaded.start("game.xml");
            ADD_FAILURE() << slip.attribute << " started";
        } catch (const StartupError &error) {
            const auto [line, column] = loaded.position(error.where());
            EXPECT_EQ(line, 7u) << slip.attribute;
            EXPECT_EQ(column, child.find(slip.pointedAt) + 1) << slip.attribute;
        }
    }
}

TEST_F(GameLogic, TheSceneAGameStartsInCountsAsEnteredForTheFirstTime)
{
    write(twoRooms);
    game.start("game.xml", 2);
    EXPECT_EQ(said(), (std::vector<std::string>{line(R"("event": "text-shown", "id": "hello")")}))
        << "the first-visit text of the scene played first, as --scene plays it";

    std::string wonAlready = twoRooms;
    wonAlready.replace(wonAlready.find("v/2, open"), 9, "lit");
    game.release();
    write(wonAlready);
    game.start("game.xml");
    EXPECT_EQ(said(), (std::vector<std::string>{line(R"("event": "goal")")})) << "a goal that holds from the start";
}

TEST_F(GameLogic, KeyboardPlayNeverFocusesASpriteOutsideTheWorld)
{
    write(R"(<game entryScene="1" width="800" height="600" title="T" fps="60" keyboardPlay="true">
<assets path="">
  <sprite id="gone" src="box.png" position="1120, 100" origin="0, 0"/>
  <sprite id="here" src="box.png" position="100, 100" origin="0, 0"/>
</assets>
<scenes><scene sceneId="1"><gone setFlag="a"/><here setFlag="b"/></scene></scenes>
</game>
)");
    game.start("game.xml");
    game.key("Tab");
    game.key("Tab");
    game.key("Shift+Tab");
    EXPECT_EQ(said(), (std::vector<std::string>{line(R"("event": "focus", "id": "here")")}));
}
