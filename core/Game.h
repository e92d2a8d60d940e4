#pragma once

#include "core/LoadedGame.h"
#include "core/Trace.h"
#include "core/speak/Speaker.h"
#include "core/state/SaveFile.h"
#include "core/state/SaveSettings.h"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Mouse.hpp>

#include <cstddef>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

class StartupError;

// The engine: reads the game document, builds the asset catalogue, activates
// the entry scene, and then dispatches clicks and draws every frame. The
// document, the text it was parsed from, every element and everything the
// elements hold belong to the loaded game and go together when it is
// released, since elements keep pointers into the document and into each
// other: they are one record, LoadedGame. The window belongs to the entry
// point. The rules are kept by family beside this file: building and
// entering scenes, presses and their effects, scene changes (core/rooms),
// saves (core/state), pointer, keys and drawing (core/ui).
class Game : private LoadedGame {
public:
    // The window system refuses a title property of more than some megabytes
    // with an error that ends the process; no title bar shows this much.
    static constexpr std::size_t maxTitleCharacters = 4096;

    // What tools read of the loaded game (see LoadedGame).
    using LoadedGame::assetsNode;
    using LoadedGame::dialogs;
    using LoadedGame::document;
    using LoadedGame::interaction;
    using LoadedGame::player;
    using LoadedGame::pointerRules;
    using LoadedGame::root;
    using LoadedGame::rules;
    using LoadedGame::scene;
    using LoadedGame::sequences;
    using LoadedGame::sprites;
    using LoadedGame::state;
    using PlayMoment::sceneNode;

    // Null loads the document without applying its window settings.
    sf::RenderWindow *window = nullptr;

    // Where warnings are echoed as they are found; null keeps them in
    // `diagnostics()` only. Set before loading.
    std::ostream *echo = &std::cerr;
    // Told what happens as the game plays (music, click sounds and texts);
    // null tells no one. Set before starting, for the music to be told.
    TraceSink *trace = nullptr;
    // Where a game with a saveName saves, and whether it starts from a save.
    SaveSettings saves;
    // Fades run; a tool that explores what can happen turns them off, since
    // they change only what is seen and when presses count.
    bool fades = true;
    // Says aloud the label under the pointer or the focus, each text shown
    // and the option a conversation's focus moves to; null says nothing.
    Speaker *speech = nullptr;
    // The language asked for (--lang, or a player's setting); none plays the
    // document's own texts. Set before starting.
    std::optional<std::string> language;

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
    // Takes the images that only later rooms show, which start-up left
    // decoding while the first frame was drawn, waiting for them: entering
    // another room calls it first, and so does releasing the game. A file
    // that failed is reported here, at each sprite's "src", and its sprites
    // show nothing, as at start.
    void takeLaterImages();
    // The same once they are all decoded, without waiting: the app asks after
    // each frame it shows, so that none of them holds up a frame.
    void takeDecodedLaterImages();

    Node *findScene(int sceneId);
    // The scene with `sceneId`; throws StartupError when there is none.
    Node *requireScene(int sceneId);

    // Gives the window the loaded game's size and title again (after another
    // game was tried in it); the frame loop paces itself to frameRateLimit.
    void applyToWindow();
    const sf::String &title() const { return windowTitle; }
    // Every file the assets name, after the asset path rules, and every
    // translation file and language font, relative to the game's folder;
    // known once the document is loaded.
    std::vector<std::string> namedFiles() const;
    // The voice files in `folder` of the document's texts, in the base
    // language and in every language offered: named by a pattern, not listed,
    // so only those that exist.
    std::vector<std::string> voiceFiles(const std::string &folder) const;

