#pragma once

#include "core/text/Diagnostics.h"

#include <optional>
#include <string>
#include <vector>

class GameDocument;

// A finding and the file it is in: the document, or a translation file.
struct FileFinding {
    std::string file;
    Diagnostic finding;
};

// Per language of the document, in the order declared: why it could not be
// played, the texts stale, missing and orphaned, and a note of the counts,
// text and voice. What would refuse `asked` (--check --lang) is the start-up
// error the engine gives, the rest are warnings. Nothing for a document
// without languages or voices, nor for one that does not start (the checker
// reports that); `folder` is where the document's files are.
std::vector<FileFinding> checkTranslations(const GameDocument &document, const std::string &folder,
                                           const std::optional<std::string> &asked);
