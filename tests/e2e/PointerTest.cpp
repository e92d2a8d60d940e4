#include "e2e/GameFolder.h"
#include "support/EngineRun.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

// What the player sees under the pointer and does with the keyboard, judged
// by replays: the trace for what is hovered and focused, shots for what is drawn.

namespace {

// The lines of a trace without its hover and focus lines.
std::string withoutPointerLines(const std::string &trace)
{
    std::istringstream in(trace);
    std::string kept;
    for (std::string line; std::getline(in, line);)
        if (line.find("\"event\": \"hover\"") == std::string::npos &&
            line.find("\"event\": \"focus\"") == std::string::npos)
            kept += line + "\n";
    return kept;
}

std::string hoverLine(int frame, const char *id)
{
    return "{\"frame\": " + std::to_string(frame) +
           ", \"event\": \"hover\", \"id\": " + (id ? "\"" + std::string(id) + "\"" : std::string("null")) + "}\n";
}

// The 550-pixel window shows two world units a pixel. A red square at
// (100, 100) and a blue one over it at (150, 150), each labelled by a block
// of its own colour at the bottom; a green 40-unit cursor; a hookless grey
// floor under everything. The red one is taken by a click, the key it gives
// shows on the bar at (800, 900) and is named by a yellow block.
constexpr const char *labelledGame =
    R"(<game entryScene="1" width="550" height="550" title="Pointer" fps="30" cursor="pointer" keyboardPlay="true">
  <assets path="assets">
    <sprite id="floor" src="grey.png" position="0, 600" origin="0, 0"/>
    <sprite id="red" src="red.png" position="100, 100" origin="0, 0"/>
    <sprite id="blue" src="blue.png" position="150, 150" origin="0, 0"/>
    <sprite id="pointer" src="green.png" position="0, 0" origin="0, 0"/>
    <sprite id="keyIcon" src="cyan.png"/>
    <text id="redLabel" src="DejaVuSans.ttf" size="100" color="255, 0, 0, 255" position="100, 700">█</text>
    <text id="blueLabel" src="DejaVuSans.ttf" size="100" color="0, 0, 255, 255" position="400, 700">█</text>
    <text id="keyName" src="DejaVuSans.ttf" size="100" color="255, 255, 0, 255" position="700, 700">█</text>
  </assets>
  <state><item id="key" icon="keyIcon" name="keyName"/></state>
  <inventory position="800, 900" slotSize="100, 100"/>
  <scenes>
    <scene sceneId="1">
      <blue hoverText="blueLabel" setFlag="blueSeen"/>
      <red hoverText="redLabel" giveItem="key" if="!i/key"/>
      <floor/>
    </scene>
  </scenes>
</game>
)";

class Pointer : public testing::Test {
protected:
    Pointer() : game(labelledGame)
    {
        game.image("grey.png", 1100, 500, Rgb{128, 128, 128}).image("red.png", 100, 100, red);
        game.image("blue.png", 100, 100, blue).image("green.png", 40, 40, green).image("cyan.png", 100, 100, cyan);
        game.font();
    }

    std::string replayedTrace(const std::string &script, std::vector<std::string> more = {})
    {
        files.write("play.replay", script);
        std::vector<std::string> arguments{"--replay", files.file("play.replay"), "--trace", files.file("trace.jsonl")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const ProcessResult result = runEngine(game.path(), "", 60, arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        return readWholeFile(files.file("trace.jsonl"));
    }

    sf::Image shot(const char *name)
    {
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile(files.file(name))) << name;
        return image;
    }

    GameFolder game;
    TempDir files;
};

} // namespace

TEST_F(Pointer, OfTwoOverlappingLabelledSpritesTheOneDrawnOnTopIsHoveredAndLabelled)
{
    // The first child is drawn on top; the floor has no hook and hides nothing.
    const std::string trace = replayedTrace("at 1 move 175 175\nat 1 shot top.png\n"
                                            "at 3 move 120 120\nat 3 shot under.png\n"
                                            "at 5 move 600 650\nat 6 close\n");
    EXPECT_EQ(trace, hoverLine(1, "blue") + hoverLine(3, "red") + hoverLine(5, nullptr));
    const sf::Image top = shot("top.png"), under = shot("under.png");
    EXPECT_EQ(top.getPixel(115, 115), sf::Color::Blue);
    EXPECT_EQ(top.getPixel(225, 380), sf::Color::Blue) << "the blue label";
    const sf::Color floor(128, 128, 128);
    EXPECT_EQ(top.getPixel(75, 380), floor) << "no red label";
    EXPECT_EQ(under.getPixel(75, 380), sf::Color::Red) << "the red label";
    EXPECT_EQ(under.getPixel(225, 380), floor) << "no blue label";
}

