#include "app/FileWatcher.h"

#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string normalised(const fs::path &path)
{
    return fs::absolute(path).lexically_normal().string();
}

} // namespace

FileWatcher::FileWatcher() : inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FileWatcher::~FileWatcher()
{
    if (inotify >= 0)
        close(inotify);
}

void FileWatcher::watch(const std::vector<std::string> &paths)
{
    for (const auto &[descriptor, folder] : folders)
        inotify_rm_watch(inotify, descriptor);
    folders.clear();
    files.clear();
    for (const std::string &path : paths) {
        const std::string file = normalised(path);
        files.insert(file);
        const std::string folder = fs::path(file).parent_path().string();
        // A folder that does not exist yet cannot be watched; nothing in it can change either.
        const int descriptor =
            inotify_add_watch(inotify, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_ATTRIB);
        if (descriptor >= 0)
            folders[descriptor] = folder;
    }
}

bool FileWatcher::changed()
{
    readEvents();
    if (!lastChange || std::chrono::steady_clock::now() - *lastChange < settle)
        return false;
    lastChange.reset();
    return true;
}

void FileWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = read(inotify, buffer, sizeof buffer);
        if (got <= 0)
            return;
        for (char *at = buffer; at < buffer + got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            at += sizeof(inotify_event) + event->len;
            const auto folder = folders.find(event->wd);
            if (folder == folders.end() || event->len == 0)
                continue;
            if (files.count(normalised(fs::path(folder->second) / event->name)))
                lastChange = std::chrono::steady_clock::now();
        }
    }
}
