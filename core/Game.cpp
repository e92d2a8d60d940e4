#include "core/Game.h"

#include "core/assets/Resources.h"
#include "core/text/Format.h"
#include "core/text/Lists.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Sprite.hpp>

#include <cstring>

namespace {

bool isElement(const Node *node)
{
    return node->type() == rapidxml::node_element;
}

bool named(const Node *node, const char *name)
{
    return std::strcmp(node->name(), name) == 0;
}

// A window dimension read from the root, refused when no window can have it.
int windowDimension(Node *root, const char *name)
{
    // Windows outside the range are refused rather than handed to the window system.
    const AttributeFormat &range = *findAttribute(formatOf("root"), name);
    const char *text = getAttribute(root, name);
    const int value = readInt(text);
    if (!inRange(range, value))
        throw StartupError(std::string("\"") + name + "\" is " + std::to_string(value) + ", but a window can only be " +
                               rangeText(range) + " pixels " + (std::strcmp(name, "width") == 0 ? "wide" : "high"),
                           text);
    return value;
}

} // namespace

Game::~Game()
{
    release();
}

void Game::start(const char *name, std::optional<int> sceneId, const std::string &shownAs)
{
    start(GameDocument::read(name, shownAs), sceneId);
}

void Game::start(std::shared_ptr<const GameDocument> shared, std::optional<int> sceneId)
{
    load(std::move(shared));
    loadAssets();
    loadRules();
    if (sceneId && !findScene(*sceneId))
        throw StartupError("no scene has sceneId " + std::to_string(*sceneId) + " (asked for by --scene)",
                           elementPosition(getChild(root, "scenes")));
    if (!startFromSave())
        activateScene(sceneId.value_or(currentSceneId));
}

void Game::release()
{
    if (!document && !source)
        return;
    stopAudio();
    sprites.clear();
    spritesById.clear();
    builtScenes.clear();
    built = nullptr;
    freeTexts.clear();
    icons.clear();
    playingMusic = nullptr;
    waitingExit.reset();
    committedExit.reset();
    pointerAt.reset();
    hoveredSprite.reset();
    hoveredItem.reset();
    hoveredScene = nullptr;
    focused.reset();
    revealed = false;
    pointerRules = PointerRules();
    quickLoadAsked = quickSaveAsked = autoSaveAsked = false;
    activity.clear();
    activityScene = nullptr;
    state = GameState();
    rules = GameRules();
    scene = nullptr;
    player = nullptr;
    sceneNode = nullptr;
    assetsNode = nullptr;
    root = nullptr;
    resetCatalogue();
    document = nullptr;
    found.reset();
    source.reset();
}

void Game::load(const char *name, const std::string &shownAs)
{
    load(GameDocument::read(name, shownAs));
}

void Game::load(std::shared_ptr<const GameDocument> shared)
{
    // A loaded game's elements point into its document: both go before the
    // next document replaces it.
    release();
    fileName = shared->name();
    source = std::move(shared);
    if (source->source()) {
        found = std::make_unique<Diagnostics>(*source->source(), echo);
        diagnostics = found.get();
        gameResources().findings = diagnostics;
    }
    // Throws what reading or parsing the document met, as met here.
    document = &source->parsed();
    root = document->first_node();
    if (!root)
        throw StartupError("the document has no root element", nullptr);
    assetsNode = getChild(root, "assets");
    if (!assetsNode)
        throw StartupError(std::string("<") + root->name() + "> has no <assets> element", elementPosition(root));
    if (!getChild(root, "scenes"))
        throw StartupError(std::string("<") + root->name() + "> has no <scenes> element", elementPosition(root));
    requireAttributes(root, "root");
    currentSceneId = readInt(getAttribute(root, "entryScene"));
    applyWindowSettings();
    checkStrictValues(root);
}

void Game::applyWindowSettings()
{
    windowWidth = windowDimension(root, "width");
    windowHeight = windowDimension(root, "height");
    const char *title = getAttribute(root, "title");
    const char *fps = getAttribute(root, "fps");
    frameRateLimit = readInt(fps);
    if (frameRateLimit == -1) {
        warn(fps, "no-limit", "\"fps\" is -1; the game plays without a frame-rate limit, as with 0");
        frameRateLimit = 0;
    }
    if (frameRateLimit < 0)
        throw StartupError("\"fps\" is " + std::to_string(frameRateLimit) + ", but it must be 0 (no limit) or more",
                           fps);
    const char *titleEnd = title + std::strlen(title);
    const char *shownEnd = utf8Prefix(title, titleEnd, maxTitleCharacters);
    if (shownEnd != titleEnd)
        warn(title, "long-title",
             "the title is longer than " + std::to_string(maxTitleCharacters) +
                 " characters; the window shows only the first " + std::to_string(maxTitleCharacters));
    windowTitle = sf::String::fromUtf8(title, shownEnd);
    // The checker loads without a window: the settings are judged, not applied.
    if (window)
        applyToWindow();
}