TEST_F(Pointer, ATakenSpriteStopsBeingHoveredInTheFrameItGoesAndTheBarHoversItsItem)
{
    const std::string trace = replayedTrace("at 1 move 120 120\nat 4 click 120 120\n"
                                            "at 6 move 850 950\nat 6 shot item.png\nat 7 close\n");
    const std::string expected =
        hoverLine(1, "red") + "{\"frame\": 4, \"event\": \"click\", \"x\": 120, \"y\": 120}\n" +
        "{\"frame\": 4, \"event\": \"item-added\", \"id\": \"key\"}\n" + hoverLine(4, nullptr) + hoverLine(6, "key");
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(shot("item.png").getPixel(375, 380), sf::Color::Yellow) << "the item's name";
}

TEST_F(Pointer, TabThenEnterPressesTheCentreOfTheFocusedSpriteAsAClickThere)
{
    // Tab goes in document order: blue first, then red; Shift+Tab wraps back.
    const std::string keyed =
        replayedTrace("at 1 key Tab\nat 2 key Tab\nat 3 key Shift+Tab\nat 4 key Shift+Tab\nat 5 key Enter\n"
                      "at 6 close\n");
    EXPECT_EQ(keyed.substr(0, keyed.find("\"click\"")),
              "{\"frame\": 1, \"event\": \"focus\", \"id\": \"blue\"}\n"
              "{\"frame\": 2, \"event\": \"focus\", \"id\": \"red\"}\n"
              "{\"frame\": 3, \"event\": \"focus\", \"id\": \"blue\"}\n"
              "{\"frame\": 4, \"event\": \"focus\", \"id\": \"red\"}\n{\"frame\": 5, \"event\": ");
    const std::string clicked = replayedTrace("at 5 click 150 150\nat 6 close\n");
    EXPECT_EQ(withoutPointerLines(keyed), withoutPointerLines(clicked));
    EXPECT_NE(keyed.find("item-added"), std::string::npos) << keyed;
    // Enter leaves the pointer where it was: nothing was ever under it.
    EXPECT_EQ(keyed.find("\"hover\""), std::string::npos) << keyed;
}

TEST_F(Pointer, TheCursorIsDrawnCentredOnThePointerAboveEverything)
{
    replayedTrace("at 0 shot none.png\nat 2 move 170 170\nat 2 shot moved.png\nat 3 close\n");
    const sf::Image none = shot("none.png"), moved = shot("moved.png");
    // No pointer yet, no cursor; then a 20-pixel green square round (85, 85).
    EXPECT_EQ(none.getPixel(85, 85), sf::Color::Blue);
    for (int y = 60; y < 110; ++y)
        for (int x = 60; x < 110; ++x) {
            const bool inside = x >= 75 && x < 95 && y >= 75 && y < 95;
            ASSERT_EQ(moved.getPixel(unsigned(x), unsigned(y)) == sf::Color::Green, inside) << x << ", " << y;
        }
}

TEST_F(Pointer, SpaceTogglesOutlinesRoundEveryInteractiveSpriteAndFocusOutlinesOne)
{
    replayedTrace("at 1 key Space\nat 1 shot revealed.png\nat 2 key Space\nat 2 shot hidden.png\n"
                  "at 3 key Tab\nat 3 shot focused.png\nat 4 close\n");
    const sf::Image revealed = shot("revealed.png"), hidden = shot("hidden.png"), focused = shot("focused.png");
    // Two units outside each edge: one pixel left of the red square's left edge, and of the blue one's.
    EXPECT_EQ(revealed.getPixel(49, 60), sf::Color::Yellow);
    EXPECT_EQ(revealed.getPixel(74, 110), sf::Color::Yellow);
    EXPECT_NE(revealed.getPixel(300, 299), sf::Color::Yellow) << "the floor has no hook";
    EXPECT_EQ(hidden.getPixel(49, 60), sf::Color::Black);
    EXPECT_EQ(hidden.getPixel(74, 110), sf::Color::Black);
    EXPECT_EQ(focused.getPixel(74, 110), sf::Color::Yellow);
    EXPECT_EQ(focused.getPixel(49, 60), sf::Color::Black);
    EXPECT_EQ(focused.getPixel(225, 380), sf::Color::Blue) << "the focused sprite's label";
}

