#include "core/rooms/GameRules.h"

#include "core/text/Format.h"
#include "core/text/StartupError.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace {

bool booleanOr(Node *node, const char *name, bool fallback)
{
    const Attribute *given = hasAttribute(node, name);
    return given ? parseBoolean(given) : fallback;
}

std::vector<std::string_view> idListOf(Node *node, const char *name)
{
    const Attribute *given = hasAttribute(node, name);
    return given ? parseIdList(given) : std::vector<std::string_view>{};
}

Condition conditionOf(Node *node, const char *name)
{
    const Attribute *given = hasAttribute(node, name);
    return given ? parseCondition(given) : Condition{};
}

std::string_view requireName(Node *node, const char *name)
{
    const Attribute *given = hasAttribute(node, name);
    if (!given)
        throw StartupError(std::string("<") + node->name() + "> has no \"" + name + "\" attribute",
                           elementPosition(node));
    const std::string_view value(given->value(), given->value_size());
    if (!isName(value) && !(std::strcmp(name, "item") == 0 && value == "*"))
        throw StartupError(std::string("\"") + name + "\" is \"" + std::string(value) +
                               "\", which is not a name (letters, digits, \"_\", \"-\" and \".\")",
                           given->value());
    return value;
}

} // namespace

sf::Vector2f InventoryBar::slotCorner(std::size_t slot) const
{
    const auto perRow = static_cast<std::size_t>(columns);
    const std::size_t row = slot / perRow;
    return {position.x + static_cast<float>(slot % perRow) * slotSize.x,
            position.y + static_cast<float>(row) * slotSize.y};
}

std::optional<std::size_t> InventoryBar::slotAt(sf::Vector2f point, std::size_t slots) const
{
    const sf::Vector2f offset = point - position;
    if (offset.x < 0 || offset.y < 0)
        return std::nullopt;
    const auto column = static_cast<std::size_t>(std::floor(offset.x / slotSize.x));
    const auto row = static_cast<std::size_t>(std::floor(offset.y / slotSize.y));
    if (column >= static_cast<std::size_t>(columns))
        return std::nullopt;
    const std::size_t slot = row * static_cast<std::size_t>(columns) + column;
    if (slot >= slots)
        return std::nullopt;
    return slot;
}

void GameRules::read(Node *root)
{
    if (const Attribute *given = hasAttribute(root, "goal")) {
        goal = noteNames(parseCondition(given));
        hasGoal = true;
    }
    unhandledUseText = valueOrNull(root, "unhandledUseText");
    readSaveName(root);
    for (Node *child = root->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child))
            continue;
        if (named(child, "state"))
            readState(child);
        else if (named(child, "inventory"))
            readInventory(child);
    }
    checkFormerNames(flags, "flag");
    checkFormerNames(items, "item");
    if (Node *all = getChild(root, "scenes"))
        for (Node *scene = all->first_node(); scene; scene = scene->next_sibling())
            if (isElement(scene))
                readScene(scene);
}

void GameRules::readState(Node *state)
{
    for (Node *child = state->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child))
            continue;
        if (named(child, "flag")) {
            flags.push_back(
                {child, requireName(child, "id"), booleanOr(child, "set", false), idListOf(child, "formerly")});
        } else if (named(child, "item")) {
            items.push_back({child, requireName(child, "id"), valueOrNull(child, "icon"), valueOrNull(child, "name"),
                             booleanOr(child, "held", false), idListOf(child, "formerly")});
        }
    }
}

void GameRules::readInventory(Node *bar)
{
    InventoryBar read;
    if (const Attribute *position = hasAttribute(bar, "position"))
        read.position = parsePoint(position);
    const Attribute *size = hasAttribute(bar, "slotSize");
    if (!size)
        throw StartupError("<inventory> has no \"slotSize\" attribute", elementPosition(bar));
    read.slotSize = parsePoint(size);
    if (!(read.slotSize.x > 0) || !(read.slotSize.y > 0))
        throw StartupError("\"slotSize\" must be wider and higher than 0", size->value());
    if (const Attribute *columns = hasAttribute(bar, "columns")) {
        static const AttributeFormat &range = *findAttribute(formatOf("inventory"), "columns");
        read.columns = parseStrictInteger(columns);
        if (!inRange(range, read.columns))
            throw StartupError("\"columns\" must be " + rangeText(range), columns->value());
    }
    inventory = read;
}

