#pragma once

#include "core/nav/Geometry.h"

#include <cstddef>
#include <vector>

// A walk along a polyline at a fixed length per step, through corners within
// one step. The first point is where the walk starts.
class Route {
public:
    Route() = default;
    explicit Route(std::vector<Point> points);

    const std::vector<Point> &points() const { return corners; }
    Point position() const { return at; }
    bool finished() const { return next >= corners.size(); }
    // The way of the segment being walked, or of the last one once finished;
    // zero for a route of one point.
    Point heading() const;
    // Goes on by `length`; when no more than that is left, lands exactly on
    // the last point. Returns how many corners before the last point it
    // passed, for a walker that turns at each.
    std::size_t advance(double length);

private:
    std::vector<Point> corners;
    std::size_t next = 0;
    Point at;
    // What is left from `corners[next]` to the end, so the landing rule does
    // not depend on how rounding splits the steps.
    std::vector<double> remainingFrom;
};
