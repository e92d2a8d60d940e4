#include "core/assets/Resources.h"

#include "core/assets/ImageHeader.h"
#include "core/assets/LibraryErrors.h"
#include "core/text/Diagnostics.h"
#include "core/text/FileKind.h"

#include <SFML/Audio/InputSoundFile.hpp>

#include <AL/alc.h>

#include <iostream>
#include <vector>

// Decodes what the file really holds. The library's own loader allocates
// whatever sample count the header claims first, so a tiny file with a lying
// header could ask for gigabytes.
bool Resources::decodeSound(const std::string &path, const char *where, sf::SoundBuffer &buffer) const
{
    const LibraryErrors errors(findings, where, "unreadable-file");
    sf::InputSoundFile file;
    if (!file.openFromFile(path))
        return false;
    std::vector<sf::Int16> samples;
    std::vector<sf::Int16> chunk(65536);
    while (const sf::Uint64 got = file.read(chunk.data(), chunk.size())) {
        if (samples.size() + got > Resources::maxSoundSamples) {
            warnInto(findings, where, "unreadable-file",
                     "Failed to load sound \"" + path + "\" (longer than a click sound may be)");
            return false;
        }
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return buffer.loadFromSamples(samples.data(), samples.size(), file.getChannelCount(), file.getSampleRate());
}

bool Resources::mayOpen(const std::string &path, const char *where) const
{
    if (isRegularOrMissing(path))
        return true;
    warnInto(findings, where, "unreadable-file", "Failed to load \"" + path + "\" (not a regular file)");
    return false;
}

const sf::Texture &Resources::texture(const std::string &path, const char *where)
{
    Entry<sf::Texture> &entry = textures[path];
    if (!entry.loaded && !path.empty() && mayOpen(path, where))
        entry.loaded = loadTexture(path, where, entry.resource);
    return entry.resource;
}

bool Resources::loadTexture(const std::string &path, const char *where, sf::Texture &texture)
{
    // Judged from the header: decoding first would take the memory that the
    // answer is about (20000 x 20000 pixels is 1.6 GB).
    if (const std::optional<sf::Vector2u> size = declaredImageSize(path))
        if (const std::string why = oversizedImage(*size); !why.empty()) {
            warnInto(findings, where, "unreadable-file", "Failed to load image \"" + path + "\" (" + why + ")");
            return false;
        }
    const LibraryErrors errors(findings, where, "unreadable-file");
    const auto decoded = decodedImages.find(path);
    if (decoded == decodedImages.end()) {
        sf::Image image;
        return image.loadFromFile(path) && upload(path, where, image, texture);
    }
    const bool uploaded = upload(path, where, decoded->second, texture);
    decodedImages.erase(decoded);
    return uploaded;
}

bool Resources::upload(const std::string &path, const char *where, const sf::Image &image, sf::Texture &texture)
{
    const std::size_t bytes = std::size_t(image.getSize().x) * image.getSize().y * 4;
    if (bytes > maxTextureBytes - textureBytes) {
        warnInto(findings, where, "texture-budget",
                 "Failed to load image \"" + path + "\" (the game's images would take more than " +
                     std::to_string(maxTextureBytes / (1024 * 1024)) + " MiB)");
        return false;
    }
    if (!texture.loadFromImage(image, sf::IntRect(0, 0, 0, 0)))
        return false;
    textureBytes += bytes;
    return true;
}

sf::Vector2u Resources::imageSize(const std::string &path, const char *where)
{
    const auto known = imageSizes.find(path);
    if (known != imageSizes.end())
        return known->second;
    if (path.empty() || !mayOpen(path, where))
        return {};
    const LibraryErrors errors(findings, where, "unreadable-file");
    sf::Image image;
    if (!image.loadFromFile(path))
        return {};
    return imageSizes[path] = image.getSize();
}

const sf::Font &Resources::font(const std::string &path)
{
    return fonts[path].resource;
}

void Resources::loadFont(const std::string &path, const char *where)
{
    Entry<sf::Font> &entry = fonts[path];
    if (entry.loaded || path.empty() || !mayOpen(path, where))
        return;
    const LibraryErrors errors(findings, where, "unreadable-file");
    entry.loaded = entry.resource.loadFromFile(path);
}

const sf::SoundBuffer *Resources::soundBuffer(const std::string &path, const char *where)
{
    if (path.empty())
        return nullptr;
    Entry<sf::SoundBuffer> &entry = sounds[path];
    if (!entry.loaded && mayOpen(path, where))
        entry.loaded = decodeSound(path, where, entry.resource);
    return entry.loaded ? &entry.resource : nullptr;
}

LoadedFiles Resources::loaded() const
{
    LoadedFiles files;
    auto gather = [](const auto &entries, std::unordered_set<std::string> &into) {
        for (const auto &[path, entry] : entries)
            if (entry.loaded)
                into.insert(path);
    };
    gather(textures, files.images);
    gather(fonts, files.fonts);
    gather(sounds, files.sounds);
    return files;
}

void Resources::adopt(Prefetched prefetched)
{
    decodedImages.merge(prefetched.images);
    if (!audioDevice)
        audioDevice = std::move(prefetched.audioDevice);
    if (prefetched.later.decoding)
        later = std::move(prefetched.later);
}

std::optional<sf::Vector2u> Resources::laterImageSize(const std::string &path) const
{
    const auto size = later.sizes.find(path);
    return size == later.sizes.end() ? std::nullopt : std::optional<sf::Vector2u>(size->second);
}

bool Resources::showsWithoutLaterImages(int sceneId) const
{
    return !later.decoding || later.firstScene == sceneId;
}

bool Resources::laterImagesDecoded() const
{
    return later.decoding && later.decoding->allDone();
}

bool Resources::takeLaterImages()
{
    if (!later.decoding)
        return false;
    decodedImages.merge(later.decoding->takeFrom(later.from));
    later = LaterImages();
    return true;
}

bool Resources::holdAudioDevice()
{
    if (audioDevice)
        return true;
    audioDevice = std::make_unique<sf::SoundBuffer>();
    if (alcGetCurrentContext())
        return true;
    audioDevice.reset();
    return false;
}

void Resources::release()
{
    sounds.clear();
    fonts.clear();
    textures.clear();
    decodedImages.clear();
    imageSizes.clear();
    later = LaterImages();
    audioDevice.reset();
    textureBytes = 0;
}

Resources &gameResources()
{
    // Never destroyed itself: released with the game, before the libraries
    // under it shut down.
    static Resources &instance = *new Resources();
    return instance;
}

void swapGameResources(Resources &aside)
{
    std::swap(gameResources(), aside);
}

bool soundDeviceAvailable()
{
    if (gameResources().withoutDevices)
        return false;
    static const bool available = [] {
        // Without a device the library says so and then fails on the audio
        // object that opens it; the one line below says it instead.
        const LibraryErrorCapture unheard;
        if (gameResources().holdAudioDevice())
            return true;
        std::cerr << "No sound device: the game plays without sound\n";
        return false;
    }();
    return available && gameResources().holdAudioDevice();
}
