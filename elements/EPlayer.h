#pragma once

#include "core/anim/Animation.h"
#include "core/nav/Route.h"
#include "core/text/Document.h"

#include <SFML/System/Vector2.hpp>

#include <array>
#include <cstdint>
#include <vector>

class ESprite;
class WalkArea;

// The character that walks to every click: a sprite of its own plus a walk
// target clamped to the level limits, a fixed direction and a number of unit
// steps per frame. Its position is its sprite's stored, whole-number position.
// In a scene with a walk area it follows the shortest path instead, exactly
// `speed` units a frame, and its position is no longer rounded.
class EPlayer {
public:
    int speed = 10;
    // The player's size (and so its stride) for its depth, when the scene gives one.
    float speedFactor = 1.f;
    sf::Vector2f direction;
    sf::Vector2f target;
    ESprite *sprite = nullptr;
    bool walking = false;
    // Left, upper, right, lower.
    std::array<int, 4> levelLimits{};
    // The scene's, or null: then the level limits rule.
    const WalkArea *walkArea = nullptr;
    Route route;
    WalkCycles cycles;
    Facing facing = Facing::down;
    // Frames in which the player moved since it last stood still.
    std::uint64_t movedFrames = 0;
    // Where it turned since the game last asked, for a player with walk cycles.
    std::vector<Facing> turns;

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
    // The unit steps of a frame: the speed, for the player's depth.
    int stride() const;

private:
    void followRoute();
    void turnTowards(double dx, double dy);
    void showCell();
};
