#pragma once

struct Options;

// Plays the game from the replay script `options.replay` instead of the
// mouse, frame by frame as fast as frames can be drawn, and ends after the
// script's last frame without waiting for Enter. Returns 0 when the script
// played to its end (and its trace matched `options.expect`), 1 when the
// game could not start, a shot could not be written or the trace differs,
// 2 when a file named on the command line is unusable; nothing plays then.
int replay(const Options &options);
