#include "core/assets/StartupPrefetch.h"

#include "core/assets/ImageHeader.h"
#include "core/assets/LaterRooms.h"
#include "core/assets/LibraryErrors.h"
#include "core/assets/Resources.h"
#include "core/text/Document.h"
#include "core/text/FileKind.h"

#include <AL/alc.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace {

bool isElementNamed(const Node *node, const char *name)
{
    return node->type() == rapidxml::node_element && std::strcmp(node->name(), name) == 0;
}

// The header's size of the image `path` in `folder`, unless the loader would
// refuse the file without decoding it: such a file is reported while the game loads.
std::optional<sf::Vector2u> showableSize(const std::string &folder, const std::string &path)
{
    std::string inFolder = folder;
    inFolder.append("/").append(path);
    if (!isRegularFile(inFolder))
        return std::nullopt;
    const std::optional<sf::Vector2u> size = declaredImageSize(inFolder);
    if (!size || !oversizedImage(*size).empty())
        return std::nullopt;
    return size;
}

// The later rooms' images that can wait, with their sizes: all of them or
// none. Images are uploaded in the order they are loaded, and the budget
// refuses whichever comes past it: near the budget that order stays the
// document's.
std::unordered_map<std::string, sf::Vector2u> laterSizes(const std::string &folder,
                                                         const std::vector<std::string> &paths,
                                                         const std::unordered_set<std::string> &later)
{
    std::unordered_map<std::string, sf::Vector2u> sizes;
    std::size_t bytes = 0;
    for (const std::string &path : paths) {
        const std::optional<sf::Vector2u> size = showableSize(folder, path);
        if (size)
            bytes += std::size_t(size->x) * size->y * 4;
        if (later.count(path) && size)
            sizes.emplace(path, *size);
    }
    if (bytes > Resources::maxTextureBytes)
        sizes.clear();
    return sizes;
}

} // namespace

StartupPrefetch::StartupPrefetch(std::string folder, const GameDocument &document)
{
    // What the loader will load, listed before the threads start: both
    // decoding threads then take from one list that no one changes.
    bool sounds = false;
    std::vector<std::string> paths;
    try {
        if (Node *assets = document.assets()) {
            const std::string prefix = assetPathOf(assets);
            std::unordered_set<std::string> listed;
            for (Node *child = assets->first_node(); child; child = child->next_sibling()) {
                const bool image =
                    (isElementNamed(child, "sprite") && hasAttribute(child, "id")) || isElementNamed(child, "player");
                if (const Attribute *src = image ? hasAttribute(child, "src") : nullptr)
                    if (listed.insert(prefix + src->value()).second)
                        paths.push_back(prefix + src->value());
                sounds = sounds || (isElementNamed(child, "audio") && hasAttribute(child, "src"));
            }
            Node *root = assets->parent();
            if (const std::unordered_set<std::string> laterRooms = imagesOfLaterRooms(root); !laterRooms.empty()) {
                later.sizes = laterSizes(folder, paths, laterRooms);
                later.firstScene = readInt(getAttribute(root, "entryScene"));
            }
        }
        // The first room's images first, then the later rooms'.
        const auto first = std::stable_partition(paths.begin(), paths.end(),
                                                 [&](const std::string &path) { return !later.sizes.count(path); });
        later.from = static_cast<std::size_t>(first - paths.begin());
    } catch (const std::bad_alloc &) {
        // Without memory for the list, nothing is prefetched.
        paths.clear();
        later = LaterImages();
    }
    decoding = std::make_unique<ImageDecoding>(std::move(folder), paths);
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
    Prefetched prepared;
    if (decoding) {
        prepared.images = decoding->takeFirst(later.from);
        if (later.sizes.empty())
            decoding.reset();
        else
            later.decoding = std::move(decoding);
        prepared.later = std::move(later);
    }
    if (deviceOpener.joinable())
        deviceOpener.join();
    prepared.audioDevice = std::move(audioDevice);
    return prepared;
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
