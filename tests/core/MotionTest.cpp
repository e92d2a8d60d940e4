#include "core/text/StartupError.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "support/GameFixture.h"

#include <string>
#include <utility>
#include <vector>

namespace {

class Motion : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("sheet.png", 40, 20);
    }
    void run(int frames)
    {
        for (int i = 0; i < frames; ++i)
            game.step();
    }
};

const char *const player = R"(<player src="sheet.png" speed="10" position="50, 50" origin="0, 0"/>)";

} // namespace

TEST_F(Motion, ALoopRepeatsEveryCountTimesDelayFrames)
{
    start(gameXml(R"(<sprite id="flame" src="sheet.png" frameSize="10, 10" frames="0, 1, 2, 3" delay="3"/>)",
                  "<flame/>"));
    ESprite *flame = game.scene->sprites.at(0);
    std::vector<sf::IntRect> shown;
    for (int i = 0; i < 24; ++i) {
        run(1);
        shown.push_back(flame->drawable->getTextureRect());
    }
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(shown[static_cast<std::size_t>(i)], shown[static_cast<std::size_t>(i + 12)]);
    EXPECT_EQ(shown[0], sf::IntRect(0, 0, 10, 10));
    EXPECT_EQ(shown[3], sf::IntRect(10, 0, 10, 10));
    EXPECT_EQ(shown[11], sf::IntRect(30, 0, 10, 10));
}

TEST_F(Motion, MalformedMotionAttributesStopStartUpWhereTheyAre)
{
    const std::vector<std::pair<std::string, std::string>> slips{
        {R"(walkArea="0, 0, 10")", "\"walkArea\" expects pairs"},
        {R"(walkArea="0, 0, 10, x, 5, 5")", "\"x\" is not one"},
        {R"(walkArea="0, 0, 10, 0, 5, 5" walkHoles="1, 1, 2; 3")", "\"walkHoles\" expects pairs"},
    };
    for (const auto &[attributes, message] : slips) {
        resetCatalogue();
        try {
            start(gameXml(player, "<player/>", attributes));
            ADD_FAILURE() << attributes;
        } catch (const StartupError &error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
            EXPECT_NE(error.where(), nullptr);
        }
        game.release();
    }
    resetCatalogue();
    EXPECT_THROW(start(gameXml(R"(<player src="sheet.png" delay="0"/>)", "<player/>")), StartupError);
    game.release();
    resetCatalogue();
    EXPECT_THROW(start(gameXml(R"(<player src="sheet.png" facing="north"/>)", "<player/>")), StartupError);
}
