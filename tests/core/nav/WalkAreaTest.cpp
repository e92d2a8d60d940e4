#include "core/nav/WalkArea.h"
#include "core/nav/Route.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

namespace {

// The oracle's own idea of "the segment lies in the area": cut the segment
// wherever it meets any edge's line within the edge, and test the middle of
// every piece by winding number. No crossing rules, no tolerance on sides.
int winding(const Polygon &polygon, Point p)
{
    int turns = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Point a = polygon[i];
        const Point b = polygon[(i + 1) % polygon.size()];
        const double side = cross(b - a, p - a);
        if (a.y <= p.y && b.y > p.y && side > 0)
            ++turns;
        else if (a.y > p.y && b.y <= p.y && side < 0)
            --turns;
    }
    return turns;
}

double boundaryDistance(const Polygon &polygon, Point p)
{
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < polygon.size(); ++i)
        best = std::min(best, distance(p, nearestOnSegment(p, polygon[i], polygon[(i + 1) % polygon.size()])));
    return best;
}

struct Oracle {
    Polygon area;
    std::vector<Polygon> holes;

    bool inside(Point p) const
    {
        bool onEdge = boundaryDistance(area, p) < 1e-5;
        for (const Polygon &hole : holes)
            onEdge = onEdge || boundaryDistance(hole, p) < 1e-5;
        if (onEdge)
            return true;
        if (winding(area, p) == 0)
            return false;
        return std::none_of(holes.begin(), holes.end(), [&](const Polygon &hole) { return winding(hole, p) != 0; });
    }

    bool segmentInside(Point a, Point b) const
    {
        std::vector<double> cuts{0, 1};
        auto cutAt = [&](const Polygon &polygon) {
            for (std::size_t i = 0; i < polygon.size(); ++i) {
                const Point c = polygon[i];
                const Point d = polygon[(i + 1) % polygon.size()];
                const double denominator = cross(b - a, d - c);
                if (denominator == 0)
                    continue;
                const double t = cross(c - a, d - c) / denominator;
                const double u = cross(c - a, b - a) / denominator;
                if (t > 0 && t < 1 && u >= -1e-9 && u <= 1 + 1e-9)
                    cuts.push_back(t);
            }
        };
        cutAt(area);
        for (const Polygon &hole : holes)
            cutAt(hole);
        std::sort(cuts.begin(), cuts.end());
        for (std::size_t i = 1; i < cuts.size(); ++i)
            if (!inside(a + (b - a) * ((cuts[i - 1] + cuts[i]) / 2)))
                return false;
        return inside(a) && inside(b);
    }

    // Branch and bound over every sequence of corners (all of them, not
    // only those a shortest path can turn at).
    double shortest(Point from, Point to) const
    {
        std::vector<Point> all = area;
        for (const Polygon &hole : holes)
            all.insert(all.end(), hole.begin(), hole.end());
        double best = segmentInside(from, to) ? distance(from, to) : std::numeric_limits<double>::infinity();
        std::vector<double> reachedWith(all.size(), std::numeric_limits<double>::infinity());
        std::function<void(Point, double)> search = [&](Point at, double length) {
            for (std::size_t i = 0; i < all.size(); ++i) {
                const double there = length + distance(at, all[i]);
                if (there + distance(all[i], to) >= best || there >= reachedWith[i] || !segmentInside(at, all[i]))
                    continue;
                reachedWith[i] = there;
                if (segmentInside(all[i], to))
                    best = std::min(best, there + distance(all[i], to));
                search(all[i], there);
            }
        };
        search(from, 0);
        return best;
    }
};

// A star-shaped polygon round (cx, cy): simple by construction.
Polygon star(std::mt19937 &random, double cx, double cy, double low, double high, int corners)
{
    std::uniform_real_distribution<double> radius(low, high);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    Polygon polygon;
    for (int i = 0; i < corners; ++i) {
        const double angle = (i + 0.5 + jitter(random)) * 2 * M_PI / corners;
        polygon.push_back(
            {std::round(cx + radius(random) * std::cos(angle)), std::round(cy + radius(random) * std::sin(angle))});
    }
    return polygon;
}

