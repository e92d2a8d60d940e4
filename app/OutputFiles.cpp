#include "app/OutputFiles.h"

#include "app/CommandLine.h"
#include "app/SpeechCommand.h"
#include "core/text/Diagnostics.h"
#include "core/text/Document.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal)
{
    if (stopSignal != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    stopSignal = signal;
}

std::vector<OutputFile *> &openFiles()
{
    static std::vector<OutputFile *> files;
    return files;
}

std::vector<TemporaryFolder *> &temporaryFolders()
{
    static std::vector<TemporaryFolder *> folders;
    return folders;
}

} // namespace

void OutputFiles::read(const std::string &path, std::string role)
{
    if (!path.empty())
        known.push_back({identify(path), std::move(role)});
}

void OutputFiles::readGame(const GameLocation &location, const GameDocument &document)
{
    const fs::path folder(location.folder);
    read((folder / location.file).string(), "the game document");
    if (Node *assets = document.assets())
        for (const std::string &file : assetFiles(assets))
            read((folder / file).string(), "a file the game document names (" + file + ")");
}

std::optional<std::string> OutputFiles::claim(const std::string &path, std::string role)
{
    if (path.empty())
        return std::nullopt;
    if (std::optional<std::string> clash = clashOf(path))
        return clash;
    known.push_back({identify(path), std::move(role)});
    return std::nullopt;
}

std::optional<std::string> OutputFiles::clashOf(const std::string &path) const
{
    const Identity identity = identify(path);
    const auto clash =
        std::find_if(known.begin(), known.end(), [&](const Known &other) { return same(identity, other.identity); });
    if (clash != known.end())
        return clash->role;
    return std::nullopt;
}

bool OutputFiles::claimOption(const std::string &path, const char *option, const char *what)
{
    const std::optional<std::string> clash = claim(path, std::string("the ") + what + " (" + option + ")");
    if (clash)
        std::cerr << "adventure: " << option << " \"" << escapeControl(path) << "\" is " << escapeControl(*clash)
                  << "; refusing to write over it" << std::endl;
    return !clash;
}

OutputFiles::Identity OutputFiles::identify(const std::string &path)
{
    Identity identity;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        identity.exists = true;
        identity.regular = S_ISREG(info.st_mode);
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error).lexically_normal();
    const fs::path resolved = fs::weakly_canonical(absolute, error);
    identity.path = (error ? absolute : resolved).string();
    return identity;
}

bool OutputFiles::same(const Identity &a, const Identity &b)
{
    if (a.exists != b.exists)
        return false;
    if (a.exists)
        return a.regular && b.regular && a.device == b.device && a.inode == b.inode;
    return a.path == b.path;
}

OutputFile::OutputFile(const char *named) : what(named)
{
    openFiles().push_back(this);
}

OutputFile::~OutputFile()
{
    std::vector<OutputFile *> &files = openFiles();
    files.erase(std::remove(files.begin(), files.end(), this), files.end());
}

bool OutputFile::open(const std::string &named)
{
    path = named;
    if (path.empty())
        return true;
    out.open(path, std::ios::binary | std::ios::trunc);
    if (out.is_open())
        return true;
    std::cerr << "adventure: cannot write the " << what << " " << escapeControl(path) << ": " << describeErrno()
              << std::endl;
    return false;
}

bool OutputFile::flush()
{
    if (!out.is_open() || broken)
        return !broken;
    errno = 0;
    if (out.flush())
        return true;
    const int error = errno;
    broken = true;
    std::cerr << "adventure: could not write the " << what << " " << escapeControl(path)
              << (error != 0 ? std::string(": ") + describeError(error) : std::string()) << std::endl;
    return false;
}

bool OutputFile::flushAll()
{
    bool whole = true;
    for (OutputFile *file : openFiles())
        whole = file->flush() && whole;
    return whole;
}

TemporaryFolder::TemporaryFolder(const std::string &prefix)
{
    const char *tmpdir = std::getenv("TMPDIR");
    const std::string base = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string pattern = base + "/" + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        why = "cannot make a folder in " + escapeControl(base) + ": " + describeErrno();
        return;
    }
    folder = pattern;
    temporaryFolders().push_back(this);
}

TemporaryFolder::~TemporaryFolder()
{
    remove();
}

void TemporaryFolder::remove()
{
    if (folder.empty())
        return;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    folder.clear();
    std::vector<TemporaryFolder *> &folders = temporaryFolders();
    folders.erase(std::remove(folders.begin(), folders.end(), this), folders.end());
}

void TemporaryFolder::removeAll()
{
    while (!temporaryFolders().empty())
        temporaryFolders().back()->remove();
}

void catchStopSignals()
{
    // Without SA_RESTART: a wait on the console returns at the signal.
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

bool stopSignalled()
{
    return stopSignal != 0;
}

void stopIfSignalled()
{
    const int signal = stopSignal;
    if (signal == 0)
        return;
    OutputFile::flushAll();
    TemporaryFolder::removeAll();
    SpeechCommand::endAll();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void waitForEnter()
{
    OutputFile::flushAll();
    // Polled, so that a stop signal taken by another thread ends the wait too.
    for (;;) {
        stopIfSignalled();
        pollfd console{0, POLLIN, 0};
        const int ready = poll(&console, 1, 100);
        if (ready > 0 || (ready < 0 && errno != EINTR))
            break;
    }
    std::cin.get();
}

void keepEchoOffOutputs(const std::vector<std::string> &paths)
{
    struct stat console {};
    if (fstat(STDOUT_FILENO, &console) != 0)
        return;
    for (const std::string &path : paths) {
        struct stat file {};
        if (!path.empty() && stat(path.c_str(), &file) == 0 && file.st_dev == console.st_dev &&
            file.st_ino == console.st_ino) {
            std::cout.rdbuf(std::cerr.rdbuf());
            return;
        }
    }
}
