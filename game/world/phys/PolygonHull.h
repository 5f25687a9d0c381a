#pragma once

#include "game/world/phys/Hull.h"

#include <vector>

class IRenderer;
class IResource;

namespace PhysEng {

// A closed outline: the bounding polygon of an object definition (borrowed;
// the definition outlives the hull) or its own points.
class PolygonHull : public Hull {
public:
    // The definition's bounding polygon; false (nothing bound) when it has none.
    bool SetFromBounding(IResource* definition);
    // points: four x, y pairs.
    void SetQuad(const float* points);
    // x, y pairs.
    void SetPoints(const float* points, int count);

    int GetCount() const { return count_; }
    // x, y pairs of the outline in the body's frame; null when empty.
    const float* GetPoints() const;
    // Vertex i turned by (cosine, sine) and placed at (x, y); out is left
    // alone for an index outside the outline.
    void GetVertex(float* out, int index, float x, float y, float cosine, float sine) const;
    // Red outline at the pose, in view coordinates.
    void DrawOutline(IRenderer* renderer, float x, float y, float cosine, float sine, float cameraX,
                     float cameraY) const;

    int GetHullType() const override { return kPolygon; }
    void UpdateRotation(float cosine, float sine) override;
    bool Intersect(const Position& pose, float x0, float y0, float x1, float y1,
                   IntersectionPacket* packet) const override;
    bool IntersectAt(float x, float y, float radians, float x0, float y0, float x1, float y1) const override;
    bool Sweep(float cx, float cy, float moveX, float moveY, float radius, float poseX, float poseY, float cosine,
               float sine, IntersectionPacket* packet, bool sideWanted) const override;

    float centreX = 0.0f, centreY = 0.0f;

private:
    void ComputeCentre();

    int count_ = 0;
    std::vector<float> own_;
    const float* bound_ = nullptr;
};

} // namespace PhysEng
