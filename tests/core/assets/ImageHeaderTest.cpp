#include "core/assets/ImageHeader.h"
#include "support/TestSupport.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

TEST(ImageHeader, ReadsTheDeclaredSizeOfEachFormatWithoutDecodingAndJudgesItAsTheEngineDoes)
{
    TempDir dir;
    writePng(dir.file("real.png"), 7, 5, sf::Color::Red);
    sf::Image real;
    ASSERT_TRUE(real.loadFromFile(dir.file("real.png")));
    for (const char *format : {"bmp", "tga", "jpg"})
        ASSERT_TRUE(real.saveToFile(dir.file(std::string("real.") + format)));
    struct Case {
        const char *file;
        std::string bytes;
        std::optional<sf::Vector2u> size;
    };
    const std::string pngHead("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    const std::vector<Case> cases{
        {"real.png", "", sf::Vector2u(7, 5)},
        {"real.bmp", "", sf::Vector2u(7, 5)},
        {"real.tga", "", sf::Vector2u(7, 5)},
        {"real.jpg", "", sf::Vector2u(7, 5)},
        {"huge.png", pngHead + std::string("\0\0\x4e\x20\0\0\x4e\x20\x08\x06\0\0\0", 13), sf::Vector2u(20000, 20000)},
        {"wide.gif", std::string("GIF89a\xff\xff\x01\0", 10) + std::string(20, '\0'), sf::Vector2u(65535, 1)},
        {"jpeg with a long segment first",
         std::string("\xff\xd8\xff\xe1\x01\x02", 6) + std::string(256, 'x') +
             std::string("\xff\xc0\0\x11\x08\x50\0\x60\0", 9) + std::string(16, '\0'),
         sf::Vector2u(0x6000, 0x5000)},
        {"cut short.png", pngHead, std::nullopt},
        {"text.png", std::string(40, 'x'), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        if (!c.bytes.empty())
            dir.write(c.file, c.bytes);
        EXPECT_EQ(declaredImageSize(dir.file(c.file)), c.size);
    }
    EXPECT_EQ(oversizedImage({16384, 8192}), "");
    EXPECT_EQ(oversizedImage({20000, 20000}).rfind("20000 x 20000 pixels, more than the engine can show", 0), 0u);
    EXPECT_NE(oversizedImage({16385, 1}), "");
    EXPECT_EQ(oversizedImage({16384, 16384}), "") << "a GiB: the budget of the game as a whole decides";
}
