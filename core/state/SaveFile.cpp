#include "core/state/SaveFile.h"
#include "core/state/JsonNumber.h"
#include "core/text/Format.h"
#include "core/text/StartupError.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <utility>
#include <variant>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

// One line, with a blank after each colon and comma as the trace writes
// its lines, so that a save reads as easily as a trace does.
void writeLine(const Json &value, std::string &out)
{
    if (value.is_object()) {
        out += '{';
        const char *separator = "";
        for (const auto &[key, member] : value.items()) {
            out += separator;
            out += Json(key).dump(-1, ' ', false, Json::error_handler_t::replace);
            out += ": ";
            writeLine(member, out);
            separator = ", ";
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        const char *separator = "";
        for (const Json &member : value) {
            out += separator;
            writeLine(member, out);
            separator = ", ";
        }
        out += ']';
    } else {
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
}

SaveProblem corrupt(std::string message, std::size_t line = 0, std::size_t column = 0)
{
    return {LoadRefusal::corrupt, line, column, std::move(message)};
}

// The deepest a save nests: its object and the lists and the point in it,
// with room for what a later format may add. The library copies a parsed
// value recursively, so a deeper save is refused before it is parsed.
constexpr std::size_t maxSaveDepth = 16;

// The offset of the bracket that opens one level past maxSaveDepth, if any.
std::optional<std::size_t> tooDeep(std::string_view text)
{
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxSaveDepth)
                return i;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return std::nullopt;
}

bool isInteger(const Json &value)
{
    return value.is_number_integer() && value.get<std::int64_t>() >= INT32_MIN &&
           value.get<std::int64_t>() <= INT32_MAX;
}

std::string wrongKind(const char *key, const char *kind)
{
    return std::string("\"") + key + "\" is not " + kind;
}

// The strings of `value`; false when it is not an array of strings.
bool readNames(const Json &value, std::vector<std::string> &names)
{
    if (!value.is_array())
        return false;
    for (const Json &name : value) {
        if (!name.is_string())
            return false;
        names.push_back(name.get<std::string>());
    }
    return true;
}

// One key of a save: how it is written from the data and read back into it,
// side by side, so that what is written and what is read cannot drift apart.
struct SaveField {
    const char *key;
    // What the value must be, for the message that refuses it.
    const char *kind;
    // A save without the key is refused.
    bool required;
    // The value, or none to leave the key out.
    std::optional<Json> (*write)(const SaveData &data);
    // False for a value that is not of the kind; a sentence of its own for
    // a value of the kind that still cannot be taken.
    std::variant<bool, std::string> (*read)(const Json &value, SaveData &data);
};

// In the order a save writes them, and the order a load checks them.
const SaveField saveFields[] = {
    {"saveName", "a string", true, [](const SaveData &data) -> std::optional<Json> { return data.saveName; },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> {
         if (!value.is_string())
             return false;
         data.saveName = value.get<std::string>();
         return true;
     }},
    {"gameVersion", "a string", false, [](const SaveData &data) -> std::optional<Json> { return data.gameVersion; },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> {
         if (!value.is_string())
             return false;
         data.gameVersion = value.get<std::string>();
         return true;
     }},
    {"scene", "a whole number", true, [](const SaveData &data) -> std::optional<Json> { return data.scene; },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> {
         if (!isInteger(value))
             return false;
         data.scene = value.get<int>();
         return true;
     }},
    {"player", "an object with the numbers \"x\" and \"y\"", false,
     [](const SaveData &data) -> std::optional<Json> {
         if (!data.player)
             return Json(nullptr);
         return Json{{"x", jsonNumber(data.player->x)}, {"y", jsonNumber(data.player->y)}};
     },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> {
         if (value.is_null())
             return true;
         const auto x = value.is_object() ? value.find("x") : value.end();
         const auto y = value.is_object() ? value.find("y") : value.end();
         if (x == value.end() || y == value.end() || !x->is_number() || !y->is_number())
             return false;
         data.player = sf::Vector2f(x->get<float>(), y->get<float>());
         // Further out than the world is wide, the player could never walk back.
         const auto reach = static_cast<float>(worldSize);
         const auto inReach = [reach](float at) { return std::isfinite(at) && at >= -reach && at <= 2 * reach; };
         if (!inReach(data.player->x) || !inReach(data.player->y))
             return std::string("\"player\" is too far away: more than ") + std::to_string(worldSize) +
                    " units outside the world";
         return true;
     }},
    {"flags", "a list of names", false, [](const SaveData &data) -> std::optional<Json> { return data.flags; },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> { return readNames(value, data.flags); }},
    {"items", "a list of names", false, [](const SaveData &data) -> std::optional<Json> { return data.items; },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> { return readNames(value, data.items); }},
    {"visited", "a list of scene ids", false, [](const SaveData &data) -> std::optional<Json> { return data.visited; },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> {
         if (!value.is_array())
             return false;
         for (const Json &sceneId : value) {
             if (!isInteger(sceneId))
                 return false;
             data.visited.push_back(sceneId.get<int>());
         }
         return true;
     }},
    // Only a game whose declared flags were cleared writes it.
    {"clearedFlags", "a list of names", false,
     [](const SaveData &data) -> std::optional<Json> {
         if (data.clearedFlags.empty())
             return std::nullopt;
         return data.clearedFlags;
     },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> {
         return readNames(value, data.clearedFlags);
     }},
    // Only a game with conversations writes it, and always then.
    {"chosen", "a list of names", false,
     [](const SaveData &data) -> std::optional<Json> {
         if (!data.chosen)
             return std::nullopt;
         return *data.chosen;
     },
     [](const Json &value, SaveData &data) -> std::variant<bool, std::string> {
         return readNames(value, data.chosen.emplace());
     }},
};

std::optional<SaveProblem> readFields(const Json &object, SaveData &data)
{
    for (const SaveField &field : saveFields) {
        const auto found = object.find(field.key);
        if (found == object.end()) {
            if (field.required)
                return corrupt(wrongKind(field.key, field.kind));
            continue;
        }
        const std::variant<bool, std::string> read = field.read(*found, data);
        if (const std::string *sentence = std::get_if<std::string>(&read))
            return corrupt(*sentence);
        if (!std::get<bool>(read))
            return corrupt(wrongKind(field.key, field.kind));
    }
    return std::nullopt;
}

} // namespace

