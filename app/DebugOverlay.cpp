#include "app/DebugOverlay.h"

#include "core/Game.h"
#include "core/nav/WalkArea.h"
#include "elements/Catalogue.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Window/Mouse.hpp>

#include <array>
#include <cmath>

namespace {

const sf::Color limitsColour(255, 200, 0);
const sf::Color targetColour(255, 60, 60);
const sf::Color pointerColour(255, 255, 255);
const sf::Color areaColour(120, 255, 120);
const sf::Color holeColour(255, 120, 200);
const sf::Color pathColour(255, 60, 60);

sf::VertexArray line(const std::vector<Point> &points, bool closed, sf::Color colour)
{
    sf::VertexArray strip(sf::LineStrip);
    for (const Point p : points)
        strip.append(sf::Vertex({static_cast<float>(p.x), static_cast<float>(p.y)}, colour));
    if (closed && !points.empty())
        strip.append(strip[0]);
    return strip;
}

sf::RectangleShape outline(sf::FloatRect area, sf::Color colour)
{
    sf::RectangleShape shape({area.width, area.height});
    shape.setPosition(area.left, area.top);
    shape.setFillColor(sf::Color::Transparent);
    shape.setOutlineColor(colour);
    shape.setOutlineThickness(-2.f);
    return shape;
}

constexpr unsigned labelSize = 18;
constexpr float labelOutline = 1.f;

// One glyph's quad as sf::Text lays it out, a pixel of padding around it.
void appendGlyph(std::vector<sf::Vertex> &quads, const sf::Glyph &glyph, sf::Vector2f pen, float outline)
{
    const float padding = 1.f;
    const float left = glyph.bounds.left - padding;
    const float top = glyph.bounds.top - padding;
    const float right = glyph.bounds.left + glyph.bounds.width + padding;
    const float bottom = glyph.bounds.top + glyph.bounds.height + padding;
    const float u1 = static_cast<float>(glyph.textureRect.left) - padding;
    const float v1 = static_cast<float>(glyph.textureRect.top) - padding;
    const float u2 = static_cast<float>(glyph.textureRect.left + glyph.textureRect.width) + padding;
    const float v2 = static_cast<float>(glyph.textureRect.top + glyph.textureRect.height) + padding;
    const sf::Vector2f shift(pen.x - outline, pen.y - outline);
    quads.emplace_back(shift + sf::Vector2f(left, top), sf::Color::White, sf::Vector2f(u1, v1));
    quads.emplace_back(shift + sf::Vector2f(right, top), sf::Color::White, sf::Vector2f(u2, v1));
    quads.emplace_back(shift + sf::Vector2f(right, bottom), sf::Color::White, sf::Vector2f(u2, v2));
    quads.emplace_back(shift + sf::Vector2f(left, bottom), sf::Color::White, sf::Vector2f(u1, v2));
}

// The text's quads on one line, its outline's first; the colour is set when drawn.
std::vector<sf::Vertex> layOut(const sf::Font &font, const std::string &text)
{
    const sf::String characters = sf::String::fromUtf8(text.begin(), text.end());
    std::vector<sf::Vertex> quads;
    for (const float outline : {labelOutline, 0.f}) {
        sf::Vector2f pen(0.f, static_cast<float>(labelSize));
        sf::Uint32 previous = 0;
        for (const sf::Uint32 character : characters) {
            pen.x += font.getKerning(previous, character, labelSize);
            previous = character;
            const sf::Glyph &glyph = font.getGlyph(character, labelSize, false, outline);
            appendGlyph(quads, glyph, pen, outline);
            pen.x += font.getGlyph(character, labelSize, false).advance;
        }
    }
    return quads;
}

std::string coordinates(sf::Vector2f point)
{
    return std::to_string(static_cast<long>(std::lround(point.x))) + ", " +
           std::to_string(static_cast<long>(std::lround(point.y)));
}

} // namespace

const char *const DebugOverlay::fontPaths[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    nullptr,
};

DebugOverlay::DebugOverlay(sf::RenderWindow &target) : window(target)
{
    for (const char *const *path = fontPaths; *path && !hasFont; ++path)
        hasFont = font.loadFromFile(*path);
}

void DebugOverlay::handle(const sf::Event &event)
{
    if (event.type == sf::Event::KeyPressed && event.key.code == sf::Keyboard::F1)
        shown = !shown;
    else if (event.type == sf::Event::MouseMoved)
        pointer = window.mapPixelToCoords({event.mouseMove.x, event.mouseMove.y});
}

void DebugOverlay::draw(const Game &game)
{
    showPointerInTitle(game);
    if (!shown)
        return;
    drawSprites(game);
    drawState(game);
    drawWalkArea(game);
    drawPlayer(game);
    drawPointer();
}

