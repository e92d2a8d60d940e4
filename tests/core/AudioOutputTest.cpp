#include "core/assets/LoadedLibraries.h"
#include "support/GameFixture.h"

#include <SFML/System/Sleep.hpp>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

// What a loaded game plays, and says about its sound, each in a child
// process whose audio library starts afresh.

namespace {

// Starts the game in `dir` in a child process, clicks at `click` when one is
// given, and returns what it played in `milliseconds`.
std::vector<float> playGame(const std::string &dir, const sf::Vector2f *click, int milliseconds)
{
    return captureAudio([&] {
        WorkingDirectory cwd(dir);
        sf::RenderWindow window(sf::VideoMode(200, 200), "audio");
        // The window, the child's only graphics context, closes before the
        // child exits, and the GL driver is unloaded with it.
        keepLoadedLibrariesMapped();
        Game game;
        game.window = &window;
        game.start("game.xml");
        if (click)
            game.clickAt(*click);
        sf::sleep(sf::milliseconds(milliseconds));
    });
}

} // namespace

TEST(AudioOutput, ClickSoundLoudnessFollowsVolume)
{
    std::vector<double> levels;
    for (const char *volume : {"100", "50"}) {
        TempDir dir;
        writeTone(dir.file("tone.wav"), 0.3f, 440.f, 0.5f);
        writePng(dir.file("box.png"), 50, 50, sf::Color::Red);
        dir.write("game.xml", gameXml("<sprite id='box' src='box.png' origin='0, 0'/><audio id='beep' src='tone.wav'/>",
                                      std::string("<box onClickAudio='beep' volume='") + volume + "'/>"));
        const sf::Vector2f onTheBox(10, 10);
        const std::vector<float> samples = playGame(dir.path(), &onTheBox, 700);
        ASSERT_GT(samples.size(), 44100u / 2);
        levels.push_back(rmsFromOnset(samples, 0.2));
    }
    EXPECT_GT(levels[0], 0.05);
    EXPECT_NEAR(levels[1] / levels[0], 0.5, 0.08);
}

TEST(AudioOutput, SceneMusicPlaysWithoutAnyClick)
{
    TempDir dir;
    writeTone(dir.file("song.wav"), 2.f, 330.f, 0.5f);
    dir.write("game.xml", gameXml("<audio id='song' src='song.wav' volume='80'/>", "", "music='song' volume='100'"));
    const std::vector<float> played = playGame(dir.path(), nullptr, 600);
    ASSERT_GT(played.size(), 20000u);
    EXPECT_LT(onset(played), 44100u) << "the music starts within half a second";
    EXPECT_GT(rmsFromOnset(played, 0.2), 0.1);
}

// Without a sound device the game says so once; the audio library adds no
// complaint of its own for any sound or music. Run in a child process, whose
// audio library sees a configuration naming no usable backend.
TEST(AudioWithoutDevice, OneLineSaysSoAndNoSoundComplains)
{
    TempDir dir;
    dir.write("no-device.conf", "[general]\ndrivers = none\n");
    writeTone(dir.file("tone.wav"), 0.2f, 440.f, 0.5f);
    writePng(dir.file("box.png"), 50, 50, sf::Color::Red);
    dir.write("game.xml", gameXml("<sprite id='a' src='box.png' origin='0, 0'/><sprite id='b' src='box.png'/>"
                                  "<audio id='knock' src='tone.wav'/><audio id='bell' src='tone.wav'/>"
                                  "<audio id='song' src='tone.wav'/>",
                                  "<a onClickAudio='knock'/><b onClickAudio='bell'/>", "music='song'"));
    const std::string errPath = dir.file("err");
    const pid_t child = fork();
    if (child == 0) {
        setenv("ALSOFT_CONF", dir.file("no-device.conf").c_str(), 1);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        WorkingDirectory cwd(dir.path());
        sf::RenderWindow window(sf::VideoMode(200, 200), "no sound");
        keepLoadedLibrariesMapped();
        Game game;
        game.window = &window;
        game.start("game.xml");
        game.clickAt({10, 10});
        game.release();
        std::exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    std::ifstream file(errPath);
    std::vector<std::string> audioLines;
    for (std::string line; std::getline(file, line);)
        if (line.find("vertical sync") == std::string::npos)
            audioLines.push_back(line);
    EXPECT_EQ(audioLines, std::vector<std::string>{"No sound device: the game plays without sound"});
}
