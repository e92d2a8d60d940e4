#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

// Texts in these games are a single full block (U+2588) so that a shown text
// is a solid patch of its colour.

namespace {

constexpr double beepSeconds = 0.2;

std::function<bool(const Screenshot &)> shows(Rgb colour, int atLeast = 500)
{
    return [=](const Screenshot &shot) { return shot.count(colour) >= atLeast; };
}

std::function<bool(const Screenshot &)> lacks(Rgb colour)
{
    return [=](const Screenshot &shot) { return shot.count(colour) == 0; };
}

// The player's top-left corner is within `tolerance` world units of a point,
// measured in a 550-pixel window (two units a pixel).
std::function<bool(const Screenshot &)> playerNear(int worldX, int worldY, int tolerance)
{
    return [=](const Screenshot &shot) {
        const auto box = shot.boundsOf(magenta);
        return box && std::abs(box->left * 2 - worldX) <= tolerance && std::abs(box->top * 2 - worldY) <= tolerance;
    };
}

} // namespace

TEST(Clicks, ShowATextThenDismissItWhileTheSoundPlaysOnEveryClick)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="red" src="red.png" position="100, 100" origin="0, 0"/>
    <audio id="beep" src="beep.wav" volume="100"/>
    <text id="note" src="DejaVuSans.ttf" size="100" color="255, 255, 0, 255">█</text>
  </assets>
  <scenes>
    <scene sceneId="1">
      <red onClickAudio="beep" onClickText="note" textPosition="600, 100" volume="50"/>
    </scene>
  </scenes>
</game>
)");
    game.image("red.png", 200, 200, red).tone("beep.wav", beepSeconds, 880, 0.8).font();
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    ASSERT_TRUE(engine.waitForScreen("the red sprite", shows(red)));
    EXPECT_EQ(engine.audio().finishedBursts().size(), 0u) << "nothing sounds before a click";

    const PixelRect textArea{295, 45, 350, 120};
    engine.click(100, 100);
    Screenshot shot;
    ASSERT_TRUE(engine.waitForScreen("the note after the first click", shows(yellow), &shot));
    EXPECT_GT(shot.count(yellow, textArea), 1500) << "the note is drawn at world (600, 100); " << shot.summary();
    ASSERT_TRUE(engine.waitForAudio("the first click's sound", burstsHeard(1)));

    engine.click(100, 100);
    ASSERT_TRUE(engine.waitForScreen("the note dismissed by the second click", lacks(yellow)));
    ASSERT_TRUE(engine.waitForAudio("the second click's sound", burstsHeard(2)));

    engine.click(100, 100);
    ASSERT_TRUE(engine.waitForScreen("the note again after the third click", shows(yellow)));
    ASSERT_TRUE(engine.waitForAudio("the third click's sound", burstsHeard(3)));

    // Beside the sprite: dismisses the note, but nothing there makes a sound.
    engine.click(400, 450);
    ASSERT_TRUE(engine.waitForScreen("the note dismissed by a click on the background", lacks(yellow)));
    ASSERT_TRUE(engine.waitForMoreAudio(0.3));
    EXPECT_EQ(engine.closeAndExit(), 0);

    const CapturedAudio audio = engine.audio();
    const std::vector<Burst> bursts = audio.finishedBursts(0);
    ASSERT_EQ(bursts.size(), 3u) << audio.describeBursts();
    for (const Burst &burst : bursts) {
        EXPECT_NEAR(burst.length(), beepSeconds, 0.05)
            << "each click plays the whole sound once; " << audio.describeBursts();
        EXPECT_NEAR(burst.rms / bursts[0].rms, 1.0, 0.1) << audio.describeBursts();
    }
    EXPECT_EQ(engine.out(), "2552550255");
}

TEST(Clicks, OverlappingSpritesShowBothTextsAndEachLaterClickDismissesTheTopOne)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="front" src="red.png" position="300, 300" origin="0, 0"/>
    <sprite id="back" src="blue.png" position="200, 200" origin="0, 0"/>
    <text id="frontText" src="DejaVuSans.ttf" size="100" color="255, 255, 0, 255">█</text>
    <text id="backText" src="DejaVuSans.ttf" size="100" color="0, 255, 255, 255">█</text>
  </assets>
  <scenes>
    <scene sceneId="1">
      <front onClickText="frontText" textPosition="400, 250"/>
      <back onClickText="backText" textPosition="440, 250"/>
    </scene>
  </scenes>
