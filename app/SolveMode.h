#pragma once

struct Options;

// Explores the game (see Solver) and prints what it found on standard
// output, as the checker's lines or one JSON array, then writes the
// walkthrough when asked. Returns 0 when the goal can be reached and no
// press leads to a dead end, 1 when the goal cannot be reached or a dead end
// was found, 2 for a usage fault or a document the engine refuses, and 3
// when the state limit ended the exploration.
int solve(const Options &options);
