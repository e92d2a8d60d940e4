#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <variant>

// Writing a file so that it is never lost: whole or not at all, the one
// before kept, nothing written over what is not ours.

// The system calls a save goes through, replaceable so that a test can make
// a write fail as a full disk does, or leave out the waits for the disk.
struct FileCalls {
    ssize_t (*write)(int, const void *, std::size_t) = nullptr;
    int (*fsync)(int) = nullptr;
    static FileCalls system();
};

// Why a save was not written: a short word for the trace ("no-space",
// "no-permission", "in-the-way", "no-folder", "io-error") and a sentence
// naming the file for the player.
struct WriteFailure {
    std::string reason;
    std::string message;
};

// Writes `bytes` to `path` so that a crash or a full disk at any moment
// leaves `path` either as it was or whole with the new bytes: a temporary
// file in the same folder is written and synced, the previous file is kept
// as PATH.bak, the temporary is renamed over `path`, and the folder is
// synced. The folder is made when missing. On a failure `path` is
// untouched and no temporary stays behind; a temporary left by a crash is
// replaced by the next save.
std::optional<WriteFailure> writeAtomically(const std::string &path, std::string_view bytes,
                                            const FileCalls &calls = FileCalls::system());

// The first free name of the kind of `path` beside it, for keeping a save
// aside: "auto.json" gives "auto.refused.json", then "auto.refused-2.json"
// and on ("auto.json.bak" gives "auto.refused.json.bak").
std::string asideName(const std::string &path);
// Moves the save at `path` to asideName(path), never over another file. The
// new path, or why it could not be moved.
std::variant<std::string, WriteFailure> moveAside(const std::string &path);
