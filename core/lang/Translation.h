#pragma once

#include "core/text/Document.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A language the document offers: the file of its strings, the font that
// replaces every text's while it is on and the pattern of its voice files,
// each relative to the game's folder ("" when not given).
struct LanguageDeclaration {
    std::string id;
    std::string name;
    std::string src;
    std::string font;
    std::string voice;
    const char *where = nullptr;
    const char *srcAt = nullptr;
    const char *fontAt = nullptr;
};

// The root's baseLanguage and baseVoice and its <languages>, read strictly:
// a malformed list refuses to start, located, whichever language is played.
struct LanguageList {
    std::string base;
    std::string baseVoice;
    std::vector<LanguageDeclaration> languages;
    const char *where = nullptr;

    bool used() const { return where != nullptr || !baseVoice.empty(); }
    const LanguageDeclaration *find(std::string_view id) const;
    // The ids --lang takes: the base language first, then the others in order.
    std::vector<std::string> ids() const;
};

LanguageList readLanguages(Node *root);

// A text of the game in the base language, named by its id.
struct BaseText {
    std::string id;
    std::string text;
};

// Every <text> asset with an id, in document order; a second asset of an id
// is the engine's to ignore, so it is not a text to translate.
std::vector<BaseText> baseTexts(Node *assets);

// One <string> of a translation file.
struct TranslatedString {
    std::string id;
    std::string source;
    std::string text;
    bool stale = false;
    std::optional<std::string> was;
    std::size_t line = 1;
    std::size_t column = 1;
};

struct TranslationFile {
    std::string lang;
    std::size_t line = 1;
    std::size_t column = 1;
    std::vector<TranslatedString> strings;
    // Strings kept commented out at the end by --strings, for ids the game
    // no longer has: read back so that a merge never drops them.
    std::vector<TranslatedString> orphaned;
};

// A fault in a file other than the document: where it is and what.
struct FileFault {
    std::string file;
    std::size_t line = 1;
    std::size_t column = 1;
    std::string message;
};

// Reads a translation file strictly; throws FileFault (named `shownAs`) at
// the first thing that is not a translation.
TranslationFile readTranslation(const std::string &path, const std::string &shownAs);

// How one text of the game stands in a translation.
enum class Standing { translated, missing, stale };

struct TextStanding {
    const BaseText *text;
    Standing standing;
    // The string that stands for it, or null.
    const TranslatedString *string;
};

// A translation laid against today's base texts.
struct Comparison {
    std::vector<TextStanding> texts;
    // Strings whose id names no text of the game, in file order.
    std::vector<const TranslatedString *> orphans;
    // Strings of an id that an earlier string has already.
    std::vector<const TranslatedString *> duplicates;

    std::size_t count(Standing standing) const;
};

// Translated only when the string is there, not empty, not marked stale and
// made for the base text as it is today, byte for byte.
Comparison compare(const std::vector<BaseText> &texts, const TranslationFile &file);

// The merged translation file --strings writes, deterministic and a fixed
// point: merging its own output gives the same text again.
std::string mergedTranslation(const std::string &lang, const std::vector<BaseText> &texts, const TranslationFile &file);

// The voice file of text `id` under `pattern` ("voice/de/{id}.ogg").
std::string voiceFile(std::string_view pattern, std::string_view id);
