#include "LiveAllocations.h"

#include "game/world/resources/BlockResource.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/SoundResource.h"
#include "game/world/resources/WeaponTable.h"
#include "support-game/FakeResourceHost.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A manager with no host over a recording engine.
struct BareManager : testing::Test {
    RecordingEngine engine;
    ResourceManager m{nullptr, &engine, nullptr};
};
using ResourceManagerIds = BareManager;
using ResourceManagerLookups = BareManager;
using ResourceManagerFactories = BareManager;
using ResourceManagerItems = BareManager;

} // namespace

TEST_F(ResourceManagerIds, TileIdsAvoidTheEmptyCellAndEveryPendingId)
{
    std::set<int> seen;
    for (int i = 0; i < 10000; ++i) {
        const int id = m.NewId(true);
        ASSERT_GE(id, 0);
        ASSERT_LE(id, 0x3ffff);
        ASSERT_NE(id, kNoTile);
        ASSERT_TRUE(seen.insert(id).second) << "id " << id << " was held by a pending resource";
        m.CreateObjectResource(ResourceClass::Floor)->SetId(id);
    }
}

TEST_F(ResourceManagerIds, OtherIdsHaveTheLow18BitsZero)
{
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int id = m.NewId(false);
        ASSERT_GE(id, 0);
        ASSERT_EQ(id & 0x3ffff, 0);
        ASSERT_TRUE(seen.insert(id).second);
        m.CreateObjectResource(ResourceClass::Tree)->SetId(id);
    }
}

TEST_F(ResourceManagerIds, ExhaustedIdSpaceGivesMinusOne)
{
    for (int k = 0; k < 0x2000; ++k)
        m.CreateSoundResource()->SetId(k << 18);
    EXPECT_EQ(m.NewId(false), kNoId);
    // Tile ids are another space.
    EXPECT_NE(m.NewId(true), kNoId);
}

TEST_F(ResourceManagerIds, LastFreeTileIdIsFoundAndThenTheSpaceIsFull)
{
    const int spare = 0x12345;
    for (int id = 0; id < kNoTile; ++id)
        if (id != spare)
            m.CreateSoundResource()->SetId(id);
    EXPECT_EQ(m.NewId(true), spare);
    m.CreateSoundResource()->SetId(spare);
    EXPECT_EQ(m.NewId(true), kNoId) << "0x3ffff is never handed out";
}

TEST_F(ResourceManagerIds, IndexedIdsAreTakenToo)
{
    for (int k = 0; k < 0x1fff; ++k)
        m.CreateSoundResource()->SetId(k << 18);
    m.BuildIndex();
    EXPECT_EQ(m.NewId(false), 0x1fff << 18);
}

TEST_F(ResourceManagerIds, IdsGivenAtOnceAreDistinctUntilTheSpaceIsFull)
{
    for (int k = 2; k < 0x2000; ++k)
        m.CreateSoundResource()->SetId(k << 18);
    m.CreateObjectResource(ResourceClass::Floor)->SetId(7);
    std::vector<IResource*> fresh;
    bool tiles[3003];
    for (int i = 0; i < 3003; ++i) {
        fresh.push_back(m.CreateObjectResource(i < 3 ? ResourceClass::Tree : ResourceClass::Floor));
        tiles[i] = i >= 3;
    }
    m.AssignNewIds(fresh.data(), tiles, 3003);
    std::set<int> objects, tileIds;
    for (int i = 0; i < 3; ++i)
        objects.insert(fresh[size_t(i)]->GetId());
    EXPECT_EQ(objects, (std::set<int>{kNoId, 0, 1 << 18})); // two were free
    for (size_t i = 3; i < fresh.size(); ++i) {
        int id = fresh[i]->GetId();
        EXPECT_TRUE(id >= 0 && id < kNoTile && id != 7) << id;
        tileIds.insert(id);
    }
    EXPECT_EQ(tileIds.size(), 3000u);
}

