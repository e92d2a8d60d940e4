#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// Animation counted in frames of play, never in seconds, so that a replay
// shows the same cell in the same frame on every machine.

// In the order of the "facing" words.
enum class Facing { down, left, right, up };

// The way a step (dx, dy) faces, y growing downwards; no step keeps `current`.
Facing facingFor(double dx, double dy, Facing current);

// One cell of a sheet, in texture pixels; a negative width mirrors it.
struct Cell {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Equal cells read row by row: cell k is at column k mod c, row k div c,
// where c is how many whole cells fit across the image.
class Sheet {
public:
    Sheet(int cellWidth, int cellHeight, int imageWidth);
    Cell cell(int index, bool mirrored) const;

private:
    int width;
    int height;
    int columns;
};

// A loop through cells, each shown `delay` frames.
class Loop {
public:
    Loop(std::vector<int> loopCells, int cellDelay) : cells(std::move(loopCells)), delay(cellDelay) {}
    bool empty() const { return cells.empty(); }
    int cellAt(std::uint64_t frame) const;

private:
    std::vector<int> cells;
    int delay;
};

// The player's four walk cycles; a direction without one borrows another.
class WalkCycles {
public:
    struct Shown {
        int cell = 0;
        bool mirrored = false;
    };

    WalkCycles() = default;
    // By Facing; an empty list is a cycle not declared.
    WalkCycles(std::array<std::vector<int>, 4> cycles, int delay);

    bool empty() const;
    WalkCycles withDelay(int cellDelay) const { return WalkCycles(cycles, cellDelay); }
    // At rest, the first cell of the cycle; walking, the cell after
    // `movedFrames` frames in which the player moved.
    Shown shown(Facing facing, std::uint64_t movedFrames, bool walking) const;

private:
    std::array<std::vector<int>, 4> cycles;
    int delay = 1;
};