void DebugOverlay::drawSprites(const Game &game)
{
    outlines.draw(game, window);
    if (!hasFont)
        return;
    labels.clear();
    const std::size_t count = game.scene->sprites.size();
    const bool crowded = count > maxLabelledSprites;
    labelTexts.resize(count);
    labelQuads.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const ESprite *sprite = game.scene->sprites[i];
        const sf::FloatRect &bounds = outlines.bounds(i);
        // In a crowd of sprites the labels would cover one another and the
        // game: only the sprites under the pointer are named then.
        if (!sprite->id || (crowded && !bounds.contains(pointer)))
            continue;
        const std::vector<sf::Vertex> &quads =
            spriteLabel(i, sprite->id + (sprite->loop ? " #" + std::to_string(sprite->cell()) : std::string()));
        const sf::Vector2f at(bounds.left + 4.f, bounds.top + 2.f);
        const sf::Color colour = outlines.colour(i);
        const std::size_t outlineEnd = quads.size() / 2;
        for (std::size_t v = 0; v < quads.size(); ++v)
            labels.append(
                sf::Vertex(quads[v].position + at, v < outlineEnd ? sf::Color::Black : colour, quads[v].texCoords));
    }
    window.draw(labels, &font.getTexture(labelSize));
}

const std::vector<sf::Vertex> &DebugOverlay::spriteLabel(std::size_t index, const std::string &text)
{
    if (labelTexts[index] != text || labelQuads[index].empty()) {
        labelTexts[index] = text;
        labelQuads[index] = layOut(font, text);
    }
    return labelQuads[index];
}

// What the game remembers, in the bottom-left corner.
void DebugOverlay::drawState(const Game &game)
{
    const GameState &state = game.state;
    auto joined = [](const auto &names) {
        std::string text;
        for (const auto &name : names)
            text += (text.empty() ? "" : ", ") + std::string(name);
        return text.empty() ? std::string("-") : text;
    };
    std::string items = joined(state.inventory);
    if (state.selected)
        items += " (holding " + *state.selected + ")";
    label("scene " + std::to_string(currentSceneId) + "  flags: " + joined(state.flags) + "  items: " + items,
          {10.f, 1060.f}, pointerColour);
}

// The walk area, its holes and the way of the last walk.
void DebugOverlay::drawWalkArea(const Game &game)
{
    if (!game.player || !game.player->walkArea)
        return;
    window.draw(line(game.player->walkArea->area(), true, areaColour));
    for (const Polygon &hole : game.player->walkArea->holes())
        window.draw(line(hole, true, holeColour));
    window.draw(line(game.player->route.points(), false, pathColour));
}

void DebugOverlay::drawPlayer(const Game &game)
{
    if (!game.player || game.player->walkArea)
        return;
    const std::array<int, 4> &limits = game.player->levelLimits;
    const sf::FloatRect area(static_cast<float>(limits[0]), static_cast<float>(limits[1]),
                             static_cast<float>(limits[2] - limits[0]), static_cast<float>(limits[3] - limits[1]));
    window.draw(outline(area, limitsColour));
    if (!game.player->walking)
        return;
    const sf::Vector2f target = game.player->target;
    sf::VertexArray cross(sf::Lines, 4);
    cross[0] = sf::Vertex({target.x - 12.f, target.y - 12.f}, targetColour);
    cross[1] = sf::Vertex({target.x + 12.f, target.y + 12.f}, targetColour);
    cross[2] = sf::Vertex({target.x - 12.f, target.y + 12.f}, targetColour);
    cross[3] = sf::Vertex({target.x + 12.f, target.y - 12.f}, targetColour);
    window.draw(cross);
}

void DebugOverlay::drawPointer()
{
    label(coordinates(pointer), {pointer.x + 14.f, pointer.y + 14.f}, pointerColour);
}

void DebugOverlay::label(const std::string &text, sf::Vector2f at, sf::Color colour)
{
    if (!hasFont)
        return;
    sf::Text shownText(sf::String::fromUtf8(text.begin(), text.end()), font, labelSize);
    shownText.setPosition(at);
    shownText.setFillColor(colour);
    shownText.setOutlineColor(sf::Color::Black);
    shownText.setOutlineThickness(labelOutline);
    window.draw(shownText);
}

// Only when the text changes: a new title is a round trip to the window system.
void DebugOverlay::showPointerInTitle(const Game &game)
{
    const sf::String title = game.title() + sf::String(" - " + coordinates(pointer));
    if (title == titleShown)
        return;
    titleShown = title;
    window.setTitle(title);
}
