#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class Diagnostics;
class EAudio;
class EText;
struct TextLanguage;

// State of the loaded game that the elements read while they are built: the
// asset path that prefixes every "src", the sound and text catalogues that
// click hooks and music look ids up in, the window values from the
// document, and where loading reports what it finds. The catalogues point at
// elements they do not own: the element arena below owns them all.

extern std::string assetPath;
extern std::vector<EAudio *> audioCatalogue;
extern std::vector<EText *> textCatalogue;
extern int currentSceneId;
extern int windowWidth;
extern int windowHeight;
extern int frameRateLimit;
// The language the texts are built in; null for the document's own.
extern std::shared_ptr<const TextLanguage> textLanguage;
// Where elements report load failures; owned by the loaded game, null
// between games (reports then go to standard error unlocated).
extern Diagnostics *diagnostics;

// A warning from an element while it is built: into the loaded game's
// diagnostics, or, for an element built outside a game, onto standard error.
void warnAt(const char *where, const char *code, const std::string &message);

// Puts every value above back to its initial state and releases every
// element built since the last reset, destructors included, then the files
// they shared, so one process can load game after game (reload, tests, the
// fuzz target).
void resetCatalogue();

// Everything a loaded game keeps in the globals above, its elements
// included, held aside. A reload builds the next game while the running one
// is set aside in one of these, and puts the running one back if the next
// fails; nothing of either leaks into the other.
class CatalogueState {
public:
    CatalogueState();
    ~CatalogueState();
    CatalogueState(const CatalogueState &) = delete;
    CatalogueState &operator=(const CatalogueState &) = delete;

    struct Values;
    std::unique_ptr<Values> values;
};

// Exchanges the globals (and the elements they own) with `state`: a new
// CatalogueState holds the initial values and no elements.
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