bool clear(const Polygon &hole, const Polygon &area, const std::vector<Polygon> &others)
{
    const Oracle areaOnly{area, {}};
    for (std::size_t i = 0; i < hole.size(); ++i)
        if (!areaOnly.segmentInside(hole[i], hole[(i + 1) % hole.size()]) || boundaryDistance(area, hole[i]) < 5)
            return false;
    for (const Polygon &other : others) {
        const Oracle outside{{{-1e4, -1e4}, {1e4, -1e4}, {1e4, 1e4}, {-1e4, 1e4}}, {other}};
        for (std::size_t i = 0; i < hole.size(); ++i)
            if (!outside.segmentInside(hole[i], hole[(i + 1) % hole.size()]) || boundaryDistance(other, hole[i]) < 5)
                return false;
    }
    return true;
}

Point randomPointIn(std::mt19937 &random, const Oracle &oracle)
{
    std::uniform_real_distribution<double> coordinate(0, 1000);
    for (;;) {
        const Point p{std::round(coordinate(random)), std::round(coordinate(random))};
        if (oracle.inside(p))
            return p;
    }
}

// How the area once decided what lies in it, looking at every edge each
// time: the grid that now picks the edges must not change one answer.
struct EveryEdge {
    std::vector<std::pair<Point, Point>> edges;
    std::vector<Polygon> polygons;

    EveryEdge(const Polygon &area, const std::vector<Polygon> &holes) : polygons{area}
    {
        polygons.insert(polygons.end(), holes.begin(), holes.end());
        for (const Polygon &polygon : polygons)
            for (std::size_t i = 0; i < polygon.size(); ++i)
                edges.emplace_back(polygon[i], polygon[(i + 1) % polygon.size()]);
    }

    bool contains(Point p) const
    {
        const double tolerance = WalkArea::tolerance;
        for (const auto &[a, b] : edges) {
            if (p.x < std::min(a.x, b.x) - tolerance || p.x > std::max(a.x, b.x) + tolerance ||
                p.y < std::min(a.y, b.y) - tolerance || p.y > std::max(a.y, b.y) + tolerance)
                continue;
            const Point offset = nearestOnSegment(p, a, b) - p;
            if (dot(offset, offset) <= tolerance * tolerance)
                return true;
        }
        if (!insideByCrossings(polygons.front(), p))
            return false;
        return std::none_of(polygons.begin() + 1, polygons.end(),
                            [&](const Polygon &hole) { return insideByCrossings(hole, p); });
    }

    bool sees(Point a, Point b) const
    {
        const double tolerance = WalkArea::tolerance;
        auto apart = [&](double first, double second) {
            return (first > tolerance && second < -tolerance) || (first < -tolerance && second > tolerance);
        };
        const Point along = b - a;
        const double length = distance(a, b);
        if (length == 0)
            return contains(a);
        std::vector<double> stops{0.0, 1.0};
        for (const auto &[c, d] : edges) {
            if (std::max(c.x, d.x) < std::min(a.x, b.x) - tolerance ||
                std::min(c.x, d.x) > std::max(a.x, b.x) + tolerance ||
                std::max(c.y, d.y) < std::min(a.y, b.y) - tolerance ||
                std::min(c.y, d.y) > std::max(a.y, b.y) + tolerance)
                continue;
            const double fromC = cross(along, c - a) / length;
            if (apart(fromC, cross(along, d - a) / length) && distance(c, d) > 0 &&
                apart(cross(d - c, a - c) / distance(c, d), cross(d - c, b - c) / distance(c, d)))
                return false;
            const double t = dot(c - a, along) / (length * length);
            if (std::abs(fromC) <= tolerance && t > 0 && t < 1)
                stops.push_back(t);
        }
        std::sort(stops.begin(), stops.end());
        for (std::size_t i = 1; i < stops.size(); ++i)
            if (stops[i] > stops[i - 1] && !contains(a + along * ((stops[i - 1] + stops[i]) / 2)))
                return false;
        return true;
    }
};

} // namespace

