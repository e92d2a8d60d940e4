#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Tells when any of a set of files changes: written, replaced by a rename
// (as editors save), or created where it was missing. It watches the folders
// that hold the files, since a rename-on-save replaces the file itself.
// Changes come in bursts (truncate, write, close; or write a temporary file,
// rename it), so one is reported once the files have been quiet a moment.
class FileWatcher {
public:
    // How long a burst of changes must have been quiet before it counts.
    static constexpr std::chrono::milliseconds settle{100};

    FileWatcher();
    ~FileWatcher();
    FileWatcher(const FileWatcher &) = delete;
    FileWatcher &operator=(const FileWatcher &) = delete;

    // Watches these files (relative to the working directory) instead of
    // the ones before.
    void watch(const std::vector<std::string> &files);
    // Never waits: true once per settled burst of changes to a watched file.
    bool changed();

private:
    void readEvents();

    int inotify = -1;
    // Watch descriptor to the folder it watches.
    std::map<int, std::string> folders;
    std::set<std::string> files;
    std::optional<std::chrono::steady_clock::time_point> lastChange;
};
