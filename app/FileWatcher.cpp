#include "app/FileWatcher.h"
#include "core/text/StartupError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t folderEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

// The limit behind an error of inotify_init1 or inotify_add_watch.
std::string limitFor(int error)
{
    if (error == EMFILE)
        return "; raise fs.inotify.max_user_instances (sysctl)";
    if (error == ENOSPC)
        return "; raise fs.inotify.max_user_watches (sysctl)";
    return "";
}

} // namespace

bool FileWatcher::Stamp::operator==(const Stamp &other) const
{
    return exists == other.exists && inode == other.inode && size == other.size && modified == other.modified;
}

FileWatcher::FileWatcher(std::function<Clock::time_point()> clock)
    : inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), now(std::move(clock))
{
    if (inotify < 0)
        sayOnce(std::string("no inotify instance: ") + describeErrno() + limitFor(errno));
}

FileWatcher::~FileWatcher()
{
    if (inotify >= 0)
        close(inotify);
}

void FileWatcher::watch(const std::vector<std::string> &paths)
{
    files.clear();
    for (const std::string &path : paths) {
        const fs::path file = fs::path(path).lexically_normal();
        files.insert(file.string());
        std::error_code error;
        if (fs::is_symlink(file, error)) {
            const fs::path target = fs::weakly_canonical(file, error);
            if (!error)
                files.insert(target.string());
        }
    }
    addWatches();
    lastSeen = stamps();
}

void FileWatcher::addWatches()
{
    if (inotify < 0)
        return;
    std::set<std::string> wanted;
    for (const std::string &file : files) {
        // The folder, or the nearest one above it that exists, whose
        // events tell when the folder comes back.
        fs::path folder = fs::path(file).parent_path();
        std::error_code error;
        while (!fs::is_directory(folder, error) && folder.has_relative_path())
            folder = folder.parent_path();
        wanted.insert(folder.string());
    }
    // A folder still watched keeps its descriptor: the events of a save
    // made while the game reloaded are still queued under it, and are read
    // after this. A folder made again is another one, with a new descriptor.
    std::map<int, std::string> before;
    before.swap(folders);
    for (const std::string &folder : wanted)
        addWatch(folder);
    for (const auto &[descriptor, folder] : before)
        if (!folders.count(descriptor))
            inotify_rm_watch(inotify, descriptor);
}

void FileWatcher::addWatch(const std::string &folder)
{
    // The descriptor of the folder's watch when it has one already.
    const int descriptor = inotify_add_watch(inotify, folder.c_str(), folderEvents);
    if (descriptor >= 0)
        folders[descriptor] = folder;
    else
        sayOnce("cannot watch " + folder + ": " + describeErrno() + limitFor(errno));
}

bool FileWatcher::changed()
{
    readEvents();
    if (!lastChange || now() - *lastChange < settle)
        return false;
    lastChange.reset();
    return true;
}

void FileWatcher::readEvents()
{
    if (inotify < 0)
        return;
    alignas(inotify_event) char buffer[16384];
    bool rewatch = false;
    bool recheck = false;
    for (;;) {
        const ssize_t got = read(inotify, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (char *at = buffer; at < buffer + got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            at += sizeof(inotify_event) + event->len;
            if (event->mask & IN_Q_OVERFLOW) {
                recheck = true;
                continue;
            }
            const auto folder = folders.find(event->wd);
            if (folder == folders.end())
                continue;
            // The folder itself went: wait for it from above.
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                rewatch = true;
                continue;
            }
            if (event->len == 0)
                continue;
            const std::string path = (fs::path(folder->second) / event->name).string();
            if (files.count(path)) {
                lastChange = now();
                continue;
            }
            // A folder on the way to a watched file came back.
            for (const std::string &file : files)
                if (file.compare(0, path.size() + 1, path + "/") == 0)
                    rewatch = true;
        }
    }
    if (rewatch)
        addWatches();
    // Events were lost, or a folder came back with files in it: whatever
    // differs from the last look is a change.
    if (rewatch || recheck) {
        std::map<std::string, Stamp> current = stamps();
        if (current != lastSeen)
            lastChange = now();
        lastSeen = std::move(current);
    }
}

std::map<std::string, FileWatcher::Stamp> FileWatcher::stamps() const
{
    std::map<std::string, Stamp> found;
    for (const std::string &file : files) {
        struct stat info {};
        Stamp &stamp = found[file];
        if (stat(file.c_str(), &info) != 0)
            continue;
        stamp.exists = true;
        stamp.inode = info.st_ino;
        stamp.size = info.st_size;
        stamp.modified = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    }
    return found;
}

void FileWatcher::sayOnce(const std::string &what)
{
    if (said)
        return;
    said = true;
    std::cerr << "adventure: --watch: " << what << "; saves are not seen and the game is not reloaded" << std::endl;
}
