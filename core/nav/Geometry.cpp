#include "core/nav/Geometry.h"

#include <algorithm>
#include <cstddef>

namespace {

int side(Point a, Point b, Point c)
{
    const double turn = cross(b - a, c - a);
    return (turn > 0) - (turn < 0);
}

// c lies within the box of ab; with side() == 0, on the segment.
bool withinBox(Point a, Point b, Point c)
{
    return std::min(a.x, b.x) <= c.x && c.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= c.y &&
           c.y <= std::max(a.y, b.y);
}

} // namespace

double signedArea(const Polygon &polygon)
{
    double twice = 0;
    for (std::size_t i = 0, n = polygon.size(); i < n; ++i)
        twice += cross(polygon[i], polygon[(i + 1) % n]);
    return twice / 2;
}

Point nearestOnSegment(Point p, Point a, Point b)
{
    const Point along = b - a;
    const double squared = dot(along, along);
    if (squared == 0)
        return a;
    const double t = std::clamp(dot(p - a, along) / squared, 0.0, 1.0);
    return a + along * t;
}

bool insideByCrossings(const Polygon &polygon, Point p)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
        if (rayCrosses(polygon[i], polygon[j], p))
            inside = !inside;
    return inside;
}

bool rayCrosses(Point a, Point b, Point p)
{
    return (a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x;
}

bool segmentsMeet(Point a, Point b, Point c, Point d)
{
    const int s1 = side(a, b, c);
    const int s2 = side(a, b, d);
    const int s3 = side(c, d, a);
    const int s4 = side(c, d, b);
    if (s1 * s2 < 0 && s3 * s4 < 0)
        return true;
    return (s1 == 0 && withinBox(a, b, c)) || (s2 == 0 && withinBox(a, b, d)) || (s3 == 0 && withinBox(c, d, a)) ||
           (s4 == 0 && withinBox(c, d, b));
}

bool selfIntersects(const Polygon &polygon)
{
    const std::size_t n = polygon.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point a = polygon[i];
        const Point b = polygon[(i + 1) % n];
        if (a == b)
            return true;
        for (std::size_t j = i + 1; j < n; ++j) {
            const Point c = polygon[j];
            const Point d = polygon[(j + 1) % n];
            const bool next = j == i + 1;
            const bool previous = (j + 1) % n == i;
            if (!next && !previous) {
                if (segmentsMeet(a, b, c, d))
                    return true;
            } else {
                // Neighbours share one corner; they overlap when they fold back.
                const Point shared = next ? b : a;
                const Point mine = next ? a : b;
                const Point theirs = next ? d : c;
                if (side(shared, mine, theirs) == 0 && dot(mine - shared, theirs - shared) > 0)
                    return true;
            }
        }
    }
    return false;
}

double pathLength(const std::vector<Point> &points)
{
    double total = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        total += distance(points[i - 1], points[i]);
    return total;
}
