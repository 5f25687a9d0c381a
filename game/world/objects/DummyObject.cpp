#include "game/world/objects/DummyObject.h"

#include "game/world/resources/IResource.h"
#include "game/world/resources/ParameterRecord.h"

#include <cmath>

const MPAPI::FieldRecord* DummyObject::GetFieldTable()
{
    // Every instance has the same layout, so the first one gives the offsets.
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

const MPAPI::FieldRecord* DummyBreakableObject::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderReplicated, 0, 0, 0, 0},           {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},     {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&health_), 0, 0, 0}, {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void DummyObject::LoadProperties()
{
    Object::LoadProperties();
    IResource* definition = GetDefinition();
    const ParameterRecord* record = definition ? definition->FindItem(u"transparency") : nullptr;
    const ParameterValue* value = record ? record->Value(0) : nullptr;
    if (!value)
        return;
    float opacity = opacity_;
    if (value->type == ParameterValue::Integer)
        opacity = float(value->integer);
    else if (value->type == ParameterValue::Real)
        opacity = value->real;
    opacity_ = opacity < 0.0f ? 0.0f : (opacity > 1.0f ? 1.0f : opacity);
}

namespace {
void KeepFinite(float& value, float& good)
{
    if (std::isfinite(value))
        good = value;
    else
        value = good;
}
} // namespace

void DummyObject::ServerUpdate(float dt)
{
    if (!std::isfinite(x_) || !std::isfinite(y_))
        x_ = goodX_, y_ = goodY_;
    goodX_ = x_, goodY_ = y_;
    KeepFinite(angle_, goodAngle_);
    KeepFinite(health_, goodHealth_);
    Object::ServerUpdate(dt);
}

void DummyObject::SetPositionAngle(float x, float y, float angle)
{
    Object::SetPositionAngle(x, y, angle);
    goodX_ = x_, goodY_ = y_, goodAngle_ = angle_;
}
