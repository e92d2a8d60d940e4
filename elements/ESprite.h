#pragma once

#include "elements/EObject.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstddef>

class EAudio;
class EText;

// A visible, clickable image with an optional click sound and click text.
// Owns its drawable and texture; the hooks point at catalogue objects or at
// copies made for this sprite alone.
class ESprite : public EObject {
public:
    // Every image stays in memory while the game runs, one copy per sprite
    // and per placement: a short document naming one large image a hundred
    // thousand times would ask for tens of gigabytes. Images past this total
    // are not loaded.
    static constexpr std::size_t maxTextureBytes = std::size_t(2) << 30;
    // Pixel bytes of every texture loaded so far in this process.
    static std::size_t loadedTextureBytes;

    sf::Sprite *drawable = nullptr;
    sf::Texture *texture = nullptr;
    Node *node = nullptr;
    Node *sceneChild = nullptr;
    EAudio *clickAudio = nullptr;
    EText *clickText = nullptr;
    bool hasClickAudio = false;
    bool hasClickText = false;

    explicit ESprite(Node *assetNode);

    // Loads `src` into the texture unless that would pass maxTextureBytes.
    void loadTexture();

    // Left and top edges of the bounds are inside, right and bottom outside.
    bool contains(sf::Vector2f point) const { return drawable->getGlobalBounds().contains(point); }
    void setPosition(float x, float y);
    void setScale(float x, float y);
    void setOrigin(float x, float y);
    void setRotation(float degrees);
    // Moves the drawable only; the player writes the position back itself.
    void moveSteps(sf::Vector2f step, int count);
    void applySceneNode(Node *child);
    void setClickAudio(const char *audioId);
    void setClickText(const char *textId);
};
