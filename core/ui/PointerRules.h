#pragma once

#include "core/text/Document.h"

#include <unordered_map>

// What the document says about the pointer and the keyboard: labels and
// cursors for what is under the pointer, and play without a mouse. Read once
// at start-up; ids point into the document. A document that names none of
// this plays and traces as if pointer rules did not exist.
class PointerRules {
public:
    // What a scene child shows while it is hovered or focused.
    struct ChildLabels {
        const char *hoverText = nullptr;
        const char *hoverCursor = nullptr;
    };

    // Reads the root's "cursor" and "keyboardPlay" and every scene child's
    // "hoverText" and "hoverCursor"; throws StartupError at a malformed
    // keyboardPlay.
    void read(Node *root);

    // Whether the document names any of this: only then is hover and focus
    // traced and drawn.
    bool used = false;
    bool keyboardPlay = false;
    // The sprite whose image replaces the system cursor; null keeps it.
    const char *cursor = nullptr;

    // Null for a child that names neither.
    const ChildLabels *child(const Node *sceneChild) const;

private:
    std::unordered_map<const Node *, ChildLabels> children;
};
