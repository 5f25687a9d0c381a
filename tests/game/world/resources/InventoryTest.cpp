#include "WeaponTestSupport.h"

#include "game/world/resources/Inventory.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/WeaponTable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace weapontest;

namespace {

enum : int {
    kRifle = 1001,
    kPistol = 1002,
    kGrenade = 1003,
    kMine = 1004,
    kDetonator = 1005,
    kSmg = 1006,
    kCarbine = 1007,
    kRifleAmmo = 2001,
    kPistolAmmo = 2002,
    kGrenadeAmmo = 2003,
};

class InventoryTest : public ::testing::Test {
protected:
    InventoryTest() : table(nullptr, &blocks.manager), inventory(&table, &engine)
    {
        AmmoType(kRifleAmmo, "rifle_ammo", 50);
        AmmoType(kPistolAmmo, "pistol_ammo", 30);
        AmmoType(kGrenadeAmmo, "grenade_ammo", 5);
        Weapon(kRifle, 2, 0, u"rifle_ammo", 8);
        Weapon(kPistol, 1, 0, u"pistol_ammo", 12);
        Weapon(kGrenade, 4, 1, u"grenade_ammo", 1);
        Weapon(kMine, 4, 2, u"grenade_ammo", 1);
        Weapon(kDetonator, 5, 8, nullptr, 1);
        Weapon(kSmg, 2, 0, u"rifle_ammo", 20);
        Weapon(kCarbine, 2, 0, u"rifle_ammo", 10);
        blocks.manager.BuildIndex();
        EXPECT_TRUE(blocks.manager.ApplyItemDefinitions(&table));
    }

    void AmmoType(int id, const char* name, int maxAmmo)
    {
        ObjectResource* block = blocks.Make(ResourceClass::AmmoDef, id, name);
        AddParam(block, u"a_maxammo", {Int(maxAmmo)});
    }

    void Weapon(int id, int category, int type, const char16_t* ammo, int clip)
    {
        ObjectResource* block = blocks.Make(ResourceClass::Weapon, id);
        AddParam(block, u"w_category", {Int(category)});
        AddParam(block, u"w_type", {Int(type)});
        AddParam(block, u"w_clip", {Int(clip)});
        if (ammo)
            AddParam(block, u"w_ammotype", {Str(ammo)});
    }

    void Carry(std::initializer_list<int> ids)
    {
        for (int id : ids)
            inventory.SetWeapon(id, 1, 0);
    }

    int Amount(int type)
    {
        Inventory::AmmoEntry* entry = inventory.FindAmmo(type);
        return entry ? entry->amount : -12345;
    }

    std::pair<int, int> ClipAndAmmo(int id)
    {
        int ammo = -1, clip = -1;
        EXPECT_TRUE(inventory.GetWeaponAmmo(id, &ammo, &clip)) << id;
        return {clip, ammo};
    }

    Blocks blocks;
    WeaponTable table;
    RecordingEngine engine;
    Inventory inventory;
};

TEST_F(InventoryTest, EntriesTakeTheirDefinition)
{
    Inventory::WeaponEntry* rifle = inventory.FindWeapon(kRifle, true);
    ASSERT_NE(rifle, nullptr);
    EXPECT_EQ(rifle->category, 2);
    EXPECT_EQ(rifle->ammoType, kRifleAmmo);
    EXPECT_EQ(rifle->clip, 0);
    EXPECT_EQ(inventory.FindWeapon(kRifle, true), rifle);
    EXPECT_EQ(inventory.GetWeaponCount(), 1);

    EXPECT_EQ(inventory.FindWeapon(kPistol, false), nullptr);
    EXPECT_FALSE(inventory.HasWeapon(kPistol));

    Inventory::WeaponEntry* unknown = inventory.FindWeapon(777, true);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->category, 0);
    EXPECT_EQ(unknown->type, 0);
    EXPECT_EQ(unknown->ammoType, -1);
    // Clip size 0 without a definition: everything moves to ammunition,
    // which has no maximum either.
    EXPECT_TRUE(inventory.AddAmmo(777, 5, 3));
    EXPECT_EQ(unknown->clip, 0);
    EXPECT_EQ(Amount(-1), 0);
}

