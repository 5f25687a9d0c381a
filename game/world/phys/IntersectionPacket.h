#pragma once

namespace PhysEng {

class Object;

// The result of one physics query. There is one packet per world: read what
// you need from it before the next query.
struct IntersectionPacket {
    float distance; // along a segment from its start, or travel to the contact
    bool hit;
    float hitX, hitY;
    float normalX, normalY;
    float leadingX, leadingY; // circle moves only
    Object* hitBody;
    float side;          // +1, -1 or 0: where a sweeping circle slides along the edge
    Object* ignoredBody; // circle moves: skipped, then set to what stopped the move
    float slideX, slideY;

    void Clear() { *this = IntersectionPacket(); }
};

class IntersectionPacketFactory {
public:
    // Zeroes the one packet and hands it out.
    IntersectionPacket* NewPacket()
    {
        packet_.Clear();
        return &packet_;
    }

private:
    IntersectionPacket packet_ = IntersectionPacket();
};

} // namespace PhysEng
