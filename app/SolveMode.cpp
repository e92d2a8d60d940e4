#include "app/SolveMode.h"

#include "app/CheckMode.h"
#include "app/CommandLine.h"
#include "app/OutputFiles.h"
#include "app/replay/ReplayScript.h"
#include "check/Solver.h"
#include "core/Frame.h"
#include "core/Game.h"
#include "core/assets/LoadedLibraries.h"
#include "core/assets/Resources.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Loading echoes every text's colour on standard output, as the format
// promises players; the solver's report is the only thing it prints there.
class QuietOutput {
public:
    QuietOutput() : saved(std::cout.rdbuf(swallowed.rdbuf())) {}
    ~QuietOutput() { std::cout.rdbuf(saved); }
    QuietOutput(const QuietOutput &) = delete;
    QuietOutput &operator=(const QuietOutput &) = delete;

private:
    std::ostringstream swallowed;
    std::streambuf *saved;
};

// A finding that is neither an error nor a warning: the goal reached, the graph explored.
struct Note {
    std::size_t line;
    std::size_t column;
    const char *code;
    std::string message;
};

std::string presses(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " press" : " presses");
}

std::vector<Note> notes(const SolveReport &report, double seconds)
{
    std::vector<Note> said;
    char time[32];
    std::snprintf(time, sizeof time, "%.3f s", seconds);
    said.push_back({1, 1, "explored",
                    "explored " + std::to_string(report.states) + " states and " + std::to_string(report.moves) +
                        " moves between them in " + time});
    if (report.solution)
        said.push_back({report.goalLine, report.goalColumn, "goal",
                        "the goal can be reached in " + presses(report.solution->size())});
    return said;
}

// What ends the report as an error of its own: no goal, a goal never reached, the limit.
std::optional<Diagnostic> verdict(const SolveReport &report, const Options &options)
{
    if (report.limitReached)
        return Diagnostic{Severity::error, 1, 1, "state-limit",
                          "stopped at the state limit of " + std::to_string(options.maxStates) +
                              " states (--max-states) before every state was explored; " +
                              (report.solution
                                   ? "the goal was reached, but dead ends and what never happens are not known"
                                   : "the goal was not reached so far")};
    if (!report.hasGoal)
        return Diagnostic{Severity::error, report.goalLine, report.goalColumn, "goal",
                          "the game has no \"goal\" on its root, so it cannot be won"};
    if (!report.solution)
        return Diagnostic{Severity::error, report.goalLine, report.goalColumn, "goal", "the goal can never be reached"};
    return std::nullopt;
}

void printText(const std::string &file, const std::vector<Diagnostic> &findings, const std::vector<Note> &said)
{
    for (const Note &note : said)
        std::cout << escapeControl(file) << ':' << note.line << ':' << note.column << ": note: " << note.message << " ["
                  << note.code << "]\n";
    for (const Diagnostic &finding : findings)
        std::cout << renderDiagnostic(file, finding, true) << '\n';
}

void printJson(const std::string &file, const std::vector<Diagnostic> &findings, const std::vector<Note> &said)
{
    nlohmann::ordered_json report = nlohmann::ordered_json::array();
    auto add = [&](std::size_t line, std::size_t column, const char *severity, const std::string &code,
                   const std::string &message) {
        report.push_back({{"file", escapeControl(file)},
                          {"line", line},
                          {"column", column},
                          {"severity", severity},
                          {"code", code},
                          {"message", escapeControl(message)}});
    };
    for (const Note &note : said)
        add(note.line, note.column, "note", note.code, note.message);
    for (const Diagnostic &finding : findings)
        add(finding.line, finding.column, finding.severity == Severity::error ? "error" : "warning", finding.code,
            finding.message);
    std::cout << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

std::string skipLine(std::uint64_t frame)
{
    return formatCommand(ReplayCommand::key(frame, "Escape")) + "  # skip the cutscene\n";
}

// Escape would leave a conversation the cutscene holds as a stop leaves it,
// and the solver chose in it: such a cutscene is played through up to it.
bool talkAhead(const SequenceMoment &cutscene)
{
    return std::any_of(cutscene.sequence->steps.begin() + static_cast<std::ptrdiff_t>(cutscene.step),
                       cutscene.sequence->steps.end(),
                       [](const StepRules &step) { return step.kind == StepRules::Kind::talk; });
}

// The frames of the fades under way, played out: presses wait for them.
std::uint64_t waitOutFades(Game &game)
{
    std::uint64_t frames = 0;
    for (; game.fading(); ++frames)
        playFrame(game);
    return frames;
}

// The frames after `frame` until the next press, as the solver took them: the
// walk and the fades to their end, then each cutscene skipped with Escape
// where the solver skipped it, or else played frame by frame, its lines
// passed with Enter, up to its end or the conversation it holds.
std::uint64_t settleCutscenes(Game &game, std::uint64_t frame, std::string &script)
{
    game.transition();
    std::uint64_t frames = walkToEnd(game);
    frames += waitOutFades(game);
    const SequenceMoment &cutscene = game.cutscene();
    while ((cutscene.running() || !cutscene.queued.empty()) && !game.conversation().running()) {
        ++frames;
        std::string_view key;
        if (cutscene.running() && cutscene.sequence->skippable && !talkAhead(cutscene)) {
            key = "Escape";
            script += skipLine(frame + frames);
        } else if (cutscene.running() && cutscene.current().kind == StepRules::Kind::say &&
                   !cutscene.current().frames) {
            key = "Enter";
            script += formatCommand(ReplayCommand::key(frame + frames, "Enter")) + "  # pass the line\n";
        }
        playFrame(game, [&](Game &played) {
            if (!key.empty())
                played.key(key);
        });
    }
    // A scene the cutscene entered fades in.
    return frames + waitOutFades(game);
}

// The walkthrough as a replay script: each press in the frame after the walk
// and the cutscenes of the one before have ended, as stepping the game from
// its start counts them, then a shot beside the script.
std::string walkthroughScript(Game &game, const std::vector<SolvedPress> &solution, const std::string &shot)
{
    std::string script = "# The shortest way to the goal, written by adventure --solve. Each press comes\n"
                         "# in the frame after the walk of the one before has ended.\n";
    std::uint64_t frame = settleCutscenes(game, 0, script) + 1;
    for (const SolvedPress &press : solution) {
        if (press.key.empty()) {
            game.press(press.point);
            script += formatCommand(ReplayCommand::click(frame, press.point, sf::Mouse::Left));
        } else {
            game.key(press.key);
            script += formatCommand(ReplayCommand::key(frame, press.key));
        }
        script += "  # " + press.what + "\n";
        frame += settleCutscenes(game, frame, script) + 1;
    }
    return script + "at " + std::to_string(frame) + " shot " + shot + "  # the goal is reached\n";
}

bool writeWalkthrough(const std::string &path, const std::string &script)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << script;
    if (out.flush())
        return true;
    std::cerr << "adventure: cannot write the walkthrough " << escapeControl(path) << ": " << describeErrno() << '\n';
    return false;
}

} // namespace

