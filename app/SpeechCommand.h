#pragma once

#include "core/speak/Speaker.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

// Says words by running a command with the words as its last argument:
// speech-dispatcher's spd-say, or the command ADVENTURE_SPEAK_COMMAND names.
// The frame only hands the words over, and a thread of its own runs the
// commands one after another, so a slow or hanging command never holds up a
// frame, and the end of the program by `cutAfter` at most. A spoken text is cut short by the next:
// a command still running once the next words have waited `cutAfter` is
// ended (spd-say's own --cancel cuts the speech it handed on at once). A
// command that cannot be started is said once on `messages`, and the game
// goes on silent.
class SpeechCommand : public Speaker {
public:
    // An empty `command` says nothing, and says nothing of it.
    explicit SpeechCommand(std::vector<std::string> command, std::ostream &messages);
    // Gives what is being said and what waits `cutAfter` to be said, then
    // ends the command still speaking, if any.
    ~SpeechCommand() override;
    SpeechCommand(const SpeechCommand &) = delete;
    SpeechCommand &operator=(const SpeechCommand &) = delete;

    void say(const std::string &words) override;

    // The command the environment asks for (split as a shell splits words,
    // without running anything), or spd-say's; none, with why on `messages`,
    // when ADVENTURE_SPEAK_COMMAND cannot be read as a command.
    static std::optional<std::vector<std::string>> fromEnvironment(std::ostream &messages);

    // Ends the command speaking now, without waiting: for a stop signal,
    // which ends the program before any destructor runs.
    static void endAll();

    // Long enough for a command to start and take its words, short enough
    // that a label passed over is not talked over.
    static constexpr std::chrono::milliseconds cutAfter{250};
    // Words handed over faster than they are said wait, the oldest dropped past this many.
    static constexpr std::size_t mostWaiting = 16;

private:
    using Clock = std::chrono::steady_clock;

    void work();
    void start(const std::string &words);
    void stopSpeaking();
    void reapIfEnded();

    std::vector<std::string> command;
    // The program found on PATH; empty when it was not, and nothing is said.
    std::string program;
    std::ostream &messages;
    // What the frame handed over: the words not yet said, and the end.
    std::mutex handover;
    std::condition_variable handed;
    std::deque<std::string> waiting;
    bool ending = false;
    // The thread's own: the command speaking, as the leader of its own
    // process group, and when it started.
    pid_t speaking = 0;
    Clock::time_point startedAt;
    // The group of the command last started, while it is not yet reaped (so
    // the group is surely its own): what endAll ends.
    static inline std::atomic<pid_t> unreaped{0};
    std::thread worker;
};