// Every corner against every other, and points on corners, on edges and
// anywhere, on a small integer lattice where corners line up and sight lines
// graze edges: answers equal, so the corners' links and every path are too.
TEST(WalkArea, SightAndInsideAnswerAsWhenEveryEdgeWasAsked)
{
    std::mt19937 random(31);
    std::uniform_int_distribution<int> lattice(0, 40);
    std::uniform_real_distribution<double> anywhere(-50, 1050);
    int visible = 0;
    for (int round = 0; round < 120; ++round) {
        // Small rounds on a coarse lattice, then a few large ones.
        const int corners = round < 100 ? 5 + round % 12 : 150 + round;
        const Polygon area = star(random, 500, 500, 150, 480, corners);
        std::vector<Polygon> holes;
        std::uniform_real_distribution<double> place(200, 800);
        for (int attempt = 0; attempt < 12 && holes.size() < 4; ++attempt) {
            Polygon hole = star(random, place(random), place(random), 20, 70, 3 + attempt % 4);
            if (attempt % 3 == 0) {
                // A box whose sides line up with the lattice and the area's corners.
                const double x = area[static_cast<std::size_t>(attempt) % area.size()].x;
                const double y = place(random);
                hole = {{x, y}, {x + 25 * (1 + lattice(random) % 3), y}, {x + 25, y + 50}, {x, y + 50}};
            }
            if (clear(hole, area, holes))
                holes.push_back(hole);
        }
        const WalkArea walkable(area, holes);
        const EveryEdge old(area, holes);
        std::vector<Point> points;
        for (const Polygon &polygon : old.polygons)
            for (std::size_t i = 0; i < polygon.size(); ++i) {
                points.push_back(polygon[i]);
                points.push_back((polygon[i] + polygon[(i + 1) % polygon.size()]) * 0.5);
            }
        for (int i = 0; i < 40; ++i)
            points.push_back({25.0 * lattice(random), 25.0 * lattice(random)});
        for (int i = 0; i < 10; ++i)
            points.push_back({anywhere(random), anywhere(random)});
        const std::size_t step = points.size() > 200 ? 7 : 1;
        for (std::size_t i = 0; i < points.size(); ++i) {
            ASSERT_EQ(walkable.contains(points[i]), old.contains(points[i])) << "round " << round << " point " << i;
            for (std::size_t j = i % step; j < points.size(); j += step) {
                const bool sees = walkable.sees(points[i], points[j]);
                ASSERT_EQ(sees, old.sees(points[i], points[j])) << "round " << round << " points " << i << ", " << j;
                visible += sees;
            }
        }
    }
    EXPECT_GT(visible, 20000);
}

TEST(WalkArea, PathsStayInsideAndMatchABruteForceSearch)
{
    std::mt19937 random(20);
    int compared = 0;
    for (int round = 0; round < 400; ++round) {
        const Polygon area = star(random, 500, 500, 150, 480, 5 + round % 6);
        std::vector<Polygon> holes;
        std::uniform_real_distribution<double> place(200, 800);
        for (int attempt = 0; attempt < 6 && holes.size() < 2; ++attempt) {
            const Polygon hole = star(random, place(random), place(random), 20, 70, 3 + attempt % 3);
            if (clear(hole, area, holes))
                holes.push_back(hole);
        }
        const WalkArea walkable(area, holes);
        const Oracle oracle{area, holes};
        for (int query = 0; query < 8; ++query) {
            const Point from = randomPointIn(random, oracle);
            const Point to = randomPointIn(random, oracle);
            const std::vector<Point> path = walkable.path(from, to);
            const double expected = oracle.shortest(from, to);
            if (!std::isfinite(expected))
                continue;
            ASSERT_EQ(path.front(), from);
            ASSERT_EQ(path.back(), to) << "round " << round << " query " << query;
            for (std::size_t i = 1; i < path.size(); ++i)
                ASSERT_TRUE(oracle.segmentInside(path[i - 1], path[i])) << "round " << round << " query " << query;
            const double length = pathLength(path);
            ASSERT_LE(length, expected * (1 + 1e-9) + 1e-9) << "round " << round << " query " << query;
            ASSERT_GE(length, expected * (1 - 1e-3)) << "round " << round << " query " << query;
            ++compared;
        }
    }
    EXPECT_GT(compared, 3000);
}

