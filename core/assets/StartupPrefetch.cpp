#include "core/assets/StartupPrefetch.h"

#include "core/assets/ImageHeader.h"
#include "core/assets/LibraryErrors.h"
#include "core/assets/Resources.h"
#include "core/text/Document.h"
#include "core/text/FileKind.h"

#include <AL/alc.h>

#include <cstring>

namespace {

bool isElementNamed(const Node *node, const char *name)
{
    return node->type() == rapidxml::node_element && std::strcmp(node->name(), name) == 0;
}

} // namespace

StartupPrefetch::StartupPrefetch(std::string gameFolder, std::shared_ptr<const GameDocument> read)
    : folder(std::move(gameFolder)), document(std::move(read)), worker([this] { prepare(); })
{
}

StartupPrefetch::~StartupPrefetch()
{
    take();
}

Prefetched StartupPrefetch::take()
{
    if (worker.joinable())
        worker.join();
    // The game holds the document from here on: when it is replaced, by a
    // reload, say, this share must not keep it in memory.
    document.reset();
    return std::move(prepared);
}

void StartupPrefetch::prepare()
{
    // What the library says on this thread is dropped: a file that fails here
    // is read again by the loader and reported at its "src", and a missing
    // sound device is reported once when the game asks for it.
    const LibraryErrorCapture unheard;
    try {
        Node *assets = document->assets();
        if (!assets)
            return;
        const std::string prefix = assetPathOf(assets);
        bool sounds = false;
        for (Node *child = assets->first_node(); child; child = child->next_sibling()) {
            const bool image =
                (isElementNamed(child, "sprite") && hasAttribute(child, "id")) || isElementNamed(child, "player");
            if (const Attribute *src = image ? hasAttribute(child, "src") : nullptr)
                decode(prefix + src->value());
            sounds = sounds || (isElementNamed(child, "audio") && hasAttribute(child, "src"));
        }
        if (sounds)
            openAudioDevice();
    } catch (...) {
        // Running out of memory here leaves the files to the loader, which
        // reports what it meets.
    }
}

void StartupPrefetch::decode(const std::string &path)
{
    std::unordered_map<std::string, sf::Image> &images = prepared.images;
    if (images.count(path) || decodedBytes >= Resources::maxTextureBytes)
        return;
    const std::string inFolder = folder + "/" + path;
    // Regular files only: a pipe would keep this thread waiting for ever.
    if (!isRegularFile(inFolder))
        return;
    // Too large to show is refused by the loader from the header alone.
    if (const std::optional<sf::Vector2u> size = declaredImageSize(inFolder); size && !oversizedImage(*size).empty())
        return;
    sf::Image &image = images[path];
    if (!image.loadFromFile(inFolder)) {
        images.erase(path);
        return;
    }
    decodedBytes += std::size_t(image.getSize().x) * image.getSize().y * 4;
}

void StartupPrefetch::openAudioDevice()
{
    // Any audio object opens the device; it stays open while one lives.
    auto device = std::make_unique<sf::SoundBuffer>();
    if (alcGetCurrentContext())
        prepared.audioDevice = std::move(device);
}
