#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"
#include "support/EngineRun.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

// The engine replaying scripts under Xvfb, judged by the trace it writes:
// which frame each thing happened in, exactly.

namespace {

// A script with each "at FRAME" written "at N", for frames that depend on timing.
std::string withoutFrames(const std::string &script)
{
    std::istringstream in(script);
    std::string result;
    for (std::string line; std::getline(in, line);) {
        const std::size_t digits = line.find_first_not_of("0123456789", 3);
        const bool numbered = line.rfind("at ", 0) == 0 && digits > 3 && digits != std::string::npos;
        result += (numbered ? "at N" + line.substr(digits) : line) + "\n";
    }
    return result;
}

// A script without the moves that only bring the pointer to the next click:
// the test's clicks move the pointer first, and under load the move lands a
// frame before the press, where the recording rightly keeps it.
std::string withoutMovesOntoClicks(const std::string &script)
{
    std::istringstream in(script);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::string result;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t move = lines[i].find(" move ");
        const bool ontoClick = move != std::string::npos && i + 1 < lines.size() &&
                               lines[i + 1].find(" click " + lines[i].substr(move + 6)) != std::string::npos;
        if (!ontoClick)
            result += lines[i] + "\n";
    }
    return result;
}

std::string positionLine(const char *event, int frame, int x, int y)
{
    return "{\"frame\": " + std::to_string(frame) + ", \"event\": \"" + event + "\", \"x\": " + std::to_string(x) +
           ", \"y\": " + std::to_string(y) + "}\n";
}

std::string idLine(const char *event, int frame, const char *id)
{
    return "{\"frame\": " + std::to_string(frame) + ", \"event\": \"" + event + "\", \"id\": \"" + id + "\"}\n";
}

// A 20-unit magenta player at (500, 500), ten units a frame, kept inside
// x 100..900 and y 50..700, and a red square at (100, 100) that beeps and
// shows a yellow note. The 550-pixel window shows two world units a pixel.
constexpr const char *walkingGame = R"(<game entryScene="1" width="550" height="550" title="E2E" fps="30">
  <assets path="assets">
    <sprite id="red" src="red.png" position="100, 100" origin="0, 0"/>
    <audio id="tune" src="tune.wav"/>
    <audio id="beep" src="beep.wav"/>
    <text id="note" src="DejaVuSans.ttf" size="100" color="255, 255, 0, 255">█</text>
    <player src="walker.png" speed="10" position="500, 500" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1" music="tune" leftLevelLimit="100" upperLevelLimit="50" rightLevelLimit="900"
           lowerLevelLimit="700">
      <player/>
      <red onClickAudio="beep" onClickText="note" textPosition="600, 100"/>
    </scene>
  </scenes>
</game>
)";

class Replay : public testing::Test {
protected:
    Replay() : game(walkingGame)
    {
        game.image("walker.png", 20, 20, magenta).image("red.png", 100, 100, red).font();
        game.tone("tune.wav", 0.5, 220, 0.3).tone("beep.wav", 0.1, 880, 0.5);
    }

    // Replays `script` as play.replay in `folder`, tracing to trace.jsonl there.
    ProcessResult replay(const std::string &script, const TempDir &folder, std::vector<std::string> more = {})
    {
        folder.write("play.replay", script);
        std::vector<std::string> arguments{"--replay", folder.file("play.replay"), "--trace",
                                           folder.file("trace.jsonl")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return runEngine(game.path(), "", 60, arguments);
    }

    std::string replayedTrace(const std::string &script)
    {
        const ProcessResult result = replay(script, files);
        EXPECT_EQ(result.status, 0) << result.err;
        return readWholeFile(files.file("trace.jsonl"));
    }

    GameFolder game;
    TempDir files;
};

} // namespace

TEST_F(Replay, AClickShowsTheNoteAndTheNextDismissesItWithTheSoundPlayingInBothFrames)
{
    // The square is at 100..200, left of and above the player's limits; each
    // click also sends the player to the clamped point, one step a frame.
    const std::string trace = replayedTrace("at 3 click 150 150\nat 4 click 150 150\nat 4 close\n");
    const std::string expected = idLine("music", 0, "tune") + positionLine("click", 3, 150, 150) +
                                 positionLine("walk", 3, 150, 150) + idLine("sound", 3, "beep") +
                                 idLine("text-shown", 3, "note") + positionLine("player", 4, 492, 492) +
                                 positionLine("click", 4, 150, 150) + positionLine("walk", 4, 150, 150) +
                                 idLine("text-dismissed", 4, "note") + idLine("sound", 4, "beep");
    EXPECT_EQ(trace, expected);
}

