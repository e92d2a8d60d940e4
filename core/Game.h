#pragma once

#include "core/Trace.h"
#include "core/rooms/GameRules.h"
#include "core/state/GameState.h"
#include "core/state/SaveFile.h"
#include "core/state/SaveSettings.h"
#include "core/text/Diagnostics.h"
#include "core/text/Document.h"
#include "core/text/GameDocument.h"
#include "core/ui/PointerRules.h"
#include "elements/EPlayer.h"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Vector2.hpp>

#include <array>
#include <cstddef>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

class EAudio;
class EPlayer;
class EScene;
class ESprite;
class EText;
class StartupError;

// The engine: reads the game document, builds the asset catalogue, activates
// the entry scene, and then dispatches clicks and draws every frame. Every
// element and everything the elements hold belong to the loaded game and go
// together when it is released, since elements keep pointers into the
// document and into each other; the game holds its share of the document
// until then. The window belongs to the entry point.
class Game {
public:
    // The window system refuses a title property of more than some megabytes
    // with an error that ends the process; no title bar shows this much.
    static constexpr std::size_t maxTitleCharacters = 4096;

    const rapidxml::xml_document<char> *document = nullptr;
    Node *root = nullptr;
    Node *sceneNode = nullptr;
    Node *assetsNode = nullptr;
    // Null loads the document without applying its window settings.
    sf::RenderWindow *window = nullptr;
    std::vector<ESprite *> sprites;
    // The scene in play; each scene is built the first time it is entered
    // and kept for the next time.
    EScene *scene = nullptr;
    EPlayer *player = nullptr;
    // What the game remembers, and what the document says changes it.
    GameState state;
    GameRules rules;
    // What the pointer and the keyboard show and do.
    PointerRules pointerRules;

    // Where warnings are echoed as they are found; null keeps them in
    // `diagnostics()` only. Set before loading.
    std::ostream *echo = &std::cerr;
    // Told what happens as the game plays (music, click sounds and texts);
    // null tells no one. Set before starting, for the music to be told.
    TraceSink *trace = nullptr;
    // Where a game with a saveName saves, and whether it starts from a save.
    SaveSettings saves;

    Game() = default;
    Game(const Game &) = delete;
    Game &operator=(const Game &) = delete;
    ~Game();

    // The whole start-up sequence: load `fileName`, build the catalogue and
    // activate the entry scene, or `sceneId` when one is given. Throws
    // StartupError for a document it cannot play.
    void start(const char *fileName, std::optional<int> sceneId = std::nullopt, const std::string &shownAs = "");
    // The same on a document read already (see GameDocument).
    void start(std::shared_ptr<const GameDocument> document, std::optional<int> sceneId = std::nullopt);

    // Start-up, in this order. Each throws StartupError for a document it
    // cannot play. Messages name the document `shownAs`, or `fileName`.
    void load(const char *fileName, const std::string &shownAs = "");
    void load(std::shared_ptr<const GameDocument> document);
    void loadAssets();
    // Reads the document's state, inventory, conditions, effects and doors,
    // and sets the state as the game starts.
    void loadRules();
    // Enters `sceneId` as the game starts in it: nothing was left, the
    // player is placed by the scene's children.
    void activateScene(int sceneId);
    // What loadAssets() and activating the entry scene refuse, checked
    // without building an element, in the order start() meets it. Throws
    // StartupError as they do. For the checker, which needs no window.
    void checkStartup();

    // Gives back everything the loaded game holds (elements, textures, fonts,
    // sounds, music, the document) and puts the catalogue globals back, so
    // another game can be loaded. The window stays.
    void release();

    Node *findScene(int sceneId);
    // The scene with `sceneId`; throws StartupError when there is none.
    Node *requireScene(int sceneId);

    // Gives the window the loaded game's size and title again (after another
    // game was tried in it); the frame loop paces itself to frameRateLimit.
    void applyToWindow();
    const sf::String &title() const { return windowTitle; }
    // Every file the assets name, after the asset path rules, relative to the
    // game's folder; known once the document is loaded.
    std::vector<std::string> namedFiles() const;

