#pragma once

#include <string>
#include <sys/resource.h>
#include <vector>

// The engine binary run as its users run it, for tests that judge it by what
// it prints and how it ends.

// The engine's argument vector for execv: the binary, then `arguments`,
// which must outlive it.
std::vector<char *> engineArgv(const std::vector<std::string> &arguments);
// A wait status as a shell reports it: the exit status, or 128 plus the
// signal that ended the process.
int shellStatus(int waitStatus);

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};
// Runs the engine binary in `dir` with `input` on its standard input and
// `arguments` on its command line.
ProcessResult runEngine(const std::string &dir, const std::string &input, int timeoutSeconds = 30,
                        const std::vector<std::string> &arguments = {});

// Runs another program in `dir`, its name looked up on the PATH, with
// nothing on its standard input.
ProcessResult runProgram(const std::string &dir, const std::vector<std::string> &command, int timeoutSeconds = 30);

// Runs the engine binary in `dir` as a game's CI runs it: no display, no
// sound device, standard input empty. `addressSpace` in bytes limits its
// memory, as `ulimit -v` does.
ProcessResult runHeadless(const std::string &dir, const std::vector<std::string> &arguments,
                          rlim_t addressSpace = RLIM_INFINITY);
