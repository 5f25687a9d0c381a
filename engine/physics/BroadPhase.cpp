#include "engine/physics/BroadPhase.h"

#include "engine/physics/Object.h"

#include <algorithm>
#include <cmath>

namespace PhysicsSW {

namespace {

// Bodies beyond this are not worth a grid reaching them: such a body is
// checked against all.
constexpr float kFarthest = 1.0e6f * BroadPhase::kCellSize;
// Cells a grid may have before its cells grow wider, at least.
constexpr double kFewestCells = 16384.0;

bool Overlap(const BroadPhase::Box& a, const BroadPhase::Box& b)
{
    return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

bool Near(const BroadPhase::Box& box)
{
    return box.x0 >= -kFarthest && box.x1 <= kFarthest && box.y0 >= -kFarthest && box.y1 <= kFarthest;
}

} // namespace

bool BroadPhase::Cover(const Object& body, Filed& filed, std::vector<float>& outlines)
{
    Box& box = filed.box;
    // Anything not finite in a shape makes it touch nothing.
    if (filed.kind == 0) {
        float r = std::fabs(body.radius_);
        box = Box{body.x_ - r, body.y_ - r, body.x_ + r, body.y_ + r};
        // Zero unless one of them is not finite.
        if ((box.x0 - box.x0) + (box.x1 - box.x1) + (box.y0 - box.y0) + (box.y1 - box.y1) != 0.0f)
            return false;
    } else {
        size_t first = outlines.size();
        body.PlacedOutline(outlines);
        filed.outline = uint32_t(first);
        filed.corners = uint32_t((outlines.size() - first) / 2);
        if (first == outlines.size())
            return false;
        box = Box{outlines[first], outlines[first + 1], outlines[first], outlines[first + 1]};
        for (size_t i = first; i + 1 < outlines.size(); i += 2) {
            float x = outlines[i], y = outlines[i + 1];
            if (!std::isfinite(x) || !std::isfinite(y))
                return false;
            box = Box{std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x), std::max(box.y1, y)};
        }
    }
    float margin = 1.0e-4f * (std::fabs(box.x0) + std::fabs(box.x1) + std::fabs(box.y0) + std::fabs(box.y1)) + 1.0e-3f;
    box = Box{box.x0 - margin, box.y0 - margin, box.x1 + margin, box.y1 + margin};
    return true;
}

inline bool BroadPhase::Cells(const Table& table, const Box& box, Range& range)
{
    if (table.width <= 0)
        return false;
    // Monotone in the box, so that two boxes that overlap share a cell.
    const float lastX = float(table.width - 1), lastY = float(table.height - 1);
    // Clamped first, so that truncation floors; boxes are finite.
    auto cell = [&table](float at, float origin, float last) {
        return int32_t(std::min(std::max((at - origin) * table.inverseCell, 0.0f), last));
    };
    range = Range{cell(box.x0, table.originX, lastX), cell(box.y0, table.originY, lastY),
                  cell(box.x1, table.originX, lastX), cell(box.y1, table.originY, lastY)};
    return int64_t(range.x1 - range.x0 + 1) * int64_t(range.y1 - range.y0 + 1) <= kMaxCells;
}

void BroadPhase::File(Group& group, Object* const* bodies, int count, bool moving)
{
    group.filed.clear();
    group.outlines.clear();
    for (Table& table : group.tables) {
        table.bodies = 0;
        table.filled = false;
    }
    for (int i = 0; i < count; ++i) {
        Object* body = bodies[i];
        if ((body->kind_ == Object::kMoving) != moving)
            continue;
        group.filed.emplace_back();
        Filed& f = group.filed.back();
        f.body = body;
        f.serial = body->serial_;
        f.moving = moving;
        f.outline = f.corners = 0;
        f.kind = int8_t(!body->collides_ ? -1 : body->shape_ == Object::kCircle ? 0 : 1);
        if (f.kind >= 0 && !Cover(*body, f, group.outlines))
            f.kind = -1;
        if (f.kind >= 0) {
            f.bounds =
                Box{body->x_ + body->minX_, body->y_ + body->minY_, body->x_ + body->maxX_, body->y_ + body->maxY_};
            ++group.tables[f.kind].bodies;
        }
    }
}

void BroadPhase::FileStill(Object* const* bodies, int count, uint64_t edits)
{
    if (stillFiling_ != 0 && edits == stillEdits_)
        return;
    File(still_, bodies, count, false);
    stillEdits_ = edits;
    ++stillFiling_;
}

void BroadPhase::FileMoving(Object* const* movers, int count) { File(movers_, movers, count, true); }

void BroadPhase::Fill(Group& group, int kind)
{
    Table& table = group.tables[kind];
    table.filled = true;
    table.wide.clear();
    table.items.clear();
    const std::vector<Filed>& filed = group.filed;
    const uint32_t n = uint32_t(filed.size());
    // The grid spans the bodies near enough to be worth it.
    Box window{INFINITY, INFINITY, -INFINITY, -INFINITY};
    size_t near = 0;
    for (const Filed& f : filed) {
        if (f.kind != kind || !Near(f.box))
            continue;
        window = Box{std::min(window.x0, f.box.x0), std::min(window.y0, f.box.y0), std::max(window.x1, f.box.x1),
                     std::max(window.y1, f.box.y1)};
        ++near;
    }
    table.width = table.height = 0;
    if (near > 0) {
        const double most = std::max(kFewestCells, 4.0 * double(near));
        double cell = kCellSize;
        for (;;) {
            double w = std::floor((double(window.x1) - window.x0) / cell) + 1.0;
            double h = std::floor((double(window.y1) - window.y0) / cell) + 1.0;
            if (w * h <= most) {
                table.width = int32_t(w);
                table.height = int32_t(h);
                break;
            }
            cell *= 2.0;
        }
        table.originX = window.x0;
        table.originY = window.y0;
        table.inverseCell = float(1.0 / cell);
    }
    const size_t cells = size_t(table.width) * size_t(table.height);
    table.start.assign(cells + 1, 0);
    ranges_.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        const Filed& f = filed[i];
        if (f.kind != kind)
            continue;
        Range& r = ranges_[i];
        if (!Near(f.box) || !Cells(table, f.box, r)) {
            r.x0 = -1;
            table.wide.push_back(i);
            continue;
        }
        for (int32_t y = r.y0; y <= r.y1; ++y)
            for (int32_t x = r.x0; x <= r.x1; ++x)
                ++table.start[size_t(y) * size_t(table.width) + size_t(x) + 1];
    }
    for (size_t c = 0; c < cells; ++c)
        table.start[c + 1] += table.start[c];
    table.items.resize(table.start[cells]);
    // Filling moves each start on to the next cell's; they are moved back.
    for (uint32_t i = 0; i < n; ++i) {
        const Filed& f = filed[i];
        const Range& r = ranges_[i];
        if (f.kind != kind || r.x0 < 0)
            continue;
        for (int32_t y = r.y0; y <= r.y1; ++y)
            for (int32_t x = r.x0; x <= r.x1; ++x)
                table.items[table.start[size_t(y) * size_t(table.width) + size_t(x)]++] = Item{f.box, i, r.x0, r.y0};
    }
    for (size_t c = cells; c > 0; --c)
        table.start[c] = table.start[c - 1];
    table.start[0] = 0;
}

