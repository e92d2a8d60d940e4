#pragma once

#include "core/text/Document.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Text.hpp>

#include <optional>

// What sets a text off from the picture behind it, as its asset asks: lines
// wrapped to a width, a filled box behind the whole text, an outline round
// each character. A text asking for none of them is drawn as it always was.
struct TextBox {
    // The widest a line may be, in world units.
    std::optional<float> wrap;
    std::optional<sf::Color> fill;
    // World units the box reaches past the text on each side.
    float padding = 12;
    std::optional<sf::Color> outline;
    float outlineThickness = 2;

    // Reads the asset's attributes. These names are new and read strictly: a
    // malformed value, or one outside its range, refuses to start (a
    // StartupError at the value) instead of drawing what was not meant.
    static TextBox read(Node *asset);

    // The outline's thickness as the text is drawn with it: none without an outline.
    float drawnOutline() const { return outline ? outlineThickness : 0.f; }
    // Sets the outline on `text`, when there is one.
    void style(sf::Text &text) const;
    // The box behind `shown` (a text or a moved copy of it), when there is one.
    void drawBehind(sf::RenderTarget &target, const sf::Text &shown) const;
};
