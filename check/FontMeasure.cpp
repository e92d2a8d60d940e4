#include "check/FontMeasure.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

constexpr float fromFixed = 1.f / 64.f;

FT_Face faceOf(void *face)
{
    return static_cast<FT_Face>(face);
}

} // namespace

FontMeasure::FontMeasure(const std::string &path, unsigned characterSize, float outlineThickness)
    : outline(outlineThickness)
{
    FT_Library opened = nullptr;
    if (FT_Init_FreeType(&opened) != 0)
        return;
    library = opened;
    FT_Face read = nullptr;
    if (FT_New_Face(opened, path.c_str(), 0, &read) != 0)
        return;
    if (FT_Select_Charmap(read, FT_ENCODING_UNICODE) != 0 || FT_Set_Pixel_Sizes(read, 0, characterSize) != 0) {
        FT_Done_Face(read);
        return;
    }
    face = read;
}

FontMeasure::~FontMeasure()
{
    if (face)
        FT_Done_Face(faceOf(face));
    if (library)
        FT_Done_FreeType(static_cast<FT_Library>(library));
}

bool FontMeasure::load(sf::Uint32 c)
{
    return face && FT_Load_Char(faceOf(face), c, FT_LOAD_TARGET_NORMAL | FT_LOAD_FORCE_AUTOHINT) == 0;
}

float FontMeasure::advance(sf::Uint32 c)
{
    return load(c) ? static_cast<float>(faceOf(face)->glyph->metrics.horiAdvance) * fromFixed : 0.f;
}

float FontMeasure::ink(sf::Uint32 c)
{
    if (!load(c))
        return 0.f;
    const FT_Glyph_Metrics &metrics = faceOf(face)->glyph->metrics;
    return static_cast<float>(metrics.horiBearingX + metrics.width) * fromFixed + outline;
}

float FontMeasure::kerning(sf::Uint32 first, sf::Uint32 second)
{
    if (first == 0 || !face || !FT_HAS_KERNING(faceOf(face)))
        return 0.f;
    FT_Vector kerned{};
    FT_Get_Kerning(faceOf(face), FT_Get_Char_Index(faceOf(face), first), FT_Get_Char_Index(faceOf(face), second),
                   FT_KERNING_DEFAULT, &kerned);
    return static_cast<float>(kerned.x) * fromFixed;
}
