#include "game/world/phys/MovingObject.h"

#include "engine/physics/IPhysObject.h"
#include "game/world/phys/Geometry.h"
#include "game/world/phys/Hull.h"

#include <algorithm>

namespace PhysEng {

void MovingObject::ApplyBlast(float x, float y, float power)
{
    float cx, cy;
    Hull* hull = GetHull();
    if (!hull || !hull->ClosestPoint(GetPose(), x, y, &cx, &cy))
        return;
    float vx = cx - x, vy = cy - y;
    float d = Normalize(&vx, &vy);
    ApplyImpulseScaled(cx, cy, vx, vy, power / std::max(d, 1.0f) * 2.0f);
}

void MovingObject::ApplyImpulse(const float* point, const float* impulse)
{
    if (engineBody_)
        engineBody_->ApplyImpulse(point[0], point[1], impulse[0], impulse[1]);
}

void MovingObject::ApplyImpulseScaled(float x, float y, float dx, float dy, float scale)
{
    if (engineBody_)
        engineBody_->ApplyImpulse(x, y, dx * scale, dy * scale);
}

void MovingObject::ApplyFriction(float amount)
{
    if (engineBody_)
        engineBody_->ApplyFriction(amount);
}

} // namespace PhysEng
