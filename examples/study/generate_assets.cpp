// Draws and synthesises every picture and sound of the example game "The Study".
// Usage: generate_assets OUTDIR
//
// Everything is made from code so the repository carries no binary art and the
// build can regenerate it; all randomness is seeded, so the output never changes.

#include <SFML/Audio/OutputSoundFile.hpp>
#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979f;

float clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}
float lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}
float smoothstep(float e0, float e1, float x)
{
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

// The <random> distributions differ between standard libraries; this one
// keeps every build of the game looking and sounding the same.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    float uniform() { return static_cast<float>(next() >> 40) / 16777216.0f; }
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    int integer(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1)); }

private:
    std::uint64_t state_;
};

struct Colour {
    float r, g, b, a;
};

Colour rgb(int r, int g, int b, float a = 1.0f)
{
    return {r / 255.0f, g / 255.0f, b / 255.0f, a};
}
Colour mix(Colour x, Colour y, float t)
{
    return {lerp(x.r, y.r, t), lerp(x.g, y.g, t), lerp(x.b, y.b, t), lerp(x.a, y.a, t)};
}
Colour scaled(Colour c, float k)
{
    return {c.r * k, c.g * k, c.b * k, c.a};
}
Colour withAlpha(Colour c, float a)
{
    return {c.r, c.g, c.b, a};
}

float hash(int x, int y, std::uint32_t seed)
{
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFFu) / 16777216.0f;
}

float noise(float x, float y, std::uint32_t seed)
{
    const float fx0 = std::floor(x), fy0 = std::floor(y);
    const int ix = static_cast<int>(fx0), iy = static_cast<int>(fy0);
    const float fx = x - fx0, fy = y - fy0;
    const float sx = fx * fx * (3.0f - 2.0f * fx), sy = fy * fy * (3.0f - 2.0f * fy);
    const float top = lerp(hash(ix, iy, seed), hash(ix + 1, iy, seed), sx);
    const float bottom = lerp(hash(ix, iy + 1, seed), hash(ix + 1, iy + 1, seed), sx);
    return lerp(top, bottom, sy);
}

float fbm(float x, float y, std::uint32_t seed, int octaves = 4)
{
    float sum = 0.0f, amplitude = 0.5f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise(x, y, seed + static_cast<std::uint32_t>(i) * 101u);
        total += amplitude;
        x *= 2.03f;
        y *= 2.03f;
        amplitude *= 0.5f;
    }
    return sum / total;
}

// Where game.xml places each object in the 1100 x 1100 world (keep the two in
// step): the lighting needs it so that sprites are lit like the wall behind them.
constexpr int kWorld = 1100;
constexpr float kFloorTop = 710.0f;
constexpr float kWindowX = 120, kWindowY = 130;
constexpr float kPaintingX = 136, kPaintingY = 448;
constexpr float kBookshelfX = 430, kBookshelfY = 294;
constexpr float kDoorX = 820, kDoorY = 254;
constexpr float kDeskX = 80, kDeskY = 620;
constexpr float kChestX = 560, kChestY = 790;
constexpr float kCatX = 480, kCatY = 840;
constexpr float kFlameX = 343, kFlameY = 578;

// A dim bluish night with the candle's warm pool and a little moonlight near
// the window; multiplying every lit pixel by it ties the sprites together.
Colour sceneLight(float x, float y)
{
    const float cdx = x - kFlameX, cdy = y - kFlameY;
    const float candle = 1.0f / (1.0f + (cdx * cdx + cdy * cdy) / (260.0f * 260.0f));
    const float mdx = x - (kWindowX + 130), mdy = y - (kWindowY + 150);
    const float moon = 1.0f / (1.0f + (mdx * mdx + mdy * mdy) / (170.0f * 170.0f));
    const float vx = (x - 550.0f) / 800.0f, vy = (y - 520.0f) / 800.0f;
    const float vignette = 1.0f - 0.45f * clamp01(vx * vx + vy * vy);
    return {(0.52f + 0.78f * candle + 0.10f * moon) * vignette, (0.54f + 0.58f * candle + 0.14f * moon) * vignette,
            (0.66f + 0.34f * candle + 0.22f * moon) * vignette, 1.0f};
}

using LightFn = std::function<Colour(float, float)>;

LightFn sceneLightAt(float worldX, float worldY)
{
    return [worldX, worldY](float x, float y) { return sceneLight(x + worldX, y + worldY); };
}

class Canvas {
public:
    Canvas(int width, int height)
        : w_(width), h_(height), px_(static_cast<std::size_t>(width * height), Colour{0, 0, 0, 0})
    {
    }

    int width() const { return w_; }
    int height() const { return h_; }
    void setLight(LightFn light) { light_ = std::move(light); }
    // Flames, glows and the night sky give off light, so they bypass the lighting.
    void setLit(bool lit) { lit_ = lit; }

    void blend(int x, int y, Colour c, float coverage)
    {
        if (x < 0 || y < 0 || x >= w_ || y >= h_)
            return;
        const float a = clamp01(c.a * coverage);
        if (a <= 0.0f)
            return;
        if (lit_ && light_) {
            const Colour l = light_(x + 0.5f, y + 0.5f);
            c.r *= l.r;
            c.g *= l.g;
            c.b *= l.b;
        }
        Colour &d = px_[static_cast<std::size_t>(y * w_ + x)];
        const float keep = d.a * (1.0f - a);
        const float outA = a + keep;
        d.r = (c.r * a + d.r * keep) / outA;
        d.g = (c.g * a + d.g * keep) / outA;
        d.b = (c.b * a + d.b * keep) / outA;
        d.a = outA;
    }

    // Lays `from` over this canvas with its top left corner at (left, top).
    void paste(const Canvas &from, int left, int top)
    {
        for (int y = 0; y < from.h_; ++y)
            for (int x = 0; x < from.w_; ++x) {
                const Colour c = from.px_[static_cast<std::size_t>(y * from.w_ + x)];
                const bool wasLit = lit_;
                lit_ = false;
                blend(left + x, top + y, {c.r, c.g, c.b, 1.0f}, c.a);
                lit_ = wasLit;
            }
    }

    bool save(const std::string &path) const
    {
        std::vector<sf::Uint8> bytes(px_.size() * 4);
        auto channel = [](float v) { return static_cast<sf::Uint8>(std::lround(clamp01(v) * 255.0f)); };
        for (std::size_t i = 0; i < px_.size(); ++i) {
            bytes[i * 4 + 0] = channel(px_[i].r);
            bytes[i * 4 + 1] = channel(px_[i].g);
            bytes[i * 4 + 2] = channel(px_[i].b);
            bytes[i * 4 + 3] = channel(px_[i].a);
        }
        sf::Image image;
        image.create(static_cast<unsigned>(w_), static_cast<unsigned>(h_), bytes.data());
        return image.saveToFile(path);
    }

private:
    int w_, h_;
    std::vector<Colour> px_;
    LightFn light_;
    bool lit_ = true;
};

struct Vec {
    float x, y;
};

// Shapes are signed distance functions: negative inside, in pixels, which
// gives one-pixel antialiasing and outlines by growing or shrinking a shape.
struct Shape {
    float x0, y0, x1, y1;
    std::function<float(float, float)> distance;
};

Shape rect(float x0, float y0, float x1, float y1, float radius = 0.0f)
{
    return {x0, y0, x1, y1, [=](float px, float py) {
                const float qx = std::fabs(px - (x0 + x1) * 0.5f) - ((x1 - x0) * 0.5f - radius);
                const float qy = std::fabs(py - (y0 + y1) * 0.5f) - ((y1 - y0) * 0.5f - radius);
                const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
                return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
            }};
}

Shape ellipse(float cx, float cy, float rx, float ry)
{
    return {cx - rx, cy - ry, cx + rx, cy + ry, [=](float px, float py) {
                const float x = px - cx, y = py - cy;
                const float k0 = std::sqrt(x * x / (rx * rx) + y * y / (ry * ry));
                const float k1 = std::sqrt(x * x / (rx * rx * rx * rx) + y * y / (ry * ry * ry * ry));
                if (k1 < 1e-6f)
                    return -std::min(rx, ry);
                return k0 * (k0 - 1.0f) / k1;
            }};
}

Shape circle(float cx, float cy, float r)
{
    return {cx - r, cy - r, cx + r, cy + r, [=](float px, float py) { return std::hypot(px - cx, py - cy) - r; }};
}

Shape capsule(Vec a, Vec b, float r)
{
    return {std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r, std::max(a.y, b.y) + r,
            [=](float px, float py) {
                const float ex = b.x - a.x, ey = b.y - a.y, wx = px - a.x, wy = py - a.y;
                const float len2 = ex * ex + ey * ey;
                const float t = len2 > 0.0f ? clamp01((wx * ex + wy * ey) / len2) : 0.0f;
                return std::hypot(wx - ex * t, wy - ey * t) - r;
            }};
}

Shape polygon(std::vector<Vec> pts)
{
    float x0 = pts[0].x, y0 = pts[0].y, x1 = x0, y1 = y0;
    for (const Vec &p : pts) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1, y1, [pts = std::move(pts)](float px, float py) {
                float best = 1e30f, sign = 1.0f;
                for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                    const float ex = pts[j].x - pts[i].x, ey = pts[j].y - pts[i].y;
                    const float wx = px - pts[i].x, wy = py - pts[i].y;
                    const float t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
                    const float bx = wx - ex * t, by = wy - ey * t;
                    best = std::min(best, bx * bx + by * by);
                    const bool c1 = py >= pts[i].y, c2 = py<pts[j].y, c3 = ex * wy> ey * wx;
                    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
                        sign = -sign;
                }
                return sign * std::sqrt(best);
            }};
}

Shape unite(const Shape &a, const Shape &b)
{
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1),
            [da = a.distance, db = b.distance](float x, float y) { return std::min(da(x, y), db(x, y)); }};
}

Shape subtract(const Shape &a, const Shape &b)
{
    return {a.x0, a.y0, a.x1, a.y1,
            [da = a.distance, db = b.distance](float x, float y) { return std::max(da(x, y), -db(x, y)); }};
}

Shape intersect(const Shape &a, const Shape &b)
{
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1),
            [da = a.distance, db = b.distance](float x, float y) { return std::max(da(x, y), db(x, y)); }};
}

Shape grow(const Shape &s, float by)
{
    return {s.x0 - by, s.y0 - by, s.x1 + by, s.y1 + by,
            [d = s.distance, by](float x, float y) { return d(x, y) - by; }};
}

using Paint = std::function<Colour(float, float)>;

void fill(Canvas &canvas, const Shape &shape, const Paint &paint)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(shape.x0)) - 2);
    const int y0 = std::max(0, static_cast<int>(std::floor(shape.y0)) - 2);
    const int x1 = std::min(canvas.width(), static_cast<int>(std::ceil(shape.x1)) + 2);
    const int y1 = std::min(canvas.height(), static_cast<int>(std::ceil(shape.y1)) + 2);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float coverage = clamp01(0.5f - shape.distance(px, py));
            if (coverage > 0.0f)
                canvas.blend(x, y, paint(px, py), coverage);
        }
}

