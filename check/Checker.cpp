#include "check/Checker.h"

#include "check/CheckerText.h"
#include "check/DialogChecks.h"
#include "check/MotionChecks.h"
#include "check/TextFit.h"
#include "core/Game.h"
#include "core/assets/ImageHeader.h"
#include "core/assets/LibraryErrors.h"
#include "core/assets/Resources.h"
#include "core/text/Document.h"
#include "core/text/FileKind.h"
#include "core/text/Format.h"
#include "core/text/GameDocument.h"
#include "core/text/StartupError.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <numeric>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

enum class FileUse { image, font, sound };

const char *describeUse(FileUse use)
{
    switch (use) {
    case FileUse::image:
        return "an image";
    case FileUse::font:
        return "a font";
    case FileUse::sound:
        return "a sound";
    }
    return "a file";
}

// What an asset without a file does.
const char *withoutFile(FileUse use)
{
    switch (use) {
    case FileUse::image:
        return "without an image it shows nothing and cannot be clicked";
    case FileUse::font:
        return "without a font it shows nothing";
    case FileUse::sound:
        return "without a sound file it plays nothing";
    }
    return "";
}

// What became of one file: whether it is there as a regular file, and the
// library's words when it does not decode as what it is used for.
struct FileVerdict {
    bool exists = false;
    bool regular = false;
    std::string failure;
};

// Empty when `path` decodes as `use` asks, else why not.
std::string decodeFailure(const std::string &path, FileUse use)
{
    const LibraryErrorCapture errors;
    bool decoded = false;
    switch (use) {
    case FileUse::image:
        // As the engine judges it: from the header, without decoding.
        if (const std::optional<sf::Vector2u> size = declaredImageSize(path))
            if (const std::string why = oversizedImage(*size); !why.empty())
                return "Failed to load image \"" + path + "\" (" + why + ")";
        decoded = sf::Image().loadFromFile(path);
        break;
    case FileUse::font:
        decoded = sf::Font().loadFromFile(path);
        break;
    case FileUse::sound:
        decoded = sf::InputSoundFile().openFromFile(path);
        break;
    }
    if (decoded)
        return {};
    const std::string text = errors.text();
    const std::string said = text.substr(0, text.find('\n'));
    return said.empty() ? std::string("the library cannot read it") : said;
}

// The library names the file by the path it was given; the report names it
// as the document does, relative to the game's folder.
std::string namedAsTheEngineNamesIt(std::string text, const std::string &resolved, const std::string &path)
{
    for (std::size_t at = text.find(resolved); at != std::string::npos; at = text.find(resolved, at + path.size()))
        text.replace(at, resolved.size(), path);
    return text;
}

std::string_view nameOf(const Node *node)
{
    return {node->name(), node->name_size()};
}

std::string_view nameOf(const Attribute *attribute)
{
    return {attribute->name(), attribute->name_size()};
}

std::string_view valueOf(const Attribute *attribute)
{
    return {attribute->value(), attribute->value_size()};
}

// Namespace declarations and prefixed attributes (xsi:noNamespaceSchemaLocation
// for an editor's schema) belong to XML tools, not to the engine.
bool belongsToXmlTools(std::string_view name)
{
    return name.substr(0, 5) == "xmlns" || name.find(':') != std::string_view::npos;
}

// A suggestion, or else what becomes of what the engine does not know.
std::string orIgnored(const std::string &suggestion)
{
    return suggestion.empty() ? "; the engine ignores it" : suggestion;
}

// Why a number the engine accepts cannot do what it says; empty when it can.
std::string rangeProblem(const AttributeFormat &format, double value)
{
    if (format.refusedOutside || inRange(format, value))
        return {};
    const std::string_view name = format.name;
    const std::string range = rangeText(format);
    if (name == "volume")
        return "a volume is " + range;
    if (name == "pitch")
        return "a pitch must be " + range;
    if (name == "size")
        return "a text's size is " + range;
    if (name == "speed")
        return "a player with a speed below " + std::to_string(static_cast<int>(format.min.value_or(0))) +
               " never moves";
    if (name.find("LevelLimit") != std::string_view::npos)
        return "the world is " + range;
    if (name == "baseline")
        return "the world is " + range + " high: no one stands there";
    return std::string("\"") + format.name + "\" is " + range;
}

// The ids of one asset kind: each once, in document order for suggestions,
// with the first asset that has it. A huge document holds hundreds of
// thousands, so they are kept in plain arrays and looked up by bisection of
// an order sorted once, instead of in a hash table.
class IdIndex {
public:
    // Sized once: grown by doubling, the arrays of a huge document would peak at twice their size.
    void reserve(std::size_t count)
    {
        order.reserve(count);
        assets.reserve(count);
    }

    void add(std::string_view id, const Node *asset)
    {
        order.push_back(id);
        assets.push_back(asset);
    }

    // Once every asset is added: later assets with an id already seen are dropped.
    void seal()
    {
        byId = sortedById();
        std::vector<bool> repeated(order.size(), false);
        for (std::size_t i = 1; i < byId.size(); ++i)
            repeated[byId[i]] = order[byId[i]] == order[byId[i - 1]];
        std::size_t kept = 0;
        for (std::size_t i = 0; i < order.size(); ++i)
            if (!repeated[i]) {
                order[kept] = order[i];
                assets[kept++] = assets[i];
            }
        order.resize(kept);
        assets.resize(kept);
        // Released first, so that two orders of a huge document are never held at once.
        byId = {};
        byId = sortedById();
    }

    bool contains(std::string_view id) const { return first(id) != nullptr; }

