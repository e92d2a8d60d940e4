#include "elements/EObject.h"

#include "core/assets/Resources.h"
#include "elements/Catalogue.h"

#include <cstring>

void EObject::loadCommon(Node *node)
{
    position = readPair(node, "position", {0.f, 0.f});
    scale = readPair(node, "scale", {1.f, 1.f});
    origin = readPair(node, "origin", {1.f, 1.f});
    rotation = static_cast<float>(readInteger(node, "rotation", 0));
    if (const Attribute *given = hasAttribute(node, "id"))
        id = given->value();
    src = srcPath(node);
}

std::string srcPath(Node *node)
{
    const Attribute *given = hasAttribute(node, "src");
    return given ? assetPath + given->value() : std::string();
}

bool idEquals(const char *id, const char *name)
{
    return id && std::strcmp(id, name) == 0;
}

bool EObject::srcIsLoadable(Node *node) const
{
    return !src.empty() && gameResources().mayOpen(src, srcPosition(node));
}

const char *srcPosition(Node *node)
{
    const Attribute *given = hasAttribute(node, "src");
    return given ? given->value() : elementPosition(node);
}
