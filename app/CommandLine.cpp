#include "app/CommandLine.h"

#include "core/lang/Translation.h"
#include "core/text/Diagnostics.h"
#include "core/text/Document.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <system_error>

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

// Why the saves may not go to `saveDir`, or nothing: installed games are
// read-only, and an author's folder is no place for a player's progress.
// Both paths are compared with every "..", "." and symbolic link resolved.
std::optional<std::string> saveDirRefusal(const std::string &saveDir, const GameLocation &game)
{
    if (saveDir.empty())
        return std::nullopt;
    std::error_code error;
    const fs::path saves = fs::weakly_canonical(fs::absolute(saveDir, error), error);
    const fs::path folder = fs::weakly_canonical(game.folder, error);
    const fs::path relative = saves.lexically_relative(folder);
    if (error || relative.empty() || *relative.begin() == "..")
        return std::nullopt;
    return "will not save in " + escapeControl(saveDir) +
           " (--save-dir): it is in the game's folder, where saves are never written; name a folder outside it";
}

// Why `id` names no language of the game, for --lang and --strings (which
// takes a translated one only). A document that does not read, or whose
// list of languages is malformed, is left to start-up, which says where.
std::optional<std::string> languageRefusal(const char *option, const std::string &id, const GameLocation &game,
                                           bool baseTaken)
{
    const std::shared_ptr<const GameDocument> document = readGameDocument(game);
    LanguageList languages;
    try {
        Node *root = document->parsed().first_node();
        if (!root)
            return std::nullopt;
        languages = readLanguages(root);
    } catch (const StartupError &) {
        return std::nullopt;
    }
    if (languages.find(id) || (baseTaken && !languages.base.empty() && id == languages.base))
        return std::nullopt;
    std::string known;
    for (const std::string &offered : languages.ids())
        if (baseTaken || offered != languages.base)
            known += (known.empty() ? "" : ", ") + offered;
    const std::string said = std::string(option) + " " + escapeControl(id) + ": ";
    if (languages.base.empty())
        return said + escapeControl(game.shown) + " offers no languages (it has no <languages>)";
    if (known.empty())
        return said + "\"" + escapeControl(id) + "\" is the base language, and " + escapeControl(game.shown) +
               " offers no other";
    return said + escapeControl(game.shown) + " offers no such language; it offers " + escapeControl(known);
}

} // namespace

std::shared_ptr<const GameDocument> readGameDocument(const GameLocation &location)
{
    return GameDocument::read((fs::path(location.folder) / location.file).string(), location.shown);
}

