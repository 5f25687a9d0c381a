#pragma once

// Flags and start points of both teams, made through the level factory as
// the level loader makes them.
#include "ModeFixture.h"

#include "game/world/objects/MissionItem.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/state/ObjectManager.h"

namespace modetest {

enum : int { kFlagFin = 40 << 18, kFlagRus, kFlagBlank, kStartFin, kStartRus };

inline void DefineFlagLevel(ModeWorld& w)
{
    auto define = [&](int classId, int id, const char16_t* name, const char16_t* word, int number) {
        auto* record = new ParameterRecord();
        record->name = name;
        ParameterValue& v = record->values[record->valueCount++];
        v.type = word ? ParameterValue::Word : ParameterValue::Integer;
        v.text = word ? word : u"";
        v.integer = number;
        ObjectResource* block = w.resources.CreateObjectResource(classId);
        block->SetId(id);
        block->AddItem(record);
    };
    define(ResourceClass::MissionItem, kFlagFin, u"type", u"flag_fin", 0);
    define(ResourceClass::MissionItem, kFlagRus, u"type", u"flag_rus", 0);
    define(ResourceClass::MissionItem, kFlagBlank, u"type", u"flag_blank", 0);
    define(ResourceClass::StartPoint, kStartFin, u"team_id", nullptr, 1);
    define(ResourceClass::StartPoint, kStartRus, u"team_id", nullptr, 8);
    w.resources.BuildIndex();
}

template <class T = MissionItem> T* Place(int definitionId, float x, float y)
{
    return dynamic_cast<T*>(CreateObjectByType(definitionId, x, y));
}

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