// Which corners see each other is worked out as ways first turn there: a
// path is the same whichever paths were asked for before it, in whatever
// order, as in an area asked for nothing else.
TEST(WalkArea, APathIsTheSameWhateverWasAskedBefore)
{
    std::mt19937 random(8);
    auto offInteger = [](Polygon polygon) {
        for (Point &corner : polygon)
            corner = {corner.x * 0.731 + 0.123, corner.y * 0.617 + 0.311};
        return polygon;
    };
    int turning = 0;
    for (int round = 0; round < 30; ++round) {
        const Polygon area = star(random, 500, 500, 150, 480, 12 + round);
        std::vector<Polygon> holes;
        std::uniform_real_distribution<double> place(200, 800);
        for (int attempt = 0; attempt < 12 && holes.size() < 5; ++attempt) {
            const Polygon hole = star(random, place(random), place(random), 20, 60, 3 + attempt % 4);
            if (clear(hole, area, holes))
                holes.push_back(hole);
        }
        std::vector<Polygon> shiftedHoles;
        for (const Polygon &hole : holes)
            shiftedHoles.push_back(offInteger(hole));
        const Oracle oracle{area, holes};
        std::vector<std::pair<Point, Point>> queries;
        for (int query = 0; query < 12; ++query)
            queries.emplace_back(randomPointIn(random, oracle), randomPointIn(random, oracle));
        const WalkArea forwards(offInteger(area), shiftedHoles);
        const WalkArea backwards(offInteger(area), shiftedHoles);
        std::vector<std::vector<Point>> asked(queries.size());
        for (std::size_t i = queries.size(); i-- > 0;)
            asked[i] = backwards.path(queries[i].first, queries[i].second);
        for (std::size_t i = 0; i < queries.size(); ++i) {
            const WalkArea fresh(offInteger(area), shiftedHoles);
            const std::vector<Point> alone = fresh.path(queries[i].first, queries[i].second);
            ASSERT_TRUE(forwards.path(queries[i].first, queries[i].second) == alone) << "round " << round;
            ASSERT_TRUE(asked[i] == alone) << "round " << round;
            turning += alone.size() > 2;
        }
    }
    EXPECT_GT(turning, 100);
}

TEST(WalkArea, TargetsOutsideGoToTheNearestBoundaryPointFirstEdgeOnTies)
{
    // A U: two arms joined at the bottom.
    const WalkArea u({{0, 0}, {100, 0}, {100, 300}, {200, 300}, {200, 0}, {300, 0}, {300, 400}, {0, 400}}, {});
    EXPECT_EQ(u.targetFor({50, 50}), (Point{50, 50}));
    EXPECT_EQ(u.targetFor({50, -20}), (Point{50, 0}));
    // Equally near the first arm's inner edge and the second's: the first edge in order wins.
    EXPECT_EQ(u.targetFor({150, 100}), (Point{100, 100}));
    const std::vector<Point> way = u.path({50, 50}, {250, 50});
    EXPECT_EQ(way, (std::vector<Point>{{50, 50}, {100, 300}, {200, 300}, {250, 50}}));
}

TEST(WalkArea, AStartInAHoleOrOutsideGoesToTheNearestEdgeFirst)
{
    const WalkArea room({{0, 0}, {400, 0}, {400, 400}, {0, 400}}, {{{100, 100}, {200, 100}, {200, 200}, {100, 200}}});
    EXPECT_FALSE(room.contains({150, 120}));
    EXPECT_TRUE(room.contains({100, 150}));
    const std::vector<Point> out = room.path({150, 120}, {150, 50});
    EXPECT_EQ(out, (std::vector<Point>{{150, 120}, {150, 100}, {150, 50}}));
    const std::vector<Point> in = room.path({-30, 50}, {50, 50});
    EXPECT_EQ(in, (std::vector<Point>{{-30, 50}, {0, 50}, {50, 50}}));
}

TEST(Route, StepsExactlyTheSpeedThroughCornersAndLandsOnTheEnd)
{
    Route route({{0, 0}, {10, 0}, {10, 10}});
    EXPECT_EQ(route.advance(4), 0u);
    EXPECT_EQ(route.position(), (Point{4, 0}));
    EXPECT_EQ(route.advance(8), 1u);
    EXPECT_EQ(route.position(), (Point{10, 2}));
    EXPECT_EQ(route.heading(), (Point{0, 10}));
    EXPECT_FALSE(route.finished());
    EXPECT_EQ(route.advance(8), 0u);
    EXPECT_EQ(route.position(), (Point{10, 10}));
    EXPECT_TRUE(route.finished());
}
