#pragma once

#include "game/world/phys/Hull.h"

namespace PhysEng {

// The parallelogram P0 = pose, P1 = P0 + e1, P2 = P1 + e2, P3 = P0 + e2, the
// edge vectors turned by the pose. An image of w x h has edges (w, 0), (0, h).
class BoxHull : public Hull {
public:
    BoxHull() = default;
    BoxHull(float width, float height) { SetEdges(width, 0.0f, 0.0f, height); }

    void SetEdges(float e1x, float e1y, float e2x, float e2y);

    int GetHullType() const override { return kBox; }
    bool ClosestPoint(const Position& pose, float x, float y, float* outX, float* outY) const override;
    void UpdateRotation(float cosine, float sine) override;
    bool Intersect(const Position& pose, float x0, float y0, float x1, float y1,
                   IntersectionPacket* packet) const override;
    bool IntersectAt(float, float, float, float, float, float, float) const override { return false; }
    bool Sweep(float cx, float cy, float moveX, float moveY, float radius, float poseX, float poseY, float cosine,
               float sine, IntersectionPacket* packet, bool sideWanted) const override;

    float edge1X = 0.0f, edge1Y = 0.0f;
    float edge2X = 0.0f, edge2Y = 0.0f;
    float centreX = 0.0f, centreY = 0.0f;
};

} // namespace PhysEng