    // The first asset with `id`, or null.
    const Node *first(std::string_view id) const
    {
        const auto at =
            std::lower_bound(byId.begin(), byId.end(), id,
                             [&](std::uint32_t entry, std::string_view wanted) { return order[entry] < wanted; });
        return at != byId.end() && order[*at] == id ? assets[*at] : nullptr;
    }

    const std::vector<std::string_view> &ids() const { return order; }

private:
    // Positions in `order` by id; equal ids in document order.
    std::vector<std::uint32_t> sortedById() const
    {
        std::vector<std::uint32_t> positions(order.size());
        std::iota(positions.begin(), positions.end(), 0u);
        // Ties broken by position instead of a stable sort, which would take a buffer as large again.
        std::sort(positions.begin(), positions.end(), [&](std::uint32_t a, std::uint32_t b) {
            return order[a] < order[b] || (order[a] == order[b] && a < b);
        });
        return positions;
    }

    std::vector<std::string_view> order;
    std::vector<const Node *> assets;
    std::vector<std::uint32_t> byId;
};

class Checker {
public:
    Checker(const Game &checked, std::string gameFolder, FindingOrder &into, const LoadedFiles *decoded)
        : game(checked), folder(std::move(gameFolder)), findings(into), loaded(decoded)
    {
    }

    void walk();
    std::size_t unsuggested() const { return suggestions.cutShort(); }

private:
    void indexAssets(Node *assets);
    void readAssets(Node *assets);
    void checkAsset(Node *asset, std::string_view kind);
    // Whether the asset has an id, so that the engine keeps it.
    bool registerId(Node *asset, IdIndex &ids);
    void checkPlayer(Node *asset);
    void checkScenes(Node *scenes);
    // What every <state> declares, read before the walk.
    void declare(Node *state);
    void checkState(Node *state);
    void checkDeclaration(Node *declaration, const std::unordered_map<std::string_view, const Node *> &first);
    void checkChildLogic(Node *scene, Node *child);
    void checkDialogSection(Node *dialogs);
    void checkLines(const std::vector<LineRules> &lines);
    void checkEffectNames(const Effects &effects);
    void checkAction(Node *scene, Node *node, const ActionRules &action);
    // `written` is the attribute the condition was read from, or null.
    void checkCondition(const Condition &condition, const Attribute *written);
    // A goal reached before any press: most likely a flag declared set that
    // was meant to start clear.
    void checkGoalAtStart(Node *root);
    void checkName(std::string_view name, const std::vector<std::string_view> &declared, const char *kind);
    void checkOptionMark(const ConditionTerm &term);
    void checkSceneId(Node *scene, bool entryPlays);
    void checkLevelOrder(Node *scene, const char *lowName, const char *highName, const char *highDefault);
    void checkSceneChild(Node *child);
    void checkTextChild(Node *child);

    void checkAttributes(Node *node, const ElementFormat &format);
    void checkValue(Node *node, const Attribute *attribute, const AttributeFormat &format);
    bool checkInteger(const Attribute *attribute);
    bool checkDecimal(const Attribute *attribute);
    void checkPair(Node *node, const Attribute *attribute);
    void checkList(Node *node, const Attribute *attribute, const AttributeFormat &format);
    void checkRange(const Attribute *attribute, const AttributeFormat &format, double value);
    void checkReference(const Attribute *attribute, const IdIndex &ids, const char *kind);
    void checkDialogReference(const Attribute *attribute);
    void checkSequenceReference(const Attribute *attribute);
    // A reference to one of few ids, such as those of dialogs or sequences.
    void checkListedReference(const Attribute *attribute, const std::vector<std::string_view> &ids, const char *kind);
    void checkSequenceSection(Node *sequences);
    void checkSequenceLoop(const SequenceRules &sequence, const StepRules &step);

    void checkFile(Node *asset, FileUse use);
    const FileVerdict &verdict(const std::string &path, FileUse use);
    bool loadedAs(const std::string &path, FileUse use) const;

    std::size_t lineOf(const Node *node) const { return game.position(elementPosition(node)).first; }
    // Nothing before `node` is still to be reported.
    void settleBefore(const Node *node) { findings.settle(lineOf(node)); }
    void report(const char *where, const char *code, std::string message);

    const Game &game;
    std::string folder;
    FindingOrder &findings;
    // What the engine decoded as it loaded the document just now, or null.
    const LoadedFiles *loaded;
    // Unset while the document gives no asset path: files cannot be found then.
    bool assetPathKnown = false;
    std::string assetPath;
    // Read from the document rather than from the engine's rules: the engine
    // stops reading those at the first malformed value (an invalid saveName
    // comes before <state>), and a name declared after it is declared all
    // the same.
    std::vector<std::string_view> declaredFlags;
    std::vector<std::string_view> declaredItems;
    std::unordered_map<std::string_view, const Node *> firstFlag;
    std::unordered_map<std::string_view, const Node *> firstItem;
    std::vector<std::string_view> flagsSetAtStart;
    std::vector<std::string_view> itemsHeldAtStart;
    const Node *firstState = nullptr;
    std::unordered_set<int> sceneIds;
    IdIndex sprites;
    IdIndex audios;
    IdIndex texts;
    // The last <player> of the assets, and the one before the asset being checked.
    const Node *lastPlayer = nullptr;
    const Node *earlierPlayer = nullptr;
    // What a scene child may be named after, gathered when first needed: a
    // copy of every sprite and text id, which a document without a slip in a
    // scene child never needs.
    const std::vector<std::string_view> &placeableNames();
    std::vector<std::string_view> placeable;
    Suggestions suggestions;
    std::map<std::pair<FileUse, std::string>, FileVerdict> verdicts;
};

