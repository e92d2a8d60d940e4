#include "core/assets/StartupPrefetch.h"
#include "core/assets/Resources.h"
#include "core/text/GameDocument.h"
#include "elements/EPlayer.h"
#include "elements/ESprite.h"
#include "support/GameFixture.h"
#include "support/PrefetchFolder.h"

namespace {

class Prefetch : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        writePrefetchFolder(dir);
    }
};

// The size the sprite takes in the world, which clicks hit.
sf::Vector2f size(const ESprite &sprite)
{
    const sf::FloatRect bounds = sprite.drawable->getGlobalBounds();
    return {bounds.width, bounds.height};
}

} // namespace

TEST_F(Prefetch, TheGameUploadsThePrefetchedImagesAndReportsFailuresAsBefore)
{
    write(prefetchDocument());
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

// A room after the first has its sprites' bounds from the start and their
// pixels once it is entered; a file of it whose pixels fail to decode is
// reported then, at its "src", and its sprite is left with no bounds, as
// any broken image is.
TEST_F(Prefetch, ALaterRoomsImagesComeWhenItIsEnteredWithTheirBoundsFromTheStart)
{
    writePng(dir.file("img/far.png"), 12, 7, sf::Color::Green);
    writePng(dir.file("img/torn.png"), 9, 9, sf::Color::Green);
    // The header that says 9 x 9, and no pixels after it.
    dir.write("img/torn.png", readWholeFile(dir.file("img/torn.png")).substr(0, 33));
    write("<game entryScene='1' width='80' height='60' title='t' fps='60'><assets path='img'>"
          "<sprite id='a' src='a.png'/><sprite id='far' src='far.png'/><sprite id='torn' src='torn.png'/>"
          "</assets><scenes><scene sceneId='1'><a/></scene><scene sceneId='2'><far/><torn/></scene></scenes></game>");
    StartupPrefetch prefetch(dir.path(), *GameDocument::read(dir.file("game.xml")));
    gameResources().adopt(prefetch.take());
    testing::internal::CaptureStderr();
    game.start("game.xml");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const ESprite &far = *game.sprites[1];
    const ESprite &torn = *game.sprites[2];
    EXPECT_EQ(far.texture, nullptr);
    EXPECT_EQ(size(far), sf::Vector2f(12, 7));
    EXPECT_EQ(size(torn), sf::Vector2f(9, 9));

    testing::internal::CaptureStderr();
    game.activateScene(2);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_NE(far.texture, nullptr);
    EXPECT_EQ(far.texture->getSize(), sf::Vector2u(12, 7));
    EXPECT_EQ(size(far), sf::Vector2f(12, 7));
    EXPECT_EQ(size(torn), sf::Vector2f(0, 0));
    EXPECT_NE(err.find("game.xml:1:166: warning: Failed to load image \"img/torn.png\""), std::string::npos) << err;
}
