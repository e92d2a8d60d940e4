// A bare SFML program that starts like the engine does for the example game:
// the same "Loading..." window, resized to the document's 880 by 880, then one
// sprite and one text drawn every frame until it is ended.
// Run in the example game's folder.

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Window/Event.hpp>

int main()
{
    sf::RenderWindow window(sf::VideoMode(1100, 1100, 32), "Loading...", sf::Style::Default, sf::ContextSettings());
    window.setSize({880, 880});
    window.setTitle("The Study");
    window.setFramerateLimit(60);
    sf::Texture texture;
    texture.loadFromFile("assets/background.png");
    const sf::Sprite background(texture);
    sf::Font font;
    font.loadFromFile("assets/DejaVuSerif.ttf");
    sf::Text title("The Study", font, 44);
    title.setPosition(437, 16);
    while (window.isOpen()) {
        sf::Event event{};
        while (window.pollEvent(event))
            if (event.type == sf::Event::Closed)
                window.close();
        window.clear(sf::Color(0, 0, 0, 255));
        window.draw(background);
        window.draw(title);
        window.display();
    }
    return 0;
}
