#include "game/world/phys/Object.h"

#include "engine/physics/IPhysObject.h"
#include "engine/physics/IPhysics.h"
#include "game/world/geometry/Angle.h"
#include "game/world/phys/BoxHull.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/PolygonHull.h"
#include "game/world/phys/SphereHull.h"

#include <cmath>
#include <vector>

namespace PhysEng {

Object::Object(PhysicsEngine* world, bool moving) : world_(world), moving_(moving) {}

Object::~Object()
{
    delete hull_;
    hull_ = nullptr;
    if (world_)
        world_->RemoveObject(this);
}

void Object::Attach(Hull* hull)
{
    if (hull != hull_)
        delete hull_;
    hull_ = hull;
    rotationValid_ = false;
    PoseChanged();
    IPhysics* physics = world_ ? world_->GetPhysics() : nullptr;
    if (engineBody_ || !hull || !physics)
        return;
    switch (hull->GetHullType()) {
    case Hull::kSphere: {
        auto* sphere = dynamic_cast<SphereHull*>(hull);
        if (sphere)
            engineBody_ = moving_ ? physics->AddCircleBody(&sphere->radius) : physics->AddStaticCircle(&sphere->radius);
        break;
    }
    case Hull::kBox: {
        auto* box = dynamic_cast<BoxHull*>(hull);
        if (box) {
            float edges[4] = {box->edge1X, box->edge1Y, box->edge2X, box->edge2Y};
            engineBody_ = moving_ ? physics->AddBoxBody(edges) : physics->AddStaticBox(edges);
        }
        break;
    }
    case Hull::kPolygon: {
        auto* polygon = dynamic_cast<PolygonHull*>(hull);
        if (polygon && polygon->GetCount() > 0) {
            const float* p = polygon->GetPoints();
            std::vector<float> points(p, p + size_t(polygon->GetCount()) * 2);
            engineBody_ = moving_ ? physics->AddPolygonBody(polygon->GetCount(), points.data())
                                  : physics->AddStaticPolygon(polygon->GetCount(), points.data());
        }
        break;
    }
    default:
        break;
    }
    // The engine body starts where the body is, not at the origin.
    if (engineBody_) {
        engineBody_->SetPosition(pose_.x, pose_.y);
        engineBody_->SetRotation(pose_.angle);
    }
}

void Object::EnsureRotation()
{
    if (!rotationValid_ && hull_) {
        hull_->UpdateRotation(pose_.cos, pose_.sin);
        rotationValid_ = true;
    }
}

bool Object::OverlapsRegion(float x0, float y0, float x1, float y1)
{
    if (!hull_)
        return false;
    EnsureRotation();
    return hull_->Overlaps(x0 - pose_.x, y0 - pose_.y, x1 - pose_.x, y1 - pose_.y);
}

bool Object::IntersectSegment(float x0, float y0, float x1, float y1, IntersectionPacket* packet)
{
    return hull_ && hull_->Intersect(pose_, x0, y0, x1, y1, packet);
}

bool Object::IntersectAt(float x0, float y0, float x1, float y1)
{
    return hull_ && hull_->IntersectAt(pose_.x, pose_.y, float(DegreesToRadians(pose_.angle)), x0, y0, x1, y1);
}

bool Object::IntersectCircle(float x, float y, float moveX, float moveY, float radius, IntersectionPacket* packet)
{
    // The broad square covers the whole move, not just its start, so a long
    // move cannot pass through a body.
    float reach = radius + 100.0f;
    float ex = x + moveX, ey = y + moveY;
    if (!OverlapsRegion(std::fmin(x, ex) - reach, std::fmin(y, ey) - reach, std::fmax(x, ex) + reach,
                        std::fmax(y, ey) + reach))
        return false;
    if (!hull_->Sweep(x, y, moveX, moveY, radius, pose_.x, pose_.y, pose_.cos, pose_.sin, packet, slideSideWanted_))
        return false;
    packet->hitBody = this;
    return true;
}

void Object::ResetPose(float x, float y)
{
    placed_ = false;
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    pose_.Reset();
    pose_.x = x;
    pose_.y = y;
    rotationValid_ = false;
    if (engineBody_) {
        engineBody_->SetPosition(x, y);
        engineBody_->SetRotation(0.0f);
    }
    PoseChanged();
}

void Object::MoveBy(float dx, float dy)
{
    placed_ = false;
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return;
    pose_.x += dx;
    pose_.y += dy;
    if (engineBody_)
        engineBody_->SetPosition(pose_.x, pose_.y);
    PoseChanged();
}

void Object::SetAngle(float degrees)
{
    placed_ = false;
    if (!std::isfinite(degrees))
        return;
    pose_.angle = degrees;
    CosSinOfDegrees(degrees, &pose_.cos, &pose_.sin);
    rotationValid_ = false;
    if (engineBody_)
        engineBody_->SetRotation(degrees);
    PoseChanged();
}

void Object::RotateAbout(float px, float py, float degrees)
{
    placed_ = false;
    if (!std::isfinite(px) || !std::isfinite(py) || !std::isfinite(degrees))
        return;
    pose_.RotateAbout(px, py, degrees);
    rotationValid_ = false;
    if (engineBody_) {
        engineBody_->SetPosition(pose_.x, pose_.y);
        engineBody_->SetRotation(pose_.angle);
    }
    PoseChanged();
}

void Object::Place(float px, float py, float degrees, float x, float y)
{
    const float* was = placedFrom_;
    if (placed_ && px == was[0] && py == was[1] && degrees == was[2] && x == was[3] && y == was[4])
        return;
    placedFrom_[0] = px;
    placedFrom_[1] = py;
    placedFrom_[2] = degrees;
    placedFrom_[3] = x;
    placedFrom_[4] = y;
    placed_ = !moving_;
    Position pose = pose_;
    pose.Reset();
    pose.x = pose.y = 0.0f;
    if (std::isfinite(px) && std::isfinite(py) && std::isfinite(degrees))
        pose.RotateAbout(px, py, degrees);
    if (std::isfinite(x) && std::isfinite(y)) {
        pose.x += x;
        pose.y += y;
    }
    // The engine moves a moving body on its own: it is always put back.
    if (!moving_ && pose.x == pose_.x && pose.y == pose_.y && pose.angle == pose_.angle && pose.cos == pose_.cos &&
        pose.sin == pose_.sin)
        return;
    pose_ = pose;
    rotationValid_ = false;
    if (engineBody_) {
        engineBody_->SetPosition(pose_.x, pose_.y);
        engineBody_->SetRotation(pose_.angle);
    }
    PoseChanged();
}

void Object::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (engineBody_)
        engineBody_->SetEnabled(enabled);
}

void Object::GetBounds(float* x0, float* y0, float* x1, float* y1)
{
    *x0 = *x1 = pose_.x;
    *y0 = *y1 = pose_.y;
    if (!hull_)
        return;
    EnsureRotation();
    *x0 += hull_->minX;
    *y0 += hull_->minY;
    *x1 += hull_->maxX;
    *y1 += hull_->maxY;
}

void Object::PoseChanged()
{
    if (world_)
        world_->MarkDirty(this);
}

} // namespace PhysEng
