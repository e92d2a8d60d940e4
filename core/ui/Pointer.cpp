// What the pointer and the keyboard show and do: hover, focus, hotspot
// reveal and cursors. Nothing here runs for a document that names none of
// the pointer rules, so its trace and its pixels stay as they were.
#include "core/Game.h"
#include "core/text/Format.h"

#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <SFML/Graphics/RectangleShape.hpp>

namespace {

// Focus and reveal outlines: opaque yellow, two units wide, round the bounds.
constexpr float outlineWidth = 2.f;
const sf::Color outlineColour(255, 255, 0);
const sf::FloatRect world(0, 0, static_cast<float>(worldSize), static_cast<float>(worldSize));

// The player's sprite may have no id.
std::string idOf(const ESprite *sprite)
{
    return sprite->id ? sprite->id : "";
}

sf::Vector2f centre(const sf::FloatRect &bounds)
{
    return {bounds.left + bounds.width / 2, bounds.top + bounds.height / 2};
}

} // namespace

void Game::movePointer(sf::Vector2f point)
{
    pointerAt = point;
    keyboardLast = false;
    if (talk.atMenu())
        talkPointer(point);
}

// Hover is worked out every frame over every sprite: reading the bounds from
// one array instead of from each sprite's transform keeps that within a
// tenth of a millisecond for 10,000 sprites.
void Game::learnHooks()
{
    if (built->hooked.size() == built->sprites.size())
        return;
    built->hooked.resize(built->sprites.size());
    built->bounds.resize(built->sprites.size());
    for (std::size_t i = 0; i < built->hooked.size(); ++i) {
        const ESprite *sprite = scene->sprites[i];
        const ChildRules *childRules = built->sprites[i].rules;
        const PointerRules::ChildLabels *labels = pointerRules.child(sprite->sceneChild);
        const bool acts = childRules && childRules->acts();
        built->hooked[i] = sprite->hasClickAudio || sprite->hasClickText || acts || (labels && labels->hoverText);
        built->bounds[i] = sprite->drawable->getGlobalBounds();
    }
}

sf::FloatRect Game::boundsOf(std::size_t index) const
{
    const ESprite *sprite = scene->sprites[index];
    return player && sprite == player->sprite ? sprite->drawable->getGlobalBounds() : built->bounds[index];
}

bool Game::interactive(std::size_t index)
{
    learnHooks();
    return built->hooked[index] && isActive(index);
}

void Game::playKey(std::string_view name)
{
    keyboardLast = true;
    if (name == "Tab" || name == "Shift+Tab") {
        moveFocus(name == "Tab");
    } else if (name == "Enter") {
        // A press where the mouse would press, while the pointer stays where it is.
        if (focused && interactive(*focused))
            pressAt(centre(scene->sprites[*focused]->drawable->getGlobalBounds()));
    } else if (name == "Escape") {
        endSelection();
    } else if (name == "Space") {
        revealed = !revealed;
    } else if (name == "L" && interaction.lookWithRight) {
        // As a right press on it: a note shown is only put away.
        if (focused && interactive(*focused) && !dismissText())
            lookAt(*focused);
    }
}

// Focus goes through the sprites in the order their children are written:
// the list holds the last child first, and a child's own sprites in order.
// A sprite wholly outside the world is never shown, so never focused.
void Game::moveFocus(bool forwards)
{
    std::vector<std::size_t> order;
    for (std::size_t end = scene->sprites.size(); end > 0;) {
        std::size_t begin = end - 1;
        while (begin > 0 && scene->sprites[begin - 1]->sceneChild == scene->sprites[end - 1]->sceneChild)
            --begin;
        for (std::size_t i = begin; i < end; ++i)
            if (interactive(i) && boundsOf(i).intersects(world))
                order.push_back(i);
        end = begin;
    }
    if (order.empty())
        return;
    std::size_t at = forwards ? 0 : order.size() - 1;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (focused == order[i])
            at = forwards ? (i + 1) % order.size() : (i + order.size() - 1) % order.size();
    setFocus(order[at]);
}

void Game::setFocus(std::optional<std::size_t> index)
{
    if (focused == index)
        return;
    focused = index;
    if (focused)
        tell(TraceEvent::focus, {{"id", idOf(scene->sprites[*focused])}});
    else
        tell(TraceEvent::focus, {{"id", nullptr}});
}

