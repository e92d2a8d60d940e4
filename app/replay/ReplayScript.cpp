#include "app/replay/ReplayScript.h"

#include "core/text/Document.h"
#include "core/text/Format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace {

struct Word {
    std::string_view text;
    std::size_t column;
};

struct ButtonWord {
    sf::Mouse::Button button;
    std::string_view name;
};

constexpr std::array<ButtonWord, 5> buttonWords{{{sf::Mouse::Left, "left"},
                                                 {sf::Mouse::Right, "right"},
                                                 {sf::Mouse::Middle, "middle"},
                                                 {sf::Mouse::XButton1, "x1"},
                                                 {sf::Mouse::XButton2, "x2"}}};

// The first 40 characters of a word, cut between two UTF-8 characters.
std::string_view cut(std::string_view word)
{
    constexpr std::size_t longest = 40;
    const char *end = utf8Prefix(word.data(), word.data() + word.size(), longest);
    return word.substr(0, static_cast<std::size_t>(end - word.data()));
}

// Quotes a word from the script in a message, cut short when it is long.
std::string quoted(std::string_view word)
{
    const std::string_view shown = cut(word);
    return "\"" + std::string(shown) + (shown.size() < word.size() ? "...\"" : "\"");
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// The line's words up to its comment, each with its 1-based column.
std::vector<Word> splitWords(std::string_view line)
{
    line = line.substr(0, line.find('#'));
    std::vector<Word> words;
    std::size_t at = 0;
    while (at < line.size()) {
        if (isBlank(line[at])) {
            ++at;
            continue;
        }
        const std::size_t begin = at;
        while (at < line.size() && !isBlank(line[at]))
            ++at;
        words.push_back({line.substr(begin, at - begin), begin + 1});
    }
    return words;
}

// A located error, thrown from the depth of a line and caught per script.
struct ScriptError {
    std::size_t column;
    std::string message;
};

class LineReader {
public:
    LineReader(std::string_view line, std::size_t number, bool aspectKept)
        : words(splitWords(line)), lineNumber(number), keepsAspect(aspectKept)
    {
    }

    bool empty() const { return words.empty(); }

    ReplayCommand read(std::optional<std::pair<std::uint64_t, std::size_t>> previous)
    {
        const Word at = next("expected \"at FRAME COMMAND\"");
        if (at.text != "at")
            throw ScriptError{at.column, "expected \"at FRAME COMMAND\", found " + quoted(at.text)};
        ReplayCommand command;
        command.line = lineNumber;
        command.frame = frameNumber(next("\"at\" needs a frame number"));
        if (previous && command.frame < previous->first)
            throw ScriptError{words[1].column, "frame " + std::to_string(command.frame) + " comes before frame " +
                                                   std::to_string(previous->first) + " of line " +
                                                   std::to_string(previous->second) + "; frames must not go backwards"};
        const Word name = next("expected a command after the frame: click, move, key, shot or close");
        command.column = name.column;
        if (name.text == "click")
            readClick(command);
        else if (name.text == "move")
            readMove(command);
        else if (name.text == "key")
            readKey(command);
        else if (name.text == "shot")
            readShot(command);
        else if (name.text == "close")
            command.kind = ReplayCommand::Kind::close;
        else if (name.text == "resize" && keepsAspect)
            readResize(command);
        else if (keepsAspect)
            throw ScriptError{name.column, "unknown command " + quoted(name.text) +
                                               "; expected click, move, key, shot, resize or close"};
        else
            throw ScriptError{name.column,
                              "unknown command " + quoted(name.text) + "; expected click, move, key, shot or close"};
        if (taken < words.size())
            throw ScriptError{words[taken].column, "unexpected " + quoted(words[taken].text) + " after the command"};
        return command;
    }

private:
    Word next(const char *missing)
    {
        if (taken == words.size())
            throw ScriptError{words.back().column + words.back().text.size(), missing};
        return words[taken++];
    }

    static std::uint64_t frameNumber(const Word &word)
    {
        std::uint64_t frame = 0;
        const char *end = word.text.data() + word.text.size();
        const auto [stop, error] = std::from_chars(word.text.data(), end, frame);
        if (stop != end || (error != std::errc() && error != std::errc::result_out_of_range))
            throw ScriptError{word.column, quoted(word.text) + " is not a frame number (0, 1, 2, ...)"};
        if (error == std::errc::result_out_of_range || frame > ReplayScript::maxFrame)
            throw ScriptError{word.column, "frame " + std::string(cut(word.text)) +
                                               " is past the last frame a replay plays, " +
                                               std::to_string(ReplayScript::maxFrame)};
        return frame;
    }

    static float coordinate(const Word &word)
    {
        float value = 0.f;
        const char *end = word.text.data() + word.text.size();
        const auto [stop, error] = std::from_chars(word.text.data(), end, value);
        if (stop != end || error != std::errc() || !std::isfinite(value))
            throw ScriptError{word.column, quoted(word.text) + " is not a number"};
        return value;
    }

    // Play takes a pointer outside the window as the nearest point of the
    // world, so no player presses or points outside it: a script that did
    // would prove a game winnable by a play nobody can make.
    sf::Vector2f worldPoint(const char *command, const char *missing)
    {
        sf::Vector2f point;
        for (float *axis : {&point.x, &point.y}) {
            const Word word = next(missing);
            *axis = coordinate(word);
            if (!keepsAspect && (*axis < 0.f || *axis > static_cast<float>(worldSize)))
                throw ScriptError{word.column, std::string(axis == &point.x ? "x" : "y") + " is " +
                                                   std::string(cut(word.text)) + ", outside the world, which is 0 to " +
                                                   std::to_string(worldSize) +
                                                   " on each axis: no player can make this " + command};
        }
        return point;
    }

    void readClick(ReplayCommand &command)
    {
        command.kind = ReplayCommand::Kind::click;
        command.point = worldPoint("click", "\"click\" needs a point: x and y in world coordinates");
        if (taken == words.size())
            return;
        const Word button = words[taken++];
        for (const ButtonWord &known : buttonWords)
            if (button.text == known.name) {
                command.button = known.button;
                return;
            }
        throw ScriptError{button.column,
                          "unknown button " + quoted(button.text) + "; expected left, right, middle, x1 or x2"};
    }

    // As large as a window the engine opens may be.
    void readResize(ReplayCommand &command)
    {
        constexpr unsigned largest = 8192;
        command.kind = ReplayCommand::Kind::resize;
        for (unsigned *side : {&command.size.x, &command.size.y}) {
            const Word word = next("\"resize\" needs a width and a height in pixels");
            unsigned value = 0;
            const char *end = word.text.data() + word.text.size();
            const auto [stop, error] = std::from_chars(word.text.data(), end, value);
            if (stop != end || error != std::errc() || value < 1 || value > largest)
                throw ScriptError{word.column, quoted(word.text) + " is not a size in pixels (1 to " +
                                                   std::to_string(largest) + ")"};
            *side = value;
        }
    }

    void readMove(ReplayCommand &command)
    {
        command.kind = ReplayCommand::Kind::move;
        command.point = worldPoint("move", "\"move\" needs a point: x and y in world coordinates");
    }

    void readKey(ReplayCommand &command)
    {
        command.kind = ReplayCommand::Kind::key;
        const Word key = next("\"key\" needs a key name");
        command.column = key.column;
        for (const std::string_view known : keyNames())
            if (key.text == known) {
                command.keyName = known;
                return;
            }
        std::string names;
        for (const std::string_view known : keyNames())
            names += (names.empty() ? "" : ", ") + std::string(known);
        throw ScriptError{key.column, "unknown key " + quoted(key.text) + "; expected one of " + names};
    }

    // A shot is written inside the script's folder, where the script's
    // author may write: a name that leaves it, or that the file system would
    // read differently from this check (a NUL ends a C string), is refused.
    void readShot(ReplayCommand &command)
    {
        command.kind = ReplayCommand::Kind::shot;
        const Word file = next("\"shot\" needs a file name ending in .png");
        const std::string_view name = file.text;
        for (std::size_t at = 0; at < name.size(); ++at) {
            const auto byte = static_cast<unsigned char>(name[at]);
            if (byte < 0x20 || byte == 0x7f)
                throw ScriptError{file.column + at,
                                  "a shot's file name may not hold control characters, as " + quoted(name) + " does"};
        }
        if (name.front() == '/')
            throw ScriptError{file.column, "a shot's file name is relative to the script's folder, so it may not "
                                           "start with \"/\": " +
                                               quoted(name)};
        for (std::size_t begin = 0; begin <= name.size();) {
            const std::size_t end = std::min(name.find('/', begin), name.size());
            if (name.substr(begin, end - begin) == "..")
                throw ScriptError{file.column + begin, "a shot is written inside the script's folder, so its file "
                                                       "name may not go up with \"..\": " +
                                                           quoted(name)};
            begin = end + 1;
        }
        const std::string_view suffix = ".png";
        if (name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix)
            throw ScriptError{file.column,
                              "a shot is written as PNG, so its file name must end in .png, not " + quoted(name)};
        command.file = name;
        command.column = file.column;
    }

    std::vector<Word> words;
    std::size_t taken = 0;
    std::size_t lineNumber;
    bool keepsAspect;
};

} // namespace

