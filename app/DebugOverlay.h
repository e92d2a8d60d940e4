#pragma once

#include "app/SpriteOutlines.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/Window/Event.hpp>

#include <string>
#include <vector>

class Game;

// What an author cannot see in the game itself, drawn above it: the bounds
// of every placed sprite (where a click hits it) with its id, the player's
// level limits and walk target, and the world point under the pointer (also
// in the window's title). F1 hides and shows it. It only looks: the game
// plays exactly as without it.
class DebugOverlay {
public:
    // Fonts tried for the overlay's text; without any, only the title shows
    // the pointer.
    static const char *const fontPaths[];
    // Past this many sprites in a scene, only those under the pointer are labelled.
    static constexpr std::size_t maxLabelledSprites = SpriteOutlines::crowd;

    explicit DebugOverlay(sf::RenderWindow &window);

    void handle(const sf::Event &event);
    void draw(const Game &game);
    // The game was loaded again, or a reload refused: the title the game set
    // anew shows the pointer again, and the outlines are laid out afresh.
    void gameReloaded()
    {
        titleShown.clear();
        outlines.forget();
    }

private:
    void drawSprites(const Game &game);
    void drawState(const Game &game);
    void drawPlayer(const Game &game);
    void drawWalkArea(const Game &game);
    void drawPointer();
    void label(const std::string &text, sf::Vector2f at, sf::Color colour);
    void showPointerInTitle(const Game &game);
    // The glyph quads of a sprite's label, laid out once for each new text.
    const std::vector<sf::Vertex> &spriteLabel(std::size_t index, const std::string &text);

    sf::RenderWindow &window;
    SpriteOutlines outlines;
    // Thousands of sprites are labelled in one draw, not one per sprite: the
    // labels' quads are kept, outline first, at (0, 0).
    std::vector<std::string> labelTexts;
    std::vector<std::vector<sf::Vertex>> labelQuads;
    sf::VertexArray labels{sf::Quads};
    sf::Font font;
    bool hasFont = false;
    bool shown = true;
    sf::Vector2f pointer;
    sf::String titleShown;
};
