#include "core/assets/StartupPrefetch.h"
#include "core/assets/LibraryErrors.h"
#include "core/assets/Resources.h"
#include "core/text/GameDocument.h"
#include "support/PrefetchFolder.h"

#include <SFML/System/Err.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace {

class Prefetch : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<WorkingDirectory>(dir.path());
        writePrefetchFolder(dir);
    }
    void TearDown() override { cwd.reset(); }

    void write(const std::string &xml) { dir.write("game.xml", xml); }

    TempDir dir;
    std::unique_ptr<WorkingDirectory> cwd;
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
    write(prefetchDocument());
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
    write(prefetchDocument());
    EXPECT_EQ(StartupPrefetch(dir.path(), *GameDocument::read(dir.file("game.xml"))).take().audioDevice, nullptr);

    writeTone(dir.file("img/tone.wav"), 0.1f, 440, 0.5f);
    write(prefetchDocument("<audio id='beep' src='tone.wav'/>"));
    Prefetched prepared = StartupPrefetch(dir.path(), *GameDocument::read(dir.file("game.xml"))).take();
    ASSERT_NE(prepared.audioDevice, nullptr) << "the tests' sound device is OpenAL's null one";
    gameResources().adopt(std::move(prepared));
    EXPECT_TRUE(soundDeviceAvailable());
}
