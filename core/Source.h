#pragma once

#include <cstddef>
#include <string>
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

    // Reads `path`; throws StartupError when it is not a readable regular file.
    explicit Source(std::string path);

    // Throws StartupError at the first NUL byte or at an element nested deeper
    // than maxDepth. Run before the parser sees the text.
    void checkShape() const;

    char *text() { return buffer.data(); }
    const std::string &fileName() const { return name; }

    // "game.xml:LINE:COLUMN" for a pointer into the buffer, "game.xml:1:1" for null.
    std::string locate(const char *where) const;

private:
    void readFile();
    void indexLines();

    std::string name;
    std::vector<char> buffer;
    std::vector<std::size_t> lineStarts;
};
