#include "app/CommandLine.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

namespace {

GameLocation locateGame(const std::string &path)
{
    std::error_code ignored;
    if (path.empty())
        return {fs::current_path(ignored).string(), "game.xml", "game.xml"};
    if (fs::is_directory(path, ignored))
        return {fs::absolute(path, ignored).lexically_normal().string(), "game.xml",
                (fs::path(path) / "game.xml").string()};
    const fs::path document(path);
    const fs::path folder = document.parent_path();
    return {fs::absolute(folder.empty() ? "." : folder, ignored).lexically_normal().string(),
            document.filename().string(), path};
}

} // namespace

std::optional<int> parseCommandLine(int argc, char **argv, Options &options)
{
    CLI::App app{"A point-and-click adventure engine: plays the game that a game.xml document describes.", "adventure"};
    app.set_version_flag("--version", ADVENTURE_VERSION);
    app.add_option("PATH", options.path, "game folder holding game.xml, or a game document (default: ./game.xml)");
    CLI::Option *scene =
        app.add_option("--scene", options.scene, "play the scene with this sceneId instead of entryScene")
            ->option_text("ID");
    CLI::Option *watch = app.add_flag(
        "--watch", options.watch,
        "reload the game whenever game.xml or a file it names changes; a refused save keeps the last good game");
    CLI::Option *debug =
        app.add_flag("--debug", options.debug,
                     "show sprite bounds and ids, level limits, the walk target and the world point under the pointer "
                     "(F1 hides and shows it)");
    CLI::Option *replay =
        app.add_option("--replay", options.replay, "play the clicks of a replay script, frame by frame, then end")
            ->type_name("FILE")
            ->excludes(watch);
    CLI::Option *record =
        app.add_option("--record", options.record, "write every click and the close to a replay script")
            ->type_name("FILE")
            ->excludes(replay);
    CLI::Option *trace =
        app.add_option("--trace", options.trace, "write what happens, one JSON object a line, to a trace file")
            ->type_name("FILE");
    app.add_option("--expect", options.expect, "compare the replay's trace with this one; status 1 on a difference")
        ->type_name("TRACE")
        ->needs(replay);
    CLI::Option *check =
        app.add_flag("--check", options.check, "check the game document and report every finding instead of playing")
            ->excludes(scene)
            ->excludes(watch)
            ->excludes(debug)
            ->excludes(replay)
            ->excludes(record)
            ->excludes(trace);
    app.add_option("--format", options.format, "how --check reports: text (default) or json")
        ->check(CLI::IsMember({"text", "json"}))
        ->needs(check);
    app.add_flag("--strict", options.strict, "with --check: warnings fail the check as errors do")->needs(check);
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
    // Frames count on across reloads, so what was recorded could not be
    // replayed: refused before a display is asked for.
    if (options.watch && !options.record.empty()) {
        std::cerr << "adventure: --record cannot be used with --watch: frames count on across reloads, so the "
                     "recording could not be replayed\n";
        return 2;
    }
    options.game = locateGame(options.path);
    return std::nullopt;
}
