#include "elements/EObject.h"

#include "core/Catalogue.h"
#include "core/Diagnostics.h"

#include <cstring>
#include <sys/stat.h>

void EObject::loadCommon(Node *node)
{
    position = readPair(node, "position", {0.f, 0.f});
    scale = readPair(node, "scale", {1.f, 1.f});
    origin = readPair(node, "origin", {1.f, 1.f});
    rotation = static_cast<float>(readInteger(node, "rotation", 0));
    if (const Attribute *given = hasAttribute(node, "id"))
        id = given->value();
    if (const Attribute *given = hasAttribute(node, "src"))
        src = assetPath + given->value();
}

bool idEquals(const char *id, const char *name)
{
    return id && std::strcmp(id, name) == 0;
}

bool EObject::srcIsLoadable(Node *node) const
{
    if (src.empty())
        return false;
    struct stat info {};
    // A missing file is left to the library, which reports it in its own words.
    if (stat(src.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return true;
    warnAt(srcPosition(node), "unreadable-file", "Failed to load \"" + src + "\" (not a regular file)");
    return false;
}

const char *srcPosition(Node *node)
{
    const Attribute *given = hasAttribute(node, "src");
    return given ? given->value() : elementPosition(node);
}