// The document is walked from the top, so that each finding can be passed
// on once the walk is past its line; the ids the root and the scenes name
// are gathered first.
void Checker::walk()
{
    Node *root = game.root;
    if (!root)
        return;
    for (Node *section = root->first_node(); section; section = section->next_sibling())
        if (isElement(section) && nameOf(section) == "state")
            declare(section);
    if (Node *scenes = getChild(root, "scenes"))
        for (Node *scene = scenes->first_node(); scene; scene = scene->next_sibling())
            if (const Attribute *id = isElement(scene) ? hasAttribute(scene, "sceneId") : nullptr)
                sceneIds.insert(readInt(id->value()));
    if (Node *assets = getChild(root, "assets"))
        indexAssets(assets);
    checkAttributes(root, formatOf("root"));
    if (game.rules.hasGoal) {
        checkCondition(game.rules.goal, hasAttribute(root, "goal"));
        checkGoalAtStart(root);
    }
    // Only the first of each section counts, as the engine reads it; every
    // <state> is read.
    for (Node *section = root->first_node(); section; section = section->next_sibling()) {
        if (!isElement(section))
            continue;
        settleBefore(section);
        if (section == getChild(root, "assets"))
            readAssets(section);
        else if (nameOf(section) == "state")
            checkState(section);
        else if (section == getChild(root, "inventory"))
            checkAttributes(section, formatOf("inventory"));
        else if (section == getChild(root, "scenes"))
            checkScenes(section);
        else if (section == getChild(root, "dialogs"))
            checkDialogSection(section);
        else if (section == getChild(root, "sequences"))
            checkSequenceSection(section);
    }
}

// The engine read the conversations already (it refuses a malformed one);
// what is left are names that lead nowhere.
void Checker::checkDialogSection(Node *dialogs)
{
    checkAttributes(dialogs, formatOf("dialogs"));
    for (const DialogRules &dialog : game.dialogs.dialogs) {
        settleBefore(dialog.node);
        checkAttributes(dialog.node, formatOf("dialog"));
        checkLines(dialog.opening);
        for (const OptionRules &option : dialog.options) {
            settleBefore(option.node);
            checkAttributes(option.node, formatOf("option"));
            checkCondition(option.condition, hasAttribute(option.node, "if"));
            checkEffectNames(option.effects);
            checkLines(option.lines);
        }
    }
}

// As the conversations: the engine refused a malformed step already.
void Checker::checkSequenceSection(Node *sequences)
{
    checkAttributes(sequences, formatOf("sequences"));
    for (const SequenceRules &sequence : game.sequences.sequences) {
        settleBefore(sequence.node);
        checkAttributes(sequence.node, formatOf("sequence"));
        for (const StepRules &step : sequence.steps) {
            settleBefore(step.node);
            checkAttributes(step.node, formatOf(step.formatKind()));
            checkCondition(step.condition, hasAttribute(step.node, "if"));
            checkEffectNames(step.effects);
            if (step.kind == StepRules::Kind::scene)
                checkSequenceLoop(sequence, step);
            if (step.kind == StepRules::Kind::walk && !step.who.empty() && !sprites.contains(step.who))
                report(hasAttribute(step.node, "who")->value(), "unknown-reference",
                       "\"who\" names " + quote(step.who) +
                           ", which is neither player nor a <sprite>; the step ends at once" +
                           suggestions.didYouMean(step.who, sprites.ids(), quote));
            if (step.line.by && std::string_view(step.line.by) != "player" && !sprites.contains(step.line.by))
                report(step.line.by, "unknown-reference",
                       "\"by\" names " + quote(step.line.by) +
                           ", which is neither player nor a <sprite>; the line is shown at its text's own position" +
                           suggestions.didYouMean(step.line.by, sprites.ids(), quote));
        }
    }
}

void Checker::checkLines(const std::vector<LineRules> &lines)
{
    for (const LineRules &line : lines) {
        settleBefore(line.node);
        checkAttributes(line.node, formatOf("say"));
        checkCondition(line.condition, hasAttribute(line.node, "if"));
        if (line.by && std::string_view(line.by) != "player" && !sprites.contains(line.by))
            report(line.by, "unknown-reference",
                   "\"by\" names " + quote(line.by) +
                       ", which is neither player nor a <sprite>; the line is shown at its text's own position" +
                       suggestions.didYouMean(line.by, sprites.ids(), quote));
    }
}

void Checker::checkEffectNames(const Effects &effects)
{
    for (const auto *names : {&effects.setFlags, &effects.clearFlags})
        for (const std::string_view name : *names)
            checkName(name, declaredFlags, "flag");
    for (const auto *names : {&effects.giveItems, &effects.takeItems})
        for (const std::string_view name : *names)
            checkName(name, declaredItems, "item");
}

// Names of flags and items are free, so a slip in one is a flag that never
// changes: each name used but not declared is reported, with the nearest
// declared one.
void Checker::checkChildLogic(Node *scene, Node *child)
{
    const ChildRules *rules = game.rules.child(child);
    if (!rules)
        return;
    const bool isPlayer = nameOf(child) == "player";
    if (isPlayer && hasAttribute(child, "if"))
        report(hasAttribute(child, "if")->value(), "player",
               "the player is always there: \"if\" on <player> is not read");
    checkCondition(rules->active, hasAttribute(child, "if"));
    checkAction(scene, child, rules->action);
    for (const UseRules &use : rules->uses) {
        if (isPlayer || !sprites.contains(nameOf(child)))
            report(elementPosition(use.node), "unknown-reference",
                   "<use> under " + tag(nameOf(child)) + ", which places no sprite, is never used");
        if (use.item != "*")
            checkName(use.item, declaredItems, "item");
        checkCondition(use.condition, hasAttribute(use.node, "if"));
        checkAction(scene, use.node, use.action);
    }
}