    // The rules of one frame, in the order the frame loop calls them: step()
    // first (the player walks on), then press() for each press of the frame,
    // in the order they came. These and the loading above are the only
    // places that tell the trace what happened.
    void step();
    // A press of a mouse button at a world point: the player is sent there,
    // then the point is clicked.
    void press(sf::Vector2f point);
    // A key pressed in the frame's event phase, by its name in replay
    // scripts ("F5", "Tab", ...); keys the game has no use for do nothing.
    void key(std::string_view name);
    // A mouse move to a world point; what it hovers is worked out after the transition.
    void movePointer(sf::Vector2f point) { pointerAt = point; }
    // The last world point of a move or a press; none before the first.
    std::optional<sf::Vector2f> pointer() const { return pointerAt; }
    // The picture drawn centred on the pointer in place of the system
    // cursor; no texture keeps the system cursor.
    struct CursorImage {
        const sf::Texture *texture = nullptr;
        sf::IntRect cell;
    };
    CursorImage cursor() const;
    // The window closes in this frame: a game with a saveName saves to its
    // auto slot after the frame's transition.
    void close();
    // The click part of a press alone: dismissal, hooks, uses, effects, doors.
    void clickAt(sf::Vector2f point);
    // Performs the scene change a press or the walk to a door committed in
    // this frame; the frame loop calls it after the frame's presses. A load
    // asked for in the frame is performed instead. Then works out what is
    // hovered, and writes the saves asked for, from the state as it then is.
    void transition();
    void draw();

    // A save read and checked against this game as loading checks it: the
    // data, or why it is refused; `dropped` gets a sentence for each flag and
    // item the game no longer knows.
    std::variant<SaveData, SaveProblem> checkSave(const std::string &path, std::vector<std::string> &dropped);
    // The folder of this game's saves; empty when the game does not save.
    std::string saveFolder() const;

    // Whether the sprite at `index` of the scene's list is drawn and hit:
    // its condition holds.
    bool isActive(std::size_t index) const;
    // A door that waits for the walk to it to end, if any.
    std::optional<int> pendingExit() const { return waitingExit; }
    // The scene children and <use>s whose click counted in the last press
    // (their effects ran), in list order: what explains a press to tools.
    const std::vector<Node *> &lastRan() const { return ran; }

    // Where the player is and how it walks: the part of a moment that a walk
    // changes, so that a tool can replay the end of a walk it has seen.
    struct Motion {
        // Where the player is drawn, and the whole-number position it walks from.
        sf::Vector2f at;
        sf::Vector2f position;
        sf::Vector2f target;
        sf::Vector2f direction;
        int speed = 0;
        bool walking = false;
        std::array<int, 4> limits{};
        const WalkArea *area = nullptr;
        Route route;
        Facing facing = Facing::down;
    };
    // Without a player, a default motion that setMotion ignores.
    Motion motion() const;
    void setMotion(const Motion &motion);

    // Everything play changes, so that a tool (the solver) can go back to a
    // moment and try another press from there. It points into the loaded
    // game and holds only while that game is loaded; the scene must have been
    // entered already, as it was when the snapshot was taken.
    struct Snapshot {
        GameState state;
        Node *sceneNode = nullptr;
        int sceneId = 0;
        // The texts shown over the scene's own, oldest first.
        std::vector<EText *> shownTexts;
        std::optional<int> waitingExit;
        std::optional<int> committedExit;
        EAudio *playingMusic = nullptr;
        Motion motion;
    };
    Snapshot snapshot() const;
    // A snapshot with a default state: what a tool that keeps the state its
    // own way takes, without copying the state.
    Snapshot snapshotBesidesState() const;
    void restore(const Snapshot &moment);

    // Stops every sound and music of the scene and the catalogue, so that the
    // audio library's threads are idle when the program ends.
    void stopAudio();

    // "game.xml:LINE:COLUMN: error: MESSAGE" for a start-up failure.
    std::string describe(const StartupError &error) const;
    // The start-up failure as a finding, located as describe() locates it.
    Diagnostic diagnose(const StartupError &error) const;
    // 1-based line and column of a pointer into the document's text; (1, 1)
    // for null or when no document is loaded.
    std::pair<std::size_t, std::size_t> position(const char *where) const;
    // Everything loading found so far, in the order found.
    const std::vector<Diagnostic> &warnings() const;
    // The document's name in messages.
    const std::string &documentName() const { return fileName; }

private:
    // The click hooks of a <use>, claimed when its scene is built.
    struct PlacedUse {
        const UseRules *rules = nullptr;
        EAudio *audio = nullptr;
        EText *text = nullptr;
    };
    // A scene's sprite list with the rules of the child that placed each.
    struct PlacedSprite {
        const ChildRules *rules = nullptr;
        std::vector<PlacedUse> uses;
    };
    struct BuiltScene {
        EScene *scene = nullptr;
        std::vector<PlacedSprite> sprites;
        // The scene's own texts come first in its text list; each may have a condition.
        std::vector<const Condition *> textConditions;
        bool placesPlayer = false;
        EText *enterText = nullptr;
        EText *firstEnterText = nullptr;
        // Whether each sprite has a hook, and its bounds, worked out when
        // first asked: only the player moves once a scene is built.
        std::vector<char> hooked;
        std::vector<sf::FloatRect> bounds;
    };

