#pragma once

#include "core/nav/EdgeGrid.h"
#include "core/nav/Geometry.h"

#include <cstddef>
#include <vector>

// Where the player may walk: a simple polygon, closed, minus holes that are
// open, so every boundary is walkable. Answers where a click sends the player
// and the shortest way there. The corners a shortest path can turn at are
// found when the area is made; which others each of them sees is worked out
// the first time a way may turn there, and kept, so a path costs the sight
// lines from its two ends and those of corners no way has turned at yet.
// Making an area of 1,000 corners so takes well under a frame, where seeing
// every pair of corners at once took longer. Asking changes what is kept:
// not for two threads at once.
class WalkArea {
public:
    // How far off a boundary a point may be and still count as on it: nearest
    // points and crossings are rounded, and must not make a path fail.
    static constexpr double tolerance = 1e-6;

    WalkArea(Polygon area, std::vector<Polygon> holes);

    const Polygon &area() const { return outline; }
    const std::vector<Polygon> &holes() const { return openings; }

    bool contains(Point p) const;
    // The nearest point of any boundary; of equally near ones, the one on the
    // edge that comes first: the area's edges in corner order, then each hole's.
    Point nearestBoundaryPoint(Point p) const;
    // Where a click at p sends the player: p inside, else the nearest boundary point.
    Point targetFor(Point p) const { return contains(p) ? p : nearestBoundaryPoint(p); }
    // Whether the segment ab lies in the area.
    bool sees(Point a, Point b) const;
    // The shortest way from `from` to `to`, both ends included, without
    // repeated points; of equally short ways, the one with fewer corners.
    // From outside the area it goes first to the nearest boundary point; a
    // target outside goes to its nearest boundary point. When the target
    // cannot be reached the way ends where it entered the area.
    std::vector<Point> path(Point from, Point to) const;
    // Corners of the area and the holes that no walk from `from` reaches.
    std::vector<Point> unreachableCorners(Point from) const;

private:
    struct Edge {
        Point a;
        Point b;
        double length;
        // Bounding box, for the quick rejections that keep sight lines cheap.
        double left, top, right, bottom;
        // 0 for the area's outline, then each hole's number from 1.
        std::size_t polygon;
    };
    // A corner a shortest path may turn at, with its two neighbours: a way
    // only turns there when it passes the corner on one side.
    struct Corner {
        Point at;
        Point previous;
        Point next;
    };
    struct Link {
        std::size_t to;
        double length;
    };

    void addPolygon(const Polygon &polygon, std::size_t number);
    static bool crosses(const Edge &edge, Point a, Point b, double length);
    bool sees(Point a, Point b, std::size_t &blocker) const;
    bool tangentAt(const Corner &corner, Point other) const;
    const std::vector<Link> &linksOf(std::size_t corner) const;
    std::vector<Point> shortest(Point from, Point to) const;
    void dropStraightCorners(std::vector<Point> &points) const;

    Polygon outline;
    std::vector<Polygon> openings;
    std::vector<Edge> edges;
    EdgeGrid grid;
    std::vector<Corner> corners;
    // The corners each corner sees and a way may turn to, in the order of
    // their numbers, once linked says they have been worked out.
    mutable std::vector<std::vector<Link>> links;
    mutable std::vector<char> linked;
};
