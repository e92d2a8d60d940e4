#pragma once

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

// What the run says about saves, set before the game starts: where a game's
// saves live, which paths must never be written, and a save to start from.
struct SaveSettings {
    // The folder of the saves of the game called `saveName`; empty when there is none.
    std::function<std::string(std::string_view saveName)> folderFor;
    // Why `path` must not be written (it is a file the run reads, say), or nothing.
    std::function<std::optional<std::string>(const std::string &path)> refuse;
    // A save file to start from instead of the entry scene (--load).
    std::string startFrom;
    // Start from the auto save when there is one (--continue).
    bool continueAuto = false;
    // Where the player is told of every save and load that fails.
    std::ostream *messages = &std::cerr;
};
