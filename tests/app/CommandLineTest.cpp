#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A game whose sprite names an image beside the document and whose entry
// scene is missing: it reads its image from the game's folder, then stops
// with a located error that names the document as it was given.
void writeGame(const TempDir &dir, const std::string &folder, const std::string &document)
{
    dir.write(folder + "/" + document, "<g entryScene='9' width='300' height='200' title='t' fps='30'>\n"
                                       "<assets path='img'><sprite id='a' src='a.png'/></assets>\n"
                                       "<scenes><s sceneId='1'/></scenes></g>\n");
    writePng(dir.file(folder + "/img/a.png"), 4, 4, sf::Color::Red);
}

} // namespace

TEST(CommandLine, HelpVersionAndUnknownOptions)
{
    TempDir dir;
    const ProcessResult help = runEngine(dir.path(), "", 30, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: adventure"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--scene"), std::string::npos) << help.out;

    const ProcessResult version = runEngine(dir.path(), "", 30, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("adventure ", 0), 0u) << version.out;

    const ProcessResult unknown = runEngine(dir.path(), "", 30, {"--frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.out.empty()) << unknown.out;
    EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("Usage: adventure"), std::string::npos) << unknown.err;
}

TEST(CommandLine, PlaysTheGameAtAPathFromAnyWorkingDirectory)
{
    TempDir dir;
    writeGame(dir, "mygame", "game.xml");
    writeGame(dir, "other", "level.xml");
    TempDir elsewhere;
    const struct {
        std::string path;
        std::string shown;
    } cases[] = {
        {dir.file("mygame"), dir.file("mygame") + "/game.xml"},
        {dir.file("other/level.xml"), dir.file("other/level.xml")},
    };
    for (const auto &[path, shown] : cases) {
        SCOPED_TRACE(path);
        const ProcessResult result = runEngine(elsewhere.path(), "\n", 30, {path});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err.find("Failed to load"), std::string::npos) << "assets are read from the game's folder";
        EXPECT_NE(result.err.find(shown + ":3:1: error: no scene has sceneId 9\n"), std::string::npos) << result.err;
    }
}
