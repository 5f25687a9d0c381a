#include "game/world/objects/Door.h"

#include "engine/physics/IPhysObject.h"
#include "engine/render/ISpritePainter.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/map/World.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/PolygonHull.h"
#include "game/world/phys/StaticObject.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/Resource.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {

// Segments a-b and c-d cross (touching counts).
bool SegmentsCross(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy)
{
    auto side = [](float px, float py, float qx, float qy, float rx, float ry) {
        return (qx - px) * (ry - py) - (qy - py) * (rx - px);
    };
    float d1 = side(cx, cy, dx, dy, ax, ay), d2 = side(cx, cy, dx, dy, bx, by);
    float d3 = side(ax, ay, bx, by, cx, cy), d4 = side(ax, ay, bx, by, dx, dy);
    return ((d1 >= 0.0f) != (d2 >= 0.0f) || d1 == 0.0f || d2 == 0.0f) &&
           ((d3 >= 0.0f) != (d4 >= 0.0f) || d3 == 0.0f || d4 == 0.0f) && !(d1 == 0.0f && d2 == 0.0f);
}

} // namespace

Door::Door(int definitionId) : Object(14, definitionId)
{
    if (!definition_)
        return;
    const ParameterRecord* dir = definition_->FindItem(u"d_opendir");
    const ParameterValue* v = dir ? dir->Value(0) : nullptr;
    clockwise_ = v && (v->type == ParameterValue::Word || v->type == ParameterValue::String) && v->text == u"cw";
    doorstep_ = definition_->FindGraphicsByName(u"doorstep");
}

Door::~Door()
{
    if (doorstepSprite_ && Services().spritePainter)
        Services().spritePainter->DestroySprite(doorstepSprite_);
}

const MPAPI::FieldRecord* Door::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderReplicated, 0, 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&closedAngle_), 0, 0, 0},
        {MPAPI::kFieldBool, OffsetOf(&broken_), 0, 0, 0},
        {MPAPI::kFieldBool, OffsetOf(&solid_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Door::LoadProperties()
{
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    PhysEng::PhysicsEngine* physics = Services().physics;
    // A second load keeps the body and sprites made by the first.
    if (image && physics && !body_) {
        float w = float(image->GetWidth()), h = float(image->GetHeight());
        const float points[] = {0.0f, -2.0f, w, -2.0f, w, h + 2.0f, 0.0f, h + 2.0f};
        leaf_ = new PhysEng::PolygonHull();
        leaf_->SetPoints(points, 4);
        body_ = physics->NewStaticObject();
        body_->SetOwner(this);
        body_->Attach(leaf_);
    }
    Object::LoadProperties();
    ObjectView::MakeSprite(&sprite_, height_);
    ObjectView::MakeSprite(&doorstepSprite_, height_);
}

void Door::SetAngle(float degrees)
{
    if (!std::isfinite(degrees))
        return;
    angle_ = degrees;
    if (!ActiveHandler()) {
        closedAngle_ = degrees;
        closedKnown_ = true;
        return;
    }
    if (closedKnown_)
        return;
    // Out-of-range angles wrap before the conversion to an integer.
    double wrapped = std::fmod(double(degrees), 360.0);
    long i = long(std::trunc(wrapped * 100.0)) % 36000;
    if (i < 0)
        i += 36000;
    float f = float(i % 9000) / 100.0f;
    if (f < 10.0f) {
        f = 0.0f;
    } else if (f > 80.0f) {
        f = 0.0f;
        i = (i / 9000 + 1) * 9000;
    }
    closedAngle_ = float((i / 9000) % 4 * 90);
    closedKnown_ = true;
    opening_ = f / 90.0f;
}

void Door::TakeHit(float damage, bool playSounds, int soundVariant, float hitX, float hitY, float direction)
{
    Object::TakeHit(damage, playSounds, soundVariant, hitX, hitY, direction);
    CommonMedia* media = Services().media;
    if (playSounds && media && media->doorHit && !broken_ && Services().output)
        Services().output->TriggerShared(media->doorHit, x_, y_, soundVariant, 0.1f);
}

void Door::Update(float dt)
{
    Object::Update(dt);
    if (!(health_ > 0.0f) && breakable_ && !broken_) {
        broken_ = 1;
        solid_ = 1;
        if (body_)
            body_->SetEnabled(false);
    }
    if (broken_) {
        if (body_)
            body_->SetEnabled(false);
        return;
    }
    if (IsServing() && std::isfinite(dt)) {
        angle_ = clockwise_ ? closedAngle_ + opening_ * 90.0f : closedAngle_ - opening_ * 90.0f;
        opening_ += closing_ ? -3.0f * dt : 3.0f * dt;
        opening_ = opening_ < 0.0f ? 0.0f : (opening_ > 1.0f ? 1.0f : opening_);
        IPlayerContacts* players = Services().contacts;
        Object* user = nullptr;
        if (cooldown_ <= 0.0f && players && body_)
            user = players->FindPlayerInHull(body_, 50.0f);
        if (user && (players->GetInputBits(user) & kUseBit)) {
            closing_ = !closing_;
            cooldown_ = 1.0f;
        } else if (cooldown_ > 0.0f) {
            if (opening_ <= 0.0f || opening_ >= 1.0f)
                cooldown_ = 0.0f;
            else
                cooldown_ -= dt;
        }
    }
    // A client has no opening of its own: solid arrives from the server.
    if (!IsClient())
        solid_ = opening_ < 0.5f;
    if (body_ && body_->GetEngineBody() && engineSolid_ != (solid_ != 0)) {
        engineSolid_ = solid_ != 0;
        body_->GetEngineBody()->SetEnabled(solid_ != 0);
    }
}

float Door::GetVisibility(float x0, float y0, float x1, float y1)
{
    if (!leaf_ || !body_ || broken_ || leaf_->GetCount() <= 2 || opening_ > 0.7f)
        return 1.0f;
    const Position& pose = body_->GetPose();
    float a[2], b[2];
    leaf_->GetVertex(a, 1, pose.x, pose.y, pose.cos, pose.sin);
    leaf_->GetVertex(b, 2, pose.x, pose.y, pose.cos, pose.sin);
    float dx = b[0] - a[0], dy = b[1] - a[1];
    float length = std::sqrt(dx * dx + dy * dy);
    if (length > 0.0f) {
        dx = dx / length * 10.0f;
        dy = dy / length * 10.0f;
    }
    return SegmentsCross(a[0] - dx, a[1] - dy, b[0] + dx, b[1] + dy, x0, y0, x1, y1) ? 0.0f : 1.0f;
}
