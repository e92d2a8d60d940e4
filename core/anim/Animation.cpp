#include "core/anim/Animation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

Facing facingFor(double dx, double dy, Facing current)
{
    if (dx == 0 && dy == 0)
        return current;
    if (std::abs(dx) >= std::abs(dy))
        return dx > 0 ? Facing::right : Facing::left;
    return dy > 0 ? Facing::down : Facing::up;
}

Sheet::Sheet(int cellWidth, int cellHeight, int imageWidth)
    : width(cellWidth), height(cellHeight), columns(std::max(1, imageWidth / cellWidth))
{
}

// Mirrored, the rectangle starts at the cell's right edge and runs left: the
// picture flips and the sprite's bounds stay those of the cell.
Cell Sheet::cell(int index, bool mirrored) const
{
    const int left = (index % columns) * width;
    const int top = (index / columns) * height;
    if (mirrored)
        return {left + width, top, -width, height};
    return {left, top, width, height};
}

int Loop::cellAt(std::uint64_t frame) const
{
    const std::uint64_t step = frame / static_cast<std::uint64_t>(delay);
    return cells[static_cast<std::size_t>(step % cells.size())];
}

WalkCycles::WalkCycles(std::array<std::vector<int>, 4> declared, int cellDelay)
    : cycles(std::move(declared)), delay(cellDelay)
{
}

bool WalkCycles::empty() const
{
    return std::all_of(cycles.begin(), cycles.end(), [](const std::vector<int> &cycle) { return cycle.empty(); });
}

WalkCycles::Shown WalkCycles::shown(Facing facing, std::uint64_t movedFrames, bool walking) const
{
    const auto index = static_cast<std::size_t>(facing);
    const std::vector<int> *cycle = &cycles[index];
    bool mirrored = false;
    if (cycle->empty() && (facing == Facing::left || facing == Facing::right)) {
        cycle = &cycles[static_cast<std::size_t>(facing == Facing::left ? Facing::right : Facing::left)];
        mirrored = !cycle->empty();
    }
    if (cycle->empty())
        cycle = &cycles[static_cast<std::size_t>(Facing::down)];
    for (std::size_t i = 0; cycle->empty() && i < cycles.size(); ++i)
        cycle = &cycles[i];
    if (cycle->empty())
        return {};
    const std::uint64_t step = walking ? movedFrames / static_cast<std::uint64_t>(delay) : 0;
    return {(*cycle)[static_cast<std::size_t>(step % cycle->size())], mirrored};
}
