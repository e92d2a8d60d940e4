#pragma once

#include <fstream>
#include <optional>
#include <string>
#include <vector>

class GameDocument;
struct GameLocation;

// Every file a run writes is claimed here before it is opened, and refused
// when it is the same file as one the run reads (the game document, a file
// the document names, the replay script, the expected trace) or as another
// output of the run: a slip of tab completion or a hostile replay script
// must not overwrite what an author owns. Files are the same when they are
// one inode, or, while one of them does not exist yet, one absolute path
// with every symbolic link resolved. Devices and pipes are never refused:
// two outputs to /dev/null are fine.
class OutputFiles {
public:
    // A file the run reads, called `role` in messages ("the replay script").
    void read(const std::string &path, std::string role);
    // The game document at `location` and every file it names, as
    // `document`, read from there, names them; a refused document names
    // nothing, and the game reports it later.
    void readGame(const GameLocation &location, const GameDocument &document);
    // Claims `path` for writing as `role`. When it is one of the files above
    // or one claimed before, returns that file's role and claims nothing.
    std::optional<std::string> claim(const std::string &path, std::string role);
    // The role of the known file that `path` is, without claiming it.
    std::optional<std::string> clashOf(const std::string &path) const;
    // Claims the file of a command-line option as "the WHAT (OPTION)"; when
    // it is refused, prints `adventure: OPTION "PATH" is ROLE; refusing to
    // write over it` and returns false.
    bool claimOption(const std::string &path, const char *option, const char *what);

private:
    struct Identity {
        bool exists = false;
        bool regular = false;
        unsigned long long device = 0;
        unsigned long long inode = 0;
        std::string path;
    };
    struct Known {
        Identity identity;
        std::string role;
    };

    static Identity identify(const std::string &path);
    static bool same(const Identity &a, const Identity &b);

    std::vector<Known> known;
};

// A file written as the game plays (the recording, the trace), kept whole
// whatever happens: flushed at the end of each frame, before the engine
// waits for Enter and when SIGINT or SIGTERM ends the run. The first write
// that fails prints one line naming the file; the run plays on and ends
// with status 1.
class OutputFile {
public:
    // `what` names the file in messages: "recording", "trace file".
    explicit OutputFile(const char *what);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Opens (and empties) `path`; an empty path opens nothing. False, with
    // the reason printed, when it cannot be opened.
    bool open(const std::string &path);
    bool isOpen() const { return out.is_open(); }
    std::ostream &stream() { return out; }
    // Writes what is buffered; false once any write has failed.
    bool flush();
    bool failed() const { return broken; }

    // Flushes every open output file; true when all of them are whole.
    static bool flushAll();

private:
    const char *what;
    std::string path;
    std::ofstream out;
    bool broken = false;
};

// A folder of the run's own, made new under $TMPDIR (/tmp when that is
// unset) and removed with all it holds when the run ends: when this goes,
// and when a stop signal ends the run.
class TemporaryFolder {
public:
    // Makes the folder, named `prefix` and six random characters; made()
    // says whether that worked, and failure() why not.
    explicit TemporaryFolder(const std::string &prefix);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    bool made() const { return !folder.empty(); }
    const std::string &path() const { return folder; }
    // "cannot make a folder in /tmp: Permission denied", when not made.
    const std::string &failure() const { return why; }

    // Removes every temporary folder of the run, for an end without unwinding.
    static void removeAll();

private:
    void remove();

    std::string folder;
    std::string why;
};

// SIGINT, SIGTERM and SIGHUP set a flag instead of ending the process at
// once, so that the main loop can end play as the close button does (with
// the auto save) and flush the output files first. A second signal ends the
// process at once, for a run that is stuck before its loop.
void catchStopSignals();
// Whether a stop signal has come.
bool stopSignalled();
// When a stop signal came: flushes every output file, removes the
// temporary folders and ends the process as that signal ends it. Called by the frame loop and while waiting.
void stopIfSignalled();
// The console stays open until the player has read it: flushes every output
// file, then waits for Enter (or the end of the input, or a stop signal).
void waitForEnter();
// The text colours are echoed on standard output; when one of `paths` (the
// run's output files, opened) is standard output, as with --trace
// /dev/stdout, the echo goes to standard error instead of into the file.
void keepEchoOffOutputs(const std::vector<std::string> &paths);
