#include "app/CommandLine.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

std::optional<int> parseCommandLine(int argc, char **argv, Options &options)
{
    CLI::App app{"A point-and-click adventure engine: plays the game that a game.xml document describes.", "adventure"};
    app.set_version_flag("--version", ADVENTURE_VERSION);
    app.add_option("PATH", options.path, "game folder holding game.xml, or a game document (default: ./game.xml)");
    app.add_option("--scene", options.scene, "play the scene with this sceneId instead of entryScene");
    CLI::Option *replay =
        app.add_option("--replay", options.replay, "play the clicks of a replay script, frame by frame, then end")
            ->type_name("FILE");
    app.add_option("--record", options.record, "write every click and the close to a replay script")
        ->type_name("FILE")
        ->excludes(replay);
    app.add_option("--trace", options.trace, "write what happens, one JSON object a line, to a trace file")
        ->type_name("FILE");
    app.add_option("--expect", options.expect, "compare the replay's trace with this one; status 1 on a difference")
        ->type_name("TRACE")
        ->needs(replay);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::CallForVersion &) {
        std::cout << "adventure " << ADVENTURE_VERSION << '\n';
        return 0;
    } catch (const CLI::ParseError &error) {
        std::cerr << "adventure: " << error.what() << "\n\n" << app.help();
        return 2;
    }
    return std::nullopt;
}

GameLocation locateGame(const std::string &path)
{
    if (path.empty())
        return {".", "game.xml", "game.xml"};
    std::error_code ignored;
    if (fs::is_directory(path, ignored))
        return {path, "game.xml", (fs::path(path) / "game.xml").string()};
    const fs::path document(path);
    const fs::path folder = document.parent_path();
    return {folder.empty() ? "." : folder.string(), document.filename().string(), path};
}
