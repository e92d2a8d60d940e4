#pragma once

#include "core/nav/WalkArea.h"
#include "elements/EObject.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class EAudio;
class ESprite;
class EText;

// The scene on screen: what is drawn and clicked, in order, the level limits
// for the player's targets, and the music. Its lists point at elements they
// do not own.
class EScene : public EObject {
public:
    EAudio *music = nullptr;
    Node *node = nullptr;
    std::vector<ESprite *> sprites;
    std::vector<EText *> texts;
    // Left, upper, right, lower.
    std::array<int, 4> levelLimits{};
    // Where the player walks, when the scene says; the level limits otherwise.
    std::optional<WalkArea> walkArea;
    // Frames of play since the scene was activated: what loops count.
    std::uint64_t frame = 0;
    // The placed sprites that loop, so a frame does not visit the still ones.
    std::vector<ESprite *> animated;

    explicit EScene(Node *sceneNode);

    // Takes the limits and finds the music, without playing it.
    void loadAttributes(Node *sceneNode);
    // Plays every audio of the music's id with the scene's volume and pitch,
    // as the scene's music; `loop` makes it play on until stopped.
    void startMusic(bool loop);
    void stopMusic();
    // Whether the music plays now: a game without a sound device counts its
    // music as playing, so that what it does stays the same on every machine.
    bool musicPlaying() const;
    void startMusic(const char *musicId);
    void loadWalkArea(const Attribute *area, const Attribute *holes);
    // Every placed sprite with a loop shows its cell of this frame; then the
    // next frame begins.
    void animate();
};
