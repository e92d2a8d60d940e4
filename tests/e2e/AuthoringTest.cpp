#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// One red 100 x 100 sprite at `position`, in a 550 x 550 window (half a
// pixel per world unit); `assets` replaces the assets element's attributes.
std::string oneSprite(const std::string &position, const std::string &assets = "path=\"assets\"")
{
    return R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets )" +
           assets + R"(>
    <sprite id="box" src="box.png" position=")" +
           position + R"(" origin="0, 0"/>
  </assets>
  <scenes><scene sceneId="1"><box/></scene></scenes>
</game>
)";
}

// Saves as editors do: a new file renamed over the old one.
void save(const std::string &path, const std::string &content)
{
    std::ofstream(path + ".new", std::ios::binary) << content;
    std::rename((path + ".new").c_str(), path.c_str());
}

std::function<bool(const Screenshot &)> boxAt(Rgb colour, int left, int top)
{
    return [=](const Screenshot &shot) {
        const std::optional<PixelRect> bounds = shot.boundsOf(colour);
        return bounds && *bounds == PixelRect{left, top, left + 50, top + 50};
    };
}

// Counts how often the file `name` in `folder` is opened, as the kernel
// reports it. Closes are watched too: the kernel merges an event into the
// one before when they are the same, and an open is always closed between.
class OpenCount {
public:
    OpenCount(const std::string &folder, std::string name)
        : events(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), file(std::move(name))
    {
        inotify_add_watch(events, folder.c_str(), IN_OPEN | IN_CLOSE_NOWRITE | IN_CLOSE_WRITE);
    }
    ~OpenCount() { close(events); }
    OpenCount(const OpenCount &) = delete;
    OpenCount &operator=(const OpenCount &) = delete;

    // The opens since the last call.
    int opens()
    {
        alignas(inotify_event) char buffer[4096];
        int count = 0;
        for (ssize_t got = 0; (got = read(events, buffer, sizeof buffer)) > 0;)
            for (const char *at = buffer; at < buffer + got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if ((event->mask & IN_OPEN) != 0 && event->len > 0 && file == event->name)
                    ++count;
                at += sizeof(inotify_event) + event->len;
            }
        return count;
    }

private:
    int events;
    std::string file;
};

} // namespace

TEST(Authoring, WatchReloadsSavedDocumentsAndImagesAndKeepsTheLastGoodGame)
{
    GameFolder game(oneSprite("100, 100"));
    game.image("box.png", 100, 100, red);
    const std::string document = game.path() + "/game.xml";
    EngineSession engine(game.path(), {"--watch"});
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    ASSERT_TRUE(engine.waitForScreen("the box at its first place", boxAt(red, 50, 50)));

    save(document, oneSprite("500, 500", "path=\"assets\" Path=\"x\""));
    EXPECT_TRUE(engine.waitForScreen("the box moved by the saved document", boxAt(red, 250, 250)));
    EXPECT_TRUE(engine.waitForStderr("game.xml:2:31: warning: <assets> does not read \"Path\""))
        << "every load prints the checker's warnings";

    GameFolder replacement("");
    replacement.image("box.png", 100, 100, green);
    std::rename((replacement.path() + "/assets/box.png").c_str(), (game.path() + "/assets/box.png").c_str());
    EXPECT_TRUE(engine.waitForScreen("the new pixels of the replaced image", boxAt(green, 250, 250)));

    save(document, oneSprite("100, 100", "paht=\"assets\""));
    EXPECT_TRUE(engine.waitForStderr("game.xml:2:3: error: <assets> has no \"path\" attribute\n"));
    EXPECT_TRUE(boxAt(green, 250, 250)(engine.screenshot())) << "the last good game plays on";
    EXPECT_TRUE(engine.running());

    save(document, oneSprite("100, 100"));
    EXPECT_TRUE(engine.waitForScreen("the fixed save", boxAt(green, 50, 50)));
    EXPECT_EQ(engine.closeAndExit(), 0);
}

TEST(Authoring, SceneOptionPlaysTheSceneAskedFor)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="first" src="red.png" position="100, 100" origin="0, 0"/>
    <sprite id="second" src="blue.png" position="100, 100" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1"><first/></scene>
    <scene sceneId="02"><second/></scene>
  </scenes>
</game>
)");
    game.image("red.png", 100, 100, red).image("blue.png", 100, 100, blue);
    EngineSession engine(game.path(), {"--scene", "2"});
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    EXPECT_TRUE(engine.waitForScreen("scene 2's sprite", boxAt(blue, 50, 50)));
    EXPECT_EQ(engine.screenshot().count(red), 0);
    EXPECT_EQ(engine.closeAndExit(), 0);

    EngineSession missing(game.path(), {"--scene", "5"});
    EXPECT_TRUE(missing.waitForStderr("game.xml:6:3: error: no scene has sceneId 5 (asked for by --scene)\n"));
    missing.pressEnter();
    EXPECT_EQ(missing.waitForExit(), 1);
}

