#include "core/assets/StartupPrefetch.h"

#include "core/assets/ImageHeader.h"
#include "core/assets/LibraryErrors.h"
#include "core/assets/Resources.h"
#include "core/text/Document.h"
#include "core/text/FileKind.h"

#include <AL/alc.h>

#include <cstring>
#include <new>
#include <system_error>

namespace {

bool isElementNamed(const Node *node, const char *name)
{
    return node->type() == rapidxml::node_element && std::strcmp(node->name(), name) == 0;
}

} // namespace

StartupPrefetch::StartupPrefetch(std::string gameFolder, const GameDocument &document) : folder(std::move(gameFolder))
{
    // What the loader will load, listed before the threads start: both
    // decoding threads then take from one list that no one changes.
    bool sounds = false;
    try {
        if (Node *assets = document.assets()) {
            const std::string prefix = assetPathOf(assets);
            for (Node *child = assets->first_node(); child; child = child->next_sibling()) {
                const bool image =
                    (isElementNamed(child, "sprite") && hasAttribute(child, "id")) || isElementNamed(child, "player");
                if (const Attribute *src = image ? hasAttribute(child, "src") : nullptr)
                    if (const auto [entry, isNew] = images.try_emplace(prefix + src->value()); isNew)
                        slots.push_back(&*entry);
                sounds = sounds || (isElementNamed(child, "audio") && hasAttribute(child, "src"));
            }
        }
        decoded.resize(slots.size());
    } catch (const std::bad_alloc &) {
        // Without memory for the list, nothing is prefetched.
        slots.clear();
        images.clear();
    }
    decoder = std::thread([this] { decodeUnclaimed(); });
    try {
        if (sounds)
            deviceOpener = std::thread([this] { openAudioDevice(); });
    } catch (const std::system_error &) {
        // The game opens the device itself when it needs it.
    }
}

StartupPrefetch::~StartupPrefetch()
{
    take();
}

Prefetched StartupPrefetch::take()
{
    if (decoder.joinable()) {
        decodeUnclaimed();
        decoder.join();
    }
    if (deviceOpener.joinable())
        deviceOpener.join();
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (!decoded[i])
            images.erase(slots[i]->first);
    slots.clear();
    Prefetched prepared;
    prepared.images = std::move(images);
    prepared.audioDevice = std::move(audioDevice);
    return prepared;
}

void StartupPrefetch::decodeUnclaimed()
{
    // What the library says here is dropped: a file that fails is read again
    // by the loader and reported at its "src".
    const LibraryErrorCapture unheard;
    for (std::size_t i = nextUnclaimed++; i < slots.size(); i = nextUnclaimed++) {
        try {
            decoded[i] = decode(slots[i]->first, slots[i]->second);
        } catch (const std::bad_alloc &) {
            // The loader meets the same shortage, and reports it.
        }
    }
}

bool StartupPrefetch::decode(const std::string &path, sf::Image &image)
{
    if (decodedBytes >= Resources::maxTextureBytes)
        return false;
    const std::string inFolder = folder + "/" + path;
    // Regular files only: a pipe would keep this thread waiting for ever.
    if (!isRegularFile(inFolder))
        return false;
    // Too large to show is refused by the loader from the header alone.
    if (const std::optional<sf::Vector2u> size = declaredImageSize(inFolder); size && !oversizedImage(*size).empty())
        return false;
    if (!image.loadFromFile(inFolder))
        return false;
    decodedBytes += std::size_t(image.getSize().x) * image.getSize().y * 4;
    return true;
}

void StartupPrefetch::openAudioDevice()
{
    // A missing sound device is reported once, when the game asks for it.
    const LibraryErrorCapture unheard;
    try {
        // Any audio object opens the device; it stays open while one lives.
        auto device = std::make_unique<sf::SoundBuffer>();
        if (alcGetCurrentContext())
            audioDevice = std::move(device);
    } catch (const std::bad_alloc &) {
        // The game asks for the device again, and meets the shortage itself.
    }
}
