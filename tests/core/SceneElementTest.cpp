#include "elements/EAudio.h"
#include "elements/EScene.h"
#include "support/GameFixture.h"

namespace {

class SceneElement : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        writeTone(dir.file("tone.wav"), 0.2f, 440, 0.5f);
    }
};

} // namespace

TEST_F(SceneElement, LevelLimitsDefaultToTheWindowSize)
{
    start(gameXml("", "", "", "width='800' height='600' fps='0'"));
    EXPECT_EQ(game.scene->levelLimits, (std::array<int, 4>{0, 0, 800, 600}));
    EXPECT_EQ(game.scene->music, nullptr);
    EXPECT_EQ(game.scene->node, game.sceneNode);
}

TEST_F(SceneElement, ReadsLimitsAsIntegers)
{
    start(gameXml("", "",
                  "leftLevelLimit='-50' upperLevelLimit='7.9' rightLevelLimit='wide' lowerLevelLimit='300px' "
                  "id='ignored' position='5, 5'"));
    EXPECT_EQ(game.scene->levelLimits, (std::array<int, 4>{-50, 7, 0, 300}));
    EXPECT_EQ(game.scene->id, nullptr) << "a scene reads none of the common attributes";
    EXPECT_EQ(game.scene->position, sf::Vector2f(0, 0));
}

TEST_F(SceneElement, MusicTakesTheScenesVolumeAndPitchIntoTheCatalogueObject)
{
    start(gameXml("<audio id='song' src='tone.wav' volume='80' pitch='1.5'/>", "", "music='song' volume='30'"));
    EAudio *song = audioCatalogue[0];
    EXPECT_EQ(song->volume, 30.f);
    EXPECT_EQ(song->pitch, 1.5f) << "the asset's own pitch stays when the scene gives none";
    EXPECT_FLOAT_EQ(song->music.getVolume(), 30.f);
    EXPECT_EQ(song->music.getStatus(), sf::Music::Playing);
    EXPECT_FALSE(song->music.getLoop());
    game.stopAudio();
}

TEST_F(SceneElement, StartsEveryAudioOfTheMusicIdAndKeepsTheLast)
{
    start(gameXml("<audio id='song' src='tone.wav'/><audio id='song' src='missing.ogg'/><audio id='other'/>", "",
                  "music='song'"));
    EXPECT_EQ(audioCatalogue[0]->music.getStatus(), sf::Music::Playing);
    EXPECT_EQ(game.scene->music, audioCatalogue[1]) << "kept even though its file cannot be opened";
    EXPECT_EQ(audioCatalogue[1]->music.getStatus(), sf::Music::Stopped);
    game.stopAudio();
}

TEST_F(SceneElement, AnUnknownMusicIdLeavesTheSceneSilent)
{
    start(gameXml("<audio id='song' src='tone.wav'/>", "", "music='Song'"));
    EXPECT_EQ(game.scene->music, nullptr);
    EXPECT_EQ(audioCatalogue[0]->music.getStatus(), sf::Music::Stopped);
}
