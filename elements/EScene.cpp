#include "elements/EScene.h"

#include "core/assets/Resources.h"
#include "core/text/Lists.h"
#include "elements/Catalogue.h"
#include "elements/EAudio.h"
#include "elements/ESprite.h"

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
    if (const Attribute *area = hasAttribute(sceneNode, "walkArea"))
        loadWalkArea(area, hasAttribute(sceneNode, "walkHoles"));
}

namespace {

Polygon polygonOf(const std::vector<std::pair<double, double>> &points)
{
    Polygon polygon;
    for (const auto &[x, y] : points)
        polygon.push_back({x, y});
    return polygon;
}

} // namespace

// A polygon of fewer than three corners encloses nothing: such an area is
// no area (the checker says so), and such a hole no hole.
void EScene::loadWalkArea(const Attribute *area, const Attribute *holes)
{
    Polygon outline = polygonOf(readPoints(area));
    if (outline.size() < 3)
        return;
    std::vector<Polygon> openings;
    if (holes)
        for (const auto &points : readPointGroups(holes))
            if (points.size() >= 3)
                openings.push_back(polygonOf(points));
    walkArea.emplace(std::move(outline), std::move(openings));
}

void EScene::animate()
{
    for (ESprite *sprite : animated)
        sprite->animate(frame);
    ++frame;
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