TEST_F(ResourceManagerLookups, ByIdByNameAndContainsFollowPendingThenIndex)
{
    ObjectResource* unnamed = m.CreateObjectResource(ResourceClass::Tree);
    ObjectResource* first = m.CreateObjectResource(ResourceClass::Tree);
    ObjectResource* second = m.CreateObjectResource(ResourceClass::Plant);
    first->SetNameA("twin");
    second->SetNameA("twin");
    first->SetId(1 << 18);
    second->SetId(1 << 18);

    EXPECT_EQ(unnamed->GetId(), kNoId);
    EXPECT_EQ(m.GetById(kNoId), nullptr) << "even though a resource has the id -1";
    EXPECT_EQ(m.GetById(1 << 18), first);
    EXPECT_EQ(m.GetByName(u"twin"), first);
    EXPECT_EQ(m.GetByName(u""), nullptr) << "unnamed resources are skipped";
    EXPECT_EQ(m.GetByName(nullptr), nullptr);
    EXPECT_TRUE(m.Contains(second));
    EXPECT_FALSE(m.Contains(nullptr));
    EXPECT_EQ(m.GetCount(), 3);

    m.BuildIndex();
    EXPECT_EQ(m.GetCount(), 3);
    EXPECT_EQ(m.GetPendingCount(), 0);
    ObjectResource* late = m.CreateObjectResource(ResourceClass::Lamp);
    late->SetId(7 << 18);
    late->SetNameA("late");
    EXPECT_EQ(m.GetById(7 << 18), nullptr);
    EXPECT_EQ(m.GetByName(u"late"), nullptr);
    EXPECT_FALSE(m.Contains(late));
    EXPECT_EQ(m.GetById(1 << 18), first);
    EXPECT_EQ(m.GetCount(), 3);
    EXPECT_EQ(m.GetPendingCount(), 1);
}

TEST_F(ResourceManagerLookups, PositionsIdsAndClassesStayInRange)
{
    m.CreateObjectResource(ResourceClass::Door)->SetId(3 << 18);
    m.CreateBlockResource(nullptr, 0)->SetId(42);

    EXPECT_EQ(m.GetAt(0), nullptr) << "no index yet";
    EXPECT_EQ(m.GetIndexOfId(42), 0);
    EXPECT_EQ(m.GetIdAt(1), 42);
    EXPECT_EQ(m.GetIdAt(2), kNoTile);
    EXPECT_EQ(m.GetIdAt(-1), kNoTile);
    EXPECT_EQ(m.GetClassAt(0), ResourceClass::Door);
    EXPECT_EQ(m.GetClassAt(2), ResourceClass::Floor) << "past the pending end";
    EXPECT_EQ(m.GetClassAt(-1), -1);

    m.BuildIndex();
    EXPECT_EQ(m.GetIndexOfId(42), 1);
    EXPECT_EQ(m.GetIndexOfId(3 << 18), 0);
    EXPECT_EQ(m.GetIndexOfId(99), 0);
    EXPECT_NE(m.GetAt(1), nullptr);
    EXPECT_EQ(m.GetAt(1)->GetId(), 42);
    EXPECT_EQ(m.GetAt(2), nullptr);
    EXPECT_EQ(m.GetAt(-1), nullptr);
    EXPECT_EQ(m.GetClassAt(1), ResourceClass::Floor);
    EXPECT_EQ(m.GetClassAt(2), -1);
    EXPECT_EQ(m.GetClassAt(-1), -1);
    EXPECT_EQ(m.GetIdAt(2), kNoTile);
    EXPECT_EQ(m.NoOpA(), 0);
}

TEST_F(ResourceManagerFactories, KindsClassesAndCreationIndex)
{
    FakeTexture tex(64, 64);
    SoundResource* s = m.CreateSoundResource();
    BlockResource* b = m.CreateBlockResource(&tex, 5);
    GraphicsResource* g = m.CreateGraphicsResource(&tex, 1, 2, 3, 4);
    ObjectResource* o = m.CreateObjectResource(ResourceClass::Window);
    GraphicsResource* g2 = m.CreateGraphicsResource(nullptr, 0, 0, 0, 0);

    EXPECT_EQ(s->GetClassId(), ResourceClass::Sound);
    EXPECT_EQ(b->GetClassId(), ResourceClass::Floor);
    EXPECT_EQ(b->GetRow(), 5);
    EXPECT_EQ(b->GetSheet(), &tex);
    EXPECT_EQ(g->GetClassId(), ResourceClass::Graphics);
    EXPECT_EQ(g->GetLeft(), 1);
    EXPECT_EQ(g->GetBottom(), 4);
    EXPECT_EQ(g->GetCreationIndex(), 2);
    EXPECT_EQ(g2->GetCreationIndex(), 4);
    EXPECT_EQ(o->GetClassId(), ResourceClass::Window);
    EXPECT_EQ(o->GetCreationIndex(), 0);
    EXPECT_EQ(o->GetManager(), &m);
}