void GameRules::readScene(Node *scene)
{
    SceneRules rules;
    rules.onEnterText = valueOrNull(scene, "onEnterText");
    rules.onFirstEnterText = valueOrNull(scene, "onFirstEnterText");
    rules.musicLoop = booleanOr(scene, "musicLoop", false);
    if (const Attribute *given = hasAttribute(scene, "onEnterSequence"))
        rules.onEnterSequence = std::string_view(given->value(), given->value_size());
    if (const Attribute *given = hasAttribute(scene, "onFirstEnterSequence"))
        rules.onFirstEnterSequence = std::string_view(given->value(), given->value_size());
    scenes.emplace(scene, rules);
    // Only children with rules are kept: a scene of many plain sprites costs nothing here.
    for (Node *child = scene->first_node(); child; child = child->next_sibling())
        if (isElement(child))
            if (ChildRules read = readChild(child); !read.isPlain())
                children.emplace(child, std::move(read));
}

ChildRules GameRules::readChild(Node *child)
{
    ChildRules rules;
    rules.active = noteNames(conditionOf(child, "if"));
    rules.action = readAction(child);
    if (const Attribute *from = hasAttribute(child, "fromScene")) {
        rules.fromScene = parseStrictInteger(from);
        sceneReferences.emplace_back(*rules.fromScene, from->value());
    }
    for (Node *use = child->first_node(); use; use = use->next_sibling())
        if (isElement(use) && named(use, "use"))
            rules.uses.push_back(readUse(use));
    return rules;
}

UseRules GameRules::readUse(Node *use)
{
    UseRules read;
    read.node = use;
    read.item = requireName(use, "item");
    read.condition = noteNames(conditionOf(use, "if"));
    if (read.item != "*")
        usedItems.insert(read.item);
    read.action = readAction(use);
    return read;
}

ActionRules GameRules::readAction(Node *node)
{
    ActionRules action;
    action.effects.setFlags = idListOf(node, "setFlag");
    action.effects.clearFlags = idListOf(node, "clearFlag");
    action.effects.giveItems = idListOf(node, "giveItem");
    action.effects.takeItems = idListOf(node, "takeItem");
    noteNames(action.effects);
    if (const Attribute *exit = hasAttribute(node, "onClickScene")) {
        action.exitScene = parseStrictInteger(exit);
        action.exitWhere = exit->value();
        sceneReferences.emplace_back(*action.exitScene, exit->value());
    }
    if (const Attribute *walkTo = hasAttribute(node, "walkTo"))
        action.walkTo = parsePoint(walkTo);
    if (const Attribute *dialog = hasAttribute(node, "onClickDialog")) {
        action.dialog = std::string_view(dialog->value(), dialog->value_size());
        action.dialogWhere = dialog->value();
    }
    if (const Attribute *sequence = hasAttribute(node, "onClickSequence"))
        action.sequence = std::string_view(sequence->value(), sequence->value_size());
    return action;
}

void GameRules::readSaveName(Node *root)
{
    if (const Attribute *given = hasAttribute(root, "gameVersion"))
        gameVersion = std::string_view(given->value(), given->value_size());
    const Attribute *given = hasAttribute(root, "saveName");
    if (!given)
        return;
    const std::string_view value(given->value(), given->value_size());
    // The name becomes a folder name: nothing that could lead elsewhere or
    // read differently on another system.
    const bool plain = !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
    });
    if (!plain)
        throw StartupError("\"saveName\" is \"" + std::string(value) +
                               "\", which is not a save name (one or more letters, digits, \"-\" and \"_\")",
                           given->value());
    // A folder name, with room to spare on every file system.
    constexpr std::size_t longest = 64;
    if (value.size() > longest)
        throw StartupError("\"saveName\" is " + std::to_string(value.size()) +
                               " characters long; a save name has at most " + std::to_string(longest),
                           given->value());
    saveName = value;
}

