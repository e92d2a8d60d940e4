#pragma once

#include <optional>
#include <string>

// Where a game lives: the folder the engine works from (absolute, so that
// what starts before the engine enters it, like the start-up prefetch,
// reads the same files as what starts after), the document's file name in
// it, and the name messages give the document (the path as given).
struct GameLocation {
    std::string folder;
    std::string file;
    std::string shown;
};

// What the command line asks for. With no arguments the engine plays
// game.xml in the working directory, as it always has.
struct Options {
    // A folder holding game.xml, or a document file; empty for game.xml here.
    std::string path;
    // `path` resolved, once, as the command line is read.
    GameLocation game;
    std::optional<int> scene;
    // Reload the game whenever its document or a file it names changes.
    bool watch = false;
    // Draw sprite bounds, level limits, the walk target and the pointer's world point.
    bool debug = false;
    // Check the document instead of playing it; report as "text" or "json";
    // with `strict`, warnings fail the check as errors do.
    bool check = false;
    std::string format = "text";
    bool strict = false;
    // Play-through files; empty when not asked for. A replay plays `replay`
    // instead of the mouse; `record` writes the clicks of a normal play;
    // `trace` writes what happens, in play or replay; `expect` compares a
    // replay's trace with a stored one.
    std::string record;
    std::string replay;
    std::string trace;
    std::string expect;
};

// Reads the command line into `options`. Returns the exit status when the
// program should end at once (--help, --version: 0; a usage error: 2).
std::optional<int> parseCommandLine(int argc, char **argv, Options &options);