    // The parts of one frame, which playFrame (core/Frame.h) calls in their
    // order: step(), the frame's input, transition(). These and the loading
    // above are the only places that tell the trace what happened.
    void step();
    // A press of a mouse button at a world point: the player is sent there,
    // then the point is clicked; in a game that looks with the right button,
    // a right press looks instead.
    void press(sf::Vector2f point, sf::Mouse::Button button = sf::Mouse::Left);
    // A key pressed in the frame's event phase, by its name in replay
    // scripts ("F5", "Tab", ...); keys the game has no use for do nothing.
    void key(std::string_view name);
    // A mouse move to a world point; what it hovers is worked out after the
    // transition. Over a conversation's menu it focuses the row under it.
    void movePointer(sf::Vector2f point);
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
    // The conversation in play, if any: it takes every press and the keys it knows.
    const ConversationMoment &conversation() const { return talk; }
    // The cutscene in play, if any, and those waiting for it to end.
    const SequenceMoment &cutscene() const { return script; }
    // Skips the cutscene in play and each waiting one, skippable or not: the
    // state is then where they would all have ended.
    void finishCutscenes();
    // As finishCutscenes(), but a conversation a cutscene holds is started
    // and left running, for whoever plays on to choose in it; the cutscene
    // goes on once the conversation ends.
    void finishCutscenesUpToTalk();
    // Whether a fade runs: presses then do nothing but their click.
    bool fading() const;
    // The frames until the fade under way ends; 0 when none runs.
    int fadeFramesLeft() const { return fading() ? fade.frames - fade.elapsed : 0; }
    // How dark the picture is: 0 clear to 1 black.
    float darkness() const { return fades ? fade.darkness() : 0.f; }
    // The square world is drawn as large as the window holds, with bars.
    bool keepsAspect() const { return stage.keepAspect; }
    // A door that waits for the walk to it to end, if any.
    std::optional<int> pendingExit() const { return waitingExit; }
    // Where row `row` of a conversation's menu lies: the press that chooses it lands there.
    sf::FloatRect rowBox(std::size_t row) const;
    // Whether a press's action waits for the walk to end.
    bool pendingPress() const { return pendingAction.has_value(); }
    // Whether a conversation waits for the walk to it to end.
    bool pendingDialog() const { return !waitingDialog.empty(); }
    // Whether a cutscene waits for the walk to it to end.
    bool pendingSequence() const { return !waitingSequence.empty(); }
    // The scene children and <use>s whose click counted in the last press
    // (their effects ran), in list order: what explains a press to tools.
    const std::vector<Node *> &lastRan() const { return ran; }

    using Motion = PlayerMotion;
    // Without a player, a default motion that setMotion ignores.
    Motion motion() const;
    void setMotion(const Motion &motion);

    // Everything play changes, so that a tool (the solver) can go back to a
    // moment and try another press from there: the record's moment, and
    // what of it lives in the elements. It points into the loaded game and
    // holds only while that game is loaded; the scene must have been
    // entered already, as it was when the snapshot was taken.
    struct Snapshot : PlayMoment {
        GameState state;
        int sceneId = 0;
        // The texts shown over the scene's own, oldest first.
        std::vector<EText *> shownTexts;
        Motion motion;
    };
    Snapshot snapshot() const;
    // A snapshot with a default state: what a tool that keeps the state its
    // own way takes, without copying the state.
    Snapshot snapshotBesidesState() const;
    void restore(const Snapshot &moment);
    // The same, with the state left as it is: what a tool that keeps the
    // state its own way goes back with, without copying the state.
    void restoreBesidesState(const Snapshot &moment);

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
    // start(), without reporting the later rooms' images when it fails.
    void startPlaying(std::shared_ptr<const GameDocument> document, std::optional<int> sceneId);
    // True while noteDrawnTexts() walks what would be drawn.
    bool noting = false;
    // Loading (Game.cpp).
    void applyWindowSettings();
    bool hasId(Node *assetNode) const;
    void warnOfMissingScenes();

    // Building and entering scenes (rooms/SceneBuilding.cpp).
    void enter(Node *sceneElement, std::optional<int> from);
    BuiltScene &build(Node *sceneElement, std::optional<int> from);
    void placePlayer(Node *child, BuiltScene &built, bool applied);
    void placeSprite(Node *child, BuiltScene &built);
    void placeTexts(Node *sceneElement, BuiltScene &built);
    void placeUses(ESprite *sprite, PlacedSprite &placed);
    // The player child that places the player when entering from `from`:
    // the first naming it, else null for the children without "fromScene".
    Node *entrance(Node *sceneElement, std::optional<int> from) const;
    void replacePlayer(Node *sceneElement, std::optional<int> from);
    void show(EText *text);
    // Before the texts are built: the language asked for, its strings and font.
    void chooseLanguage();
    // What draw() would draw, drawn nowhere: the texts drawn for the first
    // time in the base language are told. Only while a language falls back.
    void noteDrawnTexts();
    void noteText(const EText *text);
    void drawText(const EText *text, const sf::Text &shown);
    void drawShape(const sf::Drawable &shape);
    // The voice of a text shown by a click, an entry, a line or a cutscene.
    void playVoice(const char *textId);
    EText *freeText(const char *textId);

