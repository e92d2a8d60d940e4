#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"
#include "support/EngineRun.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

// Saves played through replays and in play: F5, F9, the close, --load and
// --continue, judged by the trace and by the files written.

namespace fs = std::filesystem;

namespace {

bool has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// Scene 1: the red square sets "lamp" and gives a key and a coin; the door
// leads to scene 2, whose door leads back.
std::string cellar(const std::string &state = "<flag id=\"lamp\"/>", const std::string &redAt = "100, 100",
                   const std::string &gives = "key, coin", bool withSceneTwo = true,
                   const std::string &root = "saveName=\"cellar\" gameVersion=\"1.0\"")
{
    return R"(<game entryScene="1" width="550" height="550" title="Saves" fps="30" )" + root + R"(>
  <state>)" +
           state + R"(</state>
  <assets path="assets">
    <sprite id="red" src="red.png" position=")" +
           redAt + R"(" origin="0, 0"/>
    <sprite id="door" src="red.png" position="800, 100" origin="0, 0"/>
    <player src="walker.png" speed="10" position="500, 500" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1"><player/><red setFlag="lamp" giveItem=")" +
           gives + R"("/><door onClickScene="2"/></scene>)" +
           (withSceneTwo ? R"(<scene sceneId="2"><player position="300, 300"/><door onClickScene="1"/></scene>)" : "") +
           R"(
  </scenes>
</game>
)";
}

class Saves : public testing::Test {
protected:
    Saves() : game(cellar()) { game.image("walker.png", 20, 20, magenta).image("red.png", 100, 100, red); }

    void writeDocument(const std::string &document)
    {
        std::ofstream(game.path() + "/game.xml", std::ios::binary) << document;
    }

    // Replays `script` with saves in `saveDir`; the trace is left in `trace`.
    ProcessResult replay(const std::string &script, const std::string &saveDir, std::vector<std::string> more = {})
    {
        files.write("play.replay", script);
        std::vector<std::string> arguments{"--replay", files.file("play.replay"), "--trace", files.file("trace.jsonl")};
        if (!saveDir.empty()) {
            arguments.push_back("--save-dir");
            arguments.push_back(saveDir);
        }
        arguments.insert(arguments.end(), more.begin(), more.end());
        ProcessResult result = runEngine(game.path(), "", 60, arguments);
        trace = readWholeFile(files.file("trace.jsonl"));
        return result;
    }

    std::vector<std::string> gameFiles() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(game.path()))
            names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    GameFolder game;
    TempDir files;
    TempDir saves;
    std::string trace;
};

const char *const takeAndSave = "at 2 click 150 150\nat 20 key F5\nat 22 close\n";

} // namespace

TEST_F(Saves, OneReplayRunTwiceGivesTheSameSavesByteForByteInTheStatedShape)
{
    const std::vector<std::string> before = gameFiles();
    ASSERT_EQ(replay(takeAndSave, saves.file("one")).status, 0);
    EXPECT_TRUE(has(trace, "{\"frame\": 20, \"event\": \"save\", \"slot\": \"quick\"}\n")) << trace;
    EXPECT_TRUE(has(trace, "{\"frame\": 22, \"event\": \"save\", \"slot\": \"auto\"}\n")) << trace;
    ASSERT_EQ(replay(takeAndSave, saves.file("two")).status, 0);
    const std::string quick = readWholeFile(saves.file("one/quick.json"));
    EXPECT_EQ(quick, readWholeFile(saves.file("two/quick.json")));
    EXPECT_EQ(readWholeFile(saves.file("one/auto.json")), readWholeFile(saves.file("two/auto.json")));

    const nlohmann::ordered_json save = nlohmann::ordered_json::parse(quick);
    std::vector<std::string> keys;
    for (const auto &item : save.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"format", "saveName", "gameVersion", "scene", "player", "flags", "items",
                                              "visited"}));
    EXPECT_EQ(save["saveName"], "cellar");
    EXPECT_EQ(save["gameVersion"], "1.0");
    EXPECT_EQ(save["flags"], nlohmann::ordered_json::array({"lamp"}));
    EXPECT_EQ(save["items"], nlohmann::ordered_json::array({"key", "coin"}));
    EXPECT_EQ(save["visited"], nlohmann::ordered_json::array({1}));
    EXPECT_EQ(gameFiles(), before) << "something was written beside the document";
}

