#pragma once

#include <cmath>
#include <vector>

// Plain plane geometry in doubles: world points are floats, so differences
// and their products stay exact here and sides of lines are decided exactly
// for points the document wrote.
struct Point {
    double x = 0;
    double y = 0;
};

inline Point operator+(Point a, Point b)
{
    return {a.x + b.x, a.y + b.y};
}
inline Point operator-(Point a, Point b)
{
    return {a.x - b.x, a.y - b.y};
}
inline Point operator*(Point a, double k)
{
    return {a.x * k, a.y * k};
}
inline bool operator==(Point a, Point b)
{
    return a.x == b.x && a.y == b.y;
}
inline bool operator!=(Point a, Point b)
{
    return !(a == b);
}
inline double dot(Point a, Point b)
{
    return a.x * b.x + a.y * b.y;
}
inline double cross(Point a, Point b)
{
    return a.x * b.y - a.y * b.x;
}
inline double distance(Point a, Point b)
{
    return std::hypot(b.x - a.x, b.y - a.y);
}

// Corners in order; the last joins the first.
using Polygon = std::vector<Point>;

// Positive when the corners turn counter-clockwise in a y-up frame.
double signedArea(const Polygon &polygon);
// The point of segment ab nearest to p.
Point nearestOnSegment(Point p, Point a, Point b);
// Strictly inside by the crossing rule; points on an edge may go either way.
bool insideByCrossings(const Polygon &polygon, Point p);
// Whether the level ray from p to the right crosses the edge from b to a, by
// the crossing rule: an odd count of such edges puts p inside.
bool rayCrosses(Point a, Point b, Point p);
// Whether two edges that are not neighbours meet, or neighbours overlap.
bool selfIntersects(const Polygon &polygon);
// Whether segments ab and cd share any point.
bool segmentsMeet(Point a, Point b, Point c, Point d);
// The length of a polyline.
double pathLength(const std::vector<Point> &points);
