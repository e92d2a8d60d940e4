#pragma once

#include "core/assets/Resources.h"
#include "elements/EObject.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstddef>

class EAudio;
class EText;

// A visible, clickable image with an optional click sound and click text.
// Owns its drawable; its texture is shared with every sprite naming the same
// file. The hooks point at catalogue objects or at copies made for this
// sprite alone.
class ESprite : public EObject {
public:
    // The budget for the game's distinct images (see Resources).
    static constexpr std::size_t maxTextureBytes = Resources::maxTextureBytes;
    static inline std::size_t &loadedTextureBytes = Resources::loadedTextureBytes;

    sf::Sprite *drawable = nullptr;
    const sf::Texture *texture = nullptr;
    Node *node = nullptr;
    Node *sceneChild = nullptr;
    EAudio *clickAudio = nullptr;
    EText *clickText = nullptr;
    bool hasClickAudio = false;
    bool hasClickText = false;

    explicit ESprite(Node *assetNode);

    // Takes the texture of `src`, loading it unless another sprite did.
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
    // Position, scale, rotation and origin from a scene child, hooks untouched.
    void applyTransform(Node *child);
    void setClickAudio(const char *audioId);
    void setClickText(const char *textId);
};
