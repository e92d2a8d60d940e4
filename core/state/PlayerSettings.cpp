#include "core/state/PlayerSettings.h"

#include "core/state/JsonNumber.h"
#include "core/state/SaveFile.h"
#include "core/text/StartupError.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using Json = nlohmann::ordered_json;

namespace {

// The deepest a settings file nests: its object, and room for what a later
// engine keeps in it. The library frees a parsed value recursively.
constexpr std::size_t maxDepth = 16;

// Where each key of the outer object has its value, and where the text first
// nests too deep: the library reads values without their places.
struct Places {
    std::vector<std::pair<std::string, std::size_t>> values;
    std::optional<std::size_t> tooDeep;
};

Places scan(std::string_view text)
{
    Places places;
    std::size_t depth = 0;
    std::size_t stringStart = 0;
    std::optional<std::string> key;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            stringStart = i + 1;
            for (++i; i < text.size() && text[i] != '"'; ++i)
                if (text[i] == '\\')
                    ++i;
            key = depth == 1 ? std::optional(std::string(text.substr(stringStart, i - stringStart))) : std::nullopt;
        } else if (c == ':' && key) {
            std::size_t value = i + 1;
            while (value < text.size() && std::isspace(static_cast<unsigned char>(text[value])))
                ++value;
            places.values.emplace_back(*key, value);
            key.reset();
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth && !places.tooDeep)
                places.tooDeep = i;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            key.reset();
        }
    }
    return places;
}

// A language id: letters, digits, "-" and "_", as documents name them.
bool isLanguageId(const std::string &id)
{
    return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
    });
}

bool isPercentage(const Json &value)
{
    return value.is_number_integer() && value.get<std::int64_t>() >= 0 && value.get<std::int64_t>() <= 100;
}

// Why the value of `key` is refused, or nothing when it is taken into `settings`.
std::optional<std::string> readKey(const std::string &key, const Json &value, PlayerSettings &settings)
{
    if (key == "language") {
        if (!value.is_string() || !isLanguageId(value.get<std::string>()))
            return "\"language\" is not a language id (letters, digits, \"-\" and \"_\")";
        settings.language = value.get<std::string>();
    } else if (key == "speak") {
        if (!value.is_boolean())
            return "\"speak\" is not true or false";
        settings.speak = value.get<bool>();
    } else if (key == "textScale") {
        const double scale = value.is_number() ? value.get<double>() : 0;
        if (!(scale >= 0.5 && scale <= 3))
            return "\"textScale\" is not a number from 0.5 to 3";
        settings.textScale = static_cast<float>(scale);
    } else if (key == "musicVolume" || key == "effectsVolume" || key == "voiceVolume") {
        if (!isPercentage(value))
            return "\"" + key + "\" is not a whole number from 0 to 100";
        int &volume = key == "musicVolume"     ? settings.musicVolume
                      : key == "effectsVolume" ? settings.effectsVolume
                                               : settings.voiceVolume;
        volume = value.get<int>();
    } else {
        settings.others.emplace_back(key, value.dump(-1, ' ', false, Json::error_handler_t::replace));
    }
    return std::nullopt;
}

SettingsProblem at(std::string_view text, std::size_t offset, std::string message)
{
    const auto [line, column] = lineAndColumn(text, offset);
    return {line, column, std::move(message)};
}

} // namespace

std::variant<PlayerSettings, SettingsProblem> parseSettings(std::string_view text)
{
    const Places places = scan(text);
    if (places.tooDeep)
        return at(text, *places.tooDeep, "the settings nest deeper than " + std::to_string(maxDepth) + " levels");
    Json object;
    try {
        object = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error &error) {
        std::string why = error.what();
        const std::size_t said = why.find(": ", why.find("parse error"));
        why = said == std::string::npos ? why : why.substr(said + 2);
        // The library counts bytes from 1 and names the one it stopped at.
        return at(text, error.byte > 0 ? error.byte - 1 : 0, "the settings are not JSON: " + why);
    } catch (const Json::exception &error) {
        std::string why = error.what();
        const std::size_t said = why.find("] ");
        return SettingsProblem{
            1, 1, "the settings are not JSON: " + (said == std::string::npos ? why : why.substr(said + 2))};
    }
    if (!object.is_object())
        return SettingsProblem{1, 1, "the settings are not a JSON object"};
    PlayerSettings settings;
    for (const auto &[key, value] : object.items())
        if (const std::optional<std::string> refused = readKey(key, value, settings)) {
            // The library keeps the last of a key written twice, as this does.
            std::size_t where = 0;
            for (const auto &[name, offset] : places.values)
                if (name == key)
                    where = offset;
            return at(text, where, *refused);
        }
    return settings;
}

std::variant<PlayerSettings, SettingsProblem> readSettingsFile(const std::string &path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return PlayerSettings{};
        return SettingsProblem{0, 0, std::string("cannot read the settings: ") + describeErrno()};
    }
    if (!S_ISREG(info.st_mode))
        return SettingsProblem{0, 0, "cannot read the settings: it is not a regular file"};
    if (static_cast<std::size_t>(info.st_size) > maxSettingsBytes)
        return SettingsProblem{0, 0,
                               "the settings are larger than " + std::to_string(maxSettingsBytes / 1024) + " KiB"};
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.is_open() || in.bad())
        return SettingsProblem{0, 0, std::string("cannot read the settings: ") + describeErrno()};
    return parseSettings(text.str());
}

std::string settingsText(const PlayerSettings &settings)
{
    std::vector<std::pair<std::string, std::string>> lines;
    if (settings.language)
        lines.emplace_back("language", Json(*settings.language).dump(-1, ' ', false, Json::error_handler_t::replace));
    lines.emplace_back("speak", settings.speak ? "true" : "false");
    lines.emplace_back("textScale", jsonNumber(settings.textScale).dump());
    lines.emplace_back("musicVolume", std::to_string(settings.musicVolume));
    lines.emplace_back("effectsVolume", std::to_string(settings.effectsVolume));
    lines.emplace_back("voiceVolume", std::to_string(settings.voiceVolume));
    lines.insert(lines.end(), settings.others.begin(), settings.others.end());
    std::string text = "{\n";
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += "  " + Json(lines[i].first).dump(-1, ' ', false, Json::error_handler_t::replace) + ": " +
                lines[i].second + (i + 1 < lines.size() ? ",\n" : "\n");
    return text + "}\n";
}
