#include "game/world/objects/Object.h"

#include "engine/core/Random.h"
#include "engine/physics/IPhysObject.h"
#include "engine/render/ISprite.h"
#include "engine/render/ISpritePainter.h"
#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/objects/ObjectEffects.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/phys/BoxHull.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/PolygonHull.h"
#include "game/world/phys/StaticObject.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/Resource.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <cmath>
#include <cstring>

namespace {

// Integer and real values both count as numbers; other kinds do not.
bool NumberAt(const ParameterRecord* record, int i, float* out)
{
    const ParameterValue* v = record ? record->Value(i) : nullptr;
    if (!v)
        return false;
    float value;
    if (v->type == ParameterValue::Integer)
        value = float(v->integer);
    else if (v->type == ParameterValue::Real)
        value = v->real;
    else
        return false;
    if (!std::isfinite(value))
        return false;
    *out = value;
    return true;
}

uint8_t RoundToByte(float value)
{
    float r = std::round(value);
    return uint8_t(r < 0.0f ? 0.0f : (r > 255.0f ? 255.0f : r));
}

} // namespace

Object::Object(int kind, int definitionId) : kind_(kind), definitionId_(definitionId)
{
    if (Services().resources && definitionId != -1)
        definition_ = Services().resources->GetById(definitionId);
}

Object::~Object()
{
    delete cover_;
    delete body_;
    if (Services().objects)
        Services().objects->RemoveObject(this);
    delete[] damageStates_;
    if (sprite_ && Services().spritePainter)
        Services().spritePainter->DestroySprite(sprite_);
}

bool Object::IsAlwaysRelevant()
{
    switch (kind_) {
    case 0:
    case 1:
    case 3:
    case 12:
    case 13:
    case 14:
    case 15:
    case 17:
        return true;
    default:
        return false;
    }
}

bool Object::IsNear(float viewerX, float viewerY, bool* far)
{
    float dx = x_ - viewerX, dy = y_ - viewerY;
    bool near = dx > -712.0f && dx < 712.0f && dy > -584.0f && dy < 584.0f;
    if (far)
        *far = !near;
    return near;
}

void Object::SetNetPosition(float x, float y, float dx, float dy)
{
    float nx = x + dx, ny = y + dy;
    if (std::isfinite(nx) && std::isfinite(ny)) {
        x_ = nx;
        y_ = ny;
    }
}

void Object::GetPosition(float* x, float* y)
{
    *x = x_;
    *y = y_;
}

void Object::SetPosition(float x, float y)
{
    x_ = x;
    y_ = y;
}

void Object::SetPositionAngle(float x, float y, float angle)
{
    x_ = x;
    y_ = y;
    angle_ = angle;
}

void Object::FillPositionRecords(MPAPI::FieldRecord* out)
{
    out[0] = {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0};
    out[1] = {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0};
    out[2] = {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0};
}

void Object::SetInputState(uint32_t, float, int, int, float) {}

const DamageState* Object::GetDamageState(int i) const
{
    return i >= 0 && i < damageStateCount_ ? &damageStates_[i] : nullptr;
}

