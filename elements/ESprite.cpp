#include "elements/ESprite.h"

#include "core/assets/Resources.h"
#include "core/text/Lists.h"
#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EText.h"

#include <algorithm>
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
    setPosition(position.x, position.y);
    setScale(scale.x, scale.y);
    setOrigin(origin.x, origin.y);
    setRotation(rotation);
    cutSheet();
    loadAnimation(assetNode);
}

// The columns of a sheet follow from the image's width.
void ESprite::cutSheet()
{
    const Attribute *size = hasAttribute(node, "frameSize");
    if (!size)
        return;
    const auto [width, height] = readCellSize(size);
    // Without a display, or before a later room's pixels, the image's size
    // stands in the texture rectangle.
    const int imageWidth = texture ? static_cast<int>(texture->getSize().x) : drawable->getTextureRect().width;
    sheet.emplace(width, height, imageWidth);
    const int cell = std::max(shownCell, 0);
    shownCell = -1;
    showCell(cell, shownMirrored);
}

// "frames" and "delay" on the asset, or on a scene child over the asset's.
void ESprite::loadAnimation(Node *from)
{
    const Attribute *cells = hasAttribute(from, "frames");
    const Attribute *delay = hasAttribute(from, "delay");
    if (!cells && !delay)
        return;
    std::vector<int> frames = cells ? readCells(cells) : std::vector<int>();
    if (!cells && node != from && hasAttribute(node, "frames"))
        frames = readCells(hasAttribute(node, "frames"));
    int every = delay ? readCount(delay) : 6;
    if (!delay && node != from && hasAttribute(node, "delay"))
        every = readCount(hasAttribute(node, "delay"));
    if (frames.empty())
        return;
    loop.emplace(std::move(frames), every);
    showCell(loop->cellAt(0));
}

void ESprite::showCell(int index, bool mirrored)
{
    if (!sheet || (index == shownCell && mirrored == shownMirrored))
        return;
    shownCell = index;
    shownMirrored = mirrored;
    const Cell cell = sheet->cell(index, mirrored);
    drawable->setTextureRect({cell.left, cell.top, cell.width, cell.height});
}

void ESprite::animate(std::uint64_t frame)
{
    if (loop)
        showCell(loop->cellAt(frame));
}

void ESprite::loadTexture()
{
    // Without a display there is no texture, but clicks still hit the image's bounds.
    if (gameResources().withoutDevices) {
        const sf::Vector2u size = gameResources().imageSize(src, srcPosition(node));
        drawable->setTextureRect(sf::IntRect(0, 0, static_cast<int>(size.x), static_cast<int>(size.y)));
        return;
    }
    // An image only later rooms show has its size now and its pixels after
    // the first frame (takeLaterImage); until then the sprite draws nothing.
    if (const std::optional<sf::Vector2u> later = gameResources().laterImageSize(src)) {
        drawable->setTextureRect(sf::IntRect(0, 0, static_cast<int>(later->x), static_cast<int>(later->y)));
        return;
    }
    texture = &gameResources().texture(src, srcPosition(node));
    drawable->setTexture(*texture, false);
}

void ESprite::takeLaterImage()
{
    if (texture || gameResources().withoutDevices)
        return;
    texture = &gameResources().texture(src, srcPosition(node));
    // The whole texture as for any image: the size its header gave, or none
    // when its pixels failed to decode.
    drawable->setTexture(*texture, true);
    cutSheet();
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

int ESprite::moveSteps(sf::Vector2f step, int count)
{
    // A step that leaves the position as it was (too small for the float's
    // resolution there, or the position is infinite or NaN) leaves it so
    // every time after, so the rest of a huge count would only burn the frame.
    int taken = 0;
    while (taken < count) {
        const sf::Vector2f before = drawable->getPosition();
        drawable->move(step);
        ++taken;
        if (sameBits(drawable->getPosition(), before))
            break;
    }
    return taken;
}

void ESprite::applySceneNode(Node *child)
{
    sceneChild = child;
    applyTransform(child);
    if (const Attribute *audio = hasAttribute(child, "onClickAudio"))
        setClickAudio(audio->value());
    if (const Attribute *text = hasAttribute(child, "onClickText"))
        setClickText(text->value());
    loadAnimation(child);
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
