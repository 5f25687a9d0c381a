#include "game/world/resources/WeaponTable.h"

#include "engine/core/StringKit.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/Resource.h"
#include "game/world/resources/ResourceClass.h"

#include <climits>
#include <cmath>
#include <initializer_list>

namespace {

// The i-th value of a parameter, or null when the record is absent or has
// fewer values. The count is not trusted beyond the record's capacity.
const ParameterValue* ValueAt(const ParameterRecord* record, int i)
{
    if (!record || i < 0 || i >= record->valueCount || i >= ParameterRecord::kMaxValues)
        return nullptr;
    return &record->values[i];
}

// A number value as a double: integers and reals only.
bool ReadNumber(const ParameterValue* value, double* out)
{
    if (!value)
        return false;
    if (value->type == ParameterValue::Integer) {
        *out = double(value->integer);
        return true;
    }
    if (value->type == ParameterValue::Real) {
        *out = double(value->real);
        return true;
    }
    return false;
}

// Toward zero, saturated; NaN leaves the default.
bool TruncateToInt(double v, int* out)
{
    if (std::isnan(v))
        return false;
    v = std::trunc(v);
    if (v >= double(INT_MAX))
        *out = INT_MAX;
    else if (v <= double(INT_MIN))
        *out = INT_MIN;
    else
        *out = int(v);
    return true;
}

// An int field: an integer is taken unchanged, a real truncated.
void ReadInt(const ParameterValue* value, int* field)
{
    if (value && value->type == ParameterValue::Integer) {
        *field = value->integer;
        return;
    }
    double v;
    if (ReadNumber(value, &v))
        TruncateToInt(v, field);
}

void ReadFloat(const ParameterValue* value, float* field)
{
    double v;
    if (ReadNumber(value, &v))
        *field = float(v);
}

// A number scaled and truncated into an int field (tiles to pixels,
// milliseconds to whole seconds).
void ReadScaledInt(const ParameterValue* value, double scale, int* field)
{
    double v;
    if (ReadNumber(value, &v))
        TruncateToInt(v * scale, field);
}

bool IsWord(const ParameterValue* value) { return value && value->type == ParameterValue::Word; }

// Position of the value's word in the list, compared in full and with case;
// -1 for another word or a value that is not a word.
int WordCode(const ParameterValue* value, std::initializer_list<const char16_t*> words)
{
    if (!IsWord(value))
        return -1;
    int code = 0;
    for (const char16_t* word : words) {
        if (value->text == word)
            return code;
        ++code;
    }
    return -1;
}

void ReadWord(const ParameterValue* value, std::initializer_list<const char16_t*> words, int* field)
{
    const int code = WordCode(value, words);
    if (code >= 0)
        *field = code;
}

// A quoted string as owned text with its presence flag.
void ReadText(const ParameterValue* value, std::u16string* text, bool* has)
{
    if (value && value->type == ParameterValue::String) {
        *text = value->text;
        *has = true;
    }
}

const ParameterValue* First(IResource* block, const char16_t* key) { return ValueAt(block->FindItem(key), 0); }

int CountOf(const ParameterRecord* record)
{
    if (!record)
        return 0;
    return record->valueCount < ParameterRecord::kMaxValues ? record->valueCount : ParameterRecord::kMaxValues;
}

} // namespace

WeaponTable::WeaponTable(IGameState* owner, IResourceManager* manager) : owner_(owner), manager_(manager) {}

WeaponTable::~WeaponTable()
{
    ammoTypes_.DeleteAll();
    ammoPickups_.DeleteAll();
    weapons_.DeleteAll();
}

