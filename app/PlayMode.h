#pragma once

struct Options;

// Plays the game until its window is closed, then waits for Enter. Returns
// 0, or 1 when the game could not start (its located error printed).
int play(const Options &options);