void BroadPhase::Query(Group& group, int kind, const Box& box)
{
    Table& table = group.tables[kind];
    if (!table.filled)
        Fill(group, kind);
    const std::vector<Filed>& filed = group.filed;
    Range q;
    if (!Cells(table, box, q)) {
        for (const Filed& f : filed)
            if (f.kind == kind && Overlap(box, f.box))
                met_.push_back(&f);
        return;
    }
    const Item* items = table.items.data();
    for (int32_t y = q.y0; y <= q.y1; ++y) {
        const uint32_t* start = table.start.data() + size_t(y) * size_t(table.width);
        for (int32_t x = q.x0; x <= q.x1; ++x) {
            for (uint32_t k = start[x], end = start[x + 1]; k < end; ++k) {
                const Item& item = items[k];
                // A body in several of the cells answers in the first.
                if (Overlap(box, item.box) && std::max(q.x0, item.x0) == x && std::max(q.y0, item.y0) == y)
                    met_.push_back(&filed[item.index]);
            }
        }
    }
    for (uint32_t i : table.wide)
        if (Overlap(box, filed[i].box))
            met_.push_back(&filed[i]);
}

void BroadPhase::QueryStill(int kind, const Filed& body)
{
    Nearby& near = body.body->nearby_;
    const Box& box = body.box;
    const Box& reach = near.reach;
    bool within = near.filing == stillFiling_ && box.x0 >= reach.x0 && box.y0 >= reach.y0 && box.x1 <= reach.x1 &&
                  box.y1 <= reach.y1;
    if (within && near.count >= 0) {
        for (int32_t k = 0; k < near.count; ++k) {
            const Filed& f = still_.filed[near.index[k]];
            if (Overlap(box, f.box))
                Keep(f, body);
        }
        return;
    }
    met_.clear();
    if (within) {
        Query(still_, kind, box);
    } else {
        near.reach = Box{box.x0 - kReach, box.y0 - kReach, box.x1 + kReach, box.y1 + kReach};
        near.filing = stillFiling_;
        Query(still_, kind, near.reach);
        near.count = met_.size() <= size_t(kMostNear) ? int32_t(met_.size()) : -1;
        for (int32_t k = 0; k < near.count; ++k)
            near.index[k] = uint32_t(met_[size_t(k)] - still_.filed.data());
    }
    for (const Filed* f : met_)
        if (Overlap(box, f->box))
            Keep(*f, body);
}

void BroadPhase::Keep(const Filed& other, const Filed& body)
{
    const Box& a = body.bounds;
    const Box& b = other.bounds;
    if (a.x0 < b.x1 && a.x1 > b.x0 && a.y0 < b.y1 && a.y1 > b.y0)
        found_.push_back(&other);
}

const std::vector<const BroadPhase::Filed*>& BroadPhase::Candidates(const Filed& body)
{
    found_.clear();
    if (body.kind < 0)
        return found_;
    int other = 1 - body.kind;
    if (still_.tables[other].bodies)
        QueryStill(other, body);
    if (movers_.tables[other].bodies) {
        met_.clear();
        Query(movers_, other, body.box);
        for (const Filed* f : met_)
            Keep(*f, body);
    }
    // Few at a time: sorted by insertion.
    for (size_t i = 1; i < found_.size(); ++i) {
        const Filed* f = found_[i];
        size_t j = i;
        for (; j > 0 && found_[j - 1]->serial > f->serial; --j)
            found_[j] = found_[j - 1];
        found_[j] = f;
    }
    return found_;
}

const float* BroadPhase::Outline(const Filed& body) const
{
    const Group& group = body.moving ? movers_ : still_;
    return group.outlines.data() + body.outline;
}

} // namespace PhysicsSW
