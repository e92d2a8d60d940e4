// How a scene is shown: sorted by depth, the player sized by depth, faded in
// and out. What can happen in the game is the same with or without them; only
// a fade holds presses back while it runs.
#include "core/Game.h"
#include "core/text/Format.h"

#include "elements/EPlayer.h"
#include "elements/EScene.h"
#include "elements/ESprite.h"

#include <SFML/Graphics/RectangleShape.hpp>

#include <cmath>

void Game::sortByDepth(BuiltScene &scenePlaced)
{
    if (!stage.scene(sceneNode).depthSort)
        return;
    std::vector<std::optional<float>> baselines(scene->sprites.size());
    std::optional<std::size_t> playerPlace;
    std::vector<std::size_t> otherPlaces;
    for (std::size_t i = 0; i < scene->sprites.size(); ++i) {
        const ESprite *sprite = scene->sprites[i];
        if (player && sprite == player->sprite) {
            if (playerPlace)
                otherPlaces.push_back(*playerPlace);
            playerPlace = i;
        } else if (sprite->sceneChild) {
            baselines[i] = stage.baseline(sprite->sceneChild);
        }
    }
    scenePlaced.depth = DepthOrder(baselines, playerPlace, otherPlaces);
    scenePlaced.sortsByDepth = true;
}

const std::vector<std::size_t> *Game::depthOrder()
{
    if (!built->sortsByDepth)
        return nullptr;
    built->depth.fill(built->drawOrder, player ? player->sprite->position.y : 0.f);
    return &built->drawOrder;
}

void Game::scalePlayer()
{
    if (!player || !stage.scalesPlayer)
        return;
    const SceneStage &shown = stage.scene(sceneNode);
    const float factor =
        shown.playerScale && built->placesPlayer ? shown.playerScale->at(player->sprite->position.y) : 1.f;
    if (factor == player->speedFactor)
        return;
    player->speedFactor = factor;
    player->sprite->drawable->setScale(player->sprite->scale * factor);
}

bool Game::fading() const
{
    return fades && fade.running();
}

void Game::startFade(Fade::Kind kind, int frames, bool fromCutscene)
{
    if (!fades || frames <= 0) {
        fade = Fade();
        return;
    }
    fade = Fade();
    fade.kind = kind;
    fade.frames = frames;
    fade.fromCutscene = fromCutscene;
    tell(TraceEvent::fade,
         {{"kind", std::string(kind == Fade::Kind::in ? "in" : "out")}, {"frames", std::int64_t{frames}}});
}

// A door of a scene that fades out waits for the fade; a close does not, so
// the auto save keeps the scene the door leads to.
bool Game::leaveThroughFade(int next)
{
    const int frames = stage.scene(sceneNode).fadeOut;
    if (!fades || frames <= 0)
        return false;
    startFade(Fade::Kind::out, frames, false);
    fade.exitTo = next;
    return true;
}

void Game::drawFade()
{
    const float darkness = fades ? fade.darkness() : 0.f;
    if (darkness <= 0.f)
        return;
    const auto side = static_cast<float>(worldSize);
    sf::RectangleShape cover(sf::Vector2f(side, side));
    cover.setFillColor(sf::Color(0, 0, 0, static_cast<sf::Uint8>(std::lround(darkness * 255.f))));
    window->draw(cover);
}
