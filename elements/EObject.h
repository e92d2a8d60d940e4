#pragma once

#include "core/text/Document.h"

#include <SFML/System/Vector2.hpp>

#include <string>

// The part every scene element begins with: identity, source file and
// transform, read from the element's asset node.
class EObject {
public:
    // Points into the parsed document (not a copy); null when the node has no "id".
    const char *id = nullptr;
    // The asset path followed by "src"; empty when the node has no "src".
    std::string src;
    // Set once the catalogue object itself is in use; later uses build copies.
    bool placed = false;
    sf::Vector2f position;
    sf::Vector2f scale;
    sf::Vector2f origin;
    float rotation = 0.f;

    void loadCommon(Node *node);
    // Whether `src` may be handed to the multimedia library: something to
    // load, and a regular file where the file exists, since the library
    // would wait forever on a pipe. Says why, at `node`'s "src", when not.
    bool srcIsLoadable(Node *node) const;
};

// The file a node names: the asset path followed by "src"; empty without "src".
std::string srcPath(Node *node);

// Where a node names its file: the value of "src", or the element itself.
const char *srcPosition(Node *node);

// Compares an element's id with a name from the document; an element
// without an id matches nothing.
bool idEquals(const char *id, const char *name);