void Game::applyToWindow()
{
    window->setSize(sf::Vector2u(static_cast<unsigned>(windowWidth), static_cast<unsigned>(windowHeight)));
    window->setTitle(windowTitle);
}

void Game::loadAssets()
{
    requireAttributes(assetsNode, "assets");
    assetPath = assetPathOf(assetsNode);
    for (Node *child = assetsNode->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child))
            continue;
        if (named(child, "sprite") && hasId(child))
            sprites.push_back(newElement<ESprite>(child));
        else if (named(child, "audio") && hasId(child))
            audioCatalogue.push_back(newElement<EAudio>(child));
        else if (named(child, "text") && hasId(child))
            textCatalogue.push_back(newElement<EText>(child));
        else if (named(child, "player"))
            player = newElement<EPlayer>(child);
    }
}

bool Game::hasId(Node *assetNode) const
{
    if (hasAttribute(assetNode, "id"))
        return true;
    warn(elementPosition(assetNode), "missing-id",
         std::string("<") + assetNode->name() +
             "> has no \"id\" attribute; it is skipped, since nothing could refer to it");
    return false;
}

std::vector<std::string> Game::namedFiles() const
{
    return assetsNode ? assetFiles(assetsNode) : std::vector<std::string>();
}

Node *Game::findScene(int sceneId)
{
    Node *scenes = getChild(root, "scenes");
    for (Node *candidate = scenes->first_node(); candidate; candidate = candidate->next_sibling())
        if (isElement(candidate)) {
            requireAttributes(candidate, "scene");
            if (readInt(getAttribute(candidate, "sceneId")) == sceneId)
                return candidate;
        }
    return nullptr;
}

void Game::checkStartup()
{
    requireAttributes(assetsNode, "assets");
    rules.read(root);
    pointerRules.read(root);
    warnOfMissingScenes();
    requireScene(currentSceneId);
}

void Game::loadRules()
{
    rules.read(root);
    pointerRules.read(root);
    warnOfMissingScenes();
    for (const FlagDeclaration &flag : rules.flags)
        if (flag.set)
            state.flags.emplace(flag.id);
    for (const ItemDeclaration &item : rules.items) {
        if (item.held && !state.holdsItem(item.id))
            state.inventory.emplace_back(item.id);
        if (!item.icon)
            continue;
        for (ESprite *sprite : sprites)
            if (idEquals(sprite->id, item.icon))
                icons.emplace(item.id, sprite->texture);
        if (!icons.count(item.id))
            warn(item.icon, "unknown-reference",
                 "the icon \"" + std::string(item.icon) + "\" names no sprite; the item shows nothing on the bar");
    }
}

void Game::warnOfMissingScenes()
{
    for (const auto &[sceneId, where] : rules.namedScenes())
        if (!findScene(sceneId))
            warn(where, "unknown-reference",
                 "no scene has sceneId " + std::to_string(sceneId) + "; this door or entrance is never used");
}

Node *Game::requireScene(int sceneId)
{
    Node *match = findScene(sceneId);
    if (!match)
        throw StartupError("no scene has sceneId " + std::to_string(sceneId),
                           elementPosition(getChild(root, "scenes")));
    return match;
}

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
}

Game::BuiltScene &Game::build(Node *sceneElement, std::optional<int> from)
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

// Comes before the events, so a target set in one frame is first walked
// towards in the next.
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

void Game::key(std::string_view name)
{
    if (pointerRules.keyboardPlay)
        playKey(name);
    // A game without a saveName has no use for these keys.
    if (!rules.saveName)
        return;
    if (name == "F5")
        quickSaveAsked = true;
    else if (name == "F9")
        quickLoadAsked = true;
}

