#include "check/Solver.h"

#include "elements/Catalogue.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace {

bool isFinite(const sf::FloatRect &rect)
{
    return std::isfinite(rect.left) && std::isfinite(rect.top) && std::isfinite(rect.width) &&
           std::isfinite(rect.height) && rect.width > 0 && rect.height > 0;
}

std::string elementName(const Node *node)
{
    return "<" + std::string(node->name(), node->name_size()) + ">";
}

bool doesSomething(const ESprite *sprite, const ChildRules *rules)
{
    if (sprite->hasClickAudio || sprite->hasClickText)
        return true;
    return rules && (!rules->uses.empty() || rules->action.exitScene || !rules->action.effects.clearFlags.empty() ||
                     !rules->action.effects.setFlags.empty() || !rules->action.effects.takeItems.empty() ||
                     !rules->action.effects.giveItems.empty());
}

// Small numbers appended to a state's key, four bytes each.
void append(std::string &key, std::uint32_t value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    key.append(bytes, sizeof value);
}

// Gives each distinct thing a small number, in the order first seen.
template <typename Thing>
class Numbering {
public:
    std::uint32_t operator()(const Thing &thing)
    {
        const auto [entry, added] = numbers.emplace(thing, static_cast<std::uint32_t>(things.size()));
        if (added)
            things.push_back(thing);
        return entry->second;
    }
    bool contains(const Thing &thing) const { return numbers.count(thing) != 0; }
    const Thing &operator[](std::size_t number) const { return things[number]; }

private:
    std::unordered_map<Thing, std::uint32_t> numbers;
    std::vector<Thing> things;
};

// A press the solver may make from a state: where, and what it is.
struct Move {
    sf::Vector2f point;
    // The sprite pressed (its index in the scene's list), or none for a slot or a dismissal.
    std::optional<std::size_t> sprite;
    std::optional<std::size_t> slot;
};

} // namespace

std::uint64_t settle(Game &game)
{
    game.transition();
    std::uint64_t frames = 0;
    while (game.player && game.player->walking && frames < maxWalkFrames) {
        game.step();
        game.transition();
        ++frames;
    }
    return frames;
}

class Solver::Search {
public:
    Search(Game &played, std::size_t limit) : game(played), maxStates(limit) {}

    SolveReport run();

private:
    // How a state was first reached: from which state, by which press.
    struct Arrival {
        std::uint32_t parent = 0;
        std::uint32_t label = 0;
        sf::Vector2f point;
        // The element holding what the press ran: the <use>, else the scene child.
        const char *where = nullptr;
    };
    // A condition and what it was seen to be.
    struct Watched {
        const Condition *condition = nullptr;
        const char *where = nullptr;
        bool seenTrue = false;
        bool seenFalse = false;
    };

    std::string key();
    // A sprite of the scene as presses see it.
    struct Target {
        sf::FloatRect bounds;
        // Not the player, placed by a child, with bounds a point can lie in.
        bool pressable = false;
        // Pressable, and a press on it does something.
        bool acts = false;
    };

    std::vector<Move> moves();
    const std::vector<Target> &targets();
    sf::Vector2f pressPoint(std::size_t index, bool &covered, std::vector<std::size_t> &others);
    std::optional<sf::FloatRect> slotRect(std::size_t slot) const;
    std::string describe(const Move &move) const;
    const char *located(const Move &move) const;
    void watchConditions();
    void noteCoHit(std::size_t index, const std::vector<std::size_t> &others);
    std::vector<SolvedPress> pathTo(std::uint32_t state) const;
    std::vector<char> liveStates() const;
    void reportDeadEnds(SolveReport &report, const std::vector<char> &live) const;
    void reportUnreachable(SolveReport &report);
    void warn(SolveReport &report, const char *where, const char *code, const std::string &message) const;
    void fail(SolveReport &report, const char *where, const char *code, const std::string &message) const;

    Game &game;
    std::size_t maxStates;
    bool playerShowsText = false;
    std::unordered_map<std::string, std::uint32_t> known;
    std::vector<Arrival> arrivals;
    std::vector<char> won;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> edges;
    Numbering<std::string> labels;
    Numbering<std::string> flags;
    Numbering<std::string> items;
    Numbering<const void *> things;
    std::unordered_set<const Node *> entered;
    std::unordered_set<const Node *> ran;
    std::unordered_map<const Node *, std::vector<Watched>> watched;
    std::map<const Node *, std::string> coHits;
    std::unordered_map<const Node *, std::vector<Target>> targetsByScene;
};

