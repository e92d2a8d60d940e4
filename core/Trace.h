#pragma once

#include "core/nav/Geometry.h"

#include <SFML/System/Vector2.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// What a player could see or hear happen, each kind named as the trace file
// writes it.
enum class TraceEvent {
    music,         // the scene's music starts: its audio id
    click,         // a press at a world point
    walk,          // the player is sent to a point, after clamping
    sound,         // a click sound plays: its audio id
    textShown,     // a click shows a text: its id
    textDismissed, // a click puts the shown text away: its id
    player,        // the player's position after a frame's step moved it
    arrived,       // the step that ends the walk, where it ends
    // What a game with state and rooms adds; a document without them never
    // causes one of these.
    itemSelected,   // a press on the inventory bar selects an item: its id
    itemDeselected, // the selection ends: the item's id
    use,            // a selected item is used on a sprite: item, target
    unhandledUse,   // a selected item has no use where it was pressed: item
    flagSet,        // id
    flagCleared,    // id
    itemAdded,      // id
    itemRemoved,    // id
    exitPending,    // a door waits for the walk to end: scene
    exitCancelled,  // a press cancelled the waiting door: scene
    sceneMissing,   // a door names no scene: scene
    sceneLeave,     // scene
    sceneEnter,     // scene, from, first
    goal,           // the game's goal holds for the first time
    path,           // the way a walk in a walk area takes: its points
    facing,         // the player with walk cycles turns: down, left, right or up
    // Only for documents with pointer rules.
    hover, // what is under the pointer changes: its id, or null for nothing
    focus, // the keyboard focus moves: the sprite's id, or null when it is cleared
    // What a game with a saveName adds.
    save,         // a save was written: slot
    saveFailed,   // a save could not be written: slot, reason
    load,         // a save was applied: slot
    loadFailed,   // a save was refused: slot, reason
    loadFallback, // the save was corrupt; its backup is tried: slot
    // Only for documents with conversations.
    dialogStart,   // a conversation starts: dialog
    say,           // a line shows: dialog, text, by (null when said by no one)
    options,       // the menu shows: dialog, ids of the options offered
    option,        // an option is chosen: dialog, option
    dialogGoto,    // an option goes on in another conversation: from, to
    dialogEnd,     // the conversation ends: dialog, reason (stop, empty or load)
    dialogMissing, // a press or an option names no conversation: dialog
    // Only for documents with cutscenes (a line of one is a say: sequence, text, by).
    sequenceStart, // a cutscene starts: sequence
    sequenceStep,  // one of its steps starts: sequence, index, kind
    sequenceEnd,   // it ends: sequence, skipped
    // Only for documents that ask for them.
    actionPending,   // a press's action waits for the walk to end: id of the sprite
    actionCancelled, // a waiting action is given up: id
    look,            // a look at a sprite or an item: its id
    fade,            // a fade starts: kind (in or out), frames
    // Only while the game speaks aloud (--speak).
    speak, // a text is spoken: its id
    // Only while a language is played or voices are given.
    language,     // frame 0, a language other than the base: lang
    textFallback, // a text is first drawn in the base language: id, lang, reason (missing or stale)
    voice,        // a shown text's voice file plays: id, file
};

// One named value of a trace line, written in the order given.
struct TraceField {
    using Value = std::variant<std::int64_t, bool, std::string, std::nullptr_t, std::vector<std::string>>;
    const char *name;
    Value value;
};

const char *traceName(TraceEvent event);

// Told what happens as the game plays, and when: the frame loop starts each
// frame, the game and the loop report the rest from where it happens.
// Events before the first frame belong to frame 0.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void startFrame(std::uint64_t frame) = 0;
    virtual void record(TraceEvent event, std::string_view id) = 0;
    virtual void record(TraceEvent event, sf::Vector2f point) = 0;
    virtual void record(TraceEvent event, const std::vector<TraceField> &fields) = 0;
    virtual void recordPath(const std::vector<Point> &points) = 0;
    virtual void recordFacing(std::string_view direction) = 0;
};
