#include "core/nav/Route.h"

#include <algorithm>
#include <utility>

Route::Route(std::vector<Point> points) : corners(std::move(points))
{
    if (corners.empty())
        return;
    at = corners.front();
    next = 1;
    remainingFrom.assign(corners.size(), 0);
    for (std::size_t i = corners.size() - 1; i > 0; --i)
        remainingFrom[i - 1] = remainingFrom[i] + distance(corners[i - 1], corners[i]);
}

Point Route::heading() const
{
    if (corners.size() < 2)
        return {};
    const std::size_t end = finished() ? corners.size() - 1 : next;
    return corners[end] - corners[end - 1];
}

std::size_t Route::advance(double length)
{
    if (finished())
        return 0;
    const double left = distance(at, corners[next]) + remainingFrom[next];
    if (left <= length) {
        const std::size_t passed = corners.size() - 1 - next;
        at = corners.back();
        next = corners.size();
        return passed;
    }
    std::size_t passed = 0;
    while (next + 1 < corners.size()) {
        const double toCorner = distance(at, corners[next]);
        if (toCorner > length)
            break;
        length -= toCorner;
        at = corners[next++];
        ++passed;
    }
    const double toCorner = distance(at, corners[next]);
    if (toCorner > 0)
        at = at + (corners[next] - at) * std::min(1.0, length / toCorner);
    return passed;
}