TEST(ResourceManagerLoading, TexturesComeFromGfxThroughTheEngine)
{
    RecordingEngine engine;
    FakeTexture tex(8, 8);
    engine.answer = &tex;
    ResourceManager m(nullptr, &engine, nullptr);

    EXPECT_EQ(m.LoadTextureA("walls\\brick.png", true, 2), &tex);
    EXPECT_EQ(m.LoadTexture(u"x.png", false, 0), &tex);
    EXPECT_EQ(m.LoadImageA("big\xE9.png", true, 1), &tex);
    EXPECT_EQ(m.LoadImage(u"y.png", false, 3), &tex);
    EXPECT_EQ(m.LoadTexture(nullptr, false, 0), nullptr);
    ASSERT_EQ(engine.loads.size(), 4u);
    EXPECT_EQ(engine.loads[0].path, u"gfx\\walls\\brick.png");
    EXPECT_TRUE(engine.loads[0].packIntoAtlas);
    EXPECT_EQ(engine.loads[0].atlasGroup, 2);
    EXPECT_FALSE(engine.loads[0].ex);
    EXPECT_EQ(engine.loads[1].path, u"gfx\\x.png");
    EXPECT_EQ(engine.loads[2].path, u"gfx\\big\xFFE9.png");
    EXPECT_TRUE(engine.loads[2].ex);
    EXPECT_EQ(engine.loads[2].atlasGroup, 1);
    EXPECT_TRUE(engine.loads[3].ex);
    EXPECT_EQ(engine.loads[3].atlasGroup, 3);

    // The path is cut at 511 characters.
    std::u16string longName(700, u'a');
    m.LoadTexture(longName.c_str(), false, 0);
    ASSERT_EQ(engine.loads.size(), 5u);
    EXPECT_EQ(engine.loads[4].path.size(), 511u);
    EXPECT_EQ(engine.loads[4].path.substr(0, 4), u"gfx\\");
}

TEST(ResourceManagerLoading, RealEngineWithoutRendererLoadsNoTexture)
{
    Engine engine;
    ResourceManager m(nullptr, &engine, nullptr);
    EXPECT_EQ(m.LoadTextureA("nothing.png", false, 0), nullptr);
    EXPECT_EQ(m.LoadImageA("nothing.png", false, 0), nullptr);
}

TEST(ResourceManagerLoading, SoundsComeFromSfxAndAreNullWithoutAudio)
{
    RecordingEngine engine;
    ResourceManager silent(nullptr, &engine, nullptr);
    EXPECT_EQ(silent.LoadSound(u"door.ogg"), nullptr);

    FakeAudio audio;
    ResourceManager m(nullptr, &engine, &audio);
    EXPECT_EQ(m.LoadSound(u"door.ogg"), &audio.buffer);
    EXPECT_EQ(m.LoadSound(nullptr), nullptr);
    ASSERT_EQ(audio.paths.size(), 1u);
    EXPECT_EQ(audio.paths[0], u"sfx\\door.ogg");
}

TEST(ResourceManagerLifecycle, DestructorFreesIndexedAndLaterResourcesAndLogs)
{
    RecordingEngine engine;
    const long before = LiveAllocations();
    auto* m = new ResourceManager(nullptr, &engine, nullptr);
    ObjectResource* o = m->CreateObjectResource(ResourceClass::Tree);
    o->SetNameA("indexed");
    o->AddParameter("a", "b");
    m->CreateSoundResource();
    m->BuildIndex();
    // Made after the index: these stay on the pending list.
    m->CreateGraphicsResource(nullptr, 0, 0, 1, 1)->SetNameA("late");
    m->CreateBlockResource(nullptr, 1);
    delete m;
    const long after = LiveAllocations();
    EXPECT_EQ(after, before);
    EXPECT_EQ(engine.log, "Resource manager closed.\n");
}

TEST(ResourceManagerLifecycle, SecondBuildIndexKeepsTheFirstIndexedResources)
{
    RecordingEngine engine;
    ResourceManager m(nullptr, &engine, nullptr);
    ObjectResource* a = m.CreateObjectResource(ResourceClass::Tree);
    m.BuildIndex();
    ObjectResource* b = m.CreateObjectResource(ResourceClass::Lamp);
    m.BuildIndex();
    EXPECT_EQ(m.GetCount(), 2);
    EXPECT_EQ(m.GetAt(0), a);
    EXPECT_EQ(m.GetAt(1), b);
    EXPECT_EQ(m.GetPendingCount(), 0);
}

