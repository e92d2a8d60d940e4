#include "core/text/StartupError.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"
#include "support/GameFixture.h"

#include <cstring>

namespace {

class GameLoad : public GameFixture {};

std::string withPath(const std::string &path)
{
    return "<g entryScene='1' width='800' height='600' title='t' fps='60'><assets path='" + path + "'/><scenes/></g>";
}

} // namespace

TEST_F(GameLoad, AppliesTheWindowSettingsAndKeepsTheView)
{
    load("<?xml version='1.0'?><!-- a comment --><anyName entryScene='2abc' width='550' height='440' "
         "title='Caf\xC3\xA9 Noir' fps='0'><assets path='x'/><scenes/></anyName><second/>");
    EXPECT_EQ(currentSceneId, 2);
    EXPECT_EQ(windowWidth, 550);
    EXPECT_EQ(windowHeight, 440);
    EXPECT_EQ(frameRateLimit, 0);
    EXPECT_EQ(game.window->getSize(), sf::Vector2u(550, 440));
    EXPECT_EQ(game.window->getView().getSize(), sf::Vector2f(1100, 1100));
    EXPECT_STREQ(game.root->name(), "anyName");
    EXPECT_STREQ(game.assetsNode->name(), "assets");
}

TEST_F(GameLoad, BuildsTheAssetPath)
{
    const std::pair<const char *, const char *> cases[] = {
        {"img", "img/"}, {"img/", "img//"}, {"/img", "img/"}, {"", ""}, {"/", "/"}};
    for (const auto &[path, expected] : cases) {
        resetCatalogue();
        Game fresh;
        fresh.window = game.window;
        write(withPath(path));
        fresh.load("game.xml");
        fresh.loadAssets();
        EXPECT_EQ(assetPath, expected) << "path '" << path << "'";
    }
}

TEST_F(GameLoad, BuildsTheCatalogueInDocumentOrder)
{
    load(gameXml("<text id='t1'>a</text> stray text <sprite id='s1'/><audio id='a1'/><sprite id='s2'/>"
                 "<Sprite id='ignored'/><unknown id='u'/><player speed='3'/><player speed='4'/>",
                 ""));
    ASSERT_EQ(game.sprites.size(), 2u);
    EXPECT_STREQ(game.sprites[0]->id, "s1");
    EXPECT_STREQ(game.sprites[1]->id, "s2");
    ASSERT_EQ(textCatalogue.size(), 1u);
    EXPECT_STREQ(textCatalogue[0]->id, "t1");
    ASSERT_EQ(audioCatalogue.size(), 1u);
    EXPECT_STREQ(audioCatalogue[0]->id, "a1");
    ASSERT_NE(game.player, nullptr);
    EXPECT_EQ(game.player->speed, 4) << "a later player replaces an earlier one";
}

TEST_F(GameLoad, SkipsAssetsWithoutIdWithAWarning)
{
    testing::internal::CaptureStderr();
    load(gameXml("<sprite id='a'/>\n<sprite src='x.png'/>\n<text/>\n<audio/>", ""));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(game.sprites.size(), 1u);
    EXPECT_TRUE(textCatalogue.empty());
    EXPECT_TRUE(audioCatalogue.empty());
    EXPECT_NE(err.find("game.xml:4:1: warning: <sprite> has no \"id\" attribute"), std::string::npos) << err;
    EXPECT_NE(err.find("game.xml:5:1: warning: <text>"), std::string::npos) << err;
    EXPECT_NE(err.find("game.xml:6:1: warning: <audio>"), std::string::npos) << err;
}

TEST_F(GameLoad, ReadsDocumentsWithAByteOrderMarkAndWindowsLineEnds)
{
    font("f.ttf");
    load("\xEF\xBB\xBF<g entryScene='1' width='300' height='200' title='t' fps='30'>\r\n<assets path=''>\r\n"
         "<text id='t' src='f.ttf'>line one\r\nline two</text>\r\n</assets><scenes/></g>\r\n");
    EXPECT_EQ(windowWidth, 300);
    ASSERT_EQ(textCatalogue.size(), 1u);
    EXPECT_EQ(textCatalogue[0]->string, "line one\r\nline two");
}

