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
