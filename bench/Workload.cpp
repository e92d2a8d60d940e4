#include "Workload.h"

#include <SFML/Graphics/Image.hpp>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace workload {

namespace {

constexpr const char *fontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void drawImage(const std::string &path, int index)
{
    sf::Image image;
    image.create(64, 64);
    const auto tint = static_cast<unsigned>(index);
    for (unsigned y = 0; y < 64; ++y)
        for (unsigned x = 0; x < 64; ++x) {
            const bool stripe = ((x + y + tint) / 8) % 2 == 0;
            image.setPixel(x, y,
                           sf::Color(static_cast<sf::Uint8>(tint * 37 + x * 2),
                                     static_cast<sf::Uint8>(tint * 91 + y * 3),
                                     static_cast<sf::Uint8>(stripe ? tint * 53 : 255 - tint * 53), 255));
        }
    image.saveToFile(path);
}

// 44.1 kHz mono 16-bit, written by hand: creating an audio object here would
// open the sound device in the runner.
void writeTone(const std::string &path, float seconds, float frequency)
{
    constexpr std::uint32_t rate = 44100;
    const auto count = static_cast<std::uint32_t>(seconds * rate);
    std::string wav = "RIFF....WAVEfmt ";
    auto put = [&wav](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav.push_back(static_cast<char>((value >> (8 * i)) & 0xffu));
    };
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    wav += "data";
    put(count * 2, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const double phase = 2.0 * 3.14159265358979 * frequency * i / rate;
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(0.5 * 32767.0 * std::sin(phase))), 2);
    }
    const auto riffSize = static_cast<std::uint32_t>(wav.size() - 8);
    for (int i = 0; i < 4; ++i)
        wav[4 + static_cast<std::size_t>(i)] = static_cast<char>((riffSize >> (8 * i)) & 0xffu);
    std::ofstream(path, std::ios::binary) << wav;
}

std::string imageName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "img/p%05d.png", index);
    return name;
}

} // namespace

void prepareAssets(const std::string &data, int poolSize)
{
    const fs::path assets = fs::path(data) / "assets";
    fs::create_directories(assets / "img");
    fs::create_directories(assets / "snd");
    for (int i = 0; i < poolSize; ++i) {
        const fs::path image = assets / imageName(i);
        if (!fs::exists(image))
            drawImage(image.string(), i);
    }
    for (int i = 0; i < soundCount; ++i)
        writeTone((assets / ("snd/a" + std::to_string(i) + ".wav")).string(), 0.5f,
                  220.f + 55.f * static_cast<float>(i));
    fs::copy_file(fontFile, assets / "DejaVuSans.ttf", fs::copy_options::overwrite_existing);
}

void writeDocument(const std::string &dir, const DocumentShape &shape)
{
    fs::create_directories(dir);
    std::ostringstream xml;
    xml << "<game entryScene=\"1\" width=\"880\" height=\"880\" title=\"Benchmark\" fps=\"" << shape.fps << "\">\n"
        << "  <assets path=\"../assets\">\n";
    for (int i = 0; i < shape.sprites; ++i) {
        // A 16 by 16 grid over the world, shifted a little on every pass.
        const int x = (i % 16) * 65 + (i / 256) % 7;
        const int y = ((i / 16) % 16) * 65 + (i / 256) % 5;
        xml << "    <sprite id=\"s" << i << "\" src=\"" << imageName(i % shape.poolSize) << "\" position=\"" << x
            << ", " << y << "\" origin=\"0, 0\"/>\n";
    }
    for (int i = 0; i < textCount; ++i)
        xml << "    <text id=\"t" << i << "\" src=\"DejaVuSans.ttf\" size=\"20\" position=\"20, " << 40 + 100 * i
            << "\">Text " << i << ": the quick brown fox jumps over the lazy dog</text>\n";
    if (shape.sounds)
        for (int i = 0; i < soundCount; ++i)
            xml << "    <audio id=\"a" << i << "\" src=\"snd/a" << i << ".wav\" volume=\"80\"/>\n";
    xml << "  </assets>\n  <scenes>\n    <scene sceneId=\"1\">\n";
    for (int i = 0; i < textCount; ++i)
        xml << "      <t" << i << "/>\n";
    for (int i = 0; i < shape.sprites; ++i) {
        xml << "      <s" << i;
        if (shape.sounds && i < soundCount)
            xml << " onClickAudio=\"a" << i << "\"";
        xml << "/>\n";
    }
    xml << "    </scene>\n  </scenes>\n</game>\n";
    std::ofstream(fs::path(dir) / "game.xml", std::ios::binary) << xml.str();
}

} // namespace workload
