#pragma once

#include "game/world/phys/Object.h"

namespace PhysEng {

// A body that the engine physics moves and that blasts and impulses push.
class MovingObject : public Object {
public:
    explicit MovingObject(PhysicsEngine* world) : Object(world, true) {}

    bool IsMoving() const override { return velocityX != 0.0f || velocityY != 0.0f || angularVelocity != 0.0f; }
    void ApplyBlast(float x, float y, float power) override;
    void ApplyImpulse(const float* point, const float* impulse) override;
    void ApplyImpulseScaled(float x, float y, float dx, float dy, float scale) override;
    void ApplyFriction(float amount) override;

    void SetVelocity(float vx, float vy, float angular)
    {
        velocityX = vx;
        velocityY = vy;
        angularVelocity = angular;
    }

    float velocityX = 0.0f, velocityY = 0.0f, angularVelocity = 0.0f;
};

} // namespace PhysEng
