#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Counts how often an element of this kind is destroyed.
struct Counted {
    static inline int destroyed = 0;
    explicit Counted(bool fail)
    {
        if (fail)
            throw std::runtime_error("refused");
    }
    ~Counted() { ++destroyed; }
    Counted(const Counted &) = delete;
    Counted &operator=(const Counted &) = delete;
};

} // namespace

TEST(ElementArena, DestroysOnReleaseOnlyTheElementsThatWereBuilt)
{
    resetCatalogue();
    Counted::destroyed = 0;
    newElement<Counted>(false);
    EXPECT_THROW(newElement<Counted>(true), std::runtime_error);
    EXPECT_EQ(Counted::destroyed, 0);
    resetCatalogue();
    EXPECT_EQ(Counted::destroyed, 1) << "the element whose constructor threw is not destroyed again";
}

// A reload builds the next game beside the running one: the next starts from
// the document's defaults, files and texture budget of its own, and the
// player's choices for the run; setting it aside gives the running one back
// whole, its elements included.
TEST(LoadedCatalogue, AGameBuiltBesideTheRunningOneSharesOnlyThePlayersChoices)
{
    resetCatalogue();
    Counted::destroyed = 0;
    newElement<Counted>(false);
    assetPath = "running/";
    windowWidth = 640;
    EText::sizeScale = 2.f;
    EAudio::musicShare = 0.5f;
    gameResources().withoutDevices = true;
    gameResources().textureBytes = 1234;
    {
        CatalogueState running;
        swapCatalogue(running);
        EXPECT_EQ(assetPath, "");
        EXPECT_EQ(windowWidth, 100);
        EXPECT_EQ(Resources::loadedTextureBytes, 0u);
        EXPECT_FLOAT_EQ(EText::sizeScale, 2.f);
        EXPECT_FLOAT_EQ(EAudio::musicShare, 0.5f);
        EXPECT_TRUE(gameResources().withoutDevices);
        newElement<Counted>(false);
        swapCatalogue(running);
        EXPECT_EQ(Counted::destroyed, 0);
    }
    EXPECT_EQ(Counted::destroyed, 1) << "the game set aside goes with what held it";
    EXPECT_EQ(assetPath, "running/");
    EXPECT_EQ(windowWidth, 640);
    EXPECT_EQ(ESprite::loadedTextureBytes, 1234u);
    resetCatalogue();
    EXPECT_EQ(Counted::destroyed, 2);
    EXPECT_FLOAT_EQ(EText::sizeScale, 2.f) << "the player's choices outlast a game";
    EText::sizeScale = 1.f;
    EAudio::musicShare = 1.f;
    gameResources().withoutDevices = false;
}