TEST_F(Pointer, OneLabelIsDrawnThatOfTheLastInput)
{
    replayedTrace("at 1 move 120 120\nat 2 key Tab\nat 2 shot key.png\nat 3 move 110 110\nat 3 shot moved.png\n"
                  "at 4 move 600 650\nat 4 shot nothing.png\nat 5 close\n");
    const sf::Image key = shot("key.png"), moved = shot("moved.png"), nothing = shot("nothing.png");
    EXPECT_EQ(key.getPixel(225, 380), sf::Color::Blue) << "the focus's label after a key";
    EXPECT_NE(key.getPixel(75, 380), sf::Color::Red) << "not the label under the pointer";
    EXPECT_EQ(moved.getPixel(75, 380), sf::Color::Red) << "the pointer's label after a move";
    EXPECT_NE(moved.getPixel(225, 380), sf::Color::Blue) << "not the focus's";
    EXPECT_EQ(nothing.getPixel(225, 380), sf::Color::Blue) << "the focus's while the pointer labels nothing";
}

TEST(PointerCompatibility, ADocumentWithoutPointerNamesTracesNoHoverAndDrawsNoCursor)
{
    GameFolder plain(R"(<game entryScene="1" width="550" height="550" title="Plain" fps="30">
  <assets path="assets"><sprite id="red" src="red.png" position="100, 100" origin="0, 0"/></assets>
  <scenes><scene sceneId="1"><red setFlag="seen"/></scene></scenes>
</game>
)");
    plain.image("red.png", 100, 100, red);
    TempDir files;
    files.write("play.replay", "at 1 move 120 120\nat 2 key Tab\nat 3 key Enter\nat 4 click 120 120\nat 5 close\n");
    const ProcessResult result =
        runEngine(plain.path(), "", 60, {"--replay", files.file("play.replay"), "--trace", files.file("t.jsonl")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readWholeFile(files.file("t.jsonl")), "{\"frame\": 4, \"event\": \"click\", \"x\": 120, \"y\": 120}\n"
                                                    "{\"frame\": 4, \"event\": \"flag-set\", \"id\": \"seen\"}\n");
}

TEST(PointerUseSentence, WhileAnItemIsHeldTheLabelNamesTheUseInTheUseTextsOwnPlaceAndColour)
{
    GameFolder held(R"(<game entryScene="1" width="550" height="550" title="Use" fps="30" useText="useLabel">
  <assets path="assets">
    <sprite id="red" src="red.png" position="100, 100" origin="0, 0"/>
    <sprite id="keyIcon" src="cyan.png"/>
    <text id="redLabel" src="DejaVuSans.ttf" size="100" color="255, 0, 0, 255" position="100, 700">█</text>
    <text id="keyName" src="DejaVuSans.ttf" size="100">█</text>
    <text id="useLabel" src="DejaVuSans.ttf" size="100" color="0, 255, 0, 255" position="100, 900">{item} on {target}</text>
  </assets>
  <state><item id="key" icon="keyIcon" name="keyName" held="true"/></state>
  <inventory position="800, 900" slotSize="100, 100"/>
  <scenes><scene sceneId="1"><red hoverText="redLabel"/></scene></scenes>
</game>
)");
    held.image("red.png", 100, 100, red).image("cyan.png", 100, 100, cyan).font();
    TempDir files;
    files.write("play.replay", "at 1 move 150 150\nat 1 shot label.png\nat 2 click 850 950\nat 3 move 150 150\n"
                               "at 3 shot sentence.png\nat 4 close\n");
    const ProcessResult result = runEngine(held.path(), "", 60, {"--replay", files.file("play.replay")});
    ASSERT_EQ(result.status, 0) << result.err;
    sf::Image label, sentence;
    ASSERT_TRUE(label.loadFromFile(files.file("label.png")));
    ASSERT_TRUE(sentence.loadFromFile(files.file("sentence.png")));
    EXPECT_EQ(label.getPixel(75, 380), sf::Color::Red) << "the label alone while nothing is held";
    EXPECT_NE(sentence.getPixel(75, 380), sf::Color::Red) << "not the label while the key is held";
    // Two blocks, the item's name and the target's label, either side of "on", all in the use text's green.
    int greenPixels = 0;
    for (unsigned x = 40; x < 400; ++x)
        greenPixels += sentence.getPixel(x, 480) == sf::Color::Green ? 1 : 0;
    EXPECT_GT(greenPixels, 40) << "the sentence in the use text's colour";
    EXPECT_EQ(label.getPixel(75, 480), sf::Color::Black);
}
