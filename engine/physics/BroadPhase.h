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
    // One filed body.
    struct Filed {
        Object* body;
        uint64_t serial;  // the body's place in the world's list
        Box box;          // what its shape covers, a little larger
        Box bounds;       // the body's own bounds at its position, met only when they cross
        uint32_t outline; // its corners: outlines[outline .. outline + 2 * corners)
        uint32_t corners;
        int8_t kind; // 0 circle, 1 outline, -1 touches nothing
        bool moving;
    };

    // The still bodies a moving body may meet while its box stays within
    // reach: the bodies whose boxes cross the box the body had, widened by
    // kReach. Kept by each body, good for one filing of the still bodies.
    static constexpr float kReach = 8.0f;
    static constexpr int kMostNear = 8;
    struct Nearby {
        Box reach;
        uint64_t filing = 0; // none
        int32_t count = -1;  // more than kMostNear: asked again at every step
        uint32_t index[kMostNear];
    };

    // Files the bodies that never move (those of the list that are not
    // moving) again, unless edits is what it was at the last filing.
    void FileStill(Object* const* bodies, int count, uint64_t edits);
    // Files the moving bodies of this step, in the order given.
    void FileMoving(Object* const* movers, int count);
    const Filed& Moving(int index) const { return movers_.filed[size_t(index)]; }

    // The filed bodies of the other kind whose shapes may touch the body
    // and whose bounds cross its own, in list order (the order of
    // creation); the caller still runs the shape test.
    const std::vector<const Filed*>& Candidates(const Filed& body);

    // The placed corners of a filed outline body, as x/y pairs.
    const float* Outline(const Filed& body) const;

private:
    struct Range {
        int32_t x0, y0, x1, y1;
    };
    // A body's box in a cell, with the first cell of its range: of the
    // cells two ranges share, only the first answers a query.
    struct Item {
        Box box;
        uint32_t index;
        int32_t x0, y0;
    };
    // One kind of body of a group, on a grid of its own over the cells its
    // bodies cover (wider cells when that is too many): cell c holds
    // items[start[c] .. start[c + 1]). A body outside the grid is filed in
    // its edge cells, which keeps every overlap on a shared cell.
    struct Table {
        bool filled = false;
        uint32_t bodies = 0; // of the kind that touch something
        float originX = 0, originY = 0, inverseCell = 0;
        int32_t width = 0, height = 0;
        std::vector<uint32_t> start;
        std::vector<Item> items;
        std::vector<uint32_t> wide; // bodies spanning too many cells, or too far out
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
    // The cells of the table the box covers, clamped to the grid; false
    // when they are more than kMaxCells.
    static bool Cells(const Table& table, const Box& box, Range& range);
    void Fill(Group& group, int kind);
    // The filed bodies of a kind whose boxes cross box, once each, into met.
    void Query(Group& group, int kind, const Box& box);
    // The same for the still bodies, through what the body keeps of them.
    void QueryStill(int kind, const Filed& body);
    void Keep(const Filed& other, const Filed& body);

    Group still_;
    Group movers_;
    uint64_t stillEdits_ = 0;
    uint64_t stillFiling_ = 0; // counts the filings of the still bodies
    std::vector<const Filed*> met_;
    std::vector<const Filed*> found_;
    std::vector<Range> ranges_; // of the bodies being filled
};

} // namespace PhysicsSW
