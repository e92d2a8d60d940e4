#include "app/FrameLoop.h"

#include "app/DebugOverlay.h"
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

void handleEvents(Game &game, sf::RenderWindow &window, DebugOverlay *overlay)
{
    sf::Event event{};
    while (window.pollEvent(event)) {
        if (overlay)
            overlay->handle(event);
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

void render(Game &game, sf::RenderWindow &window, DebugOverlay *overlay)
{
    window.clear(sf::Color(0, 0, 0, 255));
    game.draw();
    if (overlay)
        overlay->draw(game);
    window.display();
}

} // namespace

void runFrame(Game &game, sf::RenderWindow &window, DebugOverlay *overlay)
{
    stepPlayer(game);
    handleEvents(game, window, overlay);
    render(game, window, overlay);
}
