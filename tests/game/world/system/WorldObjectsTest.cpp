#include "ObjectFakes.h"
#include "StateFixture.h"

#include "engine/core/Random.h"
#include "engine/net/FieldLayout.h"
#include "engine/render/IRenderer.h"
#include "engine/render/ITexture.h"
#include "game/world/modes/MissionItemFlag.h"
#include "game/world/objects/Door.h"
#include "game/world/objects/Pickups.h"
#include "game/world/objects/Scenery.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/phys/Object.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/player/Player.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/IResource.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/ObjectFactory.h"

#include <algorithm>
#include <thread>

namespace StateTest {
namespace {

constexpr int kWindow = 34078720; // health 20
constexpr int kPine = 36700160;
constexpr int kRussiaStart = 26476544; // team_id 8
constexpr int kFinnishFlag = 29097984;
constexpr int kAmmoBox = 55050240;
constexpr int kMedkit = 57671680; // health_add 50
constexpr int kPistol = 78643200, kMine = 80478208, kRemote = 80740352;

template <class T> T* Make(int id, float x, float y) { return dynamic_cast<T*>(CreateObjectByType(id, x, y)); }

// By address only: the object may be gone.
bool Registered(const void* o)
{
    auto& list = Services().objects->Objects();
    return std::find(list.begin(), list.end(), o) != list.end();
}

} // namespace

class WorldObjects : public GameState {
protected:
    void SetUp() override
    {
        GameState::SetUp();
        if (!game_)
            return;
        ASSERT_TRUE(world_->ReplaceCells(20, 20, {}));
        Services().physics->SetArea(640.0f, 640.0f);
        game_->SetActiveHandler(&server_);
        // The game state installs the real player side; the scripted one
        // stands in for it here, unless a test plays with real players.
        real_ = Services().contacts;
        Services().contacts = &players_;
    }

    // A player of the game state, standing still, and the side that
    // finds it.
    Player* Soldier(int team, float x, float y)
    {
        Services().contacts = real_;
        Player* p = CreatePlayer();
        p->SetNetworkId(++lastId_);
        p->SetTeam(team);
        p->SetPositionAngle(x, y, 0.0f);
        p->SetInputState(0, 0, 0, 0, 0);
        return p;
    }
    // Whole game frames of 1/64 s, exact in binary.
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            game_->Update(kFrame);
    }
    static constexpr float kFrame = 1.0f / 64;

    FakePlayers players_;
    IPlayerContacts* real_ = nullptr;
    int32_t lastId_ = 1000;
};

