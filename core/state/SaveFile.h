#pragma once

#include "core/state/AtomicFile.h"

#include <SFML/System/Vector2.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <variant>
#include <vector>

// A save as it is on disk: one JSON object whose keys always come in the
// same order, so that one state always gives the same bytes. Names are
// stored, never positions in the document, so that a save survives edits
// of the game.
struct SaveData {
    // Changes only for a change an older reader cannot read.
    static constexpr int currentFormat = 1;

    std::string saveName;
    std::string gameVersion;
    int scene = 0;
    // Where the player stands; none in a game without a player.
    std::optional<sf::Vector2f> player;
    // The set flags, sorted.
    std::vector<std::string> flags;
    // The inventory, in its order.
    std::vector<std::string> items;
    // Ascending.
    std::vector<int> visited;
    // Flags declared to start set that are clear now, sorted: without them a
    // loaded game could not tell a flag the player cleared from one that a
    // later version of the game added, and would set it again.
    std::vector<std::string> clearedFlags;
    // The options chosen in conversations, "DIALOG.OPTION", in the order
    // first chosen; none (and no key) for a game without conversations.
    std::optional<std::vector<std::string>> chosen;
};

// 1-based line and column of the byte `offset` (0-based) of `text`.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset);

// The bytes of `data`, ending in a newline.
std::string saveText(const SaveData &data);

// Why a save is refused, in the order a load checks.
enum class LoadRefusal { missing, corrupt, newerFormat, otherGame, missingScene };
// "missing", "corrupt", "newer-format", "other-game", "missing-scene".
const char *refusalName(LoadRefusal reason);

// A refused save: why, and where in the file when there is a place (line 0
// when there is none).
struct SaveProblem {
    LoadRefusal reason = LoadRefusal::corrupt;
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message;
};

// Saves larger than this are not read: no game's state comes near it.
constexpr std::size_t maxSaveBytes = 16 * 1024 * 1024;

// Reads a save's text: a corrupt one (not JSON, not an object, a known key
// of the wrong kind) or one of a newer format is refused. Keys it does not
// know are ignored.
std::variant<SaveData, SaveProblem> parseSave(std::string_view text);
// Reads the save at `path`; no file there is missing, a file that cannot be
// read is corrupt.
std::variant<SaveData, SaveProblem> readSaveFile(const std::string &path);