TEST_F(GameLoad, IdsPointIntoTheDocument)
{
    load(gameXml("<sprite id='door'/>", ""));
    const char *id = game.sprites[0]->id;
    EXPECT_STREQ(id, "door");
    EXPECT_EQ(id, game.assetsNode->first_node()->first_attribute()->value());
}

TEST_F(GameLoad, FilesThatFailToLoadAreReportedAtTheirSrcInTheLibrarysWords)
{
    load(gameXml("<sprite id='a' src='nowhere.png'/>\n<text id='t' src='nofont.ttf'/>", ""));
    const std::vector<Diagnostic> &found = game.warnings();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(std::make_pair(found[0].line, found[0].column), std::make_pair(std::size_t(3), std::size_t(21)));
    EXPECT_EQ(found[0].message.rfind("Failed to load image \"nowhere.png\"", 0), 0u) << found[0].message;
    EXPECT_EQ(std::make_pair(found[1].line, found[1].column), std::make_pair(std::size_t(4), std::size_t(19)));
    EXPECT_EQ(found[1].message.rfind("Failed to load font \"nofont.ttf\"", 0), 0u) << found[1].message;
}

TEST_F(GameLoad, ReleasingGivesBackTheGameAndPutsTheGlobalsBack)
{
    png("a.png", 10, 10);
    load(gameXml("<sprite id='a' src='a.png'/><audio id='s'/><text id='t'/>", "<a/>"));
    game.activateScene(currentSceneId);
    EXPECT_GT(ESprite::loadedTextureBytes, 0u);
    game.release();
    EXPECT_EQ(game.document, nullptr);
    EXPECT_EQ(game.scene, nullptr);
    EXPECT_TRUE(game.sprites.empty());
    EXPECT_TRUE(audioCatalogue.empty());
    EXPECT_TRUE(textCatalogue.empty());
    EXPECT_EQ(ESprite::loadedTextureBytes, 0u) << "the texture budget is the loaded game's";
    EXPECT_EQ(frameRateLimit, 24);

    start(gameXml("<sprite id='a' src='a.png'/>", "<a/>"));
    EXPECT_EQ(game.scene->sprites.size(), 1u) << "a released game can be followed by another";
}

TEST_F(GameLoad, LoadingAgainReleasesTheLoadedGameFirst)
{
    load(gameXml("<text id='first'>a</text><sprite id='s1'/>", ""));
    ASSERT_EQ(textCatalogue.size(), 1u);
    write(gameXml("<text id='second'>b</text>", ""));
    game.load("game.xml");
    // The first game's elements point into its document: none may outlive it.
    EXPECT_TRUE(textCatalogue.empty());
    EXPECT_TRUE(game.sprites.empty());
    game.loadAssets();
    ASSERT_EQ(textCatalogue.size(), 1u);
    EXPECT_STREQ(textCatalogue[0]->id, "second");
}

// A start or a reload reads the document once, and the loader and the
// checker both load what was read: a refused document is refused alike by
// each, at the same place.
TEST_F(GameLoad, ADocumentReadOnceIsRefusedAlikeByEveryGameLoadingIt)
{
    const std::string root = "<game entryScene='1' width='400' height='300' title='t' fps='30'>";
    const std::pair<std::string, std::string> cases[] = {
        {root + "\n<assets path=''>\n</game>", "game.xml:3:8: error: malformed XML: unexpected end of data"},
        {root + std::string("\n  \0", 4) + "<assets path=''/><scenes/></game>",
         "game.xml:2:3: error: the document contains a NUL byte"},
        {"", "game.xml:1:1: error: the document has no root element"},
    };
    for (const auto &[text, expected] : cases) {
        write(text);
        const std::shared_ptr<const GameDocument> document = GameDocument::read("game.xml");
        for (int load = 0; load < 2; ++load) {
            Game loader;
            loader.echo = nullptr;
            try {
                loader.load(document);
                ADD_FAILURE() << "loaded " << expected;
            } catch (const StartupError &error) {
                EXPECT_EQ(loader.describe(error), expected);
            }
        }
    }
    const std::shared_ptr<const GameDocument> missing = GameDocument::read("missing.xml", "shown.xml");
    for (int load = 0; load < 2; ++load) {
        Game loader;
        EXPECT_THROW(loader.load(missing), StartupError);
        EXPECT_EQ(loader.warnings().size(), 0u);
    }
}
