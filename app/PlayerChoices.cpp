#include "app/PlayerChoices.h"

#include "app/CommandLine.h"
#include "core/lang/Translation.h"
#include "core/state/AtomicFile.h"
#include "core/state/SaveSettings.h"
#include "core/text/Diagnostics.h"
#include "core/text/Document.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"
#include "elements/EAudio.h"
#include "elements/EText.h"

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string_view>

namespace {

// The saveName as the game reads it; none for a game without one, or one
// the game refuses (it then does not start, and keeps no settings either).
std::optional<std::string_view> saveNameOf(const GameDocument &document)
{
    Node *root = nullptr;
    try {
        root = document.parsed().first_node();
    } catch (const StartupError &) {
        return std::nullopt;
    }
    const Attribute *given = root ? hasAttribute(root, "saveName") : nullptr;
    if (!given)
        return std::nullopt;
    const std::string_view name(given->value(), given->value_size());
    const bool plain = !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
    });
    return plain ? std::optional(name) : std::nullopt;
}

// Writes what the run uses over the settings file, a refused one moved aside first.
void remember(const std::string &path, const PlayerSettings &used, bool refused, const SaveSettings &saves,
              std::ostream &messages)
{
    std::optional<WriteFailure> failed;
    if (saves.refuse)
        if (const std::optional<std::string> role = saves.refuse(path))
            failed = WriteFailure{"refused", "will not write " + path + ": it is " + *role};
    if (!failed && refused) {
        std::variant<std::string, WriteFailure> moved = moveAside(path);
        if (const std::string *keptAs = std::get_if<std::string>(&moved))
            messages << "adventure: the refused settings are kept as " << escapeControl(*keptAs) << std::endl;
        else
            failed = std::get<WriteFailure>(moved);
    }
    if (!failed)
        failed = writeAtomically(path, settingsText(used));
    if (failed)
        messages << "adventure: the settings were not remembered: " << escapeControl(failed->message) << std::endl;
}

float share(int percentage)
{
    return static_cast<float>(percentage) / 100.f;
}

} // namespace

std::string settingsPath(const GameDocument &document, const SaveSettings &saves)
{
    const std::optional<std::string_view> saveName = saveNameOf(document);
    const std::string folder = saveName && saves.folderFor ? saves.folderFor(*saveName) : std::string();
    return folder.empty() ? std::string() : folder + "/settings.json";
}

PlayerSettings withCommandLine(PlayerSettings fromFile, const Options &options)
{
    if (options.speak)
        fromFile.speak = *options.speak;
    if (options.textScaleGiven)
        fromFile.textScale = options.textScale;
    fromFile.musicVolume = options.musicVolume.value_or(fromFile.musicVolume);
    fromFile.effectsVolume = options.effectsVolume.value_or(fromFile.effectsVolume);
    fromFile.voiceVolume = options.voiceVolume.value_or(fromFile.voiceVolume);
    if (options.language)
        fromFile.language = options.language;
    return fromFile;
}

namespace {

// A language the player chose for another game, or one this game dropped,
// is no reason to refuse to start: its own texts are played instead.
void dropUnknownLanguage(PlayerSettings &settings, const GameDocument &document, std::ostream &messages)
{
    if (!settings.language)
        return;
    LanguageList languages;
    try {
        languages = readLanguages(document.parsed().first_node());
    } catch (const StartupError &) {
        return; // start-up says where the list is malformed
    }
    if (languages.find(*settings.language) || *settings.language == languages.base)
        return;
    messages << "adventure: the settings' language \"" << escapeControl(*settings.language)
             << "\" is not one this game offers: it is played in its own words" << std::endl;
    settings.language.reset();
}

} // namespace

std::optional<std::string> languageToUse(const std::optional<std::string> &commandLine, const PlayerSettings &settings)
{
    return commandLine ? commandLine : settings.language;
}

PlayerChoices takePlayerChoices(const Options &options, const GameDocument &document, const SaveSettings &saves,
                                std::ostream &messages)
{
    const std::string path = settingsPath(document, saves);
    PlayerSettings fromFile;
    bool refused = false;
    if (!path.empty()) {
        std::variant<PlayerSettings, SettingsProblem> read = readSettingsFile(path);
        if (const SettingsProblem *problem = std::get_if<SettingsProblem>(&read)) {
            refused = true;
            const std::string where = problem->line == 0 ? escapeControl(path)
                                                         : escapeControl(path) + ":" + std::to_string(problem->line) +
                                                               ":" + std::to_string(problem->column);
            messages << where << ": error: " << escapeControl(problem->message)
                     << " (the settings are not used: the defaults are; the file is kept"
                     << (options.remember ? ", set aside" : ", and --remember sets it aside") << ")" << std::endl;
        } else {
            fromFile = std::get<PlayerSettings>(std::move(read));
        }
    }
    PlayerChoices choices;
    choices.settings = withCommandLine(std::move(fromFile), options);
    if (!options.language)
        dropUnknownLanguage(choices.settings, document, messages);
    if (options.remember) {
        if (path.empty())
            messages << "adventure: --remember: the game keeps no settings (it has no saveName, or there is no "
                        "folder for its saves)"
                     << std::endl;
        else
            remember(path, choices.settings, refused, saves, messages);
    }
    EText::sizeScale = choices.settings.textScale;
    EAudio::musicShare = share(choices.settings.musicVolume);
    EAudio::effectsShare = share(choices.settings.effectsVolume);
    EAudio::voiceShare = share(choices.settings.voiceVolume);
    // Without a command to run, the game still traces what it would say.
    if (choices.settings.speak)
        choices.speech = std::make_unique<SpeechCommand>(
            SpeechCommand::fromEnvironment(messages).value_or(std::vector<std::string>()), messages);
    return choices;
}