    void applyWindowSettings();
    BuiltScene &build(Node *sceneElement, std::optional<int> from);
    void placePlayer(Node *child, BuiltScene &built, bool applied);
    void placeSprite(Node *child, BuiltScene &built);
    void placeTexts(Node *sceneElement, BuiltScene &built);
    void placeUses(ESprite *sprite, PlacedSprite &placed);
    // The player child that places the player when entering from `from`:
    // the first naming it, else null for the children without "fromScene".
    Node *entrance(Node *sceneElement, std::optional<int> from) const;
    void replacePlayer(Node *sceneElement, std::optional<int> from);
    void enter(Node *sceneElement, std::optional<int> from);
    void changeScene(int sceneId);
    void pressAt(sf::Vector2f point);
    // Saves and loads, in GameSaves.cpp.
    bool startFromSave();
    bool loadSave(const std::string &path, const std::string &slot);
    void applySave(const SaveData &data, const std::string &slot);
    void writeSave(const std::string &slot);
    void sayAboutSave(const std::string &path, const SaveProblem &problem) const;
    bool pressInventory(sf::Vector2f point);
    // Keyboard play and what the pointer shows (GamePointer.cpp).
    bool interactive(std::size_t index);
    void learnHooks();
    sf::FloatRect boundsOf(std::size_t index) const;
    void playKey(std::string_view name);
    void moveFocus(bool forwards);
    void setFocus(std::optional<std::size_t> index);
    void updateHover();
    void drawPointerShows();
    void outline(const sf::FloatRect &bounds);
    void drawLabel(const char *textId);
    CursorImage spriteImage(const char *spriteId) const;
    void show(EText *text);
    EText *freeText(const char *textId);
    void applyEffects(const Effects &effects);
    void endSelection();
    void checkGoal();
    void warnOfMissingScenes();
    void drawInventory();
    bool hasId(Node *assetNode) const;
    void warn(const char *where, const char *code, const std::string &message) const;
    void tell(TraceEvent event, const char *id) const;
    void tell(TraceEvent event, sf::Vector2f point) const;
    void tell(TraceEvent event, const std::vector<TraceField> &fields) const;
    // The player's turns since the last call, each as a facing event.
    void tellTurns() const;
    // Sends the player walking to `point`, as a press or a door's walkTo does.
    void sendPlayer(sf::Vector2f point);

    // The catalogue's sprites by id, in catalogue order, rebuilt by each
    // activation: looking every scene child up here keeps placement linear in
    // the scene's size, where a search of the catalogue per child is quadratic.
    std::unordered_map<std::string_view, std::vector<ESprite *>> spritesById;
    std::unordered_map<const Node *, BuiltScene> builtScenes;
    BuiltScene *built = nullptr;
    // Texts shown on their own (entry texts, the unhandled-use text), one copy each.
    std::unordered_map<std::string_view, EText *> freeTexts;
    // Item pictures by item id, from the sprites their icons name.
    std::unordered_map<std::string_view, const sf::Texture *> icons;
    EAudio *playingMusic = nullptr;
    std::optional<int> waitingExit;
    std::optional<int> committedExit;
    std::vector<Node *> ran;
    std::optional<sf::Vector2f> pointerAt;
    // What is under the pointer: a sprite of the scene in play or an item on the bar.
    std::optional<std::size_t> hoveredSprite;
    std::optional<std::string> hoveredItem;
    const BuiltScene *hoveredScene = nullptr;
    std::optional<std::size_t> focused;
    // Every interactive sprite outlined, toggled by Space.
    bool revealed = false;
    // Asked for by keys and the close in this frame, done in its transition.
    bool quickLoadAsked = false;
    bool quickSaveAsked = false;
    bool autoSaveAsked = false;
    // Which sprites of the scene are active, worked out again when the state changes.
    mutable std::vector<char> activity;
    mutable unsigned long activityVersion = 0;
    mutable const BuiltScene *activityScene = nullptr;
    // Messages name the document even when it could not be opened.
    std::string fileName = "game.xml";
    std::shared_ptr<const GameDocument> source;
    std::unique_ptr<Diagnostics> found;
    sf::String windowTitle;
};