void Object::LoadProperties()
{
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    if (definition_) {
        float value;
        if (NumberAt(definition_->FindItem(u"height"), 0, &value))
            height_ = RoundToByte(value);
        const ParameterRecord* cover = definition_->FindItem(u"cover");
        // A second load keeps the record it made first.
        if (cover && cover->valueCount >= 3 && !cover_) {
            cover_ = new CoverRecord();
            if (image) {
                cover_->halfWidth = image->GetWidth() / 2.0f;
                cover_->halfHeight = image->GetHeight() / 2.0f;
            }
            if (NumberAt(cover, 0, &value)) {
                cover_->radius = value;
                cover_->radiusSquared = value * value;
            }
            if (NumberAt(cover, 1, &value))
                cover_->passPercent = RoundToByte(value);
            if (NumberAt(cover, 2, &value))
                cover_->coverFactor = RoundToByte(value);
            if (cover->valueCount >= 4 && NumberAt(cover, 3, &value) && value != 0.0f)
                cover_->extraFlag = 1;
        }
        definition_->FindItem(u"d_opendir");
        if (NumberAt(definition_->FindItem(u"health"), 0, &value)) {
            health_ = value;
            breakable_ = true;
        }
    }

    delete[] damageStates_;
    damageStates_ = nullptr;
    damageStateCount_ = 0;
    damageLookedAt_ = std::numeric_limits<float>::quiet_NaN();
    int records = definition_ ? definition_->GetParameterCount() : 0;
    if (records >= 1) {
        damageStates_ = new DamageState[records];
        damageStateCount_ = records;
        for (int i = 0; i < records; ++i) {
            FreeParameter* record = definition_->GetParameter(i);
            damageStates_[i].record = record;
            damageStates_[i].threshold = record ? float(record->health) : 0.0f;
        }
    } else if (breakable_) {
        damageStates_ = new DamageState[1];
        damageStateCount_ = 1;
        damageStates_[0].threshold = health_ / 2.0f;
    }

    PhysEng::PhysicsEngine* physics = Services().physics;
    if (definition_ && physics && !body_ && kind_ != ObjectKind::Vehicle &&
        (definition_->IsBreakable() || kind_ == ObjectKind::Door || kind_ == ObjectKind::Window)) {
        PhysEng::Hull* hull = nullptr;
        auto* polygon = new PhysEng::PolygonHull();
        if (polygon->SetFromBounding(definition_))
            hull = polygon;
        else
            delete polygon;
        if (!hull && image)
            hull = new PhysEng::BoxHull(float(image->GetWidth()), float(image->GetHeight()));
        if (hull) {
            body_ = physics->NewStaticObject();
            body_->SetOwner(this);
            body_->Attach(hull);
            if (cover_ && body_->GetEngineBody())
                body_->GetEngineBody()->EnableZoneExclusion();
        }
    }

    if (image)
        radius_ =
            std::sqrt(float(image->GetWidth()) * image->GetWidth() + float(image->GetHeight()) * image->GetHeight());

    if (IsTranslucent() && image && !sprite_) {
        ObjectView::MakeSprite(&sprite_, height_);
        if (sprite_) {
            Quad quad;
            quad.SetFromTexture(image);
            sprite_->Set(&quad, height_ / 256.0f);
        }
    }
}

int Object::GetMaterial()
{
    const ParameterRecord* record = definition_ ? definition_->FindItem(u"material") : nullptr;
    const ParameterValue* v = record ? record->Value(0) : nullptr;
    if (!v || (v->type != ParameterValue::Word && v->type != ParameterValue::String))
        return 0;
    static const char16_t* const names[] = {u"wood", u"metal", u"wall", u"glass", u"electronic"};
    for (int i = 0; i < 5; ++i)
        if (v->text == names[i])
            return i + 1;
    return 0;
}

void Object::TakeHit(float damage, bool playSounds, int soundVariant, float hitX, float hitY, float direction)
{
    if (kind_ == ObjectKind::Player)
        return;
    IObjectEffects* effects = Services().effects;
    if (breakable_ && health_ > 0.0f && std::isfinite(damage)) {
        health_ -= damage;
        if (health_ < 0.0f)
            health_ = 0.0f;
        if (IsServing() && effects) {
            int material = GetMaterial();
            int passed = material == 5 ? 1 : material;
            if (health_ > 0.0f) {
                effects->BreakParticles(hitX, hitY, passed + 20, 0.0f, 0.0f, 0.0f);
                if (material == 5) {
                    if (Util::Random() % 2 == 1) {
                        effects->Dust(hitX, hitY, direction, 2);
                        effects->Flash(hitX, hitY, 0.05f, 100.0f, 0.8f);
                    }
                } else {
                    effects->Dust(hitX, hitY, direction, 1);
                }
            } else {
                float px = 0.0f, py = 0.0f;
                if (definition_)
                    definition_->GetPivot(&px, &py);
                effects->BreakParticles(x_ + px, y_ + py, passed, 0.0f, 0.0f, 0.0f);
            }
        }
    }
    if (definition_ && playSounds && effects) {
        if (IResource* sound = definition_->GetIndexedLink(10))
            effects->HitSound(sound, x_, y_, soundVariant);
        if (Util::Random() % 5 == 1)
            if (IResource* sound = definition_->GetIndexedLink(12))
                effects->HitSound(sound, x_, y_, soundVariant);
    }
}

