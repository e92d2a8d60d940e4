#include "app/SavePlaces.h"

#include "app/CommandLine.h"
#include "app/OutputFiles.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

// Where a user's data lives by the XDG base directory rules; empty when
// neither variable says.
fs::path dataHome()
{
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute())
        return xdg;
    const char *home = std::getenv("HOME");
    if (home && *home)
        return fs::path(home) / ".local" / "share";
    return {};
}

fs::path absolute(const std::string &path)
{
    std::error_code ignored;
    return fs::absolute(path, ignored).lexically_normal();
}

fs::path resolved(const fs::path &path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path : canonical;
}

} // namespace

SaveSettings saveSettings(const Options &options, const GameDocument &document)
{
    SaveSettings settings;
    const fs::path chosen = options.saveDir.empty() ? fs::path() : absolute(options.saveDir);
    const fs::path home = dataHome();
    settings.folderFor = [chosen, home](std::string_view saveName) {
        if (!chosen.empty())
            return chosen.string();
        return home.empty() ? std::string() : (home / "adventure" / std::string(saveName)).string();
    };
    const GameLocation &location = options.game;
    auto inputs = std::make_shared<OutputFiles>();
    inputs->readGame(location, document);
    inputs->read(options.replay, "the replay script");
    inputs->read(options.expect, "the expected trace");
    inputs->read(options.trace, "the trace file (--trace)");
    inputs->read(options.record, "the recording (--record)");
    const fs::path gameFolder = resolved(absolute(location.folder));
    settings.refuse = [inputs, gameFolder](const std::string &path) -> std::optional<std::string> {
        // Installed games are read-only, and an author's folder is no place for a player's progress.
        if (resolved(absolute(path).parent_path()) == gameFolder)
            return std::string("in the game's folder, where saves are never written");
        return inputs->clashOf(path);
    };
    if (!options.load.empty())
        settings.startFrom = absolute(options.load).string();
    settings.continueAuto = options.continueAuto;
    return settings;
}