// The bar is drawn over the scene and takes presses first, so an item under
// the pointer hovers before any sprite; of the sprites, the one drawn on top
// (the last in the list) that a click would do something with.
void Game::updateHover()
{
    // A conversation takes the pointer: what is under it waits until it ends.
    if (!pointerRules.used || talk.running() || script.running())
        return;
    if (focused && !interactive(*focused))
        setFocus(std::nullopt);
    std::optional<std::size_t> sprite;
    std::optional<std::string> item;
    if (pointerAt) {
        const std::optional<std::size_t> slot = rules.inventory && !stage.scene(sceneNode).inventoryHidden
                                                    ? rules.inventory->slotAt(*pointerAt, state.inventory.size())
                                                    : std::nullopt;
        if (slot)
            item = state.inventory[*slot];
        learnHooks();
        if (const std::vector<std::size_t> *order = depthOrder(); order && !slot) {
            for (auto at = order->rbegin(); at != order->rend(); ++at)
                if (built->hooked[*at] && boundsOf(*at).contains(*pointerAt) && isActive(*at)) {
                    sprite = *at;
                    break;
                }
        }
        for (std::size_t i = scene->sprites.size(); !slot && !built->sortsByDepth && i > 0; --i)
            if (built->hooked[i - 1] && boundsOf(i - 1).contains(*pointerAt) && isActive(i - 1)) {
                sprite = i - 1;
                break;
            }
    }
    if (sprite == hoveredSprite && item == hoveredItem && (!sprite || hoveredScene == built))
        return;
    hoveredSprite = sprite;
    hoveredItem = item;
    hoveredScene = built;
    if (sprite)
        tell(TraceEvent::hover, {{"id", idOf(scene->sprites[*sprite])}});
    else if (item)
        tell(TraceEvent::hover, {{"id", *item}});
    else
        tell(TraceEvent::hover, {{"id", nullptr}});
}

void Game::drawPointerShows()
{
    if (!pointerRules.used)
        return;
    if (revealed)
        for (std::size_t i = 0; i < scene->sprites.size(); ++i)
            if (interactive(i))
                outline(scene->sprites[i]->drawable->getGlobalBounds());
    if (focused)
        outline(scene->sprites[*focused]->drawable->getGlobalBounds());
    const ShownLabel label = shownLabel();
    if (!label.text)
        return;
    if (!label.heldItem) {
        drawLabel(label.text);
    } else if (EText *text = freeText(label.text)) {
        drawText(text, text->drawable);
    }
}

// Labels share a place on the screen: one is drawn, that of the focus after
// a key, else the pointer's, else the focus's.
Game::ShownLabel Game::shownLabel() const
{
    const PointerRules::ChildLabels *focusLabels =
        focused ? pointerRules.child(scene->sprites[*focused]->sceneChild) : nullptr;
    if (focusLabels && (keyboardLast || (!hoveredSprite && !hoveredItem)))
        return {focusLabels->hoverText, false};
    if (hoveredSprite) {
        const PointerRules::ChildLabels *labels = pointerRules.child(scene->sprites[*hoveredSprite]->sceneChild);
        return {labels ? labels->hoverText : nullptr, false};
    }
    const ItemDeclaration *declared = hoveredItem ? rules.item(*hoveredItem) : nullptr;
    // The item held names itself, not a use of itself on itself.
    return {declared ? declared->name : nullptr, declared && hoveredItem == state.selected};
}

void Game::outline(const sf::FloatRect &bounds)
{
    sf::RectangleShape shape(sf::Vector2f(bounds.width, bounds.height));
    shape.setPosition(bounds.left, bounds.top);
    shape.setFillColor(sf::Color::Transparent);
    shape.setOutlineColor(outlineColour);
    shape.setOutlineThickness(outlineWidth);
    drawShape(shape);
}

// While an item is held, a game with a use text names the use instead.
void Game::drawLabel(const char *textId)
{
    if (drawUseSentence(textId))
        return;
    if (EText *text = freeText(textId))
        drawText(text, text->drawable);
}

Game::CursorImage Game::cursor() const
{
    if (script.running() && sequences.waitCursor)
        return spriteImage(sequences.waitCursor);
    if (!pointerRules.used || !pointerAt)
        return {};
    if (state.selected) {
        const auto icon = icons.find(*state.selected);
        if (icon != icons.end() && icon->second)
            return {icon->second, sf::IntRect(sf::Vector2i(), sf::Vector2i(icon->second->getSize()))};
    }
    if (hoveredSprite && hoveredScene == built)
        if (const PointerRules::ChildLabels *labels = pointerRules.child(scene->sprites[*hoveredSprite]->sceneChild))
            if (labels->hoverCursor)
                return spriteImage(labels->hoverCursor);
    return spriteImage(pointerRules.cursor);
}

Game::CursorImage Game::spriteImage(const char *spriteId) const
{
    const auto named = spriteId ? spritesById.find(spriteId) : spritesById.end();
    if (named == spritesById.end() || named->second.empty() || !named->second.front()->texture)
        return {};
    const ESprite *sprite = named->second.front();
    return {sprite->texture, sprite->drawable->getTextureRect()};
}
