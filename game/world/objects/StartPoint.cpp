#include "game/world/objects/StartPoint.h"

#include "engine/core/Random.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/phys/MovingObject.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/SphereHull.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <cmath>
#include <vector>

StartPoint::StartPoint(int definitionId) : Object(ObjectKind::StartPoint, definitionId)
{
    const ParameterRecord* record = definition_ ? definition_->FindItem(u"team_id") : nullptr;
    const ParameterValue* v = record ? record->Value(0) : nullptr;
    double team = -1.0;
    if (v && v->type == ParameterValue::Integer)
        team = double(v->integer);
    else if (v && v->type == ParameterValue::Real && std::isfinite(v->real))
        team = std::trunc(double(v->real));
    team -= 1.0;
    team_ = team < 0.0 || team > 7.0 ? 0 : int(team);
}

const MPAPI::FieldRecord* StartPoint::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

StartPoint* PickStartPoint(int team)
{
    ObjectManager* objects = Services().objects;
    if (!objects)
        return nullptr;
    std::vector<StartPoint*> found;
    objects->ForEachObject([&](Object* object) {
        StartPoint* point = dynamic_cast<StartPoint*>(object);
        if (point && point->GetTeam() == team)
            found.push_back(point);
    });
    return found.empty() ? nullptr : found[size_t(Util::Random()) % found.size()];
}

Weapon::Weapon(int definitionId) : Object(ObjectKind::Weapon, definitionId) {}

const MPAPI::FieldRecord* Weapon::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldBool, OffsetOf(&taken_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Weapon::SetThrown(int clip, int detonatorTag)
{
    dropped_ = 1;
    waitUntilClear_ = 1;
    clip_ = clip;
    detonatorTag_ = detonatorTag;
}

void Weapon::LoadProperties()
{
    Object::LoadProperties();
    if (!image_ && definition_)
        image_ = definition_->GetImage();
    ObjectView::MakeSprite(&sprite_, height_);
    PhysEng::PhysicsEngine* physics = Services().physics;
    if (!dropped_ || body_ || !std::isfinite(angle_))
        return;
    float r = (angle_ - 90.0f) / 180.0f * 3.1415927f;
    float fx = std::cos(r), fy = std::sin(r);
    x_ += fx * 25.0f;
    y_ += fy * 25.0f;
    if (physics) {
        PhysEng::MovingObject* body = physics->NewMovingObject();
        body->SetOwner(this);
        body->Attach(new PhysEng::SphereHull(10.0f));
        body->ResetPose(0.0f, 0.0f);
        body->SetAngle(angle_);
        body->MoveBy(x_, y_);
        const float point[2] = {x_ - fx * 5.0f, y_ - fy * 5.0f};
        const float impulse[2] = {fx * 2000.0f, fy * 2000.0f};
        body->ApplyImpulse(point, impulse);
        body_ = body;
    }
    if (image_) {
        x_ -= image_->GetWidth() / 2.0f;
        y_ -= image_->GetHeight() / 2.0f;
    }
}

void Weapon::ApplyFriction()
{
    if (body_)
        body_->ApplyFriction(500.0f);
}

void Weapon::Update(float dt)
{
    if (!IsServing())
        return;
    float hw = image_ ? image_->GetWidth() / 2.0f : 0.0f, hh = image_ ? image_->GetHeight() / 2.0f : 0.0f;
    if (dropped_ && body_) {
        const Position& pose = body_->GetPose();
        if (std::isfinite(pose.x) && std::isfinite(pose.y)) {
            angle_ = pose.angle;
            x_ = pose.x - hw;
            y_ = pose.y - hh;
        }
    }
    if (taken_ || !image_) {
        respawn_ -= dt;
        if (respawn_ <= 0.0f)
            taken_ = 0;
        return;
    }
    IPlayerContacts* players = Services().contacts;
    if (!players)
        return;
    if (waitUntilClear_) {
        if (!players->FindPlayerInSquare(x_, y_, 15.0f))
            waitUntilClear_ = 0;
        return;
    }
    Object* player = players->FindPlayerInSquare(x_ + hw, y_ + hh, 15.0f);
    if (!player || !players->PickUpWeapon(player, definitionId_, dropped_ ? clip_ : -1))
        return;
    if (IObjectOutput* out = Services().output)
        out->PlayNamed(u"weapons/pick_weapon.ogg", x_ + hw, y_ + hh, 10.0f);
    if (!dropped_) {
        respawn_ = kRespawnSeconds;
        taken_ = 1;
        return;
    }
    const WeaponDef* def = Services().weapons ? Services().weapons->FindWeapon(definitionId_) : nullptr;
    if (def && def->type == kDetonatorType && detonatorTag_ != 0)
        players->ClaimParkedTraps(player, detonatorTag_);
    delete this;
}

Weapon* CreateThrownWeapon(int weaponId, float x, float y, float angle, int clip, int detonatorTag)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle))
        return nullptr;
    Weapon* weapon = new Weapon(weaponId);
    weapon->SetThrown(clip, detonatorTag);
    weapon->SetPositionAngle(x, y, angle);
    weapon->LoadProperties();
    AddToWorld(weapon);
    return weapon;
}
