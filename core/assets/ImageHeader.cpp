#include "core/assets/ImageHeader.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <fstream>

namespace {

using Bytes = std::array<unsigned char, 32>;

unsigned bigEndian(const unsigned char *at, int bytes)
{
    unsigned value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | at[i];
    return value;
}

unsigned littleEndian(const unsigned char *at, int bytes)
{
    unsigned value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

bool endsWith(const std::string &text, const std::string &suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) != suffix[i])
            return false;
    return true;
}

// A JPEG's size is in its first start-of-frame segment, after any number of
// others (EXIF, ICC profiles), each of which says how long it is.
std::optional<sf::Vector2u> jpegSize(std::ifstream &in)
{
    in.seekg(2);
    for (int segments = 0; segments < 4096; ++segments) {
        unsigned char marker[4];
        if (!in.read(reinterpret_cast<char *>(marker), 4) || marker[0] != 0xFF)
            return std::nullopt;
        const unsigned kind = marker[1];
        const unsigned length = bigEndian(marker + 2, 2);
        const bool frame = kind >= 0xC0 && kind <= 0xCF && kind != 0xC4 && kind != 0xC8 && kind != 0xCC;
        if (frame) {
            unsigned char size[5];
            if (!in.read(reinterpret_cast<char *>(size), 5))
                return std::nullopt;
            return sf::Vector2u(bigEndian(size + 3, 2), bigEndian(size + 1, 2));
        }
        if (length < 2)
            return std::nullopt;
        in.seekg(length - 2, std::ios::cur);
    }
    return std::nullopt;
}

} // namespace

std::optional<sf::Vector2u> declaredImageSize(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    Bytes head{};
    if (!in.read(reinterpret_cast<char *>(head.data()), 26))
        return std::nullopt;
    const unsigned char *at = head.data();
    if (bigEndian(at, 4) == 0x89504E47u && bigEndian(at + 12, 4) == 0x49484452u)
        return sf::Vector2u(bigEndian(at + 16, 4), bigEndian(at + 20, 4));
    if (at[0] == 0xFF && at[1] == 0xD8)
        return jpegSize(in);
    if (at[0] == 'G' && at[1] == 'I' && at[2] == 'F')
        return sf::Vector2u(littleEndian(at + 6, 2), littleEndian(at + 8, 2));
    if (at[0] == 'B' && at[1] == 'M') {
        if (littleEndian(at + 14, 4) == 12)
            return sf::Vector2u(littleEndian(at + 18, 2), littleEndian(at + 20, 2));
        const auto height = static_cast<std::int32_t>(littleEndian(at + 22, 4));
        return sf::Vector2u(littleEndian(at + 18, 4),
                            static_cast<unsigned>(height < 0 ? -std::int64_t(height) : height));
    }
    if (endsWith(path, ".tga"))
        return sf::Vector2u(littleEndian(at + 12, 2), littleEndian(at + 14, 2));
    return std::nullopt;
}

std::string oversizedImage(sf::Vector2u size)
{
    if (size.x <= maxImageSide && size.y <= maxImageSide)
        return {};
    return std::to_string(size.x) + " x " + std::to_string(size.y) +
           " pixels, more than the engine can show: at most " + std::to_string(maxImageSide) + " pixels a side";
}
