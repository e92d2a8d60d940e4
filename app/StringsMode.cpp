#include "app/StringsMode.h"

#include "app/CommandLine.h"
#include "core/lang/Translation.h"
#include "core/text/Diagnostics.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

int writeStrings(const Options &options)
{
    const GameLocation &location = options.game;
    const std::shared_ptr<const GameDocument> document = readGameDocument(location);
    try {
        Node *root = document->parsed().first_node();
        const LanguageList languages = root ? readLanguages(root) : LanguageList();
        const LanguageDeclaration *language = languages.find(options.stringsOf);
        if (!root || !language)
            throw StartupError("the document offers no language \"" + options.stringsOf + "\"", nullptr);
        // A language with no file yet starts from nothing: every text to translate.
        TranslationFile file;
        const fs::path path = fs::path(location.folder) / language->src;
        std::error_code error;
        if (fs::exists(path, error))
            file = readTranslation(path.string(), (fs::path(location.shown).parent_path() / language->src).string());
        std::cout << mergedTranslation(options.stringsOf, baseTexts(getChild(root, "assets")), file);
        return 0;
    } catch (const StartupError &error) {
        const auto [line, column] = document->position(error.where());
        std::cerr << renderDiagnostic(location.shown, {Severity::error, line, column, "startup", error.what()}) << '\n';
    } catch (const FileFault &fault) {
        std::cerr << renderDiagnostic(fault.file, {Severity::error, fault.line, fault.column, "startup", fault.message})
                  << '\n';
    }
    return 1;
}
