#pragma once

#include "check/FindingOrder.h"
#include "core/text/Diagnostics.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class GameDocument;
struct LoadedFiles;

// Checks a game document without a window or a sound device. Errors are the
// start-up faults the engine would stop at, found by the engine's own
// checks, so they carry its message and place; there is at most one, as the
// engine stops at the first. Warnings are what the engine accepts but an
// author most likely did not mean, all of them, found in one pass.
//
// `file` is read in `folder`, and asset files resolve against `folder` as
// the engine resolves them from its working directory; each distinct file is
// decoded once. Messages name the document `shownAs`. Findings reach `sink`
// sorted by line and column, each as soon as no earlier one can follow, so a
// huge document's report is never held whole. Returns how many findings got
// no "did you mean" because the budget for suggestions was spent.
//
// It loads the document through a Game of its own, so it uses the catalogue
// globals as loading does: run it while no other game is loaded.
// With a `textScale` other than 1, texts that would leave the window at that
// scale are reported too. The files in `loaded`, which the engine has just
// decoded from `folder` for this same document, are not decoded again.
std::size_t checkGame(const std::string &folder, const std::string &file, const std::string &shownAs, float textScale,
                      const FindingSink &sink, const LoadedFiles *loaded = nullptr);

// The findings gathered, for callers that need them all at once.
std::vector<Diagnostic> checkGame(const std::string &folder, const std::string &file, const std::string &shownAs,
                                  float textScale = 1.f, const LoadedFiles *loaded = nullptr);

// The same on a document read already, from `folder`; the engine's reload
// checks the document it has just loaded without reading it again.
std::size_t checkGame(std::shared_ptr<const GameDocument> document, const std::string &folder, float textScale,
                      const FindingSink &sink, const LoadedFiles *loaded = nullptr);
std::vector<Diagnostic> checkGame(std::shared_ptr<const GameDocument> document, const std::string &folder,
                                  float textScale = 1.f, const LoadedFiles *loaded = nullptr);

// Checks the save file `save` against the game as loading it would: why it
// is refused as an error (located in the save where there is a place), and
// each flag and item the game no longer knows as a warning. Nothing when the
// game itself does not start: checkGame reports that.
std::vector<Diagnostic> checkSaveFile(const std::string &folder, const std::string &file, const std::string &save);
