#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// What a player chose for a game and keeps for every later run of it:
// settings.json in the game's save folder, beside the saves. Every key may
// be left out, and then has its default.
struct PlayerSettings {
    // The language to play in; none for the game's own.
    std::optional<std::string> language;
    // Say aloud what is under the pointer or the focus, and each text shown.
    bool speak = false;
    // Every text's character size is multiplied by this (0.5 to 3).
    float textScale = 1.f;
    // Percentages (0 to 100) of the volumes the game gives its music, its
    // click sounds and its voice lines.
    int musicVolume = 100;
    int effectsVolume = 100;
    int voiceVolume = 100;
    // Keys this engine does not know, each with its value's JSON as it was
    // read: written back as they were, for the engine that knows them.
    std::vector<std::pair<std::string, std::string>> others;
};

// Why a settings file is refused, and where in it (line 0 when nowhere).
struct SettingsProblem {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message;
};

// Settings files larger than this are not read: no player's choices come near it.
constexpr std::size_t maxSettingsBytes = 1024 * 1024;

// Reads a settings file's text: one JSON object. A known key whose value is
// not of its kind or out of its range is refused at that value; keys it does
// not know are kept.
std::variant<PlayerSettings, SettingsProblem> parseSettings(std::string_view text);
// Reads the settings at `path`: no file there gives the defaults.
std::variant<PlayerSettings, SettingsProblem> readSettingsFile(const std::string &path);
// The bytes of `settings`: one key a line, ending in a newline.
std::string settingsText(const PlayerSettings &settings);