</game>
)");
    game.image("red.png", 200, 200, red).image("blue.png", 200, 200, blue).font();
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    ASSERT_TRUE(engine.waitForScreen("the sprites", shows(red)));

    // World (350, 350) is on both sprites; world (250, 250) only on the back one.
    const int bothX = 175, bothY = 175, backX = 125, backY = 125;
    auto both = [](const Screenshot &s) { return s.count(yellow) >= 500 && s.count(cyan) >= 200; };

    engine.click(bothX, bothY);
    Screenshot shot;
    ASSERT_TRUE(engine.waitForScreen("both texts", both, &shot));
    const int cyanUnderYellow = shot.count(cyan);
    EXPECT_GT(shot.count(yellow, {150, 150, 250, 250}), 0) << "texts are drawn over sprites; " << shot.summary();

    engine.click(bothX, bothY);
    ASSERT_TRUE(engine.waitForScreen("only the back sprite's text", lacks(yellow), &shot));
    EXPECT_GT(shot.count(cyan), cyanUnderYellow + 200)
        << "the front sprite's text was on top and hid part of the back one's";

    engine.click(bothX, bothY);
    ASSERT_TRUE(engine.waitForScreen("no text", lacks(cyan), &shot));
    EXPECT_EQ(shot.count(yellow), 0) << "a dismissing click shows no text";

    engine.click(backX, backY);
    ASSERT_TRUE(engine.waitForScreen("the back sprite's text alone", shows(cyan), &shot));
    EXPECT_EQ(shot.count(yellow), 0) << "the front sprite is not under world (250, 250)";

    engine.click(bothX, bothY);
    ASSERT_TRUE(engine.waitForScreen("no text", lacks(cyan), &shot));
    EXPECT_EQ(shot.count(yellow), 0) << "a dismissing click shows no text";

    engine.click(bothX, bothY);
    ASSERT_TRUE(engine.waitForScreen("both texts again", both));

    EXPECT_EQ(engine.closeAndExit(), 0);
    EXPECT_EQ(engine.out(), "2552550255"
                            "0255255255")
        << "each coloured text echoes once, in document order";
}

TEST(Clicks, WindowPixelsMapToTheStretchedWorldWithLeftAndTopEdgesInside)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="dot" src="dot.png" position="540, 540" origin="0, 0"/>
    <text id="note" src="DejaVuSans.ttf" size="100" color="255, 255, 0, 255">█</text>
    <player src="walker.png" speed="50" position="100, 900" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1" leftLevelLimit="0" upperLevelLimit="0" rightLevelLimit="1100" lowerLevelLimit="1100">
      <player/>
      <dot onClickText="note" textPosition="700, 100"/>
    </scene>
  </scenes>
</game>
)");
    game.image("dot.png", 20, 20, green).image("walker.png", 10, 10, magenta).font();
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    ASSERT_TRUE(engine.waitForScreen("the dot and the player",
                                     [](const Screenshot &s) { return s.count(green) > 0 && s.count(magenta) > 0; }));

    // A click that hits nothing changes nothing else, so the player walking
    // to the clicked point is what shows it was handled.
    struct Miss {
        int x, y;
        const char *where;
    };
    for (const Miss &miss :
         {Miss{269, 269, "world (538, 538), left of and above the dot"}, Miss{20, 20, "world (40, 40), far away"},
          Miss{280, 280, "world (560, 560), the dot's right and bottom edge"},
          Miss{20, 20, "world (40, 40), far away"}}) {
        engine.click(miss.x, miss.y);
        Screenshot shot;
        ASSERT_TRUE(engine.waitForScreen(std::string("the player at ") + miss.where,
                                         playerNear(miss.x * 2, miss.y * 2, 52), &shot));
        EXPECT_EQ(shot.count(yellow), 0) << "a click at " << miss.where << " hit the dot";
    }

    engine.click(275, 275);
    ASSERT_TRUE(engine.waitForScreen("the note after a click at the window's centre, world (550, 550)", shows(yellow)));
    engine.click(20, 20);
    ASSERT_TRUE(engine.waitForScreen("the note dismissed", lacks(yellow)));
    engine.click(270, 270);
    ASSERT_TRUE(engine.waitForScreen("the note after a click at world (540, 540), the dot's corner", shows(yellow)));

    EXPECT_EQ(engine.closeAndExit(), 0);
}

TEST(Clicks, RightAndMiddleButtonsActLikeTheLeft)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="red" src="red.png" position="100, 100" origin="0, 0"/>
    <audio id="beep" src="beep.wav"/>
    <text id="note" src="DejaVuSans.ttf" size="100" color="255, 255, 0, 255">█</text>
    <player src="walker.png" speed="50" position="800, 800" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1" leftLevelLimit="0" upperLevelLimit="0" rightLevelLimit="1100" lowerLevelLimit="1100">
      <player/>
      <red onClickAudio="beep" onClickText="note" textPosition="600, 100"/>
    </scene>
  </scenes>
</game>
)");
    game.image("red.png", 200, 200, red).image("walker.png", 10, 10, magenta).tone("beep.wav", beepSeconds, 660, 0.8);
    game.font();
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    ASSERT_TRUE(engine.waitForScreen("the sprite and the player",
                                     [](const Screenshot &s) { return s.count(red) > 0 && s.count(magenta) > 0; }));

    engine.click(120, 120, 3);
    ASSERT_TRUE(engine.waitForScreen("the note after a right click", shows(yellow)));
    ASSERT_TRUE(engine.waitForScreen("the player walking to the right click", playerNear(240, 240, 52)));
    ASSERT_TRUE(engine.waitForAudio("the right click's sound", burstsHeard(1)));

    engine.click(350, 350, 3);
    ASSERT_TRUE(engine.waitForScreen("the note dismissed by a right click", lacks(yellow)));
    ASSERT_TRUE(engine.waitForScreen("the player walking to the second right click", playerNear(700, 700, 52)));

    engine.click(100, 100, 2);
    ASSERT_TRUE(engine.waitForScreen("the note after a middle click", shows(yellow)));
    ASSERT_TRUE(engine.waitForScreen("the player walking to the middle click", playerNear(200, 200, 52)));
    ASSERT_TRUE(engine.waitForAudio("the middle click's sound", burstsHeard(2)));

    EXPECT_EQ(engine.closeAndExit(), 0);
}
