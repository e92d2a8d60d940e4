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
#include "elements/TextBox.h"

#include <cstring>

namespace {

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
    try {
        startPlaying(std::move(shared), sceneId);
    } catch (...) {
        // A broken image of a later room is reported before the fault that
        // stopped the start, as it would have been had it come first.
        takeLaterImages();
        throw;
    }
}

void Game::startPlaying(std::shared_ptr<const GameDocument> shared, std::optional<int> sceneId)
{
    load(std::move(shared));
    chooseLanguage();
    loadAssets();
    loadRules();
    if (sceneId && !findScene(*sceneId))
        throw StartupError("no scene has sceneId " + std::to_string(*sceneId) + " (asked for by --scene)",
                           elementPosition(getChild(root, "scenes")));
    if (startFromSave())
        return;
    activateScene(sceneId.value_or(currentSceneId));
    startFade(Fade::Kind::in, stage.scene(sceneNode).fadeIn, false);
    fade.held = true;
    // The scene played first counts as entered, for the first time: its
    // text shows in frame 0, and a goal that already holds is reached there.
    show(built->firstEnterText ? built->firstEnterText : built->enterText);
    checkGoal();
    if (const SequenceRules *first = sequences.find(sequences.startSequence))
        script.queued.push_back(first);
    enterSequenceOf(true);
    runSequences();
}

void Game::release()
{
    if (!document && !source)
        return;
    // A game that ends before its first frame still reports its later rooms' images.
    takeLaterImages();
    stopAudio();
    // The elements point into the document and into each other: they go
    // first, then the record, which destroys the tree before its text.
    resetCatalogue();
    static_cast<LoadedGame &>(*this) = LoadedGame();
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
    languages = readLanguages(root);
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
    std::vector<std::string> files = assetsNode ? assetFiles(assetsNode) : std::vector<std::string>();
    // A translation and its font travel with the game and reload it when saved.
    for (const LanguageDeclaration &offered : languages.languages) {
        files.push_back(offered.src);
        if (!offered.font.empty())
            files.push_back(offered.font);
    }
    return files;
}

void Game::takeLaterImages()
{
    if (!gameResources().takeLaterImages())
        return;
    for (ESprite *sprite : sprites)
        sprite->takeLaterImage();
}

void Game::takeDecodedLaterImages()
{
    if (gameResources().laterImagesDecoded())
        takeLaterImages();
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
    // What loading the texts refuses, without building them.
    for (Node *text = assetsNode->first_node("text"); text; text = text->next_sibling("text"))
        if (hasAttribute(text, "id"))
            TextBox::read(text);
    rules.read(root);
    pointerRules.read(root);
    dialogs.read(root, rules);
    sequences.read(root, rules);
    interaction.read(root, rules);
    stage.read(root);
    warnOfMissingScenes();
    requireScene(currentSceneId);
}

void Game::loadRules()
{
    rules.read(root);
    pointerRules.read(root);
    dialogs.read(root, rules);
    sequences.read(root, rules);
    interaction.read(root, rules);
    stage.read(root);
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
    static_cast<PlayMoment &>(moment) = *this;
    moment.sceneId = currentSceneId;
    moment.shownTexts.assign(scene->texts.begin() + static_cast<std::ptrdiff_t>(built->textConditions.size()),
                             scene->texts.end());
    moment.motion = motion();
    return moment;
}

void Game::restore(const Snapshot &moment)
{
    restoreBesidesState(moment);
    state = moment.state;
}

void Game::restoreBesidesState(const Snapshot &moment)
{
    leaveScene();
    static_cast<PlayMoment &>(*this) = moment;
    // The state's change count may go back too: what was worked out from a
    // later state under the same count must be worked out again.
    activityScene = nullptr;
    currentSceneId = moment.sceneId;
    built = &builtScenes.at(sceneNode);
    scene = built->scene;
    for (EText *text : moment.shownTexts) {
        scene->texts.push_back(text);
        text->visible = true;
    }
    setMotion(moment.motion);
}

void Game::stopAudio()
{
    if (languageRun.voice)
        languageRun.voice->stop();
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
    return renderDiagnostic(error.elsewhere() ? error.elsewhere()->file : fileName, diagnose(error));
}

Diagnostic Game::diagnose(const StartupError &error) const
{
    if (const std::optional<FilePlace> &place = error.elsewhere())
        return {Severity::error, place->line, place->column, "startup", error.what()};
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
