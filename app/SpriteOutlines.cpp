#include "app/SpriteOutlines.h"

#include "core/Game.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"

#include <SFML/Graphics/Sprite.hpp>

#include <algorithm>

namespace {

const sf::Color boundsColour(0, 255, 255);
const sf::Color inactiveColour(0, 255, 255, 90);
// Outlines run inside the bounds, as a click hits only inside them.
constexpr float outlineWidth = 2.f;

void appendRectangle(sf::VertexArray &quads, sf::FloatRect area, sf::Color colour)
{
    quads.append(sf::Vertex({area.left, area.top}, colour));
    quads.append(sf::Vertex({area.left + area.width, area.top}, colour));
    quads.append(sf::Vertex({area.left + area.width, area.top + area.height}, colour));
    quads.append(sf::Vertex({area.left, area.top + area.height}, colour));
}

// A thin outline, four lines: for a crowd of sprites, where the thick one
// costs a software renderer more than the game's own frame.
void appendThinOutline(sf::VertexArray &lines, sf::FloatRect area, sf::Color colour)
{
    const sf::Vector2f corners[] = {{area.left, area.top},
                                    {area.left + area.width, area.top},
                                    {area.left + area.width, area.top + area.height},
                                    {area.left, area.top + area.height}};
    for (std::size_t i = 0; i < 4; ++i) {
        lines.append(sf::Vertex(corners[i], colour));
        lines.append(sf::Vertex(corners[(i + 1) % 4], colour));
    }
}

void appendOutline(sf::VertexArray &quads, sf::FloatRect area, sf::Color colour)
{
    const float inner = std::max(0.f, area.height - 2 * outlineWidth);
    appendRectangle(quads, {area.left, area.top, area.width, outlineWidth}, colour);
    appendRectangle(quads, {area.left, area.top + area.height - outlineWidth, area.width, outlineWidth}, colour);
    appendRectangle(quads, {area.left, area.top + outlineWidth, outlineWidth, inner}, colour);
    appendRectangle(quads, {area.left + area.width - outlineWidth, area.top + outlineWidth, outlineWidth, inner},
                    colour);
}

bool sameView(const sf::View &a, const sf::View &b)
{
    return a.getCenter() == b.getCenter() && a.getSize() == b.getSize() && a.getRotation() == b.getRotation() &&
           a.getViewport() == b.getViewport();
}

} // namespace

bool SpriteOutlines::Key::operator==(const Key &other) const
{
    return game == other.game && scene == other.scene && sprites == other.sprites && state == other.state;
}

sf::Color SpriteOutlines::colour(std::size_t index) const
{
    return active[index] ? boundsColour : inactiveColour;
}

void SpriteOutlines::draw(const Game &game, sf::RenderWindow &window)
{
    const Key now{&game, game.scene, game.scene->sprites.size(), game.state.version()};
    if (laidOut != now) {
        layOut(game);
        laidOut = now;
    }
    placePlayer(game);
    if (crowded)
        drawLayer(window);
    else
        window.draw(bright);
    window.draw(dimmed);
    window.draw(player);
}

void SpriteOutlines::layOut(const Game &game)
{
    const std::vector<ESprite *> &sprites = game.scene->sprites;
    crowded = sprites.size() > crowd;
    for (sf::VertexArray *outlines : {&bright, &dimmed, &player}) {
        outlines->clear();
        outlines->setPrimitiveType(crowded ? sf::Lines : sf::Quads);
    }
    placed.resize(sprites.size());
    active.resize(sprites.size());
    playerAt.clear();
    for (std::size_t i = 0; i < sprites.size(); ++i) {
        // An inactive sprite is neither drawn nor hit: outlined dimmed, where it would be.
        active[i] = game.isActive(i);
        if (game.player && sprites[i] == game.player->sprite) {
            playerAt.push_back(i);
            continue;
        }
        placed[i] = sprites[i]->drawable->getGlobalBounds();
        append(active[i] ? bright : dimmed, placed[i], colour(i));
    }
    layerDrawn = false;
}

void SpriteOutlines::placePlayer(const Game &game)
{
    player.clear();
    for (const std::size_t i : playerAt) {
        placed[i] = game.player->sprite->drawable->getGlobalBounds();
        append(player, placed[i], colour(i));
    }
}

void SpriteOutlines::append(sf::VertexArray &to, sf::FloatRect area, sf::Color colour) const
{
    if (crowded)
        appendThinOutline(to, area, colour);
    else
        appendOutline(to, area, colour);
}

void SpriteOutlines::drawLayer(sf::RenderWindow &window)
{
    const sf::Vector2u size = window.getSize();
    if (layerSize != size) {
        layerSize = size;
        layerMade = layer.create(size.x, size.y);
        layerDrawn = false;
    }
    // Without a layer (no offscreen drawing, or a window larger than a
    // texture may be) the outlines are drawn as they are.
    if (!layerMade) {
        window.draw(bright);
        return;
    }
    if (!layerDrawn || !sameView(window.getView(), layerView)) {
        layerView = window.getView();
        layer.setView(layerView);
        layer.clear(sf::Color::Transparent);
        layer.draw(bright);
        layer.display();
        layerDrawn = true;
    }
    // The layer's pixels are the window's, one for one.
    const sf::View view = window.getView();
    window.setView(sf::View(sf::FloatRect(0.f, 0.f, static_cast<float>(size.x), static_cast<float>(size.y))));
    window.draw(sf::Sprite(layer.getTexture()));
    window.setView(view);
}
