#include "app/replay/ReplayMode.h"

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/JsonTrace.h"
#include "app/OutputFiles.h"
#include "app/Startup.h"
#include "app/replay/ExpectedTrace.h"
#include "app/replay/ReplayScript.h"
#include "core/Game.h"
#include "core/text/FileKind.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Sleep.hpp>
#include <SFML/Window/Event.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// A fault in a file named on the command line, found before anything plays;
// an empty message when it has been printed already.
struct UnusableFile {
    std::string message;
};

Diagnostic errorAt(std::size_t line, std::size_t column, std::string message)
{
    return {Severity::error, line, column, "replay", std::move(message)};
}

// Why a file cannot be opened for reading, before trying: opening a pipe
// would wait for a writer instead of failing.
std::optional<std::string> unreadable(const std::string &path)
{
    const FileKind kind = fileKind(path);
    if (kind == FileKind::none)
        return "no such file";
    if (kind != FileKind::regular)
        return "not a regular file";
    return std::nullopt;
}

ReplayScript readScript(const std::string &path, bool keepsAspect)
{
    std::error_code ignored;
    std::ifstream in;
    std::optional<std::string> why = unreadable(path);
    if (!why) {
        in.open(path, std::ios::binary);
        if (!in.is_open())
            why = describeErrno();
    }
    if (why)
        throw UnusableFile{renderDiagnostic(path, errorAt(1, 1, "cannot read the replay script: " + *why))};
    if (fs::file_size(path, ignored) > ReplayScript::maxBytes)
        throw UnusableFile{
            renderDiagnostic(path, errorAt(1, 1,
                                           "the replay script is larger than " +
                                               std::to_string(ReplayScript::maxBytes / (1024 * 1024)) + " MiB"))};
    std::ostringstream text;
    text << in.rdbuf();
    ReplayScript script;
    if (const std::optional<Diagnostic> error = parseReplayScript(text.str(), script, keepsAspect))
        throw UnusableFile{renderDiagnostic(path, *error)};
    return script;
}

// Whether `path`, with every symbolic link resolved, lies in `folder`.
bool inside(const fs::path &path, const fs::path &folder)
{
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    const fs::path base = fs::weakly_canonical(folder, error);
    return !error && std::mismatch(base.begin(), base.end(), resolved.begin(), resolved.end()).first == base.end();
}

// Where each shot goes: beside the script, in a folder that must exist and
// must not lead out of the script's folder through a symbolic link.
std::vector<fs::path> shotPaths(const ReplayScript &script, const std::string &scriptPath)
{
    const fs::path folder = fs::absolute(fs::path(scriptPath)).parent_path();
    std::vector<fs::path> paths;
    for (const ReplayCommand &command : script.commands) {
        if (command.kind != ReplayCommand::Kind::shot) {
            paths.emplace_back();
            continue;
        }
        const fs::path path = (folder / command.file).lexically_normal();
        const auto refuse = [&](const std::string &why) {
            return UnusableFile{renderDiagnostic(scriptPath, errorAt(command.line, command.column, why))};
        };
        std::error_code ignored;
        if (!fs::is_directory(path.parent_path(), ignored))
            throw refuse("cannot write the shot: the folder " + path.parent_path().string() + " does not exist");
        if (!inside(path.parent_path(), folder))
            throw refuse("cannot write the shot: the folder " + path.parent_path().string() +
                         " leads out of the script's folder through a symbolic link");
        paths.push_back(path);
    }
    return paths;
}

