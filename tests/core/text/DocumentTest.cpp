#include "core/text/Document.h"
#include "core/text/Diagnostics.h"
#include "core/text/StartupError.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

sf::Vector2f pair(const std::string &value)
{
    ParsedXml xml("<e v=\"" + value + "\"/>");
    return getVector2f(xml.root(), "v");
}

std::vector<int> list(const std::string &value)
{
    ParsedXml xml("<e v=\"" + value + "\"/>");
    return getIntList(xml.root(), "v");
}

using Ints = std::vector<int>;

} // namespace

TEST(GetChild, FindsTheFirstElementOfThatNameAndSkipsText)
{
    ParsedXml xml("<r>some text<a k='1'/><b/><a k='2'/></r>");
    Node *found = getChild(xml.root(), "a");
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(getAttribute(found, "k"), "1");
    EXPECT_EQ(getChild(xml.root(), "c"), nullptr);
    EXPECT_EQ(getChild(xml.root(), "A"), nullptr);
    EXPECT_EQ(getChild(xml.root(), ""), nullptr) << "text has an empty name but is no element";
}

TEST(Attributes, MatchWholeNamesExactlyAndTakeTheFirst)
{
    ParsedXml xml("<e pos='1' position='2' position='3' empty=''/>");
    Node *e = xml.root();
    ASSERT_NE(hasAttribute(e, "position"), nullptr);
    EXPECT_STREQ(getAttribute(e, "position"), "2");
    EXPECT_EQ(getAttributeString(e, "position"), "2");
    EXPECT_EQ(hasAttribute(e, "Position"), nullptr);
    EXPECT_EQ(hasAttribute(e, "po"), nullptr);
    EXPECT_NE(hasAttribute(e, "empty"), nullptr);
    EXPECT_STREQ(getAttribute(e, "empty"), "");
    EXPECT_EQ(getAttributeString(e, "missing"), "");
}

TEST(Attributes, ValuesPointIntoTheDocumentWithReferencesTranslated)
{
    ParsedXml xml("<e a='x &amp; y' b='&#65;'/>");
    EXPECT_STREQ(getAttribute(xml.root(), "a"), "x & y");
    EXPECT_STREQ(getAttribute(xml.root(), "b"), "A");
    EXPECT_EQ(getAttribute(xml.root(), "a"), getAttribute(xml.root(), "a"));
}

TEST(GetVector2f, ReadsPairsWithTheBlankAfterTheComma)
{
    EXPECT_EQ(pair("100, 250"), sf::Vector2f(100, 250));
    EXPECT_EQ(pair("0.5, 0.5"), sf::Vector2f(0.5f, 0.5f));
    EXPECT_EQ(pair("-20, 3e2"), sf::Vector2f(-20, 300));
    EXPECT_EQ(pair("1.5, -2"), sf::Vector2f(1.5f, -2));
    EXPECT_EQ(pair("12, abc"), sf::Vector2f(12, 0));
    EXPECT_EQ(pair("100,250"), sf::Vector2f(100, 50)) << "the character after the comma is skipped";
    EXPECT_EQ(pair("10,20"), sf::Vector2f(10, 0));
    ParsedXml xml("<e/>");
    EXPECT_EQ(getVector2f(xml.root(), "v"), sf::Vector2f(0, 0));
}

TEST(GetVector2f, ReadsAMissingNumberAsZeroInsteadOfFailing)
{
    EXPECT_EQ(pair("100,"), sf::Vector2f(100, 0));
    EXPECT_EQ(pair("100"), sf::Vector2f(100, 0));
    EXPECT_EQ(pair("12"), sf::Vector2f(12, 0));
    EXPECT_EQ(pair(""), sf::Vector2f(0, 0));
    EXPECT_EQ(pair(","), sf::Vector2f(0, 0));
    EXPECT_EQ(pair("7, "), sf::Vector2f(7, 0));
}

TEST(GetIntList, ReadsComponentsFollowedByACommaAndABlank)
{
    EXPECT_EQ(list("255, 128, 0, 64, "), (Ints{255, 128, 0, 64}));
    EXPECT_EQ(list("7, 8, "), (Ints{7, 8, 0, 0}));
    EXPECT_EQ(list(", 5, "), (Ints{0, 0, 0, 0}));
    EXPECT_EQ(list(""), (Ints{0, 0, 0, 0}));
    EXPECT_EQ(list("1, 2, 3, 4, 5, "), (Ints{1, 2, 3, 4, 5}));
    EXPECT_EQ(list(std::string(28, '1') + ", 2, "), (Ints{0, 0, 0, 0}));
    ParsedXml xml("<e/>");
    EXPECT_EQ(getIntList(xml.root(), "v"), (Ints{0, 0, 0, 0}));
}

