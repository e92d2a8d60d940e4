#include "elements/TextWrap.h"

#include <SFML/Graphics/Glyph.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using Codepoint = sf::Uint32;

bool isBlank(Codepoint c)
{
    return c == U' ' || c == U'\t';
}

// The pen and ink of one line as it is laid out.
struct Line {
    float pen = 0;
    // The right end of the ink so far.
    float right = 0;
    // The character before the pen, for kerning: none at the start of the text.
    Codepoint previous = 0;
    // Characters other than blanks on the line.
    std::size_t shown = 0;
};

// Steps and ink of a line, from the glyph metrics, as the library lays a text out.
class Measure {
public:
    explicit Measure(GlyphMetrics &glyphs) : metrics(glyphs), blankWidth(glyphs.advance(U' ')) {}

    // Puts `c` on the line: the kerning from the character before, its ink, and the pen past it.
    void place(Line &line, Codepoint c)
    {
        if (c == U'\r')
            return;
        line.pen += metrics.kerning(line.previous, c);
        line.previous = c;
        if (c == U' ') {
            line.pen += blankWidth;
        } else if (c == U'\t') {
            line.pen += 4 * blankWidth;
        } else {
            line.right = std::max(line.right, line.pen + metrics.ink(c));
            line.pen += metrics.advance(c);
            ++line.shown;
        }
    }

private:
    GlyphMetrics &metrics;
    float blankWidth;
};

class Wrapper {
public:
    Wrapper(const sf::String &text, GlyphMetrics &metrics, float width)
        : in(text.begin(), text.end()), limit(width), measure(metrics)
    {
        out.reserve(in.size() + in.size() / 8);
    }

    WrappedText run()
    {
        std::size_t blanks = 0, blanksEnd = 0;
        for (std::size_t at = 0; at < in.size();) {
            if (in[at] == U'\n') {
                keep(blanks, blanksEnd);
                blanks = blanksEnd = 0;
                breakLine();
                ++at;
            } else if (isBlank(in[at])) {
                std::size_t end = at;
                while (end < in.size() && isBlank(in[end]))
                    ++end;
                // Blanks that begin a line are the author's indent.
                if (line.shown == 0)
                    keep(at, end);
                else
                    blanks = at, blanksEnd = end;
                at = end;
            } else {
                std::size_t end = at;
                while (end < in.size() && in[end] != U'\n' && !isBlank(in[end]))
                    ++end;
                word(blanks, blanksEnd, at, end);
                blanks = blanksEnd = 0;
                at = end;
            }
        }
        keep(blanks, blanksEnd);
        widest = std::max(widest, line.right);
        return {sf::String(out), widest, lines};
    }

private:
    // The word [begin, end) after the blanks [blanks, blanksEnd) on the line, or on the next.
    void word(std::size_t blanks, std::size_t blanksEnd, std::size_t begin, std::size_t end)
    {
        Line tried = line;
        place(tried, blanks, blanksEnd);
        place(tried, begin, end);
        if (tried.right <= limit) {
            keep(blanks, blanksEnd);
            keep(begin, end);
            return;
        }
        if (line.shown > 0) {
            breakLine();
            tried = line;
            place(tried, begin, end);
            if (tried.right <= limit) {
                keep(begin, end);
                return;
            }
        }
        for (std::size_t at = begin; at < end; ++at) {
            tried = line;
            measure.place(tried, in[at]);
            if (tried.right > limit && line.shown > 0)
                breakLine();
            keep(at, at + 1);
        }
    }

    void place(Line &on, std::size_t begin, std::size_t end)
    {
        for (std::size_t at = begin; at < end; ++at)
            measure.place(on, in[at]);
    }

    void keep(std::size_t begin, std::size_t end)
    {
        place(line, begin, end);
        out.append(in.begin() + static_cast<std::ptrdiff_t>(begin), in.begin() + static_cast<std::ptrdiff_t>(end));
    }

    void breakLine()
    {
        widest = std::max(widest, line.right);
        out.push_back(U'\n');
        ++lines;
        line = {};
        line.previous = U'\n';
    }

    const std::basic_string<Codepoint> in;
    const float limit;
    Measure measure;
    std::basic_string<Codepoint> out;
    Line line;
    float widest = 0;
    std::size_t lines = 1;
};

} // namespace

FontMetrics::FontMetrics(const sf::Font &typeface, unsigned size, float outline)
    : font(typeface), characterSize(size), outlineThickness(outline),
      kernings(tabled * tabled, std::numeric_limits<float>::quiet_NaN())
{
}

float FontMetrics::advance(Codepoint c)
{
    return of(c).advance;
}

float FontMetrics::ink(Codepoint c)
{
    return of(c).ink;
}

float FontMetrics::kerning(Codepoint first, Codepoint second)
{
    if (first == 0)
        return 0;
    if (first >= tabled || second >= tabled)
        return font.getKerning(first, second, characterSize);
    float &kept = kernings[first * tabled + second];
    if (std::isnan(kept))
        kept = font.getKerning(first, second, characterSize);
    return kept;
}

const FontMetrics::Extent &FontMetrics::of(Codepoint c)
{
    if (c >= tabled) {
        other = measured(c);
        return other;
    }
    if (!known[c]) {
        extents[c] = measured(c);
        known[c] = true;
    }
    return extents[c];
}

FontMetrics::Extent FontMetrics::measured(Codepoint c) const
{
    const float advance = font.getGlyph(c, characterSize, false).advance;
    if (outlineThickness == 0) {
        const sf::FloatRect bounds = font.getGlyph(c, characterSize, false).bounds;
        return {advance, bounds.left + bounds.width};
    }
    // The library draws the outlined glyph shifted back by the thickness.
    const sf::FloatRect bounds = font.getGlyph(c, characterSize, false, outlineThickness).bounds;
    return {advance, bounds.left + bounds.width - outlineThickness};
}

WrappedText wrapText(const sf::String &text, GlyphMetrics &metrics, float width)
{
    return Wrapper(text, metrics, width).run();
}

WrappedText wrapText(const sf::String &text, const sf::Font &font, unsigned characterSize, float width,
                     float outlineThickness)
{
    FontMetrics metrics(font, characterSize, outlineThickness);
    return wrapText(text, metrics, width);
}

float widestCharacter(const sf::String &text, GlyphMetrics &metrics)
{
    float widest = 0;
    for (const Codepoint c : text)
        if (c != U'\n' && c != U'\r' && !isBlank(c))
            widest = std::max(widest, metrics.ink(c));
    return widest;
}