void Checker::checkAction(Node *scene, Node *node, const ActionRules &action)
{
    checkEffectNames(action.effects);
    if (!action.walkTo || hasAttribute(scene, "walkArea"))
        return;
    const sf::Vector2f point = *action.walkTo;
    const int left = readInteger(scene, "leftLevelLimit", 0);
    const int upper = readInteger(scene, "upperLevelLimit", 0);
    const int right = readInteger(scene, "rightLevelLimit", readInteger(game.root, "width", 0));
    const int lower = readInteger(scene, "lowerLevelLimit", readInteger(game.root, "height", 0));
    if (point.x < static_cast<float>(left) || point.x > static_cast<float>(right) ||
        point.y < static_cast<float>(upper) || point.y > static_cast<float>(lower))
        report(action.exitWhere ? action.exitWhere : hasAttribute(node, "walkTo")->value(), "out-of-range",
               "\"walkTo\" lies outside the scene's level limits; the player walks to the nearest point inside");
}

void Checker::checkCondition(const Condition &condition, const Attribute *written)
{
    // The terms as written, one for each term read, for where a scene term is.
    std::vector<std::string_view> terms;
    for (std::size_t i = 0; i < condition.terms.size(); ++i) {
        const ConditionTerm &term = condition.terms[i];
        if (term.kind == ConditionTerm::Kind::flag) {
            checkName(term.name, declaredFlags, "flag");
        } else if (term.kind == ConditionTerm::Kind::item) {
            checkName(term.name, declaredItems, "item");
        } else if (term.kind == ConditionTerm::Kind::chosen) {
            checkOptionMark(term);
        } else if (written && sceneIds.count(term.scene) == 0) {
            if (terms.empty())
                terms = splitList(valueOf(written));
            if (i >= terms.size())
                continue;
            report(terms[i].data(), "unknown-reference",
                   "no scene has sceneId " + std::to_string(term.scene) + ", so " + quote(terms[i]) +
                       (term.negated ? " always holds" : " never holds"));
        }
    }
}

void Checker::checkName(std::string_view name, const std::vector<std::string_view> &declared, const char *kind)
{
    if (std::find(declared.begin(), declared.end(), name) != declared.end())
        return;
    report(name.data(), "undeclared",
           std::string("the ") + kind + " " + quote(name) + " is not declared in <state>" +
               suggestions.didYouMean(name, declared, quote));
}

void Checker::checkOptionMark(const ConditionTerm &term)
{
    if (game.dialogs.option(term.name))
        return;
    std::vector<std::string_view> marks;
    for (const DialogRules &dialog : game.dialogs.dialogs)
        for (const OptionRules &option : dialog.options)
            marks.emplace_back(option.mark);
    // At the term as written: "o/", and a "!" before it, come just before the name.
    report(term.name.data() - (term.negated ? 3 : 2), "unknown-reference",
           "no option is " + quote(term.name) + ", so " + quote("o/" + std::string(term.name)) +
               (term.negated ? " always holds" : " never holds") + suggestions.didYouMean(term.name, marks, quote));
}

void Checker::readAssets(Node *assets)
{
    checkAttributes(assets, formatOf("assets"));
    if (hasAttribute(assets, "path")) {
        assetPathKnown = true;
        assetPath = assetPathOf(assets);
    }
    static const std::vector<std::string_view> kinds{"sprite", "audio", "text", "player"};
    for (Node *child = assets->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child))
            continue;
        settleBefore(child);
        const std::string_view name = nameOf(child);
        if (std::find(kinds.begin(), kinds.end(), name) != kinds.end())
            checkAsset(child, name);
        else
            report(elementPosition(child), "unknown-element",
                   tag(name) + " is no asset kind (sprite, audio, text, player)" +
                       orIgnored(suggestions.didYouMean(name, kinds, tag)));
    }
}

void Checker::checkAsset(Node *asset, std::string_view kind)
{
    checkAttributes(asset, formatOf(kind));
    // An asset without id is skipped by the engine, so its file does not matter.
    if (kind == "sprite") {
        if (registerId(asset, sprites))
            checkFile(asset, FileUse::image);
    } else if (kind == "audio") {
        if (registerId(asset, audios))
            checkFile(asset, FileUse::sound);
    } else if (kind == "text") {
        if (registerId(asset, texts))
            checkFile(asset, FileUse::font);
    } else {
        checkPlayer(asset);
        checkFile(asset, FileUse::image);
    }
}

// Before the walk, so that the root and the scenes can name assets declared
// after them: the first asset with each id, and the last player.
void Checker::indexAssets(Node *assets)
{
    const auto indexOf = [this](std::string_view kind) -> IdIndex * {
        return kind == "sprite" ? &sprites : kind == "audio" ? &audios : kind == "text" ? &texts : nullptr;
    };
    std::map<IdIndex *, std::size_t> counts;
    for (const Node *child = assets->first_node(); child; child = child->next_sibling())
        ++counts[isElement(child) ? indexOf(nameOf(child)) : nullptr];
    for (const auto &[ids, count] : counts)
        if (ids)
            ids->reserve(count);
    for (Node *child = assets->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child))
            continue;
        IdIndex *ids = indexOf(nameOf(child));
        if (const Attribute *id = ids ? hasAttribute(child, "id") : nullptr) {
            ids->add(valueOf(id), child);
        } else if (nameOf(child) == "player") {
            lastPlayer = child;
        }
    }
    for (IdIndex *ids : {&sprites, &audios, &texts})
        ids->seal();
}