// Doors quantise the angle they are set to once a handler is active. A
// player whose box reaches within 50 of the leaf and holds the use key
// opens it in a third of a second (3 a second) and, still holding it, sends
// it back the frame after it is full open; let go, it stays. It is solid
// below half open, its leaf hides what is behind up to 0.7 open, and it
// breaks for good.
TEST_F(WorldObjects, DoorTurnsOpensClosesAndBreaks)
{
    const struct {
        float angle, closed, opening;
    } table[] = {{120, 90, 30.0f / 90}, {95, 90, 0}, {85, 90, 0}, {5, 0, 0}, {-30, 270, 60.0f / 90}};
    for (const auto& row : table) {
        Door* door = Make<Door>(kDoor, 0, 0);
        ASSERT_NE(door, nullptr);
        door->SetAngle(row.angle);
        EXPECT_FLOAT_EQ(door->GetClosedAngle(), row.closed) << row.angle;
        EXPECT_NEAR(door->GetOpening(), row.opening, 1e-5) << row.angle;
        delete door;
    }

    Door* door = Make<Door>(kDoor, 200, 200);
    ASSERT_NE(door, nullptr);
    door->SetAngle(0);
    ITexture* leaf = door->GetDefinition()->GetImage();
    ASSERT_NE(leaf, nullptr);
    // The leaf turns about its hinge at (200, 204); the hull's bottom edge is 2 below it.
    const float across = 200 + leaf->GetHeight() / 2.0f, bottom = 200 + leaf->GetHeight() + 2.0f;
    const float c = std::cos(55 * 3.14159265f / 180), s = std::sin(55 * 3.14159265f / 180);
    auto seen = [&] { return GetLineOfSight(150, across, 350, across); };
    auto seenAlongLeafAt55 = [&] { return GetLineOfSight(200 + 40 * c, 204 + 40 * s, 200 + 100 * c, 204 + 100 * s); };
    Player* user = Soldier(0, 232, bottom + 50.01f);
    user->SetInputState(Door::kUseBit, 0, 0, 0, 0);
    Frames(10);
    EXPECT_TRUE(door->IsClosing()) << "out of reach";
    EXPECT_EQ(seen(), 0.0f);
    EXPECT_EQ(seenAlongLeafAt55(), 1.0f);

    user->SetPosition(232, bottom + 49.99f);
    Frames(1);
    ASSERT_FALSE(door->IsClosing());
    for (int frame = 1; frame <= 21; ++frame) {
        Frames(1); // opening 3 / 64 a frame
        if (frame == 10 || frame == 11) {
            EXPECT_EQ(door->IsSolid(), frame == 10) << "solid below half open: " << door->GetOpening();
        }
        if (frame == 14 || frame == 15) {
            EXPECT_EQ(seenAlongLeafAt55(), frame == 14 ? 0.0f : 1.0f) << "at " << door->GetOpening();
        }
    }
    EXPECT_FLOAT_EQ(door->GetOpening(), 63.0f / 64) << "not yet full open";
    EXPECT_FALSE(door->IsClosing()) << "the held key does not flip it back midway";
    Frames(1);
    EXPECT_FLOAT_EQ(door->GetOpening(), 1.0f);
    EXPECT_FALSE(door->IsClosing());
    Frames(1);
    EXPECT_TRUE(door->IsClosing()) << "still held: back the frame after full open";
    EXPECT_FLOAT_EQ(door->GetAngle(), 90.0f); // "cw"
    EXPECT_FALSE(door->IsSolid());
    EXPECT_EQ(seen(), 1.0f);

    user->SetInputState(0, 0, 0, 0, 0);
    Frames(21);
    EXPECT_FLOAT_EQ(door->GetOpening(), 1.0f / 64);
    Frames(1);
    EXPECT_FLOAT_EQ(door->GetOpening(), 0.0f);
    EXPECT_TRUE(door->IsSolid());
    EXPECT_EQ(seen(), 0.0f);
    user->SetInputState(Door::kUseBit, 0, 0, 0, 0);
    Frames(1);
    user->SetInputState(0, 0, 0, 0, 0);
    Frames(5 * 64);
    EXPECT_FLOAT_EQ(door->GetOpening(), 1.0f) << "an open door stays open";
    for (float opening : {0.49f, 0.5f}) {
        door->SetOpening(opening);
        door->Update(0);
        EXPECT_EQ(door->IsSolid(), opening < 0.5f);
    }

    door->TakeHit(1000, false, 0, 200, 200, 0);
    door->Update(1.0f / 60);
    EXPECT_TRUE(door->IsBroken());
    EXPECT_TRUE(Registered(door));
    EXPECT_FALSE(door->GetBody()->IsEnabled());
    EXPECT_EQ(door->GetVisibility(0, across, 400, across), 1.0f);
}

