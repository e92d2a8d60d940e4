#include "check/Solver.h"

#include "core/Frame.h"
#include "core/text/Format.h"

#include "elements/Catalogue.h"
#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"
#include "elements/EText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

bool isFinite(const sf::FloatRect &rect)
{
    return std::isfinite(rect.left) && std::isfinite(rect.top) && std::isfinite(rect.width) &&
           std::isfinite(rect.height) && rect.width > 0 && rect.height > 0;
}

// What of `rect` lies in the world the window shows: a press outside it is
// one no player can make.
std::optional<sf::FloatRect> inWorld(const sf::FloatRect &rect)
{
    const auto side = static_cast<float>(worldSize);
    sf::FloatRect kept;
    if (!isFinite(rect) || !rect.intersects(sf::FloatRect(0, 0, side, side), kept))
        return std::nullopt;
    return kept;
}

std::string elementName(const Node *node)
{
    return "<" + std::string(node->name(), node->name_size()) + ">";
}

bool doesSomething(const ESprite *sprite, const ChildRules *rules)
{
    if (sprite->hasClickAudio || sprite->hasClickText)
        return true;
    return rules && rules->acts();
}

// A value's bytes appended to a key: keys compare byte for byte, so two
// values alike in every byte are the same and no others are.
// Pointers are among the values on purpose: an element's address is its identity.
template <typename Value>
void appendBytes(std::string &key, const Value &value)
{
    static_assert(std::is_trivially_copyable_v<Value>, "only plain values have meaningful bytes");
    key.append(reinterpret_cast<const char *>(&value), sizeof(Value)); // NOLINT(bugprone-sizeof-expression)
}

// A point's bits: the point a press is told with is the one it was made at, to the bit.
std::uint64_t pointBits(sf::Vector2f point)
{
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::memcpy(&x, &point.x, sizeof x);
    std::memcpy(&y, &point.y, sizeof y);
    return std::uint64_t{x} << 32 | y;
}

// Whether bit `number` of a row of 32-bit words is set; bits past the end are not.
bool bitSet(const std::vector<std::uint32_t> &bits, std::uint32_t number)
{
    return number / 32 < bits.size() && ((bits[number / 32] >> (number % 32)) & 1u) != 0;
}

// A key is numbers, most of them small (a scene, a count, an item): each is
// written seven bits to a byte, low bits first, with the high bit set on
// every byte but its last. Twenty flags and a scene take a dozen bytes.
void appendNumber(std::string &key, std::uint32_t number)
{
    for (; number >= 0x80; number >>= 7)
        key.push_back(static_cast<char>(number | 0x80));
    key.push_back(static_cast<char>(number));
}

// The numbers written one after another, in place of what `key` held.
void writeNumbers(std::string &key, const std::vector<std::uint32_t> &numbers)
{
    key.resize(numbers.size() * 5);
    char *out = key.data();
    for (std::uint32_t number : numbers) {
        for (; number >= 0x80; number >>= 7)
            *out++ = static_cast<char>(number | 0x80);
        *out++ = static_cast<char>(number);
    }
    key.resize(static_cast<std::size_t>(out - key.data()));
}

// The number written at `at`, and `at` moved past it.
std::uint32_t readNumber(const char *&at)
{
    std::uint32_t number = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        number |= static_cast<std::uint32_t>(byte & 0x7f) << shift;
        if (byte < 0x80)
            return number;
    }
}

// Every state's key, one after another in one array, each after its state's
// number and its length, and an open-addressing table over them. A slot is
// where a key lies and a few bits of its hash, so that finding a state
// reads the slot and the key and nothing else: with a million states, each
// read is a miss of the processor's caches. A state costs its key's bytes
// and a dozen bytes more, where a hash map of strings costs a node and a
// string allocation for each.
class StateTable {
public:
    static constexpr std::uint32_t none = UINT32_MAX;

    std::uint32_t find(const std::string &key) const
    {
        if (slots.empty())
            return none;
        const std::uint64_t slot = slots[slotOf(key, hash(key))];
        return slot == 0 ? none : stateOf(where(slot));
    }
    // The key's state number, the key added as the next state if it is not
    // in the table yet; and whether it was added.
    std::pair<std::uint32_t, bool> insert(const std::string &key)
    {
        if ((count + 1) * 4 > slots.size() * 3)
            grow();
        const std::uint64_t hashed = hash(key);
        std::uint64_t &slot = slots[slotOf(key, hashed)];
        if (slot != 0)
            return {stateOf(where(slot)), false};
        const auto state = static_cast<std::uint32_t>(count++);
        slot = (hashed & tagBits) | (bytes.size() + 1);
        bytes.append(reinterpret_cast<const char *>(&state), sizeof state);
        appendNumber(bytes, static_cast<std::uint32_t>(key.size()));
        bytes += key;
        return {state, true};
    }
    std::size_t size() const { return count; }
    // The states' records in the order of their numbers: the first at 0,
    // each one's right after the one before.
    std::size_t next(std::size_t record) const
    {
        const char *at = bytes.data() + record + sizeof(std::uint32_t);
        const std::uint32_t length = readNumber(at);
        return static_cast<std::size_t>(at - bytes.data()) + length;
    }
    const char *key(std::size_t record) const
    {
        const char *at = bytes.data() + record + sizeof(std::uint32_t);
        readNumber(at);
        return at;
    }

private:
    // A slot: one plus where its record begins in the low bits, the top
    // bits of its key's hash above them; zero is an empty slot.
    static constexpr std::uint64_t whereBits = (std::uint64_t{1} << 40) - 1;
    static constexpr std::uint64_t tagBits = ~whereBits;

    static std::uint64_t hash(const std::string &key)
    {
        std::uint64_t mixed = 0x9e3779b97f4a7c15u ^ key.size();
        auto mix = [&mixed](std::uint64_t part) {
            mixed = (mixed ^ part) * 0xff51afd7ed558ccdu;
            mixed ^= mixed >> 32;
        };
        std::size_t at = 0;
        for (std::uint64_t part = 0; at + sizeof part <= key.size(); at += sizeof part) {
            std::memcpy(&part, key.data() + at, sizeof part);
            mix(part);
        }
        std::uint64_t rest = 0;
        std::memcpy(&rest, key.data() + at, key.size() - at);
        mix(rest);
        // Every bit of the key to the top bits too, which the slots keep.
        mixed ^= mixed >> 33;
        mixed *= 0xc4ceb9fe1a85ec53u;
        mixed ^= mixed >> 33;
        return mixed;
    }
    static std::size_t where(std::uint64_t slot) { return static_cast<std::size_t>((slot & whereBits) - 1); }
    std::uint32_t stateOf(std::size_t record) const
    {
        std::uint32_t state = 0;
        std::memcpy(&state, bytes.data() + record, sizeof state);
        return state;
    }
    bool equals(std::uint64_t slot, std::uint64_t hashed, const std::string &key) const
    {
        if ((slot & tagBits) != (hashed & tagBits))
            return false;
        const char *at = bytes.data() + where(slot) + sizeof(std::uint32_t);
        return readNumber(at) == key.size() && std::memcmp(at, key.data(), key.size()) == 0;
    }
    // The slot that holds the key, else the empty slot where it belongs.
    std::size_t slotOf(const std::string &key, std::uint64_t hashed) const
    {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t slot = hashed & mask;; slot = (slot + 1) & mask)
            if (slots[slot] == 0 || equals(slots[slot], hashed, key))
                return slot;
    }
    // The slots made anew, twice as many, from the records in order.
    void grow()
    {
        slots.assign(std::max<std::size_t>(1024, slots.size() * 2), 0);
        const std::size_t mask = slots.size() - 1;
        std::string key;
        for (std::size_t record = 0; record < bytes.size(); record = next(record)) {
            const char *start = this->key(record);
            key.assign(start, static_cast<std::size_t>(bytes.data() + next(record) - start));
            const std::uint64_t hashed = hash(key);
            std::size_t slot = hashed & mask;
            while (slots[slot] != 0)
                slot = (slot + 1) & mask;
            slots[slot] = (hashed & tagBits) | (record + 1);
        }
    }

    std::string bytes;
    std::size_t count = 0;
    std::vector<std::uint64_t> slots;
};

