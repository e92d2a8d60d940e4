#include "check/MotionChecks.h"

#include "check/CheckerText.h"
#include "core/Game.h"
#include "core/assets/ImageHeader.h"
#include "core/nav/WalkArea.h"
#include "core/text/FileKind.h"
#include "core/text/Format.h"
#include "core/text/Lists.h"

#include <SFML/Graphics/Sprite.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

const sf::FloatRect world(0, 0, static_cast<float>(worldSize), static_cast<float>(worldSize));

// Whether pressing the sprite a scene child places does anything: a sound, a
// text, an effect, a door or a use, or a label while it is pointed at.
bool actsWhenPressed(Node *child, const ChildRules *rules)
{
    return hasAttribute(child, "onClickAudio") || hasAttribute(child, "onClickText") ||
           hasAttribute(child, "hoverText") || hasAttribute(child, "hoverCursor") || (rules && rules->acts());
}

// Whether a press that reaches the top sprite only stops at it: what hover names.
bool takesTopPress(Node *child, const ChildRules *rules)
{
    return hasAttribute(child, "onClickAudio") || hasAttribute(child, "onClickText") ||
           hasAttribute(child, "hoverText") || (rules && rules->acts());
}

// A sheet whose cells all fit its image: cells of `cell` pixels, read row by
// row from an image of `image` pixels.
struct Grid {
    sf::Vector2i cell;
    sf::Vector2u image;
};

class MotionChecks {
public:
    MotionChecks(const Game &loaded, const std::string &folder, std::vector<Diagnostic> &into);

    void checkScene(Node *scene, Point playerAt, bool placesPlayer);
    void checkSheet(Node *asset, const char *const *cellNames);
    void checkSceneChild(Node *child);
    // Once every scene child is seen: the cells and the reach of those that
    // place a sprite.
    void checkPlacedSprites();
    void checkInventory();

private:
    std::vector<Polygon> polygons(const Attribute *attribute, bool grouped);
    // The image's size as its header declares it; nothing when the engine
    // would show no image (no file, no header it reads, or too large).
    std::optional<sf::Vector2u> imageSize(Node *asset);
    // The sheet of an asset with "frameSize" whose cells fit its image.
    std::optional<Grid> gridOf(Node *asset);
    void checkCells(const Attribute *cells, const Grid &grid);
    // The bounds the engine gives the sprite the child places; none without an image.
    std::optional<sf::FloatRect> placedBounds(Node *child, Node *asset);
    void checkReach(Node *child, const sf::FloatRect &bounds);
    void checkPresses();
    void noteHoldable(const Effects &effects);
    void noteCutsceneWalks();
    void report(const char *where, const char *code, const std::string &message);

    const Game &game;
    std::vector<Diagnostic> &findings;
    std::filesystem::path folder;
    std::string assetPath;
    std::map<std::string, std::optional<sf::Vector2u>> sizes;
    // Scene children that name cells or do something when pressed. Only
    // their names are looked up among the assets, so a huge document of
    // plain children holds no table of its sprites.
    std::vector<Node *> measured;
    // The measured children that do something when pressed, in document order, with their bounds.
    struct Pressable {
        Node *child;
        sf::FloatRect bounds;
    };
    std::vector<Pressable> pressable;
    // Every item the game can ever hold: each takes a slot of the bar.
    std::set<std::string_view> holdable;
    // The walk steps of cutscenes by the scene whose walk area they walk in.
    std::map<int, std::vector<const StepRules *>> cutsceneWalks;
};

MotionChecks::MotionChecks(const Game &loaded, const std::string &gameFolder, std::vector<Diagnostic> &into)
    : game(loaded), findings(into), folder(gameFolder)
{
    assetPath = assetPathOf(getChild(game.root, "assets"));
    for (const ItemDeclaration &item : game.rules.items)
        if (item.held)
            holdable.insert(item.id);
    noteCutsceneWalks();
}

