#include "e2e/GameFolder.h"
#include "support/EngineRun.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// How a scene is shown, judged by the replay's shots and its trace: the
// player sorted by depth among the sprites and sized by it, fades, the
// world letterboxed in a window of another shape, and the bar hidden.

namespace {

// The 550-pixel window shows two world units a pixel. A red square with the
// lower baseline and a blue one with the higher overlap where the player, a
// tall magenta block standing on its feet, starts.
std::string depthGame(const std::string &sceneAttributes)
{
    return R"(<game entryScene="1" width="550" height="550" title="Depth" fps="30">
  <assets path="assets">
    <sprite id="red" src="red.png" position="400, 400" origin="0, 0"/>
    <sprite id="blue" src="blue.png" position="520, 460" origin="0, 0"/>
    <text id="redNote" src="DejaVuSans.ttf" size="10" position="0, 1000">r</text>
    <text id="blueNote" src="DejaVuSans.ttf" size="10" position="0, 1000">b</text>
    <player src="walker.png" speed="20" position="500, 600" origin="50, 300"/>
  </assets>
  <scenes>
    <scene sceneId="1" rightLevelLimit="1100" lowerLevelLimit="1100" )" +
           sceneAttributes + R"(>
      <player/>
      <red baseline="450" onClickText="redNote"/>
      <blue baseline="700" onClickText="blueNote"/>
    </scene>
  </scenes>
</game>
)";
}

class Stage : public testing::Test {
protected:
    // Replays `script` on `document` (with the squares and the walker drawn
    // beside it); the shots land in the test's folder.
    std::string replay(const std::string &document, const std::string &script)
    {
        GameFolder game(document);
        game.image("walker.png", 100, 300, magenta).image("red.png", 200, 200, red).image("blue.png", 200, 200, blue);
        game.image("green.png", 1100, 1100, green).image("small.png", 100, 100, red).font();
        files.write("play.replay", script);
        const ProcessResult result = runEngine(
            game.path(), "", 60, {"--replay", files.file("play.replay"), "--trace", files.file("trace.jsonl")});
        EXPECT_EQ(result.status, 0) << result.err;
        return readWholeFile(files.file("trace.jsonl"));
    }

    sf::Image shot(const std::string &name) const
    {
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile(files.file(name))) << name;
        return image;
    }

    TempDir files;
};

// The drawn height in pixels of the magenta column at `x`.
unsigned heightAt(const sf::Image &image, unsigned x)
{
    unsigned count = 0;
    for (unsigned y = 0; y < image.getSize().y; ++y)
        count += image.getPixel(x, y) == sf::Color::Magenta ? 1u : 0u;
    return count;
}

} // namespace

TEST_F(Stage, ThePlayerIsDrawnInFrontOfALowerBaselineAndBehindAHigherOneUntilItWalksPastIt)
{
    // At y 600 the player stands between the baselines 450 and 700; at 800,
    // nearer than both, it covers them.
    const std::string trace = replay(depthGame("depthSort=\"true\""),
                                     "at 1 shot between.png\nat 2 click 500 800\nat 30 shot nearer.png\nat 31 close\n");
    const sf::Image between = shot("between.png");
    EXPECT_EQ(between.getPixel(235, 260), sf::Color::Magenta) << "in front of the red square";
    EXPECT_EQ(between.getPixel(270, 280), sf::Color::Blue) << "behind the blue square";
    EXPECT_EQ(between.getPixel(210, 210), sf::Color::Red);
    const sf::Image nearer = shot("nearer.png");
    EXPECT_EQ(nearer.getPixel(270, 280), sf::Color::Magenta) << "in front of the blue square";
    EXPECT_NE(trace.find("\"event\": \"arrived\", \"x\": 500, \"y\": 800"), std::string::npos) << trace;
}

TEST_F(Stage, APressReachesTheSpritesInTheOrderTheyAreDrawn)
{
    // Where both squares lie, sorted: red (450) first, then blue (700); as
    // listed, blue, the later child, is drawn first and reached first.
    const std::string sorted = replay(depthGame("depthSort=\"true\""), "at 1 click 540 560\nat 2 close\n");
    EXPECT_LT(sorted.find("\"id\": \"redNote\""), sorted.find("\"id\": \"blueNote\"")) << sorted;
    const std::string listed = replay(depthGame(""), "at 1 click 540 560\nat 2 close\n");
    EXPECT_LT(listed.find("\"id\": \"blueNote\""), listed.find("\"id\": \"redNote\"")) << listed;
}

