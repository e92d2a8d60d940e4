#pragma once

#include <optional>
#include <string>

struct Options;

// Why the document at `path` cannot be checked at all, or nothing.
std::optional<std::string> unreadableDocument(const std::string &path);

// Checks the game document and prints every finding on standard output, as
// text lines or one JSON array. Returns 0 when nothing would stop the game
// (with --strict: nothing at all was found), 1 otherwise, and 2 when the
// document cannot be read at all.
int check(const Options &options);
