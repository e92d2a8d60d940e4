#include "elements/EText.h"

#include <cstdint>
#include <iostream>

EText::EText(Node *assetNode) : node(assetNode)
{
    loadCommon(assetNode);
    loadAttributes(assetNode);
    setString(string);
    drawable.setCharacterSize(static_cast<unsigned>(characterSize));
    drawable.setFont(font);
    setPosition(position.x, position.y);
}

void EText::loadAttributes(Node *assetNode)
{
    loadFont();
    string = assetNode->value_size() > 0 ? std::string(assetNode->value(), assetNode->value_size()) : "[missing]";
    characterSize = 15;
    setSizeFrom(assetNode);
    if (hasAttribute(assetNode, "color"))
        setColor(getIntList(assetNode, "color"));
    else
        color = sf::Color(255, 255, 255, 255);
    drawable.setFillColor(color);
}

sf::Color EText::setColor(std::vector<int> components)
{
    std::cout << components[0] << components[1] << components[2] << components[3];
    auto low8 = [](int value) { return static_cast<sf::Uint8>(static_cast<std::uint32_t>(value) & 0xffu); };
    color = sf::Color(low8(components[0]), low8(components[1]), low8(components[2]), low8(components[3]));
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
        std::cerr << "Text \"" << (id ? id : "") << "\" has more than " << maxShownCharacters
                  << " characters; only the first " << maxShownCharacters << " are shown\n";
    drawable.setString(sf::String::fromUtf8(begin, shown));
}

void EText::setPosition(float x, float y)
{
    position = {x, y};
    drawable.setPosition(x, y);
}

void EText::applySceneNode(Node *sceneChild)
{
    if (sceneChild->value_size() > 0)
        setString(std::string(sceneChild->value(), sceneChild->value_size()));
    if (hasAttribute(sceneChild, "textPosition")) {
        const sf::Vector2f at = getVector2f(sceneChild, "textPosition");
        setPosition(at.x, at.y);
    } else if (hasAttribute(sceneChild, "position")) {
        const sf::Vector2f at = getVector2f(sceneChild, "position");
        setPosition(at.x, at.y);
    }
    if (hasAttribute(sceneChild, "size")) {
        setSizeFrom(sceneChild);
        drawable.setCharacterSize(static_cast<unsigned>(characterSize));
    }
    // Only the presence counts: the text reloads its own font file.
    if (hasAttribute(sceneChild, "src")) {
        loadFont();
        drawable.setFont(font);
    }
}

void EText::loadFont()
{
    if (srcIsLoadable())
        font.loadFromFile(src);
}

void EText::setSizeFrom(Node *from)
{
    if (!hasAttribute(from, "size"))
        return;
    const int size = readInt(getAttribute(from, "size"));
    if (size >= 0 && size <= maxCharacterSize)
        characterSize = size;
}
