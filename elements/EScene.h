#pragma once

#include "elements/EObject.h"

#include <array>
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

    explicit EScene(Node *sceneNode);

    void loadAttributes(Node *sceneNode);
    void startMusic(const char *musicId);
};
