#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The text of a game document, read whole and kept for in-place parsing.
// Parsing rewrites the buffer, so the line starts are taken before that: they
// turn any pointer into the buffer back into a line and column for messages.
class Source {
public:
    // Limits that keep a hostile or broken file from exhausting the machine:
    // the parser recurses once per nesting level.
    static constexpr std::size_t maxBytes = 256u * 1024u * 1024u;
    static constexpr int maxDepth = 256;

    // Reads `path`; throws StartupError when it is not a readable regular
    // file. Messages call it `shownAs`, or `path` when that is empty.
    explicit Source(std::string path, std::string shownAs = "");

    // Throws StartupError at a NUL byte inside the root element or at an
    // element nested deeper than maxDepth. Run before the parser sees the
    // text; the parser ends the document at the first NUL, so NUL padding
    // after the root element only hides what the parser would ignore anyway.
    void checkShape() const;

    char *text() { return buffer.data(); }
    const std::string &fileName() const { return name; }

    // 1-based line and column of a pointer into the buffer; (1, 1) for null.
    std::pair<std::size_t, std::size_t> position(const char *where) const;
    // "game.xml:LINE:COLUMN" for a pointer into the buffer, "game.xml:1:1" for null.
    std::string locate(const char *where) const;

private:
    void readFile();
    void indexLines();

    std::string path;
    std::string name;
    std::vector<char> buffer;
    // 32 bits hold any offset below maxBytes, and halve the index of a huge document.
    std::vector<std::uint32_t> lineStarts;
};
