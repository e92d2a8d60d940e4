#include "e2e/EngineSession.h"
#include "e2e/GameFolder.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(Audio, MusicStillPlayingAtCloseStopsAndTheEngineEndsAtOnce)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <audio id="song" src="song.wav"/>
  </assets>
  <scenes>
    <scene sceneId="1" music="song"/>
  </scenes>
</game>
)");
    constexpr double songSeconds = 6;
    game.tone("song.wav", songSeconds, 440, 0.5);
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    CapturedAudio audio;
    ASSERT_TRUE(engine.waitForAudio("half a second of music", soundingFor(0.5), &audio));
    EXPECT_EQ(audio.channels(), 2);
    EXPECT_EQ(audio.rate(), 44100);
    EXPECT_EQ(audio.bits(), 16);

    engine.sendCloseRequest();
    ASSERT_TRUE(engine.waitForWindowGone());
    const auto enter = std::chrono::steady_clock::now();
    engine.pressEnter();
    EXPECT_EQ(engine.waitForExit(), 0);
    const double ending = std::chrono::duration<double>(std::chrono::steady_clock::now() - enter).count();
    EXPECT_LT(ending, 2.0) << "the engine waited for the music instead of stopping it";

    audio = engine.audio();
    const std::vector<Burst> bursts = audio.finishedBursts(0);
    ASSERT_EQ(bursts.size(), 1u) << audio.describeBursts();
    EXPECT_LT(bursts[0].length(), songSeconds - 1) << audio.describeBursts();
}

TEST(Audio, SceneMusicPlaysOnceWithoutAClickAtTheSceneVolume)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="button" src="button.png" position="100, 100" origin="0, 0"/>
    <audio id="song" src="song.wav"/>
    <audio id="loud" src="song.wav"/>
  </assets>
  <scenes>
    <scene sceneId="1" music="song" volume="50">
      <button onClickAudio="loud" volume="100"/>
    </scene>
  </scenes>
</game>
)");
    constexpr double songSeconds = 0.8;
    game.image("button.png", 100, 100, green).tone("song.wav", songSeconds, 440, 0.5);
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));

    // A song that looped or never ended would not be followed by silence.
    CapturedAudio audio;
    ASSERT_TRUE(engine.waitForAudio("the music followed by silence", burstsHeard(1, 0.3), &audio));
    std::vector<Burst> bursts = audio.finishedBursts();
    ASSERT_EQ(bursts.size(), 1u) << audio.describeBursts();
    EXPECT_LT(bursts[0].start, 1.0) << "the music starts with the scene; " << audio.describeBursts();
    EXPECT_NEAR(bursts[0].length(), songSeconds, 0.06) << audio.describeBursts();
    EXPECT_GT(bursts[0].rms, 0.05) << "well above silence; " << audio.describeBursts();

    // The same file at full volume, as a click sound, for comparison.
    engine.click(75, 75);
    ASSERT_TRUE(engine.waitForAudio("the click sound", burstsHeard(2), &audio));
    bursts = audio.finishedBursts();
    ASSERT_EQ(bursts.size(), 2u) << audio.describeBursts();
    EXPECT_NEAR(bursts[1].rms / bursts[0].rms, 2.0, 0.4)
        << "scene volume 50 plays the music at half the amplitude of volume 100; " << audio.describeBursts();

    EXPECT_EQ(engine.closeAndExit(), 0);
}

TEST(Audio, ClickSoundLoudnessFollowsItsVolume)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="a" src="square.png" position="100, 100" origin="0, 0"/>
    <sprite id="b" src="square.png" position="400, 100" origin="0, 0"/>
    <sprite id="c" src="square.png" position="700, 100" origin="0, 0"/>
    <audio id="full" src="beep.wav" volume="100"/>
    <audio id="half" src="beep.wav" volume="50"/>
  </assets>
  <scenes>
    <scene sceneId="1">
      <a onClickAudio="full"/>
      <b onClickAudio="half"/>
      <c onClickAudio="full" volume="50"/>
    </scene>
  </scenes>