    // A press in its parts (rooms/Press.cpp).
    void pressAt(sf::Vector2f point);
    bool pressInventory(sf::Vector2f point);
    // Puts away the text shown last, if any: such a press does nothing else.
    bool dismissText();
    // A press with no item held on the sprite at `index`: its sound, its text
    // and, unless the press only put a text away, its action.
    void plainPress(std::size_t index, bool dismissed, std::vector<const ActionRules *> &counted);
    // The first <use> of `item` on the sprite at `index` whose condition
    // holds; false when none does.
    bool useItem(std::size_t index, const std::string &item, std::vector<const ActionRules *> &counted);
    // The sprites a press at `point` reaches: every active one under it, or
    // the top one that hover would name.
    std::vector<std::size_t> reachedBy(sf::Vector2f point);
    // What a press does to the sprites it reached; `arrived` once the walk
    // to it has ended, when nothing waits for a walk again.
    void act(const std::vector<std::size_t> &reached, const std::optional<std::string> &item, bool dismissed,
             bool arrived);
    // The door of the press's actions, if any: taken now, or once the walk to it ends.
    void takeDoor(const std::vector<const ActionRules *> &counted, const std::optional<std::string> &item,
                  bool dismissed, bool arrived);
    void applyEffects(const Effects &effects);
    void endSelection();
    void checkGoal();
    // Sends the player walking to `point`, as a press or a door's walkTo does.
    void sendPlayer(sf::Vector2f point);

    // The conversation a press starts, now or once the walk to it ends.
    void startDialogOf(const std::vector<const ActionRules *> &counted, bool arrived);

    // Looks, actions that wait for the walk, items used on items (interact/).
    bool waitsForArrival(const std::vector<std::size_t> &reached) const;
    void pend(const std::vector<std::size_t> &reached, const std::optional<std::string> &item);
    void arrive(const PendingAction &action);
    void cancelPendingAction();
    void look(sf::Vector2f point);
    void lookAt(std::size_t index);
    void lookAtItem(const std::string &item);
    // A use of the selected item on `item` on the bar; false when it has none.
    bool combine(const std::string &item);
    void placeLook(ESprite *sprite, PlacedSprite &placed);
    // The label drawn for a target while an item is held: the use sentence.
    bool drawUseSentence(const char *targetLabel);

    // Conversations (talk/Conversation.cpp).
    void startDialog(std::string_view id);
    void enterDialog(const DialogRules &dialog);
    // Shows the next line whose condition holds; after the last, what the
    // lines lead to: the menu, the end, or another conversation.
    void sayNextLine();
    void afterLines();
    void offerMenu();
    void choose(std::size_t row);
    void endDialog(const char *reason);
    void talkPress(sf::Vector2f point);
    void talkKey(std::string_view name);
    void talkPointer(sf::Vector2f point);
    // Moves the focus to row `row` of the menu, and says it.
    void focusRow(std::size_t row);
    float rowHeight() const;
    std::optional<std::size_t> rowAt(sf::Vector2f point) const;
    std::optional<sf::FloatRect> speakerBounds(const char *by) const;
    void drawConversation();
    EAudio *freeAudio(const char *audioId);

    // The player's part of a frame's step: its walk, and what waits for the walk to end.
    void walkOn();