Solver::Solver(Game &game, std::size_t maxStates) : search(std::make_unique<Search>(game, maxStates)) {}

Solver::~Solver() = default;

SolveReport Solver::run()
{
    return search->run();
}

// The state as the bytes that tell it apart from every other: the scene,
// whether the goal was reached, the flags, the inventory in order, the
// selection, the visited scenes, the texts shown and a door still waited for.
std::string Solver::Search::key()
{
    const GameState &state = game.state;
    std::string bytes;
    bytes.reserve(64);
    append(bytes, things(game.sceneNode));
    append(bytes, state.goalReached ? 1 : 0);
    append(bytes, static_cast<std::uint32_t>(state.flags.size()));
    for (const std::string &flag : state.flags)
        append(bytes, flags(flag));
    append(bytes, static_cast<std::uint32_t>(state.inventory.size()));
    for (const std::string &item : state.inventory)
        append(bytes, items(item));
    append(bytes, state.selected ? items(*state.selected) + 1 : 0);
    append(bytes, static_cast<std::uint32_t>(state.visited.size()));
    for (const int scene : state.visited)
        append(bytes, static_cast<std::uint32_t>(scene));
    for (const EText *text : game.scene->texts)
        if (text->visible)
            append(bytes, things(text));
    append(bytes, game.pendingExit() ? static_cast<std::uint32_t>(*game.pendingExit()) ^ 0x80000000u : 0);
    return bytes;
}

std::optional<sf::FloatRect> Solver::Search::slotRect(std::size_t slot) const
{
    if (!game.rules.inventory)
        return std::nullopt;
    const InventoryBar &bar = *game.rules.inventory;
    const sf::FloatRect rect(bar.slotCorner(slot), bar.slotSize);
    return isFinite(rect) ? std::optional<sf::FloatRect>(rect) : std::nullopt;
}

// What the presses on a scene's sprites are worked out from, once for each
// scene: sprites stay where they were placed (only the player walks, and it
// is never pressed), so only which of them are active changes.
const std::vector<Solver::Search::Target> &Solver::Search::targets()
{
    auto [entry, fresh] = targetsByScene.try_emplace(game.sceneNode);
    if (fresh)
        for (const ESprite *sprite : game.scene->sprites) {
            Target &target = entry->second.emplace_back();
            target.bounds = sprite->drawable->getGlobalBounds();
            target.pressable =
                !(game.player && sprite == game.player->sprite) && sprite->sceneChild && isFinite(target.bounds);
            target.acts = target.pressable && doesSomething(sprite, game.rules.child(sprite->sceneChild));
        }
    return entry->second;
}

// A point of the sprite's bounds that no sprite drawn above it and no
// occupied slot covers, pressing as few other sprites that do something as
// can be; where every point is covered, the point least covered.
// The candidates are the centres of the cells that every edge in the bounds
// cuts them into, which covers every way the rectangles overlap.
sf::Vector2f Solver::Search::pressPoint(std::size_t index, bool &covered, std::vector<std::size_t> &others)
{
    const std::vector<Target> &all = targets();
    const sf::FloatRect own = all[index].bounds;
    std::vector<sf::FloatRect> above;
    std::vector<sf::FloatRect> pressedToo;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i == index || !all[i].pressable || !all[i].bounds.intersects(own) || !game.isActive(i))
            continue;
        // Later in the list is drawn later, over what comes before.
        if (i > index)
            above.push_back(all[i].bounds);
        if (all[i].acts)
            pressedToo.push_back(all[i].bounds);
    }
    for (std::size_t slot = 0; slot < game.state.inventory.size(); ++slot)
        if (const std::optional<sf::FloatRect> rect = slotRect(slot); rect && rect->intersects(own))
            above.push_back(*rect);
    sf::Vector2f best(own.left + own.width / 2, own.top + own.height / 2);
    std::pair<std::size_t, std::size_t> bestCost{0, 0};
    if (!above.empty() || !pressedToo.empty()) {
        std::vector<float> xs{own.left, own.left + own.width};
        std::vector<float> ys{own.top, own.top + own.height};
        for (const std::vector<sf::FloatRect> *rects : {&above, &pressedToo})
            for (const sf::FloatRect &rect : *rects) {
                for (const float x : {rect.left, rect.left + rect.width})
                    if (x > own.left && x < own.left + own.width)
                        xs.push_back(x);
                for (const float y : {rect.top, rect.top + rect.height})
                    if (y > own.top && y < own.top + own.height)
                        ys.push_back(y);
            }
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        std::sort(ys.begin(), ys.end());
        ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
        bestCost = {SIZE_MAX, SIZE_MAX};
        for (std::size_t xi = 0; xi + 1 < xs.size(); ++xi)
            for (std::size_t yi = 0; yi + 1 < ys.size(); ++yi) {
                const sf::Vector2f point((xs[xi] + xs[xi + 1]) / 2, (ys[yi] + ys[yi + 1]) / 2);
                if (!own.contains(point))
                    continue;
                std::pair<std::size_t, std::size_t> cost{0, 0};
                for (const sf::FloatRect &rect : above)
                    cost.first += static_cast<std::size_t>(rect.contains(point));
                for (const sf::FloatRect &rect : pressedToo)
                    cost.second += static_cast<std::size_t>(rect.contains(point));
                if (cost < bestCost) {
                    bestCost = cost;
                    best = point;
                }
            }
    }
    covered = bestCost.first > 0;
    others.clear();
    if (covered)
        for (std::size_t i = 0; i < all.size(); ++i)
            if (i != index && all[i].pressable && all[i].bounds.contains(best) && game.isActive(i))
                others.push_back(i);
    return best;
}

