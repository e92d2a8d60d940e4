// What a frame's step and a press do: the walk, the bar, a text put away,
// a plain press, the use of an item, the effects, a door and the goal.
#include "core/Game.h"

#include "core/text/Format.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

// Comes before the frame's input (see playFrame), so a target set in one
// frame is first walked towards in the next.
void Game::step()
{
    if (fades)
        fade.advance();
    scene->animate();
    animateOn();
    if (script.running())
        --script.framesLeft;
    walkOn();
    walkSprite();
    runSequences();
}

void Game::walkOn()
{
    if (!player || !player->walking)
        return;
    const sf::Vector2f before = player->sprite->position;
    scalePlayer();
    player->update();
    scalePlayer();
    tellTurns();
    if (!player->walking) {
        tell(TraceEvent::arrived, player->sprite->position);
        if (waitingExit) {
            committedExit = waitingExit;
            waitingExit.reset();
        }
        if (!waitingDialog.empty()) {
            const std::string_view dialog = waitingDialog;
            waitingDialog = {};
            startDialog(dialog);
        }
        if (!waitingSequence.empty()) {
            queueSequence(waitingSequence);
            waitingSequence = {};
        }
        if (pendingAction) {
            const PendingAction action = std::move(*pendingAction);
            pendingAction.reset();
            arrive(action);
        }
    } else if (player->sprite->position != before) {
        tell(TraceEvent::player, player->sprite->position);
    }
}

void Game::press(sf::Vector2f point, sf::Mouse::Button button)
{
    pointerAt = point;
    keyboardLast = false;
    if (button == sf::Mouse::Right && interaction.lookWithRight && !talk.running() && !script.running() && !fading())
        look(point);
    else
        pressAt(point);
    runSequences();
}

void Game::pressAt(sf::Vector2f point)
{
    ran.clear();
    if (fading()) {
        tell(TraceEvent::click, point);
        return;
    }
    if (talk.running()) {
        tell(TraceEvent::click, point);
        talkPress(point);
        return;
    }
    if (script.running()) {
        tell(TraceEvent::click, point);
        sequencePress();
        return;
    }
    if (pressInventory(point))
        return;
    tell(TraceEvent::click, point);
    if (waitingExit) {
        tell(TraceEvent::exitCancelled, {{"scene", std::int64_t{*waitingExit}}});
        waitingExit.reset();
    }
    waitingDialog = {};
    waitingSequence = {};
    cancelPendingAction();
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
    if (!rules.inventory || stage.scene(sceneNode).inventoryHidden)
        return false;
    const std::optional<std::size_t> slot = rules.inventory->slotAt(point, state.inventory.size());
    if (!slot)
        return false;
    tell(TraceEvent::click, point);
    const std::string item = state.inventory[*slot];
    if (state.selected && state.selected != item && combine(item))
        return true;
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

void Game::clickAt(sf::Vector2f point)
{
    const std::optional<std::string> item = state.selected;
    const bool dismissed = dismissText();
    ran.clear();
    const std::vector<std::size_t> reached = reachedBy(point);
    if (!dismissed && waitsForArrival(reached))
        pend(reached, item);
    else
        act(reached, item, dismissed, false);
}

std::vector<std::size_t> Game::reachedBy(sf::Vector2f point)
{
    // The bounds hover keeps (only the player's move): a transform for every
    // sprite of the scene was most of a press's time.
    learnHooks();
    std::vector<std::size_t> reached;
    // Off the world (on a bar round it) a press reaches nothing.
    const auto side = static_cast<float>(worldSize);
    if (stage.keepAspect && !sf::FloatRect(0.f, 0.f, side, side).contains(point))
        return reached;
    if (const std::vector<std::size_t> *order = depthOrder()) {
        const ESprite *walker = player ? player->sprite : nullptr;
        for (std::size_t k = 0; k < order->size(); ++k) {
            const std::size_t i = interaction.pressTop ? (*order)[order->size() - 1 - k] : (*order)[k];
            const ESprite *sprite = scene->sprites[i];
            const bool under = sprite == walker ? sprite->contains(point) : built->bounds[i].contains(point);
            if (!under || !isActive(i) || (interaction.pressTop && !built->hooked[i]))
                continue;
            reached.push_back(i);
            if (interaction.pressTop)
                break;
        }
        return reached;
    }
    if (interaction.pressTop) {
        for (std::size_t i = scene->sprites.size(); i > 0; --i)
            if (built->hooked[i - 1] && boundsOf(i - 1).contains(point) && isActive(i - 1)) {
                reached.push_back(i - 1);
                break;
            }
        return reached;
    }
    const ESprite *walker = player ? player->sprite : nullptr;
    for (std::size_t i = 0; i < scene->sprites.size(); ++i) {
        const ESprite *sprite = scene->sprites[i];
        if (!(sprite == walker ? sprite->contains(point) : built->bounds[i].contains(point)))
            continue;
        // Only the sprites under the point are asked, not the whole scene.
        const PlacedSprite &placed = built->sprites[i];
        if (placed.rules && !state.holds(placed.rules->active))
            continue;
        reached.push_back(i);
    }
    return reached;
}

// Every condition of the press reads the state as the press began: the
// effects wait until every sprite it reached has had its turn.
void Game::act(const std::vector<std::size_t> &reached, const std::optional<std::string> &item, bool dismissed,
               bool arrived)
{
    std::vector<const ActionRules *> counted;
    bool used = false;
    for (const std::size_t i : reached) {
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
    takeDoor(counted, item, dismissed, arrived);
    checkGoal();
    startDialogOf(counted, arrived);
    startSequenceOf(counted, arrived);
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
        speak(text);
        playVoice(text->id);
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
                    bool dismissed, bool arrived)
{
    const ActionRules *door = nullptr;
    for (const ActionRules *action : counted)
        if (action->exitScene)
            door = action;
    const bool doorFound = door && findScene(*door->exitScene);
    const bool waits = !arrived && doorFound && door->walkTo && player && built->placesPlayer;
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

void Game::startDialogOf(const std::vector<const ActionRules *> &counted, bool arrived)
{
    const ActionRules *starts = lastNaming(counted, &ActionRules::dialog);
    if (!starts)
        return;
    if (!arrived && starts->walkTo && player && built->placesPlayer && dialogs.find(starts->dialog)) {
        sendPlayer(*starts->walkTo);
        waitingDialog = starts->dialog;
    } else {
        startDialog(starts->dialog);
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
    queueSequence(sequences.goalSequence);
}
