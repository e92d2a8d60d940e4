// Keys, and what is drawn each frame: the scene, its texts, the bar, and
// what the pointer shows.
#include "core/Game.h"

#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Sprite.hpp>

void Game::key(std::string_view name)
{
    // A conversation's keys work whether or not the game is played by keyboard.
    if (script.running())
        sequenceKey(name);
    else if (talk.running())
        talkKey(name);
    else if (pointerRules.keyboardPlay)
        playKey(name);
    // A game without a saveName has no use for these keys.
    if (rules.saveName) {
        if (name == "F5")
            quickSaveAsked = true;
        // A cutscene plays to its end before another moment can be loaded.
        else if (name == "F9" && !script.running())
            quickLoadAsked = true;
    }
    runSequences();
}

void Game::close()
{
    autoSaveAsked = rules.saveName.has_value();
    // The auto save keeps where the cutscenes would end, not a moment inside one.
    if (autoSaveAsked)
        finishCutscenes();
}

void Game::draw()
{
    if (const std::vector<std::size_t> *order = depthOrder()) {
        for (const std::size_t i : *order)
            if (isActive(i))
                drawShape(*scene->sprites[i]->drawable);
    } else {
        for (std::size_t i = 0; i < scene->sprites.size(); ++i)
            if (isActive(i))
                drawShape(*scene->sprites[i]->drawable);
    }
    for (std::size_t i = 0; i < scene->texts.size(); ++i) {
        const Condition *condition = i < built->textConditions.size() ? built->textConditions[i] : nullptr;
        if (!condition || state.holds(*condition))
            drawText(scene->texts[i], scene->texts[i]->drawable);
    }
    drawInventory();
    if (talk.running())
        drawConversation();
    else if (script.running() && script.current().kind == StepRules::Kind::say)
        drawLine(script.current().line);
    else if (!script.running())
        drawPointerShows();
    drawFade();
}

void Game::drawInventory()
{
    if (!rules.inventory || stage.scene(sceneNode).inventoryHidden)
        return;
    const InventoryBar &bar = *rules.inventory;
    for (std::size_t slot = 0; slot < state.inventory.size(); ++slot) {
        const sf::Vector2f corner = bar.slotCorner(slot);
        const auto icon = icons.find(state.inventory[slot]);
        if (icon != icons.end() && icon->second) {
            sf::Sprite picture(*icon->second);
            picture.setPosition(corner);
            drawShape(picture);
        }
        if (state.selected == state.inventory[slot]) {
            constexpr float width = 2.f;
            sf::RectangleShape outline(bar.slotSize - sf::Vector2f(2 * width, 2 * width));
            outline.setPosition(corner + sf::Vector2f(width, width));
            outline.setFillColor(sf::Color::Transparent);
            outline.setOutlineColor(sf::Color(255, 255, 0));
            outline.setOutlineThickness(width);
            drawShape(outline);
        }
    }
}