// Gives each distinct thing a small number, in the order first seen.
template <typename Thing>
class Numbering {
public:
    std::uint32_t operator()(const Thing &thing)
    {
        const auto [entry, added] = numbers.emplace(thing, static_cast<std::uint32_t>(things.size()));
        if (added)
            things.push_back(thing);
        return entry->second;
    }
    bool contains(const Thing &thing) const { return numbers.count(thing) != 0; }
    const Thing &operator[](std::size_t number) const { return things[number]; }

private:
    std::unordered_map<Thing, std::uint32_t> numbers;
    std::vector<Thing> things;
};

// Names given small numbers in the order first seen, found without
// allocating: every key reads each flag and item of the state by name.
class Names {
public:
    std::uint32_t operator()(std::string_view name)
    {
        if ((names.size() + 1) * 2 > slots.size())
            grow();
        const std::size_t slot = slotOf(name);
        if (slots[slot] == 0) {
            names.emplace_back(name);
            slots[slot] = static_cast<std::uint32_t>(names.size());
        }
        return slots[slot] - 1;
    }
    bool contains(std::string_view name) const { return find(name) != none; }
    static constexpr std::uint32_t none = UINT32_MAX;
    // The name's number, or none for a name not seen yet.
    std::uint32_t find(std::string_view name) const
    {
        if (slots.empty())
            return none;
        const std::uint32_t number = slots[slotOf(name)];
        return number == 0 ? none : number - 1;
    }
    const std::string &operator[](std::size_t number) const { return names[number]; }

private:
    static std::size_t hash(std::string_view name)
    {
        std::uint64_t hashed = 0xcbf29ce484222325u;
        for (const char c : name)
            hashed = (hashed ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
        return static_cast<std::size_t>(hashed ^ (hashed >> 29));
    }
    // The slot that holds the name, else the empty slot where it belongs.
    std::size_t slotOf(std::string_view name) const
    {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t slot = hash(name) & mask;; slot = (slot + 1) & mask)
            if (slots[slot] == 0 || names[slots[slot] - 1] == name)
                return slot;
    }
    void grow()
    {
        slots.assign(std::max<std::size_t>(16, slots.size() * 2), 0);
        const std::size_t mask = slots.size() - 1;
        for (std::size_t number = 0; number < names.size(); ++number) {
            std::size_t slot = hash(names[number]) & mask;
            while (slots[slot] != 0)
                slot = (slot + 1) & mask;
            slots[slot] = static_cast<std::uint32_t>(number + 1);
        }
    }

    std::vector<std::string> names;
    // A name's number plus one; zero is an empty slot.
    std::vector<std::uint32_t> slots;
};

// The flags of the game in play as bits by number, kept up to date as the
// game tells each flag it sets or clears: a state's flags are then known
// without reading every name the state holds, which made a state of
// thousands of flags cost as much as it has flags. What the game tells of
// its conversations goes on to `talk`, when there is one.
class FlagWatch : public TraceSink {
public:
    FlagWatch(Names &numbers, std::vector<std::uint32_t> &flagBits, TraceSink *talk)
        : names(numbers), bits(flagBits), conversations(talk)
    {
    }

    void record(TraceEvent event, std::string_view id) override
    {
        if (event != TraceEvent::flagSet && event != TraceEvent::flagCleared)
            return;
        const std::uint32_t number = names(id);
        if (number / 32 >= bits.size())
            bits.resize(number / 32 + 1, 0);
        if (event == TraceEvent::flagSet)
            bits[number / 32] |= 1u << (number % 32);
        else
            bits[number / 32] &= ~(1u << (number % 32));
    }
    void startFrame(std::uint64_t) override {}
    void record(TraceEvent, sf::Vector2f) override {}
    void record(TraceEvent event, const std::vector<TraceField> &fields) override
    {
        if (conversations)
            conversations->record(event, fields);
    }
    void recordPath(const std::vector<Point> &) override {}
    void recordFacing(std::string_view) override {}

private:
    Names &names;
    std::vector<std::uint32_t> &bits;
    TraceSink *conversations;
};

// The game tells `sink` what happens while this lasts, and its own trace again after.
class TracedTo {
public:
    TracedTo(Game &traced, TraceSink &sink) : game(traced), before(std::exchange(traced.trace, &sink)) {}
    ~TracedTo() { game.trace = before; }
    TracedTo(const TracedTo &) = delete;
    TracedTo &operator=(const TracedTo &) = delete;

private:
    Game &game;
    TraceSink *before;
};

// What a press's words depend on: the scene, the selection, and the sprite
// pressed (by its place in the scene's list), the item of the slot pressed,
// or neither for a dismissal.
struct LabelKey {
    const Node *scene = nullptr;
    int sceneId = 0;
    std::uint32_t selected = 0;
    std::uint32_t sprite = 0;
    std::uint32_t slotItem = 0;

    bool operator==(const LabelKey &other) const
    {
        return std::tie(scene, sceneId, selected, sprite, slotItem) ==
               std::tie(other.scene, other.sceneId, other.selected, other.sprite, other.slotItem);
    }
};

struct LabelKeyHash {
    std::size_t operator()(const LabelKey &key) const
    {
        std::size_t hashed = std::hash<const Node *>()(key.scene);
        for (const std::uint32_t part :
             {static_cast<std::uint32_t>(key.sceneId), key.selected, key.sprite, key.slotItem})
            hashed = hashed * 1000003u ^ part;
        return hashed;
    }
};

// A press the solver may make from a state: where, and what it is.
struct Move {
    sf::Vector2f point;
    // The sprite pressed (its index in the scene's list), or none for a slot or a dismissal.
    std::optional<std::size_t> sprite;
    std::optional<std::size_t> slot;
    // In a conversation: the row of the option chosen, or the press that passes the line.
    std::optional<std::size_t> row;
    bool passesLine = false;
};

