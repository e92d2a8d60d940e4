#include "elements/EPlayer.h"

#include "elements/Catalogue.h"
#include "elements/ESprite.h"

#include <cmath>

namespace {

float clampToLimits(float value, int lower, int upper)
{
    if (static_cast<float>(lower) > value)
        return static_cast<float>(lower);
    if (value > static_cast<float>(upper))
        return static_cast<float>(upper);
    return std::trunc(value);
}

} // namespace

EPlayer::EPlayer(Node *assetNode)
{
    sprite = newElement<ESprite>(assetNode);
    loadSpeed(assetNode);
}

void EPlayer::loadSpeed(Node *from)
{
    speed = readInteger(from, "speed", 10);
}

void EPlayer::applySceneNode(Node *sceneChild)
{
    sprite->applySceneNode(sceneChild);
    speed = readInteger(sceneChild, "speed", speed);
}

void EPlayer::applyPlacement(Node *sceneChild)
{
    sprite->applyTransform(sceneChild);
    speed = readInteger(sceneChild, "speed", speed);
}

void EPlayer::setTarget(float x, float y)
{
    target.x = clampToLimits(x, levelLimits[0], levelLimits[2]);
    target.y = clampToLimits(y, levelLimits[1], levelLimits[3]);
    direction = directionTo(target.x, target.y);
    walking = true;
}

void EPlayer::update()
{
    if (hasArrived() || hasPassedTarget())
        walking = false;
    else
        sprite->moveSteps(direction, speed);
    const sf::Vector2f exact = sprite->drawable->getPosition();
    sprite->position = {std::trunc(exact.x), std::trunc(exact.y)};
}

sf::Vector2f EPlayer::directionTo(float x, float y) const
{
    const float dx = x - sprite->position.x;
    const float dy = y - sprite->position.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    return {dx / length, dy / length};
}

bool EPlayer::hasArrived() const
{
    // Whole units, as the player steps.
    const int halfSpeed = speed / 2;
    const auto half = static_cast<float>(halfSpeed);
    const sf::Vector2f at = sprite->position;
    return !(at.x - half > target.x || target.x > at.x + half || at.y - half > target.y || target.y > at.y + half);
}

bool EPlayer::hasPassedTarget() const
{
    const sf::Vector2f ahead = target - sprite->position;
    return ahead.x * direction.x + ahead.y * direction.y < 0.f;
}