void fill(Canvas &canvas, const Shape &shape, Colour colour)
{
    fill(canvas, shape, [colour](float, float) { return colour; });
}

void fillOutlined(Canvas &canvas, const Shape &shape, const Paint &paint, Colour line, float width = 1.5f)
{
    fill(canvas, shape, line);
    fill(canvas, grow(shape, -width), paint);
}

void fillOutlined(Canvas &canvas, const Shape &shape, Colour colour, Colour line, float width = 1.5f)
{
    fillOutlined(
        canvas, shape, [colour](float, float) { return colour; }, line, width);
}

Paint vertical(Colour top, Colour bottom, float y0, float y1)
{
    return [=](float, float y) { return mix(top, bottom, clamp01((y - y0) / (y1 - y0))); };
}

Paint horizontal(Colour left, Colour right, float x0, float x1)
{
    return [=](float x, float) { return mix(left, right, clamp01((x - x0) / (x1 - x0))); };
}

// The candle stands to the left of most objects, so round things are brighter
// on their upper left and fall off towards the lower right.
Paint rounded(Colour base, float cx, float cy, float r, float strength = 0.35f)
{
    return [=](float x, float y) {
        const float t = std::max(-1.0f, std::min(1.0f, (-(x - cx) * 0.6f - (y - cy) * 0.8f) / r));
        return scaled(base, 1.0f + strength * t);
    };
}

Paint cylinder(Colour base, float x0, float x1)
{
    return [=](float x, float) {
        const float u = clamp01((x - x0) / (x1 - x0));
        const float bulge = std::max(0.0f, std::sin(kPi * std::min(1.0f, u * 1.15f)));
        return scaled(base, 0.62f + 0.55f * std::pow(bulge, 0.6f));
    };
}

Colour woodAt(Colour base, std::uint32_t seed, bool verticalGrain, float x, float y)
{
    const float along = verticalGrain ? y : x, across = verticalGrain ? x : y;
    const float n = fbm(along * 0.012f, across * 0.12f, seed, 3);
    const float rings = 0.5f + 0.5f * std::sin(across * 0.45f + n * 16.0f);
    const float fine = hash(static_cast<int>(x), static_cast<int>(y), seed) - 0.5f;
    return scaled(base, 0.80f + 0.26f * n + 0.10f * rings + 0.05f * fine);
}

Paint wood(Colour base, std::uint32_t seed, bool verticalGrain)
{
    return [=](float x, float y) { return woodAt(base, seed, verticalGrain, x, y); };
}

Paint textured(Paint paint, std::uint32_t seed, float amount)
{
    return [=](float x, float y) {
        const float n = fbm(x * 0.15f, y * 0.15f, seed, 2) - 0.5f;
        const float grain = hash(static_cast<int>(x), static_cast<int>(y), seed + 7u) - 0.5f;
        return scaled(paint(x, y), 1.0f + amount * (n + 0.5f * grain));
    };
}

// A raised panel: light catches the top and left bevels, the others are in shade.
float bevelLight(float x0, float y0, float x1, float y1, float width, float x, float y)
{
    const float top = y - y0, left = x - x0, right = x1 - x, bottom = y1 - y;
    const float nearest = std::min(std::min(top, bottom), std::min(left, right));
    if (nearest >= width)
        return 1.0f;
    if (nearest == top)
        return 1.28f;
    if (nearest == left)
        return 1.12f;
    if (nearest == right)
        return 0.78f;
    return 0.66f;
}

Paint bevelled(Paint face, float x0, float y0, float x1, float y1, float width)
{
    return [=](float x, float y) { return scaled(face(x, y), bevelLight(x0, y0, x1, y1, width, x, y)); };
}

// A soft shadow: a stack of growing, faint copies of the shape.
void softShadow(Canvas &canvas, const Shape &shape, float spread, float opacity)
{
    const int steps = 6;
    for (int i = 0; i < steps; ++i)
        fill(canvas, grow(shape, spread * (static_cast<float>(i) / steps - 0.5f)), rgb(0, 0, 0, opacity / steps));
}

const Colour kBrass = rgb(198, 152, 66);
const Colour kIron = rgb(68, 70, 76);
const Colour kInk = rgb(26, 16, 10);

Colour wallpaper(float x, float y)
{
    const float period = 66.0f;
    const int stripe = static_cast<int>(std::floor(x / period));
    const float sx = x - stripe * period;
    const bool broad = sx < 44.0f;
    Colour c = broad ? rgb(54, 84, 68) : rgb(44, 68, 57);
    const Colour gold = rgb(132, 120, 72);
    const float pin = std::min(std::fabs(sx - 44.0f), std::min(sx, period - sx));
    c = mix(c, gold, 0.55f * clamp01(1.6f - pin));
    if (broad) {
        const float offset = (stripe % 2 == 0) ? 0.0f : 42.0f;
        const float dy = std::fmod(y + offset, 84.0f) - 42.0f, dx = sx - 22.0f;
        const float d = std::fabs(dx) / 10.0f + std::fabs(dy) / 17.0f;
        const float ring = clamp01((1.0f - d) * 9.0f) * (1.0f - clamp01((0.55f - d) * 9.0f));
        const float core = clamp01((0.25f - d) * 12.0f);
        const float dots = clamp01(2.6f - std::hypot(dx, std::fabs(dy) - 31.0f));
        c = mix(c, rgb(108, 122, 80), 0.55f * std::max(ring, std::max(core, dots)));
    }
    const float paper = 0.92f + 0.12f * fbm(x * 0.035f, y * 0.035f, 7u, 3) +
                        0.05f * (hash(static_cast<int>(x), static_cast<int>(y), 3u) - 0.5f);
    const float ceilingShade = 0.72f + 0.28f * smoothstep(14.0f, 140.0f, y);
    return scaled(c, paper * ceilingShade);
}

Colour wallColour(float x, float y)
{
    if (y < 16.0f) {
        const float k = y < 4.0f ? 0.8f : (y < 8.0f ? 1.3f : (y > 14.0f ? 0.55f : 1.0f));
        return scaled(woodAt(rgb(78, 48, 30), 33u, false, x, y), k);
    }
    if (y < 600.0f)
        return wallpaper(x, y);
    if (y < 616.0f) {
        const float t = (y - 600.0f) / 16.0f;
        const float k = t < 0.15f ? 1.35f : (t < 0.5f ? 1.1f : (t > 0.85f ? 0.55f : 0.85f));
        return scaled(woodAt(rgb(96, 60, 36), 35u, false, x, y), k);
    }
    if (y < 682.0f) {
        const float period = 140.0f;
        const float sx = x - std::floor(x / period) * period;
        Colour c = woodAt(rgb(78, 48, 30), 31u, true, x, y);
        if (sx > 16.0f && sx < 124.0f && y > 626.0f && y < 672.0f)
            c = scaled(c, bevelLight(16.0f, 626.0f, 124.0f, 672.0f, 6.0f, sx, y));
        const float edge = std::min(std::min(std::fabs(sx - 16.0f), std::fabs(sx - 124.0f)),
                                    std::min(std::fabs(y - 626.0f), std::fabs(y - 672.0f)));
        const bool onPanelEdge = sx > 15.0f && sx < 125.0f && y > 625.0f && y < 673.0f && edge < 1.0f;
        if (onPanelEdge)
            c = scaled(c, 0.5f);
        const float underRail = 0.6f + 0.4f * smoothstep(616.0f, 626.0f, y);
        return scaled(c, underRail);
    }
    const Colour skirting = woodAt(rgb(64, 40, 26), 37u, false, x, y);
    if (y < 686.0f)
        return scaled(skirting, 1.45f);
    if (y < 688.0f)
        return scaled(skirting, 0.55f);
    return scaled(skirting, 1.05f - 0.25f * (y - 688.0f) / 22.0f);
}

struct PlankRow {
    std::vector<float> joints;
};

std::vector<PlankRow> plankRows(int rows)
{
    Rng rng(5);
    std::vector<PlankRow> result(static_cast<std::size_t>(rows));
    for (PlankRow &row : result) {
        float x = -rng.range(0.0f, 260.0f);
        while (x < kWorld) {
            row.joints.push_back(x);
            x += rng.range(220.0f, 380.0f);
        }
        row.joints.push_back(x);
    }
    return result;
}

void drawFloor(Canvas &c)
{
    const float rowHeight = 44.0f;
    const int rows = static_cast<int>(std::ceil((kWorld - kFloorTop) / rowHeight));
    const std::vector<PlankRow> plank = plankRows(rows);
    const Colour base = rgb(128, 84, 50);
    for (int y = static_cast<int>(kFloorTop); y < kWorld; ++y) {
        const float py = y + 0.5f;
        const int row = static_cast<int>((py - kFloorTop) / rowHeight);
        const float within = py - kFloorTop - row * rowHeight;
        const std::vector<float> &joints = plank[static_cast<std::size_t>(row)].joints;
        std::size_t index = 0;
        for (int x = 0; x < kWorld; ++x) {
            const float px = x + 0.5f;
            while (index + 1 < joints.size() && joints[index + 1] <= px)
                ++index;
            const std::uint32_t id = static_cast<std::uint32_t>(row * 64 + static_cast<int>(index));
            const float tint = 0.82f + 0.3f * hash(static_cast<int>(id), 1, 9u);
            const Colour plankBase = mix(base, rgb(112, 68, 40), hash(static_cast<int>(id), 2, 9u));
            Colour col = scaled(woodAt(plankBase, 40u + id, false, px + id * 37.0f, py), tint);
            const float joint = std::min(px - joints[index], joints[index + 1] - px);
            if (within < 2.0f || joint < 1.2f)
                col = scaled(col, 0.35f);
            else if (within < 4.0f || joint < 2.5f)
                col = scaled(col, 1.12f);
            const float wallShadow = 0.55f + 0.45f * smoothstep(kFloorTop, kFloorTop + 40.0f, py);
            c.blend(x, y, scaled(col, wallShadow), 1.0f);
        }
    }
}