// The digit that chooses a row, for the rows that have one.
std::string rowKey(std::size_t row)
{
    return row < 9 ? std::string(1, static_cast<char>('1' + row)) : std::string();
}

} // namespace

namespace {

void appendMotion(std::string &bytes, const Game::Motion &motion)
{
    appendBytes(bytes, motion.at);
    appendBytes(bytes, motion.position);
    appendBytes(bytes, motion.target);
    appendBytes(bytes, motion.direction);
    appendBytes(bytes, motion.speed);
    appendBytes(bytes, motion.walking);
    appendBytes(bytes, motion.limits);
    appendBytes(bytes, motion.area);
    appendBytes(bytes, motion.facing);
    appendBytes(bytes, motion.route.finished());
    appendBytes(bytes, motion.route.position());
    appendBytes(bytes, motion.route.heading());
    for (const Point &corner : motion.route.points())
        appendBytes(bytes, corner);
}

// Plays the frames of the walk under way to its end; returns how many, and
// the motion before the last. A frame of a walk reads the player's motion
// alone and moves the player on along its way, never back, so a walk that
// does not end either moves on or stands still for good: a frame that
// leaves the motion as it was, bit for bit (a NaN is as still as any
// number), is repeated by every frame after, and the walk is over there.
std::uint64_t followWalk(Game &game, Game::Motion &last)
{
    Game::Motion now = game.motion();
    std::string before;
    std::string after;
    appendMotion(after, now);
    std::uint64_t frames = 0;
    while (game.player->walking) {
        last = std::move(now);
        before.swap(after);
        playFrame(game);
        ++frames;
        now = game.motion();
        after.clear();
        appendMotion(after, now);
        if (after == before)
            break;
    }
    return frames;
}

} // namespace

std::uint64_t walkToEnd(Game &game)
{
    if (!game.player)
        return 0;
    Game::Motion last;
    return followWalk(game, last);
}

std::uint64_t settle(Game &game)
{
    game.transition();
    std::uint64_t frames = walkToEnd(game);
    // A cutscene the press starts is part of the press, taken to its end as a
    // skip takes it, or to a conversation it holds, which the next moves choose in.
    while ((game.cutscene().running() || !game.cutscene().queued.empty()) && !game.conversation().running()) {
        game.finishCutscenesUpToTalk();
        frames += walkToEnd(game);
    }
    return frames;
}

class Solver::Search {
public:
    Search(Game &played, std::size_t limit) : game(played), maxStates(limit) {}

    SolveReport run();

private:
    // A press as it is told: its words, where it lands, and the element
    // holding what it ran (the <use>, else the scene child). There are few
    // distinct ones, so a state's arrival holds only a press's number.
    struct Press {
        std::uint32_t label = 0;
        sf::Vector2f point;
        const char *where = nullptr;
        // The digit of a conversation's row it is made with, or 0 for a click.
        char digit = 0;
    };
    struct PressHash {
        std::size_t operator()(const Press &press) const
        {
            return std::hash<std::uint64_t>()(pointBits(press.point) ^ press.label) ^
                   std::hash<const char *>()(press.where) ^ static_cast<std::size_t>(press.digit);
        }
    };
    struct SamePress {
        bool operator()(const Press &a, const Press &b) const
        {
            return a.label == b.label && pointBits(a.point) == pointBits(b.point) && a.where == b.where &&
                   a.digit == b.digit;
        }
    };
    // How a state was first reached: from which state, by which press.
    struct Arrival {
        std::uint32_t parent = 0;
        std::uint32_t press = 0;
    };
    // A condition with the number of each flag it names, worked out once:
    // the solver reads it in every state of its scene.
    struct Test {
        std::vector<std::pair<const ConditionTerm *, std::uint32_t>> terms;
    };
    // A condition and what it was seen to be.
    struct Watched {
        Test test;
        const char *where = nullptr;
        bool seenTrue = false;
        bool seenFalse = false;
    };

    void key();
    void decode(std::size_t record);
    Test test(const Condition &condition);
    bool holds(const Test &test) const;
    std::uint32_t context();
    void walkOut();
    // A sprite of the scene as presses see it.
    struct Target {
        sf::FloatRect bounds;
        // Not the player, placed by a child, with bounds a point can lie in.
        bool pressable = false;
        // Pressable, and a press on it does something.
        bool acts = false;
        // What makes it active: no terms when it always is.
        Test active;
        // For one that acts, the other pressable sprites whose bounds overlap
        // these, in list order: the only ones that can cover a press on it.
        std::vector<std::uint32_t> overlaps;
    };

    std::vector<Move> moves();
    // Game::isActive for a sprite of the state restored last.
    bool isActive(const Target &target) const { return holds(target.active); }
    const std::vector<Target> &targets();
    sf::Vector2f pressPoint(std::size_t index, bool &covered, std::vector<std::size_t> &others);
    std::optional<sf::FloatRect> slotRect(std::size_t slot) const;
    std::string describe(const Move &move) const;
    std::uint32_t label(const Move &move);
    const char *located(const Move &move) const;
    const char *locatedInTalk(const Move &move) const;
    std::vector<char> reaching(const std::vector<char> &targets) const;
    std::vector<const DialogRules *> trappedDialogs();
    void watchConditions();
    void noteCoHit(std::size_t index, const std::vector<std::size_t> &others);
    std::vector<SolvedPress> pathTo(std::uint32_t state) const;
    std::vector<char> liveStates() const;
    void reportDeadEnds(SolveReport &report, const std::vector<char> &live) const;
    void reportUnreachable(SolveReport &report);
    void warn(SolveReport &report, const char *where, const char *code, const std::string &message) const;
    void fail(SolveReport &report, const char *where, const char *code, const std::string &message) const;

    Game &game;
    std::size_t maxStates;
    bool playerShowsText = false;
    StateTable known;
    // The key of the state in play, built again for each: its numbers, then
    // their bytes.
    std::vector<std::uint32_t> keyWords;
    std::string keyBytes;
    // What a state's first arrival left that its key does not tell (the
    // scene, the texts shown, the player's walk), each distinct one once;
    // the states waiting to be explored hold only its number.
    std::unordered_map<std::string, std::uint32_t> contextNumbers;
    std::vector<Game::Snapshot> contexts;
    // The player's motion one frame before the end of each walk seen, by the
    // motion the walk began with.
    struct WalkEnd {
        Game::Motion last;
        std::uint64_t frames = 0;
    };
    std::unordered_map<std::string, WalkEnd> walkEnds;
    std::vector<Arrival> arrivals;
    std::vector<Press> presses;
    std::unordered_map<Press, std::uint32_t, PressHash, SamePress> pressNumbers;
    std::vector<char> won;
    // Whether each state is in a conversation, or waits for one.
    std::vector<char> inTalk;
    DialogWatch dialogWatch;
    // The chosen marks a state keeps: once-only options and those a condition names.
    Names marks;
    // The context each state was first reached in; the states are explored
    // in the order of their numbers, so those from the next one explored on
    // are the ones waiting.
    std::vector<std::uint32_t> contextOf;
    // The moves, as the states they lead to, those of each explored state
    // after those of the state before it, up to its end in moveEnds. In
    // blocks, the most numerous thing kept: an array grown by copying would
    // hold it twice while it grows.
    std::deque<std::uint32_t> moveTargets;
    std::vector<std::uint32_t> moveEnds;
    Names flags;
    // The flags of the game in play, as bits by number.
    std::vector<std::uint32_t> stateFlags;
    Numbering<std::string> labels;
    Names items;
    std::unordered_map<LabelKey, std::uint32_t, LabelKeyHash> labelNumbers;
    // Kept between calls so that building a key allocates nothing.
    std::string bytes;
    Numbering<const void *> things;
    std::unordered_set<const Node *> entered;
    std::unordered_set<const Node *> ran;
    std::unordered_map<const Node *, std::vector<Watched>> watched;
    std::map<const Node *, std::string> coHits;
    std::unordered_map<const Node *, std::vector<Target>> targetsByScene;
};

