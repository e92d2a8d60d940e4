#pragma once

#include "core/lang/Translation.h"
#include "core/text/StartupError.h"

#include <SFML/Audio/Music.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Why a language cannot be played, found the same way by start-up (which
// refuses) and by the checker (which warns, or refuses as start-up does when
// the language is the one asked for). Either at a place in the document
// (`where`) or in the translation file (`place`).
struct LanguageProblem {
    std::string code;
    std::string message;
    const char *where = nullptr;
    std::optional<FilePlace> place;
};

// A language's translation file read from `folder`; `documentShown` is the
// name messages give the document, and the file is named beside it.
struct OpenedLanguage {
    std::optional<TranslationFile> file;
    std::string shown;
    std::vector<LanguageProblem> problems;
};

OpenedLanguage openLanguage(const LanguageDeclaration &language, const std::string &folder,
                            const std::string &documentShown);

// What playing in one language keeps for the run: which texts are drawn in
// the base language and why, which of those the trace has told, and the voice
// of the text shown last. Never saved and never seen by the solver.
struct LanguageRun {
    // The language played when it is not the base one; empty otherwise.
    std::string lang;
    std::unordered_map<std::string, const char *> fallbacks;
    std::unordered_set<std::string> told;
    std::string voicePattern;
    std::unique_ptr<sf::Music> voice;
};