std::string shown(Point p)
{
    std::ostringstream text;
    text << "(" << p.x << ", " << p.y << ")";
    return text.str();
}

// A cutscene walks in the scene a press or an entry starts it in (the entry
// scene for the one the game opens with) until a scene step changes it. One
// the goal starts may run anywhere: its walks are left alone.
void MotionChecks::noteCutsceneWalks()
{
    std::map<std::string_view, std::set<int>> startsIn;
    const auto startedIn = [&](Node *node, const char *trigger, int scene) {
        if (const Attribute *id = hasAttribute(node, trigger))
            startsIn[std::string_view(id->value(), id->value_size())].insert(scene);
    };
    startedIn(game.root, "startSequence", readInteger(game.root, "entryScene", 0));
    Node *scenes = getChild(game.root, "scenes");
    for (Node *scene = scenes ? scenes->first_node() : nullptr; scene; scene = scene->next_sibling()) {
        if (!isElement(scene))
            continue;
        const int id = readInteger(scene, "sceneId", 0);
        startedIn(scene, "onEnterSequence", id);
        startedIn(scene, "onFirstEnterSequence", id);
        for (Node *child = scene->first_node(); child; child = child->next_sibling()) {
            if (!isElement(child))
                continue;
            startedIn(child, "onClickSequence", id);
            for (Node *use = child->first_node("use"); use; use = use->next_sibling("use"))
                startedIn(use, "onClickSequence", id);
        }
    }
    for (const SequenceRules &sequence : game.sequences.sequences) {
        std::set<int> in = startsIn[sequence.id];
        for (const StepRules &step : sequence.steps) {
            if (step.kind == StepRules::Kind::scene)
                in = {step.scene};
            else if (step.kind == StepRules::Kind::walk)
                for (const int scene : in)
                    cutsceneWalks[scene].push_back(&step);
        }
    }
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
    const WalkArea walkable(area, holes);
    for (const StepRules *step : cutsceneWalks[readInteger(scene, "sceneId", 0)]) {
        const Point to{step->to.x, step->to.y};
        if (!walkable.contains(to))
            report(hasAttribute(step->node, "to")->value(), "walk-area",
                   "the cutscene walks to " + shown(to) +
                       ", outside the walk area of the scene it walks in; the walk ends at the nearest point inside");
    }
    if (!placesPlayer)
        return;
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
    const Attribute *frameSize = hasAttribute(asset, "frameSize");
    if (!frameSize) {
        for (const char *const *name = cellNames; *name; ++name)
            if (const Attribute *cells = hasAttribute(asset, *name))
                report(cells->value(), "animation",
                       "\"" + std::string(*name) +
                           "\" names cells, but without \"frameSize\" the whole image is one cell");
        return;
    }
    const std::optional<sf::Vector2u> image = imageSize(asset);
    if (!image)
        return;
    const std::optional<Grid> grid = gridOf(asset);
    if (!grid) {
        const auto [width, height] = readCellSize(frameSize);
        report(frameSize->value(), "animation",
               "\"frameSize\" is " + std::to_string(width) + " x " + std::to_string(height) + ", larger than the " +
                   std::to_string(image->x) + " x " + std::to_string(image->y) +
                   " image; the engine stretches the image's edge pixels over the rest of the cell");
        return;
    }
    for (const char *const *name = cellNames; *name; ++name)
        if (const Attribute *cells = hasAttribute(asset, *name))
            checkCells(cells, *grid);
}

std::optional<sf::Vector2u> MotionChecks::imageSize(Node *asset)
{
    const Attribute *src = hasAttribute(asset, "src");
    if (!src)
        return std::nullopt;
    const std::string path = assetPath + src->value();
    const auto known = sizes.find(path);
    if (known != sizes.end())
        return known->second;
    std::optional<sf::Vector2u> size;
    // Only a regular file is opened: a pipe would wait for a writer for ever.
    const std::string resolved = (folder / path).string();
    if (fileKind(resolved) == FileKind::regular)
        size = declaredImageSize(resolved);
    if (size && (size->x == 0 || size->y == 0 || !oversizedImage(*size).empty()))
        size.reset();
    return sizes[path] = size;
}