TEST_F(InventoryTest, AddAmmoMovesClipOverflowToAmmunitionUpToTheMaximum)
{
    EXPECT_TRUE(inventory.AddAmmo(kRifle, 12, 0));
    EXPECT_EQ(ClipAndAmmo(kRifle), std::make_pair(8, 4));
    inventory.AddAmmo(kRifle, 3, 40);
    EXPECT_EQ(ClipAndAmmo(kRifle), std::make_pair(8, 47));
    inventory.AddAmmo(kRifle, 0, 100);
    EXPECT_EQ(ClipAndAmmo(kRifle), std::make_pair(8, 50));

    // The smg shares the rifle's ammunition.
    inventory.AddAmmo(kSmg, 5, 0);
    EXPECT_EQ(ClipAndAmmo(kSmg), std::make_pair(5, 50));

    // Hostile sizes saturate instead of wrapping round.
    inventory.AddAmmo(kPistol, 0x7fffffff, 0x7fffffff);
    EXPECT_EQ(ClipAndAmmo(kPistol), std::make_pair(12, 30));
}

TEST_F(InventoryTest, SetWeaponReportsNewWeaponsAndSetsAmmunition)
{
    EXPECT_TRUE(inventory.SetWeapon(kPistol, 7, 99));
    EXPECT_FALSE(inventory.SetWeapon(kPistol, 3, 9));
    EXPECT_EQ(ClipAndAmmo(kPistol), std::make_pair(3, 9));
    EXPECT_EQ(inventory.GetWeaponCount(), 1);
    EXPECT_EQ(inventory.GetAmmoCount(), 1);

    int ammo = 5, clip = 5;
    EXPECT_FALSE(inventory.GetWeaponAmmo(kRifle, &ammo, &clip));
    EXPECT_EQ(ammo, 0);
    EXPECT_EQ(clip, 0);
}

TEST_F(InventoryTest, FindUsableWeaponTakesTheLastLoadedOneButNotTheDetonator)
{
    EXPECT_EQ(inventory.FindUsableWeapon(), -1);
    inventory.SetWeapon(kRifle, 0, 0);
    inventory.SetWeapon(kPistol, 0, 0);
    inventory.SetWeapon(kDetonator, 1, 0);
    EXPECT_EQ(inventory.FindUsableWeapon(), -1);

    inventory.SetWeapon(kRifle, 0, 10);
    EXPECT_EQ(inventory.FindUsableWeapon(), kRifle);
    inventory.SetWeapon(kPistol, 2, 0);
    EXPECT_EQ(inventory.FindUsableWeapon(), kPistol);
    inventory.SetWeapon(kPistol, 0, 0);
    EXPECT_EQ(inventory.FindUsableWeapon(), kRifle);
}

TEST_F(InventoryTest, CountExplosivesCountsSharedAmmunitionOnce)
{
    inventory.SetWeapon(kGrenade, 1, 3);
    inventory.SetWeapon(kMine, 1, 3);
    inventory.SetWeapon(kRifle, 8, 40);
    EXPECT_EQ(inventory.CountExplosives(), 5);

    // An explosive whose ammunition has no entry yet gets one.
    Inventory empty(&table, &engine);
    empty.FindWeapon(kGrenade, true)->clip = 2;
    EXPECT_EQ(empty.GetAmmoCount(), 0);
    EXPECT_EQ(empty.CountExplosives(), 2);
    EXPECT_EQ(empty.GetAmmoCount(), 1);
}

TEST_F(InventoryTest, CountExplosivesConsidersAtMostAHundredAmmunitionTypes)
{
    Blocks many;
    WeaponTable manyTable(nullptr, &many.manager);
    for (int i = 0; i < 150; ++i) {
        const std::string name = "type" + std::to_string(i);
        many.Make(ResourceClass::AmmoDef, 100 + i, name.c_str());
        ObjectResource* weapon = many.Make(ResourceClass::Weapon, 1000 + i);
        AddParam(weapon, u"w_category", {Int(4)});
        const std::u16string wide(name.begin(), name.end());
        AddParam(weapon, u"w_ammotype", {Str(wide.c_str())});
    }
    many.manager.BuildIndex();
    many.manager.ApplyItemDefinitions(&manyTable);
    Inventory explosives(&manyTable, &engine);
    for (int i = 0; i < 150; ++i)
        explosives.SetWeapon(1000 + i, 1, 10);
    EXPECT_EQ(explosives.CountExplosives(), 150 + 100 * 10);
}

