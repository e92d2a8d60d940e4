#include "elements/EAudio.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"
#include "support/GameFixture.h"

#include <SFML/Graphics/Texture.hpp>
#include <SFML/Window/Mouse.hpp>

namespace {

class ClickAndDraw : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("red.png", 100, 100, sf::Color::Red);
        png("blue.png", 100, 100, sf::Color::Blue);
        font("f.ttf");
        writeTone(dir.file("tone.wav"), 0.05f, 440, 0.5f);
    }

    // Two overlapping squares: red at 100..200, blue at 150..250; both have a
    // click text, and red a click sound.
    void startOverlap()
    {
        start(gameXml("<sprite id='red' src='red.png' origin='0, 0'/><sprite id='blue' src='blue.png' origin='0, 0'/>"
                      "<audio id='beep' src='tone.wav'/><text id='own' src='f.ttf'>own</text>"
                      "<text id='note' src='f.ttf'>note</text>",
                      "<red position='100, 100' onClickAudio='beep' onClickText='note'>red says</red>"
                      "<blue position='150, 150' onClickText='note'>blue says</blue><own/>"));
    }

    std::vector<std::string> shown() const
    {
        std::vector<std::string> contents;
        for (EText *text : game.scene->texts)
            contents.push_back(text->string + (text->visible ? "+" : ""));
        return contents;
    }

    sf::Color pixelAt(unsigned x, unsigned y)
    {
        sf::Texture capture;
        capture.create(game.window->getSize().x, game.window->getSize().y);
        capture.update(*game.window);
        return capture.copyToImage().getPixel(x, y);
    }

    ESprite *red() const { return game.sprites[0]; }
    ESprite *blue() const { return game.sprites[1]; }
};

using Strings = std::vector<std::string>;

} // namespace

TEST_F(ClickAndDraw, AClickShowsTheTextAndTheNextDismissesIt)
{
    startOverlap();
    EAudio *beep = red()->clickAudio;
    ASSERT_NE(beep, nullptr);
    game.clickAt({110, 110});
    EXPECT_EQ(shown(), (Strings{"own", "red says+"}));
    EXPECT_EQ(beep->sound.getStatus(), sf::Sound::Playing);
    beep->stop();

    game.clickAt({110, 110});
    EXPECT_EQ(shown(), (Strings{"own"})) << "the same click shows nothing new";
    EXPECT_FALSE(red()->clickText->visible);
    EXPECT_EQ(beep->sound.getStatus(), sf::Sound::Playing) << "the sound plays even on a dismissing click";

    game.clickAt({110, 110});
    EXPECT_EQ(shown(), (Strings{"own", "red says+"}));
    game.stopAudio();
}

TEST_F(ClickAndDraw, OverlappingSpritesShowBothTextsAndDismissOnePerClick)
{
    startOverlap();
    // Scene order is blue, then red: the first child lies on top.
    game.clickAt({175, 175});
    EXPECT_EQ(shown(), (Strings{"own", "blue says+", "red says+"}));
    game.clickAt({500, 500});
    EXPECT_EQ(shown(), (Strings{"own", "blue says+"}));
    game.clickAt({500, 500});
    EXPECT_EQ(shown(), (Strings{"own"}));
    game.clickAt({500, 500});
    EXPECT_EQ(shown(), (Strings{"own"})) << "the scene's own texts are never dismissed";
    game.stopAudio();
}

TEST_F(ClickAndDraw, AShownTextThatIsNotLastStaysAndIsNotAppendedTwice)
{
    startOverlap();
    game.clickAt({120, 120});
    game.clickAt({900, 900});
    game.clickAt({175, 175});
    EXPECT_EQ(shown(), (Strings{"own", "blue says+", "red says+"}));
    game.clickAt({120, 120});
    EXPECT_EQ(shown(), (Strings{"own", "blue says+"})) << "the last is dismissed; red's own text came down";
    game.clickAt({230, 230});
    EXPECT_EQ(shown(), (Strings{"own"}));
    game.stopAudio();
}

TEST_F(ClickAndDraw, EdgesAndEmptyFloor)
{
    startOverlap();
    game.clickAt({100, 100});
    EXPECT_EQ(shown().size(), 2u) << "the top-left corner is inside";
    game.clickAt({0, 0});
    game.clickAt({250, 200});
    EXPECT_EQ(shown(), (Strings{"own"})) << "the right edge is outside";
    game.clickAt({50, 50});
    EXPECT_EQ(shown(), (Strings{"own"}));
    game.stopAudio();
}

TEST_F(ClickAndDraw, HooksWithoutAnAssetDoNothing)
{
    start(gameXml("<sprite id='red' src='red.png' origin='0, 0'/>", "<red onClickText='none' onClickAudio='none'/>"));
    game.clickAt({10, 10});
    EXPECT_TRUE(game.scene->texts.empty());
}

TEST_F(ClickAndDraw, DrawsSpritesInListOrderThenTexts)
{
    write(gameXml("<sprite id='red' src='red.png' origin='0, 0'/><sprite id='blue' src='blue.png' origin='0, 0'/>"
                  "<text id='label' src='f.ttf' size='80' color='0, 255, 0, 255'>\xE2\x96\x88\xE2\x96\x88</text>",
                  "<label position='163, 173'/><red position='100, 100'/><blue position='150, 150'/>", "",
                  "width='550' height='550' fps='0'"));
    game.start("game.xml");
    game.window->clear(sf::Color::Black);
    game.draw();
    // World to pixels is a factor of one half in a 550 by 550 window.
    EXPECT_EQ(pixelAt(55, 55), sf::Color::Red);
    EXPECT_EQ(pixelAt(85, 80), sf::Color::Red) << "red, the earlier child, lies on blue";
    EXPECT_EQ(pixelAt(120, 80), sf::Color::Blue);
    const sf::FloatRect label = textCatalogue[0]->drawable.getGlobalBounds();
    const sf::Vector2f middle(label.left + label.width / 2, label.top + label.height / 2);
    ASSERT_TRUE(blue()->contains(middle));
    EXPECT_EQ(pixelAt(static_cast<unsigned>(middle.x / 2), static_cast<unsigned>(middle.y / 2)), sf::Color::Green)
        << "texts lie above all sprites";
    EXPECT_EQ(pixelAt(20, 20), sf::Color::Black);
}
