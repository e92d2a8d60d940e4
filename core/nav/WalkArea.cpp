#include "core/nav/WalkArea.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <queue>
#include <utility>

namespace {

int side(Point a, Point b, Point c)
{
    const double turn = cross(b - a, c - a);
    return (turn > 0) - (turn < 0);
}

// Opposite sides by more than the tolerance, `length` the segment's own.
bool strictlyApart(double first, double second)
{
    return (first > WalkArea::tolerance && second < -WalkArea::tolerance) ||
           (first < -WalkArea::tolerance && second > WalkArea::tolerance);
}

} // namespace

WalkArea::WalkArea(Polygon area, std::vector<Polygon> holes) : outline(std::move(area)), openings(std::move(holes))
{
    addPolygon(outline, 0);
    for (std::size_t i = 0; i < openings.size(); ++i)
        addPolygon(openings[i], i + 1);
    std::vector<EdgeGrid::Segment> segments;
    for (const Edge &edge : edges)
        segments.push_back({edge.a, edge.b});
    // Far beyond the tolerance and any rounding of where a segment runs,
    // so no edge that matters to a sight line or a point is left out.
    double extent = 1;
    for (const Edge &edge : edges)
        extent =
            std::max({extent, std::abs(edge.left), std::abs(edge.top), std::abs(edge.right), std::abs(edge.bottom)});
    grid = EdgeGrid(segments, 1e-6 * extent + 4 * tolerance);
    links.resize(corners.size());
    linked.assign(corners.size(), 0);
}

// Each pair is looked at from its lower-numbered corner to the other,
// whichever of them is asked for first, so the answer and the length are
// the same either way; a pair looked at already is read from the list of
// the corner asked for before.
const std::vector<WalkArea::Link> &WalkArea::linksOf(std::size_t corner) const
{
    std::vector<Link> &found = links[corner];
    if (linked[corner])
        return found;
    // Lines from one corner to the next few corners in order are mostly
    // blocked by the same edge.
    std::size_t blocker = edges.size();
    for (std::size_t other = 0; other < corners.size(); ++other) {
        if (other == corner)
            continue;
        if (linked[other]) {
            const std::vector<Link> &theirs = links[other];
            const auto back = std::lower_bound(theirs.begin(), theirs.end(), corner,
                                               [](const Link &link, std::size_t to) { return link.to < to; });
            if (back != theirs.end() && back->to == corner)
                found.push_back({other, back->length});
            continue;
        }
        const Corner &first = corners[std::min(corner, other)];
        const Corner &second = corners[std::max(corner, other)];
        if (tangentAt(first, second.at) && tangentAt(second, first.at) && sees(first.at, second.at, blocker))
            found.push_back({other, distance(first.at, second.at)});
    }
    linked[corner] = 1;
    return found;
}

void WalkArea::addPolygon(const Polygon &polygon, std::size_t number)
{
    const bool isHole = number > 0;
    const std::size_t n = polygon.size();
    const double orientation = signedArea(polygon) >= 0 ? 1 : -1;
    for (std::size_t i = 0; i < n; ++i) {
        const Point previous = polygon[(i + n - 1) % n];
        const Point at = polygon[i];
        const Point next = polygon[(i + 1) % n];
        const Edge edge{at,
                        next,
                        distance(at, next),
                        std::min(at.x, next.x),
                        std::min(at.y, next.y),
                        std::max(at.x, next.x),
                        std::max(at.y, next.y),
                        number};
        edges.push_back(edge);
        // A way bends round a corner that juts into the walkable part: the
        // area's reflex corners and the holes' convex ones.
        const double turn = cross(at - previous, next - at) * orientation;
        if (isHole ? turn > 0 : turn < 0)
            corners.push_back({at, previous, next});
    }
}

bool WalkArea::tangentAt(const Corner &corner, Point other) const
{
    return side(corner.at, other, corner.previous) * side(corner.at, other, corner.next) >= 0;
}

