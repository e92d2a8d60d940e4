#include "app/Cursor.h"

#include "core/Game.h"

#include <SFML/Graphics/Sprite.hpp>

void drawCursor(const Game &game, sf::RenderWindow &window)
{
    if (!game.pointerRules.used)
        return;
    const Game::CursorImage image = game.cursor();
    window.setMouseCursorVisible(image.texture == nullptr);
    if (!image.texture)
        return;
    sf::Sprite picture(*image.texture, image.cell);
    picture.setOrigin(static_cast<float>(image.cell.width) / 2, static_cast<float>(image.cell.height) / 2);
    picture.setPosition(*game.pointer());
    window.draw(picture);
}