TEST_F(Replay, PointsAreTracedAsWrittenAndTargetsAsClampedToWholeUnits)
{
    const std::string trace = replayedTrace("at 1 click 0.1 687.5\n");
    EXPECT_NE(trace.find("{\"frame\": 1, \"event\": \"click\", \"x\": 0.1, \"y\": 687.5}\n"), std::string::npos)
        << trace;
    EXPECT_NE(trace.find(positionLine("walk", 1, 100, 687)), std::string::npos) << trace;
}

TEST_F(Replay, TwoRunsGiveTheSameTraceAndTheSameScreenshotsOfTheFramesAsDrawn)
{
    const std::string script = "at 2 click 1000 500\nat 2 shot before.png\nat 12 click 150 150\n"
                               "at 12 shot walked.png\nat 20 close\n";
    TempDir second;
    const ProcessResult first = replay(script, files);
    const ProcessResult again = replay(script, second);
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(readWholeFile(files.file("trace.jsonl")), readWholeFile(second.file("trace.jsonl")));
    for (const char *shot : {"before.png", "walked.png"}) {
        const std::string bytes = readWholeFile(files.file(shot));
        EXPECT_GT(bytes.size(), 100u) << shot;
        EXPECT_TRUE(bytes == readWholeFile(second.file(shot))) << shot << " differs between two runs";
    }

    // Frame 2 is drawn before the player's first step, in frame 3; by frame
    // 12 it has taken ten, to x 600, and the note is up.
    sf::Image before, walked;
    ASSERT_TRUE(before.loadFromFile(files.file("before.png")));
    ASSERT_TRUE(walked.loadFromFile(files.file("walked.png")));
    ASSERT_EQ(walked.getSize(), sf::Vector2u(550, 550));
    EXPECT_EQ(before.getPixel(250, 250), sf::Color::Magenta);
    EXPECT_EQ(before.getPixel(300, 250), sf::Color::Black);
    EXPECT_EQ(walked.getPixel(300, 250), sf::Color::Magenta);
    EXPECT_EQ(walked.getPixel(299, 250), sf::Color::Black);
    EXPECT_EQ(walked.getPixel(60, 60), sf::Color::Red);
    EXPECT_NE(readWholeFile(files.file("trace.jsonl")).find(positionLine("player", 12, 600, 500)), std::string::npos);
}

