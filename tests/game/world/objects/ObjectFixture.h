#pragma once

#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"

#include <initializer_list>
#include <memory>

// A world object of any kind with a definition the test builds.
class ProbeObject : public Object {
public:
    explicit ProbeObject(int kind = ObjectKind::Prop, IResource* definition = nullptr) : Object(kind, -1)
    {
        definition_ = definition;
    }
    const MPAPI::FieldRecord* GetFieldTable() override
    {
        FillPositionRecords(table_);
        table_[kPositionRecords] = MPAPI::FieldRecord();
        return table_;
    }

private:
    MPAPI::FieldRecord table_[kPositionRecords + 1];
};

// "name" with numbers: integers where whole, reals otherwise.
inline ParameterRecord* Numbers(const char16_t* name, std::initializer_list<float> values)
{
    auto* record = new ParameterRecord();
    record->name = name;
    for (float v : values) {
        ParameterValue& value = record->values[record->valueCount++];
        if (float(int(v)) == v) {
            value.type = ParameterValue::Integer;
            value.integer = int(v);
        } else {
            value.type = ParameterValue::Real;
            value.real = v;
        }
    }
    return record;
}

inline ParameterRecord* Word(const char16_t* name, const char16_t* text)
{
    auto* record = new ParameterRecord();
    record->name = name;
    record->valueCount = 1;
    record->values[0].text = text;
    return record;
}

inline std::unique_ptr<ObjectResource> Definition(std::initializer_list<ParameterRecord*> items)
{
    auto definition = std::make_unique<ObjectResource>(nullptr, 0);
    for (ParameterRecord* item : items)
        definition->AddItem(item);
    return definition;
}