Solver::Solver(Game &game, std::size_t maxStates) : search(std::make_unique<Search>(game, maxStates))
{
    // A fade changes what is seen and when presses count, never what can happen.
    game.fades = false;
}

Solver::~Solver() = default;

SolveReport Solver::run()
{
    return search->run();
}

// The state as the words that tell it apart from every other: the scene,
// whether the goal was reached, the flags, the inventory in order, the
// selection, the visited scenes, the texts shown and a door still waited for.
void Solver::Search::key()
{
    const GameState &state = game.state;
    keyWords.clear();
    keyWords.push_back(things(game.sceneNode));
    keyWords.push_back(state.goalReached ? 1 : 0);
    // The flags as bits by number, up to the last word with one set: a key
    // grows with the flags there are, not with the flags set, and a state
    // with every one of 3,000 flags set still takes 94 words.
    std::size_t flagWords = stateFlags.size();
    while (flagWords > 0 && stateFlags[flagWords - 1] == 0)
        --flagWords;
    keyWords.push_back(static_cast<std::uint32_t>(flagWords));
    keyWords.insert(keyWords.end(), stateFlags.begin(), stateFlags.begin() + static_cast<std::ptrdiff_t>(flagWords));
    keyWords.push_back(static_cast<std::uint32_t>(state.inventory.size()));
    for (const std::string &item : state.inventory)
        keyWords.push_back(items(item));
    keyWords.push_back(state.selected ? items(*state.selected) + 1 : 0);
    keyWords.push_back(static_cast<std::uint32_t>(state.visited.size()));
    for (const int scene : state.visited)
        keyWords.push_back(static_cast<std::uint32_t>(scene));
    // Only the marks that can change what happens; in one order, whatever
    // the order they were chosen in.
    const std::size_t markCount = keyWords.size();
    keyWords.push_back(0);
    for (const std::string &mark : state.chosen)
        if (const std::uint32_t number = marks.find(mark); number != Names::none) {
            keyWords.push_back(number);
            ++keyWords[markCount];
        }
    std::sort(keyWords.begin() + static_cast<std::ptrdiff_t>(markCount) + 1, keyWords.end());
    for (const EText *text : game.scene->texts)
        if (text->visible)
            keyWords.push_back(things(text));
    keyWords.push_back(game.pendingExit() ? static_cast<std::uint32_t>(*game.pendingExit()) ^ 0x80000000u : 0);
    const ConversationMoment &talk = game.conversation();
    if (talk.running() || game.pendingDialog()) {
        keyWords.push_back(things(talk.dialog));
        keyWords.push_back(things(talk.line));
        keyWords.push_back(things(talk.chosen));
        keyWords.push_back(talk.atMenu() ? 1 : 0);
        keyWords.push_back(things(game.pendingDialog() ? &game.dialogs : nullptr));
    }
    // A conversation a cutscene holds: what the cutscene does after it.
    const SequenceMoment &cutscene = game.cutscene();
    if (cutscene.running()) {
        keyWords.push_back(things(cutscene.sequence));
        keyWords.push_back(static_cast<std::uint32_t>(cutscene.step));
        for (const SequenceRules *queued : cutscene.queued)
            keyWords.push_back(things(queued));
    }
    writeNumbers(keyBytes, keyWords);
}

// The game's state back from a state's key, in the order key() wrote it:
// the state in play and the one decoded differ in a few flags (the next
// state explored, or the state before a press), so only those are set or
// cleared, and a state of thousands of flags is not built anew each time.
void Solver::Search::decode(std::size_t record)
{
    GameState &into = game.state;
    const char *at = known.key(record);
    readNumber(at);
    into.goalReached = readNumber(at) != 0;
    const std::uint32_t flagWords = readNumber(at);
    const std::size_t common = std::max<std::size_t>(flagWords, stateFlags.size());
    stateFlags.resize(common, 0);
    for (std::uint32_t index = 0; index < common; ++index) {
        const std::uint32_t now = index < flagWords ? readNumber(at) : 0;
        for (std::uint32_t changed = now ^ stateFlags[index]; changed != 0; changed &= changed - 1) {
            const std::uint32_t bit = static_cast<std::uint32_t>(__builtin_ctz(changed));
            const std::string &flag = flags[index * 32 + bit];
            if ((now >> bit) & 1u)
                into.setFlag(flag);
            else
                into.clearFlag(flag);
        }
        stateFlags[index] = now;
    }
    into.inventory.resize(readNumber(at));
    for (std::string &held : into.inventory)
        if (const std::string &item = items[readNumber(at)]; held != item)
            held = item;
    const std::uint32_t selected = readNumber(at);
    if (selected == 0)
        into.selected.reset();
    else if (into.selected != items[selected - 1])
        into.selected = items[selected - 1];
    const std::uint32_t visits = readNumber(at);
    const char *scenes = at;
    bool sameVisits = into.visited.size() == visits;
    for (auto scene = into.visited.begin(); sameVisits && scene != into.visited.end(); ++scene)
        sameVisits = static_cast<std::uint32_t>(*scene) == readNumber(scenes);
    if (sameVisits) {
        at = scenes;
    } else {
        into.visited.clear();
        for (std::uint32_t count = 0; count < visits; ++count)
            into.visited.emplace_hint(into.visited.end(), static_cast<int>(readNumber(at)));
    }
    into.chosen.clear();
    for (std::uint32_t count = readNumber(at); count > 0; --count)
        into.chosen.push_back(marks[readNumber(at)]);
}

// A flag named by a condition is given its number here, set or not: the
// flags set in some state are told by the states' keys.
Solver::Search::Test Solver::Search::test(const Condition &condition)
{
    Test made;
    for (const ConditionTerm &term : condition.terms)
        made.terms.emplace_back(&term, term.kind == ConditionTerm::Kind::flag ? flags(term.name) : 0);
    return made;
}

