#pragma once

#include "elements/EObject.h"

#include <SFML/Audio/Music.hpp>
#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

// A sound file the game plays either as a click sound (decoded whole when a
// click hook binds it) or as a scene's music (streamed). Building it opens
// no file.
class EAudio : public EObject {
public:
    // Ten minutes of stereo at 48 kHz: more than any click sound needs, and
    // a bound on the memory one sound file can take.
    static constexpr std::size_t maxClickSamples = 10u * 60u * 48000u * 2u;

    sf::SoundBuffer buffer;
    sf::Sound sound;
    sf::Music music;
    float volume = 100.f;
    float pitch = 1.f;
    Node *node = nullptr;

    explicit EAudio(Node *assetNode);

    void loadVolumeAndPitch(Node *from);
    // Takes "volume" and "pitch" from `from` where given and applies both to the sound.
    void applyVolumeAndPitch(Node *from);
    void loadSound();
    void playSound();
    void playMusic();
    // Whether the machine has a sound device. Without one the audio library
    // fails every call, and a music stream retries its start for ever.
    static bool deviceAvailable();
    // Silences the sound and the music; the program does this before it ends,
    // so no stream is still running while the audio library shuts down.
    void stop();
};
