#include "WeaponTestSupport.h"

#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/SoundResource.h"
#include "game/world/resources/WeaponTable.h"

#include <gtest/gtest.h>

#include <climits>

using namespace weapontest;

namespace {

class WeaponTableTest : public ::testing::Test {
protected:
    WeaponTableTest() : table(nullptr, &blocks.manager) {}

    ObjectResource* Weapon(int id = 1000) { return blocks.Make(ResourceClass::Weapon, id); }

    // Builds the weapon record of a block holding one parameter.
    const WeaponDef& WeaponWith(const char16_t* key, std::initializer_list<ParameterValue> values)
    {
        ObjectResource* block = Weapon(5000 + table.GetWeaponCount());
        AddParam(block, key, values);
        table.AddWeapon(block);
        return *table.GetWeaponAt(table.GetWeaponCount() - 1);
    }

    Blocks blocks;
    WeaponTable table;
};

TEST_F(WeaponTableTest, WeaponWithoutParametersHasDefaults)
{
    table.AddWeapon(Weapon(4242));
    ASSERT_EQ(table.GetWeaponCount(), 1);
    const WeaponDef& w = *table.GetWeaponAt(0);
    EXPECT_EQ(w.id, 4242);
    EXPECT_EQ(w.shots, 1);
    EXPECT_EQ(w.category, 0);
    EXPECT_EQ(w.ammoType, -1);
    EXPECT_EQ(w.behaviour, 0);
    EXPECT_EQ(w.detonation, 0);
    EXPECT_EQ(w.type, 0);
    EXPECT_EQ(w.clip, 0);
    EXPECT_EQ(w.pickClip, 0);
    EXPECT_EQ(w.clipChange, 0);
    EXPECT_EQ(w.clipChangeMode, 0);
    EXPECT_EQ(w.damage, 0.0f);
    for (float d : w.dispersion)
        EXPECT_EQ(d, 0.0f);
    EXPECT_EQ(w.behaviourRadius, 0);
    EXPECT_EQ(w.behaviourTime, 0.0f);
    EXPECT_EQ(w.detonationTime, 0);
    EXPECT_EQ(w.range, 0.0f);
    EXPECT_EQ(w.shotInterval, 0);
    EXPECT_EQ(w.speed, 0);
    EXPECT_EQ(w.effect, 0);
    EXPECT_FALSE(w.addOnSpawn);
    EXPECT_FALSE(w.hasPickMessage);
    EXPECT_FALSE(w.hasDisplayName);
    EXPECT_FALSE(w.exploding);
    EXPECT_EQ(w.slotImage, nullptr);
    EXPECT_EQ(w.characterImage, nullptr);
    EXPECT_EQ(w.characterRow, 0);
    EXPECT_FALSE(w.hasProjectile);
    EXPECT_EQ(w.shotSound, nullptr);
    EXPECT_EQ(w.reloadSound, nullptr);
    EXPECT_EQ(w.reloadPartsSound, nullptr);
    EXPECT_EQ(w.shellSound, nullptr);
}

TEST_F(WeaponTableTest, CategoryOutsideOneToFiveIsZero)
{
    EXPECT_EQ(WeaponWith(u"w_category", {Int(5)}).category, 5);
    EXPECT_EQ(WeaponWith(u"w_category", {Int(1)}).category, 1);
    EXPECT_EQ(WeaponWith(u"w_category", {Int(6)}).category, 0);
    EXPECT_EQ(WeaponWith(u"w_category", {Int(0)}).category, 0);
    EXPECT_EQ(WeaponWith(u"w_category", {Int(-4)}).category, 0);
    EXPECT_EQ(WeaponWith(u"w_category", {Real(3.9f)}).category, 3);
    EXPECT_EQ(WeaponWith(u"w_category", {Word(u"rifle")}).category, 0);
}

TEST_F(WeaponTableTest, ShotsAreAtLeastOne)
{
    EXPECT_EQ(WeaponWith(u"w_shots", {Int(0)}).shots, 1);
    EXPECT_EQ(WeaponWith(u"w_shots", {Int(-7)}).shots, 1);
    EXPECT_EQ(WeaponWith(u"w_shots", {Int(6)}).shots, 6);
    EXPECT_EQ(WeaponWith(u"w_shots", {Real(0.5f)}).shots, 1);
}

TEST_F(WeaponTableTest, IntFieldsTruncateRealsAndKeepDefaultsForOtherTypes)
{
    EXPECT_EQ(WeaponWith(u"w_clip", {Int(30)}).clip, 30);
    EXPECT_EQ(WeaponWith(u"w_clip", {Real(7.9f)}).clip, 7);
    EXPECT_EQ(WeaponWith(u"w_clip", {Real(-7.9f)}).clip, -7);
    EXPECT_EQ(WeaponWith(u"w_clip", {Str(u"30")}).clip, 0);
    EXPECT_EQ(WeaponWith(u"w_clip", {Colour()}).clip, 0);
    EXPECT_EQ(WeaponWith(u"w_clip", {Real(1e20f)}).clip, INT_MAX);
    EXPECT_EQ(WeaponWith(u"w_pickclip", {Int(12)}).pickClip, 12);
    EXPECT_EQ(WeaponWith(u"w_type", {Int(8)}).type, 8);
    EXPECT_EQ(WeaponWith(u"w_shspeed", {Int(120)}).shotInterval, 120);
    EXPECT_EQ(WeaponWith(u"w_speed", {Real(450.5f)}).speed, 450);
    // Only the first value counts.
    EXPECT_EQ(WeaponWith(u"w_type", {Int(3), Int(9)}).type, 3);
}

TEST_F(WeaponTableTest, FloatFieldsConvertIntegers)
{
    EXPECT_EQ(WeaponWith(u"w_damage", {Int(25)}).damage, 25.0f);
    EXPECT_EQ(WeaponWith(u"w_damage", {Real(12.5f)}).damage, 12.5f);
    EXPECT_EQ(WeaponWith(u"w_damage", {Word(u"lots")}).damage, 0.0f);
    EXPECT_EQ(WeaponWith(u"w_range", {Int(10)}).range, 320.0f);
    EXPECT_EQ(WeaponWith(u"w_range", {Real(1.5f)}).range, 48.0f);
}

TEST_F(WeaponTableTest, BehaviourNeedsAWordAndTwoValues)
{
    const WeaponDef& explode = WeaponWith(u"w_behaviour", {Word(u"explode"), Int(3), Int(1500)});
    EXPECT_EQ(explode.behaviour, 0);
    EXPECT_EQ(explode.behaviourRadius, 96);
    EXPECT_FLOAT_EQ(explode.behaviourTime, 1.5f);

    const WeaponDef& fire = WeaponWith(u"w_behaviour", {Word(u"fire"), Real(1.5f), Real(250.0f)});
    EXPECT_EQ(fire.behaviour, 3);
    EXPECT_EQ(fire.behaviourRadius, 48);
    EXPECT_FLOAT_EQ(fire.behaviourTime, 0.25f);

    const WeaponDef& smoke = WeaponWith(u"w_behaviour", {Word(u"smoke"), Int(2)});
    EXPECT_EQ(smoke.behaviour, 1);
    EXPECT_EQ(smoke.behaviourRadius, 64);
    EXPECT_EQ(smoke.behaviourTime, 0.0f);

    const WeaponDef& light = WeaponWith(u"w_behaviour", {Word(u"light"), Int(1)});
    EXPECT_EQ(light.behaviour, 2);

    // One value only: nothing is read.
    const WeaponDef& single = WeaponWith(u"w_behaviour", {Word(u"fire")});
    EXPECT_EQ(single.behaviour, 0);

    // A number first: nothing is read, not even the radius.
    const WeaponDef& number = WeaponWith(u"w_behaviour", {Int(3), Int(3)});
    EXPECT_EQ(number.behaviour, 0);
    EXPECT_EQ(number.behaviourRadius, 0);

    // An unlisted word (case counts) keeps behaviour 0 but the radius is read.
    const WeaponDef& upper = WeaponWith(u"w_behaviour", {Word(u"Fire"), Int(2)});
    EXPECT_EQ(upper.behaviour, 0);
    EXPECT_EQ(upper.behaviourRadius, 64);

    const WeaponDef& huge = WeaponWith(u"w_behaviour", {Word(u"explode"), Int(100000000)});
    EXPECT_EQ(huge.behaviourRadius, INT_MAX);
}

TEST_F(WeaponTableTest, DetonationTimeIsWholeSeconds)
{
    const WeaponDef& timed = WeaponWith(u"w_detonation", {Word(u"time"), Int(2500)});
    EXPECT_EQ(timed.detonation, 1);
    EXPECT_EQ(timed.detonationTime, 2);

    const WeaponDef& realTime = WeaponWith(u"w_detonation", {Word(u"time"), Real(3999.0f)});
    EXPECT_EQ(realTime.detonationTime, 3);

    const WeaponDef& click = WeaponWith(u"w_detonation", {Word(u"click")});
    EXPECT_EQ(click.detonation, 2);
    EXPECT_EQ(click.detonationTime, 0);

    const WeaponDef& shortTime = WeaponWith(u"w_detonation", {Word(u"time"), Int(999)});
    EXPECT_EQ(shortTime.detonationTime, 0);

    const WeaponDef& notWord = WeaponWith(u"w_detonation", {Str(u"time"), Int(2500)});
    EXPECT_EQ(notWord.detonation, 0);
    EXPECT_EQ(notWord.detonationTime, 0);
}

TEST_F(WeaponTableTest, DispersionAndItsExtendedForm)
{
    const WeaponDef& two = WeaponWith(u"w_dispersion", {Real(1.5f), Real(2.5f)});
    EXPECT_EQ(two.dispersion[0], 1.5f);
    EXPECT_EQ(two.dispersion[1], 0.0f);
    EXPECT_EQ(two.dispersion[2], 0.0f);

    const WeaponDef& three = WeaponWith(u"w_dispersion", {Int(1), Real(0.5f), Int(9)});
    EXPECT_EQ(three.dispersion[0], 1.0f);
    EXPECT_EQ(three.dispersion[1], 0.5f);
    EXPECT_EQ(three.dispersion[2], 9.0f);

    ObjectResource* block = Weapon(77);
    AddParam(block, u"w_dispersion", {Real(1.0f), Real(2.0f), Real(3.0f)});
    AddParam(block, u"w_dispersion_ex", {Real(4.0f), Int(5), Real(6.0f)});
    table.AddWeapon(block);
    const WeaponDef& both = *table.FindWeapon(77);
    EXPECT_EQ(both.dispersion[0], 5.0f);
    EXPECT_EQ(both.dispersion[1], 2.0f);
    EXPECT_EQ(both.dispersion[2], 3.0f);
    EXPECT_EQ(both.dispersion[3], 4.0f);
    EXPECT_EQ(both.dispersion[4], 6.0f);

    // The extended form needs three values.
    ObjectResource* shortEx = Weapon(78);
    AddParam(shortEx, u"w_dispersion", {Real(1.0f)});
    AddParam(shortEx, u"w_dispersion_ex", {Real(4.0f), Real(5.0f)});
    table.AddWeapon(shortEx);
    const WeaponDef& ignored = *table.FindWeapon(78);
    EXPECT_EQ(ignored.dispersion[0], 1.0f);
    EXPECT_EQ(ignored.dispersion[3], 0.0f);
}

TEST_F(WeaponTableTest, ClipChangeTimeAndMode)
{
    const WeaponDef& parts = WeaponWith(u"w_clipchange", {Int(1500), Word(u"parts")});
    EXPECT_EQ(parts.clipChange, 1500);
    EXPECT_EQ(parts.clipChangeMode, 1);

    const WeaponDef& once = WeaponWith(u"w_clipchange", {Int(800), Word(u"once")});
    EXPECT_EQ(once.clipChangeMode, 0);

    const WeaponDef& alone = WeaponWith(u"w_clipchange", {Int(800)});
    EXPECT_EQ(alone.clipChange, 800);
    EXPECT_EQ(alone.clipChangeMode, 0);

    const WeaponDef& quoted = WeaponWith(u"w_clipchange", {Int(800), Str(u"parts")});
    EXPECT_EQ(quoted.clipChangeMode, 0);
}

TEST_F(WeaponTableTest, FlagsAndEffect)
{
    EXPECT_TRUE(WeaponWith(u"w_exploding", {Int(1)}).exploding);
    EXPECT_FALSE(WeaponWith(u"w_exploding", {Real(1.0f)}).exploding);
    EXPECT_FALSE(WeaponWith(u"w_exploding", {Int(2)}).exploding);

    EXPECT_TRUE(WeaponWith(u"w_addonspawn", {Int(1)}).addOnSpawn);
    EXPECT_TRUE(WeaponWith(u"w_addonspawn", {Real(1.0f)}).addOnSpawn);
    EXPECT_FALSE(WeaponWith(u"w_addonspawn", {Int(2)}).addOnSpawn);

    // The smoke effect reaches the record: the missile's trail follows it.
    EXPECT_EQ(WeaponWith(u"w_effect", {Word(u"smoke")}).effect, 1);
    EXPECT_EQ(WeaponWith(u"w_effect", {Word(u"none")}).effect, 0);
    EXPECT_EQ(WeaponWith(u"w_effect", {Str(u"smoke")}).effect, 0);
}

TEST_F(WeaponTableTest, PickMessageAndDisplayNameOnlyFromStrings)
{
    ObjectResource* block = Weapon(90);
    AddParam(block, u"w_pickmsg", {Str(u"Picked up a rifle")});
    AddParam(block, u"w_dispname", {Str(u"")});
    table.AddWeapon(block);
    const WeaponDef& w = *table.FindWeapon(90);
    EXPECT_TRUE(w.hasPickMessage);
    EXPECT_EQ(w.pickMessage, u"Picked up a rifle");
    EXPECT_TRUE(w.hasDisplayName);
    EXPECT_EQ(w.displayName, u"");

    const WeaponDef& word = WeaponWith(u"w_pickmsg", {Word(u"rifle")});
    EXPECT_FALSE(word.hasPickMessage);
    EXPECT_TRUE(word.pickMessage.empty());
}

TEST_F(WeaponTableTest, ImagesByTypeWordAndSoundsByLinkIndex)
{
    FakeTexture slotTexture;
    FakeTexture characterTexture;
    ObjectResource* block = Weapon(91);
    GraphicsResource* slot = blocks.manager.CreateGraphicsResource(&slotTexture, 0, 0, 32, 32);
    slot->SetFileNameA("slot");
    GraphicsResource* character = blocks.manager.CreateGraphicsResource(&characterTexture, 0, 0, 32, 32);
    character->SetFileNameA("character");
    character->SetRow(3);
    GraphicsResource* projectile = blocks.manager.CreateGraphicsResource(nullptr, 0, 0, 8, 8);
    projectile->SetFileNameA("projectile");
    block->AddGraphicsLink(slot);
    block->AddGraphicsLink(character);
    block->AddGraphicsLink(projectile);

    SoundResource* sounds[5];
    for (SoundResource*& s : sounds)
        s = blocks.manager.CreateSoundResource();
    block->AddIndexedLink(sounds[0], 2);
    block->AddIndexedLink(sounds[1], 6);
    block->AddIndexedLink(sounds[2], 7);
    block->AddIndexedLink(sounds[3], 13);
    block->AddIndexedLink(sounds[4], 3);
    table.AddWeapon(block);

    const WeaponDef& w = *table.FindWeapon(91);
    EXPECT_EQ(w.slotImage, &slotTexture);
    EXPECT_EQ(w.characterImage, &characterTexture);
    EXPECT_EQ(w.characterRow, 3);
    EXPECT_TRUE(w.hasProjectile);
    EXPECT_EQ(w.shotSound, static_cast<IResource*>(sounds[0]));
    EXPECT_EQ(w.reloadSound, static_cast<IResource*>(sounds[1]));
    EXPECT_EQ(w.reloadPartsSound, static_cast<IResource*>(sounds[2]));
    EXPECT_EQ(w.shellSound, static_cast<IResource*>(sounds[3]));
}

TEST_F(WeaponTableTest, AmmoTypesAndPickups)
{
    ObjectResource* def = blocks.Make(ResourceClass::AmmoDef, 300, "shells");
    AddParam(def, u"a_maxammo", {Int(40)});
    ObjectResource* single = blocks.Make(ResourceClass::Ammo, 301);
    AddParam(single, u"a_type", {Str(u"shells")});
    AddParam(single, u"a_add", {Int(8)});
    ObjectResource* pair = blocks.Make(ResourceClass::Ammo, 302);
    AddParam(pair, u"a_type", {Str(u"shells")});
    AddParam(pair, u"a_add", {Int(7), Int(12)});
    ObjectResource* empty = blocks.Make(ResourceClass::AmmoDef, 303);
    blocks.manager.BuildIndex();

    table.AddAmmoType(def);
    table.AddAmmoType(empty);
    table.AddAmmoPickup(single);
    table.AddAmmoPickup(pair);

    ASSERT_EQ(table.GetAmmoTypeCount(), 2);
    EXPECT_EQ(table.GetAmmoTypeAt(0)->id, 300);
    EXPECT_EQ(table.GetAmmoTypeAt(0)->maxAmmo, 40);
    EXPECT_EQ(table.GetAmmoTypeAt(1)->maxAmmo, 0);
    ASSERT_EQ(table.GetAmmoPickupCount(), 2);
    EXPECT_EQ(table.GetAmmoPickupAt(0)->amount, 0);
    EXPECT_EQ(table.GetAmmoPickupAt(0)->ammoType, 300);
    EXPECT_EQ(table.GetAmmoPickupAt(1)->amount, 12);
    EXPECT_EQ(table.GetPickupMaxAmmo(302), 40);
    EXPECT_EQ(table.GetPickupMaxAmmo(999), 0);
}

// A graphics or another block made earlier under the same name must not
// stand in for the ammunition type.
TEST_F(WeaponTableTest, AmmoNamesResolveToAmmoTypesOnly)
{
    GraphicsResource* image = blocks.manager.CreateGraphicsResource(nullptr, 0, 0, 4, 4);
    image->SetId(111);
    image->SetNameA("9mm");
    blocks.Make(ResourceClass::Item, 112, "9mm");
    blocks.Make(ResourceClass::AmmoDef, 113, "9mm");
    blocks.Make(ResourceClass::AmmoDef, 114, "9mm");
    blocks.Make(ResourceClass::Item, 115, "grenades");
    ObjectResource* weapon = Weapon(200);
    AddParam(weapon, u"w_ammotype", {Str(u"9mm")});
    ObjectResource* pickup = blocks.Make(ResourceClass::Ammo, 201);
    AddParam(pickup, u"a_type", {Str(u"9mm")});
    blocks.manager.BuildIndex();

    table.AddWeapon(weapon);
    table.AddAmmoPickup(pickup);
    EXPECT_EQ(table.FindWeapon(200)->ammoType, 113);
    EXPECT_EQ(table.FindAmmoPickup(201)->ammoType, 113);

    EXPECT_EQ(WeaponWith(u"w_ammotype", {Str(u"grenades")}).ammoType, -1);
    EXPECT_EQ(WeaponWith(u"w_ammotype", {Str(u"unknown")}).ammoType, -1);
    EXPECT_EQ(WeaponWith(u"w_ammotype", {Str(u"9MM")}).ammoType, -1);
    EXPECT_EQ(WeaponWith(u"w_ammotype", {Word(u"9mm")}).ammoType, -1);
    EXPECT_EQ(WeaponWith(u"w_ammotype", {Str(u"")}).ammoType, -1);
}

TEST_F(WeaponTableTest, QueriesAnswerDefaultsForUnknownIds)
{
    ObjectResource* block = Weapon(500);
    AddParam(block, u"w_type", {Int(2)});
    AddParam(block, u"w_category", {Int(4)});
    AddParam(block, u"w_clip", {Int(3)});
    AddParam(block, u"w_clipchange", {Int(2500)});
    table.AddWeapon(block);
    table.AddWeapon(Weapon(501));

    EXPECT_EQ(table.FindWeapon(500)->id, 500);
    EXPECT_EQ(table.GetWeaponClass(500), 2);
    EXPECT_EQ(table.GetWeaponCategory(500), 4);
    EXPECT_EQ(table.GetClipSize(500), 3);
    EXPECT_FLOAT_EQ(table.GetClipChangeTime(500), 2.5f);
    EXPECT_FLOAT_EQ(table.GetClipChangeTime(501), 0.0f);

    EXPECT_EQ(table.FindWeapon(-1), nullptr);
    EXPECT_EQ(table.FindWeapon(502), nullptr);
    EXPECT_EQ(table.GetWeaponClass(502), 0);
    EXPECT_EQ(table.GetWeaponCategory(502), 0);
    EXPECT_EQ(table.GetClipSize(502), 0);
    EXPECT_FLOAT_EQ(table.GetClipChangeTime(502), 1.0f);
    EXPECT_EQ(table.FindAmmoType(502), nullptr);
    EXPECT_EQ(table.FindAmmoPickup(502), nullptr);
}

TEST_F(WeaponTableTest, PickupWithUnresolvedTypeHasNoMaximum)
{
    blocks.Make(ResourceClass::AmmoDef, 600, "");
    ObjectResource* pickup = blocks.Make(ResourceClass::Ammo, 601);
    AddParam(pickup, u"a_type", {Str(u"nothing")});
    blocks.manager.BuildIndex();
    table.AddAmmoPickup(pickup);
    EXPECT_EQ(table.FindAmmoPickup(601)->ammoType, -1);
    EXPECT_EQ(table.GetPickupMaxAmmo(601), 0);
}

TEST_F(WeaponTableTest, ManagerAppendsRecordsInResourceOrder)
{
    blocks.Make(ResourceClass::Weapon, 10);
    blocks.Make(ResourceClass::AmmoDef, 11, "a");
    blocks.Make(ResourceClass::Item, 12);
    blocks.Make(ResourceClass::Ammo, 13);
    blocks.Make(ResourceClass::Weapon, 14);
    blocks.Make(ResourceClass::AmmoDef, 15, "b");
    blocks.manager.BuildIndex();

    EXPECT_TRUE(blocks.manager.ApplyItemDefinitions(&table));
    ASSERT_EQ(table.GetWeaponCount(), 2);
    EXPECT_EQ(table.GetWeaponAt(0)->id, 10);
    EXPECT_EQ(table.GetWeaponAt(1)->id, 14);
    ASSERT_EQ(table.GetAmmoTypeCount(), 2);
    EXPECT_EQ(table.GetAmmoTypeAt(0)->id, 11);
    EXPECT_EQ(table.GetAmmoTypeAt(1)->id, 15);
    ASSERT_EQ(table.GetAmmoPickupCount(), 1);
    EXPECT_EQ(table.GetAmmoPickupAt(0)->id, 13);
}

} // namespace
