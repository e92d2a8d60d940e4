#include "elements/ESprite.h"

#include "core/assets/Resources.h"
#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EText.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool sameBits(sf::Vector2f a, sf::Vector2f b)
{
    return bitsOf(a.x) == bitsOf(b.x) && bitsOf(a.y) == bitsOf(b.y);
}

} // namespace

ESprite::ESprite(Node *assetNode) : node(assetNode)
{
    loadCommon(assetNode);
    drawable = newElement<sf::Sprite>();
    loadTexture();
    drawable->setTexture(*texture, false);
    setPosition(position.x, position.y);
    setScale(scale.x, scale.y);
    setOrigin(origin.x, origin.y);
    setRotation(rotation);
}

void ESprite::loadTexture()
{
    texture = &gameResources().texture(src, srcPosition(node));
}

void ESprite::setPosition(float x, float y)
{
    position = {x, y};
    drawable->setPosition(x, y);
}

void ESprite::setScale(float x, float y)
{
    scale = {x, y};
    drawable->setScale(x, y);
}

void ESprite::setOrigin(float x, float y)
{
    origin = {x, y};
    drawable->setOrigin(x, y);
}

void ESprite::setRotation(float degrees)
{
    rotation = degrees;
    drawable->setRotation(degrees);
}

void ESprite::moveSteps(sf::Vector2f step, int count)
{
    // A step that leaves the position as it was (too small for the float's
    // resolution there, or the position is infinite or NaN) leaves it so
    // every time after, so the rest of a huge count would only burn the frame.
    for (; count > 0; --count) {
        const sf::Vector2f before = drawable->getPosition();
        drawable->move(step);
        if (sameBits(drawable->getPosition(), before))
            break;
    }
}

void ESprite::applySceneNode(Node *child)
{
    sceneChild = child;
    applyTransform(child);
    if (const Attribute *audio = hasAttribute(child, "onClickAudio"))
        setClickAudio(audio->value());
    if (const Attribute *text = hasAttribute(child, "onClickText"))
        setClickText(text->value());
}

void ESprite::applyTransform(Node *child)
{
    const sf::Vector2f at = readPair(child, "position", position);
    setPosition(at.x, at.y);
    const sf::Vector2f factors = readPair(child, "scale", scale);
    setScale(factors.x, factors.y);
    setRotation(static_cast<float>(readInteger(child, "rotation", static_cast<int>(rotation))));
    const sf::Vector2f pivot = readPair(child, "origin", origin);
    setOrigin(pivot.x, pivot.y);
}

void ESprite::setClickAudio(const char *audioId)
{
    hasClickAudio = true;
    for (EAudio *audio : audioCatalogue) {
        if (!idEquals(audio->id, audioId))
            continue;
        EAudio *taken = claim(audio);
        taken->applyVolumeAndPitch(sceneChild);
        taken->loadSound();
        clickAudio = taken;
    }
}

void ESprite::setClickText(const char *textId)
{
    hasClickText = true;
    for (EText *text : textCatalogue) {
        if (!idEquals(text->id, textId))
            continue;
        EText *taken = claim(text);
        taken->applySceneNode(sceneChild);
        clickText = taken;
    }
}
