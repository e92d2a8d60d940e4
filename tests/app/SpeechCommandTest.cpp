#include "app/SpeechCommand.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> linesOf(const std::string &path)
{
    std::istringstream text(readWholeFile(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

// Waits up to ten seconds for `path` to have `count` lines.
std::vector<std::string> waitForLines(const std::string &path, std::size_t count)
{
    const Clock::time_point until = Clock::now() + std::chrono::seconds(10);
    while (linesOf(path).size() < count && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return linesOf(path);
}

// Whether the process `pid` is gone and reaped: a zombie still answers.
bool gone(pid_t pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// A stand-in for spd-say that writes its process id and its last argument,
// then hangs as a command that never ends would.
std::vector<std::string> hangingRecorder(const TempDir &dir)
{
    dir.write("say.sh", "for last; do :; done\necho \"$$ $last\" >> '" + dir.file("said") + "'\nexec sleep 100\n");
    return {"sh", dir.file("say.sh")};
}

} // namespace

// The frame hands words over and goes on: a command that never ends holds
// up neither the next words, which end it, nor the end of the program.
TEST(SpeechCommand, AHangingCommandIsCutShortByTheNextAndAtTheEndNeverWaitedFor)
{
    const TempDir dir;
    std::ostringstream messages;
    std::vector<pid_t> pids;
    std::chrono::nanoseconds slowestSay{0};
    std::optional<SpeechCommand> speech;
    speech.emplace(hangingRecorder(dir), messages);
    for (const std::string words : {"old desk", "-key- \"quoted\"", "the cat"}) {
        const Clock::time_point before = Clock::now();
        speech->say(words);
        slowestSay = std::max(slowestSay, Clock::now() - before);
        const std::vector<std::string> said = waitForLines(dir.file("said"), pids.size() + 1);
        ASSERT_EQ(said.size(), pids.size() + 1);
        EXPECT_EQ(said.back().substr(said.back().find(' ') + 1), words);
        pids.push_back(std::atoi(said.back().c_str()));
        // The one before was ended and reaped when these words came.
        if (pids.size() > 1) {
            EXPECT_TRUE(gone(pids[pids.size() - 2]));
        }
    }
    EXPECT_FALSE(gone(pids.back()));
    const Clock::time_point before = Clock::now();
    speech.reset();
    const Clock::duration ending = Clock::now() - before;
    EXPECT_TRUE(gone(pids.back()));
    EXPECT_LT(slowestSay, std::chrono::milliseconds(5));
    EXPECT_LT(ending, std::chrono::seconds(1));
    EXPECT_EQ(messages.str(), "");
}

// A stop signal ends the program before any destructor runs: what speaks is ended first.
TEST(SpeechCommand, EndAllEndsTheCommandSpeakingAtOnce)
{
    const TempDir dir;
    std::ostringstream messages;
    SpeechCommand speech(hangingRecorder(dir), messages);
    speech.say("words");
    const std::vector<std::string> said = waitForLines(dir.file("said"), 1);
    ASSERT_EQ(said.size(), 1u);
    const pid_t pid = std::atoi(said.front().c_str());
    SpeechCommand::endAll();
    const Clock::time_point until = Clock::now() + std::chrono::seconds(2);
    while (!gone(pid) && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(gone(pid));
}

// A command quicker than the words come says each of them, in order.
TEST(SpeechCommand, WordsHandedOverFasterThanTheyAreSaidWaitTheirTurn)
{
    const TempDir dir;
    dir.write("say.sh", "for last; do :; done\necho \"$last\" >> '" + dir.file("said") + "'\n");
    std::ostringstream messages;
    const std::vector<std::string> words{"one", "two", "three", "four"};
    {
        SpeechCommand speech({"sh", dir.file("say.sh")}, messages);
        for (const std::string &said : words)
            speech.say(said);
        waitForLines(dir.file("said"), words.size());
    }
    EXPECT_EQ(linesOf(dir.file("said")), words);
}

TEST(SpeechCommand, AMissingProgramIsSaidOnceAndTheGameGoesOnSilent)
{
    std::ostringstream messages;
    {
        SpeechCommand speech({"no-such-speech-program-here", "-x"}, messages);
        speech.say("one");
        speech.say("two");
    }
    EXPECT_EQ(messages.str(), "adventure: cannot speak: there is no program \"no-such-speech-program-here\" (install "
                              "speech-dispatcher, or name another in ADVENTURE_SPEAK_COMMAND); playing on silent\n");
}

TEST(SpeechCommand, TheCommandComesFromTheEnvironmentSplitAsAShellSplitsWords)
{
    std::ostringstream messages;
    unsetenv("ADVENTURE_SPEAK_COMMAND");
    EXPECT_EQ(SpeechCommand::fromEnvironment(messages), (std::vector<std::string>{"spd-say", "--cancel", "--"}));
    setenv("ADVENTURE_SPEAK_COMMAND", "sh -c 'sleep 100' \"a b\"", 1);
    EXPECT_EQ(SpeechCommand::fromEnvironment(messages), (std::vector<std::string>{"sh", "-c", "sleep 100", "a b"}));
    EXPECT_EQ(messages.str(), "");
    // Nothing is run to read it.
    setenv("ADVENTURE_SPEAK_COMMAND", "say $(touch /tmp/never)", 1);
    EXPECT_EQ(SpeechCommand::fromEnvironment(messages), std::nullopt);
    for (const char *refused : {"say 'unclosed", "say $NO_SUCH_VARIABLE_HERE", "  "}) {
        setenv("ADVENTURE_SPEAK_COMMAND", refused, 1);
        EXPECT_EQ(SpeechCommand::fromEnvironment(messages), std::nullopt) << refused;
    }
    unsetenv("ADVENTURE_SPEAK_COMMAND");
    EXPECT_NE(messages.str().find("adventure: cannot speak: ADVENTURE_SPEAK_COMMAND is \"say $(touch /tmp/never)\""),
              std::string::npos);
}
