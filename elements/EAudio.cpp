#include "elements/EAudio.h"

EAudio::EAudio(Node *assetNode) : node(assetNode)
{
    loadCommon(assetNode);
    loadVolumeAndPitch(assetNode);
}

void EAudio::loadVolumeAndPitch(Node *from)
{
    volume = hasAttribute(from, "volume") ? readFloat(getAttribute(from, "volume")) : 100.f;
    pitch = hasAttribute(from, "pitch") ? readFloat(getAttribute(from, "pitch")) : 1.f;
}

void EAudio::applyVolumeAndPitch(Node *from)
{
    if (hasAttribute(from, "volume"))
        volume = readFloat(getAttribute(from, "volume"));
    if (hasAttribute(from, "pitch"))
        pitch = readFloat(getAttribute(from, "pitch"));
    sound.setVolume(volume);
    sound.setPitch(pitch);
}

void EAudio::loadSound()
{
    if (src.empty() || !buffer.loadFromFile(src))
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
    if (src.empty() || !music.openFromFile(src))
        return;
    music.setVolume(volume);
    music.setPitch(pitch);
    music.play();
}

void EAudio::stop()
{
    sound.stop();
    music.stop();
}
