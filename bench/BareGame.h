#pragma once

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <rapidxml.hpp>

#include <deque>
#include <vector>

// A game document read and drawn directly with SFML and RapidXML: what a
// program without the engine would do with the same file. Only the asset
// list is read; the benchmark documents place every asset once, in order.
// Textures, fonts and sounds sit in deques because sprites and texts point at
// them: a deque never moves what it already holds.
struct BareGame {
    std::vector<char> text;
    rapidxml::xml_document<char> document;
    std::deque<sf::Texture> textures;
    std::vector<sf::Sprite> sprites;
    std::deque<sf::Font> fonts;
    std::vector<sf::Text> texts;
    std::deque<sf::SoundBuffer> sounds;
    // The document's frame-rate limit, as given to the window.
    unsigned fps = 0;

    // Reads "game.xml" in the working directory and applies its window values.
    void load(sf::RenderWindow &window);
    // Events, clear, every sprite and text, display.
    void frame(sf::RenderWindow &window);
};
