#include "e2e/Screenshot.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <map>
#include <sstream>

std::string describe(Rgb colour)
{
    return "(" + std::to_string(colour.r) + ", " + std::to_string(colour.g) + ", " + std::to_string(colour.b) + ")";
}

std::string describe(const PixelRect &rect)
{
    return "[" + std::to_string(rect.left) + ".." + std::to_string(rect.right) + ") x [" + std::to_string(rect.top) +
           ".." + std::to_string(rect.bottom) + ")";
}

Screenshot::Screenshot(int width, int height, std::vector<Rgb> content)
    : w(width), h(height), pixels(std::move(content))
{
}

Rgb Screenshot::at(int x, int y) const
{
    return pixels.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x));
}

int Screenshot::count(Rgb colour) const
{
    return count(colour, {0, 0, w, h});
}

int Screenshot::count(Rgb colour, const PixelRect &within) const
{
    int found = 0;
    for (int y = std::max(0, within.top); y < std::min(h, within.bottom); ++y)
        for (int x = std::max(0, within.left); x < std::min(w, within.right); ++x)
            found += at(x, y) == colour;
    return found;
}

std::optional<PixelRect> Screenshot::boundsOf(Rgb colour) const
{
    std::optional<PixelRect> bounds;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (at(x, y) != colour)
                continue;
            if (!bounds) {
                bounds = PixelRect{x, y, x + 1, y + 1};
                continue;
            }
            bounds->left = std::min(bounds->left, x);
            bounds->top = std::min(bounds->top, y);
            bounds->right = std::max(bounds->right, x + 1);
            bounds->bottom = std::max(bounds->bottom, y + 1);
        }
    return bounds;
}

std::string Screenshot::summary() const
{
    if (pixels.empty())
        return "no screenshot";
    std::map<std::uint32_t, int> histogram;
    for (const Rgb &pixel : pixels)
        ++histogram[(std::uint32_t{pixel.r} << 16) | (std::uint32_t{pixel.g} << 8) | pixel.b];
    std::vector<std::pair<int, std::uint32_t>> ranked;
    for (const auto &[colour, n] : histogram)
        ranked.emplace_back(n, colour);
    std::sort(ranked.rbegin(), ranked.rend());
    std::ostringstream text;
    text << w << "x" << h << " window, most frequent colours:";
    for (std::size_t i = 0; i < ranked.size() && i < 6; ++i) {
        const std::uint32_t c = ranked[i].second;
        const Rgb colour{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                         static_cast<std::uint8_t>(c)};
        text << " " << describe(colour) << "x" << ranked[i].first;
        if (auto box = boundsOf(colour); box && colour != black)
            text << " in " << describe(*box);
    }
    return text.str();
}

void Screenshot::save(const std::string &path) const
{
    sf::Image image;
    image.create(static_cast<unsigned>(w), static_cast<unsigned>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb pixel = at(x, y);
            image.setPixel(static_cast<unsigned>(x), static_cast<unsigned>(y), sf::Color(pixel.r, pixel.g, pixel.b));
        }
    image.saveToFile(path);
}
