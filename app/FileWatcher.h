#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Tells when any of a set of files changes: written, replaced by a rename
// (as editors save), or created where it was missing. It watches the folders
// that hold the files, since a rename-on-save replaces the file itself, and
// for a symbolic link the folder of its target as well. A folder that is
// missing (deleted, not yet made) is waited for from the nearest folder
// above it that exists, and watched again once it is back. When the kernel's
// event queue overflows, every file is compared with what it was (inode,
// size, modification time). Changes come in bursts (truncate, write, close;
// or write a temporary file, rename it), so one is reported once the files
// have been quiet a moment.
class FileWatcher {
public:
    using Clock = std::chrono::steady_clock;

    // How long a burst of changes must have been quiet before it counts.
    static constexpr std::chrono::milliseconds settle{100};

    // Quiet is measured on `now`: the steady clock, unless a test keeps the
    // time itself.
    explicit FileWatcher(std::function<Clock::time_point()> now = Clock::now);
    ~FileWatcher();
    FileWatcher(const FileWatcher &) = delete;
    FileWatcher &operator=(const FileWatcher &) = delete;

    // Watches these files (absolute paths) instead of the ones before. When
    // the kernel gives no watch, says so once on standard error, naming the
    // limit to raise.
    void watch(const std::vector<std::string> &files);
    // Never waits: true once per settled burst of changes to a watched file.
    bool changed();

private:
    struct Stamp {
        bool exists = false;
        unsigned long long inode = 0;
        long long size = 0;
        long long modified = 0;
        bool operator==(const Stamp &other) const;
    };

    void addWatches();
    void addWatch(const std::string &folder);
    void readEvents();
    std::map<std::string, Stamp> stamps() const;
    void sayOnce(const std::string &what);

    int inotify = -1;
    // Watch descriptor to the folder it watches.
    std::map<int, std::string> folders;
    // The files as given and, for symbolic links, their targets.
    std::set<std::string> files;
    std::map<std::string, Stamp> lastSeen;
    std::function<Clock::time_point()> now;
    std::optional<Clock::time_point> lastChange;
    bool said = false;
};
