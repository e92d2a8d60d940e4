#include "app/SpeechCommand.h"

#include "core/text/Diagnostics.h"
#include "core/text/StartupError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <ostream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <wordexp.h>

extern char **environ;

namespace {

// How often the thread looks for a command that ended by itself, so that
// none stays a zombie until the next words.
constexpr std::chrono::milliseconds reapEvery(100);
constexpr std::chrono::milliseconds waitingPoll(5);

// The file `name` names as a shell would run it: itself when it holds a
// slash, else the first executable file of that name on PATH; empty when none.
bool runnable(const std::string &path)
{
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored) && access(path.c_str(), X_OK) == 0;
}

std::string findProgram(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return runnable(name) ? name : std::string();
    const char *path = std::getenv("PATH");
    std::istringstream folders(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (runnable(candidate))
            return candidate;
    }
    return {};
}

} // namespace

SpeechCommand::SpeechCommand(std::vector<std::string> words, std::ostream &said)
    : command(std::move(words)), messages(said)
{
    // No command at all: why was said already.
    if (command.empty())
        return;
    program = findProgram(command.front());
    if (program.empty()) {
        messages << "adventure: cannot speak: there is no program \"" << escapeControl(command.front())
                 << "\" (install speech-dispatcher, or name another in ADVENTURE_SPEAK_COMMAND); playing on silent"
                 << std::endl;
        return;
    }
    worker = std::thread(&SpeechCommand::work, this);
}

SpeechCommand::~SpeechCommand()
{
    if (!worker.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(handover);
        ending = true;
    }
    handed.notify_one();
    worker.join();
}

void SpeechCommand::say(const std::string &words)
{
    if (!worker.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(handover);
        waiting.push_back(words);
        if (waiting.size() > mostWaiting)
            waiting.pop_front();
    }
    handed.notify_one();
}

std::optional<std::vector<std::string>> SpeechCommand::fromEnvironment(std::ostream &messages)
{
    const char *chosen = std::getenv("ADVENTURE_SPEAK_COMMAND");
    if (!chosen || !*chosen)
        // Cancelling first: what was said before is cut short by what is said now.
        return std::vector<std::string>{"spd-say", "--cancel", "--"};
    std::vector<std::string> command;
    wordexp_t split{};
    // Read once, as the run starts and before the speech thread does.
    if (wordexp(chosen, &split, WRDE_NOCMD | WRDE_UNDEF) == 0) { // NOLINT(concurrency-mt-unsafe)
        command.assign(split.we_wordv, split.we_wordv + split.we_wordc);
        wordfree(&split);
    }
    if (command.empty()) {
        messages << "adventure: cannot speak: ADVENTURE_SPEAK_COMMAND is \"" << escapeControl(chosen)
                 << "\", which is not a command (quote as a shell does; nothing is run to read it); playing on silent"
                 << std::endl;
        return std::nullopt;
    }
    return command;
}

void SpeechCommand::work()
{
    std::unique_lock<std::mutex> lock(handover);
    while (!ending) {
        reapIfEnded();
        if (!waiting.empty() && (speaking == 0 || Clock::now() >= startedAt + cutAfter)) {
            const std::string words = std::move(waiting.front());
            waiting.pop_front();
            lock.unlock();
            stopSpeaking();
            start(words);
            lock.lock();
            continue;
        }
        // Awake for new words and the end; while words wait, often, for the
        // command speaking to end or be cut short; else now and then, to
        // reap one that ended by itself.
        const bool queued = speaking != 0 && !waiting.empty();
        const Clock::time_point until =
            queued ? std::min(Clock::now() + waitingPoll, startedAt + cutAfter) : Clock::now() + reapEvery;
        handed.wait_until(lock, until);
    }
    // At the end, what is being said and what waits has a moment to be said,
    // and no more: the program never waits on a command that hangs.
    const Clock::time_point last = Clock::now() + cutAfter;
    while (Clock::now() < last && (speaking != 0 || !waiting.empty())) {
        reapIfEnded();
        if (speaking == 0 && !waiting.empty()) {
            const std::string words = std::move(waiting.front());
            waiting.pop_front();
            lock.unlock();
            start(words);
            lock.lock();
        }
        handed.wait_for(lock, waitingPoll);
    }
    lock.unlock();
    stopSpeaking();
}

void SpeechCommand::start(const std::string &words)
{
    if (program.empty())
        return;
    std::vector<char *> argv;
    for (std::string &word : command)
        argv.push_back(word.data());
    std::string last = words;
    argv.push_back(last.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    // Nothing to read, and nothing for the player's terminal but its complaints.
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so that ending it ends what it started too; and
    // signals as a fresh program has them, whatever this one does with them.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = 0;
    const int failed = posix_spawn(&child, program.c_str(), &files, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    if (failed == 0) {
        speaking = child;
        unreaped = child;
        startedAt = Clock::now();
        return;
    }
    // One line, written whole: the frame's thread may be writing too.
    std::ostringstream line;
    line << "adventure: cannot speak: " << escapeControl(program) << ": " << describeError(failed)
         << "; playing on silent\n";
    messages << line.str() << std::flush;
    program.clear();
}

void SpeechCommand::stopSpeaking()
{
    if (speaking <= 0)
        return;
    // Not yet reaped, so the group is still this command's and no other's.
    kill(-speaking, SIGKILL);
    unreaped = 0;
    while (waitpid(speaking, nullptr, 0) < 0 && errno == EINTR) {
    }
    speaking = 0;
}

void SpeechCommand::reapIfEnded()
{
    if (speaking <= 0)
        return;
    // Looked at before it is reaped, so that endAll never ends a group
    // whose number another process has taken since.
    siginfo_t ended{};
    if (waitid(P_PID, static_cast<id_t>(speaking), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid == 0)
        return;
    unreaped = 0;
    waitpid(speaking, nullptr, 0);
    speaking = 0;
}

void SpeechCommand::endAll()
{
    if (const pid_t group = unreaped.exchange(0); group > 0)
        kill(-group, SIGKILL);
}
