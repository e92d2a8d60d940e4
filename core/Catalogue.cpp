#include "core/Catalogue.h"

#include <memory>
#include <new>

std::string assetPath;
std::vector<EAudio *> audioCatalogue;
std::vector<EText *> textCatalogue;
int currentSceneId = 0;
int windowWidth = 100;
int windowHeight = 100;
int frameRateLimit = 24;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer);
#else
constexpr bool sanitized = false;
#endif

class ElementArena {
public:
    void *allocate(std::size_t size, std::size_t alignment)
    {
        if (size > chunkSize / 4)
            return ::operator new(size);
        std::size_t offset = (used + alignment - 1) / alignment * alignment;
        if (!current || offset + size > chunkSize) {
            chunks.push_back(std::make_unique<std::byte[]>(chunkSize));
            current = chunks.back().get();
            offset = 0;
        }
        used = offset + size;
        return current + offset;
    }

private:
    static constexpr std::size_t chunkSize = 256 * 1024;
    std::vector<std::unique_ptr<std::byte[]>> chunks;
    std::byte *current = nullptr;
    std::size_t used = 0;
};

} // namespace

void *allocateElement(std::size_t size, std::size_t alignment)
{
    if (sanitized)
        return ::operator new(size);
    // Never destroyed, like the elements in it: they are used until the very end.
    static ElementArena &arena = *new ElementArena();
    return arena.allocate(size, alignment);
}

void resetCatalogue()
{
    assetPath.clear();
    audioCatalogue.clear();
    textCatalogue.clear();
    currentSceneId = 0;
    windowWidth = 100;
    windowHeight = 100;
    frameRateLimit = 24;
}

// Sanitizer builds look for memory errors and undefined behaviour, not
// leaks: elements are never destroyed, by design, and Mesa's GL driver leaks
// from just-in-time compiled frames that the leak checker cannot attribute.
// Leaks are checked under valgrind instead, where both can be suppressed.
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=0";
}
