#pragma once

#include "core/text/Document.h"

#include <SFML/System/Vector2.hpp>

#include <array>

class ESprite;

// The character that walks to every click: a sprite of its own plus a walk
// target clamped to the level limits, a fixed direction and a number of unit
// steps per frame. Its position is its sprite's stored, whole-number position.
class EPlayer {
public:
    int speed = 10;
    sf::Vector2f direction;
    sf::Vector2f target;
    ESprite *sprite = nullptr;
    bool walking = false;
    // Left, upper, right, lower.
    std::array<int, 4> levelLimits{};

    explicit EPlayer(Node *assetNode);

    void loadSpeed(Node *from);
    void applySceneNode(Node *sceneChild);
    // What entering a scene again takes from its player child: the transform
    // and the speed (its hooks were taken when the scene was first built).
    void applyPlacement(Node *sceneChild);
    void setTarget(float x, float y);
    void update();
    sf::Vector2f directionTo(float x, float y) const;
    bool hasArrived() const;
    // True once the target lies behind the stored position along the walk.
    bool hasPassedTarget() const;
};
