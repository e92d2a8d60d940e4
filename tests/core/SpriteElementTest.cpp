#include "elements/EAudio.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"
#include "support/GameFixture.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

class SpriteElement : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("box.png", 100, 50, sf::Color::Red);
    }
};

} // namespace

TEST_F(SpriteElement, LoadsTheWholeImageAndAppliesTheTransform)
{
    load(gameXml("<sprite id='plain' src='box.png'/>"
                 "<sprite id='moved' src='box.png' position='10, 20' scale='2, 3' origin='5, 5' rotation='90.7'/>",
                 ""));
    ESprite *plain = game.sprites[0];
    EXPECT_EQ(plain->texture->getSize(), sf::Vector2u(100, 50));
    EXPECT_EQ(plain->drawable->getTextureRect(), sf::IntRect(0, 0, 100, 50));
    EXPECT_EQ(plain->origin, sf::Vector2f(1, 1)) << "the default origin is the image's pixel (1, 1)";
    EXPECT_EQ(plain->drawable->getGlobalBounds(), sf::FloatRect(-1, -1, 100, 50));

    ESprite *moved = game.sprites[1];
    EXPECT_EQ(moved->rotation, 90.f);
    EXPECT_EQ(moved->drawable->getPosition(), sf::Vector2f(10, 20));
    EXPECT_EQ(moved->drawable->getScale(), sf::Vector2f(2, 3));
    EXPECT_EQ(moved->drawable->getOrigin(), sf::Vector2f(5, 5));
    const sf::FloatRect bounds = moved->drawable->getGlobalBounds();
    EXPECT_NEAR(bounds.width, 150, 1e-3) << "turned by 90 degrees: the image's height, scaled by 3";
    EXPECT_NEAR(bounds.height, 200, 1e-3);
}

TEST_F(SpriteElement, HitTestIncludesLeftAndTopEdgesOnly)
{
    load(gameXml("<sprite id='s' src='box.png' position='100, 200' origin='0, 0'/>"
                 "<sprite id='flat' src='box.png' scale='0, 1'/><sprite id='broken' src='none.png'/>",
                 ""));
    ESprite *sprite = game.sprites[0];
    EXPECT_TRUE(sprite->contains({100, 200}));
    EXPECT_TRUE(sprite->contains({199.9f, 249.9f}));
    EXPECT_FALSE(sprite->contains({200, 220}));
    EXPECT_FALSE(sprite->contains({150, 250}));
    EXPECT_FALSE(sprite->contains({99.9f, 220}));
    EXPECT_FALSE(game.sprites[1]->contains({0, 10}));
    EXPECT_FALSE(game.sprites[2]->contains({0, 0}));
}

TEST_F(SpriteElement, MoveStepsMovesOnlyTheDrawable)
{
    load(gameXml("<sprite id='s' src='box.png' position='10, 10'/>", ""));
    ESprite *sprite = game.sprites[0];
    sprite->moveSteps({1.5f, -1}, 0);
    sprite->moveSteps({1.5f, -1}, -3);
    EXPECT_EQ(sprite->drawable->getPosition(), sf::Vector2f(10, 10));
    sprite->moveSteps({1.5f, -1}, 4);
    EXPECT_EQ(sprite->drawable->getPosition(), sf::Vector2f(16, 6));
    EXPECT_EQ(sprite->position, sf::Vector2f(10, 10));
}

TEST_F(SpriteElement, SceneChildOverridesTransformAndBindsHooks)
{
    load(gameXml("<sprite id='s' src='box.png' position='1, 2' scale='3, 3'/>", ""));
    ESprite *sprite = game.sprites[0];
    ParsedXml child("<s position='40, 50' rotation='30.9' origin='2, 2' onClickAudio='none' onClickText='none'/>");
    sprite->applySceneNode(child.root());
    EXPECT_EQ(sprite->sceneChild, child.root());
    EXPECT_EQ(sprite->position, sf::Vector2f(40, 50));
    EXPECT_EQ(sprite->scale, sf::Vector2f(3, 3)) << "an absent attribute keeps the value";
    EXPECT_EQ(sprite->rotation, 30.f);
    EXPECT_EQ(sprite->drawable->getOrigin(), sf::Vector2f(2, 2));
    EXPECT_TRUE(sprite->hasClickAudio) << "an unknown id still sets the flag";
    EXPECT_TRUE(sprite->hasClickText);
    EXPECT_EQ(sprite->clickAudio, nullptr);
    EXPECT_EQ(sprite->clickText, nullptr);

    ParsedXml bare("<s/>");
    sprite->applySceneNode(bare.root());
    EXPECT_TRUE(sprite->hasClickAudio) << "hooks are never cleared";
}

