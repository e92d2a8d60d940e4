#include "e2e/GameFolder.h"

#include "testkit/WavFile.h"

#include "e2e/CapturedAudio.h"

GameFolder::GameFolder(const std::string &document)
{
    dir.write("game.xml", document);
}

GameFolder &GameFolder::image(const std::string &name, unsigned width, unsigned height, Rgb colour)
{
    writePng(dir.file("assets/" + name), width, height, sf::Color(colour.r, colour.g, colour.b));
    return *this;
}

GameFolder &GameFolder::tone(const std::string &name, double seconds, double frequency, double amplitude)
{
    writeTone(dir.file("assets/" + name), seconds, frequency, amplitude);
    return *this;
}

GameFolder &GameFolder::font(const std::string &name)
{
    copyFont(dir.file("assets/" + name));
    return *this;
}