TEST_F(Saves, ASaveOutlivesAnEditOfTheGameByNameAndFormerNames)
{
    ASSERT_EQ(replay(takeAndSave, saves.path()).status, 0);
    // "lamp" is renamed, "fresh" is new and starts set, the coin is gone and the square moved.
    writeDocument(cellar(R"(<flag id="light" formerly="lamp"/><flag id="fresh" set="true"/>)", "160, 160", "key"));
    const ProcessResult loaded =
        replay("at 1 key F5\nat 2 close\n", saves.file("after"), {"--load", saves.file("quick.json")});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_TRUE(has(trace, "{\"frame\": 0, \"event\": \"load\", \"slot\": \"quick\"}\n")) << trace;
    EXPECT_TRUE(has(trace, "\"event\": \"scene-enter\", \"scene\": 1, \"from\": \"load\", \"first\": false}")) << trace;
    EXPECT_TRUE(has(loaded.err, "the item \"coin\" is not in this game")) << loaded.err;
    const nlohmann::json after = nlohmann::json::parse(readWholeFile(saves.file("after/quick.json")));
    EXPECT_EQ(after["flags"], nlohmann::json::array({"fresh", "light"}));
    EXPECT_EQ(after["items"], nlohmann::json::array({"key"}));
    EXPECT_EQ(after["player"], nlohmann::json::parse(readWholeFile(saves.file("quick.json")))["player"])
        << "the player is placed where the save says, not by the scene";
}

TEST_F(Saves, ATruncatedQuickSaveLoadsItsBackupAndARemovedSceneIsRefused)
{
    // Two saves: the first, in scene 1, becomes the backup of the second, in scene 2.
    ASSERT_EQ(replay("at 2 click 150 150\nat 10 key F5\nat 12 click 850 150\nat 14 key F5\n", saves.path()).status, 0);
    const std::string quick = readWholeFile(saves.file("quick.json"));
    ASSERT_TRUE(has(quick, "\"scene\": 2")) << quick;
    std::ofstream(saves.file("quick.json"), std::ios::binary) << quick.substr(0, quick.size() / 2);
    const ProcessResult fellBack = replay("at 3 key F9\n", saves.path());
    ASSERT_EQ(fellBack.status, 0) << fellBack.err;
    EXPECT_TRUE(has(trace, "{\"frame\": 3, \"event\": \"load-failed\", \"slot\": \"quick\", \"reason\": \"corrupt\"}\n"
                           "{\"frame\": 3, \"event\": \"load-fallback\", \"slot\": \"quick\"}\n"
                           "{\"frame\": 3, \"event\": \"load\", \"slot\": \"quick\"}\n"))
        << trace;

    // The save in scene 2, in a game that has lost scene 2: refused, and play goes on as it was.
    std::ofstream(saves.file("quick.json"), std::ios::binary) << quick;
    writeDocument(cellar("<flag id=\"lamp\"/>", "100, 100", "key, coin", false));
    const ProcessResult refused = replay("at 3 key F9\nat 4 click 150 150\n", saves.path());
    EXPECT_EQ(refused.status, 0);
    EXPECT_TRUE(has(trace, "{\"frame\": 3, \"event\": \"load-failed\", \"slot\": \"quick\", \"reason\": "
                           "\"missing-scene\"}\n{\"frame\": 4, \"event\": \"click\""))
        << trace;
    EXPECT_FALSE(has(trace, "scene-leave")) << trace;
    EXPECT_TRUE(has(refused.err, "quick.json: error: the save is in scene 2")) << refused.err;
    EXPECT_EQ(readWholeFile(saves.file("quick.json")), quick);
}

TEST_F(Saves, AFolderWhereTheSaveGoesIsLeftAloneAndPlayGoesOn)
{
    fs::create_directories(saves.file("quick.json"));
    saves.write("quick.json/mine", "keep me");
    const ProcessResult result = replay("at 2 key F5\nat 3 click 150 150\nat 5 close\n", saves.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(has(trace, "{\"frame\": 2, \"event\": \"save-failed\", \"slot\": \"quick\", \"reason\": "
                           "\"in-the-way\"}\n{\"frame\": 3, \"event\": \"click\""))
        << trace;
    EXPECT_TRUE(has(trace, "{\"frame\": 5, \"event\": \"save\", \"slot\": \"auto\"}")) << trace;
    EXPECT_TRUE(has(result.err, "quick.json")) << result.err;
    EXPECT_EQ(readWholeFile(saves.file("quick.json/mine")), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(saves.file("quick.json")), fs::directory_iterator()), 1);
}

