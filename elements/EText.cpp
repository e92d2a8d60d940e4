#include "elements/EText.h"

#include "core/assets/Resources.h"
#include "core/text/Diagnostics.h"
#include "core/text/Format.h"
#include "elements/Catalogue.h"
#include "elements/TextWrap.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <iostream>

namespace {

std::string fontPath(Node *assetNode)
{
    return textLanguage && !textLanguage->font.empty() ? textLanguage->font : srcPath(assetNode);
}

} // namespace

EText::EText(Node *assetNode) : font(gameResources().font(fontPath(assetNode))), node(assetNode)
{
    loadCommon(assetNode);
    loadAttributes(assetNode);
    setString(string);
    drawable.setCharacterSize(drawnSize());
    drawable.setFont(font);
    setPosition(position.x, position.y);
}

void EText::loadAttributes(Node *assetNode)
{
    loadFont(assetNode);
    string = assetNode->value_size() > 0 ? std::string(assetNode->value(), assetNode->value_size()) : "[missing]";
    if (textLanguage && id)
        if (const auto translated = textLanguage->strings.find(id); translated != textLanguage->strings.end())
            string = translated->second;
    characterSize = 15;
    setSizeFrom(assetNode);
    if (hasAttribute(assetNode, "color")) {
        std::size_t given = 0;
        const std::vector<int> components = getIntList(assetNode, "color", &given);
        echoColor(components);
        setColor(components, given);
    } else {
        color = sf::Color(255, 255, 255, 255);
    }
    drawable.setFillColor(color);
    box = TextBox::read(assetNode);
    box.style(drawable);
}

void EText::echoColor(const std::vector<int> &components)
{
    std::cout << components[0] << components[1] << components[2] << components[3];
}

sf::Color EText::setColor(std::vector<int> components, std::size_t given)
{
    auto low8 = [](int value) { return static_cast<sf::Uint8>(static_cast<std::uint32_t>(value) & 0xffu); };
    const sf::Uint8 alpha = given < 4 ? sf::Uint8(255) : low8(components[3]);
    color = sf::Color(low8(components[0]), low8(components[1]), low8(components[2]), alpha);
    drawable.setFillColor(color);
    return color;
}

void EText::setString(std::string content)
{
    string = std::move(content);
    const char *begin = string.data();
    const char *end = begin + string.size();
    const char *shown = utf8Prefix(begin, end, maxShownCharacters);
    if (shown != end)
        warnAt(node ? elementPosition(node) : nullptr, "long-text",
               "Text \"" + std::string(id ? id : "") + "\" has more than " + std::to_string(maxShownCharacters) +
                   " characters; only the first " + std::to_string(maxShownCharacters) + " are shown");
    layOut();
}

void EText::layOut()
{
    const char *begin = string.data();
    const char *end = begin + string.size();
    drawable.setString(laidOut(sf::String::fromUtf8(begin, utf8Prefix(begin, end, maxShownCharacters))));
}

sf::String EText::laidOut(const sf::String &words) const
{
    if (!box.wrap)
        return words;
    return wrapText(words, font, drawnSize(), *box.wrap, box.drawnOutline()).text;
}

void EText::draw(sf::RenderTarget &target, const sf::Text &shown) const
{
    box.drawBehind(target, shown);
    target.draw(shown, sf::RenderStates::Default);
}

void EText::setPosition(float x, float y)
{
    position = {x, y};
    drawable.setPosition(x, y);
}

namespace {

// The blanks that lay out <use> elements under a scene child are not a text.
bool isLayoutAroundUses(Node *sceneChild)
{
    if (!getChild(sceneChild, "use"))
        return false;
    for (std::size_t i = 0; i < sceneChild->value_size(); ++i)
        if (!std::isspace(static_cast<unsigned char>(sceneChild->value()[i])))
            return false;
    return true;
}

} // namespace

void EText::applySceneNode(Node *sceneChild)
{
    if (sceneChild->value_size() > 0 && !isLayoutAroundUses(sceneChild))
        setString(std::string(sceneChild->value(), sceneChild->value_size()));
    const sf::Vector2f at = readPair(sceneChild, "textPosition", readPair(sceneChild, "position", position));
    setPosition(at.x, at.y);
    if (hasAttribute(sceneChild, "size")) {
        setSizeFrom(sceneChild);
        drawable.setCharacterSize(drawnSize());
        // Lines wrapped at the asset's size are too wide, or too short, at this one.
        if (box.wrap)
            layOut();
    }
    // Only the presence counts: the text loads its own font file again, which
    // matters only while that file could not be loaded.
    if (hasAttribute(sceneChild, "src")) {
        loadFont(node);
        drawable.setFont(font);
        if (box.wrap)
            layOut();
    }
}

unsigned EText::drawnSize() const
{
    static const AttributeFormat &range = *findAttribute(formatOf("text"), "size");
    const long scaled = std::lround(static_cast<double>(characterSize) * static_cast<double>(sizeScale));
    return static_cast<unsigned>(std::min<long>(scaled, static_cast<long>(*range.max)));
}

void EText::loadFont(Node *from)
{
    if (!src.empty())
        gameResources().loadFont(src, srcPosition(from));
}

void EText::setSizeFrom(Node *from)
{
    const Attribute *given = hasAttribute(from, "size");
    if (!given)
        return;
    static const AttributeFormat &range = *findAttribute(formatOf("text"), "size");
    const int size = readInt(given->value());
    if (inRange(range, size))
        characterSize = size;
    else
        warnAt(given->value(), "out-of-range",
               "\"size\" is " + std::to_string(size) + ", but a text's size must be " + rangeText(range) +
                   "; the size " + std::to_string(characterSize) + " is kept");
}