TEST_F(Stage, NamesAtTheirDefaultsDrawAndTraceExactlyAsADocumentWithoutThem)
{
    const std::string script = "at 1 shot a.png\nat 2 click 540 560\nat 12 shot b.png\nat 13 close\n";
    const std::string without = replay(depthGame(""), script);
    const sf::Image a = shot("a.png");
    const sf::Image b = shot("b.png");
    const std::string with =
        replay(depthGame("depthSort=\"false\" fadeIn=\"0\" fadeOut=\"0\" inventory=\"shown\""), script);
    EXPECT_EQ(with, without);
    const sf::Image c = shot("a.png");
    const sf::Image d = shot("b.png");
    ASSERT_EQ(a.getSize(), c.getSize());
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(a.getPixelsPtr()), a.getSize().x * a.getSize().y * 4),
              std::string(reinterpret_cast<const char *>(c.getPixelsPtr()), c.getSize().x * c.getSize().y * 4));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(b.getPixelsPtr()), b.getSize().x * b.getSize().y * 4),
              std::string(reinterpret_cast<const char *>(d.getPixelsPtr()), d.getSize().x * d.getSize().y * 4));
    // Without depthSort the player, the first child, is on top of both.
    EXPECT_EQ(a.getPixel(270, 280), sf::Color::Magenta);
}

TEST_F(Stage, ThePlayersHeightAndStrideFollowItsDepth)
{
    // Scale 0.5 at y 300 and 1.5 at y 900: the 300-unit walker is 150 units
    // (75 pixels) tall up there and 450 (225 pixels) down here, and its
    // first stride is half its speed.
    const std::string document = R"(<game entryScene="1" width="550" height="550" title="Scale" fps="30">
  <assets path="assets">
    <player src="walker.png" speed="20" position="500, 300" origin="50, 300"/>
  </assets>
  <scenes>
    <scene sceneId="1" rightLevelLimit="1100" lowerLevelLimit="1100" playerScale="300, 0.5, 900, 1.5">
      <player/>
    </scene>
  </scenes>
</game>
)";
    const std::string trace =
        replay(document, "at 1 shot far.png\nat 2 click 500 1000\nat 80 shot near.png\nat 81 close\n");
    EXPECT_EQ(heightAt(shot("far.png"), 250), 75u);
    EXPECT_EQ(heightAt(shot("near.png"), 250), 225u) << "held at 1.5 below y 900";
    EXPECT_NE(trace.find("{\"frame\": 3, \"event\": \"player\", \"x\": 500, \"y\": 310}"), std::string::npos) << trace;
}

