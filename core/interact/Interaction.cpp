// How a press works where the document asks for more: actions that wait for
// the walk to their place, looks, items used on items on the bar, and the
// use sentence the label says while an item is held.
#include "core/Game.h"

#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

namespace {

std::string idOf(const ESprite *sprite)
{
    return sprite->id ? sprite->id : "";
}

void replaceAll(std::string &text, const std::string &name, const std::string &value)
{
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
        text.replace(at, name.size(), value);
}

} // namespace

// A child's own walkTo means "act there" only where nothing else gives it a
// meaning: a door, a conversation and a cutscene wait for it in their own way.
bool Game::waitsForArrival(const std::vector<std::size_t> &reached) const
{
    if (!player || !built->placesPlayer)
        return false;
    for (const std::size_t i : reached) {
        const ESprite *sprite = scene->sprites[i];
        const ChildRules *childRules = built->sprites[i].rules;
        const bool does = sprite->hasClickAudio || sprite->hasClickText || (childRules && childRules->acts());
        if (!does)
            continue;
        if (interaction.actOnArrival)
            return true;
        if (childRules && childRules->action.walkTo && !childRules->action.exitScene &&
            childRules->action.dialog.empty() && childRules->action.sequence.empty())
            return true;
    }
    return false;
}

void Game::pend(const std::vector<std::size_t> &reached, const std::optional<std::string> &item)
{
    PendingAction action;
    action.item = item;
    action.scene = built;
    std::optional<sf::Vector2f> walkTo;
    for (const std::size_t i : reached) {
        const UseRules *matched = nullptr;
        for (const PlacedUse &use : built->sprites[i].uses)
            if (item && (use.rules->item == *item || use.rules->item == "*") && state.holds(use.rules->condition)) {
                matched = use.rules;
                break;
            }
        action.reached.emplace_back(i, matched);
        if (const ChildRules *childRules = built->sprites[i].rules; childRules && childRules->action.walkTo)
            walkTo = childRules->action.walkTo;
    }
    action.id = idOf(scene->sprites[reached.front()]);
    if (walkTo)
        sendPlayer(*walkTo);
    tell(TraceEvent::actionPending, {{"id", action.id}});
    pendingAction = std::move(action);
}

// What the press judged still holds, or the action is given up.
void Game::arrive(const PendingAction &action)
{
    bool holds = action.scene == built && (!action.item || state.holdsItem(*action.item));
    std::vector<std::size_t> reached;
    for (const auto &[index, use] : action.reached) {
        const ChildRules *childRules = built->sprites[index].rules;
        holds = holds && (!childRules || state.holds(childRules->active)) && (!use || state.holds(use->condition));
        reached.push_back(index);
    }
    if (!holds) {
        tell(TraceEvent::actionCancelled, {{"id", action.id}});
        return;
    }
    ran.clear();
    act(reached, action.item, false, true);
}

void Game::cancelPendingAction()
{
    if (!pendingAction)
        return;
    tell(TraceEvent::actionCancelled, {{"id", pendingAction->id}});
    pendingAction.reset();
}

// Looks at what is under the point and does nothing else: no walk, no
// effects, no door, no change of the selection.
void Game::look(sf::Vector2f point)
{
    ran.clear();
    tell(TraceEvent::click, point);
    if (dismissText())
        return;
    if (rules.inventory)
        if (const std::optional<std::size_t> slot = rules.inventory->slotAt(point, state.inventory.size())) {
            lookAtItem(state.inventory[*slot]);
            return;
        }
    learnHooks();
    for (std::size_t i = scene->sprites.size(); i > 0; --i)
        if ((built->hooked[i - 1] || built->sprites[i - 1].lookText || built->sprites[i - 1].lookAudio) &&
            boundsOf(i - 1).contains(point) && isActive(i - 1)) {
            lookAt(i - 1);
            return;
        }
}

void Game::lookAt(std::size_t index)
{
    const PlacedSprite &placed = built->sprites[index];
    tell(TraceEvent::look, {{"id", idOf(scene->sprites[index])}});
    if (placed.lookAudio) {
        placed.lookAudio->playSound();
        tell(TraceEvent::sound, placed.lookAudio->id);
    }
    if (placed.lookText)
        show(placed.lookText);
    else if (!placed.lookAudio)
        show(freeText(interaction.unhandledLookText));
}

void Game::lookAtItem(const std::string &item)
{
    tell(TraceEvent::look, {{"id", item}});
    const InteractionRules::ItemRules *itemRules = interaction.item(item);
    EText *text = itemRules ? freeText(itemRules->look) : nullptr;
    show(text ? text : freeText(interaction.unhandledLookText));
}

bool Game::combine(const std::string &item)
{
    const InteractionRules::ItemRules *itemRules = interaction.item(item);
    if (!itemRules || !state.selected)
        return false;
    const std::string held = *state.selected;
    for (const UseRules &use : itemRules->uses) {
        if ((use.item != held && use.item != "*") || !state.holds(use.condition))
            continue;
        tell(TraceEvent::use, {{"item", held}, {"target", item}});
        const Attribute *audioId = hasAttribute(use.node, "onClickAudio");
        if (EAudio *audio = freeAudio(audioId ? audioId->value() : nullptr)) {
            audio->playSound();
            tell(TraceEvent::sound, audio->id);
        }
        const Attribute *textId = hasAttribute(use.node, "onClickText");
        show(freeText(textId ? textId->value() : nullptr));
        ran.push_back(use.node);
        const std::vector<const ActionRules *> counted{&use.action};
        applyEffects(use.action.effects);
        takeDoor(counted, held, false, true);
        checkGoal();
        startDialogOf(counted, true);
        return true;
    }
    return false;
}

void Game::placeLook(ESprite *sprite, PlacedSprite &placed)
{
    const InteractionRules::Look *look = interaction.look(sprite->sceneChild);
    if (!look)
        return;
    // A look's text appears where the sprite's own click text would, in its
    // own words: the child's inline text is its click text's.
    if (look->text)
        for (EText *text : textCatalogue)
            if (idEquals(text->id, look->text)) {
                placed.lookText = claim(text);
                const sf::Vector2f at = readPair(sprite->sceneChild, "textPosition",
                                                 readPair(sprite->sceneChild, "position", placed.lookText->position));
                placed.lookText->setPosition(at.x, at.y);
            }
    if (look->audio)
        for (EAudio *audio : audioCatalogue)
            if (idEquals(audio->id, look->audio)) {
                placed.lookAudio = claim(audio);
                placed.lookAudio->loadSound();
            }
}

// "Use {item} on {target}", in the use text's own place, font, size and colour.
bool Game::drawUseSentence(const char *targetLabel)
{
    if (!state.selected || !interaction.useText)
        return false;
    EText *sentence = freeText(interaction.useText);
    const ItemDeclaration *held = rules.item(*state.selected);
    EText *itemName = held ? freeText(held->name) : nullptr;
    EText *target = freeText(targetLabel);
    if (!sentence || !target)
        return false;
    std::string words = sentence->string;
    replaceAll(words, "{item}", itemName ? itemName->string : *state.selected);
    replaceAll(words, "{target}", target->string);
    sf::Text shown = sentence->drawable;
    shown.setString(sentence->laidOut(sf::String::fromUtf8(words.begin(), words.end())));
    drawText(sentence, shown);
    noteText(itemName);
    noteText(target);
    return true;
}
