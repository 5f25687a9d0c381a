#pragma once

#include "game/world/phys/Hull.h"

namespace PhysEng {

// Only gives a circle engine body: it answers no query and keeps zero bounds.
class SphereHull : public Hull {
public:
    explicit SphereHull(float radius = 0.0f) : radius(radius) {}

    int GetHullType() const override { return kSphere; }
    void UpdateRotation(float, float) override {}
    bool Intersect(const Position&, float, float, float, float, IntersectionPacket*) const override { return false; }
    bool IntersectAt(float, float, float, float, float, float, float) const override { return false; }
    bool Sweep(float, float, float, float, float, float, float, float, float, IntersectionPacket*, bool) const override
    {
        return false;
    }

    float radius;
};

} // namespace PhysEng
