#include "core/assets/OnDemandAudio.h"

#include "core/assets/Resources.h"

sf::Sound *OnDemandSound::made()
{
    if (!sound && soundDeviceAvailable())
        sound = std::make_unique<sf::Sound>();
    return sound.get();
}

void OnDemandSound::setBuffer(const sf::SoundBuffer &buffer)
{
    if (sf::Sound *made = this->made())
        made->setBuffer(buffer);
}

const sf::SoundBuffer *OnDemandSound::getBuffer() const
{
    return sound ? sound->getBuffer() : nullptr;
}

void OnDemandSound::setVolume(float volume)
{
    if (sf::Sound *made = this->made())
        made->setVolume(volume);
}

float OnDemandSound::getVolume() const
{
    return sound ? sound->getVolume() : 100.f;
}

void OnDemandSound::setPitch(float pitch)
{
    if (sf::Sound *made = this->made())
        made->setPitch(pitch);
}

float OnDemandSound::getPitch() const
{
    return sound ? sound->getPitch() : 1.f;
}

// A sound never given a buffer or a setting has nothing to play.
void OnDemandSound::play()
{
    if (sound)
        sound->play();
}

void OnDemandSound::stop()
{
    if (sound)
        sound->stop();
}

sf::Sound::Status OnDemandSound::getStatus() const
{
    return sound ? sound->getStatus() : sf::Sound::Stopped;
}

bool OnDemandMusic::openFromFile(const std::string &path)
{
    if (!music && soundDeviceAvailable())
        music = std::make_unique<sf::Music>();
    return music && music->openFromFile(path);
}

void OnDemandMusic::setVolume(float volume)
{
    if (music)
        music->setVolume(volume);
}

float OnDemandMusic::getVolume() const
{
    return music ? music->getVolume() : 100.f;
}

void OnDemandMusic::setPitch(float pitch)
{
    if (music)
        music->setPitch(pitch);
}

float OnDemandMusic::getPitch() const
{
    return music ? music->getPitch() : 1.f;
}

bool OnDemandMusic::getLoop() const
{
    return music && music->getLoop();
}

void OnDemandMusic::setLoop(bool loop)
{
    if (music)
        music->setLoop(loop);
}

void OnDemandMusic::play()
{
    if (music)
        music->play();
}

void OnDemandMusic::stop()
{
    if (music)
        music->stop();
}

sf::Music::Status OnDemandMusic::getStatus() const
{
    return music ? music->getStatus() : sf::Music::Stopped;
}
