#include "app/FileWatcher.h"
#include "app/FrameLoop.h"
#include "app/FramePacer.h"
#include "app/JsonTrace.h"
#include "app/replay/ExpectedTrace.h"
#include "core/Game.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace std::chrono_literals;
using Clock = FramePacer::Clock;

// A clock only the test moves: a sleep takes the time to its deadline, and
// the test adds the time a frame's work took.
struct TestTime {
    Clock::time_point now{};
    std::vector<Clock::duration> sleptUntil;

    FramePacer::Time source()
    {
        return {[this] { return now; },
                [this](Clock::time_point until) {
                    sleptUntil.push_back(until.time_since_epoch());
                    now = std::max(now, until);
                }};
    }
};

} // namespace

TEST(FramePacer, SleepsToEachFramesDeadlineFromTheStart)
{
    TestTime time;
    FramePacer pacer(60, time.source());
    for (int frame = 0; frame < 60; ++frame) {
        time.now += 3ms; // the frame's work
        pacer.waitForNextFrame();
    }
    ASSERT_EQ(time.sleptUntil.size(), 60u);
    EXPECT_EQ(time.sleptUntil[0], 16666666ns);
    EXPECT_EQ(time.sleptUntil[1], 33333333ns);
    EXPECT_EQ(time.sleptUntil[59], 1s) << "the period's rounding does not add up";

    // A late frame shortens the next sleep instead of moving every deadline.
    time.now += 20ms;
    pacer.waitForNextFrame();
    EXPECT_EQ(time.sleptUntil.back(), 1s + 16666666ns);
    pacer.waitForNextFrame();
    EXPECT_EQ(time.sleptUntil.back(), 1s + 33333333ns);
}

TEST(FramePacer, AFarBehindLoopStartsANewScheduleAndNoLimitNeverWaits)
{
    TestTime time;
    FramePacer pacer(50, time.source());
    pacer.waitForNextFrame();
    time.now += FramePacer::maxBacklog + 20ms + 1ns;
    const Clock::time_point stalled = time.now;
    pacer.waitForNextFrame();
    EXPECT_EQ(time.sleptUntil.back(), stalled.time_since_epoch()) << "no burst of frames to make up";
    pacer.waitForNextFrame();
    EXPECT_EQ(time.sleptUntil.back(), stalled.time_since_epoch() + 20ms);

    TestTime free;
    FramePacer unlimited(0, free.source());
    unlimited.waitForNextFrame();
    EXPECT_TRUE(free.sleptUntil.empty());
}

TEST(FramePacer, PlayWaitsForEachFrameAtTheDocumentsFrameRate)
{
    // Three frames, then the window closes and the loop ends.
    struct ThreeFrames : FrameInput {
        void handleEvents(std::uint64_t, Game &, sf::RenderWindow &) override {}
        bool draws(std::uint64_t) const override { return true; }
        void endFrame(std::uint64_t frame, const Game &, sf::RenderWindow &window) override
        {
            if (frame == 2)
                window.close();
        }
    };
    TempDir dir;
    const WorkingDirectory cwd(dir.path());
    dir.write("game.xml", "<g entryScene='1' width='80' height='60' title='Paced' fps='30'><assets path=''/>"
                          "<scenes><s sceneId='1'/></scenes></g>");
    sf::RenderWindow window(sf::VideoMode(80, 60), "Paced");
    Game game;
    game.window = &window;
    game.start("game.xml");
    TestTime time;
    ThreeFrames input;
    playFrames(game, window, input, time.source());
    game.release();
    EXPECT_EQ(time.sleptUntil, (std::vector<Clock::duration>{33333333ns, 66666666ns, 100000000ns}));
}

TEST(JsonTrace, WritesOneObjectALineWithItsFrameFirst)
{
    std::vector<std::string> lines;
    JsonTrace trace([&](const std::string &line) { lines.push_back(line); });
    trace.startFrame(5);
    trace.record(TraceEvent::click, sf::Vector2f(687.5f, 300.f));
    trace.record(TraceEvent::sound, "kn\"ock");
    trace.startFrame(6);
    trace.record(TraceEvent::player, sf::Vector2f(0.1f, -2.f));
    trace.record(TraceEvent::use, {{"item", std::string("key")}, {"count", std::int64_t{2}}, {"won", true}});
    trace.record(TraceEvent::textShown, std::string_view("bad \xff byte"));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         R"({"frame": 5, "event": "click", "x": 687.5, "y": 300})",
                         R"({"frame": 5, "event": "sound", "id": "kn\"ock"})",
                         R"({"frame": 6, "event": "player", "x": 0.1, "y": -2})",
                         R"({"frame": 6, "event": "use", "item": "key", "count": 2, "won": true})",
                         "{\"frame\": 6, \"event\": \"text-shown\", \"id\": \"bad \xEF\xBF\xBD byte\"}",
                     }));
}

