#pragma once

#include "core/interact/InteractionRules.h"
#include "core/lang/Language.h"
#include "core/rooms/GameRules.h"
#include "core/script/Sequence.h"
#include "core/stage/DepthOrder.h"
#include "core/stage/Fade.h"
#include "core/stage/StageRules.h"
#include "core/state/GameState.h"
#include "core/talk/Conversation.h"
#include "core/text/Diagnostics.h"
#include "core/text/Document.h"
#include "core/text/GameDocument.h"
#include "core/ui/PointerRules.h"
#include "elements/EPlayer.h"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/String.hpp>
#include <SFML/System/Vector2.hpp>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class EAudio;
class EScene;
class ESprite;
class EText;
struct BuiltScene;

// Where the player is and how it walks: the part of a moment that a walk
// changes, kept in the player element, so that a tool can replay the end of
// a walk it has seen.
struct PlayerMotion {
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

// A press whose action waits for the walk to where it is made: what it
// reached as it was judged then, each sprite (by its place in the scene's
// list) with the <use> that matched, or none for a plain press.
struct PendingAction {
    std::vector<std::pair<std::size_t, const UseRules *>> reached;
    std::optional<std::string> item;
    const BuiltScene *scene = nullptr;
    std::string id;
};

// What play changes in the model's own fields, besides the state (which the
// solver keeps its own way). A snapshot copies it whole and a restore puts it
// back whole, so a field added here is taken back by the solver without
// another list to keep up.
struct PlayMoment {
    // The scene in play.
    Node *sceneNode = nullptr;
    EAudio *playingMusic = nullptr;
    // A door that waits for the walk to it to end, and one committed in this
    // frame that the transition takes.
    std::optional<int> waitingExit;
    std::optional<int> committedExit;
    // The scene children and <use>s whose click counted in the last press.
    std::vector<Node *> ran;
    // The last world point of a move or a press.
    std::optional<sf::Vector2f> pointerAt;
    // What is under the pointer: a sprite of the scene in play or an item on the bar.
    std::optional<std::size_t> hoveredSprite;
    std::optional<std::string> hoveredItem;
    const BuiltScene *hoveredScene = nullptr;
    std::optional<std::size_t> focused;
    // Every interactive sprite outlined, toggled by Space.
    bool revealed = false;
    // The last input was a key of keyboard play, not the pointer: the focus's
    // label is drawn, not the pointer's.
    bool keyboardLast = false;
    // Asked for by keys and the close in this frame, done in its transition.
    bool quickLoadAsked = false;
    bool quickSaveAsked = false;
    bool autoSaveAsked = false;
    std::optional<PendingAction> pendingAction;
    // The conversation in play, and one a press started that waits for the walk to end.
    ConversationMoment talk;
    std::string_view waitingDialog;
    // The cutscenes in play, and one a press started that waits for the walk to end.
    SequenceMoment script;
    std::string_view waitingSequence;
    // The picture fading, and the door a fade to black holds.
    Fade fade;
};

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
    // What a look at it shows and plays.
    EText *lookText = nullptr;
    EAudio *lookAudio = nullptr;
};

// A scene as it was built the first time it was entered, kept for the next time.
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
    // In a scene sorted by depth: the order, and the places as last drawn.
    bool sortsByDepth = false;
    DepthOrder depth;
    std::vector<std::size_t> drawOrder;
};

// Everything one loaded game holds: its share of the document, what loading
// read from it, the elements built from it, what play changes, and what is
// worked out from those and kept. Releasing a game is assigning a fresh
// record, so a field added here is reset without another list to keep up.
// Members are destroyed in reverse order: the findings before the text they
// locate by.
struct LoadedGame : PlayMoment {
    // What the game remembers.
    GameState state;

    // The document as read and parsed once, shared with whatever else of the
    // run reads it; the tree below points into it.
    std::shared_ptr<const GameDocument> source;
    std::unique_ptr<Diagnostics> found;
    const rapidxml::xml_document<char> *document = nullptr;
    Node *root = nullptr;
    Node *assetsNode = nullptr;
    sf::String windowTitle;

    std::vector<ESprite *> sprites;
    EPlayer *player = nullptr;
    // What the document says changes the state, and what the pointer and the keyboard show and do.
    GameRules rules;
    PointerRules pointerRules;
    DialogBook dialogs;
    SequenceBook sequences;
    InteractionRules interaction;
    StageBook stage;
    LanguageList languages;
    LanguageRun languageRun;

    // The scene in play as built, found from sceneNode.
    EScene *scene = nullptr;
    BuiltScene *built = nullptr;
    std::unordered_map<const Node *, BuiltScene> builtScenes;
    // The catalogue's sprites by id, in catalogue order: looking every scene
    // child up here keeps placement linear in the scene's size, where a
    // search of the catalogue per child is quadratic.
    std::unordered_map<std::string_view, std::vector<ESprite *>> spritesById;
    // Texts shown on their own (entry texts, the unhandled-use text, labels), one copy each.
    std::unordered_map<std::string_view, EText *> freeTexts;
    // Sounds played on their own (a conversation's lines), one copy each.
    std::unordered_map<std::string_view, EAudio *> freeAudios;
    // Item pictures by item id, from the sprites their icons name.
    std::unordered_map<std::string_view, const sf::Texture *> icons;
    // Saves in the save folder that this game refused, named as saving names them:
    // the next save into their place moves them aside first.
    std::set<std::string> refusedSaves;
    // The label said aloud last, so that it is said again only when it changes.
    std::string_view spokenLabel;
    // Which sprites of the scene are active, worked out again when the state changes.
    mutable std::vector<char> activity;
    mutable unsigned long activityVersion = 0;
    mutable const BuiltScene *activityScene = nullptr;
};