ReplayCommand ReplayCommand::click(std::uint64_t frame, sf::Vector2f point, sf::Mouse::Button button)
{
    ReplayCommand command;
    command.frame = frame;
    command.kind = Kind::click;
    command.point = point;
    command.button = button;
    return command;
}

ReplayCommand ReplayCommand::move(std::uint64_t frame, sf::Vector2f point)
{
    ReplayCommand command;
    command.frame = frame;
    command.kind = Kind::move;
    command.point = point;
    return command;
}

const std::vector<std::string_view> &keyNames()
{
    static const std::vector<std::string_view> names{"F5", "F9",   "Tab", "Shift+Tab", "Enter", "Escape", "Space",
                                                     "Up", "Down", "1",   "2",         "3",     "4",      "5",
                                                     "6",  "7",    "8",   "9",         "L"};
    return names;
}

ReplayCommand ReplayCommand::key(std::uint64_t frame, std::string_view name)
{
    ReplayCommand command;
    command.frame = frame;
    command.kind = Kind::key;
    command.keyName = name;
    return command;
}

ReplayCommand ReplayCommand::close(std::uint64_t frame)
{
    ReplayCommand command;
    command.frame = frame;
    command.kind = Kind::close;
    return command;
}

std::uint64_t ReplayScript::lastFrame() const
{
    return commands.empty() ? 0 : commands.back().frame;
}

