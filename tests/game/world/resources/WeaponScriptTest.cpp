#include "engine/files/FileManager.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/resources/WeaponTable.h"
#include "platform/ui/Ui.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int messageCount = 0;

Ui::Answer CountMessage(const char16_t*, const char16_t*, Ui::Icon, Ui::Buttons)
{
    ++messageCount;
    return Ui::Answer::Ok;
}

// A script as the data set writes it, read by the parser and turned into
// records by the manager: the names of the keys and the stored value types
// must agree between the two.
TEST(WeaponScriptTest, ScriptBlocksBecomeRecords)
{
    const std::string text = "item 1000 \"9mm\" ( parameter(health, 5) )\n"
                             "ammodef 1001 \"9mm\" ( parameter(a_maxammo, 120) )\n"
                             "ammo 1002 \"9mm box\" ( parameter(a_type, \"9mm\") parameter(a_add, 1, 30) )\n"
                             "weapon 1003 \"pistol\" (\n"
                             "  parameter(w_category, 1)\n"
                             "  parameter(w_ammotype, \"9mm\")\n"
                             "  parameter(w_clip, 12)\n"
                             "  parameter(w_shots, 0)\n"
                             "  parameter(w_clipchange, 1500, parts)\n"
                             "  parameter(w_behaviour, explode, 3, 1500)\n"
                             "  parameter(w_detonation, time, 2500)\n"
                             "  parameter(w_range, 10)\n"
                             "  parameter(w_dispersion, 1.5, 2.5)\n"
                             "  parameter(w_exploding, 1.0)\n"
                             "  parameter(w_addonspawn, 1)\n"
                             "  parameter(w_effect, smoke)\n"
                             "  parameter(w_pickmsg, \"You got a pistol\")\n"
                             ")\n";
    TestSupport::TempDir dir;
    TestSupport::ScopedChdir cd(dir.Path());
    TestSupport::WriteAll(dir.File("items.cfg"), text.data(), text.size());
    messageCount = 0;
    Ui::SetMessageBackend(CountMessage);

    FileManager files;
    ResourceManager manager(nullptr, nullptr, nullptr);
    {
        ResourceScript script(&manager, &files);
        EXPECT_TRUE(script.Load(u"items.cfg"));
    }
    Ui::SetMessageBackend(nullptr);
    EXPECT_EQ(messageCount, 0);
    manager.BuildIndex();
    WeaponTable table(nullptr, &manager);
    EXPECT_TRUE(manager.ApplyItemDefinitions(&table));

    ASSERT_EQ(table.GetAmmoTypeCount(), 1);
    EXPECT_EQ(table.GetAmmoTypeAt(0)->maxAmmo, 120);
    ASSERT_EQ(table.GetAmmoPickupCount(), 1);
    EXPECT_EQ(table.GetAmmoPickupAt(0)->ammoType, 1001);
    EXPECT_EQ(table.GetAmmoPickupAt(0)->amount, 30);
    EXPECT_EQ(table.GetPickupMaxAmmo(1002), 120);

    ASSERT_EQ(table.GetWeaponCount(), 1);
    const WeaponDef& w = *table.GetWeaponAt(0);
    EXPECT_EQ(w.id, 1003);
    EXPECT_EQ(w.category, 1);
    EXPECT_EQ(w.ammoType, 1001);
    EXPECT_EQ(w.clip, 12);
    EXPECT_EQ(w.shots, 1);
    EXPECT_EQ(w.clipChange, 1500);
    EXPECT_EQ(w.clipChangeMode, 1);
    EXPECT_EQ(w.behaviour, 0);
    EXPECT_EQ(w.behaviourRadius, 96);
    EXPECT_FLOAT_EQ(w.behaviourTime, 1.5f);
    EXPECT_EQ(w.detonation, 1);
    EXPECT_EQ(w.detonationTime, 2);
    EXPECT_EQ(w.range, 320.0f);
    EXPECT_EQ(w.dispersion[0], 1.5f);
    EXPECT_EQ(w.dispersion[1], 0.0f);
    EXPECT_FALSE(w.exploding);
    EXPECT_TRUE(w.addOnSpawn);
    EXPECT_EQ(w.effect, 1);
    EXPECT_TRUE(w.hasPickMessage);
    EXPECT_EQ(w.pickMessage, u"You got a pistol");
    EXPECT_FLOAT_EQ(table.GetClipChangeTime(1003), 1.5f);
}

} // namespace
