// libFuzzer target: arbitrary bytes as a replay script. The parser gives
// either one located error and no commands, or commands whose frames never
// go backwards nor past the limit, at points inside the world; each command then writes back as a line
// that reads as the same command, as a recording relies on; and every shot
// it takes stays inside the script's folder.

#include "app/replay/ReplayScript.h"
#include "core/text/Format.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool same(const ReplayCommand &a, const ReplayCommand &b)
{
    return a.frame == b.frame && a.kind == b.kind && a.point == b.point && a.button == b.button && a.file == b.file;
}

void checkError(const Diagnostic &error, const ReplayScript &script, std::string_view text)
{
    if (!script.commands.empty() || error.line == 0 || error.column == 0 || error.message.empty())
        std::abort();
    // The message is what the engine prints.
    if (renderDiagnostic("fuzz.replay", error).size() < error.message.size() || error.line > text.size() + 1)
        std::abort();
}

// A shot the parser takes is written inside the script's folder, under the
// name the checks saw: no control byte (a NUL would end the name early),
// no leading "/", no ".." folder, and ".png" at the end.
void checkShot(const ReplayCommand &command)
{
    const std::string &name = command.file;
    if (command.kind != ReplayCommand::Kind::shot)
        return;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            std::abort();
    if (name.empty() || name.front() == '/' || name.size() < 5 || name.compare(name.size() - 4, 4, ".png") != 0)
        std::abort();
    if (("/" + name + "/").find("/../") != std::string::npos)
        std::abort();
}

// A click or a move at a point a player's pointer can be at.
void checkPoint(const ReplayCommand &command)
{
    if (command.kind != ReplayCommand::Kind::click && command.kind != ReplayCommand::Kind::move)
        return;
    const auto world = static_cast<float>(worldSize);
    for (const float axis : {command.point.x, command.point.y})
        if (!(axis >= 0.f && axis <= world))
            std::abort();
}

void checkCommands(const ReplayScript &script)
{
    std::uint64_t previous = 0;
    for (const ReplayCommand &command : script.commands) {
        if (command.frame < previous || command.frame > ReplayScript::maxFrame)
            std::abort();
        checkPoint(command);
        previous = command.frame;
        checkShot(command);
        ReplayScript again;
        if (parseReplayScript(formatCommand(command), again) || again.commands.size() != 1 ||
            !same(again.commands[0], command))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    ReplayScript script;
    if (const std::optional<Diagnostic> error = parseReplayScript(text, script))
        checkError(*error, script, text);
    else
        checkCommands(script);
    return 0;
}