void drawRug(Canvas &c)
{
    const float x0 = 250, y0 = 848, x1 = 870, y1 = 1040;
    softShadow(c, rect(x0 + 3, y0 + 6, x1 + 3, y1 + 6, 4), 10.0f, 0.55f);
    const Colour navy = rgb(36, 42, 80), gold = rgb(184, 146, 76), red = rgb(142, 36, 40), brick = rgb(112, 42, 36);
    const Colour cream = rgb(222, 206, 168);
    const auto weave = [](Paint p, std::uint32_t seed) { return textured(std::move(p), seed, 0.22f); };

    fill(c, rect(x0, y0, x1, y1, 3), weave([=](float, float) { return navy; }, 50u));
    fill(c, rect(x0 + 11, y0 + 11, x1 - 11, y1 - 11), gold);
    const Paint border = [=](float x, float y) {
        const float h = std::min(y - y0, y1 - y), v = std::min(x - x0, x1 - x);
        const float along = h <= v ? x - x0 : y - y0;
        const float across = std::min(h, v);
        const float dx = std::fmod(along, 28.0f) - 14.0f, dy = across - 27.5f;
        const float d = std::fabs(dx) / 9.0f + std::fabs(dy) / 8.0f;
        const float motif = clamp01((1.0f - d) * 6.0f) * (1.0f - clamp01((0.45f - d) * 6.0f));
        return mix(brick, cream, 0.75f * motif);
    };
    fill(c, rect(x0 + 14, y0 + 14, x1 - 14, y1 - 14), weave(border, 51u));
    fill(c, rect(x0 + 40, y0 + 40, x1 - 40, y1 - 40), gold);
    const Paint field = [=](float x, float y) {
        const float lattice = std::fabs(std::sin((x - y * 2.0f) * 0.09f)) * std::fabs(std::sin((x + y * 2.0f) * 0.09f));
        return mix(red, scaled(red, 0.72f), smoothstep(0.55f, 0.9f, lattice));
    };
    fill(c, rect(x0 + 43, y0 + 43, x1 - 43, y1 - 43), weave(field, 52u));

    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const auto diamond = [](float x, float y, float w, float h) {
        return polygon({{x, y - h}, {x + w, y}, {x, y + h}, {x - w, y}});
    };
    fill(c, diamond(cx, cy, 132, 56), gold);
    fill(c, diamond(cx, cy, 126, 52), weave([=](float, float) { return navy; }, 53u));
    fill(c, diamond(cx, cy, 84, 34), cream);
    fill(c, diamond(cx, cy, 80, 31), weave([=](float, float) { return brick; }, 54u));
    fill(c, diamond(cx, cy, 30, 13), gold);
    const float fx0 = x0 + 43, fy0 = y0 + 43, fx1 = x1 - 43, fy1 = y1 - 43;
    for (const Vec corner : {Vec{fx0, fy0}, Vec{fx1, fy0}, Vec{fx0, fy1}, Vec{fx1, fy1}}) {
        fill(c, intersect(diamond(corner.x, corner.y, 60, 26), rect(fx0, fy0, fx1, fy1)), navy);
        fill(c, intersect(diamond(corner.x, corner.y, 30, 13), rect(fx0, fy0, fx1, fy1)), gold);
    }
    for (float y = y0 + 5; y < y1 - 3; y += 5.0f) {
        fill(c, capsule({x0 - 1, y}, {x0 - 13, y + 1.5f}, 1.0f), cream);
        fill(c, capsule({x1 + 1, y}, {x1 + 13, y + 1.5f}, 1.0f), cream);
    }
}

Canvas drawBackground()
{
    Canvas c(kWorld, kWorld);
    c.setLight(sceneLight);
    for (int y = 0; y < static_cast<int>(kFloorTop); ++y)
        for (int x = 0; x < kWorld; ++x)
            c.blend(x, y, wallColour(x + 0.5f, y + 0.5f), 1.0f);
    drawFloor(c);
    drawRug(c);
    c.setLit(false);
    fill(c, circle(kFlameX, kFlameY, 360), [](float x, float y) {
        const float t = 1.0f - clamp01(std::hypot(x - kFlameX, y - kFlameY) / 360.0f);
        return rgb(255, 170, 90, 0.22f * t * t);
    });
    return c;
}

Canvas drawWindow()
{
    Canvas c(260, 300);
    c.setLight(sceneLightAt(kWindowX, kWindowY));
    const Shape glass = rect(44, 34, 216, 262);

    c.setLit(false);
    fill(c, glass, vertical(rgb(8, 12, 34), rgb(38, 50, 92), 34, 262));
    const float moonX = 168, moonY = 92;
    fill(c, intersect(circle(moonX, moonY, 70), glass), [=](float x, float y) {
        const float t = 1.0f - clamp01(std::hypot(x - moonX, y - moonY) / 70.0f);
        return rgb(200, 214, 255, 0.45f * t * t);
    });
    Rng rng(11);
    for (int i = 0; i < 46; ++i) {
        const float x = rng.range(48, 212), y = rng.range(38, 214);
        const float r = rng.range(0.6f, 1.4f), bright = rng.range(0.5f, 1.0f);
        if (std::hypot(x - moonX, y - moonY) < 32.0f || std::fabs(x - 130.0f) < 6.0f || std::fabs(y - 148.0f) < 6.0f)
            continue;
        fill(c, circle(x, y, r), rgb(255, 248, 226, bright));
        if (r > 1.2f) {
            fill(c, capsule({x - 4.5f, y}, {x + 4.5f, y}, 0.4f), rgb(255, 248, 226, 0.5f));
            fill(c, capsule({x, y - 4.5f}, {x, y + 4.5f}, 0.4f), rgb(255, 248, 226, 0.5f));
        }
    }
    fill(c, circle(moonX, moonY, 22), rounded(rgb(246, 240, 214), moonX, moonY, 22, 0.12f));
    for (const Vec crater : {Vec{160, 86}, Vec{174, 98}, Vec{166, 102}, Vec{176, 84}})
        fill(c, circle(crater.x, crater.y, 3.0f + std::fmod(crater.x, 3.0f)), rgb(150, 150, 140, 0.22f));
    const Shape hills = {44, 180, 216, 262, [](float x, float y) {
                             const float h = 232.0f - 20.0f * fbm(x * 0.03f, 0.5f, 61u, 3) -
                                             14.0f * std::pow(noise(x * 0.12f, 3.5f, 62u), 3.0f);
                             return h - y;
                         }};
    fill(c, intersect(hills, glass), rgb(10, 16, 24));
    fill(c, intersect(polygon({{60, 262}, {104, 34}, {128, 34}, {84, 262}}), glass), rgb(255, 255, 255, 0.045f));
    fill(c, intersect(polygon({{150, 262}, {194, 34}, {204, 34}, {160, 262}}), glass), rgb(255, 255, 255, 0.035f));
    c.setLit(true);

    const Colour frameWood = rgb(104, 68, 42);
    fill(c, rect(44, 34, 216, 44), vertical(rgb(0, 0, 0, 0.5f), rgb(0, 0, 0, 0), 34, 44));
    fillOutlined(c, subtract(rect(32, 22, 228, 274, 2), glass), wood(frameWood, 21u, false), kInk);
    fillOutlined(c, rect(126, 34, 134, 262), wood(frameWood, 22u, true), kInk, 1.0f);
    fillOutlined(c, rect(44, 144, 216, 152), wood(frameWood, 23u, false), kInk, 1.0f);
    fillOutlined(
        c, rect(18, 266, 242, 284, 2),
        [top = wood(scaled(frameWood, 1.25f), 24u, false)](float x, float y) {
            return scaled(top(x, y), y < 272.0f ? 1.2f : 0.85f);
        },
        kInk);
    fill(c, rect(24, 284, 236, 294), vertical(rgb(0, 0, 0, 0.5f), rgb(0, 0, 0, 0), 284, 294));

    const Colour velvet = rgb(126, 32, 40);
    const auto drape = [=](float foldOffset) {
        return [=](float x, float y) {
            const float fold = 0.5f + 0.5f * std::sin(x * 0.38f + foldOffset + y * 0.01f);
            return scaled(velvet, 0.62f + 0.5f * std::pow(fold, 1.6f) - 0.1f * (y / 300.0f));
        };
    };
    const Shape left = polygon({{2, 14}, {58, 14}, {52, 110}, {34, 196}, {44, 250}, {56, 296}, {2, 296}});
    const Shape right = polygon({{258, 14}, {202, 14}, {208, 110}, {226, 196}, {216, 250}, {204, 296}, {258, 296}});
    fillOutlined(c, left, drape(0.0f), rgb(40, 8, 12));
    fillOutlined(c, right, drape(1.3f), rgb(40, 8, 12));
    fillOutlined(c, rect(2, 192, 40, 202, 3), rounded(kBrass, 20, 194, 20), kInk, 1.0f);
    fillOutlined(c, rect(220, 192, 258, 202, 3), rounded(kBrass, 240, 194, 20), kInk, 1.0f);
    fillOutlined(c, capsule({6, 12}, {254, 12}, 3.5f), vertical(scaled(kBrass, 1.3f), scaled(kBrass, 0.6f), 8, 16),
                 kInk, 1.0f);
    for (const float x : {7.0f, 253.0f})
        fillOutlined(c, circle(x, 12, 6.5f), rounded(kBrass, x, 12, 6.5f, 0.5f), kInk, 1.0f);
    for (float x = 16; x < 60; x += 10)
        fillOutlined(c, circle(x, 15, 3), rounded(kBrass, x, 15, 3, 0.5f), kInk, 0.8f);
    for (float x = 204; x < 250; x += 10)
        fillOutlined(c, circle(x, 15, 3), rounded(kBrass, x, 15, 3, 0.5f), kInk, 0.8f);
    return c;
}

Canvas drawDoor()
{
    Canvas c(220, 460);
    c.setLight(sceneLightAt(kDoorX, kDoorY));
    const Colour casing = rgb(120, 80, 50), leafWood = rgb(108, 64, 38);
    fillOutlined(c, subtract(rect(0, 0, 220, 470), rect(16, 16, 204, 480)),
                 bevelled(wood(casing, 71u, true), 0, 0, 220, 480, 4), kInk);
    fillOutlined(c, rect(16, 16, 204, 462), wood(leafWood, 72u, true), kInk);
    fill(c, rect(18, 18, 202, 30), vertical(rgb(0, 0, 0, 0.45f), rgb(0, 0, 0, 0), 18, 30));
    fill(c, rect(18, 18, 28, 460), horizontal(rgb(0, 0, 0, 0.3f), rgb(0, 0, 0, 0), 18, 28));

    const Vec panels[4][2] = {
        {{36, 38}, {104, 206}}, {{116, 38}, {184, 206}}, {{36, 262}, {104, 440}}, {{116, 262}, {184, 440}}};
    std::uint32_t seed = 73u;
    for (const auto &p : panels) {
        const Paint face = wood(leafWood, seed++, true);
        fill(c, rect(p[0].x - 2, p[0].y - 2, p[1].x + 2, p[1].y + 2), rgb(40, 24, 14));
        fill(c, rect(p[0].x, p[0].y, p[1].x, p[1].y), bevelled(face, p[0].x, p[0].y, p[1].x, p[1].y, 9));
    }
    for (const float y : {58.0f, 380.0f}) {
        fillOutlined(c, rect(14, y, 26, y + 40, 2), rounded(kIron, 18, y + 10, 20, 0.5f), kInk, 1.0f);
        for (const float sy : {y + 8, y + 20, y + 32})
            fill(c, circle(20, sy, 1.6f), rgb(150, 150, 156));
    }
    fillOutlined(c, rect(170, 212, 194, 290, 7), rounded(kBrass, 182, 240, 40, 0.5f), kInk, 1.2f);
    softShadow(c, circle(185, 242, 11), 4.0f, 0.5f);
    fillOutlined(c, circle(182, 238, 11), rounded(kBrass, 182, 238, 11, 0.7f), kInk, 1.2f);
    fill(c, ellipse(178, 233, 3.5f, 2.5f), rgb(255, 240, 190, 0.8f));
    fill(c, unite(circle(182, 266, 3.2f), polygon({{180.3f, 266}, {183.7f, 266}, {185, 277}, {179, 277}})),
         rgb(12, 8, 6));
    fill(c, rect(16, 455, 204, 462), rgb(0, 0, 0, 0.35f));
    return c;
}

