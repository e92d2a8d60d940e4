#pragma once

#include <SFML/Audio/Music.hpp>
#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

#include <memory>
#include <string>

// The audio library's sound and music objects, made on first use and only on
// a machine with a sound device: without one, every object the library makes
// fails each call and says so on the error stream, five lines a time. Until
// it is made, each reads as an object that never played.

class OnDemandSound {
public:
    void setBuffer(const sf::SoundBuffer &buffer);
    const sf::SoundBuffer *getBuffer() const;
    void setVolume(float volume);
    float getVolume() const;
    void setPitch(float pitch);
    float getPitch() const;
    void play();
    void stop();
    sf::Sound::Status getStatus() const;

private:
    // Null without a sound device.
    sf::Sound *made();

    std::unique_ptr<sf::Sound> sound;
};

class OnDemandMusic {
public:
    bool openFromFile(const std::string &path);
    void setVolume(float volume);
    float getVolume() const;
    void setPitch(float pitch);
    float getPitch() const;
    bool getLoop() const;
    void setLoop(bool loop);
    void play();
    void stop();
    sf::Music::Status getStatus() const;

private:
    std::unique_ptr<sf::Music> music;
};