TEST(GetIntList, ReadsTheLastComponentAndNeverFailsOnBadNumbers)
{
    EXPECT_EQ(list("255, 0, 0, 255"), (Ints{255, 0, 0, 255}));
    EXPECT_EQ(list("9"), (Ints{9, 0, 0, 0}));
    EXPECT_EQ(list("x, 12abc, -3, "), (Ints{0, 12, -3, 0}));
    EXPECT_EQ(list("99999999999, -99999999999, "), (Ints{INT_MAX, INT_MIN, 0, 0}));
    EXPECT_EQ(list("1, 2,"), (Ints{1, 2, 0, 0}));
    EXPECT_EQ(list("1, 2, 3, 4, 5"), (Ints{1, 2, 3, 4, 5}));
}

TEST(Numbers, ReadLikeAtoiAndAtofButSaturate)
{
    EXPECT_EQ(readInt("800px"), 800);
    EXPECT_EQ(readInt("45.5"), 45);
    EXPECT_EQ(readInt("  -7"), -7);
    EXPECT_EQ(readInt("x"), 0);
    EXPECT_EQ(readInt("2abc"), 2);
    EXPECT_EQ(readInt("123456789012345"), INT_MAX);
    EXPECT_EQ(readInt("-123456789012345"), INT_MIN);
    EXPECT_FLOAT_EQ(readFloat("2.5e1x"), 25.f);
    EXPECT_EQ(readFloat("abc"), 0.f);
    EXPECT_TRUE(std::isinf(readFloat("1e300")));
}

TEST(RequireAttribute, ThrowsAtTheElementWhenAbsent)
{
    ParsedXml xml("<root>\n  <assets/>\n</root>");
    Node *assets = getChild(xml.root(), "assets");
    try {
        requireAttribute(assets, "path");
        FAIL() << "no error";
    } catch (const StartupError &error) {
        EXPECT_STREQ(error.what(), "<assets> has no \"path\" attribute");
        EXPECT_EQ(*error.where(), '<');
        EXPECT_EQ(error.where(), assets->name() - 1);
    }
}

TEST(Utf8Prefix, CountsCharactersNotBytesAndNeverSplitsOne)
{
    auto cut = [](const std::string &text, std::size_t characters) {
        return std::string(text.data(), utf8Prefix(text.data(), text.data() + text.size(), characters));
    };
    EXPECT_EQ(cut("abcdef", 3), "abc");
    EXPECT_EQ(cut("abc", 3), "abc");
    EXPECT_EQ(cut("abc", 10), "abc");
    EXPECT_EQ(cut("abc", 0), "");
    EXPECT_EQ(cut("", 2), "");
    EXPECT_EQ(cut("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x99\x82x", 3), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x99\x82")
        << "two-, three- and four-byte characters count once each";
    EXPECT_EQ(cut("\x80\x80\x80"
                  "ab",
                  1),
              "\x80\x80\x80"
              "a")
        << "stray continuation bytes start nothing";
}

TEST(EscapeControl, ShowsC0DelAndC1AsHexAndKeepsEveryOtherCharacter)
{
    struct Case {
        const char *why;
        std::string text;
        std::string shown;
    };
    const std::vector<Case> cases{
        {"plain text", "door \"knock\" <a>", "door \"knock\" <a>"},
        {"C0 and DEL", std::string("a\0b\x1b[2J\x7f", 8), "a\\x00b\\x1b[2J\\x7f"},
        {"C1 as UTF-8: CSI and OSC",
         "x\xC2\x9B"
         "2J\xC2\x9D"
         "0;t\xC2\x80\xC2\x9F",
         "x\\x9b2J\\x9d0;t\\x80\\x9f"},
        {"C1 as stray bytes",
         "\x9B"
         "2J\x85",
         "\\x9b2J\\x85"},
        {"characters next to C1", "\xC2\xA0\xC3\xA9\xE2\x82\xAC\xF0\x9F\x99\x82",
         "\xC2\xA0\xC3\xA9\xE2\x82\xAC\xF0\x9F\x99\x82"},
        {"a C1 byte in a sequence cut short",
         "\xE2\x9B"
         "x",
         "\xE2\\x9bx"},
        {"a C1 byte inside an overlong form", "\xC0\x9B", "\xC0\\x9b"},
        {"a C1 byte after a surrogate lead", "\xED\xA0\x80", "\xED\xA0\\x80"},
        {"a three-byte character whose last byte is 0x9b", "\xE2\x80\x9B", "\xE2\x80\x9B"},
        {"bytes above 0x9f that are no character", "\xFF\xA0", "\xFF\xA0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(escapeControl(c.text), c.shown);
    }
}