void drawBook(Canvas &c, float x0, float y0, float x1, float y1, Colour colour, Rng &rng)
{
    fillOutlined(c, rect(x0, y0, x1, y1, 1.5f), textured(cylinder(colour, x0, x1), 91u, 0.12f), scaled(colour, 0.3f),
                 1.0f);
    const Colour band = rng.uniform() < 0.7f ? rgb(212, 176, 92) : rgb(230, 220, 190);
    const float w = x1 - x0;
    for (const float y : {y0 + 6.0f, y1 - 9.0f})
        fill(c, rect(x0 + 1.5f, y, x1 - 1.5f, y + 1.6f), withAlpha(band, 0.85f));
    if (w > 13.0f && rng.uniform() < 0.6f)
        fill(c, rect(x0 + 3.0f, y0 + (y1 - y0) * 0.35f, x1 - 3.0f, y0 + (y1 - y0) * 0.35f + 9.0f),
             withAlpha(band, 0.7f));
}

Canvas drawBookshelf()
{
    Canvas c(260, 420);
    c.setLight(sceneLightAt(kBookshelfX, kBookshelfY));
    const Colour carcass = rgb(100, 62, 36);
    fill(c, rect(20, 18, 240, 402), [back = wood(rgb(50, 32, 22), 81u, true)](float x, float y) {
        const float seam = std::fabs(std::fmod(x - 20.0f, 44.0f));
        return scaled(back(x, y), seam < 1.2f ? 0.55f : 1.0f);
    });

    const float rows[4][2] = {{20, 108}, {118, 204}, {214, 300}, {310, 400}};
    const Colour palette[] = {rgb(132, 34, 38), rgb(40, 82, 54), rgb(38, 56, 104),   rgb(160, 118, 52), rgb(98, 60, 38),
                              rgb(110, 42, 74), rgb(58, 90, 98), rgb(176, 156, 112), rgb(150, 70, 40)};
    Rng rng(17);
    for (int r = 0; r < 4; ++r) {
        const float top = rows[r][0], bottom = rows[r][1];
        float x = 25.0f;
        const float reserved[4] = {190.0f, 204.0f, 176.0f, 236.0f};
        const float stackFrom = reserved[r];
        while (x < stackFrom) {
            if (rng.uniform() < 0.08f)
                x += rng.range(5, 12);
            const float w = rng.range(9, 19);
            if (x + w > stackFrom - 1.0f)
                break;
            const float h = rng.range((bottom - top) * 0.62f, bottom - top - 5.0f);
            drawBook(c, x, bottom - h, x + w, bottom, palette[rng.integer(0, 8)], rng);
            x += w + 0.5f;
        }
        if (r == 1) {
            const float lean = 0.26f, h = 66.0f, w = 14.0f;
            const Colour colour = palette[2];
            const Vec a{x + 1, bottom}, b{x + 1 + w, bottom};
            const Vec d{a.x + h * std::sin(lean), bottom - h * std::cos(lean)};
            const Vec e{d.x + w, d.y};
            fillOutlined(c, polygon({a, b, e, d}), textured(cylinder(colour, a.x, e.x), 92u, 0.12f),
                         scaled(colour, 0.3f), 1.0f);
        }
        if (r == 2) {
            float y = bottom;
            for (int i = 0; i < 4; ++i) {
                const float h = rng.range(9, 13), inset = rng.range(0, 8);
                const Colour colour = palette[rng.integer(0, 8)];
                fillOutlined(c, rect(182 + inset, y - h, 232 - inset * 0.5f, y, 1.5f),
                             vertical(scaled(colour, 1.2f), scaled(colour, 0.7f), y - h, y), scaled(colour, 0.3f),
                             1.0f);
                fill(c, rect(229 - inset * 0.5f, y - h + 2, 231 - inset * 0.5f, y - 2), rgb(226, 214, 184));
                y -= h;
            }
        }
        if (r == 0) {
            softShadow(c, ellipse(212, 104, 16, 3), 3.0f, 0.5f);
            fillOutlined(c, rect(204, 98, 220, 104, 2), rounded(kBrass, 212, 98, 10), kInk, 1.0f);
            fillOutlined(c, rect(210.5f, 84, 213.5f, 99), rounded(kBrass, 212, 90, 6), kInk, 0.8f);
            fillOutlined(
                c, circle(212, 66, 16),
                [](float px, float py) {
                    const float land = fbm(px * 0.12f, py * 0.12f, 85u, 3);
                    const Colour sea = rgb(52, 92, 132), earth = rgb(150, 130, 76);
                    return scaled(land > 0.55f ? earth : sea,
                                  1.0f + 0.4f * (-(px - 212) * 0.6f - (py - 66) * 0.8f) / 16.0f);
                },
                kInk, 1.0f);
            fill(c, subtract(circle(212, 66, 20), circle(212, 66, 18)), rounded(kBrass, 212, 66, 20, 0.5f));
        }
        fill(c, rect(20, top, 240, top + 16), vertical(rgb(0, 0, 0, 0.6f), rgb(0, 0, 0, 0), top, top + 16));
        fill(c, rect(20, top, 32, bottom), horizontal(rgb(0, 0, 0, 0.4f), rgb(0, 0, 0, 0), 20, 32));
        fill(c, rect(228, top, 240, bottom), horizontal(rgb(0, 0, 0, 0), rgb(0, 0, 0, 0.4f), 228, 240));
    }
    for (const auto &row : rows) {
        if (row[1] >= 400.0f)
            continue;
        fillOutlined(
            c, rect(18, row[1], 242, row[1] + 10),
            [shelf = wood(carcass, 82u, false), y0 = row[1]](float x, float y) {
                return scaled(shelf(x, y), y < y0 + 3.0f ? 1.3f : 1.0f);
            },
            kInk, 1.0f);
    }
    fillOutlined(c, rect(6, 14, 24, 406), bevelled(wood(carcass, 83u, true), 6, 14, 24, 406, 3), kInk);
    fillOutlined(c, rect(236, 14, 254, 406), bevelled(wood(carcass, 84u, true), 236, 14, 254, 406, 3), kInk);
    fillOutlined(c, rect(2, 400, 258, 420, 1), bevelled(wood(carcass, 85u, false), 2, 400, 258, 420, 4), kInk);
    fillOutlined(c, rect(4, 8, 256, 22, 1), bevelled(wood(carcass, 86u, false), 4, 8, 256, 22, 3), kInk);
    fillOutlined(c, rect(0, 0, 260, 10, 2), bevelled(wood(scaled(carcass, 1.1f), 87u, false), 0, 0, 260, 10, 3), kInk);
    return c;
}

Colour landscape(float x, float y)
{
    const float horizon = 72.0f;
    Colour c;
    if (y < horizon) {
        c = mix(rgb(60, 78, 138), rgb(240, 168, 108), smoothstep(18.0f, horizon, y));
        const float sun = std::hypot(x - 114.0f, y - 62.0f);
        c = mix(c, rgb(255, 226, 160), clamp01(1.0f - (sun - 8.0f) / 14.0f) * 0.6f);
        if (sun < 8.0f)
            c = rgb(255, 236, 184);
    } else {
        c = rgb(96, 126, 160);
        c = mix(c, rgb(240, 196, 140), clamp01(1.0f - std::fabs(x - 114.0f) / 10.0f) * 0.5f);
    }
    const float far = 68.0f - 14.0f * fbm(x * 0.03f, 1.0f, 63u, 3);
    if (y > far && y < horizon + 2.0f)
        c = mix(rgb(110, 100, 136), rgb(130, 116, 140), (y - far) / 20.0f);
    const float hill = 84.0f - 14.0f * fbm(x * 0.04f + 4.0f, 2.0f, 64u, 3) + 0.42f * (x - 16.0f);
    const float shore = 106.0f + 4.0f * fbm(x * 0.06f, 3.0f, 66u, 2);
    const float ground = std::min(hill, shore);
    if (y > ground)
        c = mix(rgb(78, 114, 64), rgb(44, 72, 40), clamp01((y - ground) / 26.0f));
    const float stroke = 0.92f + 0.14f * noise(x * 0.35f, y * 0.12f, 65u);
    return scaled(c, stroke);
}

Canvas drawPainting()
{
    Canvas c(170, 130);
    c.setLight(sceneLightAt(kPaintingX, kPaintingY));
    const Colour gilt = rgb(184, 142, 62);
    fill(c, rect(0, 0, 170, 130, 1), [=](float x, float y) {
        const float top = y, left = x, right = 170.0f - x, bottom = 130.0f - y;
        const float e = std::min(std::min(top, bottom), std::min(left, right));
        const bool lightSide = e == top || e == left;
        const float profile = 0.7f + 0.55f * std::sin(kPi * clamp01(e / 14.0f));
        const float along = (e == top || e == bottom) ? x : y;
        const float bead = (e > 6.0f && e < 9.0f && std::fmod(along, 6.0f) < 3.0f) ? 1.25f : 1.0f;
        return scaled(gilt, profile * bead * (lightSide ? 1.12f : 0.82f));
    });
    fill(c, rect(0, 0, 170, 130, 1), rgb(0, 0, 0, 0));
    fill(c, subtract(rect(0, 0, 170, 130, 1), grow(rect(0, 0, 170, 130, 1), -1.2f)), kInk);
    fill(c, rect(13, 13, 157, 117), rgb(54, 36, 18));
    fill(c, rect(16, 16, 154, 114), landscape);
    fill(c, capsule({46, 112}, {48, 74}, 2.4f), rgb(58, 38, 26));
    for (const Vec leaf : {Vec{40, 70}, Vec{52, 66}, Vec{46, 58}, Vec{56, 76}, Vec{38, 80}})
        fill(c, circle(leaf.x, leaf.y, 8.5f), rounded(rgb(48, 84, 44), 46, 66, 16, 0.4f));
    fill(c, rect(16, 16, 154, 24), vertical(rgb(0, 0, 0, 0.35f), rgb(0, 0, 0, 0), 16, 24));
    fill(c, intersect(polygon({{16, 90}, {70, 16}, {96, 16}, {40, 114}, {16, 114}}), rect(16, 16, 154, 114)),
         rgb(255, 255, 255, 0.05f));
    return c;
}

