#pragma once

// Flags and start points of both teams for a mode's level, made through the
// level factory as the level loader makes them.
#include "ModeFixture.h"

#include "game/world/MissionItem.h"
#include "game/world/ObjectManager.h"
#include "game/world/ObjectResource.h"
#include "game/world/ParameterRecord.h"

namespace modetest {

enum : int { kFlagFin = 40 << 18, kFlagRus = 41 << 18, kFlagBlank = 42 << 18, kStartFin = 43 << 18, kStartRus = 44 << 18 };

inline void Define(ResourceManager& r, int classId, int id, const char16_t* name, const char16_t* word, int number)
{
    ObjectResource* block = r.CreateObjectResource(classId);
    block->SetId(id);
    auto* record = new ParameterRecord();
    record->name = name;
    ParameterValue& v = record->values[record->valueCount++];
    v.type = word ? ParameterValue::Word : ParameterValue::Integer;
    if (word)
        v.text = word;
    v.integer = number;
    block->AddItem(record);
}

inline void DefineFlagLevel(ModeWorld& w)
{
    Define(w.resources, ResourceClass::MissionItem, kFlagFin, u"type", u"flag_fin", 0);
    Define(w.resources, ResourceClass::MissionItem, kFlagRus, u"type", u"flag_rus", 0);
    Define(w.resources, ResourceClass::MissionItem, kFlagBlank, u"type", u"flag_blank", 0);
    Define(w.resources, ResourceClass::StartPoint, kStartFin, u"team_id", nullptr, 1);
    Define(w.resources, ResourceClass::StartPoint, kStartRus, u"team_id", nullptr, 8);
    w.resources.BuildIndex();
}

template <class T = MissionItem> T* Place(int definitionId, float x, float y)
{
    return dynamic_cast<T*>(CreateObjectByType(definitionId, x, y));
}

// The world's mission items of a type.
inline std::vector<MissionItem*> ItemsOfType(int type)
{
    std::vector<MissionItem*> items;
    Services().objects->ForEachObject([&](Object* o) {
        if (auto* item = dynamic_cast<MissionItem*>(o); item && item->GetType() == type)
            items.push_back(item);
    });
    return items;
}

} // namespace modetest