template <typename Declaration>
void GameRules::checkFormerNames(const std::vector<Declaration> &declared, const char *kind)
{
    std::set<std::string_view, std::less<>> live;
    for (const Declaration &one : declared)
        live.insert(one.id);
    std::set<std::string_view, std::less<>> former;
    for (const Declaration &one : declared)
        for (const std::string_view name : one.formerly) {
            if (live.count(name) != 0)
                throw StartupError("\"formerly\" names \"" + std::string(name) + "\", which is the id of a " + kind +
                                       " of this game; a former name must not be a name in use",
                                   name.data());
            if (!former.insert(name).second)
                throw StartupError("\"formerly\" names \"" + std::string(name) + "\" a second time; a former " + kind +
                                       " name can stand for one " + kind + " only",
                                   name.data());
        }
}

Condition GameRules::noteNames(Condition condition)
{
    for (const ConditionTerm &term : condition.terms)
        if (term.kind == ConditionTerm::Kind::flag)
            usedFlags.insert(term.name);
        else if (term.kind == ConditionTerm::Kind::item)
            usedItems.insert(term.name);
        else if (term.kind == ConditionTerm::Kind::chosen)
            usedOptions.insert(term.name);
    return condition;
}

void GameRules::noteNames(const Effects &effects)
{
    usedFlags.insert(effects.setFlags.begin(), effects.setFlags.end());
    usedFlags.insert(effects.clearFlags.begin(), effects.clearFlags.end());
    usedItems.insert(effects.giveItems.begin(), effects.giveItems.end());
    usedItems.insert(effects.takeItems.begin(), effects.takeItems.end());
}

namespace {

template <typename Declaration>
std::optional<std::string_view> currentName(const std::vector<Declaration> &declared,
                                            const std::set<std::string_view, std::less<>> &used, std::string_view saved)
{
    for (const Declaration &one : declared)
        if (one.id == saved)
            return one.id;
    // A declared rename is what the author meant, even where an old use was missed.
    for (const Declaration &one : declared)
        for (const std::string_view name : one.formerly)
            if (name == saved)
                return one.id;
    if (used.count(saved) != 0)
        return *used.find(saved);
    return std::nullopt;
}

} // namespace

std::optional<std::string_view> GameRules::currentFlag(std::string_view saved) const
{
    return currentName(flags, usedFlags, saved);
}

std::optional<std::string_view> GameRules::currentItem(std::string_view saved) const
{
    return currentName(items, usedItems, saved);
}

bool ChildRules::isPlain() const
{
    return active.terms.empty() && action.effects.empty() && !action.exitScene && !action.walkTo && uses.empty() &&
           !fromScene && action.dialog.empty() && action.sequence.empty();
}

const ChildRules *GameRules::child(const Node *sceneChild) const
{
    const auto found = children.find(sceneChild);
    return found == children.end() ? nullptr : &found->second;
}

const SceneRules &GameRules::scene(const Node *sceneNode) const
{
    static const SceneRules none;
    const auto found = scenes.find(sceneNode);
    return found == scenes.end() ? none : found->second;
}

const ItemDeclaration *GameRules::item(std::string_view id) const
{
    for (const ItemDeclaration &declared : items)
        if (declared.id == id)
            return &declared;
    return nullptr;
}

const ActionRules *lastNaming(const std::vector<const ActionRules *> &counted, std::string_view ActionRules::*name)
{
    const ActionRules *last = nullptr;
    for (const ActionRules *action : counted)
        if (!(action->*name).empty())
            last = action;
    return last;
}
