#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"
#include "support/EngineRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

// What the engine writes, and what it must never write over: the outputs of
// a run against the files it reads, failed writes, and signals mid-play.

namespace {

// Every file under the folders, by path, with its bytes.
std::map<std::string, std::string> contents(const std::vector<std::string> &folders)
{
    std::map<std::string, std::string> files;
    for (const std::string &folder : folders)
        for (const auto &entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files[entry.path().string()] = readWholeFile(entry.path().string());
    return files;
}

std::size_t occurrences(const std::string &text, const std::string &part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Scenes 0, 8, 10 and 16, each with music of its own, and a text whose
// colour the engine echoes on standard output.
constexpr const char *scenesGame = R"(<game entryScene="8" width="400" height="400" title="Outputs" fps="30">
  <assets path="assets">
    <sprite id="red" src="red.png" position="100, 100" origin="0, 0"/>
    <audio id="zero" src="tune.wav"/>
    <audio id="eight" src="tune.wav"/>
    <audio id="ten" src="tune.wav"/>
    <audio id="sixteen" src="tune.wav"/>
    <text id="note" src="DejaVuSans.ttf" color="1, 2, 3, 4">note</text>
  </assets>
  <scenes>
    <scene sceneId="0" music="zero"><red/></scene>
    <scene sceneId="8" music="eight"><red onClickText="note"/></scene>
    <scene sceneId="10" music="ten"><red/></scene>
    <scene sceneId="16" music="sixteen"><red/></scene>
  </scenes>
</game>
)";

class OutputFiles : public testing::Test {
protected:
    OutputFiles() : game(scenesGame)
    {
        game.image("red.png", 50, 50, red).font().tone("tune.wav", 0.2, 440, 0.3);
        files.write("play.replay", "at 1 click 120 120\nat 3 close\n");
        files.write("expected.trace", "{\"frame\": 0, \"event\": \"music\", \"id\": \"eight\"}\n");
    }

    ProcessResult run(std::vector<std::string> arguments) { return runEngine(game.path(), "\n", 60, arguments); }

    GameFolder game;
    TempDir files;
};

} // namespace

TEST_F(OutputFiles, AnOutputOntoAFileTheRunReadsIsRefusedBeforeAnythingPlaysAndEveryFileKeepsItsBytes)
{
    const std::string document = game.path() + "/game.xml", image = game.path() + "/assets/red.png";
    const std::string script = files.file("play.replay"), expected = files.file("expected.trace");
    std::filesystem::create_symlink(document, files.file("link.xml"));
    // A script beside the game, where a shot could reach its files.
    const std::string inGame = game.path() + "/shots.replay";
    struct Refused {
        const char *why;
        std::string scriptText;
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Refused> cases{
        {"recording onto the document",
         "",
         {"--record", document},
         "adventure: --record \"" + document + "\" is the game document; refusing to write over it"},
        {"trace onto the document through a symbolic link",
         "",
         {"--trace", files.file("link.xml")},
         "adventure: --trace \"" + files.file("link.xml") + "\" is the game document"},
        {"recording onto a file the document names",
         "",
         {"--record", image},
         "adventure: --record \"" + image + "\" is a file the game document names (assets/red.png)"},
        {"trace and recording one file not yet there",
         "",
         {"--record", files.file("both"), "--trace", files.path() + "/./both"},
         "adventure: --trace \"" + files.path() + "/./both\" is the recording (--record)"},
        {"trace onto the expected trace",
         "",
         {"--replay", script, "--expect", expected, "--trace", expected},
         "adventure: --trace \"" + expected + "\" is the expected trace"},
        {"trace onto the replay script",
         "",
         {"--replay", script, "--trace", script},
         "adventure: --trace \"" + script + "\" is the replay script"},
        {"shot onto the game's image",
         "at 1 shot assets/red.png\n",
         {"--replay", inGame},
         inGame + ":1:11: error: the shot \"assets/red.png\" is a file the game document names (assets/red.png)"},
        {"shot onto the trace",
         "at 1 shot t.png\n",
         {"--replay", inGame, "--trace", game.path() + "/t.png"},
         inGame + ":1:11: error: the shot \"t.png\" is the trace (--trace)"},
        {"shot hiding a NUL before .png",
         std::string("at 1 shot assets/x/../../game.xml\0.png\n", 39),
         {"--replay", inGame},
         inGame + ":1:34: error: a shot's file name may not hold control characters, as "
                  "\"assets/x/../../game.xml\\x00.png\" does"},
    };
    // Without a display, anything that went on to play would end with status 1.
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    for (const Refused &refused : cases) {
        SCOPED_TRACE(refused.why);
        if (!refused.scriptText.empty())
            std::ofstream(inGame, std::ios::binary) << refused.scriptText;
        const auto before = contents({game.path(), files.path()});
        const ProcessResult result = run(refused.arguments);
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_EQ(result.err.rfind(refused.message, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(contents({game.path(), files.path()}) == before) << "a file was written";
    }
    setenv("DISPLAY", display.c_str(), 1);
}

TEST_F(OutputFiles, AFailedWriteIsReportedOnceAndTheRunEndsWithStatusOneAfterPlaying)
{
    const ProcessResult replayed = run({"--replay", files.file("play.replay"), "--trace", "/dev/full"});
    EXPECT_EQ(replayed.status, 1);
    EXPECT_EQ(
        occurrences(replayed.err, "adventure: could not write the trace file /dev/full: No space left on device\n"), 1u)
        << replayed.err;

    EngineSession engine(game.path(), {"--record", "/dev/full", "--trace", files.file("trace.jsonl")});
    ASSERT_TRUE(engine.waitForWindow("Outputs", 400, 400));
    engine.click(45, 45);
    ASSERT_TRUE(engine.waitForStderr("adventure: could not write the recording /dev/full: No space left on device\n"))
        << "reported as it happens, not at the end";
    engine.click(200, 200);
    EXPECT_EQ(engine.closeAndExit(), 1);
    EXPECT_EQ(occurrences(engine.err(), "could not write"), 1u) << engine.err();
    EXPECT_NE(readWholeFile(files.file("trace.jsonl")).find("\"event\": \"text-dismissed\""), std::string::npos)
        << "the rest of the run goes on";
}

TEST_F(OutputFiles, SigintAndSigtermDuringPlayOrAtThePromptKeepEveryLineWritten)
{
    // A run clicked once and then stopped by `signal`, in play or at the prompt after the window closed.
    const auto interrupted = [&](std::vector<std::string> arguments, int signal, bool atPrompt) {
        EngineSession engine(game.path(), std::move(arguments));
        ASSERT_TRUE(engine.waitForWindow("Outputs", 400, 400));
        engine.click(45, 45);
        pollUntil(0.5, [] { return false; });
        if (atPrompt) {
            engine.sendCloseRequest();
            ASSERT_TRUE(engine.waitForWindowGone());
        }
        engine.sendSignal(signal);
        EXPECT_EQ(engine.waitForExit(), 128 + signal);
    };
    for (const int signal : {SIGINT, SIGTERM}) {
        for (const bool atPrompt : {false, true}) {
            SCOPED_TRACE(std::string(signal == SIGINT ? "SIGINT" : "SIGTERM") + (atPrompt ? " at the prompt" : ""));
            const std::string trace = files.file("trace.jsonl"), recording = files.file("recording.replay");
            // A watched game cannot record (its frames count on across reloads): the
            // recording is kept by a run of its own.
            interrupted({"--trace", trace, "--watch"}, signal, atPrompt);
            const std::string traced = readWholeFile(trace);
            EXPECT_EQ(traced.rfind("{\"frame\": 0, \"event\": \"music\", \"id\": \"eight\"}\n", 0), 0u) << traced;
            EXPECT_NE(traced.find("\"event\": \"text-shown\", \"id\": \"note\"}\n"), std::string::npos) << traced;
            interrupted({"--record", recording}, signal, atPrompt);
            EXPECT_NE(readWholeFile(recording).find(" click "), std::string::npos);
            EXPECT_EQ(readWholeFile(recording).find(" close") != std::string::npos, atPrompt);
        }
    }
}

TEST_F(OutputFiles, ATraceOnStandardOutputGetsNothingButTraceLines)
{
    const ProcessResult result = run({"--replay", files.file("play.replay"), "--trace", "/dev/stdout"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream lines(result.out);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_EQ(line.rfind("{\"frame\": ", 0), 0u) << line;
    EXPECT_GE(count, 3u) << result.out;
    EXPECT_NE(result.err.find("1234"), std::string::npos) << "the colour echo goes to standard error";
    EXPECT_EQ(result.err.find("vertical sync"), std::string::npos) << "a setting the engine never asks for";
}

TEST_F(OutputFiles, SceneReadsItsIdAsTheDocumentReadsASceneId)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"010", "ten"}, {"0x10", "zero"}, {"16", "sixteen"}, {"+8", "eight"}};
    for (const auto &[scene, music] : cases) {
        SCOPED_TRACE(scene);
        const ProcessResult result =
            run({"--replay", files.file("play.replay"), "--trace", files.file("scene.jsonl"), "--scene", scene});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(readWholeFile(files.file("scene.jsonl"))
                      .rfind("{\"frame\": 0, \"event\": \"music\", \"id\": \"" + music, 0),
                  0u);
    }
}
