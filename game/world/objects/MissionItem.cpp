#include "game/world/objects/MissionItem.h"

#include "engine/render/ITexture.h"
#include "game/world/geometry/Quad.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

int MissionItem::TypeOf(IResource* definition)
{
    const ParameterRecord* record = definition ? definition->FindItem(u"type") : nullptr;
    const ParameterValue* v = record ? record->Value(0) : nullptr;
    if (!v || (v->type != ParameterValue::Word && v->type != ParameterValue::String))
        return None;
    if (v->text == u"flag_blank")
        return Blank;
    if (v->text == u"flag_fin")
        return Finnish;
    if (v->text == u"flag_rus")
        return Russian;
    return None;
}

void MissionItem::LoadProperties()
{
    Object::LoadProperties();
    if (int type = TypeOf(definition_))
        type_ = type;
    ObjectView::MakeSprite(&sprite_, height_);
}

bool MissionItem::IsNear(float, float, bool* far)
{
    if (far)
        *far = false;
    return true;
}

ITexture* MissionItem::CurrentImage()
{
    CommonMedia* media = Services().media;
    if (carried_)
        return media ? media->missionItemBase : nullptr;
    if (type_ == DroppedFinnish || type_ == DroppedRussian)
        return media ? media->droppedFlags[type_ - DroppedFinnish] : nullptr;
    return definition_ ? definition_->GetImage() : nullptr;
}

void MissionItem::Update(float)
{
    if (!IsServing() || carried_)
        return;
    ITexture* image = CurrentImage();
    IPlayerContacts* players = Services().contacts;
    if (!image || !players)
        return;
    Object* player = players->FindPlayerNear(x_ + image->GetWidth() / 2.0f, y_ + image->GetHeight() / 2.0f, 15.0f);
    // The offer may delete this item: nothing of it is touched afterwards.
    if (player)
        players->OfferMissionItem(player, this);
}

void MissionItem::PickUp(int carrierId)
{
    if (type_ == DroppedFinnish || type_ == DroppedRussian) {
        delete this;
        return;
    }
    carrierId_ = carrierId;
    carried_ = 1;
}

void MissionItem::Drop(float x, float y, bool spawn)
{
    carrierId_ = 0;
    carried_ = 0;
    if (!spawn || !IsServing() || (type_ != Finnish && type_ != Russian))
        return;
    CreateMissionItemOfType(type_ == Finnish ? DroppedFinnish : DroppedRussian, x - 16.0f, y - 16.0f);
    carried_ = 1;
}

const MPAPI::FieldRecord* MissionItemImpl::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&carried_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

MissionItem* CreateMissionItemOfType(int type, float x, float y)
{
    // A definition id -1 is kept as 0; an id below 1000 names a type.
    MissionItem* item = new MissionItemImpl(type == -1 ? 0 : type);
    item->LoadProperties();
    if (type >= 0 && type < 1000)
        item->SetType(type);
    item->SetPositionAngle(x, y, 0.0f);
    AddToWorld(item);
    return item;
}

void MissionItem::ShapeQuad(Quad* quad, ITexture* image) { quad->SetFromTexture(image); }
