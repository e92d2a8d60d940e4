#pragma once

#include "elements/Catalogue.h"
#include "elements/EObject.h"
#include "elements/TextBox.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Text.hpp>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// The language texts are drawn in, when it is not the document's own: a text
// takes the string of its id here (only translations current for today's
// base text are kept), and a font, when given, replaces every text's.
struct TextLanguage {
    std::unordered_map<std::string, std::string> strings;
    std::string font;
};

// A text drawn with the font its file gives, shared with every text naming
// the same file. Built from a "text" asset node; a scene
// child adjusts it, either its own (a scene text) or a sprite's (a click text).
class EText : public EObject {
public:
    // The graphics library builds six vertices for every character of a text
    // and draws them all in every frame: a text of a hundred million
    // characters would take gigabytes and never finish a frame. No note needs
    // more than this; the rest of a longer one is not shown.
    static constexpr std::size_t maxShownCharacters = 65536;
    // Every text's character size is multiplied by this as it is drawn, for
    // players who need larger text: the loaded game's textScale.
    static inline float &sizeScale = loadedCatalogue().player.textScale;

    const sf::Font &font;
    int characterSize = 15;
    std::string string;
    sf::Color color;
    sf::Text drawable;
    TextBox box;
    Node *node = nullptr;
    // Only click dispatch sets and clears it: true while a click shows the text.
    bool visible = false;

    explicit EText(Node *assetNode);

    void loadAttributes(Node *assetNode);
    // Colours the text with the first four entries; a colour written without
    // its alpha is opaque.
    sf::Color setColor(std::vector<int> components, std::size_t given = 4);
    void setString(std::string content);
    // Words as this text shows them: wrapped to its width, when it has one, at the size it is drawn.
    sf::String laidOut(const sf::String &words) const;
    // Draws `shown`, this text's drawable or a copy of it moved or given other
    // words, on its box when it has one.
    void draw(sf::RenderTarget &target, const sf::Text &shown) const;
    void draw(sf::RenderTarget &target) const { draw(target, drawable); }
    void setPosition(float x, float y);
    void applySceneNode(Node *sceneChild);
    // The character size drawn: the text's own, scaled, at most the largest size the format takes.
    unsigned drawnSize() const;

private:
    // Writes the colour's first four entries to standard output, as the format
    // promises authors, while the text is loaded.
    static void echoColor(const std::vector<int> &components);
    void loadFont(Node *from);
    // Sets the drawable's words from `string`, as many as are shown, laid out.
    void layOut();
    void setSizeFrom(Node *from);
};