void Solver::Search::noteCoHit(std::size_t index, const std::vector<std::size_t> &others)
{
    const Node *child = game.scene->sprites[index]->sceneChild;
    if (coHits.count(child))
        return;
    std::string names;
    for (const std::size_t other : others)
        names += (names.empty() ? "" : ", ") + elementName(game.scene->sprites[other]->sceneChild);
    coHits[child] = names.empty() ? std::string("an inventory slot") : names;
}

std::vector<Move> Solver::Search::moves()
{
    std::vector<Move> found;
    const std::vector<EText *> &texts = game.scene->texts;
    if (!texts.empty() && texts.back()->visible) {
        // Any press on the scene only puts the text away: one that lands on
        // no slot is enough.
        sf::Vector2f point(550, 550);
        for (std::size_t slot = 0; slot < game.state.inventory.size(); ++slot)
            if (const std::optional<sf::FloatRect> rect = slotRect(slot); rect && rect->contains(point))
                point = {rect->left - 1, rect->top - 1};
        found.push_back({point, std::nullopt, std::nullopt});
    } else {
        const std::vector<Target> &all = targets();
        std::vector<std::size_t> others;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (!all[i].acts || !game.isActive(i))
                continue;
            bool covered = false;
            const sf::Vector2f point = pressPoint(i, covered, others);
            if (covered)
                noteCoHit(i, others);
            found.push_back({point, i, std::nullopt});
        }
    }
    for (std::size_t slot = 0; slot < game.state.inventory.size(); ++slot) {
        const std::optional<sf::FloatRect> rect = slotRect(slot);
        if (!rect)
            continue;
        const sf::Vector2f centre(rect->left + rect->width / 2, rect->top + rect->height / 2);
        if (game.rules.inventory->slotAt(centre, game.state.inventory.size()) == slot)
            found.push_back({centre, std::nullopt, slot});
    }
    return found;
}

// In words, before the press is made.
std::string Solver::Search::describe(const Move &move) const
{
    const std::string scene = " in scene " + std::to_string(game.scene ? currentSceneId : 0);
    if (move.slot) {
        const std::string &item = game.state.inventory[*move.slot];
        return (game.state.selected == item ? "deselect \"" : "select \"") + item + "\"";
    }
    if (!move.sprite)
        return "put the text away" + scene;
    const std::string target = elementName(game.scene->sprites[*move.sprite]->sceneChild);
    if (game.state.selected)
        return "use \"" + *game.state.selected + "\" on " + target + scene;
    return "press " + target + scene;
}

// After the press: the <use> that ran, else the scene child pressed.
const char *Solver::Search::located(const Move &move) const
{
    for (const Node *node : game.lastRan())
        if (std::strcmp(node->name(), "use") == 0)
            return elementPosition(node);
    if (!game.lastRan().empty())
        return elementPosition(game.lastRan().front());
    if (move.sprite)
        return elementPosition(game.scene->sprites[*move.sprite]->sceneChild);
    return elementPosition(game.root);
}