Canvas drawDesk()
{
    Canvas c(300, 190);
    c.setLight(sceneLightAt(kDeskX, kDeskY));
    const Colour mahogany = rgb(112, 58, 34);

    fillOutlined(c, rect(22, 20, 96, 31, 1.5f), vertical(rgb(150, 44, 40), rgb(100, 28, 28), 20, 31), kInk, 1.0f);
    fill(c, rect(90, 22, 94.5f, 29), rgb(226, 214, 184));
    fillOutlined(c, rect(16, 30, 92, 41, 1.5f), vertical(rgb(52, 96, 64), rgb(32, 64, 42), 30, 41), kInk, 1.0f);
    fill(c, rect(86, 32, 90.5f, 39), rgb(226, 214, 184));
    fillOutlined(c, polygon({{176, 41}, {184, 35}, {238, 35}, {232, 41}}), rgb(232, 222, 196), rgb(120, 110, 90), 0.8f);
    for (const float y : {37.5f, 39.0f})
        fill(c, capsule({186, y}, {222, y}, 0.35f), rgb(60, 60, 80, 0.6f));
    fillOutlined(c, polygon({{154, 20}, {183, -2}, {186, 0}, {160, 22}}),
                 vertical(rgb(250, 246, 236), rgb(200, 196, 186), 0, 22), rgb(120, 110, 100), 0.8f);
    fill(c, capsule({151, 28}, {184, -1}, 0.8f), rgb(80, 70, 60));
    fillOutlined(c, rect(134, 27, 158, 42, 4), rounded(rgb(36, 42, 64), 146, 32, 12, 0.6f), kInk, 1.0f);
    fillOutlined(c, rect(140, 22, 152, 28, 1), rounded(rgb(44, 50, 74), 146, 25, 6, 0.6f), kInk, 1.0f);
    fill(c, ellipse(140, 31, 1.6f, 3.5f), rgb(255, 255, 255, 0.45f));

    fillOutlined(
        c, rect(0, 40, 300, 58, 2),
        [top = wood(scaled(mahogany, 1.25f), 101u, false)](float x, float y) {
            return scaled(top(x, y), y < 47.0f ? 1.15f : (y < 50.0f ? 0.95f : 0.8f));
        },
        kInk);
    fillOutlined(c, rect(10, 56, 290, 180), wood(scaled(mahogany, 0.9f), 102u, false), kInk);
    fill(c, rect(114, 88, 186, 180), vertical(rgb(14, 8, 6), rgb(40, 24, 16), 88, 180));
    fill(c, rect(10, 58, 290, 66), vertical(rgb(0, 0, 0, 0.45f), rgb(0, 0, 0, 0), 58, 66));

    const float drawers[7][4] = {{18, 64, 108, 96},    {18, 100, 108, 136},  {18, 140, 108, 174}, {192, 64, 282, 96},
                                 {192, 100, 282, 136}, {192, 140, 282, 174}, {116, 64, 184, 86}};
    std::uint32_t seed = 103u;
    for (const auto &d : drawers) {
        fillOutlined(c, rect(d[0], d[1], d[2], d[3], 1),
                     bevelled(wood(mahogany, seed++, false), d[0], d[1], d[2], d[3], 3), kInk, 1.2f);
        const float cx = (d[0] + d[2]) * 0.5f, cy = (d[1] + d[3]) * 0.5f;
        fillOutlined(c, capsule({cx - 10, cy}, {cx + 10, cy}, 2.2f),
                     vertical(scaled(kBrass, 1.3f), scaled(kBrass, 0.6f), cy - 2, cy + 2), kInk, 0.9f);
        for (const float x : {cx - 11.0f, cx + 11.0f})
            fillOutlined(c, circle(x, cy, 3.2f), rounded(kBrass, x, cy, 3.2f, 0.6f), kInk, 0.9f);
    }
    for (const float x : {14.0f, 92.0f, 192.0f, 270.0f})
        fillOutlined(c, rect(x, 178, x + 18, 190, 3), rounded(mahogany, x + 9, 180, 10, 0.5f), kInk, 1.2f);
    return c;
}

// The candle is the room's light, so it is drawn at full brightness. `tip`
// is the height of the flame's point: the flicker's cells differ in it.
Canvas drawCandleFlame(float tip)
{
    Canvas c(50, 110);
    c.setLit(false);
    fill(c, circle(25, 24, 25), [](float x, float y) {
        const float t = 1.0f - clamp01(std::hypot(x - 25.0f, y - 24.0f) / 25.0f);
        return rgb(255, 196, 110, 0.5f * t * t);
    });

    fillOutlined(c, ellipse(25, 102, 22, 5.5f), rounded(kBrass, 18, 99, 20, 0.5f), kInk, 1.0f);
    fillOutlined(c, subtract(circle(43, 93, 5.5f), circle(43, 93, 3.0f)), rounded(kBrass, 42, 91, 6, 0.6f), kInk, 1.0f);
    fillOutlined(c, rect(14, 88, 36, 101, 3), cylinder(kBrass, 14, 36), kInk, 1.0f);
    const Colour wax = rgb(236, 222, 190);
    fillOutlined(c, rect(17, 40, 33, 91, 1), cylinder(wax, 17, 33), rgb(120, 100, 80), 1.0f);
    fill(c, ellipse(25, 41, 7, 2.2f), rgb(250, 240, 214));
    fill(c, capsule({18.5f, 42}, {18.5f, 55}, 1.6f), scaled(wax, 1.05f));
    fill(c, capsule({30.5f, 42}, {30.5f, 49}, 1.4f), scaled(wax, 0.95f));
    fill(c, capsule({25, 34}, {25.4f, 41}, 0.9f), rgb(30, 20, 14));

    const Shape outer = unite(circle(25, 29, 4.6f), polygon({{20.6f, 28}, {25, tip}, {29.4f, 28}}));
    const Shape inner = unite(circle(25, 30, 2.6f), polygon({{22.5f, 29.5f}, {25, tip + 8}, {27.5f, 29.5f}}));
    fill(c, grow(outer, 1.5f), rgb(255, 150, 60, 0.35f));
    fill(c, outer, vertical(rgb(255, 214, 120), rgb(255, 150, 50), 12, 32));
    fill(c, inner, rgb(255, 250, 226));
    fill(c, ellipse(25, 33, 2.4f, 1.6f), rgb(90, 110, 230, 0.6f));
    return c;
}

Canvas drawCandle()
{
    return drawCandleFlame(9);
}

// Four cells of a flickering flame, side by side, for the candle's loop.
Canvas drawCandleSheet()
{
    Canvas sheet(200, 110);
    const float tips[] = {9, 13, 7, 11};
    for (int cell = 0; cell < 4; ++cell)
        sheet.paste(drawCandleFlame(tips[cell]), cell * 50, 0);
    return sheet;
}

Canvas drawChest()
{
    Canvas c(200, 140);
    c.setLight(sceneLightAt(kChestX, kChestY));
    softShadow(c, ellipse(100, 132, 96, 6), 8.0f, 0.7f);
    const Colour oak = rgb(132, 80, 42);

    const Shape lid = intersect(ellipse(100, 64, 94, 54), rect(6, 0, 194, 62));
    const Shape body = rect(8, 60, 192, 132, 2);
    fillOutlined(
        c, body,
        [planks = wood(oak, 111u, false)](float x, float y) {
            const float seam = std::min(std::fabs(y - 84.0f), std::fabs(y - 108.0f));
            return scaled(planks(x, y), seam < 1.0f ? 0.45f : (seam < 3.0f && y > 84.0f ? 0.85f : 1.0f));
        },
        kInk);
    fillOutlined(
        c, lid,
        [planks = wood(scaled(oak, 1.1f), 112u, false)](float x, float y) {
            const float seam = std::min(std::fabs(y - 24.0f), std::fabs(y - 41.0f));
            const float dome = 0.8f + 0.45f * std::sin(kPi * clamp01((y - 4.0f) / 60.0f));
            return scaled(planks(x, y), (seam < 1.0f ? 0.45f : 1.0f) * dome);
        },
        kInk);
    fill(c, rect(10, 66, 190, 74), vertical(rgb(0, 0, 0, 0.45f), rgb(0, 0, 0, 0), 66, 74));

    const Paint iron = [](float x, float y) { return scaled(kIron, 0.9f + 0.2f * noise(x * 0.3f, y * 0.3f, 113u)); };
    const Shape whole = unite(lid, body);
    for (const float x : {28.0f, 156.0f}) {
        fillOutlined(c, intersect(rect(x, -2, x + 16, 134), grow(whole, 1.0f)), bevelled(iron, x, -2, x + 16, 134, 3),
                     kInk, 1.2f);
        for (float y = 70; y < 130; y += 14)
            for (const float rx : {x + 4.5f, x + 11.5f})
                fillOutlined(c, circle(rx, y, 2.0f), rounded(rgb(120, 122, 130), rx, y, 2, 0.6f), kInk, 0.7f);
    }
    fillOutlined(c, rect(4, 54, 196, 66, 2), bevelled(iron, 4, 54, 196, 66, 3), kInk, 1.2f);
    for (float x = 12; x < 196; x += 16)
        fill(c, circle(x, 60, 1.8f), rgb(130, 132, 140));
    for (const bool leftSide : {true, false}) {
        const float s = leftSide ? 1.0f : -1.0f, edge = leftSide ? 8.0f : 192.0f;
        fillOutlined(c, polygon({{edge, 132}, {edge, 106}, {edge + s * 24, 132}}), iron, kInk, 1.2f);
    }
    fillOutlined(c, rect(93, 40, 107, 62, 3), rounded(kBrass, 100, 44, 14, 0.5f), kInk, 1.2f);
    fillOutlined(c, rect(84, 58, 116, 94, 4), rounded(kBrass, 92, 64, 30, 0.5f), kInk, 1.2f);
    fill(c, unite(circle(100, 72, 3.6f), polygon({{98, 72}, {102, 72}, {103.5f, 84}, {96.5f, 84}})), rgb(14, 8, 6));
    for (const Vec screw : {Vec{88, 62}, Vec{112, 62}, Vec{88, 90}, Vec{112, 90}})
        fill(c, circle(screw.x, screw.y, 1.5f), rgb(110, 80, 30));
    return c;
}