TEST_F(Stage, AFadeOutHoldsTheDoorUntilBlackAndTheNextSceneFadesIn)
{
    // Ten frames each way; the entry scene fades in as the game starts. A
    // press during a fade is a click and nothing else.
    const std::string document = R"(<game entryScene="1" width="550" height="550" title="Fades" fps="30">
  <assets path="assets">
    <sprite id="field" src="green.png" position="0, 0" origin="0, 0"/>
    <sprite id="door" src="small.png" position="100, 100" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1" fadeIn="10" fadeOut="10">
      <door onClickScene="2"/>
      <field/>
    </scene>
    <scene sceneId="2" fadeIn="10">
      <field/>
    </scene>
  </scenes>
</game>
)";
    const std::string trace = replay(document, "at 0 shot in0.png\nat 5 shot in5.png\nat 5 click 150 150\n"
                                               "at 10 shot in10.png\nat 12 click 150 150\nat 17 shot out5.png\n"
                                               "at 18 click 150 150\nat 22 shot black.png\nat 27 shot next5.png\n"
                                               "at 32 shot next10.png\nat 33 close\n");
    const auto greenOf = [&](const char *name) { return static_cast<int>(shot(name).getPixel(400, 400).g); };
    EXPECT_EQ(greenOf("in0.png"), 0);
    EXPECT_NEAR(greenOf("in5.png"), 127, 2);
    EXPECT_EQ(greenOf("in10.png"), 255);
    EXPECT_NEAR(greenOf("out5.png"), 127, 2);
    EXPECT_EQ(greenOf("black.png"), 0);
    EXPECT_NEAR(greenOf("next5.png"), 127, 2);
    EXPECT_EQ(greenOf("next10.png"), 255);
    const std::string expected =
        "{\"frame\": 5, \"event\": \"click\", \"x\": 150, \"y\": 150}\n"
        "{\"frame\": 12, \"event\": \"click\", \"x\": 150, \"y\": 150}\n"
        "{\"frame\": 12, \"event\": \"fade\", \"kind\": \"out\", \"frames\": 10}\n"
        "{\"frame\": 18, \"event\": \"click\", \"x\": 150, \"y\": 150}\n"
        "{\"frame\": 22, \"event\": \"scene-leave\", \"scene\": 1}\n"
        "{\"frame\": 22, \"event\": \"scene-enter\", \"scene\": 2, \"from\": 1, \"first\": true}\n"
        "{\"frame\": 22, \"event\": \"fade\", \"kind\": \"in\", \"frames\": 10}\n";
    EXPECT_NE(trace.find("\"event\": \"fade\", \"kind\": \"in\", \"frames\": 10}\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(expected), std::string::npos) << trace;
}

TEST_F(Stage, TheWorldKeepsItsShapeInAnyWindowAndAPressOnABarReachesNoSprite)
{
    // An 800 x 400 window shows the world as a 400-pixel square from x 200;
    // made 400 x 800, from y 200. A press on a bar sends the player to the
    // nearest edge of its limits and shows no note; one on the field does.
    const std::string document = R"(<game entryScene="1" width="800" height="400" title="Bars" fps="30" aspect="keep">
  <assets path="assets">
    <sprite id="field" src="green.png" position="0, 0" origin="0, 0"/>
    <text id="note" src="DejaVuSans.ttf" size="10" position="0, 1000">n</text>
    <player src="small.png" speed="50" position="500, 500" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1" rightLevelLimit="1000" lowerLevelLimit="1000">
      <player/>
      <field onClickText="note"/>
    </scene>
  </scenes>
</game>
)";
    const std::string trace = replay(document, "at 1 shot wide.png\nat 2 click -300 500\nat 3 resize 400 800\n"
                                               "at 8 shot tall.png\nat 9 click 1050 1050\nat 10 close\n");
    const sf::Image wide = shot("wide.png");
    ASSERT_EQ(wide.getSize(), sf::Vector2u(800, 400));
    EXPECT_EQ(wide.getPixel(100, 200), sf::Color::Black);
    EXPECT_EQ(wide.getPixel(199, 200), sf::Color::Black);
    EXPECT_EQ(wide.getPixel(201, 200), sf::Color::Green);
    EXPECT_EQ(wide.getPixel(598, 200), sf::Color::Green);
    EXPECT_EQ(wide.getPixel(700, 200), sf::Color::Black);
    const sf::Image tall = shot("tall.png");
    ASSERT_EQ(tall.getSize(), sf::Vector2u(400, 800));
    EXPECT_EQ(tall.getPixel(200, 100), sf::Color::Black);
    EXPECT_EQ(tall.getPixel(200, 250), sf::Color::Green);
    EXPECT_EQ(tall.getPixel(200, 700), sf::Color::Black);
    const std::string bar = "{\"frame\": 2, \"event\": \"click\", \"x\": -300, \"y\": 500}\n"
                            "{\"frame\": 2, \"event\": \"walk\", \"x\": 0, \"y\": 500}\n"
                            "{\"frame\": 3, ";
    EXPECT_NE(trace.find(bar), std::string::npos) << trace;
    EXPECT_EQ(trace.find("\"frame\": 2, \"event\": \"text-shown\""), std::string::npos) << trace;
    EXPECT_NE(trace.find("\"frame\": 9, \"event\": \"text-shown\""), std::string::npos) << trace;
}

TEST_F(Stage, ASceneWithTheBarHiddenNeitherDrawsNorPressesIt)
{
    const std::string document = R"(<game entryScene="1" width="550" height="550" title="Bar" fps="30">
  <assets path="assets">
    <sprite id="icon" src="small.png"/>
  </assets>
  <state><item id="key" icon="icon" held="true"/></state>
  <inventory position="20, 20" slotSize="100, 100"/>
  <scenes>
    <scene sceneId="1" inventory="hidden"/>
  </scenes>
</game>
)";
    const std::string trace = replay(document, "at 1 click 50 50\nat 1 shot hidden.png\nat 2 close\n");
    EXPECT_EQ(shot("hidden.png").getPixel(30, 30), sf::Color::Black);
    EXPECT_EQ(trace.find("item-selected"), std::string::npos) << trace;
    EXPECT_NE(trace.find("\"event\": \"click\", \"x\": 50, \"y\": 50"), std::string::npos) << trace;
}

namespace {

// The Study, replayed from `script` with saves and shots in the test's folder.
class StudyStage : public testing::Test {
protected:
    void replay(const std::string &script, std::vector<std::string> more = {})
    {
        files.write("play.replay", script);
        std::vector<std::string> arguments{STUDY_DIR, "--replay", files.file("play.replay"), "--save-dir",
                                           files.file("")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const ProcessResult result = runEngine(files.path(), "", 120, arguments);
        ASSERT_EQ(result.status, 0) << result.err;
    }

    sf::Image shot(const std::string &name) const
    {
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile(files.file(name))) << name;
        return image;
    }