TEST_F(InventoryTest, ListsAreBounded)
{
    Inventory bare(nullptr, &engine);
    for (int id = 0; id < 300; ++id)
        bare.SetWeapon(id, 1, 1);
    EXPECT_EQ(bare.GetWeaponCount(), Inventory::kMinWeaponLimit);
    EXPECT_EQ(bare.FindWeapon(5000, true), nullptr);
    EXPECT_FALSE(bare.SetWeapon(5000, 1, 1));
    EXPECT_FALSE(bare.AddAmmo(5000, 1, 1));
    EXPECT_FALSE(bare.HasWeapon(5000));
    EXPECT_TRUE(bare.HasWeapon(255));

    for (int type = 0; type < 300; ++type)
        bare.FindAmmo(type);
    EXPECT_EQ(bare.GetAmmoCount(), Inventory::kMinAmmoLimit);
    EXPECT_EQ(bare.FindAmmo(9999), nullptr);
    ASSERT_NE(bare.FindAmmo(10), nullptr);

    // A room freed is usable again.
    EXPECT_TRUE(bare.RemoveWeapon(3));
    EXPECT_TRUE(bare.SetWeapon(5000, 1, 1));

    // A table larger than the floor raises the limit to its size.
    Blocks many;
    WeaponTable manyTable(nullptr, &many.manager);
    for (int i = 0; i < 300; ++i)
        manyTable.AddWeapon(many.Make(ResourceClass::Weapon, 1000 + i));
    Inventory large(&manyTable, &engine);
    for (int i = 0; i < 300; ++i)
        EXPECT_TRUE(large.SetWeapon(1000 + i, 0, 0));
    EXPECT_EQ(large.GetWeaponLimit(), 300);
    EXPECT_FALSE(large.SetWeapon(2000, 0, 0));
}

TEST_F(InventoryTest, ClearAndRemove)
{
    Carry({kRifle, kGrenade});
    inventory.SelectWeapon(kRifle);
    inventory.SelectWeapon(kGrenade);
    inventory.CycleWeapon(2);
    EXPECT_FALSE(inventory.RemoveWeapon(kPistol));
    EXPECT_TRUE(inventory.RemoveWeapon(kGrenade));
    EXPECT_FALSE(inventory.HasWeapon(kGrenade));

    inventory.Clear();
    EXPECT_EQ(inventory.GetWeaponCount(), 0);
    EXPECT_EQ(inventory.GetAmmoCount(), 0);
    EXPECT_EQ(inventory.GetSelectedWeapon(), -1);
    EXPECT_EQ(inventory.GetSelectedExplosive(), -1);
    EXPECT_EQ(inventory.GetCurrentWeapon(), -1);
    EXPECT_EQ(inventory.GetCurrentCategory(), 0);
    EXPECT_EQ(inventory.GetRepeatTimer(), 0.0f);

    inventory.SetCurrentWeapon(kRifle);
    EXPECT_EQ(inventory.GetCurrentWeapon(), -1);
}

TEST_F(InventoryTest, HeldCycleKeyMovesOncePerHalfSecondStartingAtOnce)
{
    Carry({kRifle, kPistol, kSmg, kGrenade});
    std::vector<int> seen;
    for (int frame = 0; frame < 12; ++frame)
        seen.push_back(inventory.CycleWeapon(2));
    const std::vector<int> expected = {kRifle, kRifle, kRifle, kRifle, kSmg,   kSmg,
                                       kSmg,   kSmg,   kRifle, kRifle, kRifle, kRifle};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(inventory.GetCurrentCategory(), 2);
}

TEST_F(InventoryTest, ANewCategoryStartsFromItsFirstWeapon)
{
    Carry({kRifle, kPistol, kSmg, kGrenade, kMine});
    engine.frameTime = 1.0f;
    EXPECT_EQ(inventory.CycleWeapon(2), kRifle);
    EXPECT_EQ(inventory.CycleWeapon(2), kSmg);
    // Even with the repeat timer running the change moves at once.
    engine.frameTime = 0.0f;
    EXPECT_EQ(inventory.CycleWeapon(1), kPistol);
    EXPECT_EQ(inventory.CycleWeapon(1), kPistol);
    engine.frameTime = 1.0f;
    EXPECT_EQ(inventory.CycleWeapon(1), kPistol);
    EXPECT_EQ(inventory.CycleWeapon(2), kRifle);
    EXPECT_EQ(inventory.CycleWeapon(4), kGrenade);
    EXPECT_EQ(inventory.CycleWeapon(4), kMine);
    EXPECT_EQ(inventory.CycleWeapon(4), kGrenade);
    EXPECT_EQ(inventory.CycleWeapon(3), -1);
    EXPECT_EQ(inventory.GetCurrentCategory(), 3);
}

