#pragma once

#include "elements/TextWrap.h"

#include <string>

// A font file's measures at one size read with FreeType alone. The checker
// runs where there is no display (a game's CI), and the graphics library
// draws every glyph it measures into a texture, which needs one. The glyphs
// are loaded as the library loads them, so advances and kerning agree with
// what is drawn; the ink is taken from the outline's box, not the drawn
// pixels, and may differ from it by a pixel.
class FontMeasure : public GlyphMetrics {
public:
    FontMeasure(const std::string &path, unsigned characterSize, float outlineThickness);
    ~FontMeasure() override;
    FontMeasure(const FontMeasure &) = delete;
    FontMeasure &operator=(const FontMeasure &) = delete;

    // Whether the file was read as a font; without, every measure is 0.
    bool loaded() const { return face != nullptr; }
    float advance(sf::Uint32 c) override;
    float ink(sf::Uint32 c) override;
    float kerning(sf::Uint32 first, sf::Uint32 second) override;

private:
    bool load(sf::Uint32 c);

    void *library = nullptr;
    void *face = nullptr;
    float outline;
};
