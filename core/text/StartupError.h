#pragma once

#include <stdexcept>
#include <string>

// The one way start-up reports a fault in the game: a message and the place in
// the document's text that it is about. `where` points into the parsed buffer,
// or is null when the fault belongs to the file as a whole.
class StartupError : public std::runtime_error {
public:
    StartupError(const std::string &message, const char *where);

    const char *where() const { return position; }

private:
    const char *position;
};

// The system's words for the last failed call (errno), safe on any thread:
// the start-up prefetch reads files while the main thread reports.
std::string describeErrno();
// The same for a given error number.
std::string describeError(int error);
