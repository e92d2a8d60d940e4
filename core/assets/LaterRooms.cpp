#include "core/assets/LaterRooms.h"

#include <cctype>
#include <string_view>
#include <unordered_map>

namespace {

bool isWordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

// The words of an attribute's value: an id named in a value ("icon",
// "cursor", a list of ids) is one of them.
void addWords(std::string_view value, std::unordered_set<std::string_view> &words)
{
    std::size_t at = 0;
    while (at < value.size()) {
        while (at < value.size() && !isWordCharacter(value[at]))
            ++at;
        const std::size_t start = at;
        while (at < value.size() && isWordCharacter(value[at]))
            ++at;
        if (at > start)
            words.insert(value.substr(start, at - start));
    }
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

} // namespace

std::unordered_set<std::string> imagesOfLaterRooms(Node *root)
{
    std::unordered_set<std::string> later;
    Node *assets = root ? getChild(root, "assets") : nullptr;
    const Attribute *entry = root ? hasAttribute(root, "entryScene") : nullptr;
    if (!assets || !entry)
        return later;
    const int entryScene = readInt(entry->value());
    // Names placed directly in some later scene, and every other way a name
    // appears: placed in the entry scene, an element elsewhere, a word of any
    // value outside the sprites' own ids.
    std::unordered_set<std::string_view> inLaterScenes;
    std::unordered_set<std::string_view> namedElsewhere;
    for (Node *node = root; node; node = nextElement(node, root)) {
        if (!isElement(node))
            continue;
        Node *parent = node->parent();
        const bool asset = parent == assets;
        for (Attribute *attribute = node->first_attribute(); attribute; attribute = attribute->next_attribute())
            if (!(asset && std::string_view(attribute->name()) == "id"))
                addWords(attribute->value(), namedElsewhere);
        if (node == root || asset || node == assets)
            continue;
        const bool placed = parent && named(parent, "scene") && parent->parent() && named(parent->parent(), "scenes");
        if (placed && readInteger(parent, "sceneId", entryScene) != entryScene)
            inLaterScenes.insert(node->name());
        else
            namedElsewhere.insert(node->name());
    }
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
        const bool onlyLater = id && inLaterScenes.count(id->value()) && !namedElsewhere.count(id->value());
        const auto [file, isNew] = allLater.try_emplace(prefix + src->value(), onlyLater);
        if (!isNew)
            file->second = file->second && onlyLater;
    }
    for (auto &[path, isLater] : allLater)
        if (isLater)
            later.insert(path);
    return later;
}