// GameState::holds, with the flags read from the bits of the state restored
// last: the same answer without comparing names, for the solver's own reads
// (which sprites to press, which conditions change) that come with every state.
bool Solver::Search::holds(const Test &test) const
{
    for (const auto &[term, number] : test.terms) {
        bool value = false;
        switch (term->kind) {
        case ConditionTerm::Kind::flag:
            value = bitSet(stateFlags, number);
            break;
        case ConditionTerm::Kind::item:
            value = game.state.holdsItem(term->name);
            break;
        case ConditionTerm::Kind::visited:
            value = game.state.visited.count(term->scene) != 0;
            break;
        case ConditionTerm::Kind::chosen:
            value = game.state.wasChosen(term->name);
            break;
        }
        if (value == term->negated)
            return false;
    }
    return true;
}

// The number of the game's moment besides its state.
std::uint32_t Solver::Search::context()
{
    Game::Snapshot moment = game.snapshotBesidesState();
    bytes.clear();
    appendBytes(bytes, moment.sceneNode);
    appendBytes(bytes, moment.sceneId);
    appendBytes(bytes, moment.waitingExit.has_value());
    appendBytes(bytes, moment.waitingExit.value_or(0));
    appendBytes(bytes, moment.committedExit.has_value());
    appendBytes(bytes, moment.committedExit.value_or(0));
    appendBytes(bytes, moment.playingMusic);
    appendMotion(bytes, moment.motion);
    for (const EText *text : moment.shownTexts)
        appendBytes(bytes, text);
    const ConversationMoment &talk = moment.talk;
    appendBytes(bytes, talk.dialog);
    appendBytes(bytes, talk.lines);
    appendBytes(bytes, talk.nextLine);
    appendBytes(bytes, talk.line);
    appendBytes(bytes, talk.chosen);
    appendBytes(bytes, talk.focusedRow.value_or(SIZE_MAX));
    for (const OptionRules *option : talk.rows)
        appendBytes(bytes, option);
    appendBytes(bytes, moment.waitingDialog.data());
    const SequenceMoment &cutscene = moment.script;
    appendBytes(bytes, cutscene.sequence);
    appendBytes(bytes, cutscene.step);
    for (const SequenceRules *queued : cutscene.queued)
        appendBytes(bytes, queued);
    appendBytes(bytes, cutscene.afterEntryText.data());
    const auto seen = contextNumbers.find(bytes);
    if (seen != contextNumbers.end())
        return seen->second;
    contextNumbers.emplace(bytes, static_cast<std::uint32_t>(contexts.size()));
    contexts.push_back(std::move(moment));
    return static_cast<std::uint32_t>(contexts.size() - 1);
}

// What walkToEnd() does, with each walk seen before skipped to its last
// frame: while a walk lasts only the player moves (and the scene's
// animations go on), and a door waits for its end, so a walk that begins
// alike ends alike.
void Solver::Search::walkOut()
{
    if (!game.player || !game.player->walking)
        return;
    bytes.clear();
    appendMotion(bytes, game.motion());
    const auto seen = walkEnds.find(bytes);
    if (seen != walkEnds.end()) {
        for (std::uint64_t frame = 1; frame < seen->second.frames; ++frame)
            game.scene->animate();
        game.setMotion(seen->second.last);
        playFrame(game);
        return;
    }
    WalkEnd end;
    end.frames = followWalk(game, end.last);
    walkEnds.emplace(bytes, std::move(end));
}

std::optional<sf::FloatRect> Solver::Search::slotRect(std::size_t slot) const
{
    if (!game.rules.inventory)
        return std::nullopt;
    const InventoryBar &bar = *game.rules.inventory;
    return inWorld(sf::FloatRect(bar.slotCorner(slot), bar.slotSize));
}

// What the presses on a scene's sprites are worked out from, once for each
// scene: sprites stay where they were placed (only the player walks, and it
// is never pressed), so only which of them are active changes.
const std::vector<Solver::Search::Target> &Solver::Search::targets()
{
    auto [entry, fresh] = targetsByScene.try_emplace(game.sceneNode);
    std::vector<Target> &all = entry->second;
    if (!fresh)
        return all;
    for (const ESprite *sprite : game.scene->sprites) {
        Target &target = all.emplace_back();
        const std::optional<sf::FloatRect> shown = inWorld(sprite->drawable->getGlobalBounds());
        target.bounds = shown.value_or(sf::FloatRect());
        target.pressable = !(game.player && sprite == game.player->sprite) && sprite->sceneChild && shown;
        const ChildRules *rules = sprite->sceneChild ? game.rules.child(sprite->sceneChild) : nullptr;
        target.acts = target.pressable && doesSomething(sprite, rules);
        if (rules)
            target.active = test(rules->active);
    }
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = 0; j < all.size() && all[i].acts; ++j)
            if (j != i && all[j].pressable && all[j].bounds.intersects(all[i].bounds))
                all[i].overlaps.push_back(static_cast<std::uint32_t>(j));
    return all;
}

// A point of the sprite's bounds that no sprite drawn above it and no
// occupied slot covers, pressing as few other sprites that do something as
// can be; where every point is covered, the point least covered.
// The candidates are the centres of the cells that every edge in the bounds
// cuts them into, which covers every way the rectangles overlap.
sf::Vector2f Solver::Search::pressPoint(std::size_t index, bool &covered, std::vector<std::size_t> &others)
{
    const std::vector<Target> &all = targets();
    const sf::FloatRect own = all[index].bounds;
    std::vector<sf::FloatRect> above;
    std::vector<sf::FloatRect> pressedToo;
    for (const std::size_t i : all[index].overlaps) {
        if (!isActive(all[i]))
            continue;
        // Later in the list is drawn later, over what comes before.
        if (i > index)
            above.push_back(all[i].bounds);
        if (all[i].acts)
            pressedToo.push_back(all[i].bounds);
    }
    for (std::size_t slot = 0; slot < game.state.inventory.size(); ++slot)
        if (const std::optional<sf::FloatRect> rect = slotRect(slot); rect && rect->intersects(own))
            above.push_back(*rect);
    sf::Vector2f best(own.left + own.width / 2, own.top + own.height / 2);
    std::pair<std::size_t, std::size_t> bestCost{0, 0};
    if (!above.empty() || !pressedToo.empty()) {
        std::vector<float> xs{own.left, own.left + own.width};
        std::vector<float> ys{own.top, own.top + own.height};
        for (const std::vector<sf::FloatRect> *rects : {&above, &pressedToo})
            for (const sf::FloatRect &rect : *rects) {
                for (const float x : {rect.left, rect.left + rect.width})
                    if (x > own.left && x < own.left + own.width)
                        xs.push_back(x);
                for (const float y : {rect.top, rect.top + rect.height})
                    if (y > own.top && y < own.top + own.height)
                        ys.push_back(y);
            }
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        std::sort(ys.begin(), ys.end());
        ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
        bestCost = {SIZE_MAX, SIZE_MAX};
        for (std::size_t xi = 0; xi + 1 < xs.size(); ++xi)
            for (std::size_t yi = 0; yi + 1 < ys.size(); ++yi) {
                const sf::Vector2f point((xs[xi] + xs[xi + 1]) / 2, (ys[yi] + ys[yi + 1]) / 2);
                if (!own.contains(point))
                    continue;
                std::pair<std::size_t, std::size_t> cost{0, 0};
                for (const sf::FloatRect &rect : above)
                    cost.first += static_cast<std::size_t>(rect.contains(point));
                for (const sf::FloatRect &rect : pressedToo)
                    cost.second += static_cast<std::size_t>(rect.contains(point));
                if (cost < bestCost) {
                    bestCost = cost;
                    best = point;
                }
            }
    }
    covered = bestCost.first > 0;
    others.clear();
    if (covered)
        for (std::size_t i = 0; i < all.size(); ++i)
            if (i != index && all[i].pressable && all[i].bounds.contains(best) && isActive(all[i]))
                others.push_back(i);
    return best;
}