bool Checker::registerId(Node *asset, IdIndex &ids)
{
    const Attribute *id = hasAttribute(asset, "id");
    if (!id) {
        report(elementPosition(asset), "missing-id",
               tag(nameOf(asset)) + " has no \"id\" attribute; it is skipped, since nothing could refer to it");
        return false;
    }
    const Node *first = ids.first(valueOf(id));
    if (first == asset)
        return true;
    const std::string what = nameOf(asset) == "audio" ? "music naming it plays both, a click the later one"
                                                      : "a scene child " + tag(valueOf(id)) + " places both";
    report(id->value(), "duplicate-id",
           "the " + tag(nameOf(asset)) + " at line " + std::to_string(lineOf(first)) + " has the id " +
               quote(valueOf(id)) + " too; " + what);
    return true;
}

void Checker::checkPlayer(Node *asset)
{
    if (earlierPlayer)
        report(elementPosition(asset), "player",
               "another <player> is declared at line " + std::to_string(lineOf(earlierPlayer)) +
                   "; the last one counts, so that one is not used");
    earlierPlayer = asset;
}

void Checker::checkScenes(Node *scenes)
{
    const Attribute *entry = hasAttribute(game.root, "entryScene");
    // Scenes are searched in order and the search stops at the entry scene;
    // one without a sceneId before that is a start-up error, not a warning.
    bool entryPlays = false;
    std::unordered_map<int, const Node *> firstWithId;
    for (Node *scene = scenes->first_node(); scene; scene = scene->next_sibling()) {
        if (!isElement(scene))
            continue;
        settleBefore(scene);
        checkAttributes(scene, formatOf("scene"));
        checkSceneId(scene, entryPlays);
        if (const Attribute *id = hasAttribute(scene, "sceneId")) {
            const int value = readInt(id->value());
            const auto [earlier, fresh] = firstWithId.emplace(value, scene);
            if (!fresh)
                report(id->value(), "duplicate-scene",
                       "the scene at line " + std::to_string(lineOf(earlier->second)) + " has sceneId " +
                           std::to_string(value) + " too; that one plays, this one never does");
            entryPlays = entryPlays || (entry && value == readInt(entry->value()));
        }
        checkLevelOrder(scene, "leftLevelLimit", "rightLevelLimit", "width");
        checkLevelOrder(scene, "upperLevelLimit", "lowerLevelLimit", "height");
        for (Node *child = scene->first_node(); child; child = child->next_sibling())
            if (isElement(child)) {
                settleBefore(child);
                checkSceneChild(child);
                checkChildLogic(scene, child);
            }
    }
}

void Checker::declare(Node *state)
{
    for (Node *child = state->first_node(); child; child = child->next_sibling()) {
        const Attribute *id = isElement(child) ? hasAttribute(child, "id") : nullptr;
        if (!id)
            continue;
        const bool flag = nameOf(child) == "flag";
        if (!flag && nameOf(child) != "item")
            continue;
        (flag ? declaredFlags : declaredItems).push_back(valueOf(id));
        (flag ? firstFlag : firstItem).emplace(valueOf(id), child);
        const Attribute *atStart = hasAttribute(child, flag ? "set" : "held");
        if (atStart && valueOf(atStart) == "true")
            (flag ? flagsSetAtStart : itemsHeldAtStart).push_back(valueOf(id));
    }
}

void Checker::checkState(Node *state)
{
    if (!firstState)
        firstState = state;
    else
        report(elementPosition(state), "duplicate-section",
               "the <state> at line " + std::to_string(lineOf(firstState)) +
                   " comes first; the engine reads both as one, so keep every declaration in that one");
    static const std::vector<std::string_view> kinds{"flag", "item"};
    for (Node *child = state->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child))
            continue;
        const std::string_view name = nameOf(child);
        if (std::find(kinds.begin(), kinds.end(), name) != kinds.end())
            checkDeclaration(child, name == "flag" ? firstFlag : firstItem);
        else
            report(elementPosition(child), "unknown-element",
                   tag(name) + " is neither <flag> nor <item>" + orIgnored(suggestions.didYouMean(name, kinds, tag)));
    }
}

void Checker::checkDeclaration(Node *declaration, const std::unordered_map<std::string_view, const Node *> &first)
{
    checkAttributes(declaration, formatOf(nameOf(declaration)));
    const Attribute *id = hasAttribute(declaration, "id");
    // Using another item on this one on the bar.
    if (const InteractionRules::ItemRules *item = id ? game.interaction.item(valueOf(id)) : nullptr)
        for (const UseRules &use : item->uses) {
            settleBefore(use.node);
            checkAttributes(use.node, formatOf("use"));
            if (use.item != "*")
                checkName(use.item, declaredItems, "item");
            checkCondition(use.condition, hasAttribute(use.node, "if"));
            checkEffectNames(use.action.effects);
        }
    if (!id)
        return;
    const auto earlier = first.find(valueOf(id));
    if (earlier == first.end() || earlier->second == declaration)
        return;
    report(id->value(), "duplicate-id",
           "the " + tag(nameOf(declaration)) + " at line " + std::to_string(lineOf(earlier->second)) + " has the id " +
               quote(valueOf(id)) + " too; both declare the one " + std::string(nameOf(declaration)));
}

void Checker::checkSceneId(Node *scene, bool entryPlays)
{
    if (entryPlays && !hasAttribute(scene, "sceneId"))
        report(elementPosition(scene), "missing-id",
               tag(nameOf(scene)) + " has no \"sceneId\" attribute; it can never be played");
}

