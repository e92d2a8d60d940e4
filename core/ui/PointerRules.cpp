#include "core/ui/PointerRules.h"

#include "core/text/StrictValues.h"

void PointerRules::read(Node *root)
{
    cursor = valueOrNull(root, "cursor");
    if (const Attribute *keys = hasAttribute(root, "keyboardPlay")) {
        keyboardPlay = parseBoolean(keys);
        used = true;
    }
    used = used || cursor;
    Node *scenes = getChild(root, "scenes");
    for (Node *scene = scenes ? scenes->first_node() : nullptr; scene; scene = scene->next_sibling()) {
        if (scene->type() != rapidxml::node_element)
            continue;
        for (Node *child = scene->first_node(); child; child = child->next_sibling()) {
            if (child->type() != rapidxml::node_element)
                continue;
            const ChildLabels labels{valueOrNull(child, "hoverText"), valueOrNull(child, "hoverCursor")};
            if (!labels.hoverText && !labels.hoverCursor)
                continue;
            children.emplace(child, labels);
            used = true;
        }
    }
}

const PointerRules::ChildLabels *PointerRules::child(const Node *sceneChild) const
{
    const auto found = children.find(sceneChild);
    return found == children.end() ? nullptr : &found->second;
}
