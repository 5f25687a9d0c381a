#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace PhysEng {

class Object;

// Uniform grid over the level: each cell lists the bodies whose bounds
// touch it. Bodies outside the area count as lying in the border cells, so
// a lookup never misses a body, it only looks at more of them.
class BodyGrid {
public:
    // Covers (x0, y0) to (x1, y1) with square cells, at most maxCells a side.
    void Reset(float x0, float y0, float x1, float y1, float cellSize, int maxCells);
    // Forgets every body; the area stays.
    void Clear();

    void Insert(Object* body, const int* cells);
    void Remove(Object* body, const int* cells);
    // Cell range {cx0, cy0, cx1, cy1} of a world box.
    void CellRange(float x0, float y0, float x1, float y1, int* cells) const;

    // Appends every body of the cells that the box touches.
    template <typename Visit> void ForBox(const int* cells, Visit visit) const
    {
        for (int cy = cells[1]; cy <= cells[3]; ++cy)
            for (int cx = cells[0]; cx <= cells[2]; ++cx)
                for (Object* body : cells_[std::size_t(cy) * columns_ + cx])
                    visit(body);
    }
    // Every body of the cells that the segment touches (whole cells, border
    // cells reaching out to infinity).
    template <typename Visit> void ForSegment(float x0, float y0, float x1, float y1, Visit visit) const;

private:
    int CellOf(double v, double origin, int count) const;

    double originX_ = 0.0, originY_ = 0.0;
    double cellSize_ = 1.0;
    int columns_ = 1, rows_ = 1;
    std::vector<std::vector<Object*>> cells_ = std::vector<std::vector<Object*>>(1);
};

template <typename Visit> void BodyGrid::ForSegment(float x0, float y0, float x1, float y1, Visit visit) const
{
    if (x0 > x1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    int c0 = CellOf(x0, originX_, columns_);
    int c1 = CellOf(x1, originX_, columns_);
    double dx = double(x1) - x0;
    for (int cx = c0; cx <= c1; ++cx) {
        // The part of the segment inside this column; border columns reach
        // to infinity.
        double lo = cx == c0 ? double(x0) : originX_ + cx * cellSize_;
        double hi = cx == c1 ? double(x1) : originX_ + (cx + 1) * cellSize_;
        double ya = y0, yb = y1;
        if (dx > 0.0) {
            ya = y0 + (double(y1) - y0) * ((lo - x0) / dx);
            yb = y0 + (double(y1) - y0) * ((hi - x0) / dx);
        }
        if (ya > yb)
            std::swap(ya, yb);
        const double slack = 0.01;
        int r0 = CellOf(ya - slack, originY_, rows_);
        int r1 = CellOf(yb + slack, originY_, rows_);
        for (int cy = r0; cy <= r1; ++cy)
            for (Object* body : cells_[std::size_t(cy) * columns_ + cx])
                visit(body);
    }
}

} // namespace PhysEng