Canvas drawCat()
{
    Canvas c(130, 110);
    c.setLight(sceneLightAt(kCatX, kCatY));
    softShadow(c, ellipse(64, 103, 50, 5), 8.0f, 0.6f);
    const Colour fur = rgb(48, 48, 58), outline = rgb(10, 10, 14);

    const Vec p0{96, 92}, p1{112, 110}, p2{48, 112}, p3{24, 100};
    Vec previous = p0;
    Shape tailShape = circle(p0.x, p0.y, 6.5f);
    for (int i = 1; i <= 24; ++i) {
        const float t = i / 24.0f, u = 1.0f - t;
        const Vec p{u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                    u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y};
        tailShape = unite(tailShape, capsule(previous, p, 6.5f - 2.5f * t));
        previous = p;
    }

    const Shape body = ellipse(64, 74, 32, 29);
    const Shape chest = ellipse(64, 58, 22, 24);
    const Shape hipL = ellipse(40, 88, 16, 14), hipR = ellipse(88, 88, 16, 14);
    const Shape legL = capsule({56, 64}, {54, 97}, 6.5f), legR = capsule({72, 64}, {74, 97}, 6.5f);
    const Shape pawL = ellipse(53, 99, 8, 4.5f), pawR = ellipse(75, 99, 8, 4.5f);
    const Shape head = ellipse(64, 36, 25, 20);
    const Shape earL = polygon({{42, 30}, {39, 3}, {60, 18}}), earR = polygon({{86, 30}, {89, 3}, {68, 18}});

    Shape silhouette = body;
    for (const Shape &s : {chest, hipL, hipR, legL, legR, pawL, pawR, head, earL, earR, tailShape})
        silhouette = unite(silhouette, s);
    fill(c, grow(silhouette, 1.6f), outline);

    fill(c, body, rounded(fur, 58, 66, 34, 0.5f));
    fill(c, hipL, rounded(fur, 36, 84, 16, 0.5f));
    fill(c, hipR, rounded(fur, 84, 84, 16, 0.5f));
    fill(c, chest, rounded(scaled(fur, 1.15f), 60, 52, 24, 0.5f));
    fill(c, ellipse(64, 62, 10, 15), rgb(110, 110, 124, 0.35f));
    fillOutlined(c, legL, rounded(fur, 52, 72, 14, 0.5f), scaled(fur, 0.4f), 1.0f);
    fillOutlined(c, legR, rounded(fur, 70, 72, 14, 0.5f), scaled(fur, 0.4f), 1.0f);
    fillOutlined(c, pawL, rounded(scaled(fur, 1.1f), 51, 97, 8, 0.5f), scaled(fur, 0.4f), 1.0f);
    fillOutlined(c, pawR, rounded(scaled(fur, 1.1f), 73, 97, 8, 0.5f), scaled(fur, 0.4f), 1.0f);
    fill(c, tailShape, rounded(fur, 60, 100, 40, 0.5f));
    fill(c, earL, rounded(fur, 46, 16, 12, 0.5f));
    fill(c, earR, rounded(fur, 80, 16, 12, 0.5f));
    fill(c, polygon({{45, 25}, {43, 10}, {55, 19}}), rgb(120, 78, 90));
    fill(c, polygon({{83, 25}, {85, 10}, {73, 19}}), rgb(120, 78, 90));
    fill(c, head, rounded(fur, 58, 30, 26, 0.5f));

    c.setLit(false);
    for (const float x : {54.0f, 74.0f}) {
        fillOutlined(c, ellipse(x, 34, 5.8f, 4.4f), vertical(rgb(214, 222, 84), rgb(150, 176, 40), 30, 38), outline,
                     0.9f);
        fill(c, ellipse(x, 34, 1.4f, 3.8f), rgb(8, 8, 10));
        fill(c, circle(x - 1.8f, 32.4f, 1.1f), rgb(255, 255, 255, 0.9f));
    }
    c.setLit(true);
    fill(c, polygon({{61, 42}, {67, 42}, {64, 45.5f}}), rgb(176, 110, 120));
    fill(c, capsule({64, 45.5f}, {61, 48}, 0.6f), rgb(100, 100, 110));
    fill(c, capsule({64, 45.5f}, {67, 48}, 0.6f), rgb(100, 100, 110));
    for (const float s : {-1.0f, 1.0f}) {
        fill(c, capsule({64 + s * 9, 44}, {64 + s * 34, 40}, 0.45f), rgb(220, 220, 226, 0.75f));
        fill(c, capsule({64 + s * 9, 46}, {64 + s * 33, 48}, 0.45f), rgb(220, 220, 226, 0.75f));
    }
    return c;
}

// The player walks all over the room, so it gets one average room light
// instead of the light of any particular spot.
Canvas drawPlayer()
{
    Canvas c(80, 170);
    c.setLight([](float, float) { return Colour{0.92f, 0.84f, 0.78f, 1.0f}; });
    const Colour line = rgb(34, 24, 22);
    const Colour skin = rgb(238, 196, 160), hair = rgb(96, 58, 32), jumper = rgb(156, 60, 46),
                 trousers = rgb(50, 62, 98);
    const Colour shoe = rgb(60, 38, 28);

    softShadow(c, ellipse(40, 165, 26, 4), 5.0f, 0.5f);
    fillOutlined(c, ellipse(29, 163, 11, 5.5f), rounded(shoe, 26, 160, 11, 0.6f), line);
    fillOutlined(c, ellipse(51, 163, 11, 5.5f), rounded(shoe, 48, 160, 11, 0.6f), line);
    fillOutlined(c, rect(23, 96, 39.5f, 162, 3), cylinder(trousers, 23, 39.5f), line);
    fillOutlined(c, rect(40.5f, 96, 57, 162, 3), cylinder(trousers, 40.5f, 57), line);
    fillOutlined(c, capsule({19, 58}, {13, 100}, 6.5f), cylinder(jumper, 6.5f, 25.5f), line);
    fillOutlined(c, capsule({61, 58}, {67, 100}, 6.5f), cylinder(jumper, 54.5f, 73.5f), line);
    fillOutlined(c, circle(12.5f, 105, 5.5f), rounded(skin, 11, 103, 6), line);
    fillOutlined(c, circle(67.5f, 105, 5.5f), rounded(skin, 66, 103, 6), line);
    fillOutlined(c, rect(18, 48, 62, 104, 9), textured(cylinder(jumper, 18, 62), 121u, 0.1f), line);
    fillOutlined(
        c, rect(19, 95, 61, 104, 3),
        [rib = cylinder(scaled(jumper, 0.85f), 19, 61)](float x, float y) {
            return scaled(rib(x, y), std::fmod(x, 3.0f) < 1.0f ? 0.8f : 1.0f);
        },
        line, 1.0f);
    fillOutlined(c, polygon({{30, 48}, {50, 48}, {40, 63}}), rgb(234, 230, 218), line, 1.0f);
    fillOutlined(c, rect(34, 38, 46, 52, 3), horizontal(scaled(skin, 0.9f), scaled(skin, 0.7f), 34, 46), line, 1.0f);
    fillOutlined(c, ellipse(25.5f, 29, 3, 4.5f), rounded(skin, 25, 28, 4), line, 1.0f);
    fillOutlined(c, ellipse(54.5f, 29, 3, 4.5f), rounded(skin, 54, 28, 4), line, 1.0f);
    fillOutlined(c, ellipse(40, 27, 14.5f, 17), rounded(skin, 36, 22, 18, 0.25f), line);
    const Shape hairShape = unite(unite(intersect(ellipse(40, 21, 16.5f, 14.5f), rect(0, 0, 80, 21)),
                                        unite(rect(23.5f, 13, 28.5f, 30, 2), rect(51.5f, 13, 56.5f, 30, 2))),
                                  polygon({{25, 18}, {55, 18}, {52, 22}, {44, 19.5f}, {36, 24}, {28, 21}}));
    fillOutlined(c, hairShape, rounded(hair, 34, 12, 16, 0.5f), line);
    for (const float x : {34.5f, 45.5f}) {
        fill(c, ellipse(x, 28.5f, 1.7f, 2.2f), rgb(40, 30, 30));
        fill(c, circle(x - 0.6f, 27.8f, 0.5f), rgb(255, 255, 255, 0.9f));
        fill(c, circle(x + (x < 40 ? -3.5f : 3.5f), 34, 3.0f), rgb(236, 120, 110, 0.25f));
    }
    fill(c, capsule({31.5f, 24.0f}, {37, 23.2f}, 0.8f), hair);
    fill(c, capsule({43, 23.2f}, {48.5f, 24.0f}, 0.8f), hair);
    fill(c, capsule({40, 30}, {39, 34}, 0.7f), scaled(skin, 0.75f));
    fill(c, capsule({36.5f, 38}, {40, 39.2f}, 0.8f), rgb(150, 70, 64));
    fill(c, capsule({40, 39.2f}, {43.5f, 38}, 0.8f), rgb(150, 70, 64));
    return c;
}

// The walking player, 80 x 170 cells in rows of four: walking down (cells
// 0 to 3), right (4 to 7; left is this row mirrored) and up (8 to 11). Each
// cycle swings a shoe forward on alternate cells.
Canvas drawPlayerSheet()
{
    Canvas sheet(320, 510);
    const Colour line = rgb(34, 24, 22), hair = rgb(96, 58, 32), shoe = rgb(60, 38, 28), trousers = rgb(50, 62, 98);
    for (int row = 0; row < 3; ++row)
        for (int step = 0; step < 4; ++step) {
            Canvas cell = drawPlayer();
            cell.setLit(false);
            const float swing = step == 1 ? -7.0f : (step == 3 ? 7.0f : 0.0f);
            if (row == 1) {
                // Side on: the face turned right, a leg striding.
                fill(cell, ellipse(30, 27, 11, 14), hair);
                fillOutlined(cell, capsule({40, 110}, {40 + swing * 2, 158}, 8), trousers, line);
                fillOutlined(cell, ellipse(44 + swing * 2, 163, 12, 5.5f), shoe, line);
            } else {
                if (row == 2)
                    fillOutlined(cell, ellipse(40, 24, 15, 17), hair, line);
                if (swing != 0)
                    fillOutlined(cell, ellipse(swing < 0 ? 29 : 51, 159, 11, 5.5f), shoe, line);
            }
            sheet.paste(cell, step * 80, row * 170);
        }
    return sheet;
}

constexpr unsigned kRate = 44100;
using Samples = std::vector<float>;

std::size_t sampleCount(float seconds)
{
    return static_cast<std::size_t>(seconds * kRate);
}

float noiseSample(Rng &rng)
{
    return rng.uniform() * 2.0f - 1.0f;
}

// Robert Bristow-Johnson's cookbook biquads.
class Biquad {
public:
    static Biquad bandPass(float freq, float q) { return make(freq, q, 0); }
    static Biquad lowPass(float freq, float q) { return make(freq, q, 1); }
    static Biquad highPass(float freq, float q) { return make(freq, q, 2); }