// On a boundary, or inside the outline by the crossing rule and inside no
// hole. Only edges of p's row can be that near or cross its level ray; they
// come in order, so each polygon's crossings are counted in one run.
bool WalkArea::contains(Point p) const
{
    bool onBoundary = false;
    bool insideOutline = false;
    bool insideHole = false;
    std::size_t polygon = 0;
    bool odd = false;
    auto settle = [&] {
        if (polygon == 0)
            insideOutline = odd;
        else
            insideHole = insideHole || odd;
    };
    grid.forEachInRow(p, [&](std::size_t index) {
        const Edge &edge = edges[index];
        if (edge.polygon != polygon) {
            settle();
            polygon = edge.polygon;
            odd = false;
        }
        // Wholly left of p: neither near it nor crossed by its ray.
        if (p.x > edge.right + tolerance)
            return true;
        if (rayCrosses(edge.b, edge.a, p))
            odd = !odd;
        if (p.x < edge.left - tolerance || p.y < edge.top - tolerance || p.y > edge.bottom + tolerance)
            return true;
        const Point offset = nearestOnSegment(p, edge.a, edge.b) - p;
        onBoundary = dot(offset, offset) <= tolerance * tolerance;
        return !onBoundary;
    });
    settle();
    return onBoundary || (insideOutline && !insideHole);
}

Point WalkArea::nearestBoundaryPoint(Point p) const
{
    Point best = p;
    double bestSquared = std::numeric_limits<double>::infinity();
    for (const Edge &edge : edges) {
        const Point candidate = nearestOnSegment(p, edge.a, edge.b);
        const Point offset = candidate - p;
        const double squared = dot(offset, offset);
        if (squared < bestSquared) {
            bestSquared = squared;
            best = candidate;
        }
    }
    return best;
}

// Whether the edge and the segment ab, of length `length` > 0, cross each
// other from one side to the other.
bool WalkArea::crosses(const Edge &edge, Point a, Point b, double length)
{
    const Point along = b - a;
    if (edge.length == 0 || !strictlyApart(cross(along, edge.a - a) / length, cross(along, edge.b - a) / length))
        return false;
    const Point edgeAlong = edge.b - edge.a;
    return strictlyApart(cross(edgeAlong, a - edge.a) / edge.length, cross(edgeAlong, b - edge.a) / edge.length);
}

bool WalkArea::sees(Point a, Point b) const
{
    std::size_t blocker = edges.size();
    return sees(a, b, blocker);
}

// No edge is crossed from one side to the other; between the corners the
// segment passes through, each piece lies wholly inside or wholly outside,
// so its middle decides. Any crossed edge makes the answer no, so the one
// in `blocker` is tried first; an edge found crossed is left there.
bool WalkArea::sees(Point a, Point b, std::size_t &blocker) const
{
    const Point along = b - a;
    const double length = distance(a, b);
    if (length == 0)
        return contains(a);
    const double left = std::min(a.x, b.x) - tolerance;
    const double right = std::max(a.x, b.x) + tolerance;
    const double top = std::min(a.y, b.y) - tolerance;
    const double bottom = std::max(a.y, b.y) + tolerance;
    auto near = [&](const Edge &edge) {
        return edge.right >= left && edge.left <= right && edge.bottom >= top && edge.top <= bottom;
    };
    if (blocker < edges.size() && near(edges[blocker]) && crosses(edges[blocker], a, b, length))
        return false;
    std::vector<double> stops{0.0, 1.0};
    // An edge offered twice adds the same stop twice, which cuts no piece.
    const bool uncrossed = grid.forEachNear(a, b, [&](std::size_t index) {
        const Edge &edge = edges[index];
        if (!near(edge))
            return true;
        if (crosses(edge, a, b, length)) {
            blocker = index;
            return false;
        }
        if (std::abs(cross(along, edge.a - a) / length) <= tolerance) {
            const double t = dot(edge.a - a, along) / (length * length);
            if (t > 0 && t < 1)
                stops.push_back(t);
        }
        return true;
    });
    if (!uncrossed)
        return false;
    std::sort(stops.begin(), stops.end());
    for (std::size_t i = 1; i < stops.size(); ++i)
        if (stops[i] > stops[i - 1] && !contains(a + along * ((stops[i - 1] + stops[i]) / 2)))
            return false;
    return true;
}

