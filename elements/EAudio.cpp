#include "elements/EAudio.h"

#include "core/Catalogue.h"
#include "core/LibraryErrors.h"

#include <SFML/System/Err.hpp>

#include <iostream>
#include <sstream>

namespace {

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
    if (!deviceAvailable())
        return;
    buffer = gameResources().soundBuffer(src, srcPosition(node));
    if (!buffer)
        return;
    sound.setBuffer(*buffer);
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
        // Without a device the library says so and then fails on the audio
        // object that opens it; the one line below says it instead.
        std::stringbuf unheard;
        std::streambuf *previous = sf::err().rdbuf(&unheard);
        const bool opened = gameResources().holdAudioDevice();
        sf::err().rdbuf(previous);
        if (opened)
            return true;
        std::cerr << "No sound device: the game plays without sound\n";
        return false;
    }();
    return available && gameResources().holdAudioDevice();
}

void EAudio::stop()
{
    sound.stop();
    music.stop();
}
