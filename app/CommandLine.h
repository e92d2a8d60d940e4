#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class GameDocument;

// Where a game lives: the folder the engine works from (absolute, so that
// what starts before the engine enters it, like the start-up prefetch,
// reads the same files as what starts after), the document's file name in
// it, and the name messages give the document (the path as given).
struct GameLocation {
    std::string folder;
    std::string file;
    std::string shown;
};

// The game document at `location`, read and parsed once for the whole
// start-up: the guard of the output files, the prefetch and the loader all
// work from it. Never throws; a refused document is reported by the loader.
std::shared_ptr<const GameDocument> readGameDocument(const GameLocation &location);

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
    // Explore every state the game can reach instead of playing it, up to
    // `maxStates`; write the shortest way to the goal as a replay script to
    // `walkthrough` when not empty.
    bool solve = false;
    std::size_t maxStates = 1000000;
    std::string walkthrough;
    // Where to write the checked game as a folder, or a .tar.gz archive by
    // its name, to share it; empty to play.
    std::string bundle;
    // Play-through files; empty when not asked for. A replay plays `replay`
    // instead of the mouse; `record` writes the clicks of a normal play;
    // `trace` writes what happens, in play or replay; `expect` compares a
    // replay's trace with a stored one.
    std::string record;
    std::string replay;
    std::string trace;
    std::string expect;
    // Every text's character size is multiplied by this (0.5 to 3); given
    // on the command line, it wins over the player's settings.
    float textScale = 1.f;
    bool textScaleGiven = false;
    // The player's volumes, 0 to 100, each a share of what the document
    // gives; given on the command line, they win over the player's settings.
    std::optional<int> musicVolume;
    std::optional<int> effectsVolume;
    std::optional<int> voiceVolume;
    // Say aloud what is under the pointer or the focus and each text shown
    // (--speak, --no-speak); none leaves it to the player's settings.
    std::optional<bool> speak;
    // Write the settings this run uses to the game's settings.json.
    bool remember = false;
    // The language to play (--lang), by its id in the document; none plays
    // the document's own texts. One value, whoever fills it.
    std::optional<std::string> language;
    // --strings: the language whose merged translation file is written out.
    std::string stringsOf;
    // Saves: the folder instead of the one the game's saveName names (or, in
    // a replay, instead of a temporary one); a save
    // to start from; start from the auto save; with --check, a save to check.
    std::string saveDir;
    std::string load;
    bool continueAuto = false;
    std::string checkSave;
};

// Reads the command line into `options`. Returns the exit status when the
// program should end at once (--help, --version: 0; a usage error: 2).
std::optional<int> parseCommandLine(int argc, char **argv, Options &options);
