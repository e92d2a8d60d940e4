#include "core/state/AtomicFile.h"

#include "core/text/StartupError.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

WriteFailure failure(const std::string &path, const char *doing, int error)
{
    const char *reason = "io-error";
    if (error == ENOSPC || error == EDQUOT)
        reason = "no-space";
    else if (error == EACCES || error == EPERM || error == EROFS)
        reason = "no-permission";
    else if (error == EISDIR || error == ENOTDIR || error == ELOOP)
        reason = "in-the-way";
    return {reason, std::string("cannot ") + doing + " " + path + ": " + describeError(error)};
}

// Writes `bytes` to the open `file`, named `path`, and waits until the disk
// has them. On a failure the file is closed and removed.
std::optional<WriteFailure> writeAndSync(int file, const std::string &path, std::string_view bytes,
                                         const FileCalls &calls)
{
    std::size_t written = 0;
    int error = 0;
    while (written < bytes.size() && error == 0) {
        const ssize_t wrote = calls.write(file, bytes.data() + written, bytes.size() - written);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            error = wrote < 0 ? errno : ENOSPC;
        else
            written += static_cast<std::size_t>(wrote);
    }
    if (error == 0 && calls.fsync(file) != 0)
        error = errno;
    if (error == 0)
        return std::nullopt;
    close(file);
    unlink(path.c_str());
    return failure(path, "write", error);
}

// A lock on the save folder itself (no file of its own to leave there),
// held shared by every engine while it writes a save into it, and taken
// whole by a save only to clear away the temporaries of engines that were
// killed: what is there while no engine writes is left over. After any
// number of kills, at most one temporary is left, by the last.
class SaveLock {
public:
    SaveLock(const SaveLock &) = delete;
    SaveLock &operator=(const SaveLock &) = delete;
    ~SaveLock() { close(file); }

    static std::variant<std::unique_ptr<SaveLock>, WriteFailure> take(const fs::path &folder, const std::string &name)
    {
        const std::string path = folder.string();
        const int opened = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (opened < 0)
            return failure(path, "open the folder", errno);
        std::unique_ptr<SaveLock> lock(new SaveLock(opened));
        if (flock(opened, LOCK_EX | LOCK_NB) == 0)
            removeTemporaries(folder, name);
        while (flock(opened, LOCK_SH) != 0)
            if (errno != EINTR)
                return failure(path, "lock the folder", errno);
        return lock;
    }

private:
    explicit SaveLock(int opened) : file(opened) {}

    static void removeTemporaries(const fs::path &folder, const std::string &name)
    {
        const std::string prefix = "." + name + ".tmp";
        std::error_code error;
        for (const fs::directory_entry &entry : fs::directory_iterator(folder, error))
            if (entry.path().filename().string().compare(0, prefix.size(), prefix) == 0)
                unlink(entry.path().c_str());
    }

    int file;
};

// A temporary file of this save's own beside it, ".NAME.tmp-XXXXXX".
std::variant<std::string, WriteFailure> makeTemporary(const fs::path &folder, const std::string &name, int &file)
{
    std::string pattern = (folder / ("." + name + ".tmp-XXXXXX")).string();
    file = mkostemp(pattern.data(), O_CLOEXEC);
    if (file < 0)
        return failure((folder / name).string(), "create a temporary file for", errno);
    // mkstemp makes it for its owner alone; a save is read like any file.
    if (fchmod(file, 0644) != 0) {
        const int error = errno;
        close(file);
        unlink(pattern.c_str());
        return failure(pattern, "prepare", error);
    }
    return pattern;
}

// Keeps `path` as `backup`, replacing the backup in one step, by way of
// `partial`, a name of this save's own. A hard link costs no copy; where the
// file system has none, the bytes are copied.
std::optional<WriteFailure> keepBackup(const std::string &path, const std::string &backup, const std::string &partial,
                                       const FileCalls &calls)
{
    unlink(partial.c_str());
    if (link(path.c_str(), partial.c_str()) != 0) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream previous;
        previous << in.rdbuf();
        if (!in)
            return failure(path, "read", errno);
        const int copy = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (copy < 0)
            return failure(partial, "create", errno);
        if (std::optional<WriteFailure> failed = writeAndSync(copy, partial, previous.str(), calls))
            return failed;
        close(copy);
    }
    const bool replaced = rename(partial.c_str(), backup.c_str()) == 0;
    const int error = errno;
    // A rename between two links to one file leaves both: another engine may
    // have made the same save the backup a moment before.
    unlink(partial.c_str());
    if (!replaced)
        return failure(backup, "replace", error);
    return std::nullopt;
}

} // namespace

FileCalls FileCalls::system()
{
    return {::write, ::fsync};
}

std::optional<WriteFailure> writeAtomically(const std::string &path, std::string_view bytes, const FileCalls &calls)
{
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code madeError;
    fs::create_directories(folder, madeError);
    if (madeError)
        return WriteFailure{"no-folder", "cannot make the folder " + folder.string() + ": " + madeError.message()};
    struct stat info {};
    const bool previous = lstat(path.c_str(), &info) == 0;
    if (previous && !S_ISREG(info.st_mode))
        return WriteFailure{"in-the-way", "cannot save to " + path + ": something that is not a save (" +
                                              (S_ISDIR(info.st_mode) ? "a folder" : "not a regular file") +
                                              ") stands there; it is left as it is"};
    const std::string name = target.filename().string();
    std::variant<std::unique_ptr<SaveLock>, WriteFailure> lock = SaveLock::take(folder, name);
    if (WriteFailure *failed = std::get_if<WriteFailure>(&lock))
        return *failed;
    int file = -1;
    const std::variant<std::string, WriteFailure> made = makeTemporary(folder, name, file);
    if (const WriteFailure *failed = std::get_if<WriteFailure>(&made))
        return *failed;
    const std::string &temporary = std::get<std::string>(made);
    if (std::optional<WriteFailure> failed = writeAndSync(file, temporary, bytes, calls))
        return failed;
    close(file);
    if (previous)
        if (std::optional<WriteFailure> failed = keepBackup(path, path + ".bak", temporary + ".bak", calls)) {
            unlink(temporary.c_str());
            return failed;
        }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return failure(path, "replace", error);
    }
    // The rename is on disk only once the folder is.
    const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return failure(folder.string(), "sync the folder", errno);
    const int synced = calls.fsync(directory);
    const int error = errno;
    close(directory);
    if (synced != 0)
        return failure(folder.string(), "sync the folder", error);
    return std::nullopt;
}

namespace {

std::string asideCandidate(const std::string &path, int number)
{
    const std::size_t kind = path.rfind(".json");
    const std::string stem = kind == std::string::npos ? path : path.substr(0, kind);
    const std::string ending = kind == std::string::npos ? std::string(".json") : path.substr(kind);
    return stem + ".refused" + (number == 1 ? "" : "-" + std::to_string(number)) + ending;
}

} // namespace

std::string asideName(const std::string &path)
{
    for (int number = 1;; ++number) {
        std::string aside = asideCandidate(path, number);
        struct stat info {};
        if (lstat(aside.c_str(), &info) != 0)
            return aside;
    }
}

std::variant<std::string, WriteFailure> moveAside(const std::string &path)
{
    for (int number = 1;; ++number) {
        const std::string aside = asideCandidate(path, number);
        // Linked, not renamed: a link never replaces what has the name already.
        if (link(path.c_str(), aside.c_str()) == 0) {
            unlink(path.c_str());
            return aside;
        }
        if (errno != EEXIST)
            return failure(path, "move aside", errno);
    }
}
