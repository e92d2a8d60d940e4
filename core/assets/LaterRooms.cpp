#include "core/assets/LaterRooms.h"

#include <array>
#include <cctype>
#include <string_view>
#include <unordered_map>

namespace {

// Letters, digits, "_", "-" and ".", as a table: every character of every
// value is asked.
const std::array<bool, 256> wordCharacters = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = std::isalnum(c) || c == '_' || c == '-' || c == '.';
    return table;
}();

bool isWordCharacter(char c)
{
    return wordCharacters[static_cast<unsigned char>(c)];
}

// The next element after `node` in document order, its children first,
// without recursion: a document may nest deeper than the stack allows.
Node *nextElement(Node *node, const Node *root)
{
    if (Node *child = node->first_node())
        return child;
    for (; node && node != root; node = node->parent())
        if (Node *sibling = node->next_sibling())
            return sibling;
    return nullptr;
}

bool isScene(const Node *node)
{
    return node && named(node, "scene") && node->parent() && named(node->parent(), "scenes");
}

// The sprite ids still thought to be only later rooms', struck out as they
// turn up elsewhere. A document may hold hundreds of thousands of values:
// a word is looked up only when its first character and its length could
// make it one of them.
class LaterCandidates {
public:
    void add(std::string_view id)
    {
        ids.insert(id);
        firstCharacters[static_cast<unsigned char>(id.front())] = true;
        shortest = std::min(shortest, id.size());
        longest = std::max(longest, id.size());
    }
    void strike(std::string_view name) { ids.erase(name); }
    // Strikes every id that is a word of `value` ("icon", "cursor", a list).
    void strikeWordsOf(std::string_view value)
    {
        std::size_t at = 0;
        while (at < value.size()) {
            while (at < value.size() && !isWordCharacter(value[at]))
                ++at;
            const std::size_t start = at;
            while (at < value.size() && isWordCharacter(value[at]))
                ++at;
            const std::size_t length = at - start;
            if (length >= shortest && length <= longest && firstCharacters[static_cast<unsigned char>(value[start])])
                ids.erase(value.substr(start, length));
        }
    }
    bool empty() const { return ids.empty(); }
    bool holds(std::string_view id) const { return ids.count(id) > 0; }

private:
    std::unordered_set<std::string_view> ids;
    std::array<bool, 256> firstCharacters{};
    std::size_t shortest = std::string_view::npos;
    std::size_t longest = 0;
};

} // namespace

std::unordered_set<std::string> imagesOfLaterRooms(Node *root)
{
    Node *assets = root ? getChild(root, "assets") : nullptr;
    Node *scenes = root ? getChild(root, "scenes") : nullptr;
    const Attribute *entry = root ? hasAttribute(root, "entryScene") : nullptr;
    if (!assets || !scenes || !entry)
        return {};
    const int entryScene = readInt(entry->value());
    std::unordered_set<std::string_view> spriteIds;
    for (Node *child = assets->first_node(); child; child = child->next_sibling())
        if (isElement(child) && named(child, "sprite") && hasAttribute(child, "src"))
            if (const Attribute *id = hasAttribute(child, "id"))
                spriteIds.insert(id->value());
    // The sprites placed in a later scene and not in the first one.
    std::unordered_set<std::string_view> placedLater;
    std::unordered_set<std::string_view> placedFirst;
    for (Node *scene = scenes->first_node(); scene; scene = scene->next_sibling()) {
        if (!isElement(scene) || !named(scene, "scene"))
            continue;
        const bool first = readInteger(scene, "sceneId", entryScene) == entryScene;
        for (Node *child = scene->first_node(); child; child = child->next_sibling())
            if (isElement(child) && spriteIds.count(child->name()))
                (first ? placedFirst : placedLater).insert(child->name());
    }
    LaterCandidates candidates;
    for (const std::string_view id : placedLater)
        if (!placedFirst.count(id))
            candidates.add(id);
    // Every other way an id appears: a word of any value but a sprite's own
    // id, or an element anywhere but placed directly in a scene.
    for (Node *node = root; node && !candidates.empty(); node = nextElement(node, root)) {
        if (!isElement(node))
            continue;
        const bool asset = node->parent() == assets;
        for (Attribute *attribute = node->first_attribute(); attribute; attribute = attribute->next_attribute())
            if (!(asset && std::string_view(attribute->name()) == "id"))
                candidates.strikeWordsOf(attribute->value());
        if (node != root && node != assets && !asset && !isScene(node->parent()))
            candidates.strike(node->name());
    }
    if (candidates.empty())
        return {};
    // A file is later when every sprite naming it is; the player's never is.
    const std::string prefix = assetPathOf(assets);
    std::unordered_map<std::string, bool> allLater;
    for (Node *child = assets->first_node(); child; child = child->next_sibling()) {
        const Attribute *src = isElement(child) ? hasAttribute(child, "src") : nullptr;
        const bool sprite = src && named(child, "sprite");
        const Attribute *id = sprite ? hasAttribute(child, "id") : nullptr;
        // A sprite without an id is never loaded.
        if (!src || (sprite && !id) || !(sprite || named(child, "player")))
            continue;
        const bool onlyLater = id && candidates.holds(id->value());
        const auto [file, isNew] = allLater.try_emplace(prefix + src->value(), onlyLater);
        if (!isNew)
            file->second = file->second && onlyLater;
    }
    std::unordered_set<std::string> later;
    for (const auto &[path, isLater] : allLater)
        if (isLater)
            later.insert(path);
    return later;
}