// Only an ammunition type (class 3) may be named: a graphics or another
// block created earlier under the same name must not be taken for it.
int WeaponTable::ResolveAmmoName(const ParameterValue* value) const
{
    if (!manager_ || !value || value->type != ParameterValue::String || value->text.empty())
        return -1;
    const char16_t* name = value->text.c_str();
    IResource* byName = manager_->GetByName(name);
    if (!byName)
        return -1;
    if (byName->GetClassId() == ResourceClass::AmmoDef)
        return byName->GetId();
    for (int i = 0;; ++i) {
        IResource* resource = manager_->GetAt(i);
        if (!resource)
            break;
        if (resource->GetClassId() != ResourceClass::AmmoDef)
            continue;
        const char16_t* own = resource->GetName();
        if (own && Util::StrEqual(own, name))
            return resource->GetId();
    }
    return -1;
}

void WeaponTable::AddAmmoType(IResource* block)
{
    if (!block)
        return;
    AmmoTypeDef* def = new AmmoTypeDef();
    def->id = block->GetId();
    ReadInt(First(block, u"a_maxammo"), &def->maxAmmo);
    ammoTypes_.Add(def);
}

void WeaponTable::AddAmmoPickup(IResource* block)
{
    if (!block)
        return;
    AmmoPickupDef* def = new AmmoPickupDef();
    def->id = block->GetId();
    def->ammoType = ResolveAmmoName(First(block, u"a_type"));
    // The first value of "a_add" is not the amount.
    ReadInt(ValueAt(block->FindItem(u"a_add"), 1), &def->amount);
    ammoPickups_.Add(def);
}

void WeaponTable::AddWeapon(IResource* block)
{
    if (!block)
        return;
    WeaponDef* def = new WeaponDef();
    def->id = block->GetId();
    def->shotSound = block->GetIndexedLink(2);
    def->reloadSound = block->GetIndexedLink(6);
    def->reloadPartsSound = block->GetIndexedLink(7);
    def->shellSound = block->GetIndexedLink(13);

    ReadInt(First(block, u"w_type"), &def->type);

    int category = 0;
    ReadInt(First(block, u"w_category"), &category);
    def->category = (category >= 1 && category <= 5) ? category : 0;

    def->ammoType = ResolveAmmoName(First(block, u"w_ammotype"));

    const ParameterRecord* behaviour = block->FindItem(u"w_behaviour");
    if (CountOf(behaviour) >= 2 && IsWord(ValueAt(behaviour, 0))) {
        ReadWord(ValueAt(behaviour, 0), {u"explode", u"smoke", u"light", u"fire"}, &def->behaviour);
        ReadScaledInt(ValueAt(behaviour, 1), kTileSize, &def->behaviourRadius);
        double time;
        if (ReadNumber(ValueAt(behaviour, 2), &time))
            def->behaviourTime = float(time / 1000.0);
    }

    const ParameterRecord* detonation = block->FindItem(u"w_detonation");
    if (CountOf(detonation) >= 1 && IsWord(ValueAt(detonation, 0))) {
        ReadWord(ValueAt(detonation, 0), {u"hit", u"time", u"click"}, &def->detonation);
        ReadScaledInt(ValueAt(detonation, 1), 1.0 / 1000.0, &def->detonationTime);
    }

    ReadInt(First(block, u"w_speed"), &def->speed);

    const ParameterRecord* dispersion = block->FindItem(u"w_dispersion");
    ReadFloat(ValueAt(dispersion, 0), &def->dispersion[0]);
    if (CountOf(dispersion) >= 3) {
        ReadFloat(ValueAt(dispersion, 1), &def->dispersion[1]);
        ReadFloat(ValueAt(dispersion, 2), &def->dispersion[2]);
    }
    const ParameterRecord* extended = block->FindItem(u"w_dispersion_ex");
    if (CountOf(extended) >= 3) {
        ReadFloat(ValueAt(extended, 1), &def->dispersion[0]);
        ReadFloat(ValueAt(extended, 0), &def->dispersion[3]);
        ReadFloat(ValueAt(extended, 2), &def->dispersion[4]);
    }

    ReadInt(First(block, u"w_pickclip"), &def->pickClip);
    ReadInt(First(block, u"w_clip"), &def->clip);
    int shots = 0;
    ReadInt(First(block, u"w_shots"), &shots);
    def->shots = shots < 1 ? 1 : shots;
    const ParameterRecord* clipChange = block->FindItem(u"w_clipchange");
    ReadInt(ValueAt(clipChange, 0), &def->clipChange);
    if (CountOf(clipChange) >= 2)
        ReadWord(ValueAt(clipChange, 1), {u"once", u"parts"}, &def->clipChangeMode);

    ReadInt(First(block, u"w_shspeed"), &def->shotInterval);
    ReadFloat(First(block, u"w_damage"), &def->damage);
    double range;
    if (ReadNumber(First(block, u"w_range"), &range))
        def->range = float(range * kTileSize);

    int addOnSpawn = 0;
    ReadInt(First(block, u"w_addonspawn"), &addOnSpawn);
    def->addOnSpawn = addOnSpawn == 1;

    // Kept, not cleared: the missile's smoke trail is chosen by it.
    ReadWord(First(block, u"w_effect"), {u"none", u"smoke"}, &def->effect);

    if (Resource* slot = block->FindGraphicsByFile(u"slot"))
        def->slotImage = static_cast<IResource*>(slot)->GetImage();
    if (Resource* character = block->FindGraphicsByFile(u"character")) {
        def->characterImage = static_cast<IResource*>(character)->GetImage();
        def->characterRow = static_cast<IResource*>(character)->GetRow();
    }
    def->hasProjectile = block->FindGraphicsByFile(u"projectile") != nullptr;

    ReadText(First(block, u"w_pickmsg"), &def->pickMessage, &def->hasPickMessage);
    ReadText(First(block, u"w_dispname"), &def->displayName, &def->hasDisplayName);

    // Only the integer 1: a real 1.0 does not make a weapon explode.
    const ParameterValue* exploding = First(block, u"w_exploding");
    def->exploding = exploding && exploding->type == ParameterValue::Integer && exploding->integer == 1;

    weapons_.Add(def);
}

