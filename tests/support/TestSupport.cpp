#include "support/TestSupport.h"
#include "core/text/Format.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool windowCreated = false;

std::uint32_t littleEndian32(const std::string &bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// The samples of a 16-bit PCM WAV file, whatever its header looks like; the
// data chunk's size is not trusted, since a writer may not have finished it.
std::vector<float> readWavSamples(const std::string &path)
{
    const std::string bytes = readWholeFile(path);
    std::vector<float> samples;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string chunk = bytes.substr(at, 4);
        const std::uint32_t size = littleEndian32(bytes, at + 4);
        if (chunk == "data") {
            for (std::size_t i = at + 8; i + 1 < bytes.size(); i += 2) {
                const auto value = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                             (static_cast<unsigned char>(bytes[i + 1]) << 8));
                samples.push_back(static_cast<float>(value) / 32768.f);
            }
            break;
        }
        at += 8 + size + (size & 1u);
    }
    return samples;
}

} // namespace

std::string readWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ParsedXml::ParsedXml(const std::string &xml) : text(xml.begin(), xml.end())
{
    text.push_back('\0');
    document.parse<0>(text.data());
}

Node *ParsedXml::find(const char *name)
{
    std::vector<Node *> pending{document.first_node()};
    while (!pending.empty()) {
        Node *node = pending.back();
        pending.pop_back();
        if (!node)
            continue;
        if (node->type() == rapidxml::node_element && std::strcmp(node->name(), name) == 0)
            return node;
        pending.push_back(node->next_sibling());
        pending.push_back(node->first_node());
    }
    return nullptr;
}

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "adventure-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    root = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void TempDir::write(const std::string &name, const std::string &content) const
{
    const fs::path target = fs::path(root) / name;
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << content;
}

WorkingDirectory::WorkingDirectory(const std::string &dir) : previous(fs::current_path().string())
{
    fs::current_path(dir);
}

WorkingDirectory::~WorkingDirectory()
{
    fs::current_path(previous);
}

void writePng(const std::string &path, unsigned width, unsigned height, sf::Color color)
{
    sf::Image image;
    image.create(width, height, color);
    fs::create_directories(fs::path(path).parent_path());
    if (!image.saveToFile(path))
        throw std::runtime_error("cannot write " + path);
}

void copyFont(const std::string &path)
{
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(DEJAVU_FONT, path, fs::copy_options::overwrite_existing);
}

sf::RenderWindow &testWindow()
{
    static sf::RenderWindow window(sf::VideoMode(worldSize, worldSize, 32), "Loading...");
    windowCreated = true;
    return window;
}

std::vector<float> captureAudio(const std::function<void()> &body)
{
    // A child that inherited this process's display connection would share it.
    EXPECT_FALSE(windowCreated) << "capture audio before any window is opened in the test process";
    TempDir dir;
    const std::string wav = dir.file("out.wav");
    dir.write("alsoft.conf", "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
                             "frequency = 44100\n[wave]\nfile = " +
                                 wav + "\n");
    const pid_t child = fork();
    if (child == 0) {
        setenv("ALSOFT_CONF", dir.file("alsoft.conf").c_str(), 1);
        body();
        std::exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "audio child failed, status " << status;
    return readWavSamples(wav);
}

double rms(const std::vector<float> &samples, std::size_t from, std::size_t count)
{
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = from; i < samples.size() && n < count; ++i, ++n)
        sum += static_cast<double>(samples[i]) * static_cast<double>(samples[i]);
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

std::size_t onset(const std::vector<float> &samples)
{
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (std::fabs(samples[i]) > 0.01f)
            return i;
    return samples.size();
}

double rmsFromOnset(const std::vector<float> &samples, double seconds)
{
    return rms(samples, onset(samples), static_cast<std::size_t>(seconds * 44100 * 2));
}
