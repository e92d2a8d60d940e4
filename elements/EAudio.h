#pragma once

#include "core/assets/OnDemandAudio.h"
#include "core/assets/Resources.h"
#include "elements/Catalogue.h"
#include "elements/EObject.h"

// A sound file the game plays either as a click sound (decoded whole when a
// click hook binds it, once for every sound naming the file) or as a scene's
// music (streamed by this element alone). Building it opens no file and no
// audio device.
class EAudio : public EObject {
public:
    // The longest click sound the game decodes (see Resources).
    static constexpr std::size_t maxClickSamples = Resources::maxSoundSamples;

    // Shared with every sound naming the same file; null until loadSound succeeds.
    const sf::SoundBuffer *buffer = nullptr;
    OnDemandSound sound;
    OnDemandMusic music;
    // The player's share of every music's, click sound's and voice line's
    // volume (0 to 1): the loaded game's (see LoadedCatalogue).
    static inline float &musicShare = loadedCatalogue().player.musicShare;
    static inline float &effectsShare = loadedCatalogue().player.effectsShare;
    static inline float &voiceShare = loadedCatalogue().player.voiceShare;

    float volume = 100.f;
    float pitch = 1.f;
    Node *node = nullptr;

    explicit EAudio(Node *assetNode);

    void loadVolumeAndPitch(Node *from);
    // Takes "volume" and "pitch" from `from` where given and applies both to the sound.
    void applyVolumeAndPitch(Node *from);
    void loadSound();
    void playSound();
    void playMusic(bool loop = false);
    // Silences the sound and the music; the program does this before it ends,
    // so no stream is still running while the audio library shuts down.
    void stop();
};
