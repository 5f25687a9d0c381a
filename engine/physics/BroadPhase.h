#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace PhysicsSW {

class Object;

// Files bodies by the grid cells that their shapes cover, so that a moving
// body meets only the bodies near it. Only circles and outlines (boxes,
// polygons) ever touch, so each kind is filed apart and a body asks for the
// other kind. What does not move stays filed from step to step until one of
// those bodies changes; the moving bodies are filed for each step, and
// their positions must not change between that and the step's last query.
class BroadPhase {
public:
    // About a wall tile and its neighbours: most bodies cover one to four.
    static constexpr float kCellSize = 64.0f;
    // A body spanning more cells than this is checked against everything.
    static constexpr int64_t kMaxCells = 64;

    struct Box {
        float x0, y0, x1, y1;
    };
    struct Range {
        int32_t x0, y0, x1, y1;
    };
    enum Placement : uint8_t { kNowhere, kInGrid, kWide };
    // One filed body.
    struct Filed {
        Object* body;
        int8_t kind; // 0 circle, 1 outline, -1 collides with nothing
        Placement placement;
        mutable uint32_t seen; // the last query that met it
        Box box;
        Range range;
        uint32_t outline; // its corners: outlines[outline .. outline + 2 * corners)
        uint32_t corners;
    };

    // Files the bodies that never move (those of the list that are not
    // moving) again, unless edits is what it was at the last filing.
    void FileStill(Object* const* bodies, int count, uint64_t edits);
    // Files the moving bodies of this step, in the order given.
    void FileMoving(Object* const* movers, int count);
    const Filed& Moving(int index) const { return movers_.filed[size_t(index)]; }

    // The filed bodies of the other kind whose shapes may touch the body,
    // in list order (the order of creation); the caller still runs every
    // test.
    const std::vector<const Filed*>& Candidates(const Filed& body);

    // The placed corners of a filed outline body, as x/y pairs.
    const float* Outline(const Filed& body) const;

private:
    // One kind of body of a group: a hash table of cells to its records.
    struct Table {
        std::vector<uint32_t> start; // bucket b holds items[start[b] .. start[b + 1])
        std::vector<uint32_t> items;
        std::vector<uint32_t> wide; // bodies too large or far out for the grid
        uint32_t mask = 0;
        bool filled = false;
        uint32_t bodies = 0; // of the kind, filed somewhere
    };
    // Bodies filed together: the still ones, or the moving ones of a step.
    struct Group {
        std::vector<Filed> filed;
        std::vector<float> outlines;
        Table tables[2];
    };

    static void File(Group& group, Object* const* bodies, int count, bool moving);
    // The box around what the body covers, a little larger so that rounding
    // never drops a touch; false when there is nothing it could touch.
    static bool Cover(const Object& body, Filed& filed, std::vector<float>& outlines);
    static Placement Place(const Box& box, Range& range);
    static uint32_t Hash(int32_t x, int32_t y);
    static void Fill(Group& group, int kind);
    void Query(Group& group, int kind, const Filed& body);
    void Mark(const Filed& other, const Box& box);

    Group still_;
    Group movers_;
    uint64_t stillEdits_ = 0;
    bool stillFiled_ = false;
    uint32_t query_ = 0;
    std::vector<const Filed*> found_;
};

} // namespace PhysicsSW