TEST(Authoring, DebugOverlayOutlinesWhereAClickHitsAndShowsThePointer)
{
    GameFolder game(oneSprite("200, 300"));
    game.image("box.png", 100, 100, red);
    EngineSession engine(game.path(), {"--debug"});
    ASSERT_TRUE(engine.waitForWindow("E2E - 0, 0", 550, 550));
    Screenshot shot;
    EXPECT_TRUE(engine.waitForScreen(
        "the sprite's bounds outlined", [](const Screenshot &s) { return s.at(100, 150) == cyan; }, &shot));
    EXPECT_EQ(shot.at(149, 199), cyan) << "the outline runs inside the bounds, which end at (150, 200)";
    EXPECT_EQ(shot.at(150, 200), black);
    EXPECT_EQ(shot.at(125, 190), red) << "the inside stays the game's";

    engine.click(125, 175);
    EXPECT_TRUE(pollUntil(2, [&] { return engine.title() == "E2E - 250, 350"; })) << engine.title();
    EXPECT_EQ(engine.closeAndExit(), 0);
}

TEST(Authoring, WatchFollowsAFolderDeletedAndMadeAgainAndADocumentThatIsALink)
{
    namespace fs = std::filesystem;
    TempDir root;
    // The game in G, its image beside it in A, outside the folder.
    fs::create_directories(root.file("G"));
    fs::create_directories(root.file("A"));
    writePng(root.file("A/box.png"), 100, 100, sf::Color::Red);
    save(root.file("G/game.xml"), oneSprite("100, 100", "path=\"../A\""));
    EngineSession engine(root.file("G"), {"--watch"});
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    ASSERT_TRUE(engine.waitForScreen("the box at its first place", boxAt(red, 50, 50)));

    fs::remove_all(root.file("G"));
    writePng(root.file("A/box.png.new.png"), 100, 100, sf::Color::Green);
    fs::rename(root.file("A/box.png.new.png"), root.file("A/box.png"));
    EXPECT_TRUE(engine.waitForStderr("game.xml:1:1: error: cannot open game.xml: No such file or directory\n"))
        << "a save while the game's folder is gone is refused";
    EXPECT_TRUE(engine.running());
    fs::create_directories(root.file("G"));
    save(root.file("G/game.xml"), oneSprite("500, 500", "path=\"../A\""));
    EXPECT_TRUE(engine.waitForScreen("the game of the folder made again", boxAt(green, 250, 250)));

    // game.xml a link into another folder: a save there is seen.
    fs::create_directories(root.file("real"));
    save(root.file("real/game.xml"), oneSprite("100, 500", "path=\"../A\""));
    fs::remove(root.file("G/game.xml"));
    fs::create_symlink("../real/game.xml", root.file("G/game.xml"));
    EXPECT_TRUE(engine.waitForScreen("the game behind the link", boxAt(green, 50, 250)));
    save(root.file("real/game.xml"), oneSprite("500, 100", "path=\"../A\""));
    EXPECT_TRUE(engine.waitForScreen("the save in the link's folder", boxAt(green, 250, 50)));
    EXPECT_EQ(engine.closeAndExit(), 0);
}

// A document of 50 MB takes a while to read and parse: each start and each
// reload does it once, however many parts of the engine need the document
// (the output guard, the save places, the prefetch, the loader, the checker).
TEST(Authoring, TheDocumentIsReadOnceForAStartAndOnceForEachReload)
{
    GameFolder game(oneSprite("100, 100"));
    game.image("box.png", 100, 100, red);
    const std::string document = game.path() + "/game.xml";
    TempDir outputs;
    OpenCount reads(game.path(), "game.xml");
    {
        EngineSession engine(game.path(), {"--trace", outputs.file("trace.jsonl")});
        ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
        ASSERT_TRUE(engine.waitForScreen("the box", boxAt(red, 50, 50)));
        EXPECT_EQ(reads.opens(), 1) << "playing";
        EXPECT_EQ(engine.closeAndExit(), 0);
    }

    EngineSession engine(game.path(), {"--watch"});
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    ASSERT_TRUE(engine.waitForScreen("the box", boxAt(red, 50, 50)));
    EXPECT_EQ(reads.opens(), 1) << "starting to watch";
    save(document, oneSprite("500, 500", "path=\"assets\" Path=\"x\""));
    ASSERT_TRUE(engine.waitForStderr("game.xml:2:31: warning: <assets> does not read \"Path\""));
    EXPECT_EQ(reads.opens(), 1) << "a reload, with the checker's warnings";
    save(document, oneSprite("100, 100", "paht=\"assets\""));
    ASSERT_TRUE(engine.waitForStderr("game.xml:2:17: warning: <assets> does not read \"paht\""));
    EXPECT_EQ(reads.opens(), 1) << "a refused reload, with the checker's warnings";
    EXPECT_EQ(engine.closeAndExit(), 0);

    EngineSession solving(game.path(), {"--solve"});
    solving.waitForExit();
    EXPECT_EQ(reads.opens(), 1) << "solving";
}
