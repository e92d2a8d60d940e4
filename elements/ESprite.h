#pragma once

#include "elements/EObject.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

class EAudio;
class EText;

// A visible, clickable image with an optional click sound and click text.
// Owns its drawable and texture; the hooks point at catalogue objects or at
// copies made for this sprite alone.
class ESprite : public EObject {
public:
    sf::Sprite *drawable = nullptr;
    sf::Texture *texture = nullptr;
    Node *node = nullptr;
    Node *sceneChild = nullptr;
    EAudio *clickAudio = nullptr;
    EText *clickText = nullptr;
    bool hasClickAudio = false;
    bool hasClickText = false;

    explicit ESprite(Node *assetNode);

    // Left and top edges of the bounds are inside, right and bottom outside.
    bool contains(sf::Vector2f point) const;
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
