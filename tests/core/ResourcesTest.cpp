#include "core/assets/Resources.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"
#include "support/GameFixture.h"

#include <cstdio>
#include <filesystem>

namespace {

class SharedResources : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("box.png", 100, 50, sf::Color::Red);
        font("f.ttf");
        writeTone(dir.file("tone.wav"), 0.1f, 440, 0.5f);
    }

    // Builds one more sprite from the first asset node named `name`, after
    // the game has started, as a later placement would.
    ESprite *buildSprite(const char *name) { return newElement<ESprite>(getChild(game.assetsNode, name)); }

    static constexpr std::size_t boxBytes = 100 * 50 * 4;
};

} // namespace

TEST_F(SharedResources, SpritesAndTheirCopiesNamingOneFileShareOneTexture)
{
    start(gameXml("<sprite id='a' src='box.png'/><sprite id='b' src='box.png' position='200, 0'/>", "<a/><b/><a/>"));
    ASSERT_EQ(game.scene->sprites.size(), 3u);
    const sf::Texture *shared = game.sprites[0]->texture;
    for (ESprite *sprite : game.scene->sprites) {
        EXPECT_EQ(sprite->texture, shared);
        EXPECT_EQ(sprite->drawable->getTexture(), shared);
        EXPECT_EQ(sprite->drawable->getTextureRect(), sf::IntRect(0, 0, 100, 50));
    }
    EXPECT_EQ(Resources::loadedTextureBytes, boxBytes) << "the budget counts the file once";

    // Read once: a sprite built after the file is gone still shows it.
    std::filesystem::remove(dir.file("box.png"));
    EXPECT_EQ(buildSprite("sprite")->texture, shared);
    EXPECT_EQ(shared->getSize(), sf::Vector2u(100, 50));
}

TEST_F(SharedResources, AFileNamedByASpriteAndByThePlayerIsDecodedOnce)
{
    png("other.png", 10, 10, sf::Color::Blue);
    start(gameXml("<sprite id='a' src='box.png'/><sprite id='o' src='other.png'/><player src='box.png'/>",
                  "<player/><a/><o/>"));
    EXPECT_EQ(game.player->sprite->texture, game.sprites[0]->texture);
    EXPECT_NE(game.sprites[1]->texture, game.sprites[0]->texture);
    EXPECT_EQ(Resources::loadedTextureBytes, boxBytes + 10 * 10 * 4);
}

TEST_F(SharedResources, TextsNamingOneFontShareIt)
{
    copyFont(dir.file("g.ttf"));
    start(gameXml("<sprite id='s' src='box.png'/><text id='a' src='f.ttf'>a</text><text id='b' src='f.ttf'>b</text>"
                  "<text id='c' src='g.ttf'>c</text>",
                  "<a/><b/><a>again</a><s onClickText='b'/><c/>"));
    const sf::Font *shared = &textCatalogue[0]->font;
    EXPECT_EQ(&textCatalogue[1]->font, shared);
    EXPECT_EQ(&game.sprites[0]->clickText->font, shared);
    for (EText *text : game.scene->texts)
        EXPECT_EQ(text->drawable.getFont(), text->string == "c" ? &textCatalogue[2]->font : shared) << text->string;
    EXPECT_NE(&textCatalogue[2]->font, shared) << "another file is another font, even with the same contents";
    EXPECT_EQ(textCatalogue[2]->font.getInfo().family, "DejaVu Sans");
}

TEST_F(SharedResources, ClickSoundsNamingOneFileShareOneBuffer)
{
    start(gameXml("<sprite id='a' src='box.png'/><sprite id='b' src='box.png'/>"
                  "<audio id='low' src='tone.wav' volume='20'/><audio id='high' src='tone.wav' pitch='2'/>",
                  "<a onClickAudio='low'/><b onClickAudio='high'/>"));
    EAudio *low = game.sprites[0]->clickAudio;
    EAudio *high = game.sprites[1]->clickAudio;
    ASSERT_NE(low->buffer, nullptr);
    EXPECT_EQ(high->buffer, low->buffer);
    EXPECT_EQ(high->sound.getBuffer(), low->buffer);
    EXPECT_FLOAT_EQ(low->sound.getVolume(), 20.f) << "each sound keeps its own settings";
    EXPECT_FLOAT_EQ(high->sound.getPitch(), 2.f);
    game.stopAudio();
}

// A failure is not remembered: every element naming the file hears about it
// at its own "src", and one built after the file appears loads it.
TEST_F(SharedResources, AFileThatFailedIsTriedAgainByTheNextElement)
{
    testing::internal::CaptureStderr();
    load(gameXml("<sprite id='a' src='late.png'/>\n<sprite id='b' src='late.png'/>\n"
                 "<text id='t' src='late.ttf'>t</text>\n<text id='u' src='late.ttf'>u</text>",
                 ""));
    const std::string err = testing::internal::GetCapturedStderr();
    for (const char *where :
         {"game.xml:3:21: warning: Failed to load image", "game.xml:4:21: warning: Failed to load image",
          "game.xml:5:19: warning: Failed to load font", "game.xml:6:19: warning: Failed to load font"})
        EXPECT_NE(err.find(where), std::string::npos) << where << "\n" << err;
    EXPECT_EQ(game.sprites[0]->texture->getSize(), sf::Vector2u(0, 0));

    png("late.png", 4, 4);
    EXPECT_EQ(buildSprite("sprite")->texture->getSize(), sf::Vector2u(4, 4));
    EXPECT_EQ(game.sprites[1]->drawable->getGlobalBounds().width, 0.f) << "a sprite built without it stays empty";
}

TEST_F(SharedResources, ReleasingTheGameGivesBackItsFilesAndItsBudget)
{
    start(gameXml("<sprite id='a' src='box.png'/>", "<a/>"));
    EXPECT_EQ(Resources::loadedTextureBytes, boxBytes);
    game.release();
    EXPECT_EQ(Resources::loadedTextureBytes, 0u);

    png("box.png", 30, 20, sf::Color::Green);
    start(gameXml("<sprite id='a' src='box.png'/>", "<a/>"));
    EXPECT_EQ(game.sprites[0]->texture->getSize(), sf::Vector2u(30, 20)) << "the next game reads the file again";
}