TEST(ExpectedTrace, NamesTheFirstDifferenceAndRefusesWhatIsNoTrace)
{
    TempDir dir;
    const std::string a = R"({"frame": 1, "event": "click", "x": 1, "y": 2})";
    const std::string b = R"({"frame": 3, "event": "sound", "id": "knock"})";
    dir.write("stored.trace", a + "\r\n" + b + "\n");
    const auto loaded = [&] {
        ExpectedTrace expected;
        EXPECT_EQ(expected.load(dir.file("stored.trace")), std::nullopt);
        return expected;
    };

    ExpectedTrace same = loaded();
    same.compare(a);
    same.compare(b);
    EXPECT_EQ(same.firstDifference("stored.trace"), std::nullopt);

    ExpectedTrace differs = loaded();
    differs.compare(a);
    differs.compare(R"({"frame": 2, "event": "sound", "id": "creak"})");
    differs.compare(b);
    EXPECT_EQ(differs.firstDifference("stored.trace"),
              "stored.trace:2:1: error: the replay differs from the expected trace at frame 2\n  expected: " + b +
                  "\n  happened: " + R"({"frame": 2, "event": "sound", "id": "creak"})");

    ExpectedTrace shorter = loaded();
    shorter.compare(a);
    EXPECT_EQ(shorter.firstDifference("t"), "t:2:1: error: the replay differs from the expected trace at frame 3\n"
                                            "  expected: " +
                                                b + "\n  happened: nothing (the replay ended)");

    dir.write("broken.trace", a + "\nnot json\n");
    const std::optional<Diagnostic> fault = ExpectedTrace().load(dir.file("broken.trace"));
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->line, 2u);
    EXPECT_EQ(fault->message, "not a trace line: a JSON object with a \"frame\" was expected");
    EXPECT_TRUE(ExpectedTrace().load(dir.path()));
}

TEST(FileWatcher, ReportsASettledSaveOfAWatchedFileOnce)
{
    TempDir dir;
    const WorkingDirectory cwd(dir.path());
    dir.write("game.xml", "<g/>");
    dir.write("other.txt", "x");
    // The kernel queues a file's events as it is written, so the watcher
    // finds them on its next look; only the quiet after them takes time.
    Clock::time_point now{};
    FileWatcher watcher([&] { return now; });
    watcher.watch({dir.file("game.xml")});
    dir.write("other.txt", "y");
    EXPECT_FALSE(watcher.changed());
    now += FileWatcher::settle;
    EXPECT_FALSE(watcher.changed()) << "a file that is not watched";

    // Saved as editors save: a new file renamed over the old one.
    dir.write("game.xml.tmp", "<g a='1'/>");
    ASSERT_EQ(std::rename(dir.file("game.xml.tmp").c_str(), dir.file("game.xml").c_str()), 0);
    EXPECT_FALSE(watcher.changed());
    now += FileWatcher::settle - 1ns;
    EXPECT_FALSE(watcher.changed()) << "not yet quiet for long enough";
    now += 1ns;
    EXPECT_TRUE(watcher.changed());
    now += FileWatcher::settle * 3;
    EXPECT_FALSE(watcher.changed()) << "one report for one save";

    dir.write("game.xml", "<g a='2'/>");
    EXPECT_FALSE(watcher.changed());
    now += FileWatcher::settle;
    EXPECT_TRUE(watcher.changed()) << "written in place";

    // Saved again while the game reloaded, before the reload named its files.
    dir.write("game.xml", "<g a='3'/>");
    watcher.watch({dir.file("game.xml"), dir.file("other.txt")});
    EXPECT_FALSE(watcher.changed());
    now += FileWatcher::settle;
    EXPECT_TRUE(watcher.changed()) << "a save made during a reload";
}
