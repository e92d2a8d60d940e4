#pragma once

#include "core/text/Document.h"
#include "core/text/Source.h"

#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <utility>

// The game document read from its file and parsed, once for a start or a
// reload, and then shared by everything that needs it meanwhile: the guard
// of the output files and the start-up prefetch ask it which files it names,
// the loader builds the game on its tree, and after a reload the checker
// checks that same tree. A 50 MB document is then read and parsed once, not
// once for each. Nothing writes to the tree after parsing, so threads may
// read it side by side. What stops the reading or the parsing (an unreadable
// file, a NUL, a nesting too deep, malformed XML) is kept and thrown to the
// loader, which reports it as if it had met it itself.
class GameDocument {
public:
    // Reads and parses `path`; messages name it `shownAs`, or `path` when
    // that is empty. Never throws: a fault is kept for parsed().
    GameDocument(const std::string &path, const std::string &shownAs);
    GameDocument(const GameDocument &) = delete;
    GameDocument &operator=(const GameDocument &) = delete;

    static std::shared_ptr<const GameDocument> read(const std::string &path, const std::string &shownAs = "");

    const std::string &name() const { return shownAs; }
    // The text, for placing messages; null when the file could not be read.
    const Source *source() const { return text.get(); }
    // 1-based line and column of a pointer into the text; (1, 1) for null
    // or when there is no text.
    std::pair<std::size_t, std::size_t> position(const char *where) const;

    // The parsed document; throws the StartupError (or the bad_alloc) that
    // reading or parsing it met.
    const rapidxml::xml_document<char> &parsed() const;
    // The root's <assets> element; null when the document was refused or has none.
    Node *assets() const;

private:
    std::string shownAs;
    std::unique_ptr<Source> text;
    rapidxml::xml_document<char> tree;
    std::exception_ptr fault;
};
