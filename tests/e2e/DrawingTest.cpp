#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"
#include "support/EngineRun.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

namespace {

// What a 550x550 window should show: world rectangles painted in drawing
// order, each world unit half a pixel.
class ExpectedFrame {
public:
    ExpectedFrame() : pixels(550 * 550, black) {}
    ExpectedFrame &paint(int worldLeft, int worldTop, int worldWidth, int worldHeight, Rgb colour)
    {
        for (int y = worldTop / 2; y < (worldTop + worldHeight) / 2; ++y)
            for (int x = worldLeft / 2; x < (worldLeft + worldWidth) / 2; ++x)
                pixels[static_cast<std::size_t>(y * 550 + x)] = colour;
        return *this;
    }
    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y * 550 + x)]; }

private:
    std::vector<Rgb> pixels;
};

testing::AssertionResult matches(const Screenshot &shot, const ExpectedFrame &expected)
{
    int wrong = 0;
    std::string first;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.at(x, y) != expected.at(x, y) && wrong++ == 0)
                first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + describe(shot.at(x, y)) +
                        " instead of " + describe(expected.at(x, y));
    if (wrong == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << wrong << " pixels differ, the first: " << first << "; " << shot.summary();
}

} // namespace

TEST(Drawing, FirstSceneChildIsOnTopAndTheViewIsHalvedIntoA550PixelWindow)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="leftTop" src="red.png" position="300, 300" origin="0, 0"/>
    <sprite id="leftBottom" src="blue.png" position="400, 400" origin="0, 0"/>
    <sprite id="rightTop" src="blue.png" position="700, 300" origin="0, 0"/>
    <sprite id="rightBottom" src="red.png" position="800, 400" origin="0, 0"/>
    <sprite id="square" src="green.png" position="100, 100" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1">
      <leftTop/>
      <leftBottom/>
      <rightTop/>
      <rightBottom/>
      <square/>
    </scene>
  </scenes>
</game>
)");
    game.image("red.png", 200, 200, red).image("blue.png", 200, 200, blue).image("green.png", 100, 100, green);
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));

    ExpectedFrame expected;
    expected.paint(100, 100, 100, 100, green)
        .paint(800, 400, 200, 200, red)
        .paint(700, 300, 200, 200, blue)
        .paint(400, 400, 200, 200, blue)
        .paint(300, 300, 200, 200, red);
    Screenshot shot;
    EXPECT_TRUE(engine.waitForScreen(
        "the sprites", [](const Screenshot &s) { return s.count(green) > 0; }, &shot));
    EXPECT_TRUE(matches(shot, expected));
    EXPECT_EQ(shot.at(225, 225), red) << "the earlier of two overlapping children is drawn over the later";
    EXPECT_EQ(shot.at(425, 225), blue) << "the earlier of two overlapping children is drawn over the later";
    EXPECT_EQ(shot.boundsOf(green), (PixelRect{50, 50, 100, 100}))
        << "a 100x100 sprite at world (100, 100) covers pixels 50 to 99";

    EXPECT_EQ(engine.closeAndExit(), 0);
}

TEST(Drawing, SpriteOriginShiftsWhereItIsDrawnAndDefaultsToOneOne)
{
    // 1100 pixels across show world x one to one, so a one-unit origin is visible.
    GameFolder game(R"(<game entryScene="1" width="1100" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="centred" src="green.png" position="550, 550" origin="50, 50"/>
    <sprite id="plain" src="blue.png" position="202, 300"/>
  </assets>
  <scenes>
    <scene sceneId="1">
      <centred/>
      <plain/>
    </scene>
  </scenes>
</game>
)");
    game.image("green.png", 100, 100, green).image("blue.png", 100, 100, blue);
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 1100, 550));
    Screenshot shot;
    ASSERT_TRUE(engine.waitForScreen(
        "both sprites", [](const Screenshot &s) { return s.count(green) > 0 && s.count(blue) > 0; }, &shot));
    EXPECT_EQ(shot.boundsOf(green), (PixelRect{500, 250, 600, 300})) << "origin (50, 50) centres it on (550, 550)";
    const auto plain = shot.boundsOf(blue);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->left, 201) << "without an origin the sprite's pixel (1, 1) sits on its position";
    EXPECT_EQ(plain->right, 301);
    EXPECT_EQ(engine.closeAndExit(), 0);
}

// The images of rooms after the first come after the first frame: a room
// entered at once is still drawn whole, and one of its files that fails to
// decode is reported once, by a run that ends in its first frame too.
TEST(Drawing, ARoomEnteredAtOnceIsDrawnWholeAndItsBrokenImageReportedOnce)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="t" fps="60"><assets path="assets">
  <sprite id="door" src="red.png" position="0, 0" origin="0, 0"/>
  <sprite id="far" src="green.png" position="100, 100" origin="0, 0"/>
  <sprite id="torn" src="torn.png" position="300, 300" origin="0, 0"/>
</assets><scenes><scene sceneId="1"><door onClickScene="2"/></scene>
<scene sceneId="2"><far/><torn/></scene></scenes></game>)");
    game.image("red.png", 100, 100, red).image("green.png", 100, 100, green).image("torn.png", 90, 90, blue);
    const std::string torn = game.path() + "/assets/torn.png";
    TempDir files;
    files.write("torn.png", readWholeFile(torn).substr(0, 33));
    ASSERT_EQ(std::rename(files.file("torn.png").c_str(), torn.c_str()), 0);
    const std::string warning = "warning: Failed to load image \"assets/torn.png\"";
    auto timesWarned = [&](const std::string &err) {
        int times = 0;
        for (std::size_t at = err.find(warning); at != std::string::npos; at = err.find(warning, at + 1))
            ++times;
        return times;
    };

    files.write("play.replay", "at 0 click 25 25\nat 0 shot room.png\nat 1 close\n");
    const ProcessResult entered = runEngine(game.path(), "", 60, {"--replay", files.file("play.replay")});
    EXPECT_EQ(entered.status, 0) << entered.err;
    EXPECT_EQ(timesWarned(entered.err), 1) << entered.err;
    sf::Image room;
    ASSERT_TRUE(room.loadFromFile(files.file("room.png")));
    EXPECT_EQ(room.getPixel(75, 75), sf::Color::Green);
    EXPECT_EQ(room.getPixel(25, 25), sf::Color::Black) << "the first room is left";
    EXPECT_EQ(room.getPixel(175, 175), sf::Color::Black) << "the broken image shows nothing";

    files.write("play.replay", "at 0 close\n");
    const ProcessResult closed = runEngine(game.path(), "", 60, {"--replay", files.file("play.replay")});
    EXPECT_EQ(closed.status, 0) << closed.err;
    EXPECT_EQ(timesWarned(closed.err), 1) << closed.err;
}
