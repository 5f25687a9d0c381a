#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace PhysicsSW {

class Object;

// Files the bodies of one step by the grid cells that their shapes cover, so
// that a moving body meets only the bodies near it. Only circles and
// outlines (boxes, polygons) ever touch, so each kind is filed apart and a
// body asks for the other kind. Positions must not change between Build and
// the last query.
class BroadPhase {
public:
    // About a wall tile and its neighbours: most bodies cover one to four.
    static constexpr float kCellSize = 64.0f;
    // A body spanning more cells than this is checked against everything.
    static constexpr int64_t kMaxCells = 64;

    void Build(Object* const* bodies, int count);

    // Indices, in list order, of the enabled bodies of the other kind whose
    // shapes may touch the body at index; the caller still runs every test.
    const std::vector<int>& Candidates(int index);

    // The placed corners of the outline body at index, as x/y pairs.
    const float* Outline(int index, size_t& corners) const;

private:
    struct Box {
        float x0, y0, x1, y1;
    };
    struct Range {
        int32_t x0, y0, x1, y1;
    };
    // One kind of body: a hash table of cells to body indices.
    struct Table {
        std::vector<int> start; // bucket b holds items[start[b] .. start[b + 1])
        std::vector<int> items;
        std::vector<int> wide; // bodies too large or far out for the grid
        uint32_t mask = 0;
    };
    enum Placement : uint8_t { kNowhere, kInGrid, kWide };

    // 0 circle, 1 outline, -1 collides with nothing.
    static int KindOf(const Object& body);
    // The box around what the body covers, a little larger so that rounding
    // never drops a touch; false when there is nothing it could touch.
    bool Cover(const Object& body, int index, Box& box);
    static Placement Place(const Box& box, Range& range);
    static uint32_t Hash(int32_t x, int32_t y);
    void Fill(Table& table, int kind);
    void Mark(int index, const Box& box);

    int count_ = 0;
    Table tables_[2];
    std::vector<int8_t> kind_;
    std::vector<Placement> placement_;
    std::vector<Box> boxes_;
    std::vector<Range> ranges_;
    std::vector<size_t> outlineStart_; // outline of i: outlines_[start[i] .. start[i + 1])
    std::vector<float> outlines_;
    std::vector<uint32_t> seen_;
    uint32_t query_ = 0;
    std::vector<int> found_;
};

} // namespace PhysicsSW