TEST_F(Replay, ExpectPassesOnTheStoredTraceAndOtherwiseNamesTheFirstDifferenceAndFails)
{
    const std::string script = "at 5 click 150 150\nat 30 click 700 300\nat 40 close\n";
    const std::string stored = replayedTrace(script);
    files.write("expected.jsonl", stored);
    ProcessResult result = replay(script, files, {"--expect", files.file("expected.jsonl")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.find("differs"), std::string::npos) << result.err;

    // The note the second click dismissed was never shown, and the replay
    // goes on for a frame after the stored trace ends.
    const std::string dismissed = idLine("text-dismissed", 30, "note");
    std::string changed = stored;
    changed.replace(changed.find(dismissed), dismissed.size(), "");
    files.write("expected.jsonl", changed);
    result = replay(script, files, {"--expect", files.file("expected.jsonl")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("error: the replay differs from the expected trace at frame 30\n  expected: "),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("\n  happened: " + dismissed), std::string::npos) << result.err;

    files.write("expected.jsonl", stored.substr(0, stored.rfind("{\"frame\": 39")));
    result = replay("at 5 click 150 150\nat 30 click 700 300\nat 41 close\n", files,
                    {"--expect", files.file("expected.jsonl")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("at frame 39\n  expected: nothing (the expected trace ends before)"), std::string::npos)
        << result.err;
}

TEST_F(Replay, ABadScriptOrExpectedTraceStopsWithALocatedErrorBeforeAnyWindowOpens)
{
    struct Bad {
        const char *why;
        std::string script;
        std::string message;
        std::vector<std::string> more;
    };
    const std::string script = files.file("play.replay");
    const std::vector<Bad> cases{
        {"unknown command", "at 1 click 5 5\nat 3 jump\n", script + ":2:6: error: unknown command \"jump\"", {}},
        {"frame going backwards",
         "at 9 click 1 1\nat 8 close\n",
         script + ":2:4: error: frame 8 comes before frame 9",
         {}},
        {"missing number", "at 3 click 5\n", script + ":1:13: error: \"click\" needs a point", {}},
        {"huge frame",
         "at 18446744073709551616 close\n",
         script + ":1:4: error: frame 18446744073709551616 is past",
         {}},
        {"shot to a missing folder",
         "at 1 shot nowhere/a.png\n",
         script + ":1:11: error: cannot write the shot: the folder " + files.file("nowhere") + " does not exist",
         {}},
        {"missing expected trace",
         "at 1 close\n",
         files.file("none.jsonl") + ":1:1: error: cannot read the expected trace",
         {"--expect", files.file("none.jsonl")}},
        {"expected trace that is no trace",
         "at 1 close\n",
         script + ":1:1: error: not a trace line",
         {"--expect", script}},
    };
    // Without a display, a window that opened would end the engine with
    // status 1 and a message about the display.
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    for (const Bad &bad : cases) {
        SCOPED_TRACE(bad.why);
        const ProcessResult result = replay(bad.script, files, bad.more);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind(bad.message, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "") << "nothing was loaded";
    }
    setenv("DISPLAY", display.c_str(), 1);
}

TEST_F(Replay, ARecordedPlayReplaysToTheSameTrace)
{
    const std::string recording = files.file("recorded.replay"), played = files.file("played.jsonl");
    {
        EngineSession engine(game.path(), {"--record", recording, "--trace", played});
        ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
        ASSERT_TRUE(engine.waitForScreen("the player", [](const Screenshot &s) { return s.count(magenta) > 0; }));
        // Far right first: a straight walk from rest ends exactly at x 900,
        // where a walk cut short by a later click would end wherever the
        // click found it. Then on the square: the note shows.
        engine.click(540, 250);
        ASSERT_TRUE(engine.waitForScreen("the player at the right limit", [](const Screenshot &s) {
            const auto box = s.boundsOf(magenta);
            return box && box->left == 450;
        }));
        engine.click(75, 75, 3);
        ASSERT_TRUE(engine.waitForScreen("the note", [](const Screenshot &s) { return s.count(yellow) > 500; }));
        EXPECT_EQ(engine.closeAndExit(), 0);
    }
    const std::string recorded = readWholeFile(recording);
    EXPECT_EQ(withoutFrames(withoutMovesOntoClicks(recorded)),
              "at N click 1080 500\nat N click 150 150 right\nat N close\n")
        << recorded;

    const ProcessResult result =
        runEngine(game.path(), "", 60, {"--replay", recording, "--trace", files.file("again")});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string trace = readWholeFile(played);
    EXPECT_NE(trace.find("\"event\": \"arrived\", \"x\": 900, \"y\": 500}"), std::string::npos) << trace;
    EXPECT_EQ(readWholeFile(files.file("again")), trace);
}

TEST_F(Replay, APressDraggedOutOfTheWindowIsRecordedAtTheEdgeOfTheWorldAndReplaysToTheSameTrace)
{
    const std::string recording = files.file("recorded.replay"), played = files.file("played.jsonl");
    {
        EngineSession engine(game.path(), {"--record", recording, "--trace", played});
        ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
        ASSERT_TRUE(engine.waitForScreen("the player", [](const Screenshot &s) { return s.count(magenta) > 0; }));
        // The window keeps the pointer's moves while the button is held, far
        // past its right and lower edges here (world 1400, 1300).
        engine.drag(540, 250, 700, 650);
        EXPECT_TRUE(pollUntil(10, [&] { return readWholeFile(recording).find(" 1100 1100\n") != std::string::npos; }))
            << readWholeFile(recording);
        EXPECT_EQ(engine.closeAndExit(), 0);
    }
    const std::string recorded = readWholeFile(recording);
    std::istringstream lines(recorded);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string at, frame, command;
        float x = 0, y = 0;
        words >> at >> frame >> command;
        if (command == "click" || command == "move") {
            ASSERT_TRUE(words >> x >> y) << line;
            EXPECT_TRUE(x >= 0 && x <= 1100 && y >= 0 && y <= 1100) << line;
        }
    }
    const ProcessResult result =
        runEngine(game.path(), "", 60, {"--replay", recording, "--trace", files.file("again")});
    ASSERT_EQ(result.status, 0) << result.err << recorded;
    EXPECT_EQ(readWholeFile(files.file("again")), readWholeFile(played)) << recorded;
}

TEST_F(Replay, IgnoresTheMouseAndFailsWhenTheWindowIsClosedBeforeTheScriptEnds)
{
    files.write("long.replay", "at 5000000 close\n");
    const std::string trace = files.file("trace.jsonl");
    EngineSession engine(game.path(), {"--replay", files.file("long.replay"), "--trace", trace});
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    engine.click(75, 75);
    engine.click(500, 250);
    // Time for the engine to take the presses from the window, frames apart.
    pollUntil(0.3, [] { return false; });
    engine.sendCloseRequest();
    EXPECT_EQ(engine.waitForExit(), 1);
    EXPECT_NE(engine.err().find("the window was closed before the end of"), std::string::npos) << engine.err();
    EXPECT_EQ(readWholeFile(trace), idLine("music", 0, "tune")) << "the clicks went to the window, not to the game";
}
