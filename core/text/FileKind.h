#pragma once

#include <string>

// What a path names, asked in one place. The engine reads only regular files:
// opening a pipe would wait for a writer for ever, and a directory is never a
// document, an image or a sound.
enum class FileKind {
    none, // cannot be looked at (errno says why): missing, or not allowed
    regular,
    directory,
    other, // a pipe, a device or a socket
};

// What a file of this st_mode is.
FileKind fileKindOf(unsigned mode);
// What `path` names, following symbolic links.
FileKind fileKind(const std::string &path);

// Whether `path` names a regular file.
bool isRegularFile(const std::string &path);
// Whether `path` may be handed to the multimedia library: a regular file, or
// a missing one (the library reports that in its own words).
bool isRegularOrMissing(const std::string &path);