// Every condition of the scene's sprites and their uses, as the state makes it now.
void Solver::Search::watchConditions()
{
    auto [entry, fresh] = watched.try_emplace(game.sceneNode);
    std::vector<Watched> &list = entry->second;
    if (fresh)
        for (const ESprite *sprite : game.scene->sprites) {
            const ChildRules *rules = sprite->sceneChild ? game.rules.child(sprite->sceneChild) : nullptr;
            if (!rules)
                continue;
            if (!rules->active.terms.empty())
                list.push_back({&rules->active, hasAttribute(sprite->sceneChild, "if")->value()});
            for (const UseRules &use : rules->uses)
                if (!use.condition.terms.empty())
                    list.push_back({&use.condition, hasAttribute(use.node, "if")->value()});
        }
    for (Watched &condition : list)
        (game.state.holds(*condition.condition) ? condition.seenTrue : condition.seenFalse) = true;
}

SolveReport Solver::Search::run()
{
    SolveReport report;
    report.hasGoal = game.rules.hasGoal;
    playerShowsText = game.player && game.player->sprite->hasClickText;
    const Attribute *goal = hasAttribute(game.root, "goal");
    std::tie(report.goalLine, report.goalColumn) = game.position(goal ? goal->value() : elementPosition(game.root));

    std::deque<std::pair<std::uint32_t, Game::Snapshot>> frontier;
    auto discover = [&](std::string stateKey, const Arrival &arrival) {
        const auto [entry, added] = known.emplace(std::move(stateKey), static_cast<std::uint32_t>(arrivals.size()));
        if (!added)
            return entry->second;
        arrivals.push_back(arrival);
        won.push_back(game.state.goalReached ? 1 : 0);
        entered.insert(game.sceneNode);
        for (const std::string &flag : game.state.flags)
            flags(flag);
        for (const std::string &item : game.state.inventory)
            items(item);
        frontier.emplace_back(entry->second, game.snapshot());
        return entry->second;
    };
    settle(game);
    discover(key(), Arrival{});
    std::vector<std::uint32_t> reached;
    while (!frontier.empty() && !report.limitReached) {
        const auto [from, moment] = std::move(frontier.front());
        frontier.pop_front();
        game.restore(moment);
        watchConditions();
        reached.clear();
        for (const Move &move : moves()) {
            game.restore(moment);
            const std::uint32_t label = labels(describe(move));
            game.press(move.point);
            for (const Node *node : game.lastRan())
                ran.insert(node);
            const char *where = located(move);
            // Where the player ends up decides nothing unless a door waits
            // for the walk, or the player's own click text could cover the
            // next press: only then is the walk stepped through.
            if (game.pendingExit() || playerShowsText)
                settle(game);
            else
                game.transition();
            std::string stateKey = key();
            if (arrivals.size() >= maxStates && !known.count(stateKey)) {
                report.limitReached = true;
                break;
            }
            const std::uint32_t to = discover(std::move(stateKey), Arrival{from, label, move.point, where});
            if (to != from && std::find(reached.begin(), reached.end(), to) == reached.end()) {
                reached.push_back(to);
                edges.emplace_back(from, to);
            }
        }
    }
    report.states = arrivals.size();
    report.moves = edges.size();
    for (std::uint32_t state = 0; state < won.size(); ++state)
        if (won[state]) {
            report.solution = pathTo(state);
            break;
        }
    if (!report.limitReached) {
        if (report.solution)
            reportDeadEnds(report, liveStates());
        reportUnreachable(report);
    }
    std::sort(report.findings.begin(), report.findings.end(), [](const Diagnostic &a, const Diagnostic &b) {
        return std::tie(a.line, a.column) < std::tie(b.line, b.column);
    });
    return report;
}

std::vector<SolvedPress> Solver::Search::pathTo(std::uint32_t state) const
{
    std::vector<SolvedPress> presses;
    for (; state != 0; state = arrivals[state].parent)
        presses.push_back({arrivals[state].point, labels[arrivals[state].label]});
    std::reverse(presses.begin(), presses.end());
    return presses;
}