std::vector<Point> WalkArea::path(Point from, Point to) const
{
    std::vector<Point> points{from};
    if (!contains(from)) {
        from = nearestBoundaryPoint(from);
        if (from != points.back())
            points.push_back(from);
    }
    const std::vector<Point> rest = shortest(from, targetFor(to));
    for (const Point p : rest)
        if (p != points.back())
            points.push_back(p);
    return points;
}

std::vector<Point> WalkArea::shortest(Point from, Point to) const
{
    if (sees(from, to))
        return {from, to};
    // A* over the corners, with the two ends as extra nodes; the straight
    // distance to the target never overestimates, so the first time the
    // target leaves the queue its way is shortest. Whether a corner sees the
    // target is asked only of the corners the search takes out.
    const std::size_t start = corners.size();
    const std::size_t goal = start + 1;
    std::vector<Link> fromStart;
    for (std::size_t i = 0; i < corners.size(); ++i)
        if (tangentAt(corners[i], from) && sees(from, corners[i].at))
            fromStart.push_back({i, distance(from, corners[i].at)});
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    std::vector<double> best(goal + 1, std::numeric_limits<double>::infinity());
    std::vector<std::size_t> came(goal + 1, none);
    using Entry = std::pair<double, std::size_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    std::vector<bool> done(goal + 1, false);
    best[start] = 0;
    queue.push({distance(from, to), start});
    auto relax = [&](std::size_t node, std::size_t next, double length) {
        if (best[node] + length < best[next]) {
            best[next] = best[node] + length;
            came[next] = node;
            queue.push({best[next] + (next == goal ? 0 : distance(corners[next].at, to)), next});
        }
    };
    while (!queue.empty()) {
        const std::size_t node = queue.top().second;
        queue.pop();
        if (node == goal)
            break;
        if (done[node])
            continue;
        done[node] = true;
        const std::vector<Link> &out = node == start ? fromStart : linksOf(node);
        for (const Link &link : out)
            if (!done[link.to])
                relax(node, link.to, link.length);
        if (node != start && tangentAt(corners[node], to) && sees(corners[node].at, to))
            relax(node, goal, distance(corners[node].at, to));
    }
    if (came[goal] == none)
        return {from};
    std::vector<Point> points{to};
    for (std::size_t node = came[goal]; node != start; node = came[node])
        points.push_back(corners[node].at);
    points.push_back(from);
    std::reverse(points.begin(), points.end());
    dropStraightCorners(points);
    return points;
}

// A corner whose neighbours see each other is one the way passes straight
// through: it adds no length, and fewer corners win a tie.
void WalkArea::dropStraightCorners(std::vector<Point> &points) const
{
    for (std::size_t i = 1; i + 1 < points.size();)
        if (sees(points[i - 1], points[i + 1]))
            points.erase(points.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
}

std::vector<Point> WalkArea::unreachableCorners(Point from) const
{
    std::vector<Point> all;
    for (const Edge &edge : edges)
        all.push_back(edge.a);
    std::vector<bool> reached(all.size(), false);
    std::vector<Point> frontier{contains(from) ? from : nearestBoundaryPoint(from)};
    while (!frontier.empty()) {
        const Point at = frontier.back();
        frontier.pop_back();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (!reached[i] && sees(at, all[i])) {
                reached[i] = true;
                frontier.push_back(all[i]);
            }
    }
    std::vector<Point> left;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (!reached[i])
            left.push_back(all[i]);
    return left;
}