void Checker::checkLevelOrder(Node *scene, const char *lowName, const char *highName, const char *highDefault)
{
    const int low = readInteger(scene, lowName, 0);
    const int high = readInteger(scene, highName, readInteger(game.root, highDefault, 0));
    if (low <= high)
        return;
    const Attribute *written = hasAttribute(scene, lowName);
    const Attribute *other = hasAttribute(scene, highName);
    const std::string highText = "\"" + std::string(highName) + "\" " + std::to_string(high) +
                                 (other ? "" : std::string(" (the window ") + highDefault + ")");
    report(written ? written->value() : elementPosition(scene), "out-of-range",
           "\"" + std::string(lowName) + "\" is " + std::to_string(low) + ", past " + highText +
               "; the limits leave the player no room");
}

void Checker::checkSceneChild(Node *child)
{
    checkAttributes(child, formatOf("scene child"));
    for (Node *use = child->first_node(); use; use = use->next_sibling())
        if (isElement(use) && nameOf(use) == "use")
            checkAttributes(use, formatOf("use"));
    const std::string_view name = nameOf(child);
    if (name == "player") {
        if (!lastPlayer)
            report(elementPosition(child), "player", "the scene places <player>, but the assets declare no player");
        return;
    }
    if (sprites.contains(name))
        return;
    if (texts.contains(name)) {
        checkTextChild(child);
        return;
    }
    report(elementPosition(child), "unknown-reference",
           tag(name) + " matches no sprite, text or the player, so it places nothing" +
               suggestions.didYouMean(name, placeableNames(), tag));
}

// A text is drawn but never pressed: what a press would do, play or show
// on it is never done. Its <use> children are reported with the rules.
void Checker::checkTextChild(Node *child)
{
    static const std::vector<std::string_view> pressOnly{"onClickAudio",  "volume",      "pitch",        "onClickText",
                                                         "hoverText",     "hoverCursor", "setFlag",      "clearFlag",
                                                         "giveItem",      "takeItem",    "onClickScene", "walkTo",
                                                         "onClickDialog", "onLookText",  "onLookAudio"};
    for (const Attribute *attribute = child->first_attribute(); attribute; attribute = attribute->next_attribute()) {
        const std::string_view name = nameOf(attribute);
        if (std::find(pressOnly.begin(), pressOnly.end(), name) != pressOnly.end() &&
            hasAttribute(child, attribute->name()) == attribute)
            report(attribute->value(), "never-pressed",
                   quote(name) + " does nothing: " + tag(nameOf(child)) +
                       " places a text, and a text is never pressed");
    }
}

const std::vector<std::string_view> &Checker::placeableNames()
{
    if (placeable.empty()) {
        placeable = sprites.ids();
        placeable.insert(placeable.end(), texts.ids().begin(), texts.ids().end());
        if (lastPlayer)
            placeable.emplace_back("player");
    }
    return placeable;
}

void Checker::checkAttributes(Node *node, const ElementFormat &format)
{
    std::unordered_set<std::string_view> seen;
    for (Attribute *attribute = node->first_attribute(); attribute; attribute = attribute->next_attribute()) {
        const std::string_view name = nameOf(attribute);
        if (!seen.insert(name).second) {
            report(attribute->value(), "duplicate-attribute",
                   quote(name) + " is given twice on " + tag(nameOf(node)) + "; the first one counts");
            continue;
        }
        if (belongsToXmlTools(name))
            continue;
        if (const AttributeFormat *known = findAttribute(format, name)) {
            checkValue(node, attribute, *known);
            continue;
        }
        std::vector<std::string_view> candidates;
        for (const AttributeFormat &read : format.attributes)
            candidates.emplace_back(read.name);
        report(attribute->value(), "unknown-attribute",
               tag(nameOf(node)) + " does not read " + quote(name) +
                   orIgnored(suggestions.didYouMean(name, candidates, quote)));
    }
}

void Checker::checkValue(Node *node, const Attribute *attribute, const AttributeFormat &format)
{
    switch (format.syntax) {
    case Syntax::integer:
        if (checkInteger(attribute))
            checkRange(attribute, format, readInt(attribute->value()));
        break;
    case Syntax::decimal:
        if (checkDecimal(attribute))
            checkRange(attribute, format, static_cast<double>(readFloat(attribute->value())));
        break;
    case Syntax::pair:
        checkPair(node, attribute);
        break;
    case Syntax::list:
        checkList(node, attribute, format);
        break;
    case Syntax::audioId:
        checkReference(attribute, audios, "audio");
        break;
    case Syntax::textId:
        checkReference(attribute, texts, "text");
        break;
    case Syntax::spriteId:
        checkReference(attribute, sprites, "sprite");
        break;
    case Syntax::dialogId:
        checkDialogReference(attribute);
        break;
    case Syntax::text:
    case Syntax::presence:
    // The engine reads these strictly and refuses a malformed one at start-up,
    // which the check reports as the engine does.
    case Syntax::condition:
    case Syntax::idList:
    case Syntax::point:
    case Syntax::boolean:
    case Syntax::sceneId:
    case Syntax::points:
    case Syntax::pointGroups:
    case Syntax::cells:
    case Syntax::cellSize:
    case Syntax::count:
    case Syntax::facing:
        break;
    case Syntax::sequenceId:
        checkSequenceReference(attribute);
        break;
    }
}

bool Checker::checkInteger(const Attribute *attribute)
{
    if (isInteger(valueOf(attribute)))
        return true;
    report(attribute->value(), "number-syntax",
           quote(nameOf(attribute)) + " is not an integer: " + quote(valueOf(attribute)) + " reads as " +
               std::to_string(readInt(attribute->value())));
    return false;
}