// The states from which some sequence of presses still reaches the goal:
// the goal's states and, going back along every move, all that lead there.
std::vector<char> Solver::Search::liveStates() const
{
    std::vector<std::uint32_t> start(arrivals.size() + 1, 0);
    for (const auto &edge : edges)
        ++start[edge.second + 1];
    for (std::size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    std::vector<std::uint32_t> from(edges.size());
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (const auto &edge : edges)
        from[fill[edge.second]++] = edge.first;
    std::vector<char> live(won.begin(), won.end());
    std::vector<std::uint32_t> queue;
    for (std::uint32_t state = 0; state < live.size(); ++state)
        if (live[state])
            queue.push_back(state);
    while (!queue.empty()) {
        const std::uint32_t state = queue.back();
        queue.pop_back();
        for (std::uint32_t i = start[state]; i < start[state + 1]; ++i)
            if (!live[from[i]]) {
                live[from[i]] = 1;
                queue.push_back(from[i]);
            }
    }
    return live;
}

// Each dead state is sealed by the press that first led from a live state
// to a dead one on the shortest way there; dead ends are reported once for
// each press that seals them, with the shortest way to the first of them.
void Solver::Search::reportDeadEnds(SolveReport &report, const std::vector<char> &live) const
{
    struct Group {
        std::uint32_t first = 0;
        std::size_t count = 0;
    };
    std::map<std::pair<const char *, std::uint32_t>, Group> groups;
    std::vector<std::uint32_t> sealedBy(arrivals.size(), 0);
    for (std::uint32_t state = 1; state < arrivals.size(); ++state) {
        if (live[state])
            continue;
        const std::uint32_t parent = arrivals[state].parent;
        sealedBy[state] = live[parent] ? state : sealedBy[parent];
        const Arrival &seal = arrivals[sealedBy[state]];
        Group &group = groups[{seal.where, seal.label}];
        if (group.count++ == 0)
            group.first = sealedBy[state];
    }
    for (const auto &[press, group] : groups) {
        std::string sequence;
        for (const SolvedPress &step : pathTo(group.first))
            sequence += (sequence.empty() ? "" : ", ") + step.what;
        fail(report, press.first, "dead-end",
             "dead end: after \"" + labels[press.second] +
                 "\" the goal can no longer be reached (shortest way there: " + sequence + "; " +
                 std::to_string(group.count) + (group.count == 1 ? " state" : " states") + " sealed by this press)");
    }
}

void Solver::Search::reportUnreachable(SolveReport &report)
{
    Node *scenes = getChild(game.root, "scenes");
    for (Node *scene = scenes->first_node(); scene; scene = scene->next_sibling()) {
        if (scene->type() != rapidxml::node_element)
            continue;
        // Only the scenes up to the one played are checked for a sceneId at start-up.
        const Attribute *sceneId = hasAttribute(scene, "sceneId");
        if (!entered.count(scene))
            warn(report, elementPosition(scene), "unreachable",
                 (sceneId ? "scene " + std::string(sceneId->value()) : elementName(scene)) + " is never entered");
        for (Node *child = scene->first_node(); child; child = child->next_sibling()) {
            const ChildRules *rules = child->type() == rapidxml::node_element ? game.rules.child(child) : nullptr;
            if (!rules)
                continue;
            if (rules->action.exitScene && !ran.count(child))
                warn(report, rules->action.exitWhere, "unreachable",
                     "the door of " + elementName(child) + " to scene " + std::to_string(*rules->action.exitScene) +
                         " is never gone through");
            for (const UseRules &use : rules->uses)
                if (!ran.count(use.node))
                    warn(report, elementPosition(use.node), "unreachable",
                         "using \"" + std::string(use.item) + "\" on " + elementName(child) + " never happens");
        }
    }
    for (const FlagDeclaration &flag : game.rules.flags)
        if (!flags.contains(std::string(flag.id)))
            warn(report, elementPosition(flag.node), "unreachable",
                 "the flag \"" + std::string(flag.id) + "\" is never set");
    for (const ItemDeclaration &item : game.rules.items)
        if (!items.contains(std::string(item.id)))
            warn(report, elementPosition(item.node), "unreachable",
                 "the item \"" + std::string(item.id) + "\" is never obtained");
    for (const auto &[scene, list] : watched)
        for (const Watched &condition : list)
            if (condition.seenTrue != condition.seenFalse)
                warn(report, condition.where, "constant-condition",
                     std::string("this condition is ") + (condition.seenTrue ? "true" : "false") +
                         " in every state the game can reach");
    for (const auto &[child, names] : coHits)
        warn(report, elementPosition(child), "co-hit",
             elementName(child) + " is covered wherever it can be pressed; the solver pressed it together with " +
                 names);
}

void Solver::Search::warn(SolveReport &report, const char *where, const char *code, const std::string &message) const
{
    const auto [line, column] = game.position(where);
    report.findings.push_back({Severity::warning, line, column, code, message});
}

void Solver::Search::fail(SolveReport &report, const char *where, const char *code, const std::string &message) const
{
    const auto [line, column] = game.position(where);
    report.findings.push_back({Severity::error, line, column, code, message});
}
