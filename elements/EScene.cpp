#include "elements/EScene.h"

#include "core/assets/Resources.h"
#include "elements/Catalogue.h"
#include "elements/EAudio.h"

EScene::EScene(Node *sceneNode) : node(sceneNode)
{
    loadAttributes(sceneNode);
}

void EScene::loadAttributes(Node *sceneNode)
{
    levelLimits[0] = readInteger(sceneNode, "leftLevelLimit", 0);
    levelLimits[1] = readInteger(sceneNode, "upperLevelLimit", 0);
    levelLimits[2] = readInteger(sceneNode, "rightLevelLimit", windowWidth);
    levelLimits[3] = readInteger(sceneNode, "lowerLevelLimit", windowHeight);
    if (const Attribute *musicId = hasAttribute(sceneNode, "music"))
        for (EAudio *audio : audioCatalogue)
            if (idEquals(audio->id, musicId->value()))
                music = audio;
}

void EScene::startMusic(bool loop)
{
    if (!music)
        return;
    for (EAudio *audio : audioCatalogue) {
        if (!idEquals(audio->id, music->id))
            continue;
        audio->applyVolumeAndPitch(node);
        audio->playMusic(loop);
    }
}

void EScene::stopMusic()
{
    if (!music)
        return;
    for (EAudio *audio : audioCatalogue)
        if (idEquals(audio->id, music->id))
            audio->music.stop();
}

bool EScene::musicPlaying() const
{
    return music && (!soundDeviceAvailable() || music->music.getStatus() == sf::Music::Playing);
}
