#include "Workload.h"

#include "testkit/WavFile.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace workload {

namespace {

constexpr const char *fontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void drawImage(const std::string &path, int index, unsigned size = 64)
{
    sf::Image image;
    image.create(size, size);
    const auto tint = static_cast<unsigned>(index);
    for (unsigned y = 0; y < size; ++y)
        for (unsigned x = 0; x < size; ++x) {
            const bool stripe = ((x + y + tint) / 8) % 2 == 0;
            image.setPixel(x, y,
                           sf::Color(static_cast<sf::Uint8>(tint * 37 + x * 2),
                                     static_cast<sf::Uint8>(tint * 91 + y * 3),
                                     static_cast<sf::Uint8>(stripe ? tint * 53 : 255 - tint * 53), 255));
        }
    image.saveToFile(path);
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
    if (!fs::exists(assets / largeImage))
        drawImage((assets / largeImage).string(), 7, 1100);
    for (int i = 0; i < soundCount; ++i)
        writeTone((assets / ("snd/a" + std::to_string(i) + ".wav")).string(), 0.5, 220.0 + 55.0 * i, 0.5);
    fs::copy_file(fontFile, assets / "DejaVuSans.ttf", fs::copy_options::overwrite_existing);
}

void writeDocument(const std::string &dir, const DocumentShape &shape, const Naming &naming)
{
    fs::create_directories(dir);
    std::ostringstream xml;
    xml << "<game entryScene=\"1\" width=\"880\" height=\"880\" title=\"Benchmark\" fps=\"" << shape.fps << "\">\n"
        << "  <assets path=\"../assets\">\n";
    for (int i = 0; i < shape.sprites; ++i) {
        // A 16 by 16 grid over the world, shifted a little on every pass.
        const int x = (i % 16) * 65 + (i / 256) % 7;
        const int y = ((i / 16) % 16) * 65 + (i / 256) % 5;
        const std::string image = naming.image.empty() ? imageName(i % shape.poolSize) : naming.image;
        xml << "    <sprite id=\"s" << i << "\" src=\"" << image << "\" position=\"" << x << ", " << y
            << "\" origin=\"0, 0\"/>\n";
    }
    for (int i = 0; i < naming.texts; ++i)
        xml << "    <text id=\"t" << i << "\" src=\"DejaVuSans.ttf\" size=\"20\" position=\"20, " << 40 + 100 * (i % 10)
            << "\">Text " << i << ": the quick brown fox jumps over the lazy dog</text>\n";
    if (shape.sounds)
        for (int i = 0; i < soundCount; ++i)
            xml << "    <audio id=\"a" << i << "\" src=\"snd/a" << i << ".wav\" volume=\"80\"/>\n";
    xml << "  </assets>\n";
    if (naming.dialogs > 0) {
        const int texts = std::max(naming.texts, 1);
        xml << "  <dialogs>\n";
        for (int d = 0; d < naming.dialogs; ++d) {
            xml << "    <dialog id=\"d" << d << "\"><say text=\"t" << d % texts << "\" by=\"s0\"/>\n";
            for (int o = 0; o < 29; ++o)
                xml << "      <option id=\"o" << o << "\" text=\"t" << o % texts << "\" once=\"true\"><say text=\"t"
                    << (o + 1) % texts << "\" by=\"player\"/></option>\n";
            xml << "      <option id=\"bye\" text=\"t0\" then=\"stop\"/>\n    </dialog>\n";
        }
        xml << "  </dialogs>\n";
    }
    xml << "  <scenes>\n    <scene sceneId=\"1\">\n";
    for (int i = 0; i < naming.texts; ++i)
        xml << "      <t" << i << "/>\n";
    for (int i = 0; i < shape.sprites; ++i) {
        xml << "      <s" << i;
        if (shape.sounds && i < soundCount)
            xml << " onClickAudio=\"a" << i << "\"";
        if (i < naming.dialogs)
            xml << " onClickDialog=\"d" << i << "\"";
        xml << "/>\n";
    }
    xml << "    </scene>\n  </scenes>\n</game>\n";
    std::ofstream(fs::path(dir) / "game.xml", std::ios::binary) << xml.str();
}

} // namespace workload