std::optional<Grid> MotionChecks::gridOf(Node *asset)
{
    const Attribute *frameSize = hasAttribute(asset, "frameSize");
    const std::optional<sf::Vector2u> image = frameSize ? imageSize(asset) : std::nullopt;
    if (!image)
        return std::nullopt;
    const auto [width, height] = readCellSize(frameSize);
    if (static_cast<unsigned>(width) > image->x || static_cast<unsigned>(height) > image->y)
        return std::nullopt;
    return Grid{{width, height}, *image};
}

// The engine counts cells row by row over as many whole cells as fit across
// the image (see Sheet), so a cell past the last whole row lies below the
// image's bottom edge.
void MotionChecks::checkCells(const Attribute *cells, const Grid &grid)
{
    const long long columns = grid.image.x / static_cast<unsigned>(grid.cell.x);
    const long long held = columns * (grid.image.y / static_cast<unsigned>(grid.cell.y));
    for (const int cell : readCells(cells))
        if (cell >= held) {
            report(cells->value(), "animation",
                   "cell " + std::to_string(cell) + " of \"" + std::string(cells->name(), cells->name_size()) +
                       "\" lies past the image: its " + std::to_string(grid.image.x) + " x " +
                       std::to_string(grid.image.y) + " pixels hold cells 0 to " + std::to_string(held - 1) + " of " +
                       std::to_string(grid.cell.x) + " x " + std::to_string(grid.cell.y) +
                       "; the engine stretches the image's edge pixels over it");
            return;
        }
}

void MotionChecks::checkSceneChild(Node *child)
{
    const ChildRules *rules = game.rules.child(child);
    if (rules) {
        noteHoldable(rules->action.effects);
        for (const UseRules &use : rules->uses)
            noteHoldable(use.action.effects);
    }
    if (std::strcmp(child->name(), "player") == 0)
        return;
    if (actsWhenPressed(child, rules) || hasAttribute(child, "frames"))
        measured.push_back(child);
}

void MotionChecks::checkPlacedSprites()
{
    std::unordered_map<std::string_view, Node *> assets;
    for (const Node *child : measured)
        assets.emplace(std::string_view(child->name(), child->name_size()), nullptr);
    // The first sprite of each id is the one measured.
    for (Node *asset = getChild(game.root, "assets")->first_node(); asset; asset = asset->next_sibling())
        if (asset->type() == rapidxml::node_element && std::strcmp(asset->name(), "sprite") == 0)
            if (const Attribute *id = hasAttribute(asset, "id")) {
                const auto named = assets.find(std::string_view(id->value(), id->value_size()));
                if (named != assets.end() && !named->second)
                    named->second = asset;
            }
    for (Node *child : measured) {
        Node *asset = assets[std::string_view(child->name(), child->name_size())];
        if (!asset)
            continue;
        if (const Attribute *frames = hasAttribute(child, "frames"))
            if (const std::optional<Grid> grid = gridOf(asset))
                checkCells(frames, *grid);
        if (!actsWhenPressed(child, game.rules.child(child)))
            continue;
        if (const std::optional<sf::FloatRect> bounds = placedBounds(child, asset)) {
            checkReach(child, *bounds);
            pressable.push_back({child, *bounds});
        }
    }
    checkPresses();
}