    // Cutscenes (script/Sequence.cpp).
    // The cutscene a press starts, now or once the walk to it ends.
    void startSequenceOf(const std::vector<const ActionRules *> &counted, bool arrived);
    void queueSequence(std::string_view id);
    // The entered scene's cutscene: queued, or kept until its entry text is put away.
    void enterSequenceOf(bool first);
    // Ends the step that is over, goes on with the next, and starts the next
    // cutscene in the queue once none runs; called where a frame's parts end.
    void runSequences();
    void beginSequence(const SequenceRules &sequence);
    // Starts steps from the current one until one waits or the cutscene ends.
    void runSteps();
    bool stepEnded() const;
    void endSequence(bool skipped);
    // Applies what the rest of the cutscene would do, as playing it through
    // would; up to a conversation and no further when `untilTalk`.
    void skipSequence(bool untilTalk = false);
    void walkToTheEnd();
    // A walk step of a sprite: sent on its way, a frame of it, and all the rest of it at once.
    void sendSprite(const StepRules &step);
    void walkSprite();
    void startAnimation(const StepRules &step);
    void playCell(const StepRules &step);
    void animateOn();
    void stopAnimation();
    void giveBackCell(ESprite *sprite);
    void walkSpriteToTheEnd();
    void sequencePress();
    void sequenceKey(std::string_view name);
    void drawLine(const LineRules &line);

    // Depth, the player's size by depth and fades (stage/Stage.cpp).
    void sortByDepth(BuiltScene &scenePlaced);
    // The scene's sprite places in drawing order, or null when drawn as listed.
    const std::vector<std::size_t> *depthOrder();
    void scalePlayer();
    void startFade(Fade::Kind kind, int frames, bool fromCutscene);
    // Starts the fade a door of this scene waits for; false when it has none.
    bool leaveThroughFade(int next);
    // The scene change a fade to black held back, made now.
    void takeFadingExit();
    void drawFade();

    // Scene changes (rooms/SceneChange.cpp).
    void changeScene(int sceneId);
    // What goes when the player leaves the scene in play, whether by a door,
    // a load or a tool going back to another moment.
    void leaveScene();

    // Saves and loads (state/Saves.cpp).
    bool startFromSave();
    bool loadSave(const std::string &path, const std::string &slot);
    void applySave(const SaveData &data, const std::string &slot);
    void writeSave(const std::string &slot);
    // Says that the save to `slot` was not written, and why.
    void refuseSave(const std::string &slot, const std::string &reason, const std::string &message);
    // The refusal of the save at `path`; `keptAs` names where the next save moves it.
    void sayAboutSave(const std::string &path, const SaveProblem &problem, const std::string &keptAs) const;
    // The file of this game's save folder that saving writes and that is
    // `path` (a slot or its backup), named as saving names it; none for any other file.
    std::optional<std::string> slotAt(const std::string &path) const;
    // Moves the refused saves that writing `path` would replace out of its way.
    std::optional<WriteFailure> keepRefusedSaves(const std::string &path);

    // Keyboard play, what the pointer shows and drawing (ui/).
    bool interactive(std::size_t index);
    void learnHooks();
    sf::FloatRect boundsOf(std::size_t index) const;
    void playKey(std::string_view name);
    void moveFocus(bool forwards);
    void setFocus(std::optional<std::size_t> index);
    void updateHover();
    // The label drawn for the pointer or the focus: its text's id (null for
    // none), and whether it names the item held, which is drawn as it is.
    struct ShownLabel {
        const char *text = nullptr;
        bool heldItem = false;
    };
    ShownLabel shownLabel() const;
    void drawPointerShows();
    void outline(const sf::FloatRect &bounds);
    void drawLabel(const char *textId);
    CursorImage spriteImage(const char *spriteId) const;
    void drawInventory();

    // Self-voicing (speak/Speaking.cpp).
    void speak(const EText *text);
    void speak(const char *textId);
    void speakLabel();

    // What loading and play report (Game.cpp).
    void warn(const char *where, const char *code, const std::string &message) const;
    void tell(TraceEvent event, const char *id) const;
    void tell(TraceEvent event, sf::Vector2f point) const;
    void tell(TraceEvent event, const std::vector<TraceField> &fields) const;
    // The player's turns since the last call, each as a facing event.
    void tellTurns() const;

    // Messages name the document even when it could not be opened.
    std::string fileName = "game.xml";
};
