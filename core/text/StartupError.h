#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

// A place in a file other than the game document (a translation file).
struct FilePlace {
    std::string file;
    std::size_t line = 1;
    std::size_t column = 1;
};

// The one way start-up reports a fault in the game: a message and the place in
// the document's text that it is about. `where` points into the parsed buffer,
// or is null when the fault belongs to the file as a whole.
class StartupError : public std::runtime_error {
public:
    StartupError(const std::string &message, const char *where);
    StartupError(const std::string &message, FilePlace elsewhere);

    const char *where() const { return position; }
    // Where the fault is when it is not in the document.
    const std::optional<FilePlace> &elsewhere() const { return other; }

private:
    const char *position;
    std::optional<FilePlace> other;
};

// The system's words for the last failed call (errno), safe on any thread:
// the start-up prefetch reads files while the main thread reports.
std::string describeErrno();
// The same for a given error number.
std::string describeError(int error);
