#pragma once

#include "game/world/resources/IResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceManager.h"
#include "support/EngineFakes.h"

#include <initializer_list>
#include <string>

namespace weapontest {

inline ParameterValue Int(int v)
{
    ParameterValue p;
    p.type = ParameterValue::Integer;
    p.integer = v;
    return p;
}

inline ParameterValue Real(float v)
{
    ParameterValue p;
    p.type = ParameterValue::Real;
    p.real = v;
    return p;
}

inline ParameterValue Word(const char16_t* w)
{
    ParameterValue p;
    p.type = ParameterValue::Word;
    p.text = w;
    return p;
}

inline ParameterValue Str(const char16_t* s)
{
    ParameterValue p;
    p.type = ParameterValue::String;
    p.text = s;
    return p;
}

inline ParameterValue Colour()
{
    ParameterValue p;
    p.type = ParameterValue::Color;
    p.red = 1;
    return p;
}

inline void AddParam(IResource* block, const char16_t* name, std::initializer_list<ParameterValue> values)
{
    ParameterRecord* record = new ParameterRecord();
    record->name = name;
    for (const ParameterValue& v : values)
        if (record->valueCount < ParameterRecord::kMaxValues)
            record->values[record->valueCount++] = v;
    block->AddItem(record);
}

// A resource manager without host, engine or audio, for building blocks by
// hand.
class Blocks {
public:
    Blocks() : manager(nullptr, nullptr, nullptr) {}

    ObjectResource* Make(int classId, int id, const char* name = nullptr)
    {
        ObjectResource* block = manager.CreateObjectResource(classId);
        block->SetId(id);
        if (name)
            block->SetNameA(name);
        return block;
    }

    ResourceManager manager;
};

} // namespace weapontest
