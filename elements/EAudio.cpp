#include "elements/EAudio.h"

#include "core/Diagnostics.h"
#include "core/LibraryErrors.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <SFML/System/Err.hpp>

#include <AL/alc.h>

#include <iostream>
#include <vector>

namespace {

// Decodes what the file really holds. The library's own loader allocates
// whatever sample count the header claims first, so a tiny file with a lying
// header could ask for gigabytes.
bool decodeSound(const std::string &path, const char *where, sf::SoundBuffer &buffer)
{
    const LibraryErrors errors(where, "unreadable-file");
    sf::InputSoundFile file;
    if (!file.openFromFile(path))
        return false;
    std::vector<sf::Int16> samples;
    std::vector<sf::Int16> chunk(65536);
    while (const sf::Uint64 got = file.read(chunk.data(), chunk.size())) {
        if (samples.size() + got > EAudio::maxClickSamples) {
            warnAt(where, "unreadable-file",
                   "Failed to load sound \"" + path + "\" (longer than a click sound may be)");
            return false;
        }
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return buffer.loadFromSamples(samples.data(), samples.size(), file.getChannelCount(), file.getSampleRate());
}

// The audio library reports failures from its music streaming threads as
// well as from the main one, through an error stream whose buffer takes no
// lock, so two reports at once can corrupt it (and do, once a game has more
// sounds than the device has sources). Standard error's own buffer locks.
void shareTheErrorStreamSafely()
{
    static const bool shared = [] {
        sf::err().rdbuf(std::cerr.rdbuf());
        return true;
    }();
    static_cast<void>(shared);
}

} // namespace

EAudio::EAudio(Node *assetNode) : node(assetNode)
{
    shareTheErrorStreamSafely();
    loadCommon(assetNode);
    loadVolumeAndPitch(assetNode);
}

void EAudio::loadVolumeAndPitch(Node *from)
{
    volume = readDecimal(from, "volume", 100.f);
    pitch = readDecimal(from, "pitch", 1.f);
}

void EAudio::applyVolumeAndPitch(Node *from)
{
    volume = readDecimal(from, "volume", volume);
    pitch = readDecimal(from, "pitch", pitch);
    sound.setVolume(volume);
    sound.setPitch(pitch);
}

void EAudio::loadSound()
{
    if (!deviceAvailable() || !srcIsLoadable(node) || !decodeSound(src, srcPosition(node), buffer))
        return;
    sound.setBuffer(buffer);
    sound.setVolume(volume);
    sound.setPitch(pitch);
}

void EAudio::playSound()
{
    sound.play();
}

void EAudio::playMusic()
{
    if (!deviceAvailable() || !srcIsLoadable(node))
        return;
    const LibraryErrors errors(srcPosition(node), "unreadable-file");
    if (!music.openFromFile(src))
        return;
    music.setVolume(volume);
    music.setPitch(pitch);
    music.play();
}

bool EAudio::deviceAvailable()
{
    static const bool available = [] {
        // Any audio object makes the library open its device and make a context current.
        const sf::SoundBuffer probe;
        if (alcGetCurrentContext())
            return true;
        std::cerr << "No sound device: the game plays without sound\n";
        return false;
    }();
    return available;
}

void EAudio::stop()
{
    sound.stop();
    music.stop();
}
