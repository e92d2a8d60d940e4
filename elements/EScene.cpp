#include "elements/EScene.h"

#include "core/Catalogue.h"
#include "elements/EAudio.h"

namespace {

int limitOr(Node *node, const char *name, int fallback)
{
    return hasAttribute(node, name) ? readInt(getAttribute(node, name)) : fallback;
}

} // namespace

EScene::EScene(Node *sceneNode) : node(sceneNode)
{
    loadAttributes(sceneNode);
}

void EScene::loadAttributes(Node *sceneNode)
{
    levelLimits[0] = limitOr(sceneNode, "leftLevelLimit", 0);
    levelLimits[1] = limitOr(sceneNode, "upperLevelLimit", 0);
    levelLimits[2] = limitOr(sceneNode, "rightLevelLimit", windowWidth);
    levelLimits[3] = limitOr(sceneNode, "lowerLevelLimit", windowHeight);
    if (hasAttribute(sceneNode, "music"))
        startMusic(getAttribute(sceneNode, "music"));
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