int solve(const Options &options)
{
    const GameLocation &location = options.game;
    const std::string document = (fs::path(location.folder) / location.file).string();
    if (const std::optional<std::string> why = unreadableDocument(document)) {
        std::cerr << "adventure: cannot solve " << escapeControl(location.shown) << ": " << *why << '\n';
        return 2;
    }
    // Named from where the engine was started, before it works from the game's folder.
    std::error_code ignored;
    const fs::path walkthrough = options.walkthrough.empty() ? fs::path() : fs::absolute(options.walkthrough, ignored);
    std::shared_ptr<const GameDocument> gameDocument = readGameDocument(location);
    // Never over the document or a file it names.
    OutputFiles outputs;
    outputs.readGame(location, *gameDocument);
    if (!walkthrough.empty() && !outputs.claimOption(walkthrough.string(), "--write-walkthrough", "walkthrough"))
        return 2;
    if (chdir(location.folder.c_str()) != 0) {
        std::cerr << "adventure: cannot enter the game folder " << escapeControl(location.folder) << ": "
                  << describeErrno() << '\n';
        return 2;
    }
    gameResources().withoutDevices = true;
    Game game;
    game.echo = nullptr;
    // Made in place: GCC 12 takes a report moved into a default one for one
    // read before it is written, and CI fails on its warnings.
    std::optional<SolveReport> solved;
    std::string script;
    double seconds = 0;
    {
        const QuietOutput quiet;
        try {
            game.start(std::move(gameDocument));
        } catch (const StartupError &error) {
            std::cerr << game.describe(error) << '\n';
            return 2;
        }
        // Laying out a wrapped text draws its glyphs, which takes a graphics
        // context even without a window: its driver stays loaded, as a window's does.
        keepLoadedLibrariesMapped();
        const Game::Snapshot start = game.snapshot();
        settle(game);
        const auto began = std::chrono::steady_clock::now();
        solved.emplace(Solver(game, options.maxStates).run());
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        if (solved->solution && !walkthrough.empty()) {
            game.restore(start);
            // The walkthrough is played as a player plays it: with its fades.
            game.fades = true;
            script = walkthroughScript(game, *solved->solution, walkthrough.stem().string() + "-goal.png");
        }
    }
    const SolveReport &report = *solved;
    std::vector<Diagnostic> findings = report.findings;
    if (const std::optional<Diagnostic> last = verdict(report, options))
        findings.push_back(*last);
    if (options.format == "json")
        printJson(location.shown, findings, notes(report, seconds));
    else
        printText(location.shown, findings, notes(report, seconds));
    if (!walkthrough.empty()) {
        if (!report.solution) {
            std::cerr << "adventure: no walkthrough written: the goal was not reached\n";
        } else if (!writeWalkthrough(walkthrough.string(), script)) {
            return 2;
        }
    }
    if (report.limitReached)
        return 3;
    const bool deadEnd = std::any_of(report.findings.begin(), report.findings.end(), [](const Diagnostic &finding) {
        return finding.code == "dead-end" || finding.code == "dialog-trap";
    });
    return report.solution && !deadEnd ? 0 : 1;
}