// What a hit and a blast do to each kind, and what cover they give.
TEST_F(WorldObjects, HitBlastAndCoverByKind)
{
    Door* door = Make<Door>(kDoor, 100, 100);
    Window* window = Make<Window>(kWindow, 200, 100);
    Tree* tree = Make<Tree>(kPine, 300, 100);
    Ammo* ammo = Make<Ammo>(kAmmoBox, 400, 100);
    ASSERT_TRUE(door && window && tree && ammo);
    // The glass slot holds a sound of the data set that a window's hit has not.
    CommonMedia media;
    media.sounds[0] = door->GetDefinition()->GetIndexedLink(10);
    ASSERT_NE(media.sounds[0], window->GetDefinition()->GetIndexedLink(10));
    Services().media = &media;
    const int glassId = media.sounds[0]->GetId();
    auto glass = [&] {
        return std::count_if(server_.added.begin(), server_.added.end(),
                             [&](MPAPI::Object* o) { return o->GetSubTypeId() == glassId; });
    };
    for (Object* o : std::initializer_list<Object*>{door, window, tree, ammo}) {
        o->TakeHit(5, false, 0, o->GetX(), o->GetY(), 0);
        o->TakeBlastDamage(o->GetX(), o->GetY(), 5, 0, 0);
        float cover = -1;
        EXPECT_TRUE(o->CoverStopsShot(nullptr, &cover)) << o->GetKind(); // no cover record
    }
    EXPECT_FLOAT_EQ(door->GetHealth(), 140.0f);
    EXPECT_FLOAT_EQ(window->GetHealth(), 10.0f);
    // Glass rings only for a hit that asks for its sound.
    EXPECT_EQ(glass(), 0);
    window->TakeHit(1, true, 0, 200, 100, 0);
    EXPECT_EQ(glass(), 1);
    Services().media = nullptr;
    EXPECT_TRUE(tree->IsAlive());
    EXPECT_FLOAT_EQ(tree->GetHealth(), 0.0f);
    EXPECT_FALSE(ammo->IsBreakable());

    // A corpse is always alive and a blast gibs it once; it then goes.
    DeadPlayer* corpse = new DeadPlayer();
    corpse->SetPositionAngle(500, 500, 0);
    Services().objects->AddObject(corpse);
    EXPECT_TRUE(corpse->IsAlive());
    int before = Services().objects->CountObjects();
    corpse->TakeBlastDamage(480, 500, 10, 0, 0);
    EXPECT_TRUE(corpse->IsGibbed());
    EXPECT_EQ(Services().objects->CountObjects(), before + 6); // debris
    corpse->TakeBlastDamage(480, 500, 10, 0, 0);
    EXPECT_EQ(Services().objects->CountObjects(), before + 6);
    game_->Update(1.0f / 60);
    EXPECT_FALSE(Registered(corpse));

    // Fragments: a hit gives one or two, a break thirty.
    BreakParticle hit, broke;
    hit.SetPositionAngle(50, 50, 0);
    hit.type = 22;
    broke.SetPositionAngle(50, 50, 0);
    broke.type = 2;
    game_->SetActiveHandler(&client_);
    hit.Update(0.1f);
    broke.Update(0.1f);
    EXPECT_GE(hit.GetCount(), 1);
    EXPECT_LE(hit.GetCount(), 2);
    EXPECT_EQ(broke.GetCount(), 30);
    for (int i = 0; i < 40; ++i)
        broke.Update(0.1f);
    EXPECT_TRUE(broke.IsSettled());
    EXPECT_TRUE(broke.IsFrozen());
}

// A pick-up taken on the server is back exactly 70 s later; a client only
// shows it; a refused offer leaves it lying.
TEST_F(WorldObjects, PickupsComeBackAfterSeventySeconds)
{
    Ammo* ammo = Make<Ammo>(kAmmoBox, 200, 200);
    Item* medkit = Make<Item>(kMedkit, 300, 300);
    ASSERT_TRUE(ammo && medkit && ammo->GetImage());
    EXPECT_NE(std::find(server_.added.begin(), server_.added.end(), ammo), server_.added.end());
    players_.x = 200 + ammo->GetImage()->GetWidth() / 2.0f;
    players_.y = 200 + ammo->GetImage()->GetHeight() / 2.0f + 14;
    game_->SetActiveHandler(&client_);
    ammo->Update(0.5f);
    EXPECT_EQ(players_.offers, 0);
    game_->SetActiveHandler(&server_);
    ammo->Update(0.5f);
    ASSERT_TRUE(ammo->IsTaken());
    players_.present = false;
    float clock = 0;
    while (ammo->IsTaken() && clock < 100) {
        ammo->Update(0.5f);
        clock += 0.5f;
    }
    EXPECT_FLOAT_EQ(clock, 70.0f);

    players_.present = true;
    players_.accepts = false;
    players_.x = 300 + medkit->GetImage()->GetWidth() / 2.0f;
    players_.y = 300 + medkit->GetImage()->GetHeight() / 2.0f;
    medkit->Update(0.5f);
    EXPECT_FALSE(medkit->IsTaken());
    players_.accepts = true;
    medkit->Update(0.5f);
    EXPECT_TRUE(medkit->IsTaken());
    EXPECT_FLOAT_EQ(players_.healthAdded, 50.0f);
}

// An empty weapon clicks once per pull of the trigger; a mine or a charge never.
TEST_F(WorldObjects, AnEmptyWeaponClicksOncePerPull)
{
    ASSERT_TRUE(resources_->ApplyItemDefinitions(Services().weapons));
    CommonMedia media;
    media.sounds[6] = resources_->GetById(850395136); // any sound of the data set
    ASSERT_NE(media.sounds[6], nullptr);
    Services().media = &media;
    auto clicks = [&] {
        return std::count_if(server_.added.begin(), server_.added.end(),
                             [&](MPAPI::Object* o) { return o->GetSubTypeId() == 850395136; });
    };
    Player* p = Soldier(0, 200, 200);
    for (int weapon : {kPistol, kMine, kRemote}) {
        ASSERT_TRUE(p->GetInventory().SetWeapon(weapon, 0, 0));
        p->SelectWeapon(weapon);
        for (int pull = 0; pull < 2; ++pull) {
            p->SetInputState(PlayerInputFlags::Shoot, 0, 0, 0, 0);
            Frames(4);
            p->SetInputState(0, 0, 0, 0, 0);
            Frames(1);
        }
    }
    EXPECT_EQ(clicks(), 2);
    Services().media = nullptr;
}

