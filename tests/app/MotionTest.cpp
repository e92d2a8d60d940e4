#include "app/JsonTrace.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "support/GameFixture.h"

#include <string>
#include <vector>

namespace {

class Motion : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        game.trace = &trace;
        png("sheet.png", 40, 20);
    }
    // Runs `frames` frames with no press, the trace told each frame's number.
    void run(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            trace.startFrame(++frame);
            game.step();
        }
    }
    void press(float x, float y)
    {
        trace.startFrame(frame);
        game.press({x, y});
    }

    std::vector<std::string> lines;
    JsonTrace trace{[this](const std::string &line) { lines.push_back(line); }};
    std::uint64_t frame = 0;
};

const char *const player = R"(<player src="sheet.png" speed="10" position="50, 50" origin="0, 0"/>)";

} // namespace

TEST_F(Motion, AWalkRoundTheUTracesItsPathAndArrivesTheStepAfterLanding)
{
    start(gameXml(player, "<player/>",
                  R"(walkArea="0, 0, 100, 0, 100, 300, 200, 300, 200, 0, 300, 0, 300, 400, 0, 400")"));
    press(250, 50);
    EXPECT_EQ(lines.at(1), R"({"frame": 0, "event": "walk", "x": 250, "y": 50})");
    EXPECT_EQ(lines.at(2), R"({"frame": 0, "event": "path", "points": [[50, 50], [100, 300], [200, 300], [250, 50]]})");
    // 254.95 + 100 + 254.95 units at 10 a frame: lands in the 61st step, ends in the 62nd.
    run(61);
    EXPECT_EQ(lines.back(), R"({"frame": 61, "event": "player", "x": 250, "y": 50})");
    run(1);
    EXPECT_EQ(lines.back(), R"({"frame": 62, "event": "arrived", "x": 250, "y": 50})");
}

TEST_F(Motion, ADocumentWithoutTheNewNamesTracesNoPathOrFacing)
{
    start(gameXml(player, "<player/>"));
    press(250, 50);
    run(30);
    for (const std::string &line : lines) {
        EXPECT_EQ(line.find("path"), std::string::npos);
        EXPECT_EQ(line.find("facing"), std::string::npos);
    }
}

TEST_F(Motion, WalkingLeftWithOnlyARightCycleMirrorsTheCellInTheSameBounds)
{
    start(gameXml(R"(<player src="sheet.png" speed="5" position="100, 50" origin="5, 10" frameSize="10, 10"
                      walkRight="4, 5" delay="2"/>)",
                  "<player/>"));
    const sf::FloatRect before = game.player->sprite->drawable->getGlobalBounds();
    press(0, 50);
    EXPECT_EQ(lines.back(), R"({"frame": 0, "event": "facing", "dir": "left"})");
    EXPECT_EQ(game.player->sprite->drawable->getTextureRect(), sf::IntRect(10, 10, -10, 10));
    EXPECT_EQ(game.player->sprite->drawable->getGlobalBounds(), before);
    // The first two frames of walking show the first cell, the third the next.
    run(2);
    EXPECT_EQ(game.player->sprite->drawable->getTextureRect(), sf::IntRect(10, 10, -10, 10));
    run(1);
    EXPECT_EQ(game.player->sprite->drawable->getTextureRect(), sf::IntRect(20, 10, -10, 10));
}
