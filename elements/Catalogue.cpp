#include "elements/Catalogue.h"

#include "core/assets/Resources.h"
#include "core/text/Diagnostics.h"
#include "elements/EText.h"

#include <memory>
#include <new>
#include <utility>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer);
#else
constexpr bool sanitized = false;
#endif

} // namespace

class ElementArena {
public:
    void *allocate(std::size_t size, std::size_t alignment)
    {
        // Room for the element's entry now, so that adopting it cannot fail.
        built.reserve(built.size() + 1);
        return onHeap(size) ? ::operator new(size) : carve(size, alignment);
    }

    // Only an element whose constructor returned is destroyed at release.
    void adopt(void *storage, std::size_t size, void (*destroy)(void *))
    {
        built.push_back({storage, destroy, onHeap(size)});
    }

    // Storage carved from a chunk goes with the chunk at release.
    void abandon(void *storage, std::size_t size)
    {
        if (onHeap(size))
            ::operator delete(storage);
    }

    // Last built, first destroyed: a copy never outlives what it was made from.
    void release()
    {
        for (auto element = built.rbegin(); element != built.rend(); ++element) {
            element->destroy(element->storage);
            if (element->onHeap)
                ::operator delete(element->storage);
        }
        built.clear();
        chunks.clear();
        current = nullptr;
        used = 0;
    }

private:
    struct Built {
        void *storage;
        void (*destroy)(void *);
        bool onHeap;
    };

    static bool onHeap(std::size_t size) { return sanitized || size > chunkSize / 4; }

    void *carve(std::size_t size, std::size_t alignment)
    {
        std::size_t offset = (used + alignment - 1) / alignment * alignment;
        if (!current || offset + size > chunkSize) {
            chunks.push_back(std::make_unique<std::byte[]>(chunkSize));
            current = chunks.back().get();
            offset = 0;
        }
        used = offset + size;
        return current + offset;
    }

    static constexpr std::size_t chunkSize = 256 * 1024;
    std::vector<std::unique_ptr<std::byte[]>> chunks;
    std::vector<Built> built;
    std::byte *current = nullptr;
    std::size_t used = 0;
};

namespace {

ElementArena &arena()
{
    return *loadedCatalogue().arena;
}

} // namespace

LoadedCatalogue::LoadedCatalogue() : arena(std::make_unique<ElementArena>()) {}
LoadedCatalogue::~LoadedCatalogue() = default;
LoadedCatalogue::LoadedCatalogue(LoadedCatalogue &&) noexcept = default;
LoadedCatalogue &LoadedCatalogue::operator=(LoadedCatalogue &&) noexcept = default;

LoadedCatalogue &loadedCatalogue()
{
    // Never destroyed itself: a game still loaded at exit is released by its
    // owner before the libraries under the elements shut down, or not at all.
    static LoadedCatalogue &instance = *new LoadedCatalogue();
    return instance;
}

void warnAt(const char *where, const char *code, const std::string &message)
{
    warnInto(diagnostics, where, code, message);
}

CatalogueState::CatalogueState()
{
    values.player = loadedCatalogue().player;
    files.withoutDevices = gameResources().withoutDevices;
}

// What is set aside and never swapped back is released with it: the elements
// first, then the files they shared.
CatalogueState::~CatalogueState()
{
    values.arena->release();
    files.release();
}

void swapCatalogue(CatalogueState &state)
{
    std::swap(loadedCatalogue(), state.values);
    swapGameResources(state.files);
    gameResources().findings = diagnostics;
}

void *allocateElement(std::size_t size, std::size_t alignment)
{
    return arena().allocate(size, alignment);
}

void adoptElement(void *storage, std::size_t size, void (*destroy)(void *))
{
    arena().adopt(storage, size, destroy);
}

void abandonElement(void *storage, std::size_t size)
{
    arena().abandon(storage, size);
}

// The loaded game is set aside and released with what it was set aside in.
void resetCatalogue()
{
    CatalogueState fresh;
    swapCatalogue(fresh);
}