const WeaponDef* WeaponTable::FindWeapon(int id) const
{
    for (int i = 0; i < weapons_.GetCount(); ++i)
        if (weapons_.Get(i)->id == id)
            return weapons_.Get(i);
    return nullptr;
}

const AmmoTypeDef* WeaponTable::FindAmmoType(int id) const
{
    for (int i = 0; i < ammoTypes_.GetCount(); ++i)
        if (ammoTypes_.Get(i)->id == id)
            return ammoTypes_.Get(i);
    return nullptr;
}

const AmmoPickupDef* WeaponTable::FindAmmoPickup(int id) const
{
    for (int i = 0; i < ammoPickups_.GetCount(); ++i)
        if (ammoPickups_.Get(i)->id == id)
            return ammoPickups_.Get(i);
    return nullptr;
}

int WeaponTable::GetWeaponClass(int id) const
{
    const WeaponDef* def = FindWeapon(id);
    return def ? def->type : 0;
}

int WeaponTable::GetWeaponCategory(int id) const
{
    const WeaponDef* def = FindWeapon(id);
    return def ? def->category : 0;
}

int WeaponTable::GetClipSize(int id) const
{
    const WeaponDef* def = FindWeapon(id);
    return def ? def->clip : 0;
}

float WeaponTable::GetClipChangeTime(int id) const
{
    const WeaponDef* def = FindWeapon(id);
    return def ? float(def->clipChange) / 1000.0f : 1.0f;
}

int WeaponTable::GetPickupMaxAmmo(int pickupId) const
{
    const AmmoPickupDef* pickup = FindAmmoPickup(pickupId);
    if (!pickup)
        return 0;
    const AmmoTypeDef* type = FindAmmoType(pickup->ammoType);
    return type ? type->maxAmmo : 0;
}
