// Playing in a language: choosing it before the texts are built, telling
// which texts fall back to the base language, and the voice of shown texts.
#include "core/lang/Language.h"

#include "core/Game.h"
#include "core/assets/Resources.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EText.h"

#include <filesystem>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string listed(const std::vector<std::string> &ids)
{
    std::string out;
    for (const std::string &id : ids)
        out += (out.empty() ? "" : ", ") + id;
    return out;
}

const char *reasonOf(Standing standing)
{
    return standing == Standing::stale ? "stale" : "missing";
}

} // namespace

OpenedLanguage openLanguage(const LanguageDeclaration &language, const std::string &folder,
                            const std::string &documentShown)
{
    OpenedLanguage opened;
    opened.shown = (fs::path(documentShown).parent_path() / language.src).string();
    std::error_code error;
    if (!language.font.empty() && !fs::is_regular_file(fs::path(folder) / language.font, error))
        opened.problems.push_back(
            {"translation-file-missing",
             "the font " + inQuotes(language.font) + " of the language " + inQuotes(language.id) + " is not a file",
             language.fontAt, std::nullopt});
    if (!fs::is_regular_file(fs::path(folder) / language.src, error)) {
        opened.problems.push_back({"translation-file-missing",
                                   "the translation file " + inQuotes(language.src) + " of the language " +
                                       inQuotes(language.id) + " is not a file",
                                   language.srcAt, std::nullopt});
        return opened;
    }
    try {
        opened.file = readTranslation((fs::path(folder) / language.src).string(), opened.shown);
    } catch (const FileFault &fault) {
        opened.problems.push_back(
            {"translation-file-broken", fault.message, nullptr, FilePlace{fault.file, fault.line, fault.column}});
        return opened;
    }
    const TranslationFile &file = *opened.file;
    if (file.lang != language.id)
        opened.problems.push_back({"translation-lang-mismatch",
                                   "the translation is for the language " + inQuotes(file.lang) +
                                       ", but the <language> that names it is " + inQuotes(language.id),
                                   nullptr, FilePlace{opened.shown, file.line, file.column}});
    std::unordered_map<std::string_view, std::size_t> firstLine;
    for (const TranslatedString &string : file.strings)
        if (const auto [first, fresh] = firstLine.emplace(string.id, string.line); !fresh)
            opened.problems.push_back({"translation-duplicate",
                                       "a second string for the text " + inQuotes(string.id) +
                                           " (the first is on line " + std::to_string(first->second) + ")",
                                       nullptr, FilePlace{opened.shown, string.line, string.column}});
    return opened;
}

void Game::chooseLanguage()
{
    if (language && *language != languages.base && !languages.find(*language))
        throw StartupError("the document offers no language " + inQuotes(*language) + " (it offers " +
                               listed(languages.ids()) + ")",
                           languages.where);
    const LanguageDeclaration *declared = language ? languages.find(*language) : nullptr;
    if (!declared) {
        languageRun.voicePattern = languages.baseVoice;
        return;
    }
    // Texts resolve from the working directory, which is the game's folder in play.
    const OpenedLanguage opened = openLanguage(*declared, ".", fileName);
    if (!opened.problems.empty()) {
        const LanguageProblem &first = opened.problems.front();
        if (first.place)
            throw StartupError(first.message, *first.place);
        throw StartupError(first.message, first.where);
    }
    const std::vector<BaseText> texts = baseTexts(assetsNode);
    auto strings = std::make_shared<TextLanguage>();
    strings->font = declared->font;
    for (const TextStanding &text : compare(texts, *opened.file).texts) {
        if (text.standing == Standing::translated)
            strings->strings.emplace(text.text->id, text.string->text);
        else
            languageRun.fallbacks.emplace(text.text->id, reasonOf(text.standing));
    }
    if (!declared->font.empty())
        gameResources().loadFont(declared->font, declared->fontAt);
    textLanguage = std::move(strings);
    languageRun.lang = declared->id;
    languageRun.voicePattern = declared->voice;
    tell(TraceEvent::language, {{"lang", languageRun.lang}});
}

void Game::noteDrawnTexts()
{
    if (languageRun.fallbacks.size() == languageRun.told.size() || !scene)
        return;
    noting = true;
    draw();
    noting = false;
}

void Game::noteText(const EText *text)
{
    if (!noting || !text || !text->id)
        return;
    const auto fallback = languageRun.fallbacks.find(text->id);
    if (fallback != languageRun.fallbacks.end() && languageRun.told.insert(fallback->first).second)
        tell(TraceEvent::textFallback,
             {{"id", fallback->first}, {"lang", languageRun.lang}, {"reason", std::string(fallback->second)}});
}

void Game::drawText(const EText *text, const sf::Text &shown)
{
    if (noting)
        noteText(text);
    else
        text->draw(*window, shown);
}

void Game::drawShape(const sf::Drawable &shape)
{
    if (!noting)
        window->draw(shape);
}

void Game::playVoice(const char *textId)
{
    if (languageRun.voicePattern.empty() || !textId)
        return;
    const std::string file = voiceFile(languageRun.voicePattern, textId);
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return;
    if (!languageRun.voice)
        languageRun.voice = std::make_unique<sf::Music>();
    // One voice speaks at a time: the next line cuts the last short.
    languageRun.voice->stop();
    if (!languageRun.voice->openFromFile(file))
        return;
    // The player's voice volume, as the other shares scale music and effects.
    languageRun.voice->setVolume(100.f * EAudio::voiceShare);
    languageRun.voice->play();
    tell(TraceEvent::voice, {{"id", std::string(textId)}, {"file", file}});
}

std::vector<std::string> Game::voiceFiles(const std::string &folder) const
{
    std::vector<std::string> patterns;
    if (!languages.baseVoice.empty())
        patterns.push_back(languages.baseVoice);
    for (const LanguageDeclaration &offered : languages.languages)
        if (!offered.voice.empty())
            patterns.push_back(offered.voice);
    std::vector<std::string> files;
    std::error_code error;
    for (const std::string &pattern : patterns)
        for (Node *text = assetsNode->first_node("text"); text; text = text->next_sibling("text"))
            if (const Attribute *id = hasAttribute(text, "id")) {
                std::string file = voiceFile(pattern, id->value());
                if (std::filesystem::is_regular_file(std::filesystem::path(folder) / file, error))
                    files.push_back(std::move(file));
            }
    return files;
}
