#include "elements/TextWrap.h"

#include <SFML/Graphics/Text.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Wrapping is judged against the graphics library's own layout of the
// result: every line of the wrapped text, laid out as a text alone, must fit.

namespace {

class TextWrap : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(font.loadFromFile(DEJAVU_FONT)); }

    // The ink widths of each line of `wrapped` as the library lays it out.
    static std::vector<float> lineWidths(const sf::String &wrapped, unsigned size, float outline = 0)
    {
        std::vector<float> widths;
        const std::basic_string<sf::Uint32> all(wrapped.begin(), wrapped.end());
        std::size_t begin = 0;
        for (;;) {
            const std::size_t end = std::min(all.find(U'\n', begin), all.size());
            sf::Text line(sf::String(all.substr(begin, end - begin)), font, size);
            line.setOutlineThickness(outline);
            const sf::FloatRect bounds = line.getLocalBounds();
            widths.push_back(bounds.left + bounds.width);
            if (end == all.size())
                return widths;
            begin = end + 1;
        }
    }

    static std::string utf8(const sf::String &text)
    {
        const std::basic_string<sf::Uint8> bytes = text.toUtf8();
        return {bytes.begin(), bytes.end()};
    }

    static sf::Font font;
};

sf::Font TextWrap::font;

} // namespace

TEST_F(TextWrap, BreaksAtBlanksSoEveryLineFitsAndNoLineCouldTakeTheNextWord)
{
    const sf::String words = "The quick brown fox jumps over the lazy dog and keeps running far away";
    for (const float width : {120.f, 200.f, 333.f}) {
        const WrappedText wrapped = wrapText(words, font, 28, width, 0);
        const std::vector<float> widths = lineWidths(wrapped.text, 28);
        EXPECT_EQ(wrapped.lines, widths.size());
        EXPECT_GT(widths.size(), 1u);
        float widest = 0;
        for (const float line : widths) {
            EXPECT_LE(line, width) << utf8(wrapped.text);
            widest = std::max(widest, line);
        }
        EXPECT_FLOAT_EQ(wrapped.widest, widest) << "measured as the library lays it out";
        // Greedy: each line with the next line's first word would not fit.
        const std::string text = utf8(wrapped.text);
        std::size_t start = 0;
        for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
            const std::size_t next = text.find_first_of(" \n", end + 1);
            const std::string longer = text.substr(start, end - start) + " " +
                                       text.substr(end + 1, (next == std::string::npos ? text.size() : next) - end - 1);
            EXPECT_GT(lineWidths(sf::String::fromUtf8(longer.begin(), longer.end()), 28).front(), width) << longer;
            start = end + 1;
        }
        // Only the blanks where it broke are gone.
        std::string joined = text;
        std::replace(joined.begin(), joined.end(), '\n', ' ');
        EXPECT_EQ(joined, utf8(words));
    }
}

TEST_F(TextWrap, KeepsWrittenLineBreaksAndIndentsAndBreaksALongWordBetweenCharacters)
{
    EXPECT_EQ(utf8(wrapText("one\n  two\n\nthree", font, 20, 1000, 0).text), "one\n  two\n\nthree");
    const WrappedText fits = wrapText("short words", font, 20, 1000, 0);
    EXPECT_EQ(fits.lines, 1u);

    const sf::String word = "Antidisestablishmentarianism";
    const WrappedText broken = wrapText("a " + word + " b", font, 30, 150, 0);
    const std::string text = utf8(broken.text);
    EXPECT_EQ(text.rfind("a\n", 0), 0u) << "the long word starts a line of its own: " << text;
    std::string joined = text;
    joined.erase(std::remove(joined.begin(), joined.end(), '\n'), joined.end());
    EXPECT_EQ(joined, "a" + utf8(word) + " b");
    for (const float line : lineWidths(broken.text, 30))
        EXPECT_LE(line, 150.f) << text;

    // Narrower than one character: one a line, never none.
    const WrappedText narrow = wrapText("WWW", font, 40, 5, 0);
    EXPECT_EQ(utf8(narrow.text), "W\nW\nW");
    FontMetrics metrics(font, 40, 0);
    EXPECT_GT(widestCharacter("iWi", metrics), 5.f);
    EXPECT_FLOAT_EQ(widestCharacter("iWi", metrics), lineWidths("W", 40).front());
}

TEST_F(TextWrap, CountsTheOutlineAndCharactersBeyondAsciiAsTheyAreDrawn)
{
    const std::string written = "Café crème, naïve façade, déjà vu, über alles";
    const sf::String words = sf::String::fromUtf8(written.begin(), written.end());
    const WrappedText wrapped = wrapText(words, font, 26, 180, 3);
    ASSERT_GT(wrapped.lines, 2u);
    float widest = 0;
    for (const float line : lineWidths(wrapped.text, 26, 3)) {
        EXPECT_LE(line, 180.f) << utf8(wrapped.text);
        widest = std::max(widest, line);
    }
    EXPECT_FLOAT_EQ(wrapped.widest, widest);
}