void Game::close()
{
    autoSaveAsked = rules.saveName.has_value();
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

void Game::clickAt(sf::Vector2f point)
{
    const std::optional<std::string> item = state.selected;
    bool dismissed = false;
    if (!scene->texts.empty() && scene->texts.back()->visible) {
        scene->texts.back()->visible = false;
        tell(TraceEvent::textDismissed, scene->texts.back()->id);
        scene->texts.pop_back();
        dismissed = true;
    }
    // Every condition of the click reads the state as the click began: the
    // effects wait until every sprite under the point has had its turn.
    std::vector<const ActionRules *> counted;
    ran.clear();
    bool used = false;
    for (std::size_t i = 0; i < scene->sprites.size(); ++i) {
        ESprite *sprite = scene->sprites[i];
        if (!sprite->contains(point))
            continue;
        // Only the sprites under the point are asked, not the whole scene.
        const PlacedSprite &placed = built->sprites[i];
        if (placed.rules && !state.holds(placed.rules->active))
            continue;
        if (!item) {
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
            if (!dismissed && placed.rules) {
                counted.push_back(&placed.rules->action);
                ran.push_back(sprite->sceneChild);
            }
            continue;
        }
        if (dismissed)
            continue;
        for (const PlacedUse &use : placed.uses) {
            if ((use.rules->item != *item && use.rules->item != "*") || !state.holds(use.rules->condition))
                continue;
            used = true;
            tell(TraceEvent::use, {{"item", *item}, {"target", std::string(sprite->id ? sprite->id : "")}});
            if (use.audio) {
                use.audio->playSound();
                tell(TraceEvent::sound, use.audio->id);
            }
            show(use.text);
            counted.push_back(&use.rules->action);
            ran.push_back(use.rules->node);
            break;
        }
    }
    if (item && !dismissed && !used) {
        tell(TraceEvent::unhandledUse, {{"item", *item}});
        show(freeText(rules.unhandledUseText));
    }
    for (const ActionRules *action : counted)
        applyEffects(action->effects);
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
    checkGoal();
}

Game::Motion Game::motion() const
{
    Motion now;
    if (player) {
        now.at = player->sprite->drawable->getPosition();
        now.position = player->sprite->position;
        now.target = player->target;
        now.direction = player->direction;
        now.speed = player->speed;
        now.walking = player->walking;
        now.limits = player->levelLimits;
        now.area = player->walkArea;
        now.route = player->route;
        now.facing = player->facing;
    }
    return now;
}

void Game::setMotion(const Motion &motion)
{
    if (!player)
        return;
    player->sprite->setPosition(motion.at.x, motion.at.y);
    player->sprite->position = motion.position;
    player->target = motion.target;
    player->direction = motion.direction;
    player->speed = motion.speed;
    player->walking = motion.walking;
    player->levelLimits = motion.limits;
    player->walkArea = motion.area;
    player->route = motion.route;
    player->facing = motion.facing;
}

Game::Snapshot Game::snapshot() const
{
    Snapshot moment = snapshotBesidesState();
    moment.state = state;
    return moment;
}

Game::Snapshot Game::snapshotBesidesState() const
{
    Snapshot moment;
    moment.sceneNode = sceneNode;
    moment.sceneId = currentSceneId;
    moment.shownTexts.assign(scene->texts.begin() + static_cast<std::ptrdiff_t>(built->textConditions.size()),
                             scene->texts.end());
    moment.waitingExit = waitingExit;
    moment.committedExit = committedExit;
    moment.playingMusic = playingMusic;
    moment.motion = motion();
    return moment;
}

void Game::restore(const Snapshot &moment)
{
    while (scene->texts.size() > built->textConditions.size()) {
        scene->texts.back()->visible = false;
        scene->texts.pop_back();
    }
    state = moment.state;
    // The state's change count goes back too: what was worked out from a
    // later state under the same count must be worked out again.
    activityScene = nullptr;
    sceneNode = moment.sceneNode;
    currentSceneId = moment.sceneId;
    built = &builtScenes.at(sceneNode);
    scene = built->scene;
    for (EText *text : moment.shownTexts) {
        scene->texts.push_back(text);
        text->visible = true;
    }
    waitingExit = moment.waitingExit;
    committedExit = moment.committedExit;
    playingMusic = moment.playingMusic;
    setMotion(moment.motion);
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

void Game::transition()
{
    // A load that is performed wins over the frame's scene change.
    if (quickLoadAsked) {
        quickLoadAsked = false;
        if (loadSave(saveFolder() + "/quick.json", "quick"))
            committedExit.reset();
    }
    if (committedExit) {
        const int next = *committedExit;
        committedExit.reset();
        changeScene(next);
    }
    updateHover();
    if (quickSaveAsked)
        writeSave("quick");
    if (autoSaveAsked)
        writeSave("auto");
    quickSaveAsked = autoSaveAsked = false;
}

void Game::changeScene(int sceneId)
{
    Node *next = findScene(sceneId);
    if (!next)
        return;
    const int from = currentSceneId;
    tell(TraceEvent::sceneLeave, {{"scene", std::int64_t{from}}});
    // What was shown over the scene left goes with it; its own texts stay for the next visit.
    while (scene->texts.size() > built->textConditions.size()) {
        scene->texts.back()->visible = false;
        scene->texts.pop_back();
    }
    waitingExit.reset();
    setFocus(std::nullopt);
    if (player)
        player->walking = false;
    const bool first = state.visited.count(sceneId) == 0;
    enter(next, from);
    currentSceneId = sceneId;
    state.visited.insert(sceneId);
    state.touch();
    tell(TraceEvent::sceneEnter, {{"scene", std::int64_t{sceneId}}, {"from", std::int64_t{from}}, {"first", first}});
    show(first && built->firstEnterText ? built->firstEnterText : built->enterText);
    checkGoal();
}

void Game::draw()
{
    for (std::size_t i = 0; i < scene->sprites.size(); ++i)
        if (isActive(i))
            window->draw(*scene->sprites[i]->drawable, sf::RenderStates::Default);
    for (std::size_t i = 0; i < scene->texts.size(); ++i) {
        const Condition *condition = i < built->textConditions.size() ? built->textConditions[i] : nullptr;
        if (!condition || state.holds(*condition))
            window->draw(scene->texts[i]->drawable, sf::RenderStates::Default);
    }
    drawInventory();
    drawPointerShows();
}

void Game::drawInventory()
{
    if (!rules.inventory)
        return;
    const InventoryBar &bar = *rules.inventory;
    for (std::size_t slot = 0; slot < state.inventory.size(); ++slot) {
        const sf::Vector2f corner = bar.slotCorner(slot);
        const auto icon = icons.find(state.inventory[slot]);
        if (icon != icons.end() && icon->second) {
            sf::Sprite picture(*icon->second);
            picture.setPosition(corner);
            window->draw(picture);
        }
        if (state.selected == state.inventory[slot]) {
            constexpr float width = 2.f;
            sf::RectangleShape outline(bar.slotSize - sf::Vector2f(2 * width, 2 * width));
            outline.setPosition(corner + sf::Vector2f(width, width));
            outline.setFillColor(sf::Color::Transparent);
            outline.setOutlineColor(sf::Color(255, 255, 0));
            outline.setOutlineThickness(width);
            window->draw(outline);
        }
    }
}

void Game::stopAudio()
{
    for (EAudio *audio : audioCatalogue)
        audio->stop();
    for (const auto &entry : builtScenes) {
        for (ESprite *sprite : entry.second.scene->sprites)
            if (sprite->clickAudio)
                sprite->clickAudio->stop();
        for (const PlacedSprite &placed : entry.second.sprites)
            for (const PlacedUse &use : placed.uses)
                if (use.audio)
                    use.audio->stop();
    }
}

std::string Game::describe(const StartupError &error) const
{
    return renderDiagnostic(fileName, diagnose(error));
}

Diagnostic Game::diagnose(const StartupError &error) const
{
    const auto [line, column] = position(error.where());
    return {Severity::error, line, column, "startup", error.what()};
}

std::pair<std::size_t, std::size_t> Game::position(const char *where) const
{
    return source ? source->position(where) : std::pair<std::size_t, std::size_t>(1, 1);
}

const std::vector<Diagnostic> &Game::warnings() const
{
    static const std::vector<Diagnostic> none;
    return found ? found->all() : none;
}

void Game::warn(const char *where, const char *code, const std::string &message) const
{
    found->report(Severity::warning, where, code, message);
}

void Game::tell(TraceEvent event, const char *id) const
{
    if (trace)
        trace->record(event, id ? id : "");
}

void Game::tellTurns() const
{
    for (const Facing facing : player->turns)
        if (trace)
            trace->recordFacing(facingWords()[static_cast<std::size_t>(facing)]);
    player->turns.clear();
}

void Game::tell(TraceEvent event, sf::Vector2f point) const
{
    if (trace)
        trace->record(event, point);
}

void Game::tell(TraceEvent event, const std::vector<TraceField> &fields) const
{
    if (trace)
        trace->record(event, fields);
}
