#pragma once

#include "core/text/Document.h"

#include <optional>
#include <unordered_map>

// How the document asks for its scenes to be shown: depth, the player's size
// by depth, fades and the bar. None of it changes what can happen in the
// game, only what the player sees, so the solver never reads it. Read
// strictly at start-up like the rest of the rules.

// The player's scale as a function of its feet's y: s1 at y1, s2 at y2,
// linear between and held beyond.
struct DepthScale {
    float y1 = 0;
    float s1 = 1;
    float y2 = 0;
    float s2 = 1;

    float at(float y) const;
};

struct SceneStage {
    bool depthSort = false;
    std::optional<DepthScale> playerScale;
    int fadeIn = 0;
    int fadeOut = 0;
    bool inventoryHidden = false;
};

class StageBook {
public:
    // Reads the root's aspect, each scene's stage and each child's baseline;
    // throws StartupError at a malformed value.
    void read(Node *root);

    // The square world keeps its shape in any window.
    bool keepAspect = false;
    // Some scene sizes the player by depth: only then does a walk's frame ask.
    bool scalesPlayer = false;

    const SceneStage &scene(const Node *sceneNode) const;
    // A scene child's baseline, if it has one.
    std::optional<float> baseline(const Node *child) const;

private:
    std::unordered_map<const Node *, SceneStage> scenes;
    std::unordered_map<const Node *, float> baselines;
};