TEST_F(ResourceManagerItems, ItemDefinitionsRunPerClassInManagerOrder)
{
    m.CreateObjectResource(ResourceClass::Weapon)->SetId(10 << 18);
    m.CreateObjectResource(ResourceClass::Ammo)->SetId(11 << 18);
    m.CreateObjectResource(ResourceClass::Tree)->SetId(12 << 18);
    m.CreateObjectResource(ResourceClass::AmmoDef)->SetId(13 << 18);
    m.CreateObjectResource(ResourceClass::Weapon)->SetId(14 << 18);
    m.CreateObjectResource(ResourceClass::WeaponSystem)->SetId(15 << 18);
    m.BuildIndex();

    WeaponTable table(nullptr, &m);
    EXPECT_TRUE(m.ApplyItemDefinitions(&table));
    ASSERT_EQ(table.GetWeaponCount(), 2);
    EXPECT_EQ(table.GetWeaponAt(0)->id, 10 << 18);
    EXPECT_EQ(table.GetWeaponAt(1)->id, 14 << 18);
    ASSERT_EQ(table.GetAmmoPickupCount(), 1);
    EXPECT_EQ(table.GetAmmoPickupAt(0)->id, 11 << 18);
    ASSERT_EQ(table.GetAmmoTypeCount(), 1);
    EXPECT_EQ(table.GetAmmoTypeAt(0)->id, 13 << 18);
    EXPECT_TRUE(m.ApplyItemDefinitions(nullptr));
}

TEST(ResourceManagerEditor, CurrentResourceRecordAndToolFollowTheClass)
{
    RecordingEngine engine;
    FakeHost host;
    ResourceManager m(&host, &engine, nullptr);
    ObjectResource* tree = m.CreateObjectResource(ResourceClass::Tree);
    ObjectResource* wall = m.CreateObjectResource(ResourceClass::Wall);
    ObjectResource* floor = m.CreateObjectResource(ResourceClass::Floor);

    m.SetCurrentResource(wall);
    EXPECT_EQ(host.position, 1);
    EXPECT_EQ(host.current, wall);
    EXPECT_EQ(host.blockTools + host.objectTools, 0) << "no editor interface";

    host.editor = true;
    tree->SelectInManager();
    EXPECT_EQ(host.position, 0);
    EXPECT_EQ(host.current, tree);
    EXPECT_EQ(host.objectTools, 1);
    m.SetCurrentResource(wall);
    m.SetCurrentResource(floor);
    EXPECT_EQ(host.blockTools, 2);
    EXPECT_EQ(host.objectTools, 1);

    ObjectResource stranger(&m, ResourceClass::Tree);
    stranger.SelectInManager();
    EXPECT_EQ(host.position, -1);
    EXPECT_EQ(host.current, nullptr);
    EXPECT_EQ(host.objectTools, 1);

    m.CreateObjectResource(ResourceClass::Lamp);
    m.BuildIndex();
    ObjectResource* late = m.CreateObjectResource(ResourceClass::Lamp);
    m.SetCurrentResource(floor);
    EXPECT_EQ(host.position, 2);
    m.SetCurrentResource(late);
    EXPECT_EQ(host.position, -1) << "positions are index positions once it exists";
    m.SetCurrentResource(nullptr);
    EXPECT_EQ(host.position, -1);
    EXPECT_EQ(host.recordWrites, 8);
}

TEST(ResourceManagerEditor, ListenersGetTheirPageOnlyInAStartedEditor)
{
    RecordingEngine engine;
    FakeHost host;
    RecordingListener listener;
    ResourceManager m(&host, &engine, nullptr);
    ObjectResource* r = m.CreateObjectResource(ResourceClass::Floor);

    m.NotifyListenerA(r);
    host.listener = &listener;
    m.NotifyListenerA(r); // listener there, editor not started
    EXPECT_TRUE(listener.items.empty());
    host.editor = true;
    host.listener = nullptr;
    m.NotifyListenerB(r);
    EXPECT_TRUE(listener.items.empty());

    host.listener = &listener;
    m.NotifyListenerA(r);
    m.NotifyListenerB(r);
    m.NotifyListenerC(r);
    ASSERT_EQ(listener.items.size(), 3u);
    EXPECT_EQ(listener.items[0].first, &host.pages[IResourceHost::FloorsPage]);
    EXPECT_EQ(listener.items[1].first, &host.pages[IResourceHost::WallsPage]);
    EXPECT_EQ(listener.items[2].first, &host.pages[IResourceHost::ObjectsPage]);
    EXPECT_EQ(listener.items[2].second, r);

    // Without a game nothing is told and nothing breaks.
    ResourceManager alone(nullptr, &engine, nullptr);
    ObjectResource* x = alone.CreateObjectResource(ResourceClass::Floor);
    alone.NotifyListenerA(x);
    x->SelectInManager();
    EXPECT_EQ(listener.items.size(), 3u);
}
