#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace {

using Clock = std::chrono::steady_clock;

// The player is a 20x20 magenta square with origin (0, 0) in a 550x550
// window, so its top-left pixel times two is its world position.
struct Sample {
    double seconds;
    int worldX, worldY;
    int width, height;
};

class PlayerWalk : public testing::Test {
protected:
    static std::string document(int fps)
    {
        return R"(<game entryScene="1" width="550" height="550" title="E2E" fps=")" + std::to_string(fps) + R"(">
  <assets path="assets">
    <player src="walker.png" speed="10" position="500, 500" origin="0, 0"/>
  </assets>
  <scenes>
    <scene sceneId="1" leftLevelLimit="100" upperLevelLimit="50" rightLevelLimit="900" lowerLevelLimit="700">
      <player/>
    </scene>
  </scenes>
</game>
)";
    }

    void start(int fps)
    {
        game = std::make_unique<GameFolder>(document(fps));
        game->image("walker.png", 20, 20, magenta);
        engine = std::make_unique<EngineSession>(game->path());
        ASSERT_TRUE(engine->waitForWindow("E2E", 550, 550));
        Screenshot shot;
        ASSERT_TRUE(engine->waitForScreen(
            "the player", [](const Screenshot &s) { return s.count(magenta) > 0; }, &shot));
        EXPECT_EQ(shot.boundsOf(magenta), (PixelRect{250, 250, 260, 260})) << "the player starts at (500, 500)";
    }

    // Screenshots every ~20 ms from the click until the player is within
    // `tolerance` of (x, y), then for `linger` seconds more.
    std::vector<Sample> follow(double x, double y, double tolerance, double linger)
    {
        std::vector<Sample> samples;
        const auto begin = Clock::now();
        auto take = [&] {
            const Screenshot shot = engine->screenshot();
            if (const auto box = shot.boundsOf(magenta))
                samples.push_back({std::chrono::duration<double>(Clock::now() - begin).count(), box->left * 2,
                                   box->top * 2, box->width(), box->height()});
            return !samples.empty() && std::abs(samples.back().worldX - x) <= tolerance &&
                   std::abs(samples.back().worldY - y) <= tolerance;
        };
        EXPECT_TRUE(pollUntil(6, take)) << "the player never came within " << tolerance << " of (" << x << ", " << y
                                        << "); last seen at " << describeLast(samples);
        arrived = samples.size();
        pollUntil(linger, [&] {
            take();
            return false;
        });
        return samples;
    }

    static std::string describeLast(const std::vector<Sample> &samples)
    {
        if (samples.empty())
            return "nowhere";
        return "(" + std::to_string(samples.back().worldX) + ", " + std::to_string(samples.back().worldY) + ")";
    }

    void TearDown() override
    {
        if (engine) {
            EXPECT_EQ(engine->closeAndExit(), 0);
        }
    }

    std::unique_ptr<GameFolder> game;
    std::unique_ptr<EngineSession> engine;
    std::size_t arrived = 0;
};

} // namespace

TEST_F(PlayerWalk, GoesStraightToTheClampedRightLimitTenUnitsPerFrameAtThirtyFramesPerSecond)
{
    constexpr int fps = 30;
    ASSERT_NO_FATAL_FAILURE(start(fps));
    // World (1000, 500), beyond the right limit of 900.
    engine->click(500, 250);
    const std::vector<Sample> samples = follow(900, 500, 0, 0.35);
    ASSERT_GT(arrived, 0u);

    int distinct = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Sample &s = samples[i];
        SCOPED_TRACE("sample " + std::to_string(i) + " at " + std::to_string(s.seconds) + " s");
        EXPECT_EQ(s.width, 10);
        EXPECT_EQ(s.height, 10);
        EXPECT_EQ(s.worldY, 500) << "the walk is horizontal";
        EXPECT_EQ((s.worldX - 500) % 10, 0) << "x = " << s.worldX << " is not a whole number of steps from 500";
        EXPECT_LE(s.worldX, 900) << "the target is clamped to the right limit";
        if (i == 0)
            continue;
        const Sample &before = samples[i - 1];
        EXPECT_GE(s.worldX, before.worldX) << "the player went back";
        distinct += s.worldX != before.worldX;
        // At most one 10-unit step per frame, and a frame lasts at least 1/fps.
        const double steps = (s.worldX - before.worldX) / 10.0;
        EXPECT_LE(steps, (s.seconds - before.seconds) * fps + 2) << "from x = " << before.worldX << " to " << s.worldX;
    }
    EXPECT_GE(distinct, 10) << "the player jumped instead of walking";

    const Sample &arrival = samples[arrived - 1];
    EXPECT_EQ(arrival.worldX, 900);
    for (std::size_t i = arrived; i < samples.size(); ++i)
        EXPECT_EQ(samples[i].worldX, 900) << "the player moved on after stopping, at " << samples[i].seconds << " s";

    const auto firstMove =
        std::find_if(samples.begin(), samples.end(), [](const Sample &s) { return s.worldX != 500; });
    ASSERT_NE(firstMove, samples.end());
    const double frames = (900 - firstMove->worldX) / 10.0;
    EXPECT_GE(arrival.seconds - firstMove->seconds, (frames - 2) / fps - 0.02)
        << "too fast for " << fps << " frames per second";
    EXPECT_LE(arrival.seconds, 3 * 40.0 / fps + 0.5) << "a 400-unit walk at 10 units per frame took far too long";
}

TEST_F(PlayerWalk, GoesDiagonallyToTheClampedLowerLeftCornerAndStaysThere)
{
    ASSERT_NO_FATAL_FAILURE(start(60));
    // World (20, 1080): beyond the left limit 100 and the lower limit 700.
    engine->click(10, 540);

    // The walk the rules predict: ten unit steps a frame along the line from
    // (500, 500) to (100, 700), stopping once the truncated position is within
    // half the speed of the target on both axes or has gone past it.
    const double length = std::hypot(-400.0, 200.0);
    const double dx = -400.0 / length, dy = 200.0 / length;
    double px = 500, py = 500;
    for (int frame = 0; frame < 1000; ++frame) {
        const double sx = std::trunc(px), sy = std::trunc(py);
        const bool within = std::abs(sx - 100) <= 5 && std::abs(sy - 700) <= 5;
        const bool passed = (100 - sx) * dx + (700 - sy) * dy < 0;
        if (within || passed)
            break;
        px += 10 * dx;
        py += 10 * dy;
    }

    const std::vector<Sample> samples = follow(px, py, 2, 0.3);
    ASSERT_GT(arrived, 0u);
    for (const Sample &s : samples) {
        // Distance from the line through the start and the target, allowing a pixel of rounding.
        const double offLine = std::abs((s.worldX - 500) * dy - (s.worldY - 500) * dx);
        EXPECT_LE(offLine, 3.0) << "(" << s.worldX << ", " << s.worldY << ") at " << s.seconds << " s";
        EXPECT_GE(s.worldX, 98) << "the target is clamped to the left limit";
        EXPECT_LE(s.worldY, 702) << "the target is clamped to the lower limit";
    }
    const Sample &last = samples.back();
    for (std::size_t i = arrived; i < samples.size(); ++i)
        EXPECT_TRUE(samples[i].worldX == last.worldX && samples[i].worldY == last.worldY)
            << "the player was still moving at " << samples[i].seconds << " s";
}