</game>
)");
    game.image("square.png", 200, 200, green).tone("beep.wav", 0.25, 523.25, 0.8);
    EngineSession engine(game.path());
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    ASSERT_TRUE(engine.waitForScreen("the sprites", [](const Screenshot &s) { return s.count(green) > 0; }));

    // World (200, 200), (500, 200), (800, 200), then the first again.
    const int xs[] = {100, 250, 400, 100};
    for (std::size_t i = 0; i < 4; ++i) {
        engine.click(xs[i], 100);
        ASSERT_TRUE(engine.waitForAudio("click sound " + std::to_string(i + 1), burstsHeard(i + 1)));
    }
    const CapturedAudio audio = engine.audio();
    const std::vector<Burst> bursts = audio.finishedBursts();
    ASSERT_EQ(bursts.size(), 4u) << audio.describeBursts();
    EXPECT_GT(bursts[0].rms, 0.1) << audio.describeBursts();
    EXPECT_NEAR(bursts[1].rms / bursts[0].rms, 0.5, 0.1) << "the asset's volume 50; " << audio.describeBursts();
    EXPECT_NEAR(bursts[2].rms / bursts[0].rms, 0.5, 0.1) << "the scene child's volume 50; " << audio.describeBursts();
    EXPECT_NEAR(bursts[3].rms / bursts[0].rms, 1.0, 0.1)
        << "another sprite's volume does not change this one's; " << audio.describeBursts();

    EXPECT_EQ(engine.closeAndExit(), 0);
}

// Elements are never destroyed, so sounds still playing at exit would race the
// audio library's shutdown on its streaming thread. Many runs, each ending
// while music and a click sound play, must all exit cleanly.
TEST(Audio, ExitingWhileMusicAndAClickSoundPlayIsAlwaysClean)
{
    GameFolder game(R"(<game entryScene="1" width="300" height="300" title="E2E" fps="60">
  <assets path="assets">
    <sprite id="button" src="button.png" origin="0, 0"/>
    <audio id="song" src="song.wav"/>
    <audio id="hum" src="song.wav"/>
  </assets>
  <scenes>
    <scene sceneId="1" music="song">
      <button onClickAudio="hum"/>
    </scene>
  </scenes>
</game>
)");
    game.image("button.png", 300, 300, green).tone("song.wav", 5, 440, 0.3);
    for (int run = 0; run < 24; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        EngineSession engine(game.path());
        ASSERT_TRUE(engine.waitForWindow("E2E", 300, 300));
        ASSERT_TRUE(engine.waitForAudio("the music", soundingFor(0.2)));
        engine.click(50, 50);
        ASSERT_TRUE(engine.waitForMoreAudio(0.1));
        ASSERT_EQ(engine.closeAndExit(), 0) << engine.err();
    }
}

// The player's volumes are shares of the game's own: here the click sounds at
// half and the music at its own volume, the same file played by both.
TEST(Audio, ThePlayersSettingsScaleClickSoundsApartFromTheMusic)
{
    GameFolder game(R"(<game entryScene="1" width="550" height="550" title="E2E" fps="60" saveName="volumes">
  <assets path="assets">
    <sprite id="button" src="button.png" position="100, 100" origin="0, 0"/>
    <audio id="song" src="song.wav"/>
    <audio id="loud" src="song.wav"/>
  </assets>
  <scenes>
    <scene sceneId="1" music="song">
      <button onClickAudio="loud"/>
    </scene>
  </scenes>
</game>
)");
    constexpr double songSeconds = 0.8;
    game.image("button.png", 100, 100, green).tone("song.wav", songSeconds, 440, 0.5);
    const TempDir saves;
    saves.write("settings.json", R"({"musicVolume": 100, "effectsVolume": 50})");
    EngineSession engine(game.path(), {"--save-dir", saves.path()});
    ASSERT_TRUE(engine.waitForWindow("E2E", 550, 550));
    CapturedAudio audio;
    ASSERT_TRUE(engine.waitForAudio("the music followed by silence", burstsHeard(1, 0.3), &audio));
    engine.click(75, 75);
    ASSERT_TRUE(engine.waitForAudio("the click sound", burstsHeard(2), &audio));
    const std::vector<Burst> bursts = audio.finishedBursts();
    ASSERT_EQ(bursts.size(), 2u) << audio.describeBursts();
    EXPECT_GT(bursts[0].rms, 0.05) << audio.describeBursts();
    EXPECT_NEAR(bursts[1].rms / bursts[0].rms, 0.5, 0.1) << audio.describeBursts();
    EXPECT_EQ(engine.closeAndExit(), 0);
}
