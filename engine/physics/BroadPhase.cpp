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

bool BroadPhase::Cover(const Object& body, Filed& filed, std::vector<float>& outlines)
{
    Box& box = filed.box;
    // Anything not finite in a shape makes it touch nothing.
    if (filed.kind == 0) {
        float r = std::fabs(body.radius_);
        box = Box{body.x_ - r, body.y_ - r, body.x_ + r, body.y_ + r};
        if (!std::isfinite(box.x0) || !std::isfinite(box.x1) || !std::isfinite(box.y0) || !std::isfinite(box.y1))
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

void BroadPhase::File(Group& group, Object* const* bodies, int count, bool moving)
{
    group.filed.clear();
    group.outlines.clear();
    group.tables[0].bodies = group.tables[1].bodies = 0;
    for (int i = 0; i < count; ++i) {
        Object* body = bodies[i];
        if ((body->kind_ == Object::kMoving) != moving)
            continue;
        Filed f{};
        f.body = body;
        f.kind = int8_t(!body->collides_ ? -1 : body->shape_ == Object::kCircle ? 0 : 1);
        f.placement = kNowhere;
        if (f.kind >= 0 && Cover(*body, f, group.outlines)) {
            f.placement = Place(f.box, f.range);
            ++group.tables[f.kind].bodies;
        }
        group.filed.push_back(f);
    }
    group.tables[0].filled = group.tables[1].filled = false;
}

void BroadPhase::FileStill(Object* const* bodies, int count, uint64_t edits)
{
    if (stillFiled_ && edits == stillEdits_)
        return;
    File(still_, bodies, count, false);
    Fill(still_, 0);
    Fill(still_, 1);
    stillEdits_ = edits;
    stillFiled_ = true;
}

void BroadPhase::FileMoving(Object* const* movers, int count) { File(movers_, movers, count, true); }

void BroadPhase::Fill(Group& group, int kind)
{
    Table& table = group.tables[kind];
    table.filled = true;
    table.wide.clear();
    size_t entries = 0;
    const uint32_t n = uint32_t(group.filed.size());
    for (uint32_t i = 0; i < n; ++i) {
        const Filed& f = group.filed[i];
        if (f.kind != kind)
            continue;
        if (f.placement == kWide)
            table.wide.push_back(i);
        else if (f.placement == kInGrid)
            entries += size_t(f.range.x1 - f.range.x0 + 1) * size_t(f.range.y1 - f.range.y0 + 1);
    }
    size_t buckets = 16;
    while (buckets < entries)
        buckets *= 2;
    table.mask = uint32_t(buckets - 1);
    table.start.assign(buckets + 1, 0);
    table.items.resize(entries);
    // A counting sort by bucket keeps each bucket in filing order.
    for (int pass = 0; pass < 2; ++pass) {
        for (uint32_t i = 0; i < n; ++i) {
            const Filed& f = group.filed[i];
            if (f.kind != kind || f.placement != kInGrid)
                continue;
            for (int32_t y = f.range.y0; y <= f.range.y1; ++y) {
                for (int32_t x = f.range.x0; x <= f.range.x1; ++x) {
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

void BroadPhase::Mark(const Filed& other, const Box& box)
{
    if (other.seen == query_)
        return;
    other.seen = query_;
    if (Overlap(box.x0, box.x1, other.box.x0, other.box.x1) && Overlap(box.y0, box.y1, other.box.y0, other.box.y1))
        found_.push_back(&other);
}

void BroadPhase::Query(Group& group, int kind, const Filed& body)
{
    if (group.tables[kind].bodies == 0)
        return;
    if (!group.tables[kind].filled)
        Fill(group, kind);
    const Table& table = group.tables[kind];
    const std::vector<Filed>& filed = group.filed;
    if (body.placement == kWide) {
        for (const Filed& f : filed)
            if (f.kind == kind && f.placement != kNowhere)
                Mark(f, body.box);
        return;
    }
    const Range& range = body.range;
    for (int32_t y = range.y0; y <= range.y1; ++y) {
        for (int32_t x = range.x0; x <= range.x1; ++x) {
            uint32_t b = Hash(x, y) & table.mask;
            for (uint32_t k = table.start[b]; k < table.start[b + 1]; ++k)
                Mark(filed[table.items[k]], body.box);
        }
    }
    for (uint32_t i : table.wide)
        Mark(filed[i], body.box);
}

const std::vector<const BroadPhase::Filed*>& BroadPhase::Candidates(const Filed& body)
{
    found_.clear();
    if (body.placement == kNowhere)
        return found_;
    if (++query_ == 0) {
        for (Group* g : {&still_, &movers_})
            for (Filed& f : g->filed)
                f.seen = 0;
        query_ = 1;
    }
    int other = 1 - body.kind;
    Query(still_, other, body);
    Query(movers_, other, body);
    std::sort(found_.begin(), found_.end(),
              [](const Filed* a, const Filed* b) { return a->body->serial_ < b->body->serial_; });
    return found_;
}

const float* BroadPhase::Outline(const Filed& body) const
{
    const Group& group = body.body->kind_ == Object::kMoving ? movers_ : still_;
    return group.outlines.data() + body.outline;
}

} // namespace PhysicsSW
