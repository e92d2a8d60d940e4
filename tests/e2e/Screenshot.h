#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb &other) const { return r == other.r && g == other.g && b == other.b; }
    bool operator!=(const Rgb &other) const { return !(*this == other); }
};

inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb red{255, 0, 0};
inline constexpr Rgb green{0, 255, 0};
inline constexpr Rgb blue{0, 0, 255};
inline constexpr Rgb magenta{255, 0, 255};
inline constexpr Rgb yellow{255, 255, 0};
inline constexpr Rgb cyan{0, 255, 255};

std::string describe(Rgb colour);

// Window pixels; right and bottom are outside.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect &other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

std::string describe(const PixelRect &rect);

// The window's pixels as the X server holds them.
class Screenshot {
public:
    Screenshot() = default;
    Screenshot(int width, int height, std::vector<Rgb> pixels);

    int width() const { return w; }
    int height() const { return h; }
    bool empty() const { return pixels.empty(); }
    Rgb at(int x, int y) const;

    int count(Rgb colour) const;
    int count(Rgb colour, const PixelRect &within) const;
    // The smallest rectangle holding every pixel of that colour.
    std::optional<PixelRect> boundsOf(Rgb colour) const;
    // The colours present and how often, for failure messages.
    std::string summary() const;
    void save(const std::string &path) const;

private:
    int w = 0, h = 0;
    std::vector<Rgb> pixels;
};
