#pragma once

#include "core/text/Document.h"

#include <string>
#include <utility>
#include <vector>

// Strict readings of the motion attributes. Unlike the older syntaxes, which
// read as atoi and atof would, these refuse what they cannot read: each
// throws StartupError at the part of the value that is wrong. Parts are
// separated by commas; blanks round a part do not count.

// Walk areas cost time for every pair of corners when a scene starts; a
// hostile document must not hold the engine there.
constexpr std::size_t maxCorners = 1000;

// "x1, y1, x2, y2, ...": an even count of numbers, as points, at most
// maxCorners of them (in all the groups of a group list).
std::vector<std::pair<double, double>> readPoints(const Attribute *attribute);
// Point lists separated by ";".
std::vector<std::vector<std::pair<double, double>>> readPointGroups(const Attribute *attribute);
// "0, 1, 2": whole numbers from 0.
std::vector<int> readCells(const Attribute *attribute);
// "w, h": whole numbers from 1.
std::pair<int, int> readCellSize(const Attribute *attribute);
// A whole number from 1.
int readCount(const Attribute *attribute);
// One of the words in `allowed`; returns its index.
std::size_t readWord(const Attribute *attribute, const std::vector<const char *> &allowed);

// The words of the "facing" syntax, in the order of the Facing values.
const std::vector<const char *> &facingWords();

// Reads every attribute of the document that has one of the strict syntaxes
// above, where the format puts it, so a slip stops start-up (and the checker)
// however far from the entry scene it is.
void checkStrictValues(Node *root);