void Solver::Search::noteCoHit(std::size_t index, const std::vector<std::size_t> &others)
{
    const Node *child = game.scene->sprites[index]->sceneChild;
    if (coHits.count(child))
        return;
    std::string names;
    for (const std::size_t other : others)
        names += (names.empty() ? "" : ", ") + elementName(game.scene->sprites[other]->sceneChild);
    coHits[child] = names.empty() ? std::string("an inventory slot") : names;
}

std::vector<Move> Solver::Search::moves()
{
    std::vector<Move> found;
    const ConversationMoment &talk = game.conversation();
    if (talk.running()) {
        // Nothing but the conversation takes a press: the line is passed by
        // one anywhere, and each row is chosen by its digit or a press in it.
        const float middle = static_cast<float>(worldSize) / 2;
        if (talk.line)
            found.push_back({{middle, middle}, std::nullopt, std::nullopt, std::nullopt, true});
        dialogWatch.offered(talk);
        for (std::size_t row = 0; row < talk.rows.size(); ++row) {
            const sf::FloatRect box = game.rowBox(row);
            found.push_back(
                {{box.left + box.width / 2, box.top + box.height / 2}, std::nullopt, std::nullopt, row, false});
        }
        return found;
    }
    const std::vector<EText *> &texts = game.scene->texts;
    if (!texts.empty() && texts.back()->visible) {
        // Any press on the scene only puts the text away: one that lands on
        // no slot is enough.
        const float middle = static_cast<float>(worldSize) / 2;
        sf::Vector2f point(middle, middle);
        for (std::size_t slot = 0; slot < game.state.inventory.size(); ++slot)
            if (const std::optional<sf::FloatRect> rect = slotRect(slot); rect && rect->contains(point))
                point = {rect->left - 1, rect->top - 1};
        found.push_back({point, std::nullopt, std::nullopt, std::nullopt, false});
    } else {
        const std::vector<Target> &all = targets();
        std::vector<std::size_t> others;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (!all[i].acts || !isActive(all[i]))
                continue;
            bool covered = false;
            const sf::Vector2f point = pressPoint(i, covered, others);
            if (covered)
                noteCoHit(i, others);
            found.push_back({point, i, std::nullopt, std::nullopt, false});
        }
    }
    for (std::size_t slot = 0; slot < game.state.inventory.size(); ++slot) {
        const std::optional<sf::FloatRect> rect = slotRect(slot);
        if (!rect)
            continue;
        const sf::Vector2f centre(rect->left + rect->width / 2, rect->top + rect->height / 2);
        if (game.rules.inventory->slotAt(centre, game.state.inventory.size()) == slot)
            found.push_back({centre, std::nullopt, slot, std::nullopt, false});
    }
    return found;
}

// In words, before the press is made.
std::string Solver::Search::describe(const Move &move) const
{
    const ConversationMoment &talk = game.conversation();
    if (move.passesLine)
        return "pass the line \"" + std::string(talk.line->text ? talk.line->text : "") + "\" of \"" +
               std::string(talk.dialog->id) + "\"";
    if (move.row)
        return "choose \"" + std::string(talk.rows[*move.row]->id) + "\" in \"" + std::string(talk.dialog->id) + "\"";
    const std::string scene = " in scene " + std::to_string(game.scene ? currentSceneId : 0);
    if (move.slot) {
        const std::string &item = game.state.inventory[*move.slot];
        if (game.state.selected && game.state.selected != item)
            if (const InteractionRules::ItemRules *rules = game.interaction.item(item))
                for (const UseRules &use : rules->uses)
                    if ((use.item == *game.state.selected || use.item == "*") && game.state.holds(use.condition))
                        return "use \"" + *game.state.selected + "\" on \"" + item + "\"";
        return (game.state.selected == item ? "deselect \"" : "select \"") + item + "\"";
    }
    if (!move.sprite)
        return "put the text away" + scene;
    const std::string target = elementName(game.scene->sprites[*move.sprite]->sceneChild);
    if (game.state.selected)
        return "use \"" + *game.state.selected + "\" on " + target + scene;
    return "press " + target + scene;
}

// The number of describe(move), worked out once for each thing it depends on.
std::uint32_t Solver::Search::label(const Move &move)
{
    if (move.row || move.passesLine)
        return labels(describe(move));
    // A combination's words depend on the state its condition reads.
    if (move.slot && game.interaction.item(game.state.inventory[*move.slot]))
        return labels(describe(move));
    LabelKey key{game.sceneNode, currentSceneId, game.state.selected ? items(*game.state.selected) + 1 : 0, 0, 0};
    if (move.slot)
        key.slotItem = items(game.state.inventory[*move.slot]) + 1;
    else if (move.sprite)
        key.sprite = static_cast<std::uint32_t>(*move.sprite) + 1;
    const auto [entry, added] = labelNumbers.try_emplace(key, 0);
    if (added)
        entry->second = labels(describe(move));
    return entry->second;
}

// Before the press, for a move in a conversation: the option chosen or the line passed.
const char *Solver::Search::locatedInTalk(const Move &move) const
{
    const ConversationMoment &talk = game.conversation();
    if (move.row)
        return elementPosition(talk.rows[*move.row]->node);
    return move.passesLine ? elementPosition(talk.line->node) : nullptr;
}

// After the press: the <use> that ran, else the scene child pressed.
const char *Solver::Search::located(const Move &move) const
{
    for (const Node *node : game.lastRan())
        if (std::strcmp(node->name(), "use") == 0)
            return elementPosition(node);
    if (!game.lastRan().empty())
        return elementPosition(game.lastRan().front());
    if (move.sprite)
        return elementPosition(game.scene->sprites[*move.sprite]->sceneChild);
    return elementPosition(game.root);
}

// Every condition of the scene's sprites and their uses, as the state makes it now.
void Solver::Search::watchConditions()
{
    auto [entry, fresh] = watched.try_emplace(game.sceneNode);
    std::vector<Watched> &list = entry->second;
    if (fresh)
        for (const ESprite *sprite : game.scene->sprites) {
            const ChildRules *rules = sprite->sceneChild ? game.rules.child(sprite->sceneChild) : nullptr;
            if (!rules)
                continue;
            if (!rules->active.terms.empty())
                list.push_back({test(rules->active), hasAttribute(sprite->sceneChild, "if")->value()});
            for (const UseRules &use : rules->uses)
                if (!use.condition.terms.empty())
                    list.push_back({test(use.condition), hasAttribute(use.node, "if")->value()});
        }
    // One seen both ways has told all it can.
    for (Watched &condition : list)
        if (!condition.seenTrue || !condition.seenFalse)
            (holds(condition.test) ? condition.seenTrue : condition.seenFalse) = true;
}

