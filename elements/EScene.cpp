#include "elements/EScene.h"

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
        startMusic(musicId->value());
}

void EScene::startMusic(const char *musicId)
{
    for (EAudio *audio : audioCatalogue) {
        if (!idEquals(audio->id, musicId))
            continue;
        audio->applyVolumeAndPitch(node);
        audio->playMusic();
        music = audio;
    }
}
