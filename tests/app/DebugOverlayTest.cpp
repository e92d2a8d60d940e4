#include "app/DebugOverlay.h"
#include "support/GameFixture.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstring>

namespace {

// The overlay keeps what it laid out from one frame to the next; a new one
// lays everything out from the game as it is. The kept one must draw what a
// new one draws, however the game changed in between.
class KeptOverlay : public GameFixture {
protected:
    // A crowd of sprites, so the outlines go through the overlay's own
    // layer; a lamp shown until the switch is pressed, the player, and a door
    // to a second scene.
    void startCrowd()
    {
        png("b.png", 30, 20, sf::Color::Red);
        png("p.png", 40, 80, sf::Color::Blue);
        std::string crowd;
        for (std::size_t i = 0; i <= SpriteOutlines::crowd; ++i)
            crowd +=
                "<b position='" + std::to_string(40 + i % 40 * 24) + ", " + std::to_string(200 + i / 40 * 14) + "'/>";
        start("<game entryScene='1' title='Test' width='800' height='600' fps='60'><assets path=''>"
              "<sprite id='b' src='b.png' origin='0, 0'/><sprite id='lamp' src='b.png' origin='0, 0'/>"
              "<player src='p.png' speed='10' position='500, 900' origin='20, 80'/></assets><scenes>"
              "<scene sceneId='1' upperLevelLimit='700'><lamp position='30, 30' if='!off'/>"
              "<lamp position='100, 30' setFlag='off'/><lamp position='170, 30' onClickScene='2'/><player/>" +
              crowd + "</scene><scene sceneId='2'>" + crowd + "<lamp position='60, 60'/></scene></scenes></game>");
    }

    sf::Image frame(DebugOverlay &overlay)
    {
        sf::RenderWindow &window = *game.window;
        window.clear();
        game.draw();
        overlay.draw(game);
        sf::Texture capture;
        capture.create(window.getSize().x, window.getSize().y);
        capture.update(window);
        return capture.copyToImage();
    }

    static bool same(const sf::Image &a, const sf::Image &b)
    {
        return a.getSize() == b.getSize() &&
               std::memcmp(a.getPixelsPtr(), b.getPixelsPtr(), 4u * a.getSize().x * a.getSize().y) == 0;
    }

    bool drawsAsNew(DebugOverlay &kept)
    {
        DebugOverlay fresh(*game.window);
        return same(frame(kept), frame(fresh));
    }

    void play(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            game.step();
            game.transition();
        }
    }
};

} // namespace

TEST_F(KeptOverlay, FollowsTheStateTheWalkingPlayerTheSceneAndTheWindow)
{
    startCrowd();
    DebugOverlay kept(*game.window);
    const sf::Image before = frame(kept);

    game.press({110, 40}); // the switch: the lamp goes out, the player walks
    play(1);
    EXPECT_TRUE(drawsAsNew(kept)) << "the lamp dimmed";
    EXPECT_FALSE(same(before, frame(kept)));
    play(3);
    EXPECT_TRUE(drawsAsNew(kept)) << "the player walked on";

    game.press({180, 40}); // the door
    play(1);
    EXPECT_TRUE(drawsAsNew(kept)) << "the second scene";

    game.window->setSize({640, 480});
    EXPECT_TRUE(drawsAsNew(kept)) << "a resized window";
}