TEST_F(InventoryTest, CategoryZeroCyclesEverythingButExplosives)
{
    Carry({kGrenade, kRifle, kMine, kPistol});
    engine.frameTime = 1.0f;
    EXPECT_EQ(inventory.CycleWeapon(0), kRifle);
    EXPECT_EQ(inventory.CycleWeapon(0), kPistol);
    EXPECT_EQ(inventory.CycleWeapon(0), kRifle);
    EXPECT_EQ(inventory.GetCurrentCategory(), 0);
}

TEST_F(InventoryTest, CyclePreviousStepsBackOverNonExplosives)
{
    engine.frameTime = 1.0f;
    EXPECT_EQ(inventory.CyclePrevious(), -1);
    Carry({kRifle, kGrenade, kPistol, kMine});
    EXPECT_EQ(inventory.CyclePrevious(), kPistol);
    EXPECT_EQ(inventory.CyclePrevious(), kRifle);
    EXPECT_EQ(inventory.CyclePrevious(), kPistol);

    // The same repeat timer: three frames wait, the fourth moves.
    engine.frameTime = 0.125f;
    EXPECT_EQ(inventory.CyclePrevious(), kPistol);
    EXPECT_EQ(inventory.CyclePrevious(), kPistol);
    EXPECT_EQ(inventory.CyclePrevious(), kPistol);
    EXPECT_EQ(inventory.CyclePrevious(), kRifle);
}

TEST_F(InventoryTest, SelectWeaponSeparatesExplosivesFromWeapons)
{
    Carry({kRifle, kGrenade});
    inventory.SelectWeapon(kRifle);
    EXPECT_EQ(inventory.GetSelectedWeapon(), kRifle);
    EXPECT_EQ(inventory.GetLastSelectedCategory(), 2);

    inventory.SelectWeapon(kGrenade);
    EXPECT_EQ(inventory.GetSelectedExplosive(), kGrenade);
    EXPECT_EQ(inventory.GetSelectedWeapon(), kRifle);
    EXPECT_EQ(inventory.GetLastSelectedCategory(), 2);

    // Known but not carried: the category is remembered, nothing selected.
    inventory.SelectWeapon(kPistol);
    EXPECT_EQ(inventory.GetSelectedWeapon(), -1);
    EXPECT_EQ(inventory.GetLastSelectedCategory(), 1);
    EXPECT_EQ(inventory.GetSelectedExplosive(), kGrenade);

    inventory.SelectWeapon(kRifle);
    inventory.SelectWeapon(-1);
    EXPECT_EQ(inventory.GetSelectedWeapon(), -1);
    EXPECT_EQ(inventory.GetLastSelectedCategory(), 2);

    inventory.SelectWeapon(9999);
    EXPECT_EQ(inventory.GetLastSelectedCategory(), 0);
}

TEST_F(InventoryTest, CyclingAWeaponClassStartsFromTheSelectedWeapon)
{
    Carry({kRifle, kSmg, kCarbine, kGrenade, kMine});
    engine.frameTime = 1.0f;
    inventory.SelectWeapon(kSmg);
    EXPECT_EQ(inventory.CycleWeaponClass(2), kCarbine);
    EXPECT_EQ(inventory.GetCurrentCategory(), 2);

    // Explosives do not start from the selected weapon.
    inventory.SelectWeapon(kRifle);
    EXPECT_EQ(inventory.CycleWeaponClass(4), kGrenade);
    EXPECT_EQ(inventory.CycleWeaponClass(4), kMine);

    inventory.SelectWeapon(kCarbine);
    EXPECT_EQ(inventory.CycleWeaponClass(2), kRifle);

    // A selection that is no longer carried leaves the current one.
    inventory.SelectWeapon(kCarbine);
    inventory.RemoveWeapon(kCarbine);
    EXPECT_EQ(inventory.CycleWeaponClass(2), kSmg);
}

TEST_F(InventoryTest, CycleExplosiveStepsBackFromTheSelectedWeapon)
{
    Carry({kRifle, kSmg, kPistol, kGrenade});
    engine.frameTime = 1.0f;
    inventory.SelectWeapon(kSmg);
    EXPECT_EQ(inventory.CycleExplosive(), kRifle);
    EXPECT_EQ(inventory.GetCurrentCategory(), 2);

    inventory.SelectWeapon(-1);
    EXPECT_EQ(inventory.CycleExplosive(), kPistol);
}

} // namespace
