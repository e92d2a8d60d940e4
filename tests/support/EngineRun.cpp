#include "support/EngineRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::vector<char *> engineArgv(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv{const_cast<char *>(ADVENTURE_BINARY)};
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

int shellStatus(int waitStatus)
{
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

namespace {

// Runs `argv` (its first word looked up on the PATH) in `dir` with `input`
// on its standard input; `what` names it if it has to be killed.
ProcessResult runProcess(const std::string &dir, const std::string &input, int timeoutSeconds,
                         const std::vector<char *> &argv, const char *what)
{
    TempDir io;
    const std::string inPath = io.file("in"), outPath = io.file("out"), errPath = io.file("err");
    io.write("in", input);
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    ProcessResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            ADD_FAILURE() << what << " did not end within " << timeoutSeconds << " s";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    result.status = shellStatus(status);
    result.out = readWholeFile(outPath);
    result.err = readWholeFile(errPath);
    return result;
}

} // namespace

ProcessResult runEngine(const std::string &dir, const std::string &input, int timeoutSeconds,
                        const std::vector<std::string> &arguments)
{
    return runProcess(dir, input, timeoutSeconds, engineArgv(arguments), "the engine");
}

ProcessResult runProgram(const std::string &dir, const std::vector<std::string> &command, int timeoutSeconds)
{
    std::vector<char *> argv;
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    return runProcess(dir, "", timeoutSeconds, argv, command.front().c_str());
}

ProcessResult runHeadless(const std::string &dir, const std::vector<std::string> &arguments, rlim_t addressSpace)
{
    TempDir io;
    std::vector<char *> argv = engineArgv(arguments);
    const pid_t child = fork();
    if (child == 0) {
        unsetenv("DISPLAY");
        setenv("ALSOFT_DRIVERS", "none", 1);
        const rlimit limit{addressSpace, addressSpace};
        if (setrlimit(RLIMIT_AS, &limit) != 0 || chdir(dir.c_str()) != 0)
            _exit(126);
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(open(io.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(io.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        execv(ADVENTURE_BINARY, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {shellStatus(status), readWholeFile(io.file("out")), readWholeFile(io.file("err"))};
}
