#pragma once

struct Options;

// Checks the game, then writes it to `options.bundle` for a player: a new
// folder, or a .tar.gz archive when the name ends so, holding the document
// as game.xml, every file it names at the same place under it, a play.sh
// that plays it from wherever it is unpacked and a .desktop launcher.
// Nothing appears at OUT unless all of it was written. Returns 0 when
// written; 1 when the checker finds an error or a named file missing or
// unreadable (its lines are printed) or the bundle cannot be written; 2 when
// the document cannot be read or OUT already exists or lies in the game.
int bundle(const Options &options);
