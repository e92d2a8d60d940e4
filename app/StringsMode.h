#pragma once

struct Options;

// --strings: writes the merged translation file of one language to standard
// output, from the game's texts as they are today and the language's file as
// it is; writes no file. Status 0, or 1 with a located error when the
// document or the translation file does not read.
int writeStrings(const Options &options);