void Object::TakeBlastDamage(float blastX, float blastY, float amount, int32_t, int32_t)
{
    if (!std::isfinite(blastX) || !std::isfinite(blastY) || !std::isfinite(amount))
        return;
    if (!breakable_ || !(health_ > 0.0f))
        return;
    health_ -= amount;
    if (health_ < 0.0f)
        health_ = 0.0f;
    IObjectEffects* effects = Services().effects;
    if (health_ == 0.0f && IsServing() && effects) {
        float px = 0.0f, py = 0.0f;
        if (definition_)
            definition_->GetPivot(&px, &py);
        effects->BreakParticles(x_ + px, y_ + py, GetMaterial(), blastX, blastY, amount);
    }
}

bool Object::CoverStopsShot(Object* shooter, float* cover)
{
    if (!cover_)
        return true;
    float factor = cover_->coverFactor / 100.0f;
    *cover = factor > 1.0f ? 1.0f : factor;
    if (shooter) {
        float dx = shooter->GetX() - x_, dy = shooter->GetY() - y_;
        // NaN compares false: a shooter nowhere counts as distant.
        if (std::sqrt(dx * dx + dy * dy) < cover_->radius + 64.0f)
            return false;
    }
    return Util::Random() % 100 >= cover_->passPercent;
}

bool Object::BlocksBullets()
{
    const ParameterRecord* record = definition_ ? definition_->FindItem(u"block_bullet") : nullptr;
    const ParameterValue* v = record ? record->Value(0) : nullptr;
    if (!v)
        return true;
    if (v->type == ParameterValue::Integer && v->integer == 1)
        return true;
    if (v->type == ParameterValue::Real && v->real == 1.0f)
        return true;
    return false;
}

float Object::GetVisibility(float x0, float y0, float x1, float y1)
{
    if (height_ < 10 || !body_)
        return 1.0f;
    // Boxes answer only the packet test, polygons both.
    PhysEng::IntersectionPacket packet = PhysEng::IntersectionPacket();
    if (body_->IntersectAt(x0, y0, x1, y1) || body_->IntersectSegment(x0, y0, x1, y1, &packet))
        return 0.0f;
    return 1.0f;
}

ITexture* Object::CurrentImage()
{
    ITexture* image = definition_ ? definition_->GetImage() : nullptr;
    for (int i = 0; i < damageStateCount_; ++i)
        if (damageStates_[i].graphics && damageStates_[i].graphics->GetImage())
            image = damageStates_[i].graphics->GetImage();
    return image;
}

void Object::PrefetchSelf() const
{
    for (int line = 0; line < 4; ++line)
        __builtin_prefetch(reinterpret_cast<const char*>(this) + 64 * line);
}

void Object::PrefetchParts() const
{
    __builtin_prefetch(damageStates_);
    __builtin_prefetch(definition_);
    if (body_)
        body_->PrefetchPlacement();
}

void Object::PlaceBody()
{
    if (body_ && definition_) {
        float px = 0.0f, py = 0.0f;
        definition_->GetPivot(&px, &py);
        body_->Place(px, py, angle_, x_, y_);
    }
}

void Object::Update(float)
{
    if (breakable_ && definition_ && !(health_ == damageLookedAt_)) {
        for (int i = 0; i < damageStateCount_; ++i) {
            DamageState& state = damageStates_[i];
            if (!state.record && !state.graphics && health_ < state.threshold)
                state.graphics = definition_->FindSound(nullptr);
        }
        damageLookedAt_ = health_;
    }
    PlaceBody();
    // The cheap tests first: asking whether this machine serves is not.
    if (breakable_ && health_ <= 0.0f && kind_ != ObjectKind::Window && kind_ != ObjectKind::Door &&
        kind_ != ObjectKind::Player && IsServing())
        delete this;
}
