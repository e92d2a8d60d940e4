#include "app/FrameLoop.h"

#include "core/Catalogue.h"
#include "core/Game.h"
#include "elements/EPlayer.h"

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Mouse.hpp>

namespace {

// Comes before the events, so a target set in this frame is first walked
// towards in the next one.
void stepPlayer(Game &game)
{
    if (game.player && game.player->walking)
        game.player->update();
}

void handleEvents(Game &game, sf::RenderWindow &window)
{
    sf::Event event{};
    while (window.pollEvent(event)) {
        if (event.type == sf::Event::Closed) {
            window.close();
        } else if (event.type == sf::Event::MouseButtonPressed) {
            // The pointer where it is now, not where the event says it was.
            const sf::Vector2f point = window.mapPixelToCoords(sf::Mouse::getPosition(window));
            if (game.player)
                game.player->setTarget(point.x, point.y);
            game.handleClick();
        }
    }
}

void render(Game &game, sf::RenderWindow &window)
{
    window.clear(sf::Color(0, 0, 0, 255));
    game.draw();
    window.display();
}

} // namespace

void runFrame(Game &game, sf::RenderWindow &window)
{
    stepPlayer(game);
    handleEvents(game, window);
    render(game, window);
}

void runPacedFrame(Game &game, sf::RenderWindow &window, FramePacer &pacer)
{
    runFrame(game, window);
    pacer.waitForNextFrame();
}

void runFrameLoop(Game &game, sf::RenderWindow &window)
{
    FramePacer pacer(frameRateLimit);
    while (window.isOpen())
        runPacedFrame(game, window, pacer);
}
