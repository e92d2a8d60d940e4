#include "elements/EObject.h"

#include "core/Catalogue.h"

#include <cstring>
#include <iostream>
#include <sys/stat.h>

void EObject::loadCommon(Node *node)
{
    position = hasAttribute(node, "position") ? getVector2f(node, "position") : sf::Vector2f(0.f, 0.f);
    scale = hasAttribute(node, "scale") ? getVector2f(node, "scale") : sf::Vector2f(1.f, 1.f);
    origin = hasAttribute(node, "origin") ? getVector2f(node, "origin") : sf::Vector2f(1.f, 1.f);
    rotation = hasAttribute(node, "rotation") ? static_cast<float>(readInt(getAttribute(node, "rotation"))) : 0.f;
    if (hasAttribute(node, "id"))
        id = getAttribute(node, "id");
    if (hasAttribute(node, "src"))
        src = assetPath + getAttribute(node, "src");
}

bool idEquals(const char *id, const char *name)
{
    return id && std::strcmp(id, name) == 0;
}

bool EObject::srcIsLoadable() const
{
    if (src.empty())
        return false;
    struct stat info {};
    // A missing file is left to the library, which reports it in its own words.
    if (stat(src.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return true;
    std::cerr << "Failed to load \"" << src << "\" (not a regular file)\n";
    return false;
}
