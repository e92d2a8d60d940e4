#pragma once

#include "app/SpeechCommand.h"
#include "core/state/PlayerSettings.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

class GameDocument;
struct Options;
struct SaveSettings;

// What the player chose for this run: the game's settings.json (in its save
// folder; a game without a saveName keeps none) with the command line over
// it, and the speech that --speak or the settings turn on.
struct PlayerChoices {
    PlayerSettings settings;
    // Null while nothing is said aloud.
    std::unique_ptr<SpeechCommand> speech;
};

// The path of the settings of the game `document` describes; empty when the
// game keeps none (no saveName, or no folder for its saves).
std::string settingsPath(const GameDocument &document, const SaveSettings &saves);

// The settings file's choices with the command line's over them.
PlayerSettings withCommandLine(PlayerSettings fromFile, const Options &options);

// The language to play in: the command line's, else the settings'; none for
// the game's own language.
std::optional<std::string> languageToUse(const std::optional<std::string> &commandLine, const PlayerSettings &settings);

// Reads the settings (a refused file is reported on `messages` at its fault,
// kept, and the defaults are used), puts the command line over them, writes
// them back only with --remember (moving a refused file aside first), then
// applies the text scale and the volumes and starts the speech asked for.
PlayerChoices takePlayerChoices(const Options &options, const GameDocument &document, const SaveSettings &saves,
                                std::ostream &messages);