SolveReport Solver::Search::run()
{
    SolveReport report;
    report.hasGoal = game.rules.hasGoal;
    playerShowsText = game.player && game.player->sprite->hasClickText;
    const Attribute *goal = hasAttribute(game.root, "goal");
    std::tie(report.goalLine, report.goalColumn) = game.position(goal ? goal->value() : elementPosition(game.root));

    // The key of the game in play is in keyBytes; the press is made only
    // for a state not seen before.
    auto discover = [&](std::uint32_t parent, auto &&press) {
        const auto [state, added] = known.insert(keyBytes);
        if (added) {
            arrivals.push_back({parent, press()});
            won.push_back(game.state.goalReached ? 1 : 0);
            inTalk.push_back(game.conversation().running() || game.pendingDialog() ? 1 : 0);
            entered.insert(game.sceneNode);
            contextOf.push_back(context());
        }
        return state;
    };
    for (const DialogRules &dialog : game.dialogs.dialogs)
        for (const OptionRules &option : dialog.options)
            if (option.once || game.rules.namedOptions().count(option.mark) != 0)
                marks(option.mark);
    settle(game);
    for (const std::string &flag : game.state.flags) {
        const std::uint32_t number = flags(flag);
        stateFlags.resize(std::max<std::size_t>(stateFlags.size(), number / 32 + 1), 0);
        stateFlags[number / 32] |= 1u << (number % 32);
    }
    // From here on the game tells the solver each flag it sets or clears,
    // and nothing else; the trace it had is given back at the end.
    FlagWatch watch(flags, stateFlags, game.dialogs.declared ? &dialogWatch : nullptr);
    const TracedTo tracedTo(game, watch);
    key();
    discover(0, [] { return 0u; });
    std::vector<std::uint32_t> reached;
    Game::Snapshot moment;
    // The record of the state explored: states are explored in the order of
    // their numbers, as their records lie.
    std::size_t record = 0;
    for (std::uint32_t from = 0; from < arrivals.size() && !report.limitReached; ++from, record = known.next(record)) {
        moment = contexts[contextOf[from]];
        decode(record);
        game.restoreBesidesState(moment);
        watchConditions();
        reached.clear();
        bool first = true;
        for (const Move &move : moves()) {
            // Working out the moves changes nothing: the first press is made
            // from the state as restored above.
            if (!first) {
                game.restoreBesidesState(moment);
                decode(record);
            }
            first = false;
            const std::uint32_t label = this->label(move);
            const char *talkedAt = locatedInTalk(move);
            const std::string digit = move.row ? rowKey(*move.row) : std::string();
            playFrame(game, [&](Game &played) {
                if (digit.empty())
                    played.press(move.point);
                else
                    played.key(digit);
            });
            const char *where = talkedAt ? talkedAt : located(move);
            const bool actsOnArrival = game.pendingPress();
            // Where the player ends up decides nothing unless a door, a
            // conversation or the press itself waits for the walk, or the
            // player's own click text could cover the next press: only then is
            // the walk stepped through.
            if (game.pendingExit() || game.pendingDialog() || actsOnArrival || game.pendingSequence() ||
                playerShowsText)
                walkOut();
            // A press that acts on arrival has run what it runs only now.
            if (actsOnArrival && !game.lastRan().empty())
                where = located(move);
            for (const Node *node : game.lastRan())
                ran.insert(node);
            // A cutscene the press started is part of the press, taken to its end
            // as a skip takes it, or to a conversation it holds.
            game.finishCutscenesUpToTalk();
            key();
            if (arrivals.size() >= maxStates && known.find(keyBytes) == StateTable::none) {
                report.limitReached = true;
                break;
            }
            const std::uint32_t to = discover(from, [&] {
                const auto [entry, added] =
                    pressNumbers.try_emplace({label, move.point, where, digit.empty() ? '\0' : digit[0]},
                                             static_cast<std::uint32_t>(presses.size()));
                if (added)
                    presses.push_back(entry->first);
                return entry->second;
            });
            if (to != from && std::find(reached.begin(), reached.end(), to) == reached.end()) {
                reached.push_back(to);
                moveTargets.push_back(to);
            }
        }
        moveEnds.push_back(static_cast<std::uint32_t>(moveTargets.size()));
    }
    report.states = arrivals.size();
    report.moves = moveTargets.size();
    for (std::uint32_t state = 0; state < won.size(); ++state)
        if (won[state]) {
            report.solution = pathTo(state);
            break;
        }
    if (!report.limitReached) {
        if (report.solution)
            reportDeadEnds(report, liveStates());
        reportUnreachable(report);
        if (game.dialogs.declared)
            dialogWatch.report(game, trappedDialogs(), report.findings);
    }
    std::sort(report.findings.begin(), report.findings.end(), [](const Diagnostic &a, const Diagnostic &b) {
        return std::tie(a.line, a.column) < std::tie(b.line, b.column);
    });
    return report;
}

std::vector<SolvedPress> Solver::Search::pathTo(std::uint32_t state) const
{
    std::vector<SolvedPress> sequence;
    for (; state != 0; state = arrivals[state].parent) {
        const Press &press = presses[arrivals[state].press];
        sequence.push_back(
            {press.point, labels[press.label], press.digit ? std::string(1, press.digit) : std::string()});
    }
    std::reverse(sequence.begin(), sequence.end());
    return sequence;
}

// The states from which some sequence of presses still reaches the goal.
std::vector<char> Solver::Search::liveStates() const
{
    return reaching(won);
}

// The conversations that some reachable state is in with no way out: no
// sequence of moves from it reaches a state outside every conversation.
std::vector<const DialogRules *> Solver::Search::trappedDialogs()
{
    std::vector<char> outside(inTalk.size());
    for (std::size_t state = 0; state < inTalk.size(); ++state)
        outside[state] = inTalk[state] ? 0 : 1;
    const std::vector<char> leaves = reaching(outside);
    std::vector<const DialogRules *> trapped;
    for (std::uint32_t state = 0; state < leaves.size(); ++state) {
        if (leaves[state])
            continue;
        const Game::Snapshot &moment = contexts[contextOf[state]];
        const DialogRules *dialog = moment.talk.dialog;
        if (dialog && std::find(trapped.begin(), trapped.end(), dialog) == trapped.end())
            trapped.push_back(dialog);
    }
    return trapped;
}

