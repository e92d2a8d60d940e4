#pragma once

#include "core/anim/Animation.h"
#include "core/assets/Resources.h"
#include "elements/EObject.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>

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
    static inline std::size_t &loadedTextureBytes = gameResources().textureBytes;

    sf::Sprite *drawable = nullptr;
    const sf::Texture *texture = nullptr;
    Node *node = nullptr;
    Node *sceneChild = nullptr;
    EAudio *clickAudio = nullptr;
    EText *clickText = nullptr;
    bool hasClickAudio = false;
    bool hasClickText = false;
    // Set by "frameSize": the sprite shows one cell of its image.
    std::optional<Sheet> sheet;
    std::optional<Loop> loop;

    explicit ESprite(Node *assetNode);

    // Takes the texture of `src`, loading it unless another sprite did.
    void loadTexture();
    // Takes the texture of an image that only later rooms show, once start-up
    // has handed it over (Resources::takeLaterImages).
    void takeLaterImage();

    // Left and top edges of the bounds are inside, right and bottom outside.
    bool contains(sf::Vector2f point) const { return drawable->getGlobalBounds().contains(point); }
    void setPosition(float x, float y);
    void setScale(float x, float y);
    void setOrigin(float x, float y);
    void setRotation(float degrees);
    // Moves the drawable only; the player writes the position back itself.
    // Returns the steps taken: `count`, or fewer when one left the position
    // as it was (that one included).
    int moveSteps(sf::Vector2f step, int count);
    void applySceneNode(Node *child);
    // Position, scale, rotation and origin from a scene child, hooks untouched.
    void applyTransform(Node *child);
    void setClickAudio(const char *audioId);
    void setClickText(const char *textId);
    // Shows cell `index` of the sheet, flipped when `mirrored`; without a
    // sheet the whole image stays.
    void showCell(int index, bool mirrored = false);
    // Shows the loop's cell for the scene's `frame`.
    void animate(std::uint64_t frame);
    // The cell shown, or -1 without a sheet.
    int cell() const { return shownCell; }

private:
    void loadAnimation(Node *from);
    void cutSheet();
    int shownCell = -1;
    bool shownMirrored = false;
};
