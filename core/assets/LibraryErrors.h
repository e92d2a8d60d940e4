#pragma once

#include <string>

class Diagnostics;

// The multimedia library writes its complaints on one error stream, from the
// main thread and from its own audio threads alike. That stream is redirected
// once for the whole process, to a router that takes a lock for every write:
// a thread inside a capture writes into its innermost capture, and every
// write from a thread without one goes on to standard error. So a report
// from the music thread never lands inside a warning about another file, and
// two reports at once cannot corrupt the stream.
class LibraryErrorCapture {
public:
    LibraryErrorCapture();
    ~LibraryErrorCapture();
    LibraryErrorCapture(const LibraryErrorCapture &) = delete;
    LibraryErrorCapture &operator=(const LibraryErrorCapture &) = delete;

    // What this thread's library calls wrote while this was its innermost capture.
    std::string text() const;

private:
    friend class LibraryErrorRouter;
    std::string heard;
    LibraryErrorCapture *outer;
};

// Installs the router unless that is done. Captures install it themselves;
// a program calls this to route the library's output before any capture.
void routeLibraryErrors();

// While alive, captures what the library writes on this thread; when it
// ends, reports that as one warning at `where` (the attribute that named the
// file) into `sink`, in the library's own words. So a file that fails to load
// is named with the line and column that asked for it.
class LibraryErrors {
public:
    LibraryErrors(Diagnostics *sink, const char *where, const char *code);
    ~LibraryErrors();
    LibraryErrors(const LibraryErrors &) = delete;
    LibraryErrors &operator=(const LibraryErrors &) = delete;

private:
    Diagnostics *sink;
    const char *where;
    const char *code;
    LibraryErrorCapture capture;
};
