#include "core/Game.h"

#include "core/assets/Resources.h"
#include "core/text/Lists.h"
#include "core/text/StartupError.h"
#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

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
    const char *text = getAttribute(root, name);
    const int value = readInt(text);
    if (value < 1 || value > Game::maxWindowSize)
        throw StartupError(std::string("\"") + name + "\" is " + std::to_string(value) +
                               ", but a window can only be 1 to " + std::to_string(Game::maxWindowSize) + " pixels " +
                               (std::strcmp(name, "width") == 0 ? "wide" : "high"),
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
    load(name, shownAs);
    loadAssets();
    if (sceneId && !findScene(*sceneId))
        throw StartupError("no scene has sceneId " + std::to_string(*sceneId) + " (asked for by --scene)",
                           elementPosition(getChild(root, "scenes")));
    activateScene(sceneId.value_or(currentSceneId));
}

void Game::release()
{
    if (!document && !source)
        return;
    stopAudio();
    sprites.clear();
    spritesById.clear();
    scene = nullptr;
    player = nullptr;
    sceneNode = nullptr;
    assetsNode = nullptr;
    root = nullptr;
    resetCatalogue();
    delete document;
    document = nullptr;
    found.reset();
    source.reset();
}

void Game::load(const char *name, const std::string &shownAs)
{
    fileName = shownAs.empty() ? name : shownAs;
    source = std::make_unique<Source>(name, fileName);
    found = std::make_unique<Diagnostics>(*source, echo);
    diagnostics = found.get();
    gameResources().findings = diagnostics;
    source->checkShape();
    document = new rapidxml::xml_document<char>();
    try {
        document->parse<rapidxml::parse_default>(source->text());
    } catch (const rapidxml::parse_error &error) {
        throw StartupError(std::string("malformed XML: ") + error.what(), error.where<char>());
    }
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
    std::vector<std::string> files;
    if (!assetsNode)
        return files;
    for (Node *child = assetsNode->first_node(); child; child = child->next_sibling())
        if (const Attribute *src = isElement(child) ? hasAttribute(child, "src") : nullptr)
            files.push_back(assetPath + src->value());
    return files;
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
    requireScene(currentSceneId);
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
    sceneNode = requireScene(sceneId);
    scene = newElement<EScene>(sceneNode);
    if (scene->music)
        tell(TraceEvent::music, scene->music->id);
    spritesById.clear();
    for (ESprite *sprite : sprites)
        if (sprite->id)
            spritesById[sprite->id].push_back(sprite);
    // The last child is placed first, so the first child ends up drawn on top.
    if (sceneNode->first_node()) {
        for (Node *child = sceneNode->last_node(); child; child = child->previous_sibling()) {
            if (!isElement(child))
                continue;
            if (named(child, "player"))
                placePlayer(child);
            else
                placeSprite(child);
        }
    }
    placeTexts(sceneNode);
}

void Game::placePlayer(Node *child)
{
    if (!player) {
        warn(elementPosition(child), "player", "the scene places <player>, but the assets declare no player");
        return;
    }
    player->levelLimits = scene->levelLimits;
    player->walkArea = scene->walkArea ? &*scene->walkArea : nullptr;
    scene->sprites.push_back(player->sprite);
    player->applySceneNode(child);
}

void Game::placeSprite(Node *child)
{
    const auto named = spritesById.find(child->name());
    if (named == spritesById.end())
        return;
    for (ESprite *sprite : named->second) {
        ESprite *taken = sprite;
        if (sprite->placed)
            taken = newElement<ESprite>(sprite->node);
        else
            sprite->placed = true;
        taken->applySceneNode(child);
        scene->sprites.push_back(taken);
        if (taken->loop)
            scene->animated.push_back(taken);
    }
}

void Game::placeTexts(Node *sceneElement)
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
            EText *taken = text;
            if (text->placed)
                taken = newElement<EText>(text->node);
            else
                text->placed = true;
            taken->applySceneNode(child);
            scene->texts.push_back(taken);
        }
    }
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
    if (!player->walking)
        tell(TraceEvent::arrived, player->sprite->position);
    else if (player->sprite->position != before)
        tell(TraceEvent::player, player->sprite->position);
}

void Game::press(sf::Vector2f point)
{
    tell(TraceEvent::click, point);
    if (player) {
        player->setTarget(point.x, point.y);
        tell(TraceEvent::walk, player->target);
        if (trace && player->walkArea)
            trace->recordPath(player->route.points());
        tellTurns();
    }
    clickAt(point);
}

void Game::clickAt(sf::Vector2f point)
{
    bool dismissed = false;
    if (!scene->texts.empty() && scene->texts.back()->visible) {
        scene->texts.back()->visible = false;
        tell(TraceEvent::textDismissed, scene->texts.back()->id);
        scene->texts.pop_back();
        dismissed = true;
    }
    for (ESprite *sprite : scene->sprites) {
        if (!sprite->contains(point))
            continue;
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
    }
}

void Game::draw()
{
    for (ESprite *sprite : scene->sprites)
        window->draw(*sprite->drawable, sf::RenderStates::Default);
    for (EText *text : scene->texts)
        window->draw(text->drawable, sf::RenderStates::Default);
}

void Game::stopAudio()
{
    for (EAudio *audio : audioCatalogue)
        audio->stop();
    if (!scene)
        return;
    for (ESprite *sprite : scene->sprites)
        if (sprite->clickAudio)
            sprite->clickAudio->stop();
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