// Windows keep the window bit in the cell under their centre: placed,
// moved (another window in the old cell keeps it), broken, outside.
TEST_F(WorldObjects, WindowsMarkTheirCell)
{
    Window* a = Make<Window>(kWindow, 64, 64);
    Window* b = Make<Window>(kWindow, 64, 64);
    ASSERT_TRUE(a && b);
    const int c = a->GetCellColumn(), r = a->GetCellRow();
    ASSERT_GE(c, 2);
    EXPECT_TRUE(world_->GetCell(c, r) & World::kWindow);

    a->MoveTileMark(64, 64, 320, 320);
    a->SetPosition(320, 320);
    EXPECT_TRUE(world_->GetCell(c, r) & World::kWindow) << "b still covers it";
    const int c2 = a->GetCellColumn(), r2 = a->GetCellRow();
    EXPECT_GT(c2, c);
    EXPECT_TRUE(world_->GetCell(c2, r2) & World::kWindow);
    b->MoveTileMark(64, 64, 600, 64);
    EXPECT_FALSE(world_->GetCell(c, r) & World::kWindow);

    a->TakeHit(100, false, 0, 320, 320, 0);
    a->Update(1.0f / 60);
    EXPECT_TRUE(a->IsBroken());
    EXPECT_FALSE(a->GetBody()->IsEnabled());
    EXPECT_TRUE(world_->GetCell(c2, r2) & World::kWindow) << "an empty frame is no wall";
    EXPECT_TRUE(Registered(a));

    Window* outside = Make<Window>(kWindow, -500, 64);
    ASSERT_NE(outside, nullptr);
    EXPECT_EQ(outside->GetCellColumn(), -1);
}

// A blast shakes a tree away from it, strength capped at 100 for a second.
TEST_F(WorldObjects, TreesShakeFromBlasts)
{
    Tree* tree = Make<Tree>(kPine, 200, 200);
    ASSERT_NE(tree, nullptr);
    ITexture* crown = tree->GetDefinition()->GetImage();
    ASSERT_NE(crown, nullptr);
    const float cx = 200 + crown->GetWidth() / 2.0f, cy = 200 + crown->GetHeight() / 2.0f;
    ApplyExplosionDamage(100, 200, 400, 300, 0, 0);
    float dx, dy;
    tree->GetShakeDirection(&dx, &dy);
    EXPECT_GT(tree->GetShakeStrength(), 0.0f);
    EXPECT_FLOAT_EQ(tree->GetShakeTimer(), 1.0f);
    EXPECT_NEAR(dx, (cx - 100) / std::hypot(cx - 100, cy - 200), 1e-4);
    EXPECT_GT(dx, 0.0f);

    for (int i = 0; i < 20; ++i)
        tree->TakeBlastDamage(cx, cy, 1000, 0, 0);
    tree->GetShakeDirection(&dx, &dy);
    EXPECT_TRUE(std::isfinite(dx) && std::isfinite(dy));
    EXPECT_FLOAT_EQ(tree->GetShakeStrength(), 100.0f);
    tree->Update(0.5f);
    EXPECT_FLOAT_EQ(tree->GetShakeTimer(), 0.5f);
    tree->Update(1.0f);
    EXPECT_FLOAT_EQ(tree->GetShakeTimer(), 0.0f);
    EXPECT_TRUE(Registered(tree));
}

// Start points take "team_id" less one and are chosen by team.
TEST_F(WorldObjects, StartPointsChosenByTeam)
{
    StartPoint* finn = Make<StartPoint>(kStartPoint, 10, 10);
    StartPoint* russ = Make<StartPoint>(kRussiaStart, 20, 20);
    ASSERT_TRUE(finn && russ);
    EXPECT_EQ(finn->GetTeam(), 0);
    EXPECT_EQ(russ->GetTeam(), 7);
    EXPECT_TRUE(server_.added.empty());
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(PickStartPoint(7), russ);
        EXPECT_EQ(PickStartPoint(0), finn);
    }
    EXPECT_EQ(PickStartPoint(3), nullptr);
}

