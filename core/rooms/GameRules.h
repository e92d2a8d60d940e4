#pragma once

#include "core/text/Document.h"
#include "core/text/StrictValues.h"

#include <SFML/System/Vector2.hpp>

#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>
#include <vector>

// What the document says about state and rooms, read once at start-up and
// checked strictly there: nothing is built from it until a scene is entered,
// so the checker reads it too without a window. Names and texts point into
// the document.

// What a click or a use changes, applied as clearFlag, setFlag, takeItem, giveItem.
struct Effects {
    std::vector<std::string_view> clearFlags;
    std::vector<std::string_view> setFlags;
    std::vector<std::string_view> takeItems;
    std::vector<std::string_view> giveItems;

    // Changes nothing: a new kind of effect is counted here once, and every
    // rule that asks whether a press does something follows.
    bool empty() const { return clearFlags.empty() && setFlags.empty() && takeItems.empty() && giveItems.empty(); }
};

// What a click on a sprite, or a use of an item on it, does besides its
// sound and its text.
struct ActionRules {
    Effects effects;
    std::optional<int> exitScene;
    const char *exitWhere = nullptr;
    std::optional<sf::Vector2f> walkTo;
    // The conversation the press starts, after its effects.
    std::string_view dialog;
    const char *dialogWhere = nullptr;
    // The cutscene the press starts, after its effects and its walk.
    std::string_view sequence;
};

// Of several actions pressed at once, the last in the list that names
// something in `name` (its conversation or its cutscene), as of doors the
// last leads; null when none does.
const ActionRules *lastNaming(const std::vector<const ActionRules *> &counted, std::string_view ActionRules::*name);

// A <use> under a scene child: what using `item` ("*": any) on it does.
struct UseRules {
    Node *node = nullptr;
    std::string_view item;
    Condition condition;
    ActionRules action;
};

// A scene child's rules: while `active` holds it is drawn and hit by clicks.
struct ChildRules {
    Condition active;
    ActionRules action;
    std::vector<UseRules> uses;
    // On a player child: placed this way only when entering from that scene.
    std::optional<int> fromScene;

    // Uses none of the names of state and rooms: plays as a plain child.
    bool isPlain() const;
    // A press on the child does something besides its sound and its text:
    // a use, a door or an effect.
    bool acts() const
    {
        return !uses.empty() || action.exitScene || !action.effects.empty() || !action.dialog.empty() ||
               !action.sequence.empty();
    }
};

struct SceneRules {
    const char *onEnterText = nullptr;
    const char *onFirstEnterText = nullptr;
    std::string_view onEnterSequence;
    std::string_view onFirstEnterSequence;
    bool musicLoop = false;
};

struct FlagDeclaration {
    Node *node = nullptr;
    std::string_view id;
    bool set = false;
    // Names it had in earlier versions of the game, matched in older saves.
    std::vector<std::string_view> formerly;
};

struct ItemDeclaration {
    Node *node = nullptr;
    std::string_view id;
    const char *icon = nullptr;
    const char *name = nullptr;
    bool held = false;
    std::vector<std::string_view> formerly;
};

// The inventory bar: slot k's top-left is position + ((k mod columns) * w,
// (k div columns) * h).
struct InventoryBar {
    sf::Vector2f position;
    sf::Vector2f slotSize;
    int columns = 1;

    sf::Vector2f slotCorner(std::size_t slot) const;
    // The slot under `point`, when it lies in one of the first `slots`.
    std::optional<std::size_t> slotAt(sf::Vector2f point, std::size_t slots) const;
};

class GameRules {
public:
    // Reads every name of state and rooms under `root`; throws StartupError
    // at the first malformed value, in document order.
    void read(Node *root);

    Condition goal;
    bool hasGoal = false;
    const char *unhandledUseText = nullptr;
    std::vector<FlagDeclaration> flags;
    std::vector<ItemDeclaration> items;
    std::optional<InventoryBar> inventory;
    // Saving is on only for a game with a saveName.
    std::optional<std::string_view> saveName;
    std::string_view gameVersion;

    // Null for a child without rules of its own.
    const ChildRules *child(const Node *sceneChild) const;
    const SceneRules &scene(const Node *sceneNode) const;
    const ItemDeclaration *item(std::string_view id) const;
    // What a flag or an item named `saved` in a save is called in this game:
    // itself when declared, the declared id it was renamed to with
    // "formerly", itself when used undeclared, or nothing when the game no
    // longer knows it.
    std::optional<std::string_view> currentFlag(std::string_view saved) const;
    std::optional<std::string_view> currentItem(std::string_view saved) const;
    // A <use> element, wherever it stands: what using its item does.
    UseRules readUse(Node *use);
    // Notes the flags and items named, declared or not, so that a save
    // naming them keeps them; returns the condition for chaining.
    Condition noteNames(Condition condition);
    void noteNames(const Effects &effects);
    // Every "DIALOG.OPTION" an o/ term names: the chosen marks that can change what happens.
    const std::set<std::string_view, std::less<>> &namedOptions() const { return usedOptions; }
    // Every exit and entrance the scenes name, with where, for the loader's warnings.
    const std::vector<std::pair<int, const char *>> &namedScenes() const { return sceneReferences; }

private:
    void readState(Node *state);
    void readInventory(Node *bar);
    void readScene(Node *scene);
    ChildRules readChild(Node *child);
    ActionRules readAction(Node *node);
    void readSaveName(Node *root);
    // An old name must neither be a live id nor stand for two things.
    template <typename Declaration>
    void checkFormerNames(const std::vector<Declaration> &declared, const char *kind);

    std::unordered_map<const Node *, ChildRules> children;
    std::unordered_map<const Node *, SceneRules> scenes;
    std::vector<std::pair<int, const char *>> sceneReferences;
    // Every flag and item a condition or an effect names, declared or not.
    std::set<std::string_view, std::less<>> usedFlags;
    std::set<std::string_view, std::less<>> usedItems;
    std::set<std::string_view, std::less<>> usedOptions;
};
