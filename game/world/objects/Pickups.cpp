#include "game/world/objects/Pickups.h"

#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {

float NumberOf(IResource* definition, const char16_t* name)
{
    const ParameterRecord* record = definition ? definition->FindItem(name) : nullptr;
    const ParameterValue* v = record ? record->Value(0) : nullptr;
    if (!v)
        return 0.0f;
    float value = v->type == ParameterValue::Integer ? float(v->integer)
                  : v->type == ParameterValue::Real  ? v->real
                                                     : 0.0f;
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

void PickupObject::LoadProperties()
{
    Object::LoadProperties();
    if (!image_ && definition_)
        image_ = definition_->GetImage();
    ObjectView::MakeSprite(&sprite_, height_);
}

void PickupObject::Update(float dt)
{
    if (!IsServing())
        return;
    if (IsTaken()) {
        respawn_ -= dt;
        if (respawn_ <= 0.0f)
            SetTaken(false);
        return;
    }
    IPlayerContacts* players = Services().contacts;
    if (!image_ || !players)
        return;
    Object* player = players->FindPlayerNear(x_ + image_->GetWidth() / 2.0f, y_ + image_->GetHeight() / 2.0f, 15.0f);
    if (player && Offer(player)) {
        SetTaken(true);
        respawn_ = kRespawnSeconds;
    }
}

bool Ammo::Offer(Object* player)
{
    if (!Services().contacts->OfferAmmo(player, this))
        return false;
    CommonMedia* media = Services().media;
    if (media && media->ammoPickup && Services().output)
        Services().output->PlayAt(media->ammoPickup, x_, y_, 20.0f);
    return true;
}

bool Item::Offer(Object* player)
{
    return Services().contacts->OfferItem(player, this, NumberOf(definition_, u"health_add"),
                                          NumberOf(definition_, u"armor_add"));
}

const MPAPI::FieldRecord* Ammo::GetFieldTable()
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

const MPAPI::FieldRecord* Item::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&taken_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}
