#pragma once

#include "core/assets/ImageDecoding.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

class Diagnostics;

// The images that only rooms after the first one show (imagesOfLaterRooms),
// still decoding when the game starts: the first frame waits for none of them.
struct LaterImages {
    // Null when there are none.
    std::unique_ptr<ImageDecoding> decoding;
    // Where they begin in the decoding's list; the first room's come before.
    std::size_t from = 0;
    // Their sizes, from the files' headers: a sprite has its bounds before its pixels.
    std::unordered_map<std::string, sf::Vector2u> sizes;
    // The room shown first, which needs none of them.
    int firstScene = 0;
};

// What start-up prepared on a second thread (see StartupPrefetch).
struct Prefetched {
    // Images decoded from their files, keyed as the elements name them.
    std::unordered_map<std::string, sf::Image> images;
    // An audio object made there, which opened the sound device and keeps it
    // open while it lives; null when the document has no sounds or the
    // machine no device.
    std::unique_ptr<sf::SoundBuffer> audioDevice;
    LaterImages later;
};

// The files a game has loaded, by what each was loaded as, keyed as the
// elements name them: each decoded as that when it was loaded.
struct LoadedFiles {
    std::unordered_set<std::string> images;
    std::unordered_set<std::string> fonts;
    std::unordered_set<std::string> sounds;
};

class Resources;
// The files of the game being loaded or played: one object for the whole
// run, whose contents a reload exchanges (see swapGameResources).
Resources &gameResources();

// The image, font and sound files of the loaded game, each read once and
// shared by every element that names it. Keyed by the path as the elements
// resolve it: the asset path followed by "src". A file that fails to load is
// not remembered as failed: the next element naming it tries again, so each
// one is told why at its own "src", in the library's words. Entries never
// move, so elements keep pointers into them. They go when the game is
// released, after the elements: a sound must be gone before its buffer.
class Resources {
public:
    // Every image stays in memory while the game runs: a short document
    // naming a hundred thousand large images would ask for tens of gigabytes.
    // Images past this total are not loaded.
    static constexpr std::size_t maxTextureBytes = std::size_t(2) << 30;
    // Ten minutes of stereo at 48 kHz: more than any click sound needs, and
    // a bound on the memory one sound file can take.
    static constexpr std::size_t maxSoundSamples = 10u * 60u * 48000u * 2u;
    // Pixel bytes of the distinct images loaded for this game.
    std::size_t textureBytes = 0;
    // The loaded game's textureBytes, by the name the elements and their
    // tests have always used.
    static std::size_t &loadedTextureBytes;
    // Set for a run that has neither a display nor a sound device (the
    // solver): images are measured instead of uploaded, since any texture
    // needs a graphics context and the window library ends the process when
    // it finds no display; and no sound device is asked for. A run sets it
    // once: release() keeps it, and the files of the next game built beside
    // this one take it over.
    bool withoutDevices = false;

    // The image file `path` as a texture, uploaded once; an empty texture
    // (drawn as nothing) while the file cannot be loaded, reported at `where`.
    const sf::Texture &texture(const std::string &path, const char *where);
    // The size of the image file `path`, decoded once and never uploaded, for
    // a run without devices; zero while the file cannot be loaded.
    sf::Vector2u imageSize(const std::string &path, const char *where);

    // The font of file `path`, for binding before it is loaded: the same
    // object before and after loadFont.
    const sf::Font &font(const std::string &path);
    // Loads `path` into its font unless that is done, reporting at `where`.
    void loadFont(const std::string &path, const char *where);

    // The samples of sound file `path`, decoded once; null while the file
    // cannot be loaded. Needs a sound device: the buffer is an audio object.
    const sf::SoundBuffer *soundBuffer(const std::string &path, const char *where);

    // Takes what start-up prepared: texture() uploads a decoded image instead
    // of reading its file, and the game holds the device that was opened.
    void adopt(Prefetched prefetched);

    // The size of `path` while it is one of the later rooms' images still
    // to be taken; nothing otherwise.
    std::optional<sf::Vector2u> laterImageSize(const std::string &path) const;
    // Whether scene `sceneId` may show before the later rooms' images are
    // taken: none are left, or it is the room shown first.
    bool showsWithoutLaterImages(int sceneId) const;
    // Waits for the later rooms' images to be decoded, for texture() to
    // upload them; false when there were none left.
    bool takeLaterImages();
    // Whether the later rooms' images are all decoded, so that taking them
    // waits for nothing.
    bool laterImagesDecoded() const;

    // Opens the audio device unless this game holds it open already, and
    // holds it until the game is released: the library closes it after its
    // last audio object, and opening it again takes tens of milliseconds.
    // False when the machine has no sound device (the library then complains
    // on its error stream).
    bool holdAudioDevice();

    // Gives back every texture, font and buffer, the audio device and the
    // texture budget.
    void release();

    // Every file loaded so far, for the checker not to decode it again.
    LoadedFiles loaded() const;

    // isRegularOrMissing(path), saying why not at `where`.
    bool mayOpen(const std::string &path, const char *where) const;

    // Where failures to load are reported; null reports them on standard error.
    Diagnostics *findings = nullptr;

private:
    template <typename Resource>
    struct Entry {
        Resource resource;
        bool loaded = false;
    };

    bool loadTexture(const std::string &path, const char *where, sf::Texture &texture);
    bool decodeSound(const std::string &path, const char *where, sf::SoundBuffer &buffer) const;
    // Uploads `image` unless that would pass maxTextureBytes.
    bool upload(const std::string &path, const char *where, const sf::Image &image, sf::Texture &texture);

    std::unordered_map<std::string, Entry<sf::Texture>> textures;
    std::unordered_map<std::string, Entry<sf::Font>> fonts;
    std::unordered_map<std::string, Entry<sf::SoundBuffer>> sounds;
    std::unordered_map<std::string, sf::Image> decodedImages;
    std::unordered_map<std::string, sf::Vector2u> imageSizes;
    LaterImages later;
    // Any audio object keeps the device open.
    std::unique_ptr<sf::SoundBuffer> audioDevice;
};

inline std::size_t &Resources::loadedTextureBytes = gameResources().textureBytes;

// Exchanges the game's files with `aside`: a reload builds the next game's
// files while the running game's are set aside. The entries do not move, so
// the elements' pointers into them stay good.
void swapGameResources(Resources &aside);

// Whether the machine has a sound device. Asked of the library once per
// process (without a device it says so once, here); while there is one, the
// game's files hold it open.
bool soundDeviceAvailable();