std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i)
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    return {line, offset - lineStart + 1};
}

std::string saveText(const SaveData &data)
{
    Json save;
    save["format"] = SaveData::currentFormat;
    for (const SaveField &field : saveFields)
        if (std::optional<Json> value = field.write(data))
            save[field.key] = std::move(*value);
    std::string text;
    writeLine(save, text);
    return text + "\n";
}

const char *refusalName(LoadRefusal reason)
{
    switch (reason) {
    case LoadRefusal::missing:
        return "missing";
    case LoadRefusal::corrupt:
        return "corrupt";
    case LoadRefusal::newerFormat:
        return "newer-format";
    case LoadRefusal::otherGame:
        return "other-game";
    case LoadRefusal::missingScene:
        return "missing-scene";
    }
    return "corrupt";
}

std::variant<SaveData, SaveProblem> parseSave(std::string_view text)
{
    if (const std::optional<std::size_t> deep = tooDeep(text)) {
        const auto [line, column] = lineAndColumn(text, *deep);
        return corrupt("the save nests deeper than " + std::to_string(maxSaveDepth) + " levels", line, column);
    }
    Json object;
    try {
        object = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error &error) {
        // The library counts bytes from 1 and names the one it stopped at.
        const auto [line, column] = lineAndColumn(text, error.byte > 0 ? error.byte - 1 : 0);
        std::string why = error.what();
        const std::size_t said = why.find(": ", why.find("parse error"));
        why = said == std::string::npos ? why : why.substr(said + 2);
        return corrupt("the save is not JSON: " + why, line, column);
    } catch (const Json::exception &error) {
        // A number past a double's range, and the like: no place is given for these.
        std::string why = error.what();
        const std::size_t said = why.find("] ");
        return corrupt("the save is not JSON: " + (said == std::string::npos ? why : why.substr(said + 2)), 1, 1);
    }
    if (!object.is_object())
        return corrupt("the save is not a JSON object", 1, 1);
    const auto format = object.find("format");
    if (format == object.end() || !isInteger(*format) || format->get<int>() < 1)
        return corrupt(wrongKind("format", "a whole number from 1"));
    if (format->get<int>() > SaveData::currentFormat)
        return SaveProblem{LoadRefusal::newerFormat, 0, 0,
                           "the save has format " + std::to_string(format->get<int>()) + ", but this engine reads " +
                               std::to_string(SaveData::currentFormat) + " and older; it comes from a newer engine"};
    SaveData data;
    if (std::optional<SaveProblem> problem = readFields(object, data))
        return *problem;
    return data;
}

std::variant<SaveData, SaveProblem> readSaveFile(const std::string &path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return SaveProblem{LoadRefusal::missing, 0, 0, "there is no save here"};
        return corrupt(std::string("cannot read the save: ") + describeErrno());
    }
    if (!S_ISREG(info.st_mode))
        return corrupt("cannot read the save: it is not a regular file");
    if (static_cast<std::size_t>(info.st_size) > maxSaveBytes)
        return corrupt("the save is larger than " + std::to_string(maxSaveBytes / (1024 * 1024)) + " MiB");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.is_open() || in.bad())
        return corrupt(std::string("cannot read the save: ") + describeErrno());
    return parseSave(text.str());
}