TEST_F(SpriteElement, EachPlacementClicksWithItsOwnSoundAndTextFromOneFile)
{
    writeTone(dir.file("tone.wav"), 0.1f, 440, 0.5f);
    font("f.ttf");
    start(gameXml("<sprite id='a' src='box.png' origin='0, 0'/><sprite id='b' src='box.png' origin='0, 0'/>"
                  "<audio id='beep' src='tone.wav' pitch='2'/><text id='note' src='f.ttf' size='20'>asset</text>",
                  "<a onClickAudio='beep' onClickText='note' volume='50'>first</a>"
                  "<b onClickAudio='beep' onClickText='note' volume='70' position='300, 400'/>"));
    // What a click plays and shows, one sprite after the other.
    struct Heard {
        float volume;
        float pitch;
        const sf::SoundBuffer *buffer;
        std::string text;
        sf::Vector2f textAt;
    };
    const auto click = [&](sf::Vector2f at) {
        game.clickAt(at);
        Heard heard{};
        for (const ESprite *sprite : game.sprites)
            if (sprite->clickAudio && sprite->clickAudio->sound.getStatus() == sf::Sound::Playing)
                heard = {sprite->clickAudio->sound.getVolume(),
                         sprite->clickAudio->sound.getPitch(),
                         sprite->clickAudio->sound.getBuffer(),
                         {},
                         {}};
        for (const EText *text : game.scene->texts)
            if (text->visible) {
                heard.text = text->string;
                heard.textAt = text->position;
            }
        game.stopAudio();
        return heard;
    };
    const Heard a = click({10, 10});
    EXPECT_FLOAT_EQ(a.volume, 50.f);
    EXPECT_FLOAT_EQ(a.pitch, 2.f);
    EXPECT_EQ(a.text, "first");
    game.clickAt({10, 10}); // puts the note away

    const Heard b = click({310, 410});
    EXPECT_FLOAT_EQ(b.volume, 70.f) << "each placement keeps its own volume";
    EXPECT_FLOAT_EQ(b.pitch, 2.f);
    EXPECT_EQ(b.text, "asset");
    EXPECT_EQ(b.textAt, sf::Vector2f(300, 400)) << "the sprite's position places its text";
    ASSERT_NE(a.buffer, nullptr);
    EXPECT_EQ(a.buffer, b.buffer) << "one file, one decoded buffer";
}

TEST_F(SpriteElement, AHookTakesEveryAssetOfItsIdAndEndsOnTheLast)
{
    writeTone(dir.file("tone.wav"), 0.1f, 440, 0.5f);
    start(gameXml("<sprite id='a' src='box.png' origin='0, 0'/><audio id='beep' src='tone.wav'/>"
                  "<audio src='x.wav'/><audio id='beep' src='tone.wav' volume='10'/>",
                  "<a onClickAudio='beep'/>"));
    game.clickAt({10, 10});
    ASSERT_NE(game.sprites[0]->clickAudio, nullptr);
    EXPECT_EQ(game.sprites[0]->clickAudio->sound.getStatus(), sf::Sound::Playing);
    EXPECT_FLOAT_EQ(game.sprites[0]->clickAudio->sound.getVolume(), 10.f) << "the last asset of the id plays";
    game.stopAudio();
}

TEST_F(SpriteElement, FilesThatAreNoRegularFilesAreNotLoaded)
{
    // A pipe would keep the multimedia library waiting for a writer forever.
    for (const char *name : {"pipe.png", "pipe.ttf", "pipe.wav"})
        ASSERT_EQ(mkfifo(dir.file(name).c_str(), 0644), 0);
    std::filesystem::create_directory(dir.file("folder.png"));
    start(gameXml("<sprite id='a' src='pipe.png'/><sprite id='b' src='folder.png'/><text id='t' src='pipe.ttf'/>"
                  "<audio id='s' src='pipe.wav'/>",
                  "<a onClickAudio='s'/>", "music='s'"));
    EXPECT_EQ(game.sprites[0]->texture->getSize(), sf::Vector2u(0, 0));
    EXPECT_EQ(game.sprites[1]->texture->getSize(), sf::Vector2u(0, 0));
    EXPECT_EQ(textCatalogue[0]->font.getInfo().family, "");
    EXPECT_EQ(audioCatalogue[0]->sound.getBuffer(), nullptr);
    EXPECT_EQ(audioCatalogue[0]->music.getStatus(), sf::Music::Stopped);
}

// The budget is set close to full here rather than filled with gigabytes of
// images. It counts distinct files: sprites sharing one image pay once.
TEST_F(SpriteElement, ImagesPastTheMemoryBudgetAreNotLoaded)
{
    const std::size_t box = 100 * 50 * 4;
    png("other.png", 100, 50, sf::Color::Blue);
    ESprite::loadedTextureBytes = ESprite::maxTextureBytes - 2 * box + 1;
    testing::internal::CaptureStderr();
    load(gameXml("<sprite id='fits' src='box.png'/><sprite id='over' src='other.png'/>", ""));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(game.sprites[0]->texture->getSize(), sf::Vector2u(100, 50));
    EXPECT_EQ(game.sprites[1]->texture->getSize(), sf::Vector2u(0, 0));
    EXPECT_EQ(game.sprites[1]->drawable->getGlobalBounds().width, 0.f) << "an image not loaded draws nothing";
    EXPECT_EQ(ESprite::loadedTextureBytes, ESprite::maxTextureBytes - box + 1);
    EXPECT_NE(err.find("Failed to load image \"other.png\" (the game's images would take more than 2048 MiB)"),
              std::string::npos)
        << err;

    game.release();
    EXPECT_EQ(ESprite::loadedTextureBytes, 0u) << "the budget goes with the game";
    ESprite::loadedTextureBytes = ESprite::maxTextureBytes - box;
    load(gameXml("<sprite id='exact' src='other.png'/>", ""));
    EXPECT_EQ(game.sprites.back()->texture->getSize(), sf::Vector2u(100, 50)) << "the budget itself may be used up";
}
