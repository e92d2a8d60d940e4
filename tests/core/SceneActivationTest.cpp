#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"
#include "support/GameFixture.h"

#include <cstring>

namespace {

class SceneActivation : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("p.png", 10, 10);
        font("f.ttf");
    }

    std::vector<std::string> spriteIds() const
    {
        std::vector<std::string> ids;
        for (ESprite *sprite : game.scene->sprites)
            ids.push_back(sprite == playerSprite() ? "player" : sprite->id);
        return ids;
    }
    std::vector<std::string> textContents() const
    {
        std::vector<std::string> contents;
        for (EText *text : game.scene->texts)
            contents.push_back(text->string);
        return contents;
    }
    ESprite *playerSprite() const { return game.player ? game.player->sprite : nullptr; }
};

using Strings = std::vector<std::string>;

const std::string abc = "<sprite id='A' src='p.png'/><sprite id='B' src='p.png'/><sprite id='C' src='p.png'/>";

} // namespace

TEST_F(SceneActivation, PlacesSpritesFromTheLastChildToTheFirst)
{
    start(gameXml(abc, "<A/> text between <B/><!-- comment --><C/><unknown/>"));
    EXPECT_EQ(spriteIds(), (Strings{"C", "B", "A"}));
}

TEST_F(SceneActivation, EachChildOfOneAssetPlacesASpriteWhereItSays)
{
    start(gameXml(abc, "<A position='1, 1'/><A position='2, 2'/>"));
    EXPECT_EQ(spriteIds(), (Strings{"A", "A"}));
    EXPECT_EQ(game.scene->sprites[0]->position, sf::Vector2f(2, 2));
    EXPECT_EQ(game.scene->sprites[1]->position, sf::Vector2f(1, 1));
}

TEST_F(SceneActivation, OneChildPlacesEverySpriteAndTextOfItsId)
{
    start(gameXml("<sprite id='twin' src='p.png' position='1, 0'/><sprite id='twin' src='p.png' position='2, 0'/>"
                  "<text id='twin' src='f.ttf'>text</text>",
                  "<twin/>"));
    ASSERT_EQ(game.scene->sprites.size(), 2u);
    EXPECT_EQ(game.scene->sprites[0]->position, sf::Vector2f(1, 0));
    EXPECT_EQ(game.scene->sprites[1]->position, sf::Vector2f(2, 0));
    EXPECT_EQ(textContents(), (Strings{"text"}));
}

TEST_F(SceneActivation, GroupsTextsByAssetInTheOrderOfTheirChildren)
{
    start(gameXml("<text id='T' src='f.ttf'>t</text><text id='U' src='f.ttf'>u</text>",
                  "<U>u1</U><T>t1</T><U>u2</U><T>t2</T>"));
    EXPECT_EQ(textContents(), (Strings{"t1", "t2", "u1", "u2"}));
}

TEST_F(SceneActivation, ATextClaimedByAHookGivesTheSceneChildACopy)
{
    start(gameXml("<sprite id='A' src='p.png'/><text id='T' src='f.ttf'>asset</text>",
                  "<T>scene text</T><A onClickText='T'>click text</A>"));
    ASSERT_EQ(game.scene->texts.size(), 1u);
    EXPECT_EQ(game.sprites[0]->clickText->string, "click text");
    EXPECT_EQ(game.scene->texts[0]->string, "scene text");
}

TEST_F(SceneActivation, PlacesThePlayerWhereItsChildStandsWithTheScenesLimits)
{
    start(gameXml(abc + "<player src='p.png' speed='3'/>", "<A/><player position='40, 50' speed='6'/><B/><player/>",
                  "leftLevelLimit='5' upperLevelLimit='6' rightLevelLimit='700' lowerLevelLimit='500'"));
    EXPECT_EQ(spriteIds(), (Strings{"player", "B", "player", "A"})) << "two children place the sprite twice";
    EXPECT_EQ(game.player->levelLimits, (std::array<int, 4>{5, 6, 700, 500}));
    EXPECT_EQ(game.player->sprite->position, sf::Vector2f(40, 50));
    EXPECT_EQ(game.player->speed, 6);
}

TEST_F(SceneActivation, WithoutAPlayerChildThePlayerIsNeitherDrawnNorLimited)
{
    start(gameXml(abc + "<player src='p.png'/>", "<A/>"));
    EXPECT_EQ(spriteIds(), (Strings{"A"}));
    EXPECT_EQ(game.player->levelLimits, (std::array<int, 4>{0, 0, 0, 0}));
}

TEST_F(SceneActivation, AScenePlacingAMissingPlayerWarnsAndGoesOn)
{
    testing::internal::CaptureStderr();
    start(gameXml(abc, "<A/>\n<player/>"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(spriteIds(), (Strings{"A"}));
    EXPECT_NE(err.find("game.xml:8:1: warning: the scene places <player>, but the assets declare no player"),
              std::string::npos)
        << err;
}

TEST_F(SceneActivation, AChildlessSceneStillStartsItsMusic)
{
    writeTone(dir.file("tone.wav"), 0.2f, 440, 0.5f);
    write("<g entryScene='7' width='10' height='10' title='t' fps='1'><assets path=''>"
          "<audio id='m' src='tone.wav'/></assets><scenes><first sceneId='07' music='m'/>"
          "<second sceneId='7'><x/></second></scenes></g>");
    game.start("game.xml");
    EXPECT_STREQ(game.sceneNode->name(), "first") << "'07' is 7, and the first match wins";
    EXPECT_TRUE(game.scene->sprites.empty());
    EXPECT_EQ(audioCatalogue[0]->music.getStatus(), sf::Music::Playing);
    game.stopAudio();
}

TEST_F(SceneActivation, MusicTakesTheCatalogueAudioBeforeHooksBindIt)
{
    writeTone(dir.file("tone.wav"), 0.2f, 440, 0.5f);
    start(gameXml("<sprite id='A' src='p.png'/><audio id='m' src='tone.wav' volume='80'/>",
                  "<A onClickAudio='m' pitch='2'/>", "music='m' volume='30'"));
    EXPECT_EQ(audioCatalogue[0]->volume, 30.f) << "the scene's volume, written before the hook bound the audio";
    EXPECT_EQ(audioCatalogue[0]->pitch, 2.f);
    game.stopAudio();
}

TEST_F(SceneActivation, TextBetweenScenesIsNoScene)
{
    start("<g entryScene='0' width='10' height='10' title='t' fps='1'><assets path=''>"
          "<sprite id='' src='p.png'/></assets><scenes>stray<s sceneId='0'>more stray</s></scenes></g>");
    EXPECT_STREQ(game.sceneNode->name(), "s");
    EXPECT_TRUE(game.scene->sprites.empty()) << "text has an empty name, but is no scene child";
}
