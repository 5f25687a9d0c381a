#include "engine/physics/BroadPhase.h"

#include "engine/physics/Object.h"

#include <algorithm>
#include <cmath>

namespace PhysicsSW {

namespace {

// Cells beyond this are not worth filing: such a body is checked against all.
constexpr double kFarthestCell = 1.0e6;

bool Overlap(float a0, float a1, float b0, float b1) { return a0 <= b1 && b0 <= a1; }

} // namespace

int BroadPhase::KindOf(const Object& body)
{
    if (!body.collides_)
        return -1;
    return body.shape_ == Object::kCircle ? 0 : 1;
}

bool BroadPhase::Cover(const Object& body, int index, Box& box)
{
    // Anything not finite in a shape makes it touch nothing.
    if (kind_[size_t(index)] == 0) {
        float r = std::fabs(body.radius_);
        box = Box{body.x_ - r, body.y_ - r, body.x_ + r, body.y_ + r};
        if (!std::isfinite(box.x0) || !std::isfinite(box.x1) || !std::isfinite(box.y0) || !std::isfinite(box.y1))
            return false;
    } else {
        size_t first = outlines_.size();
        body.PlacedOutline(outlines_);
        if (first == outlines_.size())
            return false;
        box = Box{outlines_[first], outlines_[first + 1], outlines_[first], outlines_[first + 1]};
        for (size_t i = first; i + 1 < outlines_.size(); i += 2) {
            float x = outlines_[i], y = outlines_[i + 1];
            if (!std::isfinite(x) || !std::isfinite(y))
                return false;
            box = Box{std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x), std::max(box.y1, y)};
        }
    }
    float margin = 1.0e-4f * (std::fabs(box.x0) + std::fabs(box.x1) + std::fabs(box.y0) + std::fabs(box.y1)) + 1.0e-3f;
    box = Box{box.x0 - margin, box.y0 - margin, box.x1 + margin, box.y1 + margin};
    return true;
}

BroadPhase::Placement BroadPhase::Place(const Box& box, Range& range)
{
    double x0 = std::floor(double(box.x0) / kCellSize), x1 = std::floor(double(box.x1) / kCellSize);
    double y0 = std::floor(double(box.y0) / kCellSize), y1 = std::floor(double(box.y1) / kCellSize);
    if (!(x0 >= -kFarthestCell && x1 <= kFarthestCell && y0 >= -kFarthestCell && y1 <= kFarthestCell))
        return kWide;
    range = Range{int32_t(x0), int32_t(y0), int32_t(x1), int32_t(y1)};
    int64_t cells = (int64_t(range.x1) - range.x0 + 1) * (int64_t(range.y1) - range.y0 + 1);
    return cells > kMaxCells ? kWide : kInGrid;
}

uint32_t BroadPhase::Hash(int32_t x, int32_t y)
{
    return (uint32_t(x) * 73856093u) ^ (uint32_t(y) * 19349663u);
}

void BroadPhase::Build(Object* const* bodies, int count)
{
    count_ = count > 0 ? count : 0;
    size_t n = size_t(count_);
    kind_.resize(n);
    placement_.resize(n);
    boxes_.resize(n);
    ranges_.resize(n);
    outlineStart_.resize(n + 1);
    outlines_.clear();
    if (seen_.size() < n)
        seen_.resize(n, 0);
    for (size_t i = 0; i < n; ++i) {
        outlineStart_[i] = outlines_.size();
        kind_[i] = int8_t(KindOf(*bodies[i]));
        placement_[i] = kNowhere;
        if (kind_[i] >= 0 && Cover(*bodies[i], int(i), boxes_[i]))
            placement_[i] = Place(boxes_[i], ranges_[i]);
    }
    outlineStart_[n] = outlines_.size();
    Fill(tables_[0], 0);
    Fill(tables_[1], 1);
}

void BroadPhase::Fill(Table& table, int kind)
{
    table.wide.clear();
    size_t entries = 0;
    for (int i = 0; i < count_; ++i) {
        if (kind_[size_t(i)] != kind)
            continue;
        if (placement_[size_t(i)] == kWide)
            table.wide.push_back(i);
        else if (placement_[size_t(i)] == kInGrid) {
            const Range& r = ranges_[size_t(i)];
            entries += size_t(r.x1 - r.x0 + 1) * size_t(r.y1 - r.y0 + 1);
        }
    }
    size_t buckets = 16;
    while (buckets < entries)
        buckets *= 2;
    table.mask = uint32_t(buckets - 1);
    table.start.assign(buckets + 1, 0);
    table.items.resize(entries);
    // A counting sort by bucket keeps each bucket in list order.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count_; ++i) {
            if (kind_[size_t(i)] != kind || placement_[size_t(i)] != kInGrid)
                continue;
            const Range& r = ranges_[size_t(i)];
            for (int32_t y = r.y0; y <= r.y1; ++y) {
                for (int32_t x = r.x0; x <= r.x1; ++x) {
                    uint32_t b = Hash(x, y) & table.mask;
                    if (pass == 0)
                        ++table.start[b + 1];
                    else
                        table.items[size_t(table.start[b]++)] = i;
                }
            }
        }
        if (pass == 0) {
            for (size_t b = 0; b < buckets; ++b)
                table.start[b + 1] += table.start[b];
        }
    }
    // Filling moved each start on to the next bucket's; move them back.
    for (size_t b = buckets; b > 0; --b)
        table.start[b] = table.start[b - 1];
    table.start[0] = 0;
}

void BroadPhase::Mark(int index, const Box& box)
{
    if (seen_[size_t(index)] == query_)
        return;
    seen_[size_t(index)] = query_;
    const Box& other = boxes_[size_t(index)];
    if (Overlap(box.x0, box.x1, other.x0, other.x1) && Overlap(box.y0, box.y1, other.y0, other.y1))
        found_.push_back(index);
}

const std::vector<int>& BroadPhase::Candidates(int index)
{
    found_.clear();
    if (index < 0 || index >= count_ || placement_[size_t(index)] == kNowhere)
        return found_;
    int other = 1 - kind_[size_t(index)];
    const Table& table = tables_[other];
    if (++query_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        query_ = 1;
    }
    const Box& box = boxes_[size_t(index)];
    if (placement_[size_t(index)] == kWide) {
        for (int i = 0; i < count_; ++i)
            if (kind_[size_t(i)] == other && placement_[size_t(i)] != kNowhere)
                Mark(i, box);
        return found_;
    }
    const Range& range = ranges_[size_t(index)];
    for (int32_t y = range.y0; y <= range.y1; ++y) {
        for (int32_t x = range.x0; x <= range.x1; ++x) {
            uint32_t b = Hash(x, y) & table.mask;
            for (int k = table.start[b]; k < table.start[b + 1]; ++k)
                Mark(table.items[size_t(k)], box);
        }
    }
    for (int i : table.wide)
        Mark(i, box);
    std::sort(found_.begin(), found_.end());
    return found_;
}

const float* BroadPhase::Outline(int index, size_t& corners) const
{
    corners = 0;
    if (index < 0 || index >= count_)
        return nullptr;
    size_t first = outlineStart_[size_t(index)];
    corners = (outlineStart_[size_t(index) + 1] - first) / 2;
    return outlines_.data() + first;
}

} // namespace PhysicsSW