bool Checker::checkDecimal(const Attribute *attribute)
{
    if (isDecimal(valueOf(attribute)))
        return true;
    report(attribute->value(), "number-syntax",
           quote(nameOf(attribute)) + " is not a number: " + quote(valueOf(attribute)) + " reads as " +
               showNumber(readFloat(attribute->value())));
    return false;
}

void Checker::checkPair(Node *node, const Attribute *attribute)
{
    const std::string_view text = valueOf(attribute);
    const std::vector<std::string_view> parts = splitList(text);
    const sf::Vector2f read = getVector2f(node, attribute->name());
    const bool twoNumbers = parts.size() == 2 && isDecimal(parts[0]) && isDecimal(parts[1]);
    if (twoNumbers && sameNumber(read.x, readFloat(std::string(parts[0]).c_str())) &&
        sameNumber(read.y, readFloat(std::string(parts[1]).c_str())))
        return;
    std::string message = quote(nameOf(attribute)) + " is not written \"x, y\": " + quote(text) + " reads as (" +
                          showNumber(read.x) + ", " + showNumber(read.y) + ")";
    if (twoNumbers)
        message += "; write " + quote(joinList(parts));
    report(attribute->value(), "pair-syntax", message);
}

void Checker::checkList(Node *node, const Attribute *attribute, const AttributeFormat &format)
{
    const std::string_view text = valueOf(attribute);
    const std::vector<std::string_view> parts = splitList(text);
    std::size_t given = 0;
    std::vector<int> read = getIntList(node, attribute->name(), &given);
    read.resize(4);
    // An alpha that is not given is opaque.
    if (given < 4)
        read[3] = 255;
    const bool fourIntegers =
        parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](std::string_view p) { return isInteger(p); });
    bool readAsWritten = fourIntegers;
    for (std::size_t i = 0; readAsWritten && i < 4; ++i)
        readAsWritten = read[i] == readInt(std::string(parts[i]).c_str());
    if (!readAsWritten) {
        std::string message = quote(nameOf(attribute)) + " is not four integers \"r, g, b, a\": " + quote(text) +
                              " reads as (" + std::to_string(read[0]) + ", " + std::to_string(read[1]) + ", " +
                              std::to_string(read[2]) + ", " + std::to_string(read[3]) + ")";
        if (fourIntegers)
            message += "; write " + quote(joinList(parts));
        report(attribute->value(), "list-syntax", message);
        return;
    }
    for (const int component : read)
        if (!inRange(format, component)) {
            report(attribute->value(), "out-of-range",
                   quote(nameOf(attribute)) + " has the component " + std::to_string(component) +
                       ", but a colour component is " + rangeText(format));
            return;
        }
}

void Checker::checkRange(const Attribute *attribute, const AttributeFormat &format, double value)
{
    const std::string problem = rangeProblem(format, value);
    // A baseline sorts against where the player can stand, which is inside the world.
    const bool depth = std::string_view(format.name) == "baseline";
    if (!problem.empty())
        report(attribute->value(), depth ? "outside-world" : "out-of-range",
               quote(nameOf(attribute)) + " is " + quote(valueOf(attribute)) + ", but " + problem);
}

void Checker::checkReference(const Attribute *attribute, const IdIndex &ids, const char *kind)
{
    const std::string_view id = valueOf(attribute);
    if (ids.contains(id))
        return;
    report(attribute->value(), "unknown-reference",
           quote(nameOf(attribute)) + " names " + quote(id) + ", but no <" + kind + "> has that id" +
               suggestions.didYouMean(id, ids.ids(), quote));
}

void Checker::checkDialogReference(const Attribute *attribute)
{
    std::vector<std::string_view> ids;
    for (const DialogRules &dialog : game.dialogs.dialogs)
        ids.push_back(dialog.id);
    checkListedReference(attribute, ids, "dialog");
}

void Checker::checkSequenceReference(const Attribute *attribute)
{
    std::vector<std::string_view> ids;
    for (const SequenceRules &sequence : game.sequences.sequences)
        ids.push_back(sequence.id);
    checkListedReference(attribute, ids, "sequence");
}

void Checker::checkListedReference(const Attribute *attribute, const std::vector<std::string_view> &ids,
                                   const char *kind)
{
    const std::string_view id = valueOf(attribute);
    if (std::find(ids.begin(), ids.end(), id) != ids.end())
        return;
    report(attribute->value(), "unknown-reference",
           quote(nameOf(attribute)) + " names " + quote(id) + ", but no <" + kind + "> has that id" +
               suggestions.didYouMean(id, ids, quote));
}

// A cutscene that enters a scene whose entry runs that cutscene again runs
// on every time it ends.
void Checker::checkSequenceLoop(const SequenceRules &sequence, const StepRules &step)
{
    Node *scenes = getChild(game.root, "scenes");
    for (Node *scene = scenes ? scenes->first_node() : nullptr; scene; scene = scene->next_sibling()) {
        const Attribute *id = isElement(scene) ? hasAttribute(scene, "sceneId") : nullptr;
        if (!id || readInt(id->value()) != step.scene)
            continue;
        const SceneRules &entered = game.rules.scene(scene);
        if (entered.onEnterSequence == sequence.id || entered.onFirstEnterSequence == sequence.id)
            report(elementPosition(step.node), "sequence-loop",
                   "the cutscene " + quote(sequence.id) + " enters scene " + std::to_string(step.scene) +
                       ", whose entry runs " + quote(sequence.id) + " again: it may never end");
        return;
    }
}

