#pragma once

#include "core/state/SaveSettings.h"

class GameDocument;
struct Options;

// The saves of a run as its options and the environment say: a game's saves
// live in $XDG_DATA_HOME/adventure/SAVENAME (~/.local/share when it is unset
// or not absolute), or in --save-dir; never in the game's folder, and never
// over a file the run reads (the files `document` names among them). Paths
// are made absolute here, before the engine enters the game's folder.
SaveSettings saveSettings(const Options &options, const GameDocument &document);
