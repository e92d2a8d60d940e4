#include "check/TranslationChecks.h"

#include "core/lang/Language.h"
#include "core/text/GameDocument.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

class TranslationReport {
public:
    TranslationReport(const GameDocument &read, std::string root) : document(read), folder(std::move(root)) {}

    void at(const char *where, Severity severity, const char *code, std::string message)
    {
        const auto [line, column] = document.position(where);
        found.push_back({document.name(), {severity, line, column, code, std::move(message)}});
    }

    void at(const FilePlace &place, Severity severity, const char *code, std::string message)
    {
        found.push_back({place.file, {severity, place.line, place.column, code, std::move(message)}});
    }

    // How many of the texts have a voice file under `pattern`.
    std::size_t voiced(const std::string &pattern, const std::vector<BaseText> &texts) const
    {
        std::size_t count = 0;
        std::error_code error;
        for (const BaseText &text : texts)
            count += fs::is_regular_file(fs::path(folder) / voiceFile(pattern, text.id), error) ? 1U : 0U;
        return count;
    }

    void language(const LanguageDeclaration &declared, const std::vector<BaseText> &texts, bool asked)
    {
        const OpenedLanguage opened = openLanguage(declared, folder, document.name());
        for (const LanguageProblem &problem : opened.problems) {
            // The engine stops at the first; the checker says it as the engine does.
            const bool refuses = asked && &problem == &opened.problems.front();
            const Severity severity = refuses ? Severity::error : Severity::warning;
            const char *code = refuses ? "startup" : problem.code.c_str();
            if (problem.place)
                at(*problem.place, severity, code, problem.message);
            else
                at(problem.where, severity, code, problem.message);
        }
        if (!opened.file)
            return;
        const Comparison comparison = compare(texts, *opened.file);
        for (const TextStanding &text : comparison.texts) {
            if (text.standing == Standing::missing)
                at(declared.where, Severity::warning, "translation-missing",
                   "the language " + inQuotes(declared.id) + " has no translation of the text " +
                       inQuotes(text.text->id) + "; it is drawn in the base language");
            else if (text.standing == Standing::stale)
                at(FilePlace{opened.shown, text.string->line, text.string->column}, Severity::warning,
                   "translation-stale",
                   "the translation of " + inQuotes(text.text->id) +
                       (text.string->stale
                            ? std::string(" is marked stale")
                            : " was made for another base text: the base now reads " + inQuotes(text.text->text)) +
                       "; it is drawn in the base language until it is brought up to date");
        }
        for (const TranslatedString *orphan : comparison.orphans)
            at(FilePlace{opened.shown, orphan->line, orphan->column}, Severity::warning, "translation-orphan",
               "the game has no text " + inQuotes(orphan->id) + "; this string is never drawn");
        std::string counts = "the language " + inQuotes(declared.id) + ": " + std::to_string(texts.size()) +
                             " texts, " + std::to_string(comparison.count(Standing::translated)) + " translated, " +
                             std::to_string(comparison.count(Standing::missing)) + " missing, " +
                             std::to_string(comparison.count(Standing::stale)) + " stale, " +
                             std::to_string(comparison.orphans.size()) + " orphan";
        if (!declared.voice.empty())
            counts += "; voice files for " + std::to_string(voiced(declared.voice, texts)) + " of the " +
                      std::to_string(texts.size()) + " texts";
        at(declared.where, Severity::note, "translation-coverage", counts);
    }

    std::vector<FileFinding> found;

private:
    const GameDocument &document;
    std::string folder;
};

} // namespace

std::vector<FileFinding> checkTranslations(const GameDocument &document, const std::string &folder,
                                           const std::optional<std::string> &asked)
{
    Node *root = nullptr;
    LanguageList languages;
    try {
        root = document.parsed().first_node();
        if (!root)
            return {};
        languages = readLanguages(root);
    } catch (const StartupError &) {
        return {};
    }
    if (!languages.used())
        return {};
    TranslationReport report(document, folder);
    const std::vector<BaseText> texts = baseTexts(getChild(root, "assets"));
    if (!languages.baseVoice.empty())
        report.at(elementPosition(root), Severity::note, "voice-coverage",
                  "the base language: voice files for " + std::to_string(report.voiced(languages.baseVoice, texts)) +
                      " of the " + std::to_string(texts.size()) + " texts");
    for (const LanguageDeclaration &declared : languages.languages)
        report.language(declared, texts, asked && *asked == declared.id);
    return std::move(report.found);
}