namespace {

// Whether two conditions can hold at once: neither asks for a term the other
// asks to be false.
bool compatible(const Condition &a, const Condition &b)
{
    for (const ConditionTerm &one : a.terms)
        for (const ConditionTerm &other : b.terms)
            if (one.kind == other.kind && one.name == other.name && one.scene == other.scene &&
                one.negated != other.negated)
                return false;
    return true;
}

const Condition &activeIf(const Game &game, const Node *child)
{
    static const Condition always;
    const ChildRules *rules = game.rules.child(child);
    return rules ? rules->active : always;
}

// Whether the union of `cover` holds all of `bounds`: every cell the edges
// inside cut it into lies in one of them.
bool whollyCovered(const sf::FloatRect &bounds, const std::vector<sf::FloatRect> &cover)
{
    std::vector<float> xs{bounds.left, bounds.left + bounds.width};
    std::vector<float> ys{bounds.top, bounds.top + bounds.height};
    for (const sf::FloatRect &rect : cover) {
        for (const float x : {rect.left, rect.left + rect.width})
            if (x > bounds.left && x < bounds.left + bounds.width)
                xs.push_back(x);
        for (const float y : {rect.top, rect.top + rect.height})
            if (y > bounds.top && y < bounds.top + bounds.height)
                ys.push_back(y);
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    for (std::size_t xi = 0; xi + 1 < xs.size(); ++xi)
        for (std::size_t yi = 0; yi + 1 < ys.size(); ++yi) {
            const sf::Vector2f middle((xs[xi] + xs[xi + 1]) / 2, (ys[yi] + ys[yi + 1]) / 2);
            if (std::none_of(cover.begin(), cover.end(),
                             [&](const sf::FloatRect &rect) { return rect.contains(middle); }))
                return false;
        }
    return true;
}

} // namespace

// Pressable children of one scene, in document order: the first is drawn on
// top. Without press="top" a press reaches every sprite under it, so two
// notes that can show at once over each other are a slip; with it, a sprite
// that those above it always cover can never be pressed.
void MotionChecks::checkPresses()
{
    for (std::size_t begin = 0; begin < pressable.size();) {
        std::size_t end = begin;
        while (end < pressable.size() && pressable[end].child->parent() == pressable[begin].child->parent())
            ++end;
        for (std::size_t i = begin; i < end; ++i) {
            Node *child = pressable[i].child;
            const sf::FloatRect &bounds = pressable[i].bounds;
            if (!game.interaction.pressTop) {
                if (!hasAttribute(child, "onClickText"))
                    continue;
                for (std::size_t j = begin; j < i; ++j)
                    if (hasAttribute(pressable[j].child, "onClickText") && pressable[j].bounds.intersects(bounds) &&
                        compatible(activeIf(game, child), activeIf(game, pressable[j].child))) {
                        report(elementPosition(child), "overlapping-press",
                               tag(std::string_view(child->name(), child->name_size())) + " overlaps " +
                                   tag(std::string_view(pressable[j].child->name(), pressable[j].child->name_size())) +
                                   " and both show a note: a press where they overlap shows two notes "
                                   "(press=\"top\" on the root gives a press to the top one only)");
                        break;
                    }
                continue;
            }
            // A cursor of its own does not take the press: the engine gives it to what hover names.
            std::vector<sf::FloatRect> above;
            for (std::size_t j = begin; j < i; ++j)
                if (takesTopPress(pressable[j].child, game.rules.child(pressable[j].child)) &&
                    activeIf(game, pressable[j].child).terms.empty() && pressable[j].bounds.intersects(bounds))
                    above.push_back(pressable[j].bounds);
            if (!above.empty() && whollyCovered(bounds, above))
                report(elementPosition(child), "covered",
                       tag(std::string_view(child->name(), child->name_size())) +
                           " is covered wholly by sprites drawn above it that are always there; with press=\"top\" "
                           "it can never be pressed");
        }
        begin = end;
    }
}

void MotionChecks::noteHoldable(const Effects &effects)
{
    holdable.insert(effects.giveItems.begin(), effects.giveItems.end());
}

// A press reaches only what the window shows, and it shows the world. The
// bounds are the engine's own: an sf::Sprite given the image's (or a cell's)
// size and the transform the engine applies, asset first, then the child.
std::optional<sf::FloatRect> MotionChecks::placedBounds(Node *child, Node *asset)
{
    const std::optional<sf::Vector2u> image = imageSize(asset);
    if (!image)
        return std::nullopt;
    sf::Vector2i size(static_cast<int>(image->x), static_cast<int>(image->y));
    if (const Attribute *frameSize = hasAttribute(asset, "frameSize")) {
        const auto [width, height] = readCellSize(frameSize);
        size = {width, height};
    }
    sf::Sprite placed;
    placed.setTextureRect({0, 0, size.x, size.y});
    const sf::Vector2f position = readPair(asset, "position", {0.f, 0.f});
    const sf::Vector2f scale = readPair(asset, "scale", {1.f, 1.f});
    const sf::Vector2f origin = readPair(asset, "origin", {1.f, 1.f});
    const int rotation = readInteger(asset, "rotation", 0);
    placed.setPosition(readPair(child, "position", position));
    placed.setScale(readPair(child, "scale", scale));
    placed.setRotation(static_cast<float>(readInteger(child, "rotation", rotation)));
    placed.setOrigin(readPair(child, "origin", origin));
    const sf::FloatRect bounds = placed.getGlobalBounds();
    const bool finite = std::isfinite(bounds.left) && std::isfinite(bounds.top) && std::isfinite(bounds.width) &&
                        std::isfinite(bounds.height);
    if (!finite || bounds.width <= 0 || bounds.height <= 0)
        return std::nullopt;
    return bounds;
}

void MotionChecks::checkReach(Node *child, const sf::FloatRect &bounds)
{
    if (bounds.intersects(world))
        return;
    report(elementPosition(child), "outside-world",
           tag(std::string_view(child->name(), child->name_size())) + " lies wholly outside the " +
               std::to_string(worldSize) + " x " + std::to_string(worldSize) + " world, from (" +
               showNumber(bounds.left) + ", " + showNumber(bounds.top) + ") to (" +
               showNumber(bounds.left + bounds.width) + ", " + showNumber(bounds.top + bounds.height) +
               "); no press can reach it");
}

// Slots fill in order, so the first slot outside the world is where the
// items held from then on are never seen and cannot be selected.
void MotionChecks::checkInventory()
{
    if (!game.rules.inventory)
        return;
    // The last <inventory> is the one the engine keeps.
    Node *last = nullptr;
    for (Node *section = game.root->first_node(); section; section = section->next_sibling())
        if (section->type() == rapidxml::node_element && std::strcmp(section->name(), "inventory") == 0)
            last = section;
    const InventoryBar &bar = *game.rules.inventory;
    for (std::size_t slot = 0; slot < holdable.size(); ++slot) {
        const sf::FloatRect rect(bar.slotCorner(slot), bar.slotSize);
        if (!std::isfinite(rect.left) || !std::isfinite(rect.top) || rect.intersects(world))
            continue;
        report(elementPosition(last), "outside-world",
               "the slot at (" + showNumber(rect.left) + ", " + showNumber(rect.top) +
                   "), where the bar shows held item " + std::to_string(slot + 1) + ", lies wholly outside the " +
                   std::to_string(worldSize) + " x " + std::to_string(worldSize) +
                   " world: an item there can never be seen or selected");
        return;
    }
}

void MotionChecks::report(const char *where, const char *code, const std::string &message)
{
    const auto [line, column] = game.position(where);
    findings.push_back({Severity::warning, line, column, code, message});
}

} // namespace

void checkMotion(const Game &game, const std::string &folder, std::vector<Diagnostic> &findings)
{
    if (!game.root)
        return;
    MotionChecks checks(game, folder, findings);
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
            for (Node *child = scene->first_node(); child; child = child->next_sibling())
                if (isElement(child))
                    checks.checkSceneChild(child);
        }
    checks.checkPlacedSprites();
    checks.checkInventory();
}
