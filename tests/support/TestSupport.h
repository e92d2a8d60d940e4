#pragma once

#include "core/text/Document.h"
#include "testkit/WavFile.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A parsed document for tests that read nodes directly.
class ParsedXml {
public:
    explicit ParsedXml(const std::string &xml);
    Node *root() { return document.first_node(); }
    // The first element named `name`, searched depth-first.
    Node *find(const char *name);

private:
    std::vector<char> text;
    rapidxml::xml_document<char> document;
};

// A fresh folder under /tmp, removed again with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string &path() const { return root; }
    std::string file(const std::string &name) const { return root + "/" + name; }
    void write(const std::string &name, const std::string &content) const;

private:
    std::string root;
};

// Runs the body with the working directory set to `dir`.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string &dir);
    ~WorkingDirectory();

private:
    std::string previous;
};

// The bytes of a file; empty when it cannot be read.
std::string readWholeFile(const std::string &path);

void writePng(const std::string &path, unsigned width, unsigned height, sf::Color color);
void copyFont(const std::string &path);

// One window shared by the tests of a process: textures and fonts need a
// graphics context, and the loader resizes and retitles it.
sf::RenderWindow &testWindow();

// Runs `body` in a child process whose audio goes to a WAV file instead of a
// sound card, and returns the samples it played (stereo interleaved, as
// floats in -1..1). The child's audio device is closed at its exit, so the
// file is complete when this returns.
std::vector<float> captureAudio(const std::function<void()> &body);
double rms(const std::vector<float> &samples, std::size_t from = 0, std::size_t count = SIZE_MAX);
// Index of the first sample louder than the noise floor, or the size when silent.
std::size_t onset(const std::vector<float> &samples);
// RMS over `seconds` of stereo 44.1 kHz audio from its onset.
double rmsFromOnset(const std::vector<float> &samples, double seconds);