    float operator()(float x)
    {
        const float y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    static Biquad make(float freq, float q, int kind)
    {
        const float w = 2.0f * kPi * freq / kRate, alpha = std::sin(w) / (2.0f * q), cw = std::cos(w);
        Biquad f;
        const float a0 = 1.0f + alpha;
        if (kind == 0) {
            f.b0_ = alpha / a0;
            f.b1_ = 0.0f;
            f.b2_ = -alpha / a0;
        } else if (kind == 1) {
            f.b0_ = (1.0f - cw) * 0.5f / a0;
            f.b1_ = (1.0f - cw) / a0;
            f.b2_ = f.b0_;
        } else {
            f.b0_ = (1.0f + cw) * 0.5f / a0;
            f.b1_ = -(1.0f + cw) / a0;
            f.b2_ = f.b0_;
        }
        f.a1_ = -2.0f * cw / a0;
        f.a2_ = (1.0f - alpha) / a0;
        return f;
    }

    float b0_ = 0, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    float x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

void normalise(Samples &s, float peak)
{
    float highest = 0.0f;
    for (const float v : s)
        highest = std::max(highest, std::fabs(v));
    if (highest > 0.0f)
        for (float &v : s)
            v *= peak / highest;
}

// Impulsive sounds have a few high peaks; squashing them lets the body of the
// sound come up to a useful loudness.
void compress(Samples &s, float drive)
{
    normalise(s, 1.0f);
    for (float &v : s)
        v = std::tanh(drive * v);
}

// Ends on silence, so that stopping a sound early or late never clicks.
void fadeOut(Samples &s, float seconds)
{
    const std::size_t n = std::min(s.size(), sampleCount(seconds));
    for (std::size_t i = 0; i < n; ++i)
        s[s.size() - 1 - i] *= static_cast<float>(i) / n;
}

// sf::OutputSoundFile rather than sf::SoundBuffer: the buffer goes through
// OpenAL and fails on build machines without an audio device.
bool writeSound(const Samples &s, const std::string &path)
{
    std::vector<sf::Int16> pcm(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        pcm[i] = static_cast<sf::Int16>(std::lround(std::max(-1.0f, std::min(1.0f, s[i])) * 32767.0f));
    sf::OutputSoundFile file;
    if (!file.openFromFile(path, kRate, 1))
        return false;
    file.write(pcm.data(), pcm.size());
    return true;
}

constexpr float kShortPeak = 0.708f; // -3 dBFS
constexpr float kMusicPeak = 0.316f; // -10 dBFS

Samples knock()
{
    Samples s(sampleCount(0.4f), 0.0f);
    Rng rng(201);
    const float hits[2][2] = {{0.0f, 1.0f}, {0.17f, 0.85f}};
    for (const auto &hit : hits) {
        Biquad thud = Biquad::lowPass(900.0f, 0.8f);
        const std::size_t start = sampleCount(hit[0]);
        for (std::size_t i = start; i < s.size(); ++i) {
            const float t = static_cast<float>(i - start) / kRate;
            const float body = std::sin(2 * kPi * 165.0f * t) * std::exp(-t / 0.045f) +
                               0.6f * std::sin(2 * kPi * 420.0f * t) * std::exp(-t / 0.022f) +
                               0.3f * std::sin(2 * kPi * 910.0f * t) * std::exp(-t / 0.010f);
            const float click = thud(noiseSample(rng)) * std::exp(-t / 0.006f);
            s[i] += hit[1] * (body + 2.5f * click);
        }
    }
    normalise(s, kShortPeak);
    fadeOut(s, 0.02f);
    return s;
}

// A hinge creaks by stick-slip: a wandering train of tiny impulses, each
// ringing the metal's resonances.
Samples creak()
{
    Samples s(sampleCount(0.7f), 0.0f);
    Rng rng(202);
    Biquad r1 = Biquad::bandPass(640.0f, 14.0f), r2 = Biquad::bandPass(1380.0f, 12.0f),
           r3 = Biquad::bandPass(2460.0f, 10.0f);
    float phase = 1.0f;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / kRate;
        const float rate = 62.0f + 38.0f * std::sin(2 * kPi * 0.9f * t + 0.4f) + 26.0f * t;
        phase += rate / kRate;
        float impulse = 0.0f;
        if (phase >= 1.0f) {
            phase -= 1.0f;
            impulse = rng.range(0.6f, 1.0f);
        }
        const float envelope = smoothstep(0.0f, 0.015f, t) * (0.75f + 0.25f * std::sin(2 * kPi * 2.1f * t)) *
                               (1.0f - smoothstep(0.55f, 0.7f, t));
        s[i] = envelope * (r1(impulse) + 0.7f * r2(impulse) + 0.35f * r3(impulse));
    }
    compress(s, 3.0f);
    normalise(s, kShortPeak);
    fadeOut(s, 0.02f);
    return s;
}

// A glide up and down in pitch while a formant sweeps from "ee" through "ah"
// to "ow" is what makes a tone sound like a meow.
Samples meow()
{
    const float duration = 0.6f;
    Samples s(sampleCount(duration), 0.0f);
    Rng rng(203);
    Biquad breath = Biquad::bandPass(2500.0f, 1.0f);
    std::vector<double> phases(14, 0.0);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / kRate, u = t / duration;
        const float rise = std::max(0.0f, std::sin(kPi * std::min(1.0f, u * 1.1f)));
        const float f0 = (470.0f + 320.0f * std::pow(rise, 0.8f) * (1.0f - 0.25f * u)) *
                         (1.0f + 0.012f * std::sin(2 * kPi * 6.0f * t));
        const float formant = 2100.0f - 1450.0f * u;
        float v = 0.0f;
        for (std::size_t k = 1; k < phases.size(); ++k) {
            const float fk = f0 * static_cast<float>(k);
            phases[k] += fk / kRate;
            const float g = (fk - formant) / (0.45f * formant);
            const float amp = (std::exp(-g * g) + 0.25f / static_cast<float>(k)) / std::sqrt(static_cast<float>(k));
            v += amp * static_cast<float>(std::sin(2.0 * 3.141592653589793 * phases[k]));
        }
        const float envelope =
            smoothstep(0.0f, 0.02f, t) * (1.0f - smoothstep(0.42f, 0.6f, t)) * (0.8f + 0.2f * std::sin(kPi * u));
        s[i] = envelope * (v + 0.15f * breath(noiseSample(rng)));
    }
    normalise(s, kShortPeak);
    fadeOut(s, 0.01f);
    return s;
}

Samples page()
{
    Samples s(sampleCount(0.4f), 0.0f);
    Rng rng(204);
    Biquad high = Biquad::highPass(1400.0f, 0.7f), band = Biquad::bandPass(4200.0f, 0.7f);
    float flutter = 0.0f, target = 1.0f;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / kRate;
        if (i % 700 == 0)
            target = rng.range(0.2f, 1.0f);
        flutter += (target - flutter) * 0.004f;
        const float crackle = rng.uniform() < 0.0015f ? rng.range(1.5f, 2.5f) : 1.0f;
        const float envelope = smoothstep(0.0f, 0.01f, t) * std::exp(-t / 0.16f);
        s[i] = envelope * flutter * crackle * band(high(noiseSample(rng)));
    }
    compress(s, 2.5f);
    normalise(s, kShortPeak);
    fadeOut(s, 0.03f);
    return s;
}

Samples chime()
{
    Samples s(sampleCount(1.0f), 0.0f);
    const float base = 1046.5f;
    const float partials[6][3] = {{1.0f, 1.0f, 0.85f},  {1.004f, 0.35f, 0.9f}, {2.0f, 0.45f, 0.5f},
                                  {2.76f, 0.3f, 0.35f}, {4.07f, 0.16f, 0.22f}, {5.43f, 0.08f, 0.15f}};
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / kRate;
        float v = 0.0f;
        for (const auto &p : partials)
            v += p[1] * std::sin(2 * kPi * base * p[0] * t) * std::exp(-t / p[2]);
        s[i] = v * smoothstep(0.0f, 0.003f, t);
    }
    normalise(s, kShortPeak);
    fadeOut(s, 0.08f);
    return s;
}

// One sine table keeps forty seconds of many voices fast to render.
class SineTable {
public:
    SineTable() : table_(kSize + 1)
    {
        for (std::size_t i = 0; i <= kSize; ++i)
            table_[i] = static_cast<float>(std::sin(2.0 * 3.141592653589793 * static_cast<double>(i) / kSize));
    }
    float operator()(double cycles) const
    {
        const double frac = cycles - std::floor(cycles);
        const double pos = frac * kSize;
        const std::size_t i = static_cast<std::size_t>(pos);
        const float f = static_cast<float>(pos - static_cast<double>(i));
        return table_[i] + (table_[i + 1] - table_[i]) * f;
    }

private:
    static constexpr std::size_t kSize = 8192;
    std::vector<float> table_;
};

float midiToHz(int note)
{
    return 440.0f * std::pow(2.0f, (note - 69) / 12.0f);
}

struct Voice {
    std::vector<float> harmonics;
    float attack, decay, release;
};

// Notes are written modulo the loop length, so the tails of the last notes ring
// on over the start of the piece and the music loops without a seam.
void addNote(Samples &loop, const SineTable &sine, const Voice &voice, int note, float start, float length, float gain,
             float detune = 1.0f)
{
    const float freq = midiToHz(note) * detune;
    const std::size_t first = sampleCount(start);
    const std::size_t total = sampleCount(length + voice.release);
    const std::size_t n = loop.size();
    const double decayPerSample = std::exp(-1.0 / (static_cast<double>(voice.decay) * kRate));
    double decay = 1.0;
    for (std::size_t i = 0; i < total; ++i, decay *= decayPerSample) {
        const float t = static_cast<float>(i) / kRate;
        float env = std::min(1.0f, t / voice.attack) * static_cast<float>(decay);
        if (t > length)
            env *= 1.0f - (t - length) / voice.release;
        const double cycles = static_cast<double>(freq) * i / kRate;
        float v = 0.0f;
        for (std::size_t h = 0; h < voice.harmonics.size(); ++h)
            if (voice.harmonics[h] != 0.0f)
                v += voice.harmonics[h] * sine(cycles * static_cast<double>(h + 1));
        loop[(first + i) % n] += gain * env * v;
    }
}

Samples music()
{
    const float bar = 40.0f / 12.0f, eighth = bar / 8.0f;
    Samples s(sampleCount(40.0f), 0.0f);
    const SineTable sine;
    const Voice pluck{{1.0f, 0.28f, 0.08f}, 0.008f, 0.9f, 0.6f};
    const Voice pad{{1.0f, 0.12f}, 0.9f, 100.0f, 1.2f};
    const Voice bass{{1.0f, 0.25f}, 0.02f, 1.6f, 0.5f};
    const Voice bell{{1.0f, 0.0f, 0.12f}, 0.04f, 1.3f, 0.6f};

    const int chords[4][5] = {{50, 62, 66, 69, 73}, {47, 59, 62, 66, 69}, {43, 55, 59, 62, 66}, {45, 57, 61, 64, 69}};
    const int pattern[8] = {0, 1, 2, 3, 2, 1, 2, 1};
    for (int b = 0; b < 12; ++b) {
        const int *chord = chords[b % 4];
        const float start = b * bar;
        addNote(s, sine, bass, chord[0], start, bar * 0.5f, 0.26f);
        addNote(s, sine, bass, chord[0], start + bar * 0.5f, bar * 0.5f, 0.18f);
        for (int v = 1; v < 5; ++v) {
            addNote(s, sine, pad, chord[v], start, bar, 0.035f, 0.998f);
            addNote(s, sine, pad, chord[v], start, bar, 0.035f, 1.002f);
        }
        for (int e = 0; e < 8; ++e)
            addNote(s, sine, pluck, chord[1 + pattern[e]] + (b >= 8 && e % 4 == 3 ? 12 : 0), start + e * eighth,
                    eighth * 2.0f, 0.13f);
    }
    const int melody[][2] = {{78, 2}, {76, 2}, {74, 2}, {73, 2}, {71, 2}, {74, 2}, {73, 4},
                             {81, 2}, {78, 2}, {76, 2}, {74, 2}, {74, 2}, {71, 2}, {73, 4}};
    float at = 4.0f * bar;
    for (const auto &m : melody) {
        const float length = m[1] * bar / 4.0f;
        addNote(s, sine, bell, m[0], at, length, 0.16f);
        at += length;
    }
    normalise(s, kMusicPeak);
    return s;
}

} // namespace

// The hallway beyond the study's door: the same floor under a plainer wall,
// lit evenly, with a door at each end.
Canvas drawHall()
{
    Canvas c(kWorld, kWorld);
    fill(c, rect(0, 0, kWorld, kFloorTop), vertical(rgb(70, 92, 78), rgb(44, 58, 50), 0, kFloorTop));
    for (float x = 40; x < kWorld; x += 80)
        fill(c, rect(x, 0, x + 4, kFloorTop), rgb(36, 48, 40, 0.6f));
    fill(c, rect(0, kFloorTop - 30, kWorld, kFloorTop), rgb(98, 70, 44));
    drawFloor(c);
    return c;
}

