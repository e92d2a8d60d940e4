#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a game document may say, declared once: for each kind of element the
// attributes it reads, their syntax, whether they are required and what an
// absent one means. The loader's required checks, the checker and the
// format's documentation all follow this table.

// The world every scene is laid out in, in units, whatever the window's size:
// the window shows it whole, and level limits are given in it.
constexpr int worldSize = 1100;

enum class Syntax {
    integer,  // read as atoi reads it
    decimal,  // read as atof reads it
    pair,     // "x, y"
    list,     // "a, b, c, d"
    text,     // taken as written
    audioId,  // names an <audio> asset
    textId,   // names a <text> asset
    presence, // only whether it is there counts
    // Read strictly: a malformed value refuses to start.
    condition, // "!flag, i/item, v/2": all must hold
    idList,    // "a, b": flag or item names
    point,     // "x, y": two decimals
    boolean,   // "true" or "false"
    sceneId,   // a whole number naming a scene
    spriteId,  // names a <sprite> asset
    // Read strictly: a value that does not read is a start-up error.
    points,      // "x1, y1, x2, y2, ...": a polygon
    pointGroups, // polygons separated by ";"
    cells,       // "0, 1, 2": cells of a sheet
    cellSize,    // "w, h": whole numbers from 1
    count,       // a whole number from 1
    facing,      // down, left, right or up
    dialogId,    // names a <dialog>
    sequenceId,  // names a <sequence>
};

struct AttributeFormat {
    const char *name;
    Syntax syntax;
    bool required;
    // What an absent attribute means, as the documentation says it.
    const char *fallback;
    const char *meaning;
    // The values that can do what the attribute says, when not all can: the
    // loader keeps what it has for a value outside and the checker warns,
    // unless refusedOutside. For a list, each item's range.
    std::optional<double> min{};
    std::optional<double> max{};
    // min itself is outside the range (a pitch is above 0).
    bool aboveMin = false;
    // A value outside refuses to start instead of being kept: the start-up
    // error says so, the checker adds nothing.
    bool refusedOutside = false;
};

struct ElementFormat {
    // "root", "assets", "sprite", "audio", "text", "player", "state",
    // "flag", "item", "inventory", "scene", "scene child", "use", "dialogs",
    // "dialog", "say", "option", "sequences", "sequence", "sequence say",
    // "walk", "wait", "play", "do", "fade", "sequence scene", "talk", "languages" or
    // "language": the root,
    // scenes and scene children are recognised by their place in the
    // document, not by their name.
    const char *kind;
    std::vector<AttributeFormat> attributes;
};

const std::vector<ElementFormat> &gameFormat();
// The format of one kind; the kind must be in the table.
const ElementFormat &formatOf(std::string_view kind);
// The attribute of that name, or null when the kind does not read it.
const AttributeFormat *findAttribute(const ElementFormat &format, std::string_view name);
const char *syntaxName(Syntax syntax);

// Whether `value` is in the attribute's range (always, without one).
bool inRange(const AttributeFormat &attribute, double value);
// The range as the documentation and the messages say it: "0 to 100",
// "above 0", "0 or more"; empty without one.
std::string rangeText(const AttributeFormat &attribute);
