#include "core/StartupPrefetch.h"

#include "core/Document.h"
#include "core/Resources.h"
#include "core/Source.h"

#include <SFML/System/Err.hpp>

#include <AL/alc.h>

#include <cstring>
#include <streambuf>
#include <sys/stat.h>

// While the second thread works, the library's error stream passes on what
// the main thread writes and drops what the second thread writes: a file
// that fails there is read again by the loader and reported at its "src",
// and a missing sound device is reported once when the game asks for it.
class StartupPrefetch::ErrorFilter : public std::streambuf {
public:
    ErrorFilter() : mainThread(std::this_thread::get_id()), passOn(sf::err().rdbuf(this)) {}
    ~ErrorFilter() override { sf::err().rdbuf(passOn); }
    ErrorFilter(const ErrorFilter &) = delete;
    ErrorFilter &operator=(const ErrorFilter &) = delete;

protected:
    int overflow(int character) override
    {
        return fromMain() ? passOn->sputc(static_cast<char>(character)) : character;
    }
    std::streamsize xsputn(const char *text, std::streamsize count) override
    {
        return fromMain() ? passOn->sputn(text, count) : count;
    }
    int sync() override { return fromMain() ? passOn->pubsync() : 0; }

private:
    bool fromMain() const { return std::this_thread::get_id() == mainThread; }

    std::thread::id mainThread;
    std::streambuf *passOn;
};

namespace {

bool isElementNamed(const Node *node, const char *name)
{
    return node->type() == rapidxml::node_element && std::strcmp(node->name(), name) == 0;
}

} // namespace

StartupPrefetch::StartupPrefetch(std::string gameFolder, std::string gameFile)
    : folder(std::move(gameFolder)), file(std::move(gameFile)), errorFilter(std::make_unique<ErrorFilter>()),
      worker([this] { prepare(); })
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
    errorFilter.reset();
    return std::move(prepared);
}

void StartupPrefetch::prepare()
{
    try {
        Source source(folder + "/" + file);
        source.checkShape();
        rapidxml::xml_document<char> document;
        document.parse<rapidxml::parse_default>(source.text());
        Node *root = document.first_node();
        Node *assets = root ? getChild(root, "assets") : nullptr;
        if (!assets)
            return;
        const std::string prefix = assetPrefix(assets);
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
        // The loader meets the same fault and reports it where it belongs.
    }
}

void StartupPrefetch::decode(const std::string &path)
{
    std::unordered_map<std::string, sf::Image> &images = prepared.images;
    if (images.count(path) || decodedBytes >= Resources::maxTextureBytes)
        return;
    const std::string inFolder = folder + "/" + path;
    // Regular files only: a pipe would keep this thread waiting for ever.
    struct stat info {};
    if (stat(inFolder.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
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