    TempDir files;
};

// The share of the pixels of a world rectangle that differ between two shots
// of the 880-pixel window.
double differing(const sf::Image &a, const sf::Image &b, sf::IntRect world)
{
    const auto pixel = [](int units) { return static_cast<unsigned>(units) * 880 / 1100; };
    unsigned differ = 0;
    unsigned all = 0;
    for (unsigned y = pixel(world.top); y < pixel(world.top + world.height); ++y)
        for (unsigned x = pixel(world.left); x < pixel(world.left + world.width); ++x, ++all)
            differ += a.getPixel(x, y) != b.getPixel(x, y) ? 1u : 0u;
    return static_cast<double>(differ) / all;
}

// The height in pixels of what differs between two shots within a world rectangle.
unsigned differingHeight(const sf::Image &a, const sf::Image &b, sf::IntRect world)
{
    const auto pixel = [](int units) { return static_cast<unsigned>(units) * 880 / 1100; };
    unsigned top = 880;
    unsigned bottom = 0;
    for (unsigned y = pixel(world.top); y < pixel(world.top + world.height); ++y)
        for (unsigned x = pixel(world.left); x < pixel(world.left + world.width); ++x)
            if (a.getPixel(x, y) != b.getPixel(x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    return bottom > top ? bottom - top : 0;
}

double brightness(const sf::Image &image)
{
    double sum = 0;
    for (unsigned y = 0; y < image.getSize().y; y += 4)
        for (unsigned x = 0; x < image.getSize().x; x += 4) {
            const sf::Color c = image.getPixel(x, y);
            sum += c.r + c.g + c.b;
        }
    return sum / ((image.getSize().x / 4) * (image.getSize().y / 4));
}

} // namespace

TEST_F(StudyStage, ThePlayerWalksBehindTheDeskAndInFrontOfIt)
{
    // The desk meets the floor at y 810. Standing at y 770 the player is
    // hidden where the desk is; at y 900 its head and shoulders cover it.
    // The pointer is moved off the desk before each shot.
    replay("at 5 key Escape\nat 30 shot alone.png\nat 40 click 199 770\nat 190 move 1000 300\n"
           "at 200 shot behind.png\nat 210 click 199 900\nat 290 move 1000 300\nat 300 shot front.png\n"
           "at 301 close\n");
    const sf::Image alone = shot("alone.png");
    const sf::IntRect deskWherePlayerStands(165, 680, 70, 120);
    EXPECT_EQ(differing(alone, shot("behind.png"), deskWherePlayerStands), 0.0);
    EXPECT_GT(differing(alone, shot("front.png"), sf::IntRect(175, 740, 50, 60)), 0.5);
}

TEST_F(StudyStage, TheGardenDrawsThePlayerSmallerFurtherBack)
{
    // Started in the garden, the player stands at y 980 (scale 0.943); it
    // walks to the back and a step forward, to stand facing the same way at
    // y 815 (0.766): its drawn heights keep that ratio.
    replay("at 5 key Escape\nat 30 shot near.png\nat 40 click 330 800\nat 120 click 330 815\n"
           "at 190 move 1000 300\nat 200 shot far.png\nat 201 close\n",
           {"--scene", "3"});
    const sf::Image near = shot("near.png");
    const sf::Image far = shot("far.png");
    const double nearHeight = differingHeight(near, far, sf::IntRect(250, 818, 160, 170));
    const double farHeight = differingHeight(near, far, sf::IntRect(250, 600, 160, 217));
    ASSERT_GT(farHeight, 0);
    EXPECT_NEAR(nearHeight / farHeight, 0.943 / 0.766, 0.04) << nearHeight << " against " << farHeight;
}

TEST_F(StudyStage, RoomsFadeIntoEachOtherAndTheWorldKeepsItsShapeInAWideWindow)
{
    // From the hallway back to the study: the walk to the door (once the
    // first press has put the hallway's note away), twenty frames to black,
    // twenty back from it.
    replay("at 5 key Escape\nat 30 shot hall.png\nat 40 click 150 484\nat 100 click 150 484\n"
           "at 115 shot darker.png\n"
           "at 400 shot study.png\nat 410 resize 1100 700\nat 420 shot wide.png\nat 421 close\n",
           {"--scene", "2"});
    const double hall = brightness(shot("hall.png"));
    EXPECT_LT(brightness(shot("darker.png")), hall * 0.9);
    EXPECT_GT(brightness(shot("study.png")), 0.0);
    const sf::Image wide = shot("wide.png");
    ASSERT_EQ(wide.getSize(), sf::Vector2u(1100, 700));
    EXPECT_EQ(wide.getPixel(100, 350), sf::Color::Black);
    EXPECT_EQ(wide.getPixel(1000, 350), sf::Color::Black);
    EXPECT_NE(wide.getPixel(550, 350), sf::Color::Black);
}