std::optional<int> parseCommandLine(int argc, char **argv, Options &options)
{
    CLI::App app{"A point-and-click adventure engine: plays the game that a game.xml document describes.", "adventure"};
    app.set_version_flag("--version", ADVENTURE_VERSION);
    app.add_option("PATH", options.path, "game folder holding game.xml, or a game document (default: ./game.xml)");
    // Read as the document reads a sceneId ("010" is 10, "0x10" is 0), not
    // as a C literal, so that the ID in the document is the ID to type.
    std::string sceneId;
    CLI::Option *scene =
        app.add_option("--scene", sceneId, "play the scene with this sceneId instead of entryScene")->option_text("ID");
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
    CLI::Option *saveDir =
        app.add_option("--save-dir", options.saveDir,
                       "keep saves in DIR instead of $XDG_DATA_HOME/adventure/SAVENAME (with --replay, instead of a "
                       "temporary folder of its own)")
            ->type_name("DIR")
            ->check(
                [](const std::string &dir) { return dir.empty() ? "DIR is empty: name a folder for the saves" : ""; });
    CLI::Option *load =
        app.add_option("--load", options.load, "start from this save file")->type_name("FILE")->excludes(scene);
    CLI::Option *continueAuto =
        app.add_flag("--continue", options.continueAuto, "start from the save made when the window was last closed")
            ->excludes(scene)
            ->excludes(load);
    bool speaks = false;
    CLI::Option *speak =
        app.add_flag("--speak,!--no-speak", speaks,
                     "say aloud the label under the pointer or the focus, each text shown and the option a "
                     "conversation's focus moves to, with spd-say or the command ADVENTURE_SPEAK_COMMAND names "
                     "(--no-speak: not, whatever the settings say)");
    CLI::Option *remember = app.add_flag("--remember", options.remember,
                                         "write the settings this run plays with (--speak, --text-scale, the "
                                         "volumes) to the game's settings.json, beside its saves");
    const auto volume = [&](const char *name, std::optional<int> &into, const char *what) {
        return app.add_option(name, into, std::string("play ") + what + " at N percent (0 to 100) of its own volume")
            ->option_text("N")
            ->check([](const std::string &percent) {
                int value = -1;
                const char *end = percent.data() + percent.size();
                const auto [stop, error] = std::from_chars(percent.data(), end, value);
                return stop != end || error != std::errc() || value < 0 || value > 100
                           ? "N is \"" + percent + "\", but it must be a whole number from 0 to 100"
                           : std::string();
            });
    };
    CLI::Option *music = volume("--music-volume", options.musicVolume, "the music");
    CLI::Option *effects = volume("--effects-volume", options.effectsVolume, "click and conversation sounds");
    CLI::Option *voice = volume("--voice-volume", options.voiceVolume, "voice lines");
    // The modes that report instead of playing take none of play's options.
    const auto excludePlay = [&](CLI::Option *mode) {
        for (CLI::Option *playOption :
             {scene, watch, debug, replay, record, trace, speak, remember, music, effects, voice})
            mode->excludes(playOption);
    };
    CLI::Option *check =
        app.add_flag("--check", options.check, "check the game document and report every finding instead of playing")
            ->excludes(saveDir)
            ->excludes(load)
            ->excludes(continueAuto);
    excludePlay(check);
    app.add_option("--save", options.checkSave, "with --check: check this save file against the game as well")
        ->type_name("FILE")
        ->needs(check);
    CLI::Option *solve =
        app.add_flag("--solve", options.solve,
                     "explore every state the game can reach: is the goal reachable, which presses lead to dead ends, "
                     "what never happens")
            ->excludes(check);
    excludePlay(solve);
    app.add_option("--max-states", options.maxStates, "with --solve: the most states to explore (default 1000000)")
        ->type_name("N")
        ->check([](const std::string &count) {
            std::size_t value = 0;
            const char *end = count.data() + count.size();
            const auto [stop, error] = std::from_chars(count.data(), end, value);
            return stop != end || error != std::errc() || value == 0
                       ? "N is \"" + count + "\", but it must be a whole number of states, 1 or more"
                       : std::string();
        })
        ->needs(solve);
    app.add_option("--write-walkthrough", options.walkthrough,
                   "with --solve: write the shortest way to the goal as a replay script")
        ->type_name("FILE")
        ->needs(solve);
    CLI::Option *format =
        app.add_option("--format", options.format, "how --check and --solve report: text (default) or json")
            ->check(CLI::IsMember({"text", "json"}));
    app.add_option("--text-scale", options.textScale,
                   "multiply every text's character size by F (0.5 to 3), for larger text; with --check, warn "
                   "where a text so scaled would leave the window")
        ->option_text("F")
        ->check([](const std::string &factor) {
            float value = 0;
            const char *end = factor.data() + factor.size();
            const auto [stop, error] = std::from_chars(factor.data(), end, value);
            // A comparison with NaN is false either way: it is refused by name.
            return stop != end || error != std::errc() || !std::isfinite(value) || value < 0.5f || value > 3.f
                       ? "F is \"" + factor + "\", but it must be a number from 0.5 to 3"
                       : std::string();
        });
    CLI::Option *language =
        app.add_option("--lang", options.language,
                       "play in the language with this id (a <language> of the game, or its baseLanguage); with "
                       "--check, what would refuse it is an error")
            ->option_text("ID");
    solve->excludes(language);
    CLI::Option *strings =
        app.add_option("--strings", options.stringsOf,
                       "write the merged translation file of the language with this id to standard output, for "
                       "translators: every text with its base text, stale translations marked")
            ->option_text("ID")
            ->excludes(check)
            ->excludes(solve)
            ->excludes(language);
    excludePlay(strings);
    app.add_flag("--strict", options.strict, "with --check: warnings fail the check as errors do")->needs(check);
    // Either mode reports in either form; CLI11 reads several needs() as all of them.
    app.callback([&] {
        if (format->count() > 0 && !options.check && !options.solve)
            throw CLI::RequiresError("--format", "--check or --solve");
    });
    CLI::Option *bundle =
        app.add_option(
               "--bundle", options.bundle,
               "check the game, then write it with play.sh and a .desktop file to OUT, a new folder or a .tar.gz "
               "archive, to share it")
            ->type_name("OUT")
            ->check(
                [](const std::string &out) { return out.empty() ? "OUT is empty: name a new folder or archive" : ""; })
            ->excludes(check)
            ->excludes(solve);
    excludePlay(bundle);
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
    if (scene->count() > 0)
        options.scene = readInt(sceneId.c_str());
    if (speak->count() > 0)
        options.speak = speaks;
    options.textScaleGiven = app.get_option("--text-scale")->count() > 0;
    // Frames count on across reloads, so what was recorded could not be
    // replayed: refused before a display is asked for.
    if (options.watch && !options.record.empty()) {
        std::cerr << "adventure: --record cannot be used with --watch: frames count on across reloads, so the "
                     "recording could not be replayed\n";
        return 2;
    }
    options.game = locateGame(options.path);
    const bool stringsAsked = strings->count() > 0;
    if (options.language || stringsAsked) {
        const std::optional<std::string> refused =
            stringsAsked ? languageRefusal("--strings", options.stringsOf, options.game, false)
                         : languageRefusal("--lang", *options.language, options.game, true);
        if (refused) {
            std::cerr << "adventure: " << *refused << '\n';
            return 2;
        }
    }
    if (const std::optional<std::string> refused = saveDirRefusal(options.saveDir, options.game)) {
        std::cerr << "adventure: " << *refused << '\n';
        return 2;
    }
    return std::nullopt;
}