TEST_F(Saves, SavesGoUnderXdgDataHomeOrHomeAndContinueStartsFromTheAutoSave)
{
    const std::string previousHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::string traced = files.file("played.jsonl");
    setenv("XDG_DATA_HOME", saves.file("data").c_str(), 1);
    {
        EngineSession engine(game.path(), {"--trace", traced});
        ASSERT_TRUE(engine.waitForWindow("Saves", 550, 550));
        engine.click(75, 75);
        ASSERT_TRUE(pollUntil(10, [&] { return has(readWholeFile(traced), "\"item-added\", \"id\": \"coin\""); }))
            << readWholeFile(traced);
        EXPECT_EQ(engine.closeAndExit(), 0);
    }
    EXPECT_TRUE(has(readWholeFile(saves.file("data/adventure/cellar/auto.json")), "\"items\": [\"key\", \"coin\"]"));
    {
        EngineSession engine(game.path(), {"--continue", "--trace", traced});
        ASSERT_TRUE(engine.waitForWindow("Saves", 550, 550));
        EXPECT_EQ(engine.closeAndExit(), 0);
    }
    EXPECT_EQ(readWholeFile(traced).rfind("{\"frame\": 0, \"event\": \"load\", \"slot\": \"auto\"}\n", 0), 0u)
        << readWholeFile(traced);

    unsetenv("XDG_DATA_HOME");
    setenv("HOME", saves.file("home").c_str(), 1);
    {
        EngineSession engine(game.path(), {"--continue", "--trace", traced});
        const bool shown = engine.waitForWindow("Saves", 550, 550);
        EXPECT_TRUE(engine.waitForStderr("no auto save to continue from"));
        engine.sendSignal(SIGTERM);
        EXPECT_EQ(engine.waitForExit(), 128 + SIGTERM);
        setenv("HOME", previousHome.c_str(), 1);
        ASSERT_TRUE(shown);
    }
    EXPECT_FALSE(has(readWholeFile(traced), "\"load")) << readWholeFile(traced);
    EXPECT_TRUE(fs::is_regular_file(saves.file("home/.local/share/adventure/cellar/auto.json")));
}

