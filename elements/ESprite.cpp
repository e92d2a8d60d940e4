#include "elements/ESprite.h"

#include "core/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EText.h"

ESprite::ESprite(Node *assetNode) : node(assetNode)
{
    loadCommon(assetNode);
    drawable = new sf::Sprite();
    texture = new sf::Texture();
    if (srcIsLoadable())
        texture->loadFromFile(src, sf::IntRect(0, 0, 0, 0));
    drawable->setTexture(*texture, false);
    setPosition(position.x, position.y);
    setScale(scale.x, scale.y);
    setOrigin(origin.x, origin.y);
    setRotation(rotation);
}

bool ESprite::contains(sf::Vector2f point) const
{
    return drawable->getGlobalBounds().contains(point);
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
    for (; count > 0; --count)
        drawable->move(step);
}

void ESprite::applySceneNode(Node *child)
{
    sceneChild = child;
    if (hasAttribute(child, "position")) {
        const sf::Vector2f at = getVector2f(child, "position");
        setPosition(at.x, at.y);
    }
    if (hasAttribute(child, "scale")) {
        const sf::Vector2f factors = getVector2f(child, "scale");
        setScale(factors.x, factors.y);
    }
    if (hasAttribute(child, "rotation"))
        setRotation(static_cast<float>(readInt(getAttribute(child, "rotation"))));
    if (hasAttribute(child, "origin")) {
        const sf::Vector2f at = getVector2f(child, "origin");
        setOrigin(at.x, at.y);
    }
    if (hasAttribute(child, "onClickAudio"))
        setClickAudio(getAttribute(child, "onClickAudio"));
    if (hasAttribute(child, "onClickText"))
        setClickText(getAttribute(child, "onClickText"));
}

void ESprite::setClickAudio(const char *audioId)
{
    hasClickAudio = true;
    for (EAudio *audio : audioCatalogue) {
        if (!idEquals(audio->id, audioId))
            continue;
        EAudio *taken = audio;
        if (audio->placed)
            taken = newElement<EAudio>(audio->node);
        else
            audio->placed = true;
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
        EText *taken = text;
        if (text->placed)
            taken = newElement<EText>(text->node);
        else
            text->placed = true;
        taken->applySceneNode(sceneChild);
        clickText = taken;
    }
}
