#pragma once

#include <SFML/System/Vector2.hpp>
#include <rapidxml.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Read access to the parsed game document. Every attribute the engine reads
// goes through these functions; names are compared exactly, and the first
// match in document order wins.

using Node = rapidxml::xml_node<char>;
using Attribute = rapidxml::xml_attribute<char>;

// Whether the node is an element (not text, a comment or a declaration).
bool isElement(const Node *node);
// Whether the node's name is exactly `name`.
bool named(const Node *node, const char *name);

// First child element named `name`, or null.
Node *getChild(Node *node, const char *name);

// First attribute named `name`, or null: the presence test.
Attribute *hasAttribute(Node *node, const char *name);

// Value text of an attribute that must be present, pointing into the document.
const char *getAttribute(Node *node, const char *name);

// Value text of an optional attribute, or null when absent.
const char *valueOrNull(Node *node, const char *name);
// The value as it lies in the document, or empty when absent.
std::string_view viewOf(Node *node, const char *name);

// Copy of the value text, or the empty string when absent.
std::string getAttributeString(Node *node, const char *name);

// "x, y": the one character after the comma is skipped whatever it is. A part
// that is missing reads as 0; an absent attribute gives (0, 0).
sf::Vector2f getVector2f(Node *node, const char *name);

// "a, b, c, d, ": at least four entries, zeros where nothing was read. When
// `read` is given, it receives how many components the text held.
std::vector<int> getIntList(Node *node, const char *name, std::size_t *read = nullptr);

// Integer and decimal readings as atoi and atof make them, but saturated to
// the target type instead of overflowing.
int readInt(const char *text);
float readFloat(const char *text);

// Where the first `characters` characters of the UTF-8 text [begin, end) end:
// a character starts at every byte that is not a continuation byte.
const char *utf8Prefix(const char *begin, const char *end, std::size_t characters);

// Typed readings of an optional attribute: its value in the attribute's
// syntax when present, `fallback` when absent.
int readInteger(Node *node, const char *name, int fallback);
float readDecimal(Node *node, const char *name, float fallback);
sf::Vector2f readPair(Node *node, const char *name, sf::Vector2f fallback);

// The value of an attribute the format requires; throws StartupError at the
// element when it is absent.
const char *requireAttribute(Node *node, const char *name);
// Checks every attribute that the format requires of `kind` (in the order the
// format lists them) and throws StartupError for the first one missing.
void requireAttributes(Node *node, const char *kind);

// The prefix of every "src" under `assets`: its "path" and a "/", without a
// leading "/" (asset paths are relative to the game's folder); empty without
// a "path".
std::string assetPathOf(Node *assets);
// Every file the children of `assets` name in "src", after the asset path
// rules, in document order: what a change of reloads the game, and what no
// output of a run may overwrite.
std::vector<std::string> assetFiles(Node *assets);

// Where an element starts in the document text (its "<"), for messages.
const char *elementPosition(const Node *node);
