#pragma once

#include "game/world/phys/Object.h"

namespace PhysEng {

// A body that only moves when its owner places it.
class StaticObject : public Object {
public:
    explicit StaticObject(PhysicsEngine* world) : Object(world, false) {}
    bool IsMoving() const override { return false; }
};

} // namespace PhysEng
