#include "EngineFrame.h"

#include "core/Catalogue.h"
#include "core/Game.h"
#include "elements/EPlayer.h"

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Mouse.hpp>

namespace bench {

void engineFrame(Game &game, sf::RenderWindow &window)
{
    if (game.player && game.player->walking)
        game.player->update();
    sf::Event event{};
    while (window.pollEvent(event)) {
        if (event.type == sf::Event::Closed) {
            window.close();
        } else if (event.type == sf::Event::MouseButtonPressed) {
            const sf::Vector2f point = window.mapPixelToCoords(sf::Mouse::getPosition(window));
            if (game.player)
                game.player->setTarget(point.x, point.y);
            game.handleClick();
        }
    }
    window.clear(sf::Color(0, 0, 0, 255));
    game.draw();
    window.display();
}

void startGame(Game &game)
{
    game.load("game.xml");
    game.loadAssets();
    game.activateScene(currentSceneId);
}

} // namespace bench
