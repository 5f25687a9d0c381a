#include "game/world/arms/Vehicle.h"

#include "engine/render/ISpritePainter.h"
#include "engine/render/ITexture.h"
#include "game/world/arms/ProjectileShared.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/phys/BoxHull.h"
#include "game/world/phys/MovingObject.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/player/Player.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/IResource.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {
// A part tree deeper than this is a broken definition, not a vehicle.
constexpr int kMaxPartDepth = 8;
constexpr size_t kMaxParts = 256;
} // namespace

Vehicle::Vehicle(int definitionId) : Object(ObjectKind::Vehicle, definitionId) {}

Vehicle::~Vehicle()
{
    ISpritePainter* painter = Services().spritePainter;
    for (VehiclePart_s* part : parts_) {
        if (part->sprite && painter)
            painter->DestroySprite(part->sprite);
        delete part;
    }
    // The seats only borrow their players, who must not keep pointing here.
    for (int i = 0; i < kSeatsUsed; ++i) {
        if (Object* occupant = seats_[i].occupant; occupant && occupant->GetKind() == ObjectKind::Player) {
            Player* player = static_cast<Player*>(occupant);
            if (player->GetVehicle() == this)
                player->SetVehicle(nullptr);
        }
        seats_[i] = Seat();
    }
}

void Vehicle::ReleaseOccupant(Object* occupant)
{
    for (int i = 0; i < kSeatsUsed; ++i)
        if (seats_[i].occupant == occupant)
            seats_[i] = Seat();
}

const MPAPI::FieldRecord* Vehicle::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderReplicated, 0, 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Vehicle::LoadProperties()
{
    Object::LoadProperties();
    image_ = definition_ ? definition_->GetImage() : nullptr;
    PhysEng::PhysicsEngine* physics = Services().physics;
    if (image_ && physics) {
        // Bodies made by the base go; the vehicle's box replaces them.
        delete body_;
        body_ = nullptr;
        PhysEng::MovingObject* body = physics->NewMovingObject();
        body->Attach(new PhysEng::BoxHull(float(image_->GetWidth()), float(image_->GetHeight())));
        body_ = body;
    }
    ObjectView::MakeSprite(&sprite_, height_);
    if (definition_)
        BuildParts(definition_->GetGraphics(), nullptr, 0);
}

void Vehicle::BuildParts(IResource* graphics, VehiclePart_s* parent, int depth)
{
    if (!graphics || depth >= kMaxPartDepth)
        return;
    size_t first = parts_.size();
    ISpritePainter* painter = Services().spritePainter;
    int count = graphics->GetSubImageCount();
    for (int i = 0; i < count && parts_.size() < kMaxParts; ++i) {
        IResource* sub = graphics->GetSubImage(i);
        if (!sub)
            continue;
        auto* part = new VehiclePart_s;
        part->parent = parent;
        sub->GetOffset(&part->offsetX, &part->offsetY);
        sub->GetPivot(&part->pivotX, &part->pivotY);
        part->resource = sub;
        part->image = sub->GetImage();
        part->sprite = painter ? painter->CreateSprite(height_) : nullptr;
        parts_.push_back(part);
    }
    // Every child of one graphics comes before any grandchild.
    size_t last = parts_.size();
    for (size_t i = first; i < last; ++i)
        BuildParts(parts_[i]->resource, parts_[i], depth + 1);
}

void Vehicle::PlaceBody()
{
    if (!body_ || !image_)
        return;
    body_->ResetPose(0.0f, 0.0f);
    body_->SetAngle(angle_);
    body_->MoveBy(x_, y_);
    body_->SetLive(true);
}

void Vehicle::SetAngle(float degrees)
{
    angle_ = degrees;
    PlaceBody();
}

void Vehicle::BoundMembers()
{
    x_ = Bounded(x_, -1.0e6f, 1.0e6f, 0.0f);
    y_ = Bounded(y_, -1.0e6f, 1.0e6f, 0.0f);
    angle_ = Bounded(angle_, -3600.0f, 3600.0f, 0.0f);
}

void Vehicle::Update(float)
{
    bool serving = IsServing();
    if (serving) {
        if (body_ && body_->IsLive()) {
            const Position& pose = body_->GetPose();
            if (std::isfinite(pose.x) && std::isfinite(pose.y) && std::isfinite(pose.angle)) {
                angle_ = pose.angle;
                x_ = pose.x;
                y_ = pose.y;
            }
        }
    } else {
        BoundMembers();
        PlaceBody();
    }
    if (serving && health_ <= 0.0f && !wrecked_)
        wrecked_ = true;
}
