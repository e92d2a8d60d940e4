#include "e2e/GameFolder.h"
#include "support/EngineRun.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <string>

// What a conversation shows and keeps, judged by replays: shots for where
// lines and rows are drawn, the save for the options chosen.

namespace {

// The 550-pixel window shows two world units a pixel. The blue speaker
// stands at (500, 500), the green one at the world's top edge; the line is a
// red block, the two rows a yellow-free cyan and magenta block, 50 units high.
std::string talkingGame(const std::string &speaker)
{
    return R"(<game entryScene="1" width="550" height="550" title="Talk" fps="30" saveName="talk-e2e"
      dialogMenu="100, 800" dialogRowHeight="100">
  <assets path="assets">
    <sprite id="blue" src="blue.png" position="500, 500" origin="0, 0"/>
    <sprite id="green" src="green.png" position="800, 0" origin="0, 0"/>
    <text id="line" src="DejaVuSans.ttf" size="100" color="255, 0, 0, 255" position="10, 10">█</text>
    <text id="first" src="DejaVuSans.ttf" size="50" color="0, 255, 255, 255">█</text>
    <text id="second" src="DejaVuSans.ttf" size="50" color="255, 0, 255, 255">█</text>
  </assets>
  <dialogs>
    <dialog id="talk">
      <say text="line" by=")" +
           speaker + R"("/>
      <option id="ask" text="first" once="true"/>
      <option id="bye" text="second" then="stop"/>
    </dialog>
  </dialogs>
  <scenes>
    <scene sceneId="1">
      <blue onClickDialog="talk"/>
      <green onClickDialog="talk"/>
    </scene>
  </scenes>
</game>
)";
}

class Conversation : public testing::Test {
protected:
    void make(const std::string &speaker)
    {
        game = std::make_unique<GameFolder>(talkingGame(speaker));
        game->image("blue.png", 100, 100, blue).image("green.png", 100, 100, green).font();
    }

    std::string replayed(const std::string &script, std::vector<std::string> more = {})
    {
        files.write("play.replay", script);
        std::vector<std::string> arguments{"--replay",   files.file("play.replay"),
                                           "--trace",    files.file("trace.jsonl"),
                                           "--save-dir", files.file("saves")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const ProcessResult result = runEngine(game->path(), "", 60, arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        lastErr = result.err;
        return readWholeFile(files.file("trace.jsonl"));
    }

    // The bounds of the pixels of `colour` in a shot.
    PixelRect boundsIn(const char *name, sf::Color colour)
    {
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile(files.file(name))) << name;
        PixelRect found{static_cast<int>(image.getSize().x), static_cast<int>(image.getSize().y), -1, -1};
        for (unsigned y = 0; y < image.getSize().y; ++y)
            for (unsigned x = 0; x < image.getSize().x; ++x)
                if (image.getPixel(x, y) == colour) {
                    found.left = std::min(found.left, static_cast<int>(x));
                    found.top = std::min(found.top, static_cast<int>(y));
                    found.right = std::max(found.right, static_cast<int>(x) + 1);
                    found.bottom = std::max(found.bottom, static_cast<int>(y) + 1);
                }
        return found;
    }

    std::unique_ptr<GameFolder> game;
    TempDir files;
    std::string lastErr;
};

} // namespace

TEST_F(Conversation, ALineStandsCentredAboveItsSpeakerAndInsideTheWorld)
{
    make("blue");
    replayed("at 1 click 550 550\nat 1 shot blue.png\nat 2 close\n");
    const PixelRect blueLine = boundsIn("blue.png", sf::Color::Red);
    // The speaker's top is world 500, pixel 250: the line ends 10 units (5 pixels) above.
    EXPECT_NEAR(blueLine.bottom, 245, 1);
    EXPECT_NEAR((blueLine.left + blueLine.right) / 2, 275, 2);

    make("green");
    replayed("at 1 click 850 50\nat 1 shot green.png\nat 2 close\n");
    // The block's antialiased top row is not wholly red.
    EXPECT_NEAR(boundsIn("green.png", sf::Color::Red).top, 0, 1) << "shifted down into the world";
}

TEST_F(Conversation, RowsAreDrawnFromTheMenuPointOneRowHeightApartAndTheFocusedOneIsRinged)
{
    make("blue");
    replayed("at 1 click 550 550\nat 2 click 10 10\nat 2 shot menu.png\nat 3 key Down\nat 3 key Down\n"
             "at 3 shot focused.png\nat 4 close\n");
    const PixelRect first = boundsIn("menu.png", sf::Color::Cyan);
    const PixelRect second = boundsIn("menu.png", sf::Color::Magenta);
    EXPECT_NEAR(first.left, 50, 3);
    EXPECT_NEAR(second.left, 50, 3);
    EXPECT_NEAR(second.top - first.top, 50, 1) << "a row is 100 units, 50 pixels, high";
    EXPECT_EQ(boundsIn("menu.png", sf::Color::Yellow).right, -1) << "no row has focus when the menu shows";
    // The second row's box runs from x 100 to the world's edge, y 900 to 1000: ringed just outside.
    const PixelRect ring = boundsIn("focused.png", sf::Color::Yellow);
    EXPECT_NEAR(ring.left, 49, 1);
    EXPECT_NEAR(ring.top, 449, 1);
    EXPECT_NEAR(ring.bottom, 501, 1);

    replayed("at 1 click 550 550\nat 2 click 10 10\nat 2 shot scaled.png\nat 3 close\n", {"--text-scale", "2"});
    EXPECT_NEAR(boundsIn("scaled.png", sf::Color::Magenta).top - boundsIn("scaled.png", sf::Color::Cyan).top, 100, 1)
        << "the row height grows with the text";
}

TEST_F(Conversation, ChosenOptionsAreSavedInOrderAndAnOptionTheGameLacksIsDroppedWithAWarning)
{
    make("blue");
    replayed("at 1 click 550 550\nat 2 click 10 10\nat 3 key 1\nat 4 key Enter\nat 5 key 1\nat 6 key Enter\n"
             "at 7 close\n");
    const std::string saved = readWholeFile(files.file("saves/auto.json"));
    ASSERT_NE(saved.find("\"chosen\": [\"talk.ask\", \"talk.bye\"]"), std::string::npos) << saved << lastErr;

    std::string edited = saved;
    edited.replace(edited.find("\"talk.bye\""), 10, "\"talk.gone\"");
    files.write("saves/auto.json", edited);
    const std::string trace = replayed("at 1 click 550 550\nat 2 click 10 10\nat 3 close\n", {"--continue"});
    EXPECT_NE(lastErr.find("the chosen option \"talk.gone\" is not in this game; it is dropped"), std::string::npos)
        << lastErr;
    EXPECT_NE(trace.find("\"options\", \"dialog\": \"talk\", \"ids\": [\"bye\"]"), std::string::npos)
        << "the once-only option chosen before the save is not offered again:\n"
        << trace;
}