// Each file the replay writes, claimed before anything plays: none may be a
// file it reads (`document` and what it names among them) or another of its
// outputs.
void claimOutputs(const Options &options, const GameDocument &document, const ReplayScript &script,
                  const std::vector<fs::path> &shots)
{
    OutputFiles outputs;
    outputs.readGame(options.game, document);
    outputs.read(options.replay, "the replay script");
    outputs.read(options.expect, "the expected trace");
    if (!outputs.claimOption(options.trace, "--trace", "trace"))
        throw UnusableFile{};
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const ReplayCommand &command = script.commands[i];
        if (command.kind != ReplayCommand::Kind::shot)
            continue;
        const std::string role = "the shot of line " + std::to_string(command.line);
        if (const std::optional<std::string> clash = outputs.claim(shots[i].string(), role))
            throw UnusableFile{renderDiagnostic(options.replay, errorAt(command.line, command.column,
                                                                        "the shot \"" + command.file + "\" is " +
                                                                            *clash + "; refusing to write over it"))};
    }
}

// Written beside the shot and renamed over it, so that a shot is either
// whole or not there; the temporary name ends in .png for the encoder.
bool saveShot(const sf::RenderWindow &window, const fs::path &path)
{
    sf::Texture capture;
    if (!capture.create(window.getSize().x, window.getSize().y))
        return false;
    capture.update(window);
    const fs::path partial = path.parent_path() / ("." + path.filename().string() + ".partial.png");
    if (!capture.copyToImage().saveToFile(partial.string()))
        return false;
    std::error_code error;
    fs::rename(partial, path, error);
    if (error)
        fs::remove(partial, error);
    return !error;
}

// The script as a frame's input: its clicks in the event phase, its shots
// once the frame is drawn, and the end after its last frame. The window's
// own input is taken and ignored, except its close button.
// The window's new size, waited for as the window system makes it, so that a
// shot in the same frame shows it.
void resize(sf::RenderWindow &window, sf::Vector2u size)
{
    window.setSize(size);
    for (int tries = 0; tries < 100 && window.getSize() != size; ++tries)
        sf::sleep(sf::milliseconds(5));
}

class ScriptInput : public FrameInput {
public:
    // Drawing takes most of a frame under a software renderer (about 5 ms of
    // the example game's 7 on the test machine), so a replay draws only
    // every tenth frame, enough to watch it go by, and each frame it shoots.
    static constexpr std::uint64_t drawnEvery = 10;

    ScriptInput(const ReplayScript &played, std::vector<fs::path> shotFiles, std::string shownAs)
        : script(played), shots(std::move(shotFiles)), scriptName(std::move(shownAs))
    {
    }

    void handleEvents(std::uint64_t frame, Game &game, sf::RenderWindow &window) override
    {
        sf::Event event{};
        while (window.pollEvent(event))
            if (event.type == sf::Event::Closed)
                window.close();
        for (std::size_t i = next; i < script.commands.size() && script.commands[i].frame == frame; ++i)
            if (script.commands[i].kind == ReplayCommand::Kind::click)
                game.press(script.commands[i].point, script.commands[i].button);
            else if (script.commands[i].kind == ReplayCommand::Kind::move)
                game.movePointer(script.commands[i].point);
            else if (script.commands[i].kind == ReplayCommand::Kind::key)
                game.key(script.commands[i].keyName);
            else if (script.commands[i].kind == ReplayCommand::Kind::close)
                game.close();
            else if (script.commands[i].kind == ReplayCommand::Kind::resize)
                resize(window, script.commands[i].size);
    }

    bool draws(std::uint64_t frame) const override
    {
        if (frame % drawnEvery == 0)
            return true;
        for (std::size_t i = next; i < script.commands.size() && script.commands[i].frame == frame; ++i)
            if (script.commands[i].kind == ReplayCommand::Kind::shot)
                return true;
        return false;
    }

    void endFrame(std::uint64_t frame, const Game &, sf::RenderWindow &window) override
    {
        for (; next < script.commands.size() && script.commands[next].frame == frame; ++next) {
            const ReplayCommand &command = script.commands[next];
            if (command.kind == ReplayCommand::Kind::shot && window.isOpen() && !saveShot(window, shots[next])) {
                std::cerr << renderDiagnostic(scriptName, errorAt(command.line, command.column,
                                                                  "could not write the shot " + shots[next].string()))
                          << std::endl;
                failed = true;
            }
        }
        if (frame >= script.lastFrame() && window.isOpen()) {
            ended = true;
            window.close();
        }
    }

