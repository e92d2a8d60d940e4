#pragma once

#include "core/nav/WalkArea.h"
#include "elements/EObject.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class EAudio;
class ESprite;
class EText;

// The scene on screen: what is drawn and clicked, in order, the level limits
// for the player's targets, and the music. Its lists point at elements they
// do not own.
class EScene : public EObject {
public:
    EAudio *music = nullptr;
    Node *node = nullptr;
    std::vector<ESprite *> sprites;
    std::vector<EText *> texts;
    // Left, upper, right, lower.
    std::array<int, 4> levelLimits{};
    // Where the player walks, when the scene says; the level limits otherwise.
    std::optional<WalkArea> walkArea;
    // Frames of play since the scene was activated: what loops count.
    std::uint64_t frame = 0;
    // The placed sprites that loop, so a frame does not visit the still ones.
    std::vector<ESprite *> animated;

    explicit EScene(Node *sceneNode);

    void loadAttributes(Node *sceneNode);
    void startMusic(const char *musicId);
    void loadWalkArea(const Attribute *area, const Attribute *holes);
    // Every placed sprite with a loop shows its cell of this frame; then the
    // next frame begins.
    void animate();
};