// The garden at night: sky, moon, hedge and lawn.
Canvas drawGarden()
{
    Canvas c(kWorld, kWorld);
    c.setLit(false);
    fill(c, rect(0, 0, kWorld, kFloorTop), vertical(rgb(12, 18, 44), rgb(40, 52, 90), 0, kFloorTop));
    fill(c, circle(820, 180, 60), rgb(240, 236, 210));
    for (float x = -40; x < kWorld + 80; x += 120)
        fill(c, circle(x, kFloorTop - 40, 90), rgb(24, 60, 34));
    fill(c, rect(0, kFloorTop, kWorld, kWorld), vertical(rgb(40, 96, 50), rgb(22, 60, 30), kFloorTop, kWorld));
    return c;
}

Canvas drawPostbox()
{
    Canvas c(120, 260);
    c.setLit(false);
    const Colour red = rgb(190, 30, 30);
    fillOutlined(c, rect(30, 120, 90, 258), cylinder(scaled(red, 0.7f), 30, 90), kInk);
    fillOutlined(c, rect(4, 20, 116, 130, 12), cylinder(red, 4, 116), kInk, 2.0f);
    fill(c, rect(24, 56, 96, 66, 3), rgb(20, 8, 8));
    return c;
}

// An item on the bar and in the room: a brass key, the small one paler.
Canvas drawKeyIcon(float paleness)
{
    Canvas c(56, 56);
    c.setLit(false);
    const Colour metal = mix(kBrass, rgb(230, 230, 220), paleness);
    fillOutlined(c, subtract(circle(16, 28, 12), circle(16, 28, 5)), rounded(metal, 14, 24, 12, 0.5f), kInk, 1.2f);
    fillOutlined(c, rect(26, 25, 52, 31, 2), cylinder(metal, 26, 52), kInk, 1.0f);
    fillOutlined(c, rect(40, 31, 45, 40), metal, kInk, 1.0f);
    fillOutlined(c, rect(47, 31, 52, 37), metal, kInk, 1.0f);
    return c;
}

// The cursor is drawn centred on the pointer: a ring round the point.
Canvas drawCursor()
{
    Canvas c(32, 32);
    c.setLit(false);
    fill(c, subtract(circle(16, 16, 13), circle(16, 16, 9)), rgb(20, 16, 10));
    fill(c, subtract(circle(16, 16, 12), circle(16, 16, 10)), rgb(250, 236, 200));
    fill(c, circle(16, 16, 2.5f), rgb(250, 236, 200));
    return c;
}

Canvas drawLetter()
{
    Canvas c(56, 56);
    c.setLit(false);
    const Colour paper = rgb(236, 228, 206);
    fillOutlined(c, rect(4, 12, 52, 44, 2), paper, kInk, 1.2f);
    fill(c, polygon({{5, 13}, {28, 32}, {51, 13}}), scaled(paper, 0.85f));
    fill(c, circle(28, 31, 4), rgb(160, 20, 20));
    return c;
}

// Grandma stands in the hallway knitting: grey bun, round glasses, a shawl
// over her cardigan and a long skirt. The hallway is lit evenly, so she gets
// one soft light, a little cooler than the study's candle.
Canvas drawGrandma()
{
    Canvas c(100, 200);
    c.setLight([](float, float) { return Colour{0.94f, 0.9f, 0.88f, 1.0f}; });
    const Colour line = rgb(34, 24, 22);
    const Colour skin = rgb(236, 200, 176), hair = rgb(214, 212, 218), cardigan = rgb(128, 112, 150),
                 skirt = rgb(92, 56, 80), shawl = rgb(196, 128, 118), shoe = rgb(52, 34, 30), wool = rgb(200, 60, 56);

    softShadow(c, ellipse(50, 195, 36, 4), 5.0f, 0.5f);
    fillOutlined(c, ellipse(38, 193, 10, 5), rounded(shoe, 35, 190, 10, 0.6f), line);
    fillOutlined(c, ellipse(62, 193, 10, 5), rounded(shoe, 59, 190, 10, 0.6f), line);
    fillOutlined(
        c, polygon({{32, 100}, {68, 100}, {84, 190}, {16, 190}}),
        [folds = textured(cylinder(skirt, 16, 84), 131u, 0.08f)](float x, float y) {
            const float fold = 0.5f + 0.5f * std::sin((x - 50.0f) * 0.3f * (1.0f - 0.004f * (190.0f - y)));
            return scaled(folds(x, y), 0.86f + 0.2f * fold * clamp01((y - 110.0f) / 60.0f));
        },
        line);
    fillOutlined(c, rect(28, 60, 72, 110, 10), textured(cylinder(cardigan, 28, 72), 132u, 0.12f), line);
    for (float y = 80; y < 108; y += 9)
        fillOutlined(c, circle(50, y, 1.8f), rounded(rgb(226, 214, 190), 49, y - 1, 2, 0.5f), line, 0.7f);
    fillOutlined(c, polygon({{24, 64}, {76, 64}, {66, 84}, {50, 94}, {34, 84}}),
                 textured(rounded(shawl, 44, 70, 30, 0.4f), 133u, 0.15f), line);
    fill(c, polygon({{47, 92}, {53, 92}, {52, 104}, {48, 104}}), scaled(shawl, 0.85f));
    fillOutlined(c, capsule({29, 70}, {38, 104}, 6), cylinder(cardigan, 23, 44), line);
    fillOutlined(c, capsule({71, 70}, {62, 104}, 6), cylinder(cardigan, 56, 77), line);
    // The knitting between her hands: two needles and a red square hanging from them.
    fillOutlined(
        c, rect(40, 102, 60, 122, 2),
        [=](float x, float y) {
            return scaled(wool, (std::fmod(x, 4.0f) < 2.0f) != (std::fmod(y, 4.0f) < 2.0f) ? 1.0f : 0.82f);
        },
        line, 1.0f);
    fill(c, capsule({30, 96}, {60, 108}, 1.0f), rgb(200, 200, 206));
    fill(c, capsule({70, 96}, {40, 108}, 1.0f), rgb(200, 200, 206));
    fillOutlined(c, circle(39, 105, 5), rounded(skin, 37, 103, 5), line);
    fillOutlined(c, circle(61, 105, 5), rounded(skin, 59, 103, 5), line);

    fillOutlined(c, rect(44, 50, 56, 64, 3), horizontal(scaled(skin, 0.9f), scaled(skin, 0.7f), 44, 56), line, 1.0f);
    fillOutlined(c, ellipse(36, 42, 2.5f, 4), rounded(skin, 36, 41, 4), line, 1.0f);
    fillOutlined(c, ellipse(64, 42, 2.5f, 4), rounded(skin, 64, 41, 4), line, 1.0f);
    fillOutlined(c, ellipse(50, 41, 14, 16), rounded(skin, 46, 36, 18, 0.25f), line);
    const Shape hairShape =
        unite(intersect(ellipse(50, 36, 16, 15), rect(0, 0, 100, 34)),
              unite(rect(34, 28, 38.5f, 42, 2), unite(rect(61.5f, 28, 66, 42, 2), ellipse(50, 33, 14, 4))));
    fillOutlined(c, hairShape, rounded(hair, 44, 26, 16, 0.4f), line);
    fillOutlined(c, circle(50, 17, 8), rounded(hair, 48, 14, 8, 0.4f), line);
    for (const float x : {42.0f, 50.0f, 58.0f})
        fill(c, capsule({x, 24}, {x + 2, 33}, 0.5f), scaled(hair, 0.75f));
    for (const float x : {44.0f, 56.0f}) {
        fill(c, ellipse(x, 42, 1.5f, 1.9f), rgb(40, 30, 30));
        fill(c, circle(x + (x < 50 ? -3.0f : 3.0f), 48, 3.0f), rgb(236, 120, 110, 0.3f));
        fill(c, subtract(circle(x, 42, 5), circle(x, 42, 4)), rgb(150, 120, 60));
        fill(c, circle(x, 42, 4), rgb(255, 255, 255, 0.12f));
    }
    fill(c, capsule({49, 42}, {51, 42}, 0.6f), rgb(150, 120, 60));
    fill(c, capsule({50, 44}, {49, 48}, 0.7f), scaled(skin, 0.75f));
    fill(c, capsule({46, 51}, {50, 52}, 0.8f), rgb(150, 70, 64));
    fill(c, capsule({50, 52}, {54, 51}, 0.8f), rgb(150, 70, 64));
    return c;
}

// The stamp Grandma gives: a perforated edge round a little moonlit hill.
Canvas drawStamp()
{
    Canvas c(56, 56);
    c.setLit(false);
    Shape paper = rect(9, 6, 47, 50);
    for (float t = 9; t <= 47.5f; t += 4.75f) {
        paper = subtract(paper, circle(t, 6, 1.6f));
        paper = subtract(paper, circle(t, 50, 1.6f));
    }
    for (float t = 6; t <= 50.5f; t += 5.5f) {
        paper = subtract(paper, circle(9, t, 1.6f));
        paper = subtract(paper, circle(47, t, 1.6f));
    }
    fillOutlined(c, paper, rgb(246, 240, 224), kInk, 1.0f);
    const Shape picture = rect(14, 11, 42, 45);
    fill(c, picture, vertical(rgb(40, 60, 120), rgb(110, 140, 200), 11, 45));
    fill(c, circle(33, 20, 4), rgb(250, 240, 200));
    fill(c, intersect(ellipse(24, 48, 22, 14), picture), rgb(60, 120, 70));
    fill(c, subtract(grow(picture, 0.8f), picture), rgb(150, 40, 40));
    return c;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: generate_assets OUTDIR\n";
        return 1;
    }
    const std::filesystem::path out = argv[1];
    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (error) {
        std::cerr << "generate_assets: cannot create " << out.string() << ": " << error.message() << "\n";
        return 1;
    }

    const std::vector<std::pair<std::string, std::function<Canvas()>>> pictures = {
        {"background.png", drawBackground},
        {"window.png", drawWindow},
        {"door.png", drawDoor},
        {"bookshelf.png", drawBookshelf},
        {"painting.png", drawPainting},
        {"desk.png", drawDesk},
        {"candle.png", drawCandle},
        {"chest.png", drawChest},
        {"cat.png", drawCat},
        {"player.png", drawPlayer},
        {"player-sheet.png", drawPlayerSheet},
        {"candle-sheet.png", drawCandleSheet},
        {"hall.png", drawHall},
        {"garden.png", drawGarden},
        {"postbox.png", drawPostbox},
        {"key.png", [] { return drawKeyIcon(0.0f); }},
        {"small-key.png", [] { return drawKeyIcon(0.6f); }},
        {"letter.png", drawLetter},
        {"grandma.png", drawGrandma},
        {"stamp.png", drawStamp},
        {"cursor.png", drawCursor}};
    for (const auto &[name, draw] : pictures) {
        if (!draw().save((out / name).string())) {
            std::cerr << "generate_assets: cannot write " << (out / name).string() << "\n";
            return 1;
        }
    }

    const std::vector<std::pair<std::string, std::function<Samples()>>> sounds = {
        {"knock.wav", knock}, {"creak.wav", creak}, {"meow.wav", meow},
        {"page.wav", page},   {"chime.wav", chime}, {"music.ogg", music}};
    for (const auto &[name, make] : sounds) {
        if (!writeSound(make(), (out / name).string())) {
            std::cerr << "generate_assets: cannot write " << (out / name).string() << "\n";
            return 1;
        }
    }
    return 0;
}