    // False when the window was closed before the script's last frame.
    bool playedToTheEnd() const { return ended; }
    bool wroteEveryShot() const { return !failed; }

private:
    const ReplayScript &script;
    std::vector<fs::path> shots;
    std::string scriptName;
    std::size_t next = 0;
    bool failed = false;
    bool ended = false;
};

// Everything a replay reads, read and checked before any window opens.
struct ReplayFiles {
    ReplayScript script;
    std::vector<fs::path> shots;
    ExpectedTrace expected;
};

ReplayFiles readFiles(const Options &options, const GameDocument &document)
{
    ReplayFiles files;
    // Only a game that keeps its aspect has bars to press: its root says so
    // before the game is loaded.
    const Node *assets = document.assets();
    const Node *root = assets ? assets->parent() : nullptr;
    const Attribute *aspect = root ? root->first_attribute("aspect") : nullptr;
    files.script =
        readScript(options.replay, aspect && std::string_view(aspect->value(), aspect->value_size()) == "keep");
    files.shots = shotPaths(files.script, options.replay);
    claimOutputs(options, document, files.script, files.shots);
    if (!options.expect.empty())
        if (const std::optional<Diagnostic> error = files.expected.load(options.expect))
            throw UnusableFile{renderDiagnostic(options.expect, *error)};
    return files;
}

// The status of a replay that started: 0 when it played to its end, wrote
// everything it was asked to and matched the expected trace.
int outcome(const Options &options, const ScriptInput &input, const ExpectedTrace &expected)
{
    if (!input.playedToTheEnd()) {
        std::cerr << "adventure: the window was closed before the end of " << escapeControl(options.replay)
                  << std::endl;
        return 1;
    }
    if (!input.wroteEveryShot())
        return 1;
    if (!OutputFile::flushAll())
        return 1;
    if (const std::optional<std::string> difference = expected.firstDifference(options.expect)) {
        std::cerr << *difference << std::endl;
        return 1;
    }
    return 0;
}

} // namespace

int replay(const Options &options)
{
    std::shared_ptr<const GameDocument> document = readGameDocument(options.game);
    ReplayFiles files;
    try {
        files = readFiles(options, *document);
    } catch (const UnusableFile &error) {
        if (!error.message.empty())
            std::cerr << error.message << std::endl;
        return 2;
    }
    // A replay plays alike on every machine and leaves the player's saves
    // alone: without --save-dir, it saves in a folder of its own.
    Options played = options;
    std::optional<TemporaryFolder> saves;
    if (options.saveDir.empty()) {
        saves.emplace("adventure-replay-saves");
        if (!saves->made()) {
            std::cerr << "adventure: no folder for the replay's saves: " << saves->failure()
                      << "; name one with --save-dir" << std::endl;
            return 2;
        }
        played.saveDir = saves->path();
    }
    OutputFile traceFile("trace file");
    if (!traceFile.open(options.trace))
        return 2;
    keepEchoOffOutputs({options.trace});
    catchStopSignals();

    JsonTrace trace([&](const std::string &line) {
        if (traceFile.isOpen())
            traceFile.stream() << line << '\n';
        if (!options.expect.empty())
            files.expected.compare(line);
    });
    ScriptInput input(files.script, std::move(files.shots), options.replay);
    const bool traced = traceFile.isOpen() || !options.expect.empty();
    const int status = runGame(
        played, std::move(document), traced ? &trace : nullptr,
        [&](Game &game, sf::RenderWindow &window) {
            // Frame by frame, not by the clock: as fast as frames can be drawn.
            FramePacer unpaced(0);
            runFrameLoop(game, window, input, unpaced);
            return 0;
        },
        [] {});
    return status != 0 ? status : outcome(options, input, files.expected);
}
