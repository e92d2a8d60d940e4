#include "core/interact/InteractionRules.h"

#include "core/text/StartupError.h"
#include "core/text/StrictValues.h"

#include <cstring>

namespace {

// One of the words `allowed`, the first of them when absent.
std::string_view oneOf(Node *node, const char *name, const std::vector<std::string_view> &allowed)
{
    const Attribute *given = hasAttribute(node, name);
    if (!given)
        return allowed.front();
    const std::string_view value(given->value(), given->value_size());
    std::string words;
    for (const std::string_view word : allowed) {
        if (word == value)
            return word;
        words += (words.empty() ? "" : " or ") + std::string(word);
    }
    throw StartupError("\"" + std::string(name) + "\" is \"" + std::string(value) + "\", but it must be " + words,
                       given->value());
}

} // namespace

void InteractionRules::read(Node *root, GameRules &rules)
{
    pressTop = oneOf(root, "press", {"all", "top"}) == "top";
    if (const Attribute *arrival = hasAttribute(root, "actOnArrival"))
        actOnArrival = parseBoolean(arrival);
    lookWithRight = oneOf(root, "lookButton", {"none", "right"}) == "right";
    useText = valueOrNull(root, "useText");
    unhandledLookText = valueOrNull(root, "unhandledLookText");
    for (Node *section = root->first_node(); section; section = section->next_sibling()) {
        if (!isElement(section) || std::strcmp(section->name(), "state") != 0)
            continue;
        for (Node *declared = section->first_node(); declared; declared = declared->next_sibling()) {
            if (!isElement(declared) || std::strcmp(declared->name(), "item") != 0 || !hasAttribute(declared, "id"))
                continue;
            ItemRules read;
            read.look = valueOrNull(declared, "look");
            for (Node *use = declared->first_node(); use; use = use->next_sibling())
                if (isElement(use) && std::strcmp(use->name(), "use") == 0)
                    read.uses.push_back(rules.readUse(use));
            if (read.look || !read.uses.empty())
                items.emplace(
                    std::string_view(hasAttribute(declared, "id")->value(), hasAttribute(declared, "id")->value_size()),
                    std::move(read));
        }
    }
    Node *scenes = getChild(root, "scenes");
    for (Node *scene = scenes ? scenes->first_node() : nullptr; scene; scene = scene->next_sibling()) {
        if (!isElement(scene))
            continue;
        for (Node *child = scene->first_node(); child; child = child->next_sibling())
            if (isElement(child))
                if (const Look read{valueOrNull(child, "onLookText"), valueOrNull(child, "onLookAudio")};
                    read.text || read.audio)
                    looks.emplace(child, read);
    }
}

const InteractionRules::Look *InteractionRules::look(const Node *sceneChild) const
{
    const auto found = looks.find(sceneChild);
    return found == looks.end() ? nullptr : &found->second;
}

const InteractionRules::ItemRules *InteractionRules::item(std::string_view id) const
{
    const auto found = items.find(id);
    return found == items.end() ? nullptr : &found->second;
}