std::optional<Diagnostic> parseReplayScript(std::string_view text, ReplayScript &script, bool keepsAspect)
{
    script.commands.clear();
    std::optional<std::pair<std::uint64_t, std::size_t>> previous;
    std::optional<std::size_t> closedOn;
    std::size_t lineNumber = 0;
    for (std::size_t begin = 0; begin <= text.size(); ++lineNumber) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        LineReader line(text.substr(begin, end - begin), lineNumber + 1, keepsAspect);
        begin = end + 1;
        if (line.empty())
            continue;
        try {
            if (closedOn)
                throw ScriptError{1, "nothing can follow the \"close\" of line " + std::to_string(*closedOn)};
            script.commands.push_back(line.read(previous));
        } catch (const ScriptError &error) {
            script.commands.clear();
            return Diagnostic{Severity::error, lineNumber + 1, error.column, "replay", error.message};
        }
        const ReplayCommand &command = script.commands.back();
        previous = std::pair(command.frame, command.line);
        if (command.kind == ReplayCommand::Kind::close)
            closedOn = command.line;
    }
    return std::nullopt;
}

std::string formatCoordinate(float value)
{
    std::array<char, 32> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return std::string(digits.data(), result.ptr);
}

std::string formatCommand(const ReplayCommand &command)
{
    std::string line = "at " + std::to_string(command.frame);
    switch (command.kind) {
    case ReplayCommand::Kind::click:
        line += " click " + formatCoordinate(command.point.x) + " " + formatCoordinate(command.point.y);
        for (const ButtonWord &known : buttonWords)
            if (known.button == command.button && known.button != sf::Mouse::Left)
                line += " " + std::string(known.name);
        return line;
    case ReplayCommand::Kind::move:
        return line + " move " + formatCoordinate(command.point.x) + " " + formatCoordinate(command.point.y);
    case ReplayCommand::Kind::key:
        return line + " key " + command.keyName;
    case ReplayCommand::Kind::shot:
        return line + " shot " + command.file;
    case ReplayCommand::Kind::close:
        return line + " close";
    case ReplayCommand::Kind::resize:
        return line + " resize " + std::to_string(command.size.x) + " " + std::to_string(command.size.y);
    }
    return line;
}
