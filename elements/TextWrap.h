#pragma once

#include <SFML/Graphics/Font.hpp>
#include <SFML/System/String.hpp>

#include <cstddef>
#include <vector>

// A text laid out in lines no wider than a width, measured as the graphics
// library lays the text out: the same pen steps, kerning and ink, so a line
// that fits here fits as drawn.
struct WrappedText {
    sf::String text;
    // How far right of the text's position the widest line's ink reaches.
    float widest = 0;
    std::size_t lines = 1;
};

// What wrapping needs to know of a font at one size: the pen's step across
// a character, where its ink ends right of the pen, and the kerning between
// two. Blanks draw no ink; a tab steps four blanks.
class GlyphMetrics {
public:
    virtual ~GlyphMetrics() = default;
    virtual float advance(sf::Uint32 c) = 0;
    virtual float ink(sf::Uint32 c) = 0;
    // 0 when `first` is 0 (nothing before).
    virtual float kerning(sf::Uint32 first, sf::Uint32 second) = 0;
};

// The graphics library's own measures of a font at one size, with the
// outline the text is drawn with, which widens every character's ink. The
// font finds a glyph through two maps and works a kerning out from both
// glyphs' outlines, so those of the first 128 characters, which most texts
// are made of, are kept in tables: a 10,000-character text then costs a few
// hundred look-ups.
class FontMetrics : public GlyphMetrics {
public:
    FontMetrics(const sf::Font &font, unsigned characterSize, float outlineThickness);
    float advance(sf::Uint32 c) override;
    float ink(sf::Uint32 c) override;
    float kerning(sf::Uint32 first, sf::Uint32 second) override;

private:
    struct Extent {
        float advance = 0;
        float ink = 0;
    };
    static constexpr sf::Uint32 tabled = 128;

    const Extent &of(sf::Uint32 c);
    Extent measured(sf::Uint32 c) const;

    const sf::Font &font;
    unsigned characterSize;
    float outlineThickness;
    Extent extents[tabled]{};
    bool known[tabled]{};
    Extent other;
    std::vector<float> kernings;
};

// Breaks `text` at blanks (a run of blanks where it breaks is dropped) so no
// line is wider than `width`; a word wider than that breaks between
// characters, one character a line at the least. Line breaks written in the
// text stay.
WrappedText wrapText(const sf::String &text, GlyphMetrics &metrics, float width);
// The same in the library's measures of `font`.
WrappedText wrapText(const sf::String &text, const sf::Font &font, unsigned characterSize, float width,
                     float outlineThickness);

// The widest ink of any one of the text's characters: a width below it
// cannot hold that character on a line of its own.
float widestCharacter(const sf::String &text, GlyphMetrics &metrics);
