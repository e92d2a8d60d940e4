#pragma once

#include "core/nav/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// The edges of a walk area filed by the cells of a uniform grid their boxes
// meet, and by the rows of that grid: a sight line looks only at the edges
// along it and a point only at those of its row, instead of at every edge.
// Asking never misses an edge within `margin` of the segment or the point's
// row; it may offer more, and an edge more than once.
class EdgeGrid {
public:
    struct Segment {
        Point a, b;
    };

    EdgeGrid() = default;
    EdgeGrid(const std::vector<Segment> &edges, double reach) : margin(reach)
    {
        if (edges.empty())
            return;
        double left = std::numeric_limits<double>::infinity();
        double top = left;
        double right = -left;
        double bottom = -left;
        for (const Segment &edge : edges) {
            left = std::min({left, edge.a.x, edge.b.x});
            top = std::min({top, edge.a.y, edge.b.y});
            right = std::max({right, edge.a.x, edge.b.x});
            bottom = std::max({bottom, edge.a.y, edge.b.y});
        }
        // About one edge a cell for a compact area; points ask thinner rows,
        // about one an edge, as fewer edges cross a thin row.
        side = std::clamp<std::size_t>(static_cast<std::size_t>(std::sqrt(static_cast<double>(edges.size()))), 1, 128);
        lines = std::min<std::size_t>(edges.size(), 4096);
        originX = left;
        originY = top;
        cellWidth = right > left ? (right - left) / static_cast<double>(side) : 1.0;
        cellHeight = bottom > top ? (bottom - top) / static_cast<double>(side) : 1.0;
        lineHeight = bottom > top ? (bottom - top) / static_cast<double>(lines) : 1.0;
        file(edges, side * side, cellStarts, cellEdges, [&](const Segment &edge, auto place) {
            forEachCellNear(edge.a, edge.b, [&](std::size_t cell) {
                place(cell);
                return true;
            });
        });
        file(edges, lines, lineStarts, lineEdges, [&](const Segment &edge, auto place) {
            const std::size_t last = line(std::max(edge.a.y, edge.b.y) + margin);
            for (std::size_t l = line(std::min(edge.a.y, edge.b.y) - margin); l <= last; ++l)
                place(l);
        });
    }

    // Visits the edges filed in the cells the segment ab passes within the
    // margin of, cell by cell from a towards b, so that a blocked sight line
    // usually stops early. Stops as soon as `visit` returns false, and
    // returns whether it never did.
    template <class Visit>
    bool forEachNear(Point a, Point b, Visit visit) const
    {
        return forEachCellNear(a, b, [&](std::size_t cell) {
            for (std::uint32_t i = cellStarts[cell]; i < cellStarts[cell + 1]; ++i)
                if (!visit(cellEdges[i]))
                    return false;
            return true;
        });
    }

    // Visits once each, in filing order, the edges that come within the
    // margin of p's row: every edge a level ray from p can cross. Stops as
    // soon as `visit` returns false.
    template <class Visit>
    void forEachInRow(Point p, Visit visit) const
    {
        if (lines == 0)
            return;
        const std::size_t l = line(p.y);
        for (std::uint32_t i = lineStarts[l]; i < lineStarts[l + 1]; ++i)
            if (!visit(lineEdges[i]))
                return;
    }

private:
    static std::size_t index(double offset, double size, std::size_t count)
    {
        const double at = std::floor(offset / size);
        if (!(at > 0))
            return 0;
        return at >= static_cast<double>(count - 1) ? count - 1 : static_cast<std::size_t>(at);
    }
    std::size_t column(double x) const { return index(x - originX, cellWidth, side); }
    std::size_t row(double y) const { return index(y - originY, cellHeight, side); }
    std::size_t line(double y) const { return index(y - originY, lineHeight, lines); }

    // Where the segment ab, not level, is at height y, held within it.
    static double xAt(Point a, Point b, double y)
    {
        const double t = std::clamp((y - a.y) / (b.y - a.y), 0.0, 1.0);
        return a.x + (b.x - a.x) * t;
    }

    // Every cell holding a point within the margin of segment ab, row by row
    // and cell by cell from a towards b, until `visit` returns false.
    template <class Visit>
    bool forEachCellNear(Point a, Point b, Visit visit) const
    {
        if (side == 0)
            return true;
        const double low = std::min(a.y, b.y);
        const double high = std::max(a.y, b.y);
        const bool down = a.y <= b.y;
        const bool rightward = a.x <= b.x;
        const std::size_t first = row(down ? low - margin : high + margin);
        const std::size_t last = row(down ? high + margin : low - margin);
        for (std::size_t r = first;; r = down ? r + 1 : r - 1) {
            // The part of the segment within the row's band grown by the
            // margin; the border rows take in everything beyond the grid.
            const double bandLow = r == 0 ? -std::numeric_limits<double>::infinity()
                                          : originY + static_cast<double>(r) * cellHeight - margin;
            const double bandHigh = r + 1 == side ? std::numeric_limits<double>::infinity()
                                                  : originY + static_cast<double>(r + 1) * cellHeight + margin;
            const double from = a.y == b.y ? a.x : xAt(a, b, std::max(bandLow, low));
            const double to = a.y == b.y ? b.x : xAt(a, b, std::min(bandHigh, high));
            const std::size_t start = column(rightward ? std::min(from, to) - margin : std::max(from, to) + margin);
            const std::size_t end = column(rightward ? std::max(from, to) + margin : std::min(from, to) - margin);
            for (std::size_t c = start;; c = rightward ? c + 1 : c - 1) {
                if (!visit(r * side + c))
                    return false;
                if (c == end)
                    break;
            }
            if (r == last)
                return true;
        }
    }

    // Files each edge, in order, in the slots `slots` names for it: counts
    // first, then places, so each slot's edges are one slice of `filed`.
    template <class Slots>
    static void file(const std::vector<Segment> &edges, std::size_t count, std::vector<std::uint32_t> &starts,
                     std::vector<std::uint32_t> &filed, Slots slots)
    {
        starts.assign(count + 1, 0);
        for (const Segment &edge : edges)
            slots(edge, [&](std::size_t slot) { ++starts[slot + 1]; });
        for (std::size_t i = 1; i < starts.size(); ++i)
            starts[i] += starts[i - 1];
        filed.resize(starts.back());
        std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
        for (std::size_t e = 0; e < edges.size(); ++e)
            slots(edges[e], [&](std::size_t slot) { filed[next[slot]++] = static_cast<std::uint32_t>(e); });
    }

    double margin = 0;
    std::size_t side = 0;
    std::size_t lines = 0;
    double originX = 0, originY = 0, cellWidth = 1, cellHeight = 1, lineHeight = 1;
    std::vector<std::uint32_t> cellStarts, cellEdges;
    std::vector<std::uint32_t> lineStarts, lineEdges;
};
