// What a frame's step and a press do: the walk, the bar, a text put away,
// a plain press, the use of an item, the effects, a door and the goal.
#include "core/Game.h"

#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

// Comes before the frame's input (see playFrame), so a target set in one
// frame is first walked towards in the next.
void Game::step()
{
    scene->animate();
    if (!player || !player->walking)
        return;
    const sf::Vector2f before = player->sprite->position;
    player->update();
    tellTurns();
    if (!player->walking) {
        tell(TraceEvent::arrived, player->sprite->position);
        if (waitingExit) {
            committedExit = waitingExit;
            waitingExit.reset();
        }
    } else if (player->sprite->position != before) {
        tell(TraceEvent::player, player->sprite->position);
    }
}

void Game::press(sf::Vector2f point)
{
    pointerAt = point;
    keyboardLast = false;
    pressAt(point);
}

void Game::pressAt(sf::Vector2f point)
{
    ran.clear();
    if (pressInventory(point))
        return;
    tell(TraceEvent::click, point);
    if (waitingExit) {
        tell(TraceEvent::exitCancelled, {{"scene", std::int64_t{*waitingExit}}});
        waitingExit.reset();
    }
    if (player)
        sendPlayer(point);
    clickAt(point);
}

void Game::sendPlayer(sf::Vector2f point)
{
    player->setTarget(point.x, point.y);
    tell(TraceEvent::walk, player->target);
    if (trace && player->walkArea)
        trace->recordPath(player->route.points());
    tellTurns();
}

bool Game::pressInventory(sf::Vector2f point)
{
    if (!rules.inventory)
        return false;
    const std::optional<std::size_t> slot = rules.inventory->slotAt(point, state.inventory.size());
    if (!slot)
        return false;
    tell(TraceEvent::click, point);
    const std::string &item = state.inventory[*slot];
    if (state.selected == item) {
        endSelection();
    } else {
        state.selected = item;
        tell(TraceEvent::itemSelected, item.c_str());
    }
    return true;
}

void Game::endSelection()
{
    if (!state.selected)
        return;
    const std::string item = *state.selected;
    state.selected.reset();
    tell(TraceEvent::itemDeselected, item.c_str());
}

// Every condition of the click reads the state as the click began: the
// effects wait until every sprite under the point has had its turn.
void Game::clickAt(sf::Vector2f point)
{
    const std::optional<std::string> item = state.selected;
    const bool dismissed = dismissText();
    std::vector<const ActionRules *> counted;
    ran.clear();
    bool used = false;
    // The bounds hover keeps (only the player's move): a transform for every
    // sprite of the scene was most of a press's time.
    learnHooks();
    const ESprite *walker = player ? player->sprite : nullptr;
    for (std::size_t i = 0; i < scene->sprites.size(); ++i) {
        const ESprite *sprite = scene->sprites[i];
        if (!(sprite == walker ? sprite->contains(point) : built->bounds[i].contains(point)))
            continue;
        // Only the sprites under the point are asked, not the whole scene.
        const PlacedSprite &placed = built->sprites[i];
        if (placed.rules && !state.holds(placed.rules->active))
            continue;
        if (!item)
            plainPress(i, dismissed, counted);
        else if (!dismissed)
            used = useItem(i, *item, counted) || used;
    }
    if (item && !dismissed && !used) {
        tell(TraceEvent::unhandledUse, {{"item", *item}});
        show(freeText(rules.unhandledUseText));
    }
    for (const ActionRules *action : counted)
        applyEffects(action->effects);
    takeDoor(counted, item, dismissed);
    checkGoal();
}

bool Game::dismissText()
{
    if (scene->texts.empty() || !scene->texts.back()->visible)
        return false;
    scene->texts.back()->visible = false;
    tell(TraceEvent::textDismissed, scene->texts.back()->id);
    scene->texts.pop_back();
    return true;
}

void Game::plainPress(std::size_t index, bool dismissed, std::vector<const ActionRules *> &counted)
{
    ESprite *sprite = scene->sprites[index];
    if (sprite->hasClickAudio && sprite->clickAudio) {
        sprite->clickAudio->playSound();
        tell(TraceEvent::sound, sprite->clickAudio->id);
    }
    EText *text = sprite->clickText;
    if (sprite->hasClickText && text && !text->visible && !dismissed) {
        scene->texts.push_back(text);
        text->visible = true;
        tell(TraceEvent::textShown, text->id);
    }
    const PlacedSprite &placed = built->sprites[index];
    if (!dismissed && placed.rules) {
        counted.push_back(&placed.rules->action);
        ran.push_back(sprite->sceneChild);
    }
}

bool Game::useItem(std::size_t index, const std::string &item, std::vector<const ActionRules *> &counted)
{
    const ESprite *sprite = scene->sprites[index];
    for (const PlacedUse &use : built->sprites[index].uses) {
        if ((use.rules->item != item && use.rules->item != "*") || !state.holds(use.rules->condition))
            continue;
        tell(TraceEvent::use, {{"item", item}, {"target", std::string(sprite->id ? sprite->id : "")}});
        if (use.audio) {
            use.audio->playSound();
            tell(TraceEvent::sound, use.audio->id);
        }
        show(use.text);
        counted.push_back(&use.rules->action);
        ran.push_back(use.rules->node);
        return true;
    }
    return false;
}

// Of several doors pressed at once, the last in the list leads. The item
// held is let go between the walk to a door and the door's wait, as the
// trace has always told it.
void Game::takeDoor(const std::vector<const ActionRules *> &counted, const std::optional<std::string> &item,
                    bool dismissed)
{
    const ActionRules *door = nullptr;
    for (const ActionRules *action : counted)
        if (action->exitScene)
            door = action;
    const bool doorFound = door && findScene(*door->exitScene);
    const bool waits = doorFound && door->walkTo && player && built->placesPlayer;
    if (waits)
        sendPlayer(*door->walkTo);
    if (item && !dismissed) {
        state.selected.reset();
        tell(TraceEvent::itemDeselected, item->c_str());
    }
    if (waits) {
        waitingExit = door->exitScene;
        tell(TraceEvent::exitPending, {{"scene", std::int64_t{*door->exitScene}}});
    } else if (doorFound) {
        committedExit = door->exitScene;
    } else if (door) {
        tell(TraceEvent::sceneMissing, {{"scene", std::int64_t{*door->exitScene}}});
    }
}

void Game::applyEffects(const Effects &effects)
{
    for (const std::string_view flag : effects.clearFlags)
        if (state.clearFlag(flag))
            tell(TraceEvent::flagCleared, std::string(flag).c_str());
    for (const std::string_view flag : effects.setFlags)
        if (state.setFlag(flag))
            tell(TraceEvent::flagSet, std::string(flag).c_str());
    for (const std::string_view item : effects.takeItems) {
        if (!state.takeItem(item))
            continue;
        tell(TraceEvent::itemRemoved, std::string(item).c_str());
        // The selection ends with the item; its line comes at the press's end.
        if (state.selected == item)
            state.selected.reset();
    }
    for (const std::string_view item : effects.giveItems)
        if (state.giveItem(item))
            tell(TraceEvent::itemAdded, std::string(item).c_str());
}

void Game::checkGoal()
{
    if (!rules.hasGoal || state.goalReached || !state.holds(rules.goal))
        return;
    state.goalReached = true;
    tell(TraceEvent::goal, std::vector<TraceField>{});
}
