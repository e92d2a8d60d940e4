#pragma once

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/Graphics/View.hpp>

#include <cstddef>
#include <optional>
#include <vector>

class EScene;
class Game;

// The debug overlay's outlines of the scene's placed sprites: where a click
// hits each, dimmed where its condition does not hold. Once a scene is built
// only the player moves, so the other outlines are laid out again only when
// the game, its scene or its state changes; the player's, every frame.
//
// In a crowd the outlines are thin lines, and the still, bright ones are drawn
// once more into a layer of their own: a software renderer spends longer on
// ten thousand lines than on the game's frame, and showing the layer is one
// quad. Every outline has one colour, bright or dimmed, so a bright one
// covers whatever else is drawn on its pixels, in any order: the layer, then
// the dimmed ones, then the player's look as all drawn in the scene's order.
class SpriteOutlines {
public:
    // Past this many sprites a scene is a crowd.
    static constexpr std::size_t crowd = 500;

    void draw(const Game &game, sf::RenderWindow &window);
    // Lays everything out anew at the next draw: the game was replaced.
    void forget() { laidOut.reset(); }

    // As of the last draw, for sprite `index` of the scene's list: where a
    // click hits it, and its outline's colour.
    const sf::FloatRect &bounds(std::size_t index) const { return placed[index]; }
    sf::Color colour(std::size_t index) const;

private:
    // What the still outlines are laid out from: the state's change count
    // tells when a condition may have changed.
    struct Key {
        const Game *game = nullptr;
        const EScene *scene = nullptr;
        std::size_t sprites = 0;
        unsigned long state = 0;

        bool operator==(const Key &other) const;
        bool operator!=(const Key &other) const { return !(*this == other); }
    };

    void layOut(const Game &game);
    void placePlayer(const Game &game);
    void append(sf::VertexArray &to, sf::FloatRect area, sf::Color colour) const;
    void drawLayer(sf::RenderWindow &window);

    std::optional<Key> laidOut;
    bool crowded = false;
    std::vector<sf::FloatRect> placed;
    std::vector<char> active;
    // Where the player is placed in the scene's list (once for each of its children).
    std::vector<std::size_t> playerAt;
    sf::VertexArray bright;
    sf::VertexArray dimmed;
    sf::VertexArray player;
    // The bright outlines in the window's pixels, made for the window's size
    // and drawn for its view; never made while no scene is a crowd.
    sf::RenderTexture layer;
    std::optional<sf::Vector2u> layerSize;
    bool layerMade = false;
    bool layerDrawn = false;
    sf::View layerView;
};
