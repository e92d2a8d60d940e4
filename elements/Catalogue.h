#pragma once

#include "core/assets/Resources.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class Diagnostics;
class EAudio;
class EText;
class ElementArena;
struct TextLanguage;

// What the loaded game's elements read while they are built and played: the
// asset path that prefixes every "src", the sound and text catalogues that
// click hooks and music look ids up in, the window values from the document,
// where loading reports what it finds, and how the player chose to read and
// hear. One record per game; the running game's is loadedCatalogue(). The
// catalogues point at elements they do not own: the element arena owns them
// all.
struct LoadedCatalogue {
    LoadedCatalogue();
    ~LoadedCatalogue();
    LoadedCatalogue(LoadedCatalogue &&) noexcept;
    LoadedCatalogue &operator=(LoadedCatalogue &&) noexcept;
    LoadedCatalogue(const LoadedCatalogue &) = delete;
    LoadedCatalogue &operator=(const LoadedCatalogue &) = delete;

    std::unique_ptr<ElementArena> arena;
    std::string assetPath;
    std::vector<EAudio *> audioCatalogue;
    std::vector<EText *> textCatalogue;
    int currentSceneId = 0;
    int windowWidth = 100;
    int windowHeight = 100;
    int frameRateLimit = 24;
    // Null between games: reports then go to standard error unlocated.
    Diagnostics *diagnostics = nullptr;
    // The language the texts are built in; null for the document's own.
    std::shared_ptr<const TextLanguage> textLanguage;
    // The player's choices for the run: the scale of every text's character
    // size, and the share (0 to 1) of every music's, click sound's and voice
    // line's volume. A game built beside this one takes them over.
    struct PlayerScales {
        float textScale = 1.f;
        float musicShare = 1.f;
        float effectsShare = 1.f;
        float voiceShare = 1.f;
    };
    PlayerScales player;
};

// The running game's record: one object for the whole run, whose contents a
// reload exchanges with the next game's (see swapCatalogue).
LoadedCatalogue &loadedCatalogue();

// The running game's values by the names the elements read them by.
inline std::string &assetPath = loadedCatalogue().assetPath;
inline std::vector<EAudio *> &audioCatalogue = loadedCatalogue().audioCatalogue;
inline std::vector<EText *> &textCatalogue = loadedCatalogue().textCatalogue;
inline int &currentSceneId = loadedCatalogue().currentSceneId;
inline int &windowWidth = loadedCatalogue().windowWidth;
inline int &windowHeight = loadedCatalogue().windowHeight;
inline int &frameRateLimit = loadedCatalogue().frameRateLimit;
inline std::shared_ptr<const TextLanguage> &textLanguage = loadedCatalogue().textLanguage;
inline Diagnostics *&diagnostics = loadedCatalogue().diagnostics;

// A warning from an element while it is built: into the loaded game's
// diagnostics, or, for an element built outside a game, onto standard error.
void warnAt(const char *where, const char *code, const std::string &message);

// Puts the record back to its initial state and releases every element built
// since the last reset, destructors included, then the files they shared, so
// one process can load game after game (reload, tests, the fuzz target). The
// player's choices stay.
void resetCatalogue();

// A loaded game's record and files, held aside. A reload builds the next game
// while the running one is set aside in one of these, and puts the running
// one back if the next fails; nothing of either leaks into the other. A new
// one holds the initial values, the running game's player choices and device
// switch, and no elements.
class CatalogueState {
public:
    CatalogueState();
    ~CatalogueState();
    CatalogueState(const CatalogueState &) = delete;
    CatalogueState &operator=(const CatalogueState &) = delete;

    LoadedCatalogue values;
    Resources files;
};

// Exchanges the running game's record and files with `state`'s.
void swapCatalogue(CatalogueState &state);

// Storage for an element or a part it owns, released with the game. Elements
// are laid out one after another, so walking a scene's sprites (every click,
// every frame) reads memory in order instead of hopping across the heap.
// Sanitizer builds take each from the heap instead, to keep the guard zones
// between objects.
void *allocateElement(std::size_t size, std::size_t alignment);
// The element built in `storage` of `size` bytes is the game's: `destroy`
// runs on it when the game is released.
void adoptElement(void *storage, std::size_t size, void (*destroy)(void *));
// Gives back `storage` whose element was never built (its constructor threw).
void abandonElement(void *storage, std::size_t size);

// Elements are created zero-filled and are not destroyed one by one while a
// game plays: one object may stand in a catalogue, a scene list and a click
// hook at once. They all go together when the game is released.
template <typename Element, typename... Arguments>
Element *newElement(Arguments &&...arguments);

// The catalogue element itself the first time it is claimed, and after that a
// copy built from its asset node: each placement, click hook and use gets an
// object of its own to move, show and play, while the first one costs nothing.
template <typename Element>
Element *claim(Element *catalogueElement);

#include "elements/Catalogue.inl"
