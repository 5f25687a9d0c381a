#include "game/world/phys/BodyGrid.h"

#include <algorithm>
#include <cmath>

namespace PhysEng {

void BodyGrid::Reset(float x0, float y0, float x1, float y1, float cellSize, int maxCells)
{
    double width = std::isfinite(x1 - x0) ? std::max(double(x1) - x0, 1.0) : 1.0;
    double height = std::isfinite(y1 - y0) ? std::max(double(y1) - y0, 1.0) : 1.0;
    double size = cellSize > 0.0f ? cellSize : 64.0;
    size = std::max({size, width / maxCells, height / maxCells});
    originX_ = std::isfinite(x0) ? x0 : 0.0;
    originY_ = std::isfinite(y0) ? y0 : 0.0;
    cellSize_ = size;
    columns_ = std::max(1, int(std::ceil(width / size)));
    rows_ = std::max(1, int(std::ceil(height / size)));
    cells_.assign(std::size_t(columns_) * rows_, std::vector<Object*>());
}

void BodyGrid::Clear()
{
    for (auto& cell : cells_)
        cell.clear();
}

int BodyGrid::CellOf(double v, double origin, int count) const
{
    double c = std::floor((v - origin) / cellSize_);
    // NaN and everything left of the area fall in the first cell.
    if (!(c >= 0.0))
        return 0;
    if (c >= count - 1)
        return count - 1;
    return int(c);
}

void BodyGrid::CellRange(float x0, float y0, float x1, float y1, int* cells) const
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
        cells[0] = cells[1] = 0;
        cells[2] = columns_ - 1;
        cells[3] = rows_ - 1;
        return;
    }
    cells[0] = CellOf(std::min(x0, x1), originX_, columns_);
    cells[1] = CellOf(std::min(y0, y1), originY_, rows_);
    cells[2] = CellOf(std::max(x0, x1), originX_, columns_);
    cells[3] = CellOf(std::max(y0, y1), originY_, rows_);
}

void BodyGrid::Insert(Object* body, const int* cells)
{
    for (int cy = cells[1]; cy <= cells[3]; ++cy)
        for (int cx = cells[0]; cx <= cells[2]; ++cx)
            cells_[std::size_t(cy) * columns_ + cx].push_back(body);
}

void BodyGrid::Remove(Object* body, const int* cells)
{
    for (int cy = cells[1]; cy <= cells[3]; ++cy)
        for (int cx = cells[0]; cx <= cells[2]; ++cx) {
            auto& cell = cells_[std::size_t(cy) * columns_ + cx];
            auto it = std::find(cell.begin(), cell.end(), body);
            if (it != cell.end()) {
                *it = cell.back();
                cell.pop_back();
            }
        }
}

} // namespace PhysEng
