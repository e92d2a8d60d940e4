// Building a scene the first time it is entered, and placing the player
// again each time after.
#include "core/Game.h"

#include "core/assets/Resources.h"
#include "core/text/Lists.h"
#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <cstring>

void Game::activateScene(int sceneId)
{
    Node *node = requireScene(sceneId);
    currentSceneId = sceneId;
    state.visited.insert(sceneId);
    state.touch();
    enter(node, std::nullopt);
}

// Builds the scene the first time, places the player again every other
// time, starts its music unless it plays on, and shows its entry text.
void Game::enter(Node *sceneElement, std::optional<int> from)
{
    if (!gameResources().showsWithoutLaterImages(readInteger(sceneElement, "sceneId", 0)))
        takeLaterImages();
    const auto existing = builtScenes.find(sceneElement);
    const bool fresh = existing == builtScenes.end();
    EScene *next = fresh ? newElement<EScene>(sceneElement) : existing->second.scene;
    const bool loop = rules.scene(sceneElement).musicLoop;
    if (!(next->music && next->music == playingMusic && next->musicPlaying())) {
        if (playingMusic && scene)
            scene->stopMusic();
        next->startMusic(loop);
        if (next->music)
            tell(TraceEvent::music, next->music->id);
    }
    playingMusic = next->music;
    sceneNode = sceneElement;
    scene = next;
    if (fresh) {
        built = &builtScenes[sceneElement];
        built->scene = next;
        build(sceneElement, from);
    } else {
        built = &existing->second;
        scene->frame = 0;
        replacePlayer(sceneElement, from);
    }
    scalePlayer();
}

BuiltScene &Game::build(Node *sceneElement, std::optional<int> from)
{
    if (spritesById.empty())
        for (ESprite *sprite : sprites)
            if (sprite->id)
                spritesById[sprite->id].push_back(sprite);
    Node *chosen = entrance(sceneElement, from);
    // The last child is placed first, so the first child ends up drawn on top.
    if (sceneElement->first_node()) {
        for (Node *child = sceneElement->last_node(); child; child = child->previous_sibling()) {
            if (!isElement(child))
                continue;
            if (named(child, "player")) {
                const bool applies = chosen ? child == chosen : !hasAttribute(child, "fromScene");
                placePlayer(child, *built, applies);
            } else {
                placeSprite(child, *built);
            }
        }
    }
    placeTexts(sceneElement, *built);
    const SceneRules &sceneRules = rules.scene(sceneElement);
    built->enterText = freeText(sceneRules.onEnterText);
    built->firstEnterText = freeText(sceneRules.onFirstEnterText);
    sortByDepth(*built);
    return *built;
}

Node *Game::entrance(Node *sceneElement, std::optional<int> from) const
{
    if (!from)
        return nullptr;
    for (Node *child = sceneElement->first_node(); child; child = child->next_sibling())
        if (isElement(child) && named(child, "player"))
            if (const ChildRules *childRules = rules.child(child); childRules && childRules->fromScene == from)
                return child;
    return nullptr;
}

void Game::replacePlayer(Node *sceneElement, std::optional<int> from)
{
    if (!player || !built->placesPlayer)
        return;
    player->levelLimits = scene->levelLimits;
    player->walkArea = scene->walkArea ? &*scene->walkArea : nullptr;
    if (Node *chosen = entrance(sceneElement, from)) {
        player->applyPlacement(chosen);
        return;
    }
    for (Node *child = sceneElement->last_node(); child; child = child->previous_sibling())
        if (isElement(child) && named(child, "player") && !hasAttribute(child, "fromScene"))
            player->applyPlacement(child);
}

void Game::placePlayer(Node *child, BuiltScene &scenePlaced, bool applied)
{
    if (!player) {
        warn(elementPosition(child), "player", "the scene places <player>, but the assets declare no player");
        return;
    }
    scenePlaced.placesPlayer = true;
    player->levelLimits = scene->levelLimits;
    player->walkArea = scene->walkArea ? &*scene->walkArea : nullptr;
    scene->sprites.push_back(player->sprite);
    scenePlaced.sprites.emplace_back();
    if (applied)
        player->applySceneNode(child);
}

void Game::placeSprite(Node *child, BuiltScene &scenePlaced)
{
    const auto named = spritesById.find(child->name());
    if (named == spritesById.end())
        return;
    for (ESprite *sprite : named->second) {
        ESprite *taken = claim(sprite);
        taken->applySceneNode(child);
        scene->sprites.push_back(taken);
        PlacedSprite &placed = scenePlaced.sprites.emplace_back();
        placed.rules = rules.child(child);
        placeUses(taken, placed);
        placeLook(taken, placed);
        if (taken->loop)
            scene->animated.push_back(taken);
    }
}

void Game::placeUses(ESprite *sprite, PlacedSprite &placed)
{
    if (!placed.rules)
        return;
    for (const UseRules &use : placed.rules->uses) {
        PlacedUse &hooks = placed.uses.emplace_back();
        hooks.rules = &use;
        if (const Attribute *audioId = hasAttribute(use.node, "onClickAudio"))
            for (EAudio *audio : audioCatalogue)
                if (idEquals(audio->id, audioId->value())) {
                    hooks.audio = claim(audio);
                    hooks.audio->applyVolumeAndPitch(use.node);
                    hooks.audio->loadSound();
                }
        // A use's text appears where the sprite's own click text would.
        if (const Attribute *textId = hasAttribute(use.node, "onClickText"))
            for (EText *text : textCatalogue)
                if (idEquals(text->id, textId->value())) {
                    hooks.text = claim(text);
                    hooks.text->applySceneNode(sprite->sceneChild);
                }
    }
}

void Game::placeTexts(Node *sceneElement, BuiltScene &scenePlaced)
{
    // The scene's children by name, in document order: a text takes every
    // child of its id, and texts take theirs in catalogue order.
    std::unordered_map<std::string_view, std::vector<Node *>> childrenByName;
    for (Node *child = sceneElement->first_node(); child; child = child->next_sibling())
        if (isElement(child))
            childrenByName[child->name()].push_back(child);
    for (EText *text : textCatalogue) {
        const auto named = text->id ? childrenByName.find(text->id) : childrenByName.end();
        if (named == childrenByName.end())
            continue;
        for (Node *child : named->second) {
            EText *taken = claim(text);
            taken->applySceneNode(child);
            scene->texts.push_back(taken);
            const ChildRules *childRules = rules.child(child);
            scenePlaced.textConditions.push_back(childRules ? &childRules->active : nullptr);
        }
    }
}

EText *Game::freeText(const char *textId)
{
    if (!textId)
        return nullptr;
    const auto known = freeTexts.find(textId);
    if (known != freeTexts.end())
        return known->second;
    EText *claimed = nullptr;
    for (EText *text : textCatalogue)
        if (idEquals(text->id, textId))
            claimed = claim(text);
    freeTexts.emplace(textId, claimed);
    return claimed;
}

void Game::show(EText *text)
{
    if (!text || text->visible)
        return;
    scene->texts.push_back(text);
    text->visible = true;
    tell(TraceEvent::textShown, text->id);
    speak(text);
    playVoice(text->id);
}

bool Game::isActive(std::size_t index) const
{
    if (activityScene != built || activityVersion != state.version() || activity.size() != built->sprites.size()) {
        activity.resize(built->sprites.size());
        for (std::size_t i = 0; i < activity.size(); ++i) {
            const ChildRules *childRules = built->sprites[i].rules;
            activity[i] = !childRules || state.holds(childRules->active);
        }
        activityScene = built;
        activityVersion = state.version();
    }
    return activity[index] != 0;
}
