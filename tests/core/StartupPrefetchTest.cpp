#include "core/assets/StartupPrefetch.h"
#include "core/assets/LibraryErrors.h"
#include "core/assets/Resources.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/ESprite.h"
#include "support/GameFixture.h"

#include <SFML/System/Err.hpp>

#include <algorithm>

#include <sstream>
#include <sys/stat.h>

namespace {

class Prefetch : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        png("img/a.png", 30, 20, sf::Color::Red);
        png("img/walker.png", 8, 16, sf::Color::Blue);
        png("img/unnamed.png", 5, 5);
        dir.write("img/broken.png", "not an image");
        ASSERT_EQ(mkfifo(dir.file("img/pipe.png").c_str(), 0644), 0);
    }

    const std::string assets = "<sprite id='a' src='a.png'/><sprite id='again' src='a.png'/>"
                               "<sprite src='unnamed.png'/><sprite id='broken' src='broken.png'/>"
                               "<sprite id='pipe' src='pipe.png'/><sprite id='gone' src='gone.png'/>"
                               "<text id='t' src='a.png'/><player src='walker.png'/>";

    std::string document(const std::string &more = "") const
    {
        return "<game entryScene='1' width='80' height='60' title='t' fps='60'><assets path='/img'>" + assets + more +
               "</assets><scenes><scene sceneId='1'><a/></scene></scenes></game>";
    }
};

std::vector<std::string> keys(const std::unordered_map<std::string, sf::Image> &images)
{
    std::vector<std::string> names;
    for (const auto &entry : images)
        names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Only what the loader would load, under the paths the elements give it, and
// nothing a failing file says on the decoding thread reaches the error stream.
TEST_F(Prefetch, DecodesTheImagesOfSpritesAndPlayerOnceEach)
{
    write(document());
    const LibraryErrorCapture heard;
    std::unordered_map<std::string, sf::Image> images;
    {
        StartupPrefetch prefetch(dir.path(), *GameDocument::read(dir.file("game.xml")));
        sf::err() << "from the main thread" << std::endl;
        images = prefetch.take().images;
    }
    EXPECT_EQ(keys(images), (std::vector<std::string>{"img/a.png", "img/walker.png"}));
    EXPECT_EQ(images["img/walker.png"].getSize(), sf::Vector2u(8, 16));
    EXPECT_EQ(heard.text(), "from the main thread\n");
}

TEST_F(Prefetch, TheGameUploadsThePrefetchedImagesAndReportsFailuresAsBefore)
{
    write(document());
    StartupPrefetch prefetch(dir.path(), *GameDocument::read(dir.file("game.xml")));
    gameResources().adopt(prefetch.take());
    png("img/a.png", 1, 1);
    testing::internal::CaptureStderr();
    game.start("game.xml");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(game.sprites[0]->texture->getSize(), sf::Vector2u(30, 20)) << "the image decoded ahead is the one used";
    EXPECT_EQ(game.player->sprite->texture->getSize(), sf::Vector2u(8, 16));
    EXPECT_NE(err.find("game.xml:1:196: warning: Failed to load image \"img/broken.png\""), std::string::npos) << err;
    EXPECT_NE(err.find("game.xml:1:232: warning: Failed to load \"img/pipe.png\" (not a regular file)"),
              std::string::npos)
        << err;
}

TEST_F(Prefetch, ADocumentItCannotReadYieldsNothing)
{
    for (const std::string &text : {std::string("<game><assets path='img'><sprite id='a' src='a.png'>"),
                                    std::string("<game/>"), std::string("")}) {
        write(text);
        EXPECT_TRUE(StartupPrefetch(dir.path(), *GameDocument::read(dir.file("game.xml"))).take().images.empty())
            << text;
    }
    EXPECT_TRUE(StartupPrefetch(dir.path(), *GameDocument::read(dir.file("missing.xml"))).take().images.empty());
}

TEST_F(Prefetch, OpensTheSoundDeviceOnlyForADocumentWithSounds)
{
    write(document());
    EXPECT_EQ(StartupPrefetch(dir.path(), *GameDocument::read(dir.file("game.xml"))).take().audioDevice, nullptr);

    writeTone(dir.file("img/tone.wav"), 0.1f, 440, 0.5f);
    write(document("<audio id='beep' src='tone.wav'/>"));
    Prefetched prepared = StartupPrefetch(dir.path(), *GameDocument::read(dir.file("game.xml"))).take();
    ASSERT_NE(prepared.audioDevice, nullptr) << "the tests' sound device is OpenAL's null one";
    gameResources().adopt(std::move(prepared));
    EXPECT_TRUE(soundDeviceAvailable());
}