// A carried flag dropped leaves a dropped flag that goes once taken.
TEST_F(WorldObjects, DroppedFlagsGoWhenTaken)
{
    MissionItem* flag = Make<MissionItem>(kFinnishFlag, 400, 400);
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->GetType(), MissionItem::Finnish);
    flag->PickUp(3);
    flag->Drop(300, 300, true);
    EXPECT_TRUE(flag->IsCarried()); // shows the base; the dropped flag is out
    MissionItem* dropped = dynamic_cast<MissionItem*>(server_.added.back());
    ASSERT_NE(dropped, nullptr);
    EXPECT_EQ(dropped->GetType(), MissionItem::DroppedFinnish);
    EXPECT_FLOAT_EQ(dropped->GetX(), 284.0f);
    dropped->PickUp(3);
    EXPECT_FALSE(Registered(dropped));
}

// Every replicated member of every kind a client makes, filled with what a
// hostile server might send (not-a-number, infinities, huge values), then
// run and drawn: nothing may crash or reach outside its arrays.
TEST_F(WorldObjects, HostileMembersNeverCrashAClient)
{
    const std::pair<int, int> kinds[] = {{3, -1},       {4, -1}, {13, kWindow},      {14, kDoor}, {15, kAmmoBox},
                                         {16, kMedkit}, {19, 0}, {21, kFinnishFlag}, {21, 4},     {12, kPine}};
    const uint32_t patterns[] = {0xFFFFFFFFu, 0x7F800000u, 0xFF800000u, 0x4F000000u, 0xCF000000u, 0x7FFFFFFFu, 7u};
    game_->SetActiveHandler(&client_);
    for (uint32_t pattern : patterns) {
        std::vector<MPAPI::Object*> made;
        for (auto kind : kinds)
            made.push_back(game_->CreateObject(kind.first, kind.second));
        for (int type : {3, 5, 6})
            made.push_back(game_->CreateEffectObject(type, 0));
        for (MPAPI::Object* o : made) {
            ASSERT_NE(o, nullptr);
            for (const MPAPI::FieldRecord* f = o->GetFieldTable(); f->type != MPAPI::kFieldEnd; ++f)
                if (f->type >= MPAPI::kFieldByte && f->type <= MPAPI::kFieldFloat)
                    MPAPI::FieldLayout::WriteMember(o, *f, pattern);
            game_->OnObjectReady(o);
        }
        for (int frame = 0; frame < 5; ++frame) {
            game_->Update(0.25f);
            renderer_->BeginScene();
            game_->DrawWorld();
            renderer_->EndScene();
        }
        Services().objects->Clear();
    }
}

// A client makes replicated objects on its receive thread: they draw no
// number and load nothing there (no body, no sprite), so the game thread's
// sequence and structures are its own; all that once the objects are ready.
TEST_F(WorldObjects, ReceiveThreadFactoryOnlyMakesObjects)
{
    const std::pair<int, int> kinds[] = {{2, -1},        {3, -1},       {4, -1},     {7, -1},       {8, -1},
                                         {9, -1},        {11, -1},      {12, kPine}, {13, kWindow}, {14, kDoor},
                                         {15, kAmmoBox}, {16, kMedkit}, {18, -1},    {19, 0},       {21, kFinnishFlag},
                                         {21, 4},        {0, kTable}};
    game_->SetActiveHandler(&client_);
    game_->SetGameMode(CreateGameModeObject(2)); // its flags are the mode's own
    Util::SeedRandom(4321);
    const int first = Util::Random();
    Util::SeedRandom(4321);
    std::vector<MPAPI::Object*> made;
    std::thread receive([&] {
        for (auto kind : kinds)
            made.push_back(game_->CreateObject(kind.first, kind.second));
        for (int type : {3, 5, 6})
            made.push_back(game_->CreateEffectObject(type, 0));
    });
    receive.join();
    EXPECT_EQ(Util::Random(), first);

    Tree* tree = dynamic_cast<Tree*>(made[7]);
    MissionItemFlag* flag = dynamic_cast<MissionItemFlag*>(made[15]);
    ASSERT_TRUE(tree && flag);
    EXPECT_EQ(flag->GetSprite(), nullptr);
    for (MPAPI::Object* o : made)
        if (o)
            game_->OnObjectReady(o);
    EXPECT_GE(tree->GetSwayPhase(), 0.0f);
    EXPECT_LE(tree->GetSwayPhase(), 1.0f);
    EXPECT_NE(flag->GetSprite(), nullptr);
    Services().objects->Clear();
    game_->SetGameMode(nullptr);
}

} // namespace StateTest
