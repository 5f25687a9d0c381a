#include "game/world/map/World.h"

#include "game/world/phys/BoxHull.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/StaticObject.h"

bool World::BuildWallBodies()
{
    // The old bodies went with the physics engine's reset.
    wallBodies_.Clear();
    wallBodyCells_.clear();
    if (!cells_ || !physics_)
        return true;
    physics_->SetArea(float(width_) * kTileSize, float(height_) * kTileSize);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const uint32_t cell = At(x, y);
            if (!(cell & kWall) || ((cell & kWindow) && isHost_))
                continue;
            PhysEng::StaticObject* body = physics_->NewStaticObject();
            body->SetOwner(nullptr);
            body->ResetPose(float(x * kTileSize), float(y * kTileSize));
            body->Attach(new PhysEng::BoxHull(kTileSize, kTileSize));
            wallBodies_.Add(body);
            wallBodyCells_.push_back(y * width_ + x);
        }
    return true;
}

void World::RemoveWallBody(int tx, int ty)
{
    if (!InGrid(tx, ty))
        return;
    const int cell = ty * width_ + tx;
    for (int i = int(wallBodyCells_.size()) - 1; i >= 0; --i) {
        if (wallBodyCells_[size_t(i)] != cell)
            continue;
        PhysEng::Object* body = wallBodies_.Get(i);
        wallBodies_.RemoveAt(i);
        wallBodyCells_.erase(wallBodyCells_.begin() + i);
        // A body the physics engine has already dropped (a reset without a
        // rebuild) is only forgotten here.
        if (physics_ && physics_->GetBodies().IndexOf(body) >= 0)
            delete body; // leaves the physics list and the engine physics
    }
}
