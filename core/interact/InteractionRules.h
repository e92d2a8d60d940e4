#pragma once

#include "core/rooms/GameRules.h"
#include "core/text/Document.h"

#include <string_view>
#include <unordered_map>
#include <vector>

// How a press works where the document asks for more than every sprite
// under the point acting at once: the top one only, acting once the walk
// there ends, looking with the other button, items used on items, and the
// sentence the label says while an item is held. Read once at start-up;
// ids point into the document. A document that names none of it plays as
// if these rules did not exist.
class InteractionRules {
public:
    // What a look at a scene child shows and plays.
    struct Look {
        const char *text = nullptr;
        const char *audio = nullptr;
    };
    // What an item on the bar does besides being selected: its look, and
    // what using another item on it does.
    struct ItemRules {
        const char *look = nullptr;
        std::vector<UseRules> uses;
    };

    // Reads the root's press, actOnArrival, lookButton, useText and
    // unhandledLookText, every scene child's look, and every item's look and
    // uses (noted in `rules` as a scene child's are). Throws StartupError at
    // a malformed value.
    void read(Node *root, GameRules &rules);

    // A press reaches only the topmost sprite under it that hover would name.
    bool pressTop = false;
    // Every press that does something waits for the walk to end.
    bool actOnArrival = false;
    // The right button looks instead of acting.
    bool lookWithRight = false;
    const char *useText = nullptr;
    const char *unhandledLookText = nullptr;

    // Null for a child with no look of its own.
    const Look *look(const Node *sceneChild) const;
    // Null for an item with neither a look nor uses.
    const ItemRules *item(std::string_view id) const;

private:
    std::unordered_map<const Node *, Look> looks;
    std::unordered_map<std::string_view, ItemRules> items;
};
