#pragma once

#include <cstddef>
#include <string>
#include <vector>

class EAudio;
class EText;

// State of the loaded game that the elements read while they are built: the
// asset path that prefixes every "src", the sound and text catalogues that
// click hooks and music look ids up in, and the window values from the
// document. The catalogues point at elements they do not own.

extern std::string assetPath;
extern std::vector<EAudio *> audioCatalogue;
extern std::vector<EText *> textCatalogue;
extern int currentSceneId;
extern int windowWidth;
extern int windowHeight;
extern int frameRateLimit;

// Puts every value above back to its initial state, so one process can load
// several games (tests do). The elements themselves are left alone.
void resetCatalogue();

// Storage for an element or a part it owns, never given back. Elements are
// laid out one after another, so walking a scene's sprites (every click,
// every frame) reads memory in order instead of hopping across the heap.
// Sanitizer builds take each from the heap instead, to keep the guard zones
// between objects.
void *allocateElement(std::size_t size, std::size_t alignment);

// Elements are created zero-filled and are never destroyed: one object may
// stand in a catalogue, a scene list and a click hook at once.
template <typename Element, typename... Arguments>
Element *newElement(Arguments &&...arguments);

#include "core/Catalogue.inl"