void Checker::checkFile(Node *asset, FileUse use)
{
    const Attribute *src = hasAttribute(asset, "src");
    if (!src) {
        report(elementPosition(asset), "missing-src", tag(nameOf(asset)) + " has no \"src\"; " + withoutFile(use));
        return;
    }
    if (!assetPathKnown)
        return;
    // As the engine names it: relative to the game's folder.
    const std::string path = assetPath + src->value();
    const FileVerdict &found = verdict(path, use);
    if (!found.exists)
        report(src->value(), "missing-file", "\"src\" names " + quote(path) + ", which does not exist");
    else if (!found.regular)
        report(src->value(), "missing-file", "\"src\" names " + quote(path) + ", which is not a regular file");
    else if (!found.failure.empty())
        report(src->value(), "unreadable-file",
               quote(path) + " does not decode as " + describeUse(use) + ": " + found.failure);
}

const FileVerdict &Checker::verdict(const std::string &path, FileUse use)
{
    const auto key = std::make_pair(use, path);
    const auto known = verdicts.find(key);
    if (known != verdicts.end())
        return known->second;
    FileVerdict verdict;
    const std::string resolved = (std::filesystem::path(folder) / path).string();
    const FileKind kind = fileKind(resolved);
    verdict.exists = kind != FileKind::none;
    verdict.regular = kind == FileKind::regular;
    if (verdict.regular && !loadedAs(path, use))
        verdict.failure = namedAsTheEngineNamesIt(decodeFailure(resolved, use), resolved, path);
    return verdicts.emplace(key, std::move(verdict)).first->second;
}

bool Checker::loadedAs(const std::string &path, FileUse use) const
{
    if (!loaded)
        return false;
    switch (use) {
    case FileUse::image:
        return loaded->images.count(path) != 0;
    case FileUse::font:
        return loaded->fonts.count(path) != 0;
    case FileUse::sound:
        return loaded->sounds.count(path) != 0;
    }
    return false;
}

void Checker::checkGoalAtStart(Node *root)
{
    GameState start;
    for (const std::string_view flag : flagsSetAtStart)
        start.flags.emplace(flag);
    for (const std::string_view item : itemsHeldAtStart)
        start.giveItem(item);
    start.visited.insert(readInteger(root, "entryScene", 0));
    if (start.holds(game.rules.goal))
        report(hasAttribute(root, "goal")->value(), "goal-at-start",
               "the goal holds as the game starts: it is reached in frame 0, before any press");
}

void Checker::report(const char *where, const char *code, std::string message)
{
    const auto [line, column] = game.position(where);
    findings.add({Severity::warning, line, column, code, std::move(message)});
}

} // namespace

std::size_t checkGame(const std::string &folder, const std::string &file, const std::string &shownAs, float textScale,
                      const FindingSink &sink, const LoadedFiles *loaded)
{
    return checkGame(GameDocument::read((std::filesystem::path(folder) / file).string(), shownAs), folder, textScale,
                     sink, loaded);
}

std::vector<Diagnostic> checkGame(const std::string &folder, const std::string &file, const std::string &shownAs,
                                  float textScale, const LoadedFiles *loaded)
{
    return checkGame(GameDocument::read((std::filesystem::path(folder) / file).string(), shownAs), folder, textScale,
                     loaded);
}

std::size_t checkGame(std::shared_ptr<const GameDocument> document, const std::string &folder, float textScale,
                      const FindingSink &sink, const LoadedFiles *loaded)
{
    Game game;
    game.echo = nullptr;
    FindingOrder order(sink);
    std::vector<Diagnostic> found;
    try {
        game.load(std::move(document));
        game.checkStartup();
    } catch (const StartupError &error) {
        found.push_back(game.diagnose(error));
    }
    if (found.empty()) {
        checkMotion(game, folder, found);
        checkDialogs(game, folder, textScale, found);
        checkTextFit(game, folder, textScale, found);
        checkTextWrap(game, folder, textScale, found);
    }
    // These come whole from the engine; each place is kept until the walk is past it.
    for (Diagnostic &finding : found)
        order.add(std::move(finding));
    for (const Diagnostic &finding : game.warnings())
        order.add(finding);
    Checker checker(game, folder, order, loaded);
    checker.walk();
    order.finish();
    return checker.unsuggested();
}

std::vector<Diagnostic> checkGame(std::shared_ptr<const GameDocument> document, const std::string &folder,
                                  float textScale, const LoadedFiles *loaded)
{
    std::vector<Diagnostic> findings;
    checkGame(
        std::move(document), folder, textScale, [&](const Diagnostic &finding) { findings.push_back(finding); },
        loaded);
    return findings;
}

std::vector<Diagnostic> checkSaveFile(const std::string &folder, const std::string &file, const std::string &save)
{
    Game game;
    game.echo = nullptr;
    game.saves.messages = nullptr;
    try {
        game.load((std::filesystem::path(folder) / file).c_str());
        game.checkStartup();
    } catch (const StartupError &) {
        return {};
    }
    std::vector<std::string> dropped;
    const std::variant<SaveData, SaveProblem> read = game.checkSave(save, dropped);
    std::vector<Diagnostic> findings;
    if (const SaveProblem *problem = std::get_if<SaveProblem>(&read)) {
        findings.push_back({Severity::error, std::max<std::size_t>(problem->line, 1),
                            std::max<std::size_t>(problem->column, 1), refusalName(problem->reason), problem->message});
        return findings;
    }
    for (std::string &sentence : dropped)
        findings.push_back({Severity::warning, 1, 1, "unknown-name", std::move(sentence)});
    return findings;
}
