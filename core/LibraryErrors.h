#pragma once

#include <sstream>

// While alive, collects what the multimedia library writes on its error
// stream; when it ends, reports that as one warning at `where` (the
// attribute that named the file), in the library's own words. So a file that
// fails to load is named with the line and column that asked for it.
class LibraryErrors {
public:
    LibraryErrors(const char *where, const char *code);
    ~LibraryErrors();
    LibraryErrors(const LibraryErrors &) = delete;
    LibraryErrors &operator=(const LibraryErrors &) = delete;

private:
    const char *where;
    const char *code;
    std::streambuf *previous;
    std::stringbuf captured;
};