// The states `targets` marks, and each state with a move to one of them:
// with the goal's states, those from which the goal can still be reached. Worked out
// on the moves as they are kept, from each state to where it leads, by
// Tarjan's groups of states that all reach each other: a group is closed
// only after every group it leads to, so whether it reaches the goal is
// known when it closes. Turning the moves round to walk them back would
// take as much memory again as the moves themselves.
std::vector<char> Solver::Search::reaching(const std::vector<char> &targets) const
{
    const auto count = static_cast<std::uint32_t>(arrivals.size());
    constexpr std::uint32_t unmet = UINT32_MAX;
    constexpr std::uint32_t closed = UINT32_MAX - 1;
    std::vector<char> live(targets.begin(), targets.end());
    // The order each state was met in (until its group closes), and the
    // earliest met state of its group it was seen to reach.
    std::vector<std::uint32_t> order(count, unmet);
    std::vector<std::uint32_t> low(count, 0);
    // The states met whose group is still open, in the order met.
    std::vector<std::uint32_t> open;
    // The way from the state the walk began at, with the next move of each.
    struct Visit {
        std::uint32_t state;
        std::uint32_t move;
    };
    std::vector<Visit> way;
    std::uint32_t met = 0;
    auto meet = [&](std::uint32_t state) {
        order[state] = low[state] = met++;
        open.push_back(state);
        way.push_back({state, state == 0 ? 0 : moveEnds[state - 1]});
    };
    for (std::uint32_t begin = 0; begin < count; ++begin) {
        if (order[begin] != unmet)
            continue;
        meet(begin);
        while (!way.empty()) {
            const std::uint32_t state = way.back().state;
            if (way.back().move < moveEnds[state]) {
                const std::uint32_t to = moveTargets[way.back().move++];
                if (order[to] == unmet)
                    meet(to);
                else if (order[to] == closed)
                    live[state] = static_cast<char>(live[state] | live[to]);
                else
                    low[state] = std::min(low[state], order[to]);
                continue;
            }
            way.pop_back();
            if (low[state] == order[state]) {
                const auto first = std::find(open.rbegin(), open.rend(), state).base() - 1;
                char reaches = 0;
                for (auto member = first; member != open.end(); ++member)
                    reaches = static_cast<char>(reaches | live[*member]);
                for (auto member = first; member != open.end(); ++member) {
                    live[*member] = reaches;
                    order[*member] = closed;
                }
                open.erase(first, open.end());
            }
            if (way.empty())
                continue;
            const std::uint32_t before = way.back().state;
            if (order[state] == closed)
                live[before] = static_cast<char>(live[before] | live[state]);
            else
                low[before] = std::min(low[before], low[state]);
        }
    }
    return live;
}

// Each dead state is sealed by the press that first led from a live state
// to a dead one on the shortest way there; dead ends are reported once for
// each press that seals them, with the shortest way to the first of them.
void Solver::Search::reportDeadEnds(SolveReport &report, const std::vector<char> &live) const
{
    struct Group {
        std::uint32_t first = 0;
        std::size_t count = 0;
    };
    std::map<std::pair<const char *, std::uint32_t>, Group> groups;
    std::vector<std::uint32_t> sealedBy(arrivals.size(), 0);
    for (std::uint32_t state = 1; state < arrivals.size(); ++state) {
        if (live[state])
            continue;
        const std::uint32_t parent = arrivals[state].parent;
        sealedBy[state] = live[parent] ? state : sealedBy[parent];
        const Press &seal = presses[arrivals[sealedBy[state]].press];
        Group &group = groups[{seal.where, seal.label}];
        if (group.count++ == 0)
            group.first = sealedBy[state];
    }
    for (const auto &[press, group] : groups) {
        std::string sequence;
        for (const SolvedPress &step : pathTo(group.first))
            sequence += (sequence.empty() ? "" : ", ") + step.what;
        fail(report, press.first, "dead-end",
             "dead end: after \"" + labels[press.second] +
                 "\" the goal can no longer be reached (shortest way there: " + sequence + "; " +
                 std::to_string(group.count) + (group.count == 1 ? " state" : " states") + " sealed by this press)");
    }
}

void Solver::Search::reportUnreachable(SolveReport &report)
{
    Node *scenes = getChild(game.root, "scenes");
    for (Node *scene = scenes->first_node(); scene; scene = scene->next_sibling()) {
        if (scene->type() != rapidxml::node_element)
            continue;
        // Only the scenes up to the one played are checked for a sceneId at start-up.
        const Attribute *sceneId = hasAttribute(scene, "sceneId");
        if (!entered.count(scene))
            warn(report, elementPosition(scene), "unreachable",
                 (sceneId ? "scene " + std::string(sceneId->value()) : elementName(scene)) + " is never entered");
        for (Node *child = scene->first_node(); child; child = child->next_sibling()) {
            const ChildRules *rules = child->type() == rapidxml::node_element ? game.rules.child(child) : nullptr;
            if (!rules)
                continue;
            if (rules->action.exitScene && !ran.count(child))
                warn(report, rules->action.exitWhere, "unreachable",
                     "the door of " + elementName(child) + " to scene " + std::to_string(*rules->action.exitScene) +
                         " is never gone through");
            for (const UseRules &use : rules->uses)
                if (!ran.count(use.node))
                    warn(report, elementPosition(use.node), "unreachable",
                         "using \"" + std::string(use.item) + "\" on " + elementName(child) + " never happens");
        }
    }
    // The flags set in some state.
    std::vector<std::uint32_t> everSet;
    for (std::size_t record = 0, state = 0; state < known.size(); ++state, record = known.next(record)) {
        const char *at = known.key(record);
        readNumber(at);
        readNumber(at);
        const std::uint32_t flagWords = readNumber(at);
        everSet.resize(std::max<std::size_t>(everSet.size(), flagWords), 0);
        for (std::uint32_t index = 0; index < flagWords; ++index)
            everSet[index] |= readNumber(at);
    }
    for (const FlagDeclaration &flag : game.rules.flags)
        if (const std::uint32_t number = flags.find(flag.id); number == Names::none || !bitSet(everSet, number))
            warn(report, elementPosition(flag.node), "unreachable",
                 "the flag \"" + std::string(flag.id) + "\" is never set");
    for (const ItemDeclaration &item : game.rules.items)
        if (!items.contains(item.id))
            warn(report, elementPosition(item.node), "unreachable",
                 "the item \"" + std::string(item.id) + "\" is never obtained");
    for (const auto &[scene, list] : watched)
        for (const Watched &condition : list)
            if (condition.seenTrue != condition.seenFalse)
                warn(report, condition.where, "constant-condition",
                     std::string("this condition is ") + (condition.seenTrue ? "true" : "false") +
                         " in every state the game can reach");
    for (const auto &[child, names] : coHits)
        warn(report, elementPosition(child), "co-hit",
             elementName(child) + " is covered wherever it can be pressed; the solver pressed it together with " +
                 names);
}

void Solver::Search::warn(SolveReport &report, const char *where, const char *code, const std::string &message) const
{
    const auto [line, column] = game.position(where);
    report.findings.push_back({Severity::warning, line, column, code, message});
}

void Solver::Search::fail(SolveReport &report, const char *where, const char *code, const std::string &message) const
{
    const auto [line, column] = game.position(where);
    report.findings.push_back({Severity::error, line, column, code, message});
}
