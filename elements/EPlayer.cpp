#include "elements/EPlayer.h"

#include "core/nav/WalkArea.h"
#include "core/text/Lists.h"
#include "elements/Catalogue.h"
#include "elements/ESprite.h"

#include <algorithm>
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
    std::array<std::vector<int>, 4> declared;
    const char *names[] = {"walkDown", "walkLeft", "walkRight", "walkUp"};
    for (std::size_t i = 0; i < declared.size(); ++i)
        if (const Attribute *cells = hasAttribute(assetNode, names[i]))
            declared[i] = readCells(cells);
    const Attribute *delay = hasAttribute(assetNode, "delay");
    cycles = WalkCycles(std::move(declared), delay ? readCount(delay) : 6);
    if (const Attribute *faces = hasAttribute(assetNode, "facing"))
        facing = static_cast<Facing>(readWord(faces, facingWords()));
    showCell();
}

void EPlayer::loadSpeed(Node *from)
{
    speed = readInteger(from, "speed", 10);
}

void EPlayer::applySceneNode(Node *sceneChild)
{
    sprite->applySceneNode(sceneChild);
    speed = readInteger(sceneChild, "speed", speed);
    if (const Attribute *delay = hasAttribute(sceneChild, "delay"))
        cycles = cycles.withDelay(readCount(delay));
    if (const Attribute *faces = hasAttribute(sceneChild, "facing"))
        facing = static_cast<Facing>(readWord(faces, facingWords()));
    showCell();
}

void EPlayer::applyPlacement(Node *sceneChild)
{
    sprite->applyTransform(sceneChild);
    speed = readInteger(sceneChild, "speed", speed);
}

void EPlayer::setTarget(float x, float y)
{
    const sf::Vector2f from = sprite->position;
    walking = true;
    if (walkArea) {
        const Point to = walkArea->targetFor({x, y});
        target = {static_cast<float>(to.x), static_cast<float>(to.y)};
        route = Route(walkArea->path({from.x, from.y}, to));
        const Point ahead = route.heading();
        turnTowards(ahead.x, ahead.y);
        return;
    }
    target.x = clampToLimits(x, levelLimits[0], levelLimits[2]);
    target.y = clampToLimits(y, levelLimits[1], levelLimits[3]);
    direction = directionTo(target.x, target.y);
    turnTowards(static_cast<double>(target.x - from.x), static_cast<double>(target.y - from.y));
}

void EPlayer::update()
{
    const sf::Vector2f before = sprite->position;
    if (walkArea) {
        followRoute();
    } else {
        if (hasArrived() || hasPassedTarget())
            walking = false;
        else
            sprite->moveSteps(direction, stride());
        const sf::Vector2f exact = sprite->drawable->getPosition();
        sprite->position = {std::trunc(exact.x), std::trunc(exact.y)};
    }
    if (!walking)
        movedFrames = 0;
    showCell();
    if (walking && sprite->position != before)
        ++movedFrames;
}

// Ends the walk once the route is walked (the step after landing) or when
// the speed walks nowhere; turns at every corner passed.
void EPlayer::followRoute()
{
    if (route.finished() || speed <= 0) {
        walking = false;
        return;
    }
    const std::size_t corners = route.advance(stride());
    if (corners > 0) {
        const Point ahead = route.heading();
        turnTowards(ahead.x, ahead.y);
    }
    sprite->setPosition(static_cast<float>(route.position().x), static_cast<float>(route.position().y));
}

void EPlayer::turnTowards(double dx, double dy)
{
    const Facing now = facingFor(dx, dy, facing);
    if (now == facing)
        return;
    facing = now;
    if (!cycles.empty())
        turns.push_back(now);
    showCell();
}

void EPlayer::showCell()
{
    if (cycles.empty())
        return;
    const WalkCycles::Shown shown = cycles.shown(facing, movedFrames, walking);
    sprite->showCell(shown.cell, shown.mirrored);
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
    const int halfSpeed = stride() / 2;
    const auto half = static_cast<float>(halfSpeed);
    const sf::Vector2f at = sprite->position;
    return !(at.x - half > target.x || target.x > at.x + half || at.y - half > target.y || target.y > at.y + half);
}

int EPlayer::stride() const
{
    if (speedFactor == 1.f || speed <= 0)
        return speed;
    // A player shrunk far away still moves.
    return std::max(1, static_cast<int>(std::lround(static_cast<float>(speed) * speedFactor)));
}

bool EPlayer::hasPassedTarget() const
{
    const sf::Vector2f ahead = target - sprite->position;
    return ahead.x * direction.x + ahead.y * direction.y < 0.f;
}
