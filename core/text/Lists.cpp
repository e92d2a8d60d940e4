#include "core/text/Lists.h"

#include "core/text/Format.h"
#include "core/text/StartupError.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

struct Part {
    const char *begin;
    const char *end;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// [begin, end) split at `separator`, each part without its blanks.
std::vector<Part> split(const char *begin, const char *end, char separator)
{
    std::vector<Part> parts;
    for (const char *start = begin;;) {
        const char *stop = start;
        while (stop != end && *stop != separator)
            ++stop;
        Part part{start, stop};
        while (part.begin != part.end && isBlank(*part.begin))
            ++part.begin;
        while (part.end != part.begin && isBlank(part.end[-1]))
            --part.end;
        parts.push_back(part);
        if (stop == end)
            return parts;
        start = stop + 1;
    }
}

std::string named(const Attribute *attribute)
{
    return "\"" + std::string(attribute->name(), attribute->name_size()) + "\"";
}

std::string shown(Part part)
{
    return "\"" + std::string(part.begin, part.end) + "\"";
}

double number(const Attribute *attribute, Part part)
{
    const std::string text(part.begin, part.end);
    char *stop = nullptr;
    const double value = text.empty() ? 0 : std::strtod(text.c_str(), &stop);
    if (text.empty() || stop != text.c_str() + text.size() || !std::isfinite(value) || std::fabs(value) > 1e9)
        throw StartupError(named(attribute) + " expects numbers, but " + shown(part) + " is not one", part.begin);
    return value;
}

long whole(const Attribute *attribute, Part part, long lowest)
{
    const std::string text(part.begin, part.end);
    char *stop = nullptr;
    const long value = text.empty() ? 0 : std::strtol(text.c_str(), &stop, 10);
    if (text.empty() || stop != text.c_str() + text.size() || value < lowest || value > 1000000)
        throw StartupError(named(attribute) + " expects whole numbers from " + std::to_string(lowest) + ", but " +
                               shown(part) + " is not one",
                           part.begin);
    return value;
}

std::vector<std::pair<double, double>> pointsIn(const Attribute *attribute, Part text)
{
    const std::vector<Part> parts = split(text.begin, text.end, ',');
    if (parts.size() % 2 != 0)
        throw StartupError(named(attribute) + " expects pairs \"x, y\", but " + shown(text) + " has " +
                               std::to_string(parts.size()) + " numbers",
                           text.begin);
    std::vector<std::pair<double, double>> points;
    for (std::size_t i = 0; i < parts.size(); i += 2)
        points.emplace_back(number(attribute, parts[i]), number(attribute, parts[i + 1]));
    return points;
}

Part whole(const Attribute *attribute)
{
    return {attribute->value(), attribute->value() + attribute->value_size()};
}

void checkNode(Node *node, const ElementFormat &format)
{
    for (Attribute *attribute = node->first_attribute(); attribute; attribute = attribute->next_attribute()) {
        const AttributeFormat *known =
            findAttribute(format, std::string_view(attribute->name(), attribute->name_size()));
        if (!known)
            continue;
        switch (known->syntax) {
        case Syntax::points:
            readPoints(attribute);
            break;
        case Syntax::pointGroups:
            readPointGroups(attribute);
            break;
        case Syntax::cells:
            readCells(attribute);
            break;
        case Syntax::cellSize:
            readCellSize(attribute);
            break;
        case Syntax::count:
            readCount(attribute);
            break;
        case Syntax::facing:
            readWord(attribute, facingWords());
            break;
        default:
            break;
        }
    }
}

void checkCorners(const Attribute *attribute, std::size_t corners)
{
    if (corners > maxCorners)
        throw StartupError(named(attribute) + " has " + std::to_string(corners) + " corners, but at most " +
                               std::to_string(maxCorners) + " are read",
                           attribute->value());
}

} // namespace

std::vector<std::pair<double, double>> readPoints(const Attribute *attribute)
{
    std::vector<std::pair<double, double>> points = pointsIn(attribute, whole(attribute));
    checkCorners(attribute, points.size());
    return points;
}

std::vector<std::vector<std::pair<double, double>>> readPointGroups(const Attribute *attribute)
{
    const Part text = whole(attribute);
    std::vector<std::vector<std::pair<double, double>>> groups;
    if (text.begin == text.end)
        return groups;
    std::size_t corners = 0;
    for (const Part part : split(text.begin, text.end, ';')) {
        groups.push_back(pointsIn(attribute, part));
        corners += groups.back().size();
    }
    checkCorners(attribute, corners);
    return groups;
}

std::vector<int> readCells(const Attribute *attribute)
{
    std::vector<int> cells;
    for (const Part part : split(whole(attribute).begin, whole(attribute).end, ','))
        cells.push_back(static_cast<int>(whole(attribute, part, 0)));
    return cells;
}

std::pair<int, int> readCellSize(const Attribute *attribute)
{
    const std::vector<Part> parts = split(whole(attribute).begin, whole(attribute).end, ',');
    if (parts.size() != 2)
        throw StartupError(named(attribute) + " expects \"width, height\", but " + shown(whole(attribute)) +
                               " is not that",
                           attribute->value());
    return {static_cast<int>(whole(attribute, parts[0], 1)), static_cast<int>(whole(attribute, parts[1], 1))};
}

int readCount(const Attribute *attribute)
{
    return static_cast<int>(whole(attribute, whole(attribute), 1));
}

std::size_t readWord(const Attribute *attribute, const std::vector<const char *> &allowed)
{
    const std::string_view value(attribute->value(), attribute->value_size());
    std::string list;
    for (std::size_t i = 0; i < allowed.size(); ++i) {
        if (value == allowed[i])
            return i;
        list += (i == 0 ? "" : ", ") + std::string(allowed[i]);
    }
    throw StartupError(named(attribute) + " is " + shown(whole(attribute)) + ", but it can only be one of " + list,
                       attribute->value());
}

const std::vector<const char *> &facingWords()
{
    static const std::vector<const char *> words{"down", "left", "right", "up"};
    return words;
}

void checkStrictValues(Node *root)
{
    if (Node *assets = getChild(root, "assets"))
        for (Node *asset = assets->first_node(); asset; asset = asset->next_sibling())
            if (isElement(asset) &&
                (std::strcmp(asset->name(), "sprite") == 0 || std::strcmp(asset->name(), "player") == 0))
                checkNode(asset, formatOf(asset->name()));
    if (Node *scenes = getChild(root, "scenes"))
        for (Node *scene = scenes->first_node(); scene; scene = scene->next_sibling()) {
            if (!isElement(scene))
                continue;
            checkNode(scene, formatOf("scene"));
            for (Node *child = scene->first_node(); child; child = child->next_sibling())
                if (isElement(child))
                    checkNode(child, formatOf("scene child"));
        }
}
