#pragma once

#include "elements/EObject.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Text.hpp>

#include <cstddef>
#include <string>
#include <vector>

// A text drawn with a font of its own. Built from a "text" asset node; a scene
// child adjusts it, either its own (a scene text) or a sprite's (a click text).
class EText : public EObject {
public:
    // Glyphs beyond this size would not fit the graphics library's textures;
    // such a size is refused and the current one kept.
    static constexpr int maxCharacterSize = 1024;
    // The graphics library builds six vertices for every character of a text
    // and draws them all in every frame: a text of a hundred million
    // characters would take gigabytes and never finish a frame. No note needs
    // more than this; the rest of a longer one is not shown.
    static constexpr std::size_t maxShownCharacters = 65536;

    sf::Font font;
    int characterSize = 15;
    std::string string;
    sf::Color color;
    sf::Text drawable;
    Node *node = nullptr;
    // Only click dispatch sets and clears it: true while a click shows the text.
    bool visible = false;

    explicit EText(Node *assetNode);

    void loadAttributes(Node *assetNode);
    // Writes the first four entries to standard output, as the format promises
    // authors, and colours the text with them.
    sf::Color setColor(std::vector<int> components);
    void setString(std::string content);
    void setPosition(float x, float y);
    void applySceneNode(Node *sceneChild);

private:
    void loadFont();
    void setSizeFrom(Node *from);
};
