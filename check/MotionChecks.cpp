#include "check/MotionChecks.h"

#include "core/Game.h"
#include "core/nav/WalkArea.h"
#include "core/text/Lists.h"

#include <cstring>
#include <sstream>
#include <string>

namespace {

class MotionChecks {
public:
    MotionChecks(const Game &loaded, std::vector<Diagnostic> &into) : game(loaded), findings(into) {}

    void checkScene(Node *scene, Point playerAt, bool placesPlayer);
    void checkSheet(Node *asset, const char *const *cellNames);

private:
    std::vector<Polygon> polygons(const Attribute *attribute, bool grouped);
    void report(const char *where, const char *code, const std::string &message);

    const Game &game;
    std::vector<Diagnostic> &findings;
};

std::string shown(Point p)
{
    std::ostringstream text;
    text << "(" << p.x << ", " << p.y << ")";
    return text.str();
}

bool isElement(const Node *node)
{
    return node->type() == rapidxml::node_element;
}

std::vector<Polygon> MotionChecks::polygons(const Attribute *attribute, bool grouped)
{
    std::vector<std::vector<std::pair<double, double>>> groups;
    if (grouped)
        groups = readPointGroups(attribute);
    else
        groups.push_back(readPoints(attribute));
    std::vector<Polygon> found;
    for (const auto &group : groups) {
        Polygon polygon;
        for (const auto &[x, y] : group)
            polygon.push_back({x, y});
        found.push_back(polygon);
    }
    return found;
}

void MotionChecks::checkScene(Node *scene, Point playerAt, bool placesPlayer)
{
    const Attribute *areaText = hasAttribute(scene, "walkArea");
    const Attribute *holesText = hasAttribute(scene, "walkHoles");
    if (!areaText) {
        if (holesText)
            report(holesText->value(), "walk-area", "\"walkHoles\" without \"walkArea\" does nothing");
        return;
    }
    const Polygon area = polygons(areaText, false).front();
    if (area.size() < 3) {
        report(areaText->value(), "walk-area",
               "\"walkArea\" has " + std::to_string(area.size()) +
                   " points, but a polygon needs 3; the scene walks within its level limits");
        return;
    }
    if (selfIntersects(area))
        report(areaText->value(), "walk-area", "\"walkArea\" crosses itself; walking in it may go astray");
    std::vector<Polygon> holes;
    std::size_t number = 0;
    if (holesText)
        for (const Polygon &hole : polygons(holesText, true)) {
            const std::string which = "hole " + std::to_string(++number) + " of \"walkHoles\"";
            if (hole.size() < 3) {
                report(holesText->value(), "walk-area", which + " has fewer than 3 points; it is no hole");
                continue;
            }
            if (selfIntersects(hole))
                report(holesText->value(), "walk-area", which + " crosses itself");
            bool outside = false;
            for (const Point corner : hole)
                outside = outside || !insideByCrossings(area, corner);
            for (std::size_t i = 0; i < hole.size() && !outside; ++i)
                for (std::size_t j = 0; j < area.size() && !outside; ++j)
                    outside = segmentsMeet(hole[i], hole[(i + 1) % hole.size()], area[j], area[(j + 1) % area.size()]);
            if (outside)
                report(holesText->value(), "walk-area", which + " is not inside \"walkArea\"");
            for (std::size_t other = 0; other < holes.size(); ++other) {
                bool overlap = insideByCrossings(holes[other], hole[0]) || insideByCrossings(hole, holes[other][0]);
                for (std::size_t i = 0; i < hole.size() && !overlap; ++i)
                    for (std::size_t j = 0; j < holes[other].size() && !overlap; ++j)
                        overlap = segmentsMeet(hole[i], hole[(i + 1) % hole.size()], holes[other][j],
                                               holes[other][(j + 1) % holes[other].size()]);
                if (overlap)
                    report(holesText->value(), "walk-area",
                           which + " overlaps hole " + std::to_string(other + 1) + "; holes must be apart");
            }
            holes.push_back(hole);
        }
    if (!placesPlayer)
        return;
    const WalkArea walkable(area, holes);
    if (!walkable.contains(playerAt))
        report(areaText->value(), "walk-area",
               "the player starts at " + shown(playerAt) +
                   ", outside the walk area; its first walk goes to the nearest edge first");
    const std::vector<Point> cutOff = walkable.unreachableCorners(playerAt);
    if (!cutOff.empty())
        report(areaText->value(), "walk-area",
               "the part of the walk area at " + shown(cutOff.front()) +
                   " cannot be reached from where the player starts");
}

void MotionChecks::checkSheet(Node *asset, const char *const *cellNames)
{
    if (hasAttribute(asset, "frameSize"))
        return;
    for (const char *const *name = cellNames; *name; ++name)
        if (const Attribute *cells = hasAttribute(asset, *name))
            report(cells->value(), "animation",
                   "\"" + std::string(*name) + "\" names cells, but without \"frameSize\" the whole image is one cell");
}

void MotionChecks::report(const char *where, const char *code, const std::string &message)
{
    const auto [line, column] = game.position(where);
    findings.push_back({Severity::warning, line, column, code, message});
}

} // namespace

void checkMotion(const Game &game, std::vector<Diagnostic> &findings)
{
    if (!game.root)
        return;
    MotionChecks checks(game, findings);
    Point playerAt;
    bool hasPlayer = false;
    static const char *const spriteCells[] = {"frames", nullptr};
    static const char *const playerCells[] = {"walkDown", "walkLeft", "walkRight", "walkUp", nullptr};
    if (Node *assets = getChild(game.root, "assets"))
        for (Node *asset = assets->first_node(); asset; asset = asset->next_sibling()) {
            if (!isElement(asset))
                continue;
            if (std::strcmp(asset->name(), "sprite") == 0)
                checks.checkSheet(asset, spriteCells);
            if (std::strcmp(asset->name(), "player") == 0) {
                checks.checkSheet(asset, playerCells);
                const sf::Vector2f at = readPair(asset, "position", {0.f, 0.f});
                playerAt = {at.x, at.y};
                hasPlayer = true;
            }
        }
    if (Node *scenes = getChild(game.root, "scenes"))
        for (Node *scene = scenes->first_node(); scene; scene = scene->next_sibling()) {
            if (!isElement(scene))
                continue;
            Node *placed = getChild(scene, "player");
            Point at = playerAt;
            if (placed) {
                const sf::Vector2f given =
                    readPair(placed, "position", {static_cast<float>(playerAt.x), static_cast<float>(playerAt.y)});
                at = {given.x, given.y};
            }
            checks.checkScene(scene, at, hasPlayer && placed);
        }
}
