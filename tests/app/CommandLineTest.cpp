#include "app/CommandLine.h"
#include "app/Startup.h"
#include "core/Game.h"
#include "elements/ESprite.h"
#include "support/EngineRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

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

    // A recording made while watching could not be replayed: refused before
    // any display is asked for, with one.
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    for (const bool withDisplay : {true, false}) {
        SCOPED_TRACE(withDisplay ? "with a display" : "without one");
        if (!withDisplay)
            unsetenv("DISPLAY");
        const ProcessResult watched = runEngine(dir.path(), "", 30, {"--watch", "--record", "r.txt"});
        setenv("DISPLAY", display.c_str(), 1);
        EXPECT_EQ(watched.status, 2);
        EXPECT_EQ(watched.err, "adventure: --record cannot be used with --watch: frames count on across reloads, so "
                               "the recording could not be replayed\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file("r.txt")));
    }
}

TEST(CommandLine, ValuesNoRunCanUseAreUsageErrorsThatSayWhatIsWanted)
{
    TempDir dir;
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
        {{"--check", "--text-scale", "nan"}, "--text-scale: F is \"nan\", but it must be a number from 0.5 to 3"},
        {{"--check", "--text-scale", "4"}, "--text-scale: F is \"4\", but it must be a number from 0.5 to 3"},
        {{"--solve", "--max-states", "0"},
         "--max-states: N is \"0\", but it must be a whole number of states, 1 or more"},
        {{"--save-dir", ""}, "--save-dir: DIR is empty: name a folder for the saves"},
    };
    for (const auto &[arguments, said] : refused) {
        SCOPED_TRACE(arguments[1]);
        const ProcessResult result = runEngine(dir.path(), "", 30, arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find("adventure: " + said + "\n"), std::string::npos) << result.err;
    }
}

TEST(CommandLine, ASaveFolderInTheGamesFolderAtAnyDepthIsRefusedBeforeAnythingStarts)
{
    TempDir dir;
    writeGame(dir, "mygame", "game.xml");
    std::filesystem::create_directories(dir.file("mygame/deep"));
    std::filesystem::create_directories(dir.file("other"));
    std::filesystem::create_directory_symlink(dir.file("mygame"), dir.file("into"));
    std::filesystem::create_directory_symlink(dir.file("other"), dir.file("mygame/out"));
    const struct {
        std::string saveDir;
        std::string game;
        bool refused;
    } cases[] = {
        {"mygame", "mygame", true},
        {"mygame/", "mygame", true},
        {"mygame/saves", "mygame", true},
        {"mygame/deep/er/still", "mygame", true},
        {"other/../mygame/saves", "mygame", true},
        {"nowhere/../mygame/saves", "mygame", true},
        {"into/saves", "mygame", true},
        {"mygame/saves", "mygame/game.xml", true},
        {dir.file("mygame/./deep"), "mygame", true},
        {"mygame-saves", "mygame", false},
        {"other/saves", "mygame", false},
        {"mygame/out/saves", "mygame", false},
        {"mygame/deep/../../other", "mygame", false},
    };
    // Accepted, the run goes on to look for a display, which it lacks.
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    for (const auto &[saveDir, game, refused] : cases) {
        SCOPED_TRACE(saveDir);
        const ProcessResult result = runEngine(dir.path(), "\n", 30, {game, "--save-dir", saveDir});
        if (refused) {
            EXPECT_EQ(result.status, 2);
            EXPECT_EQ(result.err, "adventure: will not save in " + saveDir +
                                      " (--save-dir): it is in the game's folder, where saves are never written; "
                                      "name a folder outside it\n");
        } else {
            EXPECT_EQ(result.status, 1);
            EXPECT_NE(result.err.find("no X display"), std::string::npos) << result.err;
        }
    }
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("mygame/saves"))) << "nothing was made";
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

TEST(CommandLine, ARelativePathHasEveryImageDecodedAheadOfTheWindow)
{
    // Enough images that the second thread is still decoding when the
    // engine enters the game's folder.
    TempDir dir;
    writePng(dir.file("image.png"), 512, 512, sf::Color::Red);
    std::string sprites, placed;
    std::filesystem::create_directories(dir.file("games/study/img"));
    for (int i = 0; i < 40; ++i) {
        const std::string id = "s" + std::to_string(i);
        sprites += "<sprite id='" + id + "' src='" + id + ".png'/>";
        placed += "<" + id + "/>";
        std::filesystem::copy_file(dir.file("image.png"), dir.file("games/study/img/" + id + ".png"));
    }
    dir.write("games/study/game.xml", "<g entryScene='1' width='300' height='200' title='t' fps='30'><assets "
                                      "path='img'>" +
                                          sprites + "</assets><scenes><s sceneId='1'>" + placed + "</s></scenes></g>");
    const WorkingDirectory cwd(dir.path());
    Options options;
    std::string program = "adventure", path = "games/study";
    char *argv[] = {program.data(), path.data()};
    ASSERT_EQ(parseCommandLine(2, argv, options), std::nullopt);
    EXPECT_EQ(options.game.folder, dir.file("games/study"));
    EXPECT_EQ(options.game.shown, "games/study/game.xml");

    Game game;
    const int status = runInWindow(
        options, readGameDocument(options.game),
        [&](sf::RenderWindow &window, std::shared_ptr<const GameDocument> document) {
            // What was not decoded ahead cannot be read now.
            std::filesystem::remove_all(dir.file("games/study/img"));
            game.window = &window;
            game.start(std::move(document));
            EXPECT_EQ(game.sprites.size(), 40u);
            for (const ESprite *sprite : game.sprites)
                EXPECT_EQ(sprite->texture->getSize(), sf::Vector2u(512, 512)) << sprite->id;
            game.release();
            return 0;
        },
        [] {});
    EXPECT_EQ(status, 0);
}
