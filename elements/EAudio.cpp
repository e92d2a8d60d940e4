#include "elements/EAudio.h"

#include "core/assets/LibraryErrors.h"
#include "elements/Catalogue.h"

EAudio::EAudio(Node *assetNode) : node(assetNode)
{
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
    sound.setVolume(volume * effectsShare);
    sound.setPitch(pitch);
}

void EAudio::loadSound()
{
    if (!soundDeviceAvailable())
        return;
    buffer = gameResources().soundBuffer(src, srcPosition(node));
    if (!buffer)
        return;
    sound.setBuffer(*buffer);
    sound.setVolume(volume * effectsShare);
    sound.setPitch(pitch);
}

void EAudio::playSound()
{
    sound.play();
}

void EAudio::playMusic(bool loop)
{
    if (!soundDeviceAvailable() || !srcIsLoadable(node))
        return;
    const LibraryErrors errors(diagnostics, srcPosition(node), "unreadable-file");
    if (!music.openFromFile(src))
        return;
    music.setVolume(volume * musicShare);
    music.setPitch(pitch);
    music.setLoop(loop);
    music.play();
}

void EAudio::stop()
{
    sound.stop();
    music.stop();
}
