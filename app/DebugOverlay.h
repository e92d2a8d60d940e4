#pragma once

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>

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

    explicit DebugOverlay(sf::RenderWindow &window);

    void handle(const sf::Event &event);
    void draw(const Game &game);
    // The game set its own title again (a reload): show the pointer in it anew.
    void titleReset() { titleShown.clear(); }

private:
    void drawSprites(const Game &game);
    void drawState(const Game &game);
    void drawPlayer(const Game &game);
    void drawWalkArea(const Game &game);
    void drawPointer();
    void label(const std::string &text, sf::Vector2f at, sf::Color colour);
    void showPointerInTitle(const Game &game);

    sf::RenderWindow &window;
    sf::Font font;
    bool hasFont = false;
    bool shown = true;
    sf::Vector2f pointer;
    sf::String titleShown;
};