TEST_F(Saves, AReplayInAHomeThatHoldsSavesLeavesThemByteIdenticalAndItsOwnFolderGone)
{
    // The player's saves, each slot with a backup of another state.
    const std::string made = saves.file("made");
    ASSERT_EQ(replay("at 1 key F5\nat 2 close\n", made).status, 0);
    ASSERT_EQ(replay(takeAndSave, made).status, 0);
    const std::vector<std::string> slots{"auto.json", "auto.json.bak", "quick.json", "quick.json.bak"};
    std::map<std::string, std::string> kept;
    for (const std::string &slot : slots)
        kept[slot] = readWholeFile(made + "/" + slot);
    ASSERT_NE(kept["quick.json"], kept["quick.json.bak"]);

    const std::string previousHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const TempDir temporary;
    setenv("TMPDIR", temporary.path().c_str(), 1);
    // The test's own temporary folders are made there too.
    const auto replayFolders = [&] {
        std::vector<std::string> found;
        for (const fs::directory_entry &entry : fs::directory_iterator(temporary.path()))
            if (entry.path().filename().string().rfind("adventure-test-", 0) != 0)
                found.push_back(entry.path().string());
        return found;
    };
    const auto contents = [](const std::string &folder) {
        std::map<std::string, std::string> found;
        for (const fs::directory_entry &entry : fs::directory_iterator(folder))
            found[entry.path().filename().string()] = readWholeFile(entry.path().string());
        return found;
    };
    const struct {
        const char *home;
        const char *xdgDataHome;
        const char *saves;
    } places[] = {{"", "data", "data/adventure/cellar"}, {"home", "", "home/.local/share/adventure/cellar"}};
    for (const auto &place : places) {
        SCOPED_TRACE(place.saves);
        fs::create_directories(saves.file(place.saves));
        for (const std::string &slot : slots)
            fs::copy_file(made + "/" + slot, saves.file(place.saves + std::string("/") + slot),
                          fs::copy_options::overwrite_existing);
        if (*place.xdgDataHome)
            setenv("XDG_DATA_HOME", saves.file(place.xdgDataHome).c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        if (*place.home)
            setenv("HOME", saves.file(place.home).c_str(), 1);

        // To its end: --continue and F9 find no save, F5 and the close save elsewhere.
        const ProcessResult ended = replay("at 1 key F9\nat 2 key F5\nat 3 close\n", "", {"--continue"});
        EXPECT_EQ(ended.status, 0) << ended.err;
        EXPECT_TRUE(has(ended.err, "no auto save to continue from")) << ended.err;
        EXPECT_TRUE(has(trace, "{\"frame\": 1, \"event\": \"load-failed\", \"slot\": \"quick\", \"reason\": "
                               "\"missing\"}\n{\"frame\": 2, \"event\": \"save\", \"slot\": \"quick\"}\n"
                               "{\"frame\": 3, \"event\": \"save\", \"slot\": \"auto\"}\n"))
            << trace;
        EXPECT_EQ(contents(saves.file(place.saves)), kept) << "after a replay played to its end";
        EXPECT_EQ(replayFolders(), std::vector<std::string>()) << "after a replay played to its end";

        // Failing: its trace is not the one expected.
        files.write("other.jsonl", "{\"frame\": 0, \"event\": \"goal\"}\n");
        const ProcessResult failed = replay("at 2 key F5\nat 3 close\n", "", {"--expect", files.file("other.jsonl")});
        EXPECT_EQ(failed.status, 1) << failed.err;
        EXPECT_EQ(contents(saves.file(place.saves)), kept) << "after a replay that failed";
        EXPECT_EQ(replayFolders(), std::vector<std::string>()) << "after a replay that failed";

        // Ended by a stop signal, after it saved.
        files.write("long.replay", "at 2 key F5\nat 5000000 close\n");
        const std::string traced = files.file("long.jsonl");
        EngineSession engine(game.path(), {"--replay", files.file("long.replay"), "--trace", traced});
        EXPECT_TRUE(pollUntil(10, [&] { return has(readWholeFile(traced), "\"event\": \"save\""); }));
        engine.sendSignal(SIGTERM);
        EXPECT_EQ(engine.waitForExit(), 128 + SIGTERM);
        EXPECT_EQ(contents(saves.file(place.saves)), kept) << "after a replay ended by SIGTERM";
        EXPECT_EQ(replayFolders(), std::vector<std::string>()) << "after a replay ended by SIGTERM";
    }
    setenv("HOME", previousHome.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("TMPDIR");
}

TEST_F(Saves, AGameWithoutASaveNameIgnoresTheKeysAndTheClose)
{
    writeDocument(cellar("<flag id=\"lamp\"/>", "100, 100", "key, coin", true, ""));
    ASSERT_EQ(replay("at 2 key F5\nat 3 key F9\nat 4 close\n", saves.file("none")).status, 0);
    EXPECT_FALSE(has(trace, "save")) << trace;
    EXPECT_FALSE(has(trace, "load")) << trace;
    EXPECT_FALSE(fs::exists(saves.file("none")));
}

TEST_F(Saves, TheCheckerJudgesSaveNamesFormerNamesAndSaveFiles)
{
    ASSERT_EQ(replay(takeAndSave, saves.path()).status, 0);
    ProcessResult checked = runEngine(game.path(), "", 30, {"--check", "--save", saves.file("quick.json")});
    EXPECT_EQ(checked.status, 0) << checked.out;

    saves.write("broken.json", "{\"format\": 1,\n \"saveName\": [");
    checked = runEngine(game.path(), "", 30, {"--check", "--save", saves.file("broken.json")});
    EXPECT_EQ(checked.status, 1);
    EXPECT_TRUE(has(checked.out, saves.file("broken.json") + ":2:15: error: the save is not JSON")) << checked.out;

    saves.write("other.json", "{\"format\": 1, \"saveName\": \"attic\", \"scene\": 1}");
    checked = runEngine(game.path(), "", 30, {"--check", "--save", saves.file("other.json")});
    EXPECT_TRUE(has(checked.out, "error: the save is of the game \"attic\"")) << checked.out;

    writeDocument(cellar("<flag id=\"lamp\"/>", "100, 100", "key", true, "saveName=\"my cellar\""));
    checked = runEngine(game.path(), "", 30, {"--check"});
    EXPECT_TRUE(has(checked.out, "game.xml:1:80: error: \"saveName\" is \"my cellar\"")) << checked.out;

    writeDocument(cellar(R"(<flag id="lamp"/><flag id="light" formerly="old, lamp"/>)"));
    checked = runEngine(game.path(), "", 30, {"--check"});
    EXPECT_TRUE(has(checked.out, "error: \"formerly\" names \"lamp\", which is the id of a flag")) << checked.out;
}

TEST_F(Saves, ARefusedSaveIsKeptAsideBeforeAnythingIsWrittenInItsPlace)
{
    const std::string newer = "{\"format\": 9, \"saveName\": \"cellar\", \"scene\": 1}\n";
    for (const char *kept : {"auto.refused.json", "auto.refused-2.json"}) {
        std::ofstream(saves.file("auto.json"), std::ios::binary) << newer;
        const ProcessResult result = replay("at 2 close\n", saves.path(), {"--continue"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(has(result.err, std::string("the next save keeps it as ") + saves.file(kept))) << result.err;
        EXPECT_EQ(readWholeFile(saves.file(kept)), newer) << kept;
        EXPECT_TRUE(has(readWholeFile(saves.file("auto.json")), "\"format\": 1")) << "the close saved";
    }
    EXPECT_EQ(readWholeFile(saves.file("auto.refused.json")), newer) << "never overwritten";
}

TEST_F(Saves, AMissingSaveIsMissingAndABackupIsNamedOnlyWhereThereIsOne)
{
    const ProcessResult missing = replay("at 2 close\n", saves.path(), {"--load", saves.file("gone.json")});
    EXPECT_EQ(missing.status, 0) << "the game plays from its start";
    EXPECT_TRUE(has(missing.err, "gone.json: error: there is no save here (missing; nothing was loaded)"))
        << missing.err;
    EXPECT_FALSE(has(missing.err, ".bak")) << missing.err;
    EXPECT_TRUE(has(trace, "\"event\": \"load-failed\", \"slot\": \"gone\", \"reason\": \"missing\"}")) << trace;
    EXPECT_FALSE(has(trace, "load-fallback")) << trace;
}

TEST_F(Saves, AnItemListedTwiceOrAVisitedSceneTheGameLacksIsWarnedOf)
{
    const std::string save = "{\"format\": 1, \"saveName\": \"cellar\", \"scene\": 1, \"items\": [\"key\", \"key\"], "
                             "\"visited\": [1, 7]}\n";
    std::ofstream(saves.file("odd.json"), std::ios::binary) << save;
    const ProcessResult loaded = replay("at 2 close\n", saves.path(), {"--load", saves.file("odd.json")});
    EXPECT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_TRUE(has(loaded.err, "warning: the item \"key\" is listed again; it is held once")) << loaded.err;
    EXPECT_TRUE(has(loaded.err, "warning: the visited scene 7 is not in this game; it is dropped")) << loaded.err;
    EXPECT_TRUE(has(trace, "\"event\": \"load\"")) << trace;
}

TEST_F(Saves, AStopSignalDuringPlayEndsItAsClosingTheWindowDoesWithTheAutoSave)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        fs::remove(saves.file("auto.json"));
        const std::string traced = files.file("signal.jsonl");
        EngineSession engine(game.path(), {"--save-dir", saves.path(), "--trace", traced});
        ASSERT_TRUE(engine.waitForWindow("Saves", 550, 550));
        engine.click(75, 75);
        ASSERT_TRUE(pollUntil(10, [&] { return has(readWholeFile(traced), "\"item-added\", \"id\": \"coin\""); }))
            << readWholeFile(traced);
        engine.sendSignal(signal);
        EXPECT_EQ(engine.waitForExit(), 128 + signal) << "it ends as the signal ends it";
        EXPECT_TRUE(has(readWholeFile(saves.file("auto.json")), "\"items\": [\"key\", \"coin\"]"))
            << "the state reached is saved";
    }
}
