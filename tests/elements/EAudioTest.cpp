#include "elements/EAudio.h"
#include "elements/Catalogue.h"
#include "support/TestSupport.h"

#include <SFML/System/Err.hpp>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <iostream>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class AudioElement : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCatalogue();
        cwd = std::make_unique<WorkingDirectory>(dir.path());
        writeTone(dir.file("tone.wav"), 0.5f, 440.f, 0.5f);
    }
    void TearDown() override { cwd.reset(); }

    EAudio *build(const std::string &xml)
    {
        documents.push_back(std::make_unique<ParsedXml>(xml));
        return newElement<EAudio>(documents.back()->root());
    }

    TempDir dir;
    std::unique_ptr<WorkingDirectory> cwd;
    std::vector<std::unique_ptr<ParsedXml>> documents;
};

} // namespace

TEST_F(AudioElement, ReadsVolumeAndPitchWithDefaults)
{
    EAudio *plain = build("<audio id='a' src='tone.wav'/>");
    EXPECT_EQ(plain->volume, 100.f);
    EXPECT_EQ(plain->pitch, 1.f);
    EXPECT_STREQ(plain->id, "a");
    EXPECT_EQ(plain->sound.getBuffer(), nullptr) << "building opens no file";

    EAudio *tuned = build("<audio id='b' volume='40.5' pitch='2' />");
    EXPECT_EQ(tuned->volume, 40.5f);
    EXPECT_EQ(tuned->pitch, 2.f);

    ParsedXml child("<c volume='50'/>");
    tuned->applyVolumeAndPitch(child.root());
    EXPECT_EQ(tuned->volume, 50.f);
    EXPECT_EQ(tuned->pitch, 2.f) << "an absent pitch keeps the audio's own";
    EXPECT_FLOAT_EQ(tuned->sound.getVolume(), 50.f);
    EXPECT_FLOAT_EQ(tuned->sound.getPitch(), 2.f);
}

TEST_F(AudioElement, LoadsTheClickSoundAndLeavesAFailedOneSilent)
{
    EAudio *good = build("<audio id='a' src='tone.wav' volume='30'/>");
    good->loadSound();
    ASSERT_NE(good->buffer, nullptr);
    ASSERT_EQ(good->sound.getBuffer(), good->buffer);
    EXPECT_EQ(good->buffer->getSampleRate(), 44100u);
    EXPECT_FLOAT_EQ(good->sound.getVolume(), 30.f);
    good->playSound();
    EXPECT_EQ(good->sound.getStatus(), sf::Sound::Playing);

    EAudio *missing = build("<audio id='b' src='nothing.wav'/>");
    missing->loadSound();
    EXPECT_EQ(missing->sound.getBuffer(), nullptr);
    missing->playSound();
    EXPECT_EQ(missing->sound.getStatus(), sf::Sound::Stopped);
    missing->playMusic();
    EXPECT_EQ(missing->music.getStatus(), sf::Music::Stopped);
    good->stop();
}

TEST_F(AudioElement, StreamsMusicOnceWithItsVolumeAndPitch)
{
    EAudio *music = build("<audio id='m' src='tone.wav' volume='25' pitch='1.5'/>");
    music->playMusic();
    EXPECT_EQ(music->music.getStatus(), sf::Music::Playing);
    EXPECT_FALSE(music->music.getLoop());
    EXPECT_FLOAT_EQ(music->music.getVolume(), 25.f);
    EXPECT_FLOAT_EQ(music->music.getPitch(), 1.5f);
    music->stop();
    EXPECT_EQ(music->music.getStatus(), sf::Music::Stopped);
}

TEST_F(AudioElement, DecodesOnlyTheSamplesAFileReallyHolds)
{
    // A header claiming two billion samples in front of a hundred.
    static const char header[] = "RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x44\xac\x00\x00"
                                 "\x88\x58\x01\x00\x02\x00\x10\x00"
                                 "data\xfe\xff\xff\x7f";
    std::string wav(header, sizeof header - 1);
    wav += std::string(200, '\x10');
    dir.write("liar.wav", wav);
    EAudio *liar = build("<audio id='a' src='liar.wav'/>");
    liar->loadSound();
    ASSERT_NE(liar->buffer, nullptr);
    EXPECT_EQ(liar->buffer->getSampleCount(), 100u);
}

// Once a game has more sounds than the device has sources, every call on the
// rest fails and is reported: by the music's streaming thread and by the main
// one at the same time. The shared error stream must survive that. Run in a
// child process, which can use up its sources without harming other tests.
TEST(AudioErrors, ReportsFromTheMusicThreadAndTheMainOneDoNotCollide)
{
    TempDir dir;
    writeTone(dir.file("tone.wav"), 3.f, 440.f, 0.5f);
    const pid_t child = fork();
    if (child == 0) {
        dup2(open("/dev/null", O_WRONLY), 2);
        WorkingDirectory cwd(dir.path());
        ParsedXml xml("<audio id='m' src='tone.wav'/>");
        EAudio *audio = nullptr;
        for (int i = 0; i < 300; ++i) {
            audio = newElement<EAudio>(xml.root());
            audio->sound.setVolume(50);
        }
        if (sf::err().rdbuf() == std::cerr.rdbuf())
            _exit(3);
        audio->playMusic();
        for (int round = 0; round < 200; ++round) {
            audio->music.play();
            for (int i = 0; i < 100; ++i)
                audio->sound.setVolume(50);
            audio->music.stop();
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    EXPECT_NE(WEXITSTATUS(status), 3) << "the audio library's reports are not routed through the locked router";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
